// Where a common control's hit-test record lies: here for our own controls, in a buffer kept
// in the control's process for others.
#include <gtest/gtest.h>

#include "engine/hit_test.h"
#include "tests/native/engine_helpers.h"

TEST(HitTests, TheRecordLiesWhereTheControlsProcessReadsIt) {
  engine_test::freshEngine();
  fake::unopenableProcesses = {9};
  auto hitTest = [](DWORD process) {
    HWND list = fake::addWindow(nullptr, "SysListView32", {0, 0, 100, 100});
    fake::window(list).processId = process;
    fake::window(list).hitFlags = 0x4;
    return controlHitTest(list, LVM_HITTEST, {3, 4});
  };
  struct {
    const char* what;
    DWORD process;
    uint32_t flags;
    int handles;  // process handles and buffers kept afterwards
  } const steps[] = {
      {"our own control", fake::kOwnProcess, 0x4, 0},
      {"another process's", 7, 0x4, 1},
      {"the same process again reuses its buffer", 7, 0x4, 1},
      {"a process that may not be opened does not answer", 9, 0, 1},
      {"a second process", 8, 0x4, 2},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(hitTest(s.process), s.flags) << s.what;
    EXPECT_EQ(fake::openProcessHandles(), s.handles) << s.what;
    EXPECT_EQ(fake::liveAllocations(), s.handles) << s.what;
  }
  fake::endProcess(7);  // and its id names a new process
  EXPECT_EQ(hitTest(7), 0x4u) << "a buffer of an ended process is opened anew";
  for (DWORD process = 20; process < 40; ++process) hitTest(process);
  EXPECT_EQ(fake::openProcessHandles(), 8) << "at most eight processes keep a buffer";
  EXPECT_EQ(fake::strayHitTests, 0);
  releaseHitTestBuffers();
  EXPECT_EQ(fake::openProcessHandles(), 0);
  EXPECT_EQ(fake::liveAllocations(), 0);
}
