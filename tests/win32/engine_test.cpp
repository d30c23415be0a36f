// The engine on the real system: the gesture cursors as Windows loads them from the
// resources, and scroll steps arriving in a window of another process.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>
#include "engine/cursor.h"
#include "engine/scroll.h"
#include "os/os.h"
#include "resources/resource.h"
#include "tests/testapp/launch.h"

namespace {
struct CursorPicture {
  int id;
  int hotspotX, hotspotY;
};
// The hotspots of the cursor table.
const CursorPicture kCursors[] = {
    {IDCUR_STANDBY_ARROW, 0, 0},   {IDCUR_VERTICAL, 16, 15},      {IDCUR_HORIZONTAL, 16, 15},
    {IDCUR_STANDBY_CROSS, 15, 15}, {IDCUR_FOUR_WAY, 16, 15},      {IDCUR_STANDBY_IBEAM, 2, 12},
    {IDCUR_UP, 15, 20},            {IDCUR_DOWN, 16, 8},           {IDCUR_RIGHT, 10, 14},
    {IDCUR_LEFT, 21, 14},          {IDCUR_UP_LEFT, 20, 18},       {IDCUR_DOWN_LEFT, 19, 10},
    {IDCUR_UP_RIGHT, 12, 18},      {IDCUR_DOWN_RIGHT, 12, 11},
};

// The picture as drawn in the sources: 32 rows of '.', '#', 'o' (hotspot '+', '@', 'O').
std::vector<std::string> drawnPicture(int id) {
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s/resources/cursors/%d.txt", QOR_SOURCE_DIR, id);
  std::vector<std::string> rows;
  FILE* f = std::fopen(path, "r");
  if (!f) return rows;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    std::string row(line);
    while (!row.empty() && (row.back() == '\n' || row.back() == '\r')) row.pop_back();
    if (row.size() == 32 && row.find(' ') == std::string::npos) rows.push_back(row);
  }
  std::fclose(f);
  return rows;
}

// What Windows shows for pixel (x, y) of a monochrome cursor's mask: the AND mask above,
// the XOR bitmap below; at size pixels, at the first pixel that stands for (x, y) alone.
std::vector<std::string> loadedPicture(HBITMAP mask, int size) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, mask);
  auto bit = [&](int x, int y, int half) {
    return GetPixel(dc, (x * size + 31) / 32, (y * size + 31) / 32 + half) != 0;
  };
  std::vector<std::string> rows;
  for (int y = 0; y < 32; ++y) {
    std::string row;
    for (int x = 0; x < 32; ++x) row += bit(x, y, 0) ? '.' : bit(x, y, size) ? 'o' : '#';
    rows.push_back(row);
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  return rows;
}

std::vector<std::string> withoutHotspot(std::vector<std::string> rows) {
  for (std::string& row : rows)
    for (char& c : row) c = c == '+' ? '.' : c == '@' ? '#' : c == 'O' ? 'o' : c;
  return rows;
}

void expectCursorsAt(int size) {
  for (const CursorPicture& c : kCursors) {
    SCOPED_TRACE(c.id);
    HCURSOR cursor = osLoadCursorResource(c.id, systemCursorSize());
    ASSERT_NE(cursor, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, DWORD((c.hotspotX * size + 31) / 32));
    EXPECT_EQ(info.yHotspot, DWORD((c.hotspotY * size + 31) / 32));
    EXPECT_EQ(info.hbmColor, nullptr);  // monochrome: one mask bitmap of both halves
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, size);
    EXPECT_EQ(mask.bmHeight, 2 * size);
    EXPECT_EQ(mask.bmBitsPixel, 1);
    std::vector<std::string> drawn = drawnPicture(c.id);
    ASSERT_EQ(drawn.size(), 32u);
    EXPECT_EQ(drawn[c.hotspotY].find_first_of("+@O"), size_t(c.hotspotX));
    EXPECT_EQ(loadedPicture(info.hbmMask, size), withoutHotspot(drawn));
    DeleteObject(info.hbmMask);
    // What the engine gives the system: a copy, as a cursor of the same kind.
    HCURSOR copy = osCopyCursor(cursor);
    ICONINFO copied = {};
    ASSERT_TRUE(GetIconInfo(copy, &copied));
    EXPECT_EQ(copied.xHotspot, info.xHotspot);
    DeleteObject(copied.hbmMask);
    osDestroyCursor(copy);
    osDestroyCursor(cursor);
  }
  EXPECT_EQ(osLoadCursorResource(265, size), nullptr);  // no such cursor
}
}  // namespace

// At the pointer size the user chose (out of range: unchanged), from images of 48 and 64 pixels.
TEST(RealCursors, LoadFromTheResourcesAtThePointerSizeWithTheirHotspotsAndPictures) {
  const DWORD kPointerSizes[][2] = {{48, 48}, {64, 64}, {300, 32}, {32, 32}};
  for (const DWORD* s : kPointerSizes) {
    SCOPED_TRACE(s[0]);
    RegSetKeyValueA(HKEY_CURRENT_USER, kUserCursorsKey, kPointerSizeValue, REG_DWORD, s, 4);
    expectCursorsAt(static_cast<int>(s[1]));
  }
}

namespace {
class RealScroll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app = startTestApp();
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, TESTAPP_LOG_NAME);
    if (mapping) log = static_cast<const TestLog*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  }
  static void TearDownTestSuite() { stopTestApp(app); }
  void SetUp() override {
    ASSERT_TRUE(app.main && app.plain && log) << "test application did not start";
    SendMessageA(app.main, TESTAPP_WM_CLEAR_LOG, 0, 0);
  }
  // The scroll messages the test application's windows received, in order.
  static std::vector<TestLogEntry> received() {
    std::vector<TestLogEntry> out;
    for (LONG i = 0; i < log->count; ++i) {
      const TestLogEntry& e = log->entry[i];
      if (e.message == WM_VSCROLL || e.message == WM_HSCROLL) out.push_back(e);
    }
    return out;
  }
  static std::vector<TestLogEntry> pairs(HWND to, UINT message, WPARAM line, int count,
                                         HWND control = nullptr) {
    std::vector<TestLogEntry> out;
    uint32_t window = uint32_t(uintptr_t(to)), lParam = uint32_t(uintptr_t(control));
    for (int i = 0; i < count; ++i) {
      out.push_back({window, message, uint32_t(line), lParam});
      out.push_back({window, message, SB_ENDSCROLL, lParam});
    }
    return out;
  }
  static TestAppProcess app;
  static const TestLog* log;
};
TestAppProcess RealScroll::app;
const TestLog* RealScroll::log;
}  // namespace

static bool operator==(const TestLogEntry& a, const TestLogEntry& b) {
  return a.window == b.window && a.message == b.message && a.wParam == b.wParam &&
         a.lParam == b.lParam;
}
static std::vector<TestLogEntry> operator+(std::vector<TestLogEntry> a,
                                           const std::vector<TestLogEntry>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(RealScroll, ExactPairsReachAWindowOfAnotherProcess) {
  sendScrollSteps(app.plain, 1, -1, 2, 3, 12);
  auto expected = pairs(app.plain, WM_VSCROLL, SB_LINEUP, 3) +
                  pairs(app.plain, WM_HSCROLL, SB_LINERIGHT, 2);
  EXPECT_TRUE(received() == expected) << received().size() << " messages";
}

TEST_F(RealScroll, ScrollBarControlStepsGoToItsParentWithTheControl) {
  HWND vbar = GetDlgItem(app.main, kTestVScrollBar);
  HWND hbar = GetDlgItem(app.main, kTestHScrollBar);
  sendScrollSteps(vbar, 0, 1, 1, 2, 81);
  sendScrollSteps(hbar, -1, 0, 1, 2, 80);
  auto expected = pairs(app.main, WM_VSCROLL, SB_LINEDOWN, 2, vbar) +
                  pairs(app.main, WM_HSCROLL, SB_LINELEFT, 1, hbar);
  EXPECT_TRUE(received() == expected) << received().size() << " messages";
}

TEST_F(RealScroll, ClientAreaFindsTheScrollBarControlUnderTheCursor) {
  HWND hbar = GetDlgItem(app.main, kTestHScrollBar);
  RECT r;
  GetWindowRect(hbar, &r);
  SetCursorPos((r.left + r.right) / 2, r.bottom + 40);  // within its span, below it
  sendScrollSteps(app.main, 1, 1, 1, 1, 20);
  // No vertical control spans that height: the window's own bar gets the vertical step.
  auto expected = pairs(app.main, WM_VSCROLL, SB_LINEDOWN, 1) +
                  pairs(app.main, WM_HSCROLL, SB_LINERIGHT, 1, hbar);
  EXPECT_TRUE(received() == expected) << received().size() << " messages";
}
