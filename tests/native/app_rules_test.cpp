// The application shell's rules: the command line and the settings dialog's size.
#include <gtest/gtest.h>

#include "app/app_rules.h"
#include "resources/names.h"
#include "resources/resource.h"
#include "tests/fake/fakeos.h"

TEST(TimerPeriod, CommandLineTails) {
  struct { const char* tail; int32_t ms; } cases[] = {
      {"", 10},          {"0", 10},          {"-20", 10},        {"a5", 10},
      {"  250xyz", 250}, {"1", 1},           {"1000", 1000},     {"1001", 1000},
      {"+7", 7},         {"\t\n\v\f\r 42", 42}, {"99999999999999999999", 1000},
      {"-99999999999999999999", 10},         {"12 34", 12},      {nullptr, 10},
  };
  for (auto c : cases) EXPECT_EQ(parseTimerPeriod(c.tail), c.ms) << (c.tail ? c.tail : "null");
}

TEST(DialogSize, ChoiceBySettingAndDesktopWidth) {
  struct { int32_t setting; LONG desktopWidth; int32_t size; } cases[] = {
      {2, 800, 0}, {2, 801, 1}, {0, 1280, 0}, {1, 640, 1}, {3, 1280, 0}, {-1, 1280, 0},
      {INT32_MIN, 1280, 0},
  };
  for (auto c : cases) {
    fake::reset();
    fake::desktopWindow = fake::addWindow(nullptr, "#32769", {-100, 0, c.desktopWidth - 100, 600});
    EXPECT_EQ(chooseDialogSize(c.setting), c.size) << c.setting << " at " << c.desktopWidth;
  }
}

// A copy killed in the middle of a gesture left its cursor showing: the next start puts the
// user's own back first, unless a copy still runs, whose gesture is left alone.
TEST(SingleCopy, TheFirstStepRestoresTheUsersCursorsUnlessACopyRuns) {
  for (bool running : {false, true}) {
    fake::reset();
    const char userArrow[] = "C:\\arrow.cur";
    fake::setValue(kUserCursorsKey, kUserCursorValues[0], REG_SZ, userArrow, sizeof userArrow);
    fake::cursorFiles = {userArrow};
    osSetSystemCursor(osLoadCursorResource(IDCUR_DOWN, 32), OCR_NORMAL);  // the killed copy's cursor
    if (running) fake::addWindow(nullptr, MAIN_WINDOW_CLASS, {0, 0, 10, 10});
    EXPECT_EQ(startAsOnlyCopy(), !running);
    EXPECT_EQ(fake::cursorRestores, running ? 0 : 1);
    const std::string killedCopys = "res:" + std::to_string(IDCUR_DOWN);
    EXPECT_EQ(fake::shownCursor(OCR_NORMAL), running ? killedCopys : userArrow) << running;
    EXPECT_EQ(fake::shownCursor(OCR_IBEAM), "standard");
  }
}
