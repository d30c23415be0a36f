// Cursor sets through the fake's system cursors: what shows, and that every handle is
// either ours or the system's, never lost, never used after it is gone.
#include <gtest/gtest.h>

#include <cstring>
#include "tests/native/engine_helpers.h"

using namespace engine_test;

namespace {
const char kCursorsKey[] = "Control Panel\\Cursors";
const std::vector<std::string> kStandard(3, "standard");

class CursorSets : public ::testing::Test {
 protected:
  void SetUp() override { freshEngine(); }
  void userValue(const char* name, const char* path) {
    fake::setValue(kCursorsKey, name, REG_SZ, path, std::strlen(path) + 1);
  }
};
}  // namespace

TEST_F(CursorSets, EachGestureSetShowsItsPictures) {
  for (int set = 3; set <= 15; ++set) {
    showCursorSet(set);
    EXPECT_EQ(shownImages(), setImages(set)) << set;
  }
  showCursorSet(5);
  EXPECT_EQ(shownImages(), (std::vector<std::string>{"res:266", "res:267", "res:271"}));
  showCursorSet(7);
  EXPECT_EQ(shownImages(), std::vector<std::string>(3, "res:267"));
  EXPECT_EQ(fake::cursorMisuse, 0);
}

TEST_F(CursorSets, LoadUnknownModesAndReleaseChangeNothingShown) {
  userValue("Crosshair", "C:\\c.cur");
  fake::cursorFiles = {"C:\\c.cur"};
  showCursorSet(12);
  size_t made = fake::cursors.size();
  for (int mode : {0, 16, -1, 1000}) {
    if (mode == kCursorUnknown) loadCursors();
    else showCursorSet(mode);
    EXPECT_EQ(shownImages(), setImages(12)) << mode;
  }
  EXPECT_EQ(fake::cursors.size(), made + 17);  // only the load made handles: every one anew
  releaseCursors();
  EXPECT_EQ(shownImages(), setImages(12));
  EXPECT_EQ(fake::liveCursors(), 0);
  releaseCursors();  // twice is harmless
  EXPECT_EQ(fake::cursorMisuse, 0);
}

TEST_F(CursorSets, HandlesNeitherPileUpNorGetUsedAfterTheSystemTookThem) {
  userValue("Arrow", "C:\\a.cur");
  userValue("IBeam", "C:\\i.cur");
  userValue("Crosshair", "C:\\c.cur");
  fake::cursorFiles = {"C:\\a.cur", "C:\\i.cur", "C:\\c.cur"};
  for (bool refused : {false, true}) {  // the system reloads them, or our files stand in
    SCOPED_TRACE(refused);
    fake::restoreFails = refused;
    fake::cursorRestores = 0;
    for (int cycle = 0; cycle < 1000; ++cycle) {
      loadCursors();
      for (int set = 3; set <= 15; ++set) showCursorSet(set);
      reloadUsersScheme();
      restoreUserCursors();  // nothing of ours shows: nothing to do
    }
    EXPECT_EQ(fake::liveCursors(), 17);
    EXPECT_EQ(fake::cursorMisuse, 0);
    EXPECT_EQ(shownImages(), (std::vector<std::string>{"C:\\a.cur", "C:\\i.cur", "C:\\c.cur"}));
    EXPECT_EQ(fake::cursorRestores, 1000);
  }
  releaseCursors();
  EXPECT_EQ(fake::liveCursors(), 0);
  EXPECT_EQ(fake::cursorMisuse, 0);
}

TEST_F(CursorSets, TheSystemReloadsTheUsersSchemeOrTheirFilesStandIn) {
  fake::cursorFiles = {"C:\\arrow.cur", "C:\\Windows\\cursors\\cross.cur"};
  userValue("Arrow", "C:\\arrow.cur");
  userValue("IBeam", "C:\\missing.cur");  // a file that does not load
  const char expandable[] = "%SystemRoot%\\cursors\\cross.cur";
  fake::setValue(kCursorsKey, "Crosshair", REG_EXPAND_SZ, expandable, sizeof expandable);
  fake::environment["SystemRoot"] = "C:\\Windows";
  loadCursors();
  showCursorSet(6);
  reloadUsersScheme();
  EXPECT_EQ(fake::cursorRestores, 1);
  EXPECT_EQ(fake::shownCursor(OCR_NORMAL), "C:\\arrow.cur");
  EXPECT_EQ(fake::shownCursor(OCR_IBEAM), "standard");

  // Refused, the system leaves ours; the files read under the system's names stand in, and the
  // standard cursor where a file does not load.
  fake::restoreFails = true;
  showCursorSet(9);
  reloadUsersScheme();
  EXPECT_EQ(shownImages(), (std::vector<std::string>{"C:\\arrow.cur", "standard",
                                                      "C:\\Windows\\cursors\\cross.cur"}));
  EXPECT_EQ(fake::liveCursors(), 17);

  // A value too long for the buffer, one without a terminating zero, or one whose expansion
  // does not fit, loads nothing wrong.
  std::string unterminated(kPathBytes, 'x');
  fake::setValue(kCursorsKey, "Arrow", REG_SZ, unterminated.data(), unterminated.size());
  fake::cursorFiles.push_back(unterminated);
  fake::setValue(kCursorsKey, "IBeam", REG_SZ, std::string(kPathBytes + 1, 'y').data(), kPathBytes + 1);
  fake::environment["SystemRoot"] = std::string(kPathBytes - 10, 'z');
  loadCursors();
  showCursorSet(9);
  restoreUserCursors();
  EXPECT_EQ(shownImages(), (std::vector<std::string>{unterminated, "standard", "standard"}));
  EXPECT_EQ(fake::cursorMisuse, 0);
}
