// Rounds of every gesture over real windows of another process (Qor's own are out of reach):
// the cursor handles the program holds and the
// process's memory end where they started. (Wine answers GetGuiResources and
// GetProcessHandleCount with 0, so handles are counted at the seam.) Under Wine a round costs
// about 10 ms, so the test command runs 2,000; QOR_LEAK_CYCLES=100000 runs the long soak.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include "engine/cursor.h"
#include "os/os.h"
#include "settings/settings.h"
#include "tests/common/gesture_cycle.h"
#include "tests/common/live_cursor_handles.h"
#include "tests/testapp/launch.h"

namespace {
// The commit charge: Wine leaves PrivateUsage at 0 and reports this one.
SIZE_T committedBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage;
}
}  // namespace

TEST(Leaks, CursorHandlesAndMemoryOverManyGestureCycles) {
  const char* wanted = std::getenv("QOR_LEAK_CYCLES");
  const int cycles = wanted ? std::atoi(wanted) : 2000;
  TestAppProcess testApp = startTestApp();
  HWND app = testApp.plain, bar = GetDlgItem(testApp.main, kTestVScrollBar);
  ASSERT_TRUE(app && bar);
  copySettings(currentSettings, defaultSettings);
  gesture.panState = kPanStandby;
  loadCursors();
  RECT a, b;
  GetWindowRect(app, &a);
  GetWindowRect(bar, &b);
  const POINT c = {a.left + 100, a.top + 150}, v = {(b.left + b.right) / 2, (b.top + b.bottom) / 2};

  for (int i = 0; i < 100; ++i) runGestureCycle(app, c, bar, v);  // the allocators settle
  const int live = liveCursorHandles();
  const SIZE_T before = committedBytes();
  for (int i = 0; i < cycles; ++i) {
    runGestureCycle(app, c, bar, v);
    if (liveCursorHandles() != live) FAIL() << "cycle " << i << ": " << liveCursorHandles();
  }
  const SIZE_T after = committedBytes();
  std::printf("%d cycles: %d live cursor handles; committed bytes %lu -> %lu\n", cycles, live,
              static_cast<unsigned long>(before), static_cast<unsigned long>(after));
  EXPECT_EQ(live, 17);  // the gesture cursors and the standard arrow, I-beam and cross
  EXPECT_EQ(gesture.panState, kPanStandby);
  EXPECT_EQ(gesture.extScrollState, kExtScrollOff);
  // A cursor lost per round would be a hundred bytes or more each: megabytes over the run.
  EXPECT_LT(after, before + 512 * 1024);

  restoreUserCursors();
  releaseCursors();
  EXPECT_EQ(liveCursorHandles(), 0);
  stopTestApp(testApp);
}
