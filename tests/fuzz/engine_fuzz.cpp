// Arbitrary event streams for the pointer engine over a small fake desktop: moves anywhere,
// every handled button message and some that are not, timer ticks, standby toggles from the
// main thread, menu-loop notices, settings flipped under the engine's feet, controls answering
// anything to their hit tests, and windows destroyed mid-gesture. The sanitizers watch every
// access; after every event the states stay in range, movement passes, the applied cursor is
// the wanted one and no handle is misused; at the end every cursor handle is released.
#include "tests/common/engine_invariants.h"
#include "engine/shell_windows.h"
#include "settings/settings.h"
#include "tests/fake/fakeos.h"
#include "tests/fuzz/fuzz_input.h"

namespace {
HWND windows[12];
int windowCount;

void buildDesktop() {
  fake::reset();
  fake::logMessages = false;
  HWND app = fake::addWindow(nullptr, "SomeApplication", {0, 0, 400, 300});
  HWND progman = fake::addWindow(nullptr, "Progman", {400, 0, 800, 600});
  fake::window(progman).title = "Program Manager";
  HWND view = fake::addWindow(progman, "SHELLDLL_DefView", {400, 0, 800, 600});
  HWND tray = fake::addWindow(nullptr, "Shell_TrayWnd", {0, 600, 800, 640});
  HWND made[] = {
      app,
      fake::addWindow(app, "Edit", {10, 10, 100, 100}),
      fake::addWindow(app, "ScrollBar", {380, 0, 400, 280}, SBS_VERT),
      fake::addWindow(app, "ScrollBar", {0, 280, 380, 300}),
      fake::addWindow(app, "SysListView32", {110, 10, 300, 200}),
      fake::addWindow(app, "SysTreeView32", {110, 200, 300, 280}),
      fake::addWindow(view, "SysListView32", {400, 0, 800, 600}),
      tray,
      fake::addWindow(tray, "Button", {0, 600, 60, 640}),
      fake::addWindow(tray, "TrayClockWClass", {740, 600, 800, 640}),
      progman,
      view,
  };
  windowCount = 0;
  for (HWND w : made) windows[windowCount++] = w;
  findShellWindows();
}

const UINT kButtonMessages[] = {
    WM_LBUTTONDOWN, WM_LBUTTONUP,      WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,  WM_RBUTTONUP,
    WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCLBUTTONDBLCLK, WM_NCRBUTTONDOWN, WM_NCRBUTTONUP,
    WM_MBUTTONDOWN, WM_MBUTTONUP};

// The applied cursor catches up with the wanted one at the end of every mouse event; the
// main thread's commands between events may change what is wanted.
void checkState(bool afterMouseEvent) {
  const char* broken = brokenEngineInvariant();
  checkRule(broken == nullptr, broken, __LINE__, __FILE__);
  check(!afterMouseEvent || gesture.appliedCursor == gesture.wantedCursor);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in = {data, size};
  buildDesktop();
  copySettings(currentSettings, defaultSettings);
  resetEngine();
  gesture.panState = in.byte() % 2;
  loadCursors();
  POINT at = {50, 50};
  for (int step = 0; step < 400 && in.size; ++step) {
    uint8_t op = in.byte();
    HWND target = osWindowFromPoint(at);
    int32_t hit = target ? static_cast<int32_t>(fake::window(target).ncHitTest) : 0;
    switch (op % 8) {
      case 0:
      case 1:
        at = {in.byte() * 800 / 255, in.byte() * 640 / 255};
        target = osWindowFromPoint(at);
        hit = target ? static_cast<int32_t>(fake::window(target).ncHitTest) : 0;
        check(engineMouseEvent(target, op & 8 ? WM_NCMOUSEMOVE : WM_MOUSEMOVE, hit, at.x, at.y) ==
              1);
        break;
      case 2:
      case 3:
        engineMouseEvent(target, kButtonMessages[in.byte() % 12], hit, at.x, at.y);
        break;
      case 4:
        fake::tickCount += in.byte() * 7;
        engineTick();
        break;
      case 5:  // the tray's standby command, on the main thread between two events
        gesture.panState = gesture.panState == kPanOff ? kPanStandby : kPanOff;
        dropOrphanedGesture();
        break;
      case 6: {
        FakeWindow& w = fake::window(windows[in.byte() % windowCount]);
        uint8_t what = in.byte();
        if (what < 64) w.hitFlags = 1u << (what % 13);
        else if (what < 128) w.ncHitTest = static_cast<int8_t>(what) % 24 - 2;
        else if (what < 160) w.selectedCount = what & 1;
        else if (what < 200) gesture.menuLoopSeen = 1;
        else currentSettings.*kSettingsRows[in.byte() % kSettingsFieldCount].field = static_cast<int8_t>(in.byte());
        break;
      }
      case 7:
        if (in.byte() < 32) fake::destroyWindow(windows[in.byte() % windowCount]);
        break;
    }
    checkState(op % 8 < 4);
  }
  restoreUserCursors();
  releaseCursors();
  check(fake::liveCursors() == 0);
  check(fake::cursorMisuse == 0);
  return 0;
}
