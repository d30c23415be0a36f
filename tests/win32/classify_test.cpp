// classifyTarget against real windows and common controls of another process.
#include <gtest/gtest.h>

#include <vector>

#include "engine/classify.h"
#include "engine/gesture.h"
#include "engine/hook_protocol.h"
#include "protocol/event_slots.h"
#include "tests/testapp/launch.h"

namespace {
class RealClassify : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { app = startTestApp(); }
  static void TearDownTestSuite() { stopTestApp(app); }
  void SetUp() override { ASSERT_TRUE(app.main && app.plain) << "test application did not start"; }

  static HWND control(int id) { return GetDlgItem(app.main, id); }
  // A point of a control, asked of the test application, in screen coordinates.
  static POINT pointOf(int id, int part) {
    LRESULT packed = SendMessageA(app.main, TESTAPP_WM_POINT, id, part);
    POINT p = {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
    ClientToScreen(control(id), &p);
    return p;
  }
  static POINT centreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  static TestAppProcess app;
};
TestAppProcess RealClassify::app;
}  // namespace

TEST_F(RealClassify, CrossProcessListAndTreeViewHitTests) {
  struct { int id; int part; int32_t kind; } cases[] = {
      {kTestListView, kTestPointItemLabel, 25},
      {kTestListView, kTestPointEmpty, 23},
      {kTestTreeView, kTestPointItemLabel, 43},
      {kTestTreeView, kTestPointEmpty, 39},
      {kTestTreeView, kTestPointRightOfItem, 44},
  };
  for (auto c : cases) {
    POINT p = pointOf(c.id, c.part);
    EXPECT_EQ(classifyTarget(control(c.id), HTCLIENT, p.x, p.y), c.kind) << c.id << "/" << c.part;
  }
}

TEST_F(RealClassify, ControlsByClassAndStyle) {
  struct { int id; int32_t kind; } cases[] = {
      {kTestVScrollBar, 81}, {kTestHScrollBar, 80}, {kTestPushButton, 58},
      {kTestCheckBox, 59},   {kTestRadioButton, 60}, {kTestEdit, 63},
  };
  for (auto c : cases) {
    POINT p = centreOf(control(c.id));
    EXPECT_EQ(classifyTarget(control(c.id), HTCLIENT, p.x, p.y), c.kind) << c.id;
  }
}

TEST_F(RealClassify, UnknownClassByItsOwnHitTest) {
  RECT window, client;
  GetWindowRect(app.plain, &window);
  GetClientRect(app.plain, &client);
  POINT origin = {0, 0};
  ClientToScreen(app.plain, &origin);
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  struct { const char* where; POINT at; int32_t code; int32_t kind; } cases[] = {
      {"caption", {window.left + 60, (window.top + origin.y) / 2}, HTCAPTION, 10},
      {"client", {origin.x + 20, origin.y + 20}, HTCLIENT, 20},
      {"vertical bar", {origin.x + client.right + bar / 2, origin.y + client.bottom / 2}, HTVSCROLL, 12},
      {"horizontal bar", {origin.x + client.right / 2, origin.y + client.bottom + bar / 2}, HTHSCROLL, 11},
  };
  for (auto c : cases) {
    LRESULT code = SendMessageA(app.plain, WM_NCHITTEST, 0, MAKELPARAM(c.at.x, c.at.y));
    EXPECT_EQ(code, c.code) << c.where;
    EXPECT_EQ(classifyTarget(app.plain, static_cast<int32_t>(code), c.at.x, c.at.y), c.kind) << c.where;
  }
}

// Events published in this process (as a 32-bit application's reach Qor, from its own process)
// for controls of another: their hit tests use a buffer in the control's process, never an
// address of the sender's. A sender's claim that does not hold gives the default kinds. The
// control's process keeps a guard region where the sender maps its view: nothing may write it.
TEST_F(RealClassify, EventsForAnotherProcesssControlsNeverLendTheSendersAddresses) {
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(EventSlots), nullptr);
  // Two views of one block: the claim names the second, which lies where the other process
  // keeps its guard region.
  EventSlots* slots = static_cast<EventSlots*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  DWORD appProcess = 0;
  GetWindowThreadProcessId(app.main, &appProcess);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, appProcess);
  const SIZE_T kGuard = 0x10000;
  void* guard = nullptr;
  EventSlots* claimed = nullptr;
  std::vector<void*> taken;  // guard places that this process had in use
  while (!claimed && taken.size() < 32) {
    guard = VirtualAllocEx(process, nullptr, kGuard, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    claimed = static_cast<EventSlots*>(
        MapViewOfFileEx(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0, guard));
    if (!claimed) taken.push_back(guard);
  }
  for (void* place : taken) VirtualFreeEx(process, place, 0, MEM_RELEASE);
  ASSERT_TRUE(slots && claimed) << "no place free in both processes";
  std::vector<unsigned char> pattern(kGuard, 0xA5), seen(kGuard);
  WriteProcessMemory(process, guard, pattern.data(), kGuard, nullptr);
  eventSlots = slots;
  engineEnabled = 1;
  struct {
    const char* what;
    DWORD sender;     // the sender the slot claims
    uint64_t offset;  // from the claimed view to the view the slot names
    int32_t listKind, treeKind;
  } cases[] = {
      {"a true claim", GetCurrentProcessId(), 0, 25, 43},
      {"a claim of the control's process", appProcess, 0, 23, 39},
      {"a view address pointing elsewhere", GetCurrentProcessId(), 0x20000, 23, 39},
  };
  for (auto c : cases) {
    for (int id : {kTestListView, kTestTreeView}) {
      POINT p = pointOf(id, kTestPointItemLabel);
      EventRecord record = {p.x, p.y, handle32Of(control(id)), HTCLIENT, 0, WM_MOUSEMOVE, kControlFlagsUnknown};
      int32_t ticket = publishEvent(slots, record, GetTickCount());
      markEventSender(claimed, ticket, c.sender);
      EventSlot& slot = eventSlotOf(slots, ticket);
      const uint64_t view = reinterpret_cast<uintptr_t>(claimed) + c.offset;
      slot.senderViewLow = static_cast<uint32_t>(view);
      slot.senderViewHigh = static_cast<uint32_t>(view >> 32);
      answerMouseEvent(WM_MOUSEMOVE, ticket);
      releaseEvent(slots, ticket, GetTickCount());
      EXPECT_EQ(gesture.currentKind, id == kTestListView ? c.listKind : c.treeKind)
          << c.what << " " << id;
      ReadProcessMemory(process, guard, seen.data(), kGuard, nullptr);
      EXPECT_EQ(seen, pattern) << c.what << " " << id;
    }
  }
  eventSlots = nullptr;
  VirtualFreeEx(process, guard, 0, MEM_RELEASE);
  CloseHandle(process);
  UnmapViewOfFile(claimed);
  UnmapViewOfFile(slots);
  CloseHandle(mapping);
}
