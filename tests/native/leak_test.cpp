// 100,000 rounds of every gesture: the cursor handles the program holds end where they
// started, none is ever used after the system took it, and the exit releases them all.
#include <gtest/gtest.h>

#include "os/os.h"
#include "tests/common/gesture_cycle.h"
#include "tests/common/live_cursor_handles.h"
#include "tests/native/engine_helpers.h"

TEST(Leaks, CursorHandlesOverAHundredThousandGestureCycles) {
  engine_test::freshEngine();
  fake::logMessages = false;
  fake::cursorFiles = {"C:\\arrow.cur"};  // the user chose an arrow only
  const char arrow[] = "C:\\arrow.cur";
  fake::setValue("Control Panel\\Cursors", "Arrow", REG_SZ, arrow, sizeof arrow);
  HWND app = fake::addWindow(nullptr, "SomeApplication", {0, 0, 400, 300});
  HWND bar = fake::addWindow(app, "ScrollBar", {380, 0, 400, 300}, SBS_VERT);
  gesture.panState = kPanStandby;
  loadCursors();

  runGestureCycle(app, {200, 150}, bar, {390, 150});
  const int live = liveCursorHandles();
  int restores = fake::cursorRestores;
  for (int i = 0; i < 100000; ++i) {
    fake::tickCount += 1000;
    runGestureCycle(app, {200, 150}, bar, {390, 150});
    ASSERT_EQ(liveCursorHandles(), live) << "cycle " << i;
  }
  EXPECT_EQ(live, 17);  // 14 gesture cursors, the user's arrow, the standard I-beam and cross
  // Every cycle handed copies to the system at each change of set, and reloaded nothing.
  EXPECT_GT(fake::cursors.size(), 100000u * 3 * 6);
  EXPECT_EQ(fake::cursorMisuse, 0);
  EXPECT_EQ(fake::cursorRestores, restores);
  EXPECT_EQ(gesture.panState, kPanStandby);
  EXPECT_EQ(gesture.extScrollState, kExtScrollOff);

  restoreUserCursors();
  releaseCursors();
  EXPECT_EQ(liveCursorHandles(), 0);
  EXPECT_EQ(fake::shownCursor(OCR_NORMAL), "C:\\arrow.cur");
  EXPECT_EQ(fake::shownCursor(OCR_IBEAM), "standard");
}
