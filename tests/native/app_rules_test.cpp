// The application shell's rules: the integrity it runs at, the command line, the settings
// dialog's size and the event-slot block's security.
#include <gtest/gtest.h>

#include "rules/app_rules.h"
#include "rules/help_url.h"
#include "engine/cursor.h"
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
// user's own back first, unless the block names a copy that runs, left alone and asked to open
// its settings only when it runs this Qor.exe at this integrity (not a stand-in's window).
TEST(SingleCopy, TheFirstStepRestoresTheUsersCursorsUnlessACopyRuns) {
  struct { DWORD copy; const char* image; DWORD level; bool asked; } cases[] = {  // the copy 3000
      {0, "", 0, false},  // none runs
      {3000, "c:\\qor\\QOR.exe", 0, true},  // this Qor.exe, at this (medium) integrity
      {3000, "C:\\Other\\Qor.exe", 0, false},
      {3000, "C:\\Qor\\Qor.exe", SECURITY_MANDATORY_HIGH_RID, false},
  };
  for (auto c : cases) {
    const bool running = c.copy != 0;
    fake::reset();
    fake::processImages = {{fake::kOwnProcess, "C:\\Qor\\Qor.exe"}, {3000, c.image}};
    if (c.level) fake::integrity = {{3000, c.level}};
    const char userArrow[] = "C:\\arrow.cur";
    fake::setValue(kUserCursorsKey, kUserCursorValues[0], REG_SZ, userArrow, sizeof userArrow);
    fake::cursorFiles = {userArrow};
    osSetSystemCursor(osLoadCursorResource(IDCUR_DOWN, 32), OCR_NORMAL);  // the killed copy's cursor
    fake::addWindow(nullptr, MAIN_WINDOW_CLASS, {0, 0, 10, 10});  // a stand-in's
    HWND copy = fake::addWindow(nullptr, MAIN_WINDOW_CLASS, {0, 0, 10, 10});
    fake::window(copy).processId = 3000;
    EXPECT_EQ(startAsOnlyCopy(c.copy), !running);
    const std::vector<SentMessage> asked = {{copy, openSettingsMessage, 0, 0}};
    EXPECT_EQ(fake::queued, c.asked ? asked : std::vector<SentMessage>());
    EXPECT_EQ(fake::cursorRestores, running ? 0 : 1);
    const std::string killedCopys = "res:" + std::to_string(IDCUR_DOWN);
    EXPECT_EQ(fake::shownCursor(OCR_NORMAL), running ? killedCopys : userArrow) << running;
    EXPECT_EQ(fake::shownCursor(OCR_IBEAM), "standard");
  }
}

// Qor runs no higher than the user's shell: the shell window's process, the taskbar's where
// there is none, medium where there is neither.
TEST(Integrity, QorRefusesToRunAboveTheShell) {
  const DWORD kMedium = SECURITY_MANDATORY_MEDIUM_RID, kHigh = SECURITY_MANDATORY_HIGH_RID;
  struct { const char* shell; DWORD shellLevel, own; bool refused; } cases[] = {
      {"Progman", kHigh, kHigh, false},       {"Progman", kMedium, kHigh, true},
      {"Shell_TrayWnd", kMedium, kHigh, true}, {"Shell_TrayWnd", kHigh, kHigh, false},
      {nullptr, 0, kMedium, false},           {nullptr, 0, kHigh, true}};
  for (auto c : cases) {
    fake::reset();
    fake::integrity = {{fake::kOwnProcess, c.own}, {50, c.shellLevel}};
    if (c.shell) fake::window(fake::addWindow(nullptr, c.shell, {0, 0, 1, 1})).processId = 50;
    if (c.shell && c.shell[0] == 'P') fake::shellWindow = osFindWindow("Progman", nullptr);
    EXPECT_EQ(runsAboveTheShell(), c.refused) << (c.shell ? c.shell : "none") << c.shellLevel;
  }
}

TEST(EventSlotsSecurity, TheUsersAndSystemsAloneAndNeitherWritableNorReadableFromBelow) {
  char text[512];
  ASSERT_TRUE(eventSlotsSecurityText("S-1-5-7", false, text));
  EXPECT_STREQ(text, "O:S-1-5-7D:P(A;;0xf001f;;;SY)(A;;0x120007;;;S-1-5-7)S:(ML;;NWNRNX;;;ME)");
  ASSERT_TRUE(eventSlotsSecurityText("S-1-5-21-7", true, text));
  EXPECT_STREQ(text, "O:S-1-5-21-7D:P(A;;0xf000f;;;SY)(A;;0xf000f;;;S-1-5-21-7)S:(ML;;NWNR;;;ME)");
}

TEST(HelpPage, TheAddressIsPercentEncoded) {
  struct { const char* path; const char* url; } cases[] = {
      {"C:\\Qor\\Qor.html", "file:///C:/Qor/Qor.html#h45"},
      {"C:\\Users\\A B\\Qor.html", "file:///C:/Users/A%20B/Qor.html#h45"},
      {"C:\\Qor-\xC3\x85\xC3\xB8-\xE6\xB5\x8B\\Qor.html", "file:///C:/Qor-%C3%85%C3%B8-%E6%B5%8B/Qor.html#h45"},
      {"C:\\50%#1\\Qor.html", "file:///C:/50%25%231/Qor.html#h45"},
  };
  for (auto c : cases) {
    char url[128];
    ASSERT_TRUE(helpPageUrl(c.path, "h45", url, sizeof url));
    EXPECT_STREQ(url, c.url);
  }
  char tiny[16];
  EXPECT_FALSE(helpPageUrl("C:\\Qor\\Qor.html", "h45", tiny, sizeof tiny));
}
