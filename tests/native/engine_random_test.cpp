// A seeded stream of a million mouse events, timer ticks and main-thread changes over a
// varied fake desktop whose windows come and go, some events arriving nested inside the
// engine's own sends. After every event the engine's invariants must hold. Another seed:
// QOR_ENGINE_SEED=n.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include "tests/common/engine_invariants.h"
#include "tests/native/engine_helpers.h"

using namespace engine_test;

namespace {
const int kEvents = 1000000;
const char kArrowFile[] = "C:\\Cursors\\arrow.cur";

std::mt19937 rng;
std::vector<HWND> handles;  // every window made, destroyed ones too
int nestingDepth;

int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
bool chance(int percent) { return pick(100) < percent; }
RECT randomRect(RECT within) {
  LONG w = within.right - within.left, h = within.bottom - within.top;
  LONG left = within.left + pick(w), top = within.top + pick(h);
  return {left, top, left + 1 + pick(within.right - left), top + 1 + pick(within.bottom - top)};
}

const char* const kClasses[] = {
    "AppWindow", "Static", "Edit", "ListBox", "MdiClient", "ComboLBox", "ScrollBar",
    "SysListView32", "SysTreeView32", "SysHeader32", "SysTabControl32", "Button",
    "msctls_trackbar32", "msctls_updown32", "123WScrollBar", "JSScrollBar", "ToolbarWindow32",
};
const uint32_t kFlags[] = {0, 0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x100, 0x200, 0x400, 0x800, 0x6};

HWND addRandomWindow(HWND parent) {
  RECT within = parent ? fake::window(parent).rect : RECT{0, 0, 1280, 1000};
  HWND w = fake::addWindow(parent, kClasses[pick(17)], randomRect(within), pick(16));
  FakeWindow& f = fake::window(w);
  f.ncHitTest = pick(24) - 2;
  f.hitFlags = kFlags[pick(13)];
  f.visible = !chance(10);
  f.enabled = !chance(10);
  handles.push_back(w);
  return w;
}

void buildDesktop() {
  freshEngine();
  fake::logMessages = false;
  handles.clear();
  desktopHost = fake::addWindow(nullptr, "Progman", {0, 0, 1280, 1024});
  HWND view = fake::addWindow(desktopHost, "SHELLDLL_DefView", {0, 0, 1280, 1024});
  HWND icons = fake::addWindow(view, "SysListView32", {0, 0, 1280, 1024});
  fake::window(icons).hitFlags = LVHT_NOWHERE;
  taskbarWindow = fake::addWindow(nullptr, "Shell_TrayWnd", {0, 1000, 1280, 1024});
  startButton = fake::addWindow(taskbarWindow, "Button", {0, 1000, 60, 1024});
  handles = {desktopHost, view, icons, taskbarWindow, startButton};
  for (int i = 0; i < 8; ++i) {
    HWND top = addRandomWindow(nullptr);
    for (int j = pick(6); j > 0; --j) {
      HWND child = addRandomWindow(top);
      if (chance(30)) addRandomWindow(child);
    }
  }
  // The user has an arrow file; the I-beam's does not load; no cross is set.
  fake::cursorFiles = {kArrowFile};
  fake::setValue("Control Panel\\Cursors", "Arrow", REG_SZ, kArrowFile, sizeof kArrowFile);
  fake::setValue("Control Panel\\Cursors", "IBeam", REG_SZ, "C:\\gone.cur", 12);
  loadCursors();
  osRestoreSystemCursors();  // the system shows the user's scheme before Qor starts
}

const UINT kButtons[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                         WM_RBUTTONUP, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCLBUTTONDBLCLK,
                         WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_MBUTTONDOWN, 0x020A};
const int32_t kHitCodes[] = {HTCLIENT, HTCLIENT, HTCAPTION, HTVSCROLL, HTHSCROLL, HTNOWHERE,
                             HTERROR, HTBORDER, HTMENU, HTSYSMENU, HTTRANSPARENT, 99};

POINT pointer = {640, 500};

// One mouse event as the hook reports it; answers the engine's result.
int32_t mouseEvent(UINT message) {
  if (message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE) {
    if (chance(70)) {  // mostly small moves, as a hand makes them
      pointer.x = int32_t(uint32_t(pointer.x) + uint32_t(pick(31) - 15));
      pointer.y = int32_t(uint32_t(pointer.y) + uint32_t(pick(31) - 15));
    } else if (chance(99)) {
      pointer = {pick(1400) - 60, pick(1100) - 40};
    } else {  // what a broken hook record could hold
      pointer = {INT32_MIN + pick(20), INT32_MAX - pick(20)};
    }
    fake::cursorPos = pointer;
  }
  HWND w = chance(80) ? osWindowFromPoint(pointer) : handles[pick(int(handles.size()))];
  return engineMouseEvent(w, message, kHitCodes[pick(12)], pointer.x, pointer.y);
}

// Things that happen on other threads while the engine waits in a send.
void nestedNotification(HWND, UINT) {
  if (nestingDepth > 1 || !chance(3)) return;
  ++nestingDepth;
  if (chance(15)) fake::destroyWindow(handles[pick(int(handles.size()))]);
  else mouseEvent(chance(50) ? WM_MOUSEMOVE : kButtons[pick(12)]);
  --nestingDepth;
}

void changeSettings() {
  ProfileSettings& s = currentSettings;
  switch (pick(8)) {
    case 0: toggleSetting(s.panEnabled); break;
    case 1: toggleSetting(s.extScrollEnabled); break;
    case 2: toggleSetting(s.extScrollSwapButtons); break;
    case 3: toggleSetting(s.dblClickMovesToStart); break;
    case 4: toggleSetting(s.dblClickOpensStartMenu); break;
    case 5: s.panHResponse = pick(30) + 1; s.panVResponse = pick(30) + 1; break;
    case 6: s.panHCount = pick(7) + 1; s.panVCount = pick(7) + 1; break;
    default: s.extScrollHCount = pick(7) + 1; s.extScrollVCount = pick(7) + 1; break;
  }
}

// What the user's own cursors look like here: their arrow file, the standard elsewhere.
const std::vector<std::string> kUserImages = {kArrowFile, "standard", "standard"};

::testing::AssertionResult invariantsHold(bool movement, int32_t result) {
  auto fail = [](const char* what) { return ::testing::AssertionFailure() << what; };
  if (const char* broken = brokenEngineInvariant()) return fail(broken);
  if (movement && result != 1) return fail("a movement was swallowed");
  if (fake::sendsToNonWindows != 0) return fail("a message went to a window that does not exist");
  if (gesture.appliedCursor != gesture.wantedCursor)
    return fail("the applied cursor set is not the wanted one");
  if (gesture.appliedCursor == kCursorUser && shownImages() != kUserImages)
    return fail("the user's cursors are not shown");
  if (gesture.appliedCursor >= kCursorVertical && shownImages() != setImages(gesture.appliedCursor))
    return fail("the applied set is not shown");
  if (fake::liveCursors() > 17) return fail("cursor handles pile up");
  return ::testing::AssertionSuccess();
}
}  // namespace

TEST(EngineRandom, InvariantsHoldOverAMillionEvents) {
  const char* seedText = std::getenv("QOR_ENGINE_SEED");
  unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 20261207u;
  rng.seed(seed);
  buildDesktop();
  fake::onSend = nestedNotification;
  int counts[4] = {}, extCounts[3] = {};
  UINT pendingRelease = 0;
  for (int i = 0; i < kEvents; ++i) {
    bool movement = false;
    int32_t result = 1;
    int what = pick(100);
    if (pendingRelease) {
      result = mouseEvent(pendingRelease);
      pendingRelease = 0;
    } else if (what < 45) {
      movement = true;
      result = mouseEvent(chance(80) ? WM_MOUSEMOVE : WM_NCMOUSEMOVE);
    } else if (what < 65) {
      result = mouseEvent(kButtons[pick(12)]);
    } else if (what < 75) {
      // A click: the release follows at the same point.
      UINT press = chance(60) ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
      result = mouseEvent(press);
      pendingRelease = press + 1;
    } else if (what < 95) {
      fake::tickCount += chance(1) ? 0x7FFFFFFFu + pick(1000) : DWORD(pick(40));
      engineTick();
    } else {
      switch (pick(5)) {  // the main thread, the menu loop, windows coming and going
        case 0: gesture.panState = gesture.panState == kPanOff ? kPanStandby : kPanOff; break;
        case 1: gesture.menuLoopSeen = 1; break;
        case 2: changeSettings(); break;
        case 3: fake::destroyWindow(handles[pick(int(handles.size()))]); break;
        default: {
          HWND parent = handles[pick(int(handles.size()))];
          addRandomWindow(chance(50) || !osIsWindow(parent) ? nullptr : parent);
          break;
        }
      }
      continue;
    }
    ++counts[gesture.panState];
    ++extCounts[gesture.extScrollState];
    ASSERT_TRUE(invariantsHold(movement, result)) << "seed " << seed << ", event " << i;
  }
  fake::onSend = nullptr;
  restoreUserCursors();
  releaseCursors();
  EXPECT_EQ(fake::liveCursors(), 0);
  // The stream reached every state, not only the idle ones.
  for (int state = 0; state < 4; ++state) EXPECT_GT(counts[state], 1000) << "pan " << state;
  for (int state = 0; state < 3; ++state) EXPECT_GT(extCounts[state], 1000) << "ext " << state;
}
