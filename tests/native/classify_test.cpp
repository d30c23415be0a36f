#include <gtest/gtest.h>

#include <set>
#include "engine/classify.h"
#include "engine/shell_windows.h"
#include "tests/fake/fakeos.h"

namespace {
const RECT kRect = {100, 100, 300, 250};

class Classify : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    taskbarWindow = startButton = desktopHost = nullptr;
  }
  void TearDown() override { taskbarWindow = startButton = desktopHost = nullptr; }
  // Controls of Qor's own process, whose hit tests it asks directly.
  HWND add(const char* cls, LONG style = 0, HWND parent = nullptr, RECT r = kRect) {
    HWND w = fake::addWindow(parent, cls, r, style);
    fake::window(w).processId = fake::kOwnProcess;
    return w;
  }
  int32_t at(HWND w, int32_t hit = HTERROR) { return classifyTarget(w, hit, 150, 160); }
};
}  // namespace

TEST_F(Classify, FixedClassNamesGiveTheirKinds) {
  struct { const char* cls; int32_t kind; } cases[] = {
      {"ComboBox", 62}, {"Edit", 63}, {"ListBox", 64}, {"MdiClient", 65}, {"SysAnimate32", 66},
      {"SysAnimate", 66}, {"ToolbarWindow32", 67}, {"ToolbarWindow", 67}, {"AfxControlBar", 67},
      {"msctls_statusbar32", 68}, {"msctls_statusbar", 68}, {"msctls_progress32", 71},
      {"msctls_progress", 71}, {"msctls_updown32", 72}, {"msctls_updown", 72},
      {"msctls_hotkey32", 73}, {"msctls_hotkey", 73}, {"TrayNotifyWnd", 77},
      {"TrayClockWClass", 78}, {"ComboLBox", 79},
      // Exact, case-sensitive names; anything else falls to the hit code (none here).
      {"EDIT", 82}, {"edit", 82}, {"Edit ", 82}, {"SysListView", 82}, {"", 82},
  };
  for (auto c : cases) EXPECT_EQ(at(add(c.cls)), c.kind) << c.cls;
}

TEST_F(Classify, StyleAndRectangleRules) {
  struct { const char* cls; LONG style; RECT rect; int32_t kind; } cases[] = {
      {"ScrollBar", 0x0, kRect, 80},            {"ScrollBar", 0x1, kRect, 81},
      {"ScrollBar", 0x8, kRect, 80},            {"msctls_trackbar32", 0x2, kRect, 69},
      {"msctls_trackbar32", 0x1, kRect, 70},    {"msctls_trackbar", 0x2, kRect, 69},
      {"msctls_trackbar", 0x0, kRect, 70},      {"123WScrollBar", 0x3, kRect, 81},
      {"123WScrollBar", 0x1, kRect, 80},        {"123WScrollBar", 0x2, kRect, 80},
      {"JSScrollBar", 0, {0, 0, 20, 21}, 81},   {"JSScrollBar", 0, {0, 0, 20, 20}, 80},
      {"JSScrollBar", 0, {0, 0, 21, 20}, 80},
  };
  for (auto c : cases) EXPECT_EQ(at(add(c.cls, c.style, nullptr, c.rect)), c.kind) << c.cls << c.style;
}

TEST_F(Classify, ButtonStyleGroups) {
  const int32_t expected[16] = {58, 58, 59, 59, 60, 60, 60, 60, 58, 60, 59, 60, 60, 60, 60, 60};
  for (LONG type = 0; type < 16; ++type)
    EXPECT_EQ(at(add("Button", 0x50000000 | type)), expected[type]) << type;
  HWND tray = add("Shell_TrayWnd");
  taskbarWindow = tray;
  EXPECT_EQ(at(add("Button", BS_CHECKBOX, tray)), 75);  // the Start button, whatever its style
  EXPECT_EQ(at(add("Button", BS_CHECKBOX, add("X", 0, tray))), 59);  // deeper in the taskbar
}

TEST_F(Classify, HitCodesAloneForUnknownAndStaticClasses) {
  const int32_t codes[21] = {18, 16, 17, 13, 14, 4, 15, 12, 10, 11, 2,
                             6, 7, 9, 8, 3, 20, 21, 5, 0, 1};
  for (const char* cls : {"Static", "SomeAppWindow"}) {
    HWND w = add(cls);
    for (int kind = 0; kind < 21; ++kind) EXPECT_EQ(at(w, codes[kind]), kind) << cls;
    for (int32_t code : {-2, -1, 19, 22, 1000}) EXPECT_EQ(at(w, code), 82) << code;
  }
  HWND gone = add("Edit");
  fake::destroyWindow(gone);
  EXPECT_EQ(at(gone, HTVSCROLL), 12);  // unreadable class name: the hit code decides
}

TEST_F(Classify, TaskbarWindowByHitCode) {
  HWND tray = add("Shell_TrayWnd");
  EXPECT_EQ(at(tray, HTCAPTION), 74);
  EXPECT_EQ(at(tray, HTCLIENT), 78);
  EXPECT_EQ(at(tray, HTTOP), 7);
  EXPECT_EQ(at(tray, HTERROR), 82);
}

TEST_F(Classify, ControlHitTestFlagTables) {
  struct { const char* cls; uint32_t flags; int32_t kind; } cases[] = {
      {"SysHeader32", HHT_NOWHERE, 48}, {"SysHeader32", HHT_ONDIVIDER, 49},
      {"SysHeader32", HHT_ONDIVOPEN, 50}, {"SysHeader32", HHT_ONHEADER, 51},
      {"SysHeader32", HHT_TOLEFT, 52}, {"SysHeader32", HHT_TORIGHT, 53},
      {"SysHeader32", 0x6, 48}, {"SysHeader32", 0, 48},
      {"SysListView32", LVHT_ONITEMSTATEICON, 26}, {"SysListView32", LVHT_BELOW, 22},
      {"SysListView32", LVHT_NOWHERE, 23}, {"SysListView32", LVHT_ONITEMICON, 24},
      {"SysListView32", LVHT_ONITEMLABEL, 25}, {"SysListView32", LVHT_TOLEFT, 27},
      {"SysListView32", LVHT_TORIGHT, 28}, {"SysListView32", 0x6, 23}, {"SysListView32", 0, 23},
      {"SysTreeView32", TVHT_ABOVE, 37}, {"SysTreeView32", TVHT_BELOW, 38},
      {"SysTreeView32", TVHT_NOWHERE, 39}, {"SysTreeView32", TVHT_ONITEMBUTTON, 40},
      {"SysTreeView32", TVHT_ONITEMICON, 41}, {"SysTreeView32", TVHT_ONITEMINDENT, 42},
      {"SysTreeView32", TVHT_ONITEMLABEL, 43}, {"SysTreeView32", TVHT_ONITEMRIGHT, 44},
      {"SysTreeView32", TVHT_ONITEMSTATEICON, 45}, {"SysTreeView32", TVHT_TOLEFT, 46},
      {"SysTreeView32", TVHT_TORIGHT, 47}, {"SysTreeView32", 0x46, 39},
      {"SysTabControl32", TCHT_NOWHERE, 54}, {"SysTabControl32", TCHT_ONITEMICON, 55},
      {"SysTabControl32", TCHT_ONITEMLABEL, 56}, {"SysTabControl32", TCHT_ONITEM, 57},
      {"SysTabControl32", 0, 57},
  };
  for (auto c : cases) {
    HWND w = add(c.cls);
    fake::window(w).hitFlags = c.flags;
    EXPECT_EQ(at(w), c.kind) << c.cls << " " << c.flags;
  }
}

TEST_F(Classify, ControlHitTestAsksWithClientPointAndRightMessage) {
  struct { const char* cls; UINT message; } cases[] = {
      {"SysHeader32", HDM_HITTEST}, {"SysListView32", LVM_HITTEST},
      {"SysTreeView32", TVM_HITTEST}, {"SysTabControl32", TCM_HITTEST}};
  for (auto c : cases) {
    fake::sent.clear();
    HWND w = add(c.cls);
    at(w);
    ASSERT_EQ(fake::sent.size(), 1u) << c.cls;
    EXPECT_EQ(fake::sent[0].message, c.message);
    EXPECT_EQ(fake::sent[0].lParam, (60 << 16) | 50);  // (150,160) less the origin (100,100)
  }
}

TEST_F(Classify, DesktopListViewAndTaskbarTabsByAncestry) {
  HWND progman = add("Progman");
  HWND defView = add("SHELLDLL_DefView", 0, progman);
  HWND desktop = add("SysListView32", 0, defView);
  HWND other = add("SysListView32", 0, add("Frame", 0, add("App")));
  HWND tray = add("Shell_TrayWnd");
  HWND tabs = add("SysTabControl32", 0, add("ReBarWindow32", 0, tray));
  fake::window(tabs).hitFlags = TCHT_NOWHERE;

  struct { uint32_t flags; int32_t desktopKind, elsewhereKind; } cases[] = {
      {LVHT_ONITEMICON, 32, 24}, {LVHT_ONITEMLABEL, 33, 25}, {LVHT_NOWHERE, 31, 23},
      {LVHT_ONITEMSTATEICON, 34, 26}, {LVHT_BELOW, 30, 22}, {LVHT_TOLEFT, 35, 27},
      {LVHT_TORIGHT, 36, 28}, {0x6, 23, 23}, {0, 23, 23}};
  // Before the shell windows are known, nothing is the desktop or the taskbar.
  fake::window(desktop).hitFlags = LVHT_ONITEMICON;
  EXPECT_EQ(at(desktop), 24);
  EXPECT_EQ(at(tabs), 54);
  desktopHost = progman;
  taskbarWindow = tray;
  for (auto c : cases) {
    fake::window(desktop).hitFlags = c.flags;
    fake::window(other).hitFlags = c.flags;
    EXPECT_EQ(at(desktop), c.desktopKind) << c.flags;
    EXPECT_EQ(at(other), c.elsewhereKind) << c.flags;
  }
  fake::sent.clear();
  EXPECT_EQ(at(tabs), 76);
  EXPECT_TRUE(fake::sent.empty());  // no hit test needed inside the taskbar
}

TEST_F(Classify, KindsThatCanNeverBeProduced) {
  // Scan every class of the table with every single flag and hit code: 21, 29 and 61 never come.
  std::set<int32_t> produced;
  const char* classes[] = {"SysHeader32", "SysListView32", "SysTreeView32", "SysTabControl32",
                           "ScrollBar", "Button", "Shell_TrayWnd", "Unknown"};
  HWND progman = add("Progman");
  desktopHost = progman;
  for (const char* cls : classes) {
    for (HWND parent : {(HWND) nullptr, add("V", 0, progman)}) {
      HWND w = add(cls, 0, parent);
      for (LONG style = 0; style < 16; ++style) {
        fake::window(w).style = style;
        for (int bit = -1; bit < 13; ++bit) {
          fake::window(w).hitFlags = bit < 0 ? 0 : 1u << bit;
          for (int hit = -2; hit < 23; ++hit) produced.insert(at(w, hit));
        }
      }
    }
  }
  for (int32_t never : {21, 29, 61}) EXPECT_EQ(produced.count(never), 0u) << never;
  for (int32_t some : {0, 20, 22, 23, 30, 31, 32, 48, 57, 58, 59, 60, 74, 78, 80, 81, 82})
    EXPECT_EQ(produced.count(some), 1u) << some;
}

TEST_F(Classify, ActionClassesAndPannableKinds) {
  struct { int32_t actionClass; std::vector<int32_t> kinds; } groups[] = {
      {1168, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 49, 50}},
      {1169, {10}},
      {1170, {11, 21, 22, 29, 30, 37, 38, 70, 80}},
      {1171, {12, 27, 28, 35, 36, 46, 47, 52, 53, 69, 72, 81}},
      {1172, {13, 14, 15, 16, 17}},
      {1173, {18, 19}},
      {1174, {26, 34, 45, 51, 58, 59, 60, 61, 75}},
      {1175, {32, 33}},
      {1176, {24, 25}},
      {1177, {40, 41, 43}},
      {1178, {55, 56, 57, 76}},
      {1179, {20, 23, 31, 39, 42, 44, 48, 54, 62, 63, 64, 65, 66, 67, 68, 71, 73, 74, 77, 78, 79}},
  };
  int covered = 0;
  for (auto& g : groups)
    for (int32_t k : g.kinds) {
      EXPECT_EQ(actionClassOf(k), g.actionClass) << k;
      ++covered;
    }
  EXPECT_EQ(covered, 82);
  for (int32_t k : {-1, 82, 999}) EXPECT_EQ(actionClassOf(k), 0) << k;

  std::set<int32_t> pannable = {10, 20, 23, 39, 42, 44, 63, 64, 65, 79};
  for (int32_t k = -1; k <= 1000; ++k) EXPECT_EQ(isPannableKind(k), pannable.count(k) == 1) << k;
}

TEST_F(Classify, DesktopIconsUnderProgmanOrAWorkerWAndTheStartWindowIfAny) {
  // Where the desktop's view lives (0 Progman, 1 the second WorkerW), and the taskbar's
  // children: a Windows 10 "Start", a "Button", or none (Windows 11).
  struct { int host; const char* startClass; } rows[] = {
      {0, "Button"}, {1, "Start"}, {1, nullptr}, {0, nullptr},
  };
  for (auto r : rows) {
    SCOPED_TRACE(testing::Message() << r.host << " " << (r.startClass ? r.startClass : "-"));
    SetUp();
    findShellWindows();
    EXPECT_EQ(startButton, nullptr);  // no taskbar: not looked for elsewhere
    HWND tray = add("Shell_TrayWnd");
    add("TrayNotifyWnd", 0, tray);
    if (r.startClass) add(r.startClass, 0, tray);  // below the topmost one
    HWND start = r.startClass ? add(r.startClass, 0, tray) : nullptr;
    HWND progman = add("Progman");
    fake::window(progman).title = "Program Manager";
    HWND emptyWorker = add("WorkerW");
    add("SHELLDLL_DefView", 0, emptyWorker);  // a view without the icons
    HWND worker = add("WorkerW");
    HWND host = r.host == 0 ? progman : worker;
    HWND icons = add("SysListView32", 0, add("SHELLDLL_DefView", 0, host));
    findShellWindows();
    EXPECT_EQ(desktopHost, host);
    EXPECT_EQ(startButton, start);
    HWND plain = add("SysListView32");
    fake::window(icons).hitFlags = fake::window(plain).hitFlags = LVHT_NOWHERE;
    EXPECT_EQ(at(icons), at(plain) + kDesktopListViewOffset);
  }
}
