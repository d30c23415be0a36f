// Where a common control's hit-test record lies: here for our own controls, in the event
// sender's lent room for the sender's controls once its claim is proven, in a buffer kept in
// the control's process (below 4 GB for a 32-bit one) for others; nowhere for a forged event.
#include <gtest/gtest.h>

#include <memory>
#include "engine/hit_test.h"
#include "tests/native/engine_helpers.h"

namespace {
const DWORD kSender = 4242;
const uint64_t kSenderView = 0x120000000ull;  // where the sender maps its room

// measured: what the sender said its own control answered at the point.
uint32_t hitTest(DWORD process, uint32_t measured = kControlFlagsUnknown) {
  HWND list = fake::addWindow(nullptr, "SysListView32", {0, 0, 100, 100});
  fake::window(list).processId = process;
  fake::window(list).hitFlags = 0x4;
  provideMeasuredFlags({list, kSender, measured});
  return controlHitTest(list, LVM_HITTEST, {3, 4});
}
}  // namespace

TEST(HitTests, TheRecordLiesWhereTheControlsProcessReadsIt) {
  engine_test::freshEngine();
  fake::unopenableProcesses = {9};
  fake::processes32Bit = {32};
  struct {
    const char* what;
    DWORD process;
    uint32_t flags;
    int buffers;  // buffers kept in other processes afterwards
  } const steps[] = {
      {"our own control", fake::kOwnProcess, 0x4, 0},
      {"another process's", 7, 0x4, 1},
      {"the same process again reuses its buffer", 7, 0x4, 1},
      {"a process that may not be opened does not answer", 9, 0, 1},
      {"a 32-bit process's buffer lies below 4 GB", 32, 0x4, 2},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(hitTest(s.process), s.flags) << s.what;
    EXPECT_EQ(fake::liveAllocations(), s.buffers) << s.what;
  }
  fake::allocationsFail = true;
  EXPECT_EQ(hitTest(8), 0u) << "no room in the process: no answer";
  fake::allocationsFail = false;
  fake::endProcess(7);  // and its id names a new process
  EXPECT_EQ(hitTest(7), 0x4u) << "a buffer of an ended process is opened anew";
  for (DWORD process = 20; process < 40; ++process) hitTest(process);
  EXPECT_EQ(fake::openProcessHandles(), 8) << "at most eight processes keep a buffer";
  EXPECT_EQ(fake::strayHitTests, 0);
  releaseHitTestBuffers();
  EXPECT_EQ(fake::openProcessHandles(), 0);
  EXPECT_EQ(fake::liveAllocations(), 0);
}

TEST(HitTests, TheSendersRoomServesOnlyItsOwnControlsAndOnlyWhenItsClaimHolds) {
  struct {
    const char* what;
    uint64_t claimedView;  // the sender's claim; its room really lies at kSenderView
    DWORD control;
    uint32_t flags;
    uint32_t roomFlags;  // what the control wrote into the lent room
    int buffers;
    uint32_t measured = kControlFlagsUnknown;
  } const cases[] = {
      {"the sender's control answers into its room", kSenderView, kSender, 0x4, 0x4, 0},
      {"another process's control gets its own buffer", kSenderView, 7, 0x4, 0, 1},
      {"a claim of a view elsewhere is forged: no hit test", kSenderView + 0x1000, kSender, 0, 0, 0},
      {"so is a claim the sender's process cannot back", kSenderView + 0x1000, 7, 0, 0, 0},
      {"so is a view claimed below the room, the proof still in it", kSenderView - 24, kSender, 0, 0, 0},
      {"what the sender measured of its own control stands: no hit test", kSenderView, kSender, 0x2, 0, 0, 0x2},
      {"no sender can say it of another process's control", kSenderView, 7, 0x4, 0, 1, 0x2},
      {"nor a sender whose claim fails of its own", kSenderView + 0x1000, kSender, 0, 0, 0, 0x2},
  };
  for (const auto& c : cases) {
    engine_test::freshEngine();
    auto room = std::make_unique<uint32_t[]>(kLentRoomBytes / 4);
    fake::mapSharedMemory(kSender, kSenderView, room.get(), kLentRoomBytes);
    const uint32_t below = c.claimedView < kSenderView ? uint32_t(kSenderView - c.claimedView) : 0;
    lendHitTestBuffer({kSender, c.claimedView, kLentRoomBytes + below, below, room.get()});
    EXPECT_EQ(hitTest(c.control, c.measured), c.flags) << c.what;
    EXPECT_EQ(room[2], c.roomFlags) << c.what;
    EXPECT_EQ(fake::liveAllocations(), c.buffers) << c.what;
    EXPECT_EQ(fake::strayHitTests, 0) << c.what;
    lendHitTestBuffer({});
  }
}

// A control that did not answer in time may still write its record: the buffer is left to it,
// never written, reused or freed again, and its process gets no more hit tests.
TEST(HitTests, ABufferOfAHitTestLeftUnansweredIsLeftToTheControl) {
  engine_test::freshEngine();
  HWND silent = fake::addWindow(nullptr, "SysListView32", {0, 0, 100, 100});
  fake::window(silent).processId = 7;  // no flags: it does not answer
  EXPECT_EQ(controlHitTest(silent, LVM_HITTEST, {3, 4}), 0u);
  EXPECT_EQ(hitTest(7), 0u) << "its process gets no more hit tests";
  EXPECT_EQ(hitTest(8), 0x4u) << "another process still does";
  EXPECT_EQ(fake::sent.size(), 2u);
  releaseHitTestBuffers();
  EXPECT_EQ(fake::liveAllocations(), 1) << "the buffer was freed";
  for (DWORD process = 10; process < 19; ++process) {  // nine: more than a list of eight held
    fake::window(silent).processId = process;
    controlHitTest(silent, LVM_HITTEST, {3, 4});
  }
  fake::sent.clear();
  EXPECT_EQ(hitTest(18) + hitTest(10), 0u);
  EXPECT_TRUE(fake::sent.empty()) << "every one of them is remembered";
}
