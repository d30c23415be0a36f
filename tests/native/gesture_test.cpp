// Whole gestures as a user makes them, through engineMouseEvent and engineTick over the fake
// window system and clock: what windows receive, what passes, which cursors show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include "engine/classify.h"
#include "engine/shell_windows.h"
#include "settings/profile_store.h"
#include "engine/hook_protocol.h"
#include "tests/native/engine_helpers.h"

using namespace engine_test;

namespace {
const int kAnchorX = 400, kAnchorY = 300;
HWND nestedTarget;  // the window a nested notification in a send is about
bool nested;

class Gesture : public ::testing::Test {
 protected:
  void SetUp() override {
    freshEngine();
    app = fake::addWindow(nullptr, "AppWindow", {0, 0, 800, 600}, WS_VSCROLL | WS_HSCROLL);
    other = fake::addWindow(nullptr, "OtherApp", {800, 0, 1200, 600});
    fake::tickCount = 1000;
    gesture.panState = kPanStandby;
  }
  int32_t ev(UINT message, int x, int y, HWND w = nullptr, int32_t hit = HTCLIENT) {
    followLeftButton(message);
    return engineMouseEvent(w ? w : app, message, hit, x, y);
  }
  // The pointer is where a movement reports it.
  int32_t move(int x, int y, HWND w = nullptr, int32_t hit = HTCLIENT) {
    fake::cursorPos = {x, y};
    return ev(WM_MOUSEMOVE, x, y, w, hit);
  }
  void tickAt(DWORD now) {
    fake::tickCount = now;
    engineTick();
  }
  // Scroll messages of one tick at now.
  std::vector<SentMessage> stepsAt(DWORD now) {
    fake::sent.clear();
    tickAt(now);
    return scrollMessages();
  }
  // The button that pans, right or middle.
  void panWith(int32_t button) {
    userPanButton = button;
    panDown = button == kPanButtonMiddle ? WM_MBUTTONDOWN : WM_RBUTTONDOWN;
  }
  // Standby, pointer on the anchor over the client area, the pan button pressed there.
  void pressAtAnchor() {
    EXPECT_EQ(move(kAnchorX, kAnchorY), 1);
    EXPECT_EQ(gesture.wantedCursor, kCursorStandby);
    EXPECT_EQ(ev(panDown, kAnchorX, kAnchorY), 0);
    EXPECT_EQ(gesture.panState, kPanPressed);
    EXPECT_EQ(shownImages(), setImages(6));
  }
  HWND app, other;
  UINT panDown = WM_RBUTTONDOWN;  // its release is the next message
};
const int32_t kPanButtons[] = {kPanButtonRight, kPanButtonMiddle};
}  // namespace

TEST_F(Gesture, PanByClickAndByDragInNineDirections) {
  const int32_t hInterval = 1000 - 30 * 2 * 2, vInterval = 1000 - 40 * 2 * 3;
  struct { int ox, oy; int cursor; int vLine; int hLine; } cases[] = {
      // pointer offset from the anchor; -1: no steps on that axis; cursor 0: unchanged
      {5, -5, 0, -1, -1},
      {0, -40, 8, SB_LINEDOWN, -1},  {0, 40, 9, SB_LINEUP, -1},
      {30, 0, 10, -1, SB_LINELEFT},  {-30, 0, 11, -1, SB_LINERIGHT},
      {-30, -40, 12, SB_LINEDOWN, SB_LINERIGHT}, {-30, 40, 13, SB_LINEUP, SB_LINERIGHT},
      {30, -40, 14, SB_LINEDOWN, SB_LINELEFT},   {30, 40, 15, SB_LINEUP, SB_LINELEFT},
  };
  for (int run = 0; run < 4; ++run) {  // click and drag, by each pan button
    const bool drag = run & 1;
    const int32_t button = kPanButtons[run / 2];
    for (auto c : cases) {
      SCOPED_TRACE(testing::Message() << button << (drag ? " drag " : " click ") << c.ox << "," << c.oy);
      SetUp();
      panWith(button);
      currentSettings.panHCount = 2;
      currentSettings.panVCount = 3;
      currentSettings.panHResponse = 2;
      currentSettings.panVResponse = 3;
      pressAtAnchor();
      int unchanged = 6;
      if (!drag) {
        EXPECT_EQ(ev(panDown + 1, kAnchorX + 1, kAnchorY - 1), 0);  // within 1 pixel: a click
        EXPECT_EQ(gesture.panState, kPanPanning);
        EXPECT_EQ(gesture.extScrollState, kExtScrollActive);
        EXPECT_EQ(shownImages(), setImages(3));
        unchanged = 3;
      }
      EXPECT_EQ(move(kAnchorX + c.ox, kAnchorY + c.oy), 1);
      int cursor = c.cursor ? c.cursor : unchanged;
      EXPECT_EQ(gesture.wantedCursor, cursor);
      EXPECT_EQ(shownImages(), setImages(cursor));
      // The steps come from the timer, measured from the press, strictly after the interval.
      EXPECT_TRUE(stepsAt(1000 + vInterval).empty());
      auto vertical = c.vLine < 0 ? std::vector<SentMessage>{} : pairs(app, WM_VSCROLL, c.vLine, 3);
      EXPECT_EQ(stepsAt(1000 + vInterval + 1), vertical);
      EXPECT_TRUE(stepsAt(1000 + hInterval).empty());
      auto horizontal = c.hLine < 0 ? std::vector<SentMessage>{} : pairs(app, WM_HSCROLL, c.hLine, 2);
      EXPECT_EQ(stepsAt(1000 + hInterval + 1), horizontal);
      if (drag) {
        EXPECT_EQ(ev(panDown + 1, kAnchorX + c.ox, kAnchorY + c.oy), 0);
        EXPECT_EQ(gesture.panState, kPanStandby);
        EXPECT_EQ(shownImages(), setImages(5));
        EXPECT_TRUE(stepsAt(5000).empty());
      }
    }
}
}

TEST_F(Gesture, PanEndsByLeavingTheTargetByRightClickOrByLeftRelease) {
  // Leaving the pan target for another window.
  pressAtAnchor();
  EXPECT_EQ(move(kAnchorX - 50, kAnchorY), 1);
  EXPECT_EQ(scrollRepeat.axis[kAxisHorizontal].on, 1);
  EXPECT_EQ(move(900, kAnchorY, other), 1);
  EXPECT_EQ(gesture.panState, kPanStandby);
  EXPECT_EQ(scrollRepeat.axis[kAxisHorizontal].on, 0);
  EXPECT_EQ(shownImages(), setImages(5));

  // A pan click's panning ends by a further click of the pan button (both swallowed) or by a
  // left press and release (both pass; the release ends it).
  struct { int32_t button; UINT down; int32_t verdict; } endings[] = {
      {kPanButtonRight, WM_RBUTTONDOWN, kSwallowEvent}, {kPanButtonRight, WM_LBUTTONDOWN, kPassEvent},
      {kPanButtonMiddle, WM_MBUTTONDOWN, kSwallowEvent}, {kPanButtonMiddle, WM_LBUTTONDOWN, kPassEvent}};
  for (auto e : endings) {
    SetUp();
    panWith(e.button);
    pressAtAnchor();
    ev(panDown + 1, kAnchorX, kAnchorY);
    move(kAnchorX, kAnchorY - 30);
    EXPECT_EQ(scrollRepeat.axis[kAxisVertical].on, 1);
    EXPECT_EQ(ev(e.down, kAnchorX, kAnchorY - 30), e.verdict);
    EXPECT_EQ(gesture.panState, kPanPanning);
    EXPECT_EQ(ev(e.down + 1, kAnchorX, kAnchorY - 30), e.verdict);  // the release
    EXPECT_EQ(gesture.panState, kPanStandby);
    EXPECT_EQ(scrollRepeat.axis[kAxisVertical].on, 0);
    EXPECT_EQ(shownImages(), setImages(5));
  }
}

TEST_F(Gesture, AWheelTargetThatGoesAwayEndsThePan) {
  for (const char* cls : {"View", "Chrome_RenderWidgetHostHWND"}) {  // whole notches, smooth
    SetUp();
    currentSettings.panVCount = 3;  // a notch's worth of steps
    HWND view = fake::addWindow(nullptr, cls, {0, 0, 800, 600});
    move(kAnchorX, kAnchorY, view);
    ev(WM_RBUTTONDOWN, kAnchorX, kAnchorY, view);
    move(kAnchorX, kAnchorY - 40, view);
    tickAt(3000);
    EXPECT_EQ(fake::queued.size(), 1u) << cls;
    fake::destroyWindow(view);
    tickAt(6000);
    EXPECT_EQ(gesture.panState + scrollRepeat.axis[kAxisVertical].on, 1) << cls;
    EXPECT_EQ(shownImages(), std::vector<std::string>(3, "standard")) << "the user's cursors";
  }
}

TEST_F(Gesture, ExtendedScrollOnScrollBarsAndScrollBarControls) {
  HWND vbar = fake::addWindow(app, "ScrollBar", {780, 0, 800, 580}, SBS_VERT);
  HWND hbar = fake::addWindow(app, "ScrollBar", {0, 580, 780, 600});
  currentSettings.extScrollHCount = 2;
  struct {
    const char* where; HWND window; int32_t hit; int swap; UINT button;
    int arming; int cursor; HWND to; UINT message; WPARAM line; int count; LPARAM lParam;
    int32_t storedVCount = 0;  // a damaged profile's, held to the settings' maximum of 7
  } cases[] = {
      {"own vertical bar", app, HTVSCROLL, 0, WM_LBUTTONDOWN, 3, 9, app, WM_VSCROLL, SB_LINEUP, 3, 0},
      {"own vertical bar", app, HTVSCROLL, 0, WM_RBUTTONDOWN, 3, 8, app, WM_VSCROLL, SB_LINEDOWN, 3, 0},
      {"own vertical bar", app, HTVSCROLL, 1, WM_LBUTTONDOWN, 3, 8, app, WM_VSCROLL, SB_LINEDOWN, 3, 0},
      {"own vertical bar", app, HTVSCROLL, 1, WM_RBUTTONDOWN, 3, 9, app, WM_VSCROLL, SB_LINEUP, 3, 0},
      {"damaged count", app, HTVSCROLL, 0, WM_LBUTTONDOWN, 3, 9, app, WM_VSCROLL, SB_LINEUP, 7, 0, 1000000},
      {"own horizontal bar", app, HTHSCROLL, 0, WM_LBUTTONDOWN, 4, 11, app, WM_HSCROLL, SB_LINERIGHT, 2, 0},
      {"own horizontal bar", app, HTHSCROLL, 1, WM_RBUTTONDOWN, 4, 10, app, WM_HSCROLL, SB_LINELEFT, 2, 0},
      {"vertical control", vbar, HTCLIENT, 0, WM_LBUTTONDOWN, 3, 9, app, WM_VSCROLL, SB_LINEUP, 3, LPARAM(vbar)},
      {"vertical control", vbar, HTCLIENT, 1, WM_LBUTTONDOWN, 3, 8, app, WM_VSCROLL, SB_LINEDOWN, 3, LPARAM(vbar)},
      {"vertical control", vbar, HTCLIENT, 0, WM_RBUTTONDOWN, 3, 8, app, WM_VSCROLL, SB_LINEDOWN, 3, LPARAM(vbar)},
      {"vertical control", vbar, HTCLIENT, 1, WM_RBUTTONDOWN, 3, 9, app, WM_VSCROLL, SB_LINEUP, 3, LPARAM(vbar)},
      {"horizontal control", hbar, HTCLIENT, 1, WM_LBUTTONDOWN, 4, 11, app, WM_HSCROLL, SB_LINERIGHT, 2, LPARAM(hbar)},
      {"horizontal control", hbar, HTCLIENT, 0, WM_RBUTTONDOWN, 4, 10, app, WM_HSCROLL, SB_LINELEFT, 2, LPARAM(hbar)},
  };
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << c.where << " swap " << c.swap << " button " << c.button);
    gesture.panState = kPanOff;
    gesture.extScrollState = kExtScrollOff;
    currentSettings.extScrollSwapButtons = c.swap;
    currentSettings.extScrollVCount = c.storedVCount ? c.storedVCount : 3;
    RECT r = fake::window(c.window).rect;
    int x = c.window == app ? 790 : (r.left + r.right) / 2, y = c.window == app ? 300 : (r.top + r.bottom) / 2;
    EXPECT_EQ(move(x, y, c.window, c.hit), 1);
    EXPECT_EQ(ev(WM_RBUTTONDOWN, x, y, c.window), 0);
    EXPECT_EQ(gesture.extScrollState, kExtScrollArming);
    EXPECT_EQ(shownImages(), setImages(c.arming));
    EXPECT_EQ(ev(WM_RBUTTONUP, x, y, c.window), 0);
    EXPECT_EQ(gesture.extScrollState, kExtScrollActive);
    fake::sent.clear();
    EXPECT_EQ(ev(c.button, x, y, c.window), 0);
    EXPECT_EQ(stepsAt(fake::tickCount), pairs(c.to, c.message, c.line, c.count, c.lParam));
    EXPECT_EQ(shownImages(), setImages(c.cursor));
    EXPECT_EQ(ev(c.button + 1, x, y, c.window), 0);  // the release
    EXPECT_EQ(scrollRepeat.axis[kAxisHorizontal].on + scrollRepeat.axis[kAxisVertical].on, 0);
    EXPECT_EQ(shownImages(), setImages(c.arming));
    // Moving within the bar keeps it; moving onto an element that is not scroll-bar-like ends it.
    EXPECT_EQ(move(x, y + 5, c.window, c.hit), 1);
    EXPECT_EQ(gesture.extScrollState, kExtScrollActive);
    EXPECT_EQ(move(300, 300), 1);
    EXPECT_EQ(gesture.extScrollState, kExtScrollOff);
    EXPECT_EQ(shownImages(), std::vector<std::string>(3, "standard"));
  }
}

TEST_F(Gesture, ExtendedScrollRepeatTimingAcrossTheTickWrap) {
  gesture.panState = kPanOff;
  for (DWORD start : {5000u, 0xFFFFFD00u, 0xFFFFFFF0u}) {
    SCOPED_TRACE(start);
    gesture.extScrollState = kExtScrollOff;
    move(790, 300, app, HTVSCROLL);
    ev(WM_RBUTTONDOWN, 790, 300);
    ev(WM_RBUTTONUP, 790, 300);
    fake::tickCount = start;
    fake::sent.clear();
    ev(WM_LBUTTONDOWN, 790, 300);
    auto step = pairs(app, WM_VSCROLL, SB_LINEUP, 3);
    EXPECT_EQ(stepsAt(start), step);  // one step at the next tick
    for (DWORD t = 0; t <= 800; t += 10) EXPECT_TRUE(stepsAt(start + t).empty()) << t;
    EXPECT_EQ(stepsAt(start + 801), step);
    EXPECT_TRUE(stepsAt(start + 901).empty());
    EXPECT_EQ(stepsAt(start + 902), step);
    EXPECT_EQ(stepsAt(start + 1003), step);
    // A repeat neither stalls nor races far beyond: still every 100 ms an hour later.
    EXPECT_EQ(stepsAt(start + 3600000), step);
    EXPECT_TRUE(stepsAt(start + 3600100).empty());
    EXPECT_EQ(stepsAt(start + 3600101), step);
    ev(WM_LBUTTONUP, 790, 300);
    EXPECT_TRUE(stepsAt(start + 3700000).empty());
  }
}

TEST_F(Gesture, PanIntervalsFromDistanceAndResponseIncludingZeroAndNegative) {
  struct { int distance; int response; int32_t interval; } cases[] = {
      {20, 1, 960}, {11, 1, 978}, {100, 5, 0}, {600, 1, -200}, {20, 3, 880},
      {20, 25, 800},  // a damaged profile's response is held to the settings' maximum of 5
  };
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << c.distance << " px, response " << c.response);
    SetUp();
    currentSettings.panHResponse = c.response;
    pressAtAnchor();
    move(kAnchorX - c.distance, kAnchorY);  // pointer left of the anchor: steps right
    EXPECT_EQ(scrollRepeat.axis[kAxisHorizontal].interval, c.interval);
    auto step = pairs(app, WM_HSCROLL, SB_LINERIGHT, 1);
    if (c.interval > 0) {
      EXPECT_TRUE(stepsAt(1000 + c.interval).empty());
      EXPECT_EQ(stepsAt(1000 + c.interval + 1), step);
    } else if (c.interval == 0) {
      // Every tick at which the millisecond count has moved on since the last step.
      EXPECT_TRUE(stepsAt(1000).empty());
      EXPECT_EQ(stepsAt(1001), step);
      EXPECT_TRUE(stepsAt(1001).empty());
      EXPECT_EQ(stepsAt(1011), step);
    } else {
      // Every tick, even within the same millisecond.
      EXPECT_EQ(stepsAt(1000), step);
      EXPECT_EQ(stepsAt(1000), step);
    }
  }
}

TEST_F(Gesture, PanClickTurnsExtendedScrollOnAndMovingAwayPans) {
  currentSettings.extScrollEnabled = 0;  // the pan click does not need it
  pressAtAnchor();
  EXPECT_EQ(ev(WM_RBUTTONUP, kAnchorX, kAnchorY), 0);
  EXPECT_EQ(gesture.extScrollState, kExtScrollActive);
  fake::sent.clear();
  EXPECT_EQ(ev(WM_LBUTTONDOWN, kAnchorX, kAnchorY), 0);
  EXPECT_EQ(stepsAt(fake::tickCount), pairs(app, WM_VSCROLL, SB_LINEUP, 3));
  EXPECT_EQ(shownImages(), setImages(9));
  EXPECT_EQ(stepsAt(1000 + 801), pairs(app, WM_VSCROLL, SB_LINEUP, 3));
  EXPECT_EQ(ev(WM_LBUTTONUP, kAnchorX, kAnchorY), 0);
  EXPECT_EQ(gesture.panState, kPanStandby);
  EXPECT_EQ(gesture.extScrollState, kExtScrollActive);
  EXPECT_EQ(shownImages(), setImages(3));
  EXPECT_TRUE(stepsAt(3000).empty());

  // After a pan click, 11 pixels up: extended scroll ends and vertical panning starts in
  // the same event.
  SetUp();
  currentSettings.panVResponse = 2;
  pressAtAnchor();
  ev(WM_RBUTTONUP, kAnchorX, kAnchorY);
  EXPECT_EQ(move(kAnchorX, kAnchorY - 11), 1);
  EXPECT_EQ(gesture.extScrollState, kExtScrollOff);
  EXPECT_EQ(scrollRepeat.axis[kAxisVertical].on, 1);
  EXPECT_EQ(scrollRepeat.axis[kAxisVertical].interval, 1000 - 22 * 2);
  EXPECT_EQ(shownImages(), setImages(8));
  EXPECT_TRUE(stepsAt(1000 + 956).empty());
  EXPECT_EQ(stepsAt(1000 + 957), pairs(app, WM_VSCROLL, SB_LINEDOWN, 2));
}

TEST_F(Gesture, LeftAndRightChordInBothDirections) {
  for (int32_t button : kPanButtons) {
    SCOPED_TRACE(button);
    SetUp();
    panWith(button);
    // The button that does not pan passes, and changes nothing.
    move(kAnchorX, kAnchorY);
    const UINT idle = button == kPanButtonMiddle ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    EXPECT_EQ(ev(idle, kAnchorX, kAnchorY) + ev(idle + 1, kAnchorX, kAnchorY), 2);
    EXPECT_EQ(gesture.panState, kPanStandby);
    // In standby: the right press passes, its release is swallowed and switches pan off.
    EXPECT_EQ(ev(WM_LBUTTONDOWN, kAnchorX, kAnchorY), 1);
    EXPECT_EQ(ev(WM_RBUTTONDOWN, kAnchorX, kAnchorY), 1);
    EXPECT_EQ(gesture.chordAction, kChordStandbyOff);
    EXPECT_EQ(gesture.leftButtonDown, 0);
    EXPECT_EQ(ev(WM_RBUTTONUP, kAnchorX, kAnchorY), 0);
    EXPECT_EQ(gesture.panState, kPanOff);
    EXPECT_EQ(gesture.chordAction, kChordNone);
    EXPECT_EQ(shownImages(), std::vector<std::string>(3, "standard"));
    EXPECT_EQ(ev(WM_LBUTTONUP, kAnchorX, kAnchorY), 1);

    // With pan off: both swallowed, and standby comes on.
    EXPECT_EQ(ev(WM_LBUTTONDOWN, kAnchorX, kAnchorY), 1);
    EXPECT_EQ(ev(WM_RBUTTONDOWN, kAnchorX, kAnchorY), 0);
    EXPECT_EQ(gesture.chordAction, kChordStandbyOn);
    EXPECT_EQ(ev(WM_RBUTTONUP, kAnchorX, kAnchorY), 0);
    EXPECT_EQ(gesture.panState, kPanStandby);
    EXPECT_EQ(shownImages(), setImages(5));
    EXPECT_EQ(ev(WM_LBUTTONUP, kAnchorX, kAnchorY), 1);
    EXPECT_TRUE(scrollMessages().empty());
  }
}

TEST_F(Gesture, MissedLeftReleaseDoesNotMakeTheNextRightClickAChord) {
  // The left release never reached the engine; the hardware's left button (the right one
  // when swapped) decides whether the right press is a chord.
  struct { int key; bool swapped; int32_t pan; } rows[] = {
      {0, false, kPanPressed}, {VK_LBUTTON, false, kPanStandby},
      {VK_RBUTTON, true, kPanStandby}, {VK_LBUTTON, true, kPanPressed}};
  for (auto r : rows) {
    SetUp();
    move(kAnchorX, kAnchorY);
    ev(WM_LBUTTONDOWN, kAnchorX, kAnchorY);
    fake::keysDown = {r.key};
    fake::buttonsSwapped = r.swapped;
    engineMouseEvent(app, WM_RBUTTONDOWN, HTCLIENT, kAnchorX, kAnchorY);
    EXPECT_EQ(gesture.panState, r.pan) << r.key << r.swapped;
  }
}

TEST_F(Gesture, NoGestureOverAWindowOfHigherIntegrity) {
  // The press passes and the user's cursors come back; at equal integrity the gesture starts.
  HWND bar = nullptr;
  for (DWORD level : {SECURITY_MANDATORY_HIGH_RID, SECURITY_MANDATORY_MEDIUM_RID}) {
    for (bool pan : {true, false}) {
      SetUp();
      bar = fake::addWindow(other, "ScrollBar", {1180, 0, 1200, 600}, SBS_VERT);
      currentSettings.extScrollEnabled = 1;
      fake::window(other).processId = fake::window(bar).processId = 2000;
      fake::integrity[2000] = level;
      const bool refused = level == SECURITY_MANDATORY_HIGH_RID;
      move(pan ? 900 : 1190, 300, pan ? other : bar);
      EXPECT_EQ(ev(WM_RBUTTONDOWN, pan ? 900 : 1190, 300, pan ? other : bar), refused ? 1 : 0);
      EXPECT_EQ(gesture.panState + gesture.extScrollState,
                refused ? kPanStandby : pan ? kPanPressed : 3);
      if (refused) {
        EXPECT_EQ(shownImages(), std::vector<std::string>(3, "standard"));
      }
    }
  }
  // Extended scroll already active: a press over a refusing window ends it at once.
  ev(WM_RBUTTONUP, 1190, 300, bar);
  fake::integrity[2000] = SECURITY_MANDATORY_HIGH_RID;
  EXPECT_EQ(ev(WM_RBUTTONDOWN, 1190, 300, bar), 1);
  EXPECT_EQ(gesture.extScrollState, kExtScrollOff);
  EXPECT_TRUE(stepsAt(9000).empty());
  // A pan whose target starts refusing (its steps denied) ends at the next tick.
  fake::integrity[2000] = SECURITY_MANDATORY_MEDIUM_RID;
  move(900, 300, other);
  ev(WM_RBUTTONDOWN, 900, 300, other);
  move(900, 200, other);
  fake::integrity[2000] = SECURITY_MANDATORY_HIGH_RID;
  tickAt(20000);
  EXPECT_EQ(gesture.panState * 10 + scrollRepeat.axis[kAxisVertical].on, kPanStandby * 10);
  EXPECT_EQ(shownImages(), std::vector<std::string>(3, "standard"));
}

TEST_F(Gesture, NothingStartsOrShowsWhereQorCannotAct) {
  // Windows that take the mouse as pointer input, the taskbar's windows, and every window of a
  // program the user left alone, and Qor's own: over them every event passes and only the
  // user's cursors show, also when a pan running elsewhere ends there.
  // Also any window while another program owns the mouse, and one hosted by a program left alone.
  struct { const char* root; const char* cls; bool reached; const char* program = "";
           DWORD process = 3000; void (*ownsMouse)() = nullptr; bool hosted = false; } cases[] = {
      {nullptr, "Windows.UI.Core.CoreWindow", false},
      {"ApplicationFrameWindow", "Windows.UI.Input.InputSite.WindowClass", false},
      {"WinUIDesktopWin32WindowClass", "Microsoft.UI.Content.DesktopChildSiteBridge", false},
      {"Shell_TrayWnd", "ReBarWindow32", false},
      {"Shell_SecondaryTrayWnd", "WorkerW", false},
      {"TopLevelWindowForOverflowXamlIsland", "Windows.UI.Composition.DesktopWindowContentBridge", false},
      {"CabinetWClass", "DirectUIHWND", true},  // an application's own content pans
      {nullptr, "Edit", false, "C:\\Windows\\NOTEPAD.EXE"},
      {"Notepad", "ScrollBar", false, "C:\\Windows\\notepad.exe"},  // no extended scroll either
      {nullptr, "Edit", true, "C:\\Tools\\notepad2.exe"},
      {nullptr, "#32770", false, "", fake::kOwnProcess},  // the settings dialog keeps its menu
      {nullptr, "Chrome_RenderWidgetHostHWND", false, "C:\\webview.exe", 3000, nullptr, true},
      {nullptr, "Edit", false, "", 3000, [] { fake::cursorHidden = true; }},
      {nullptr, "ScrollBar", false, "", 3000, [] { fake::clip = {0, 0, 1200, 600}; }},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.cls);
    SetUp();
    setLeftAlonePrograms("Notepad.exe\0other.exe\0");
    HWND root = c.root ? fake::addWindow(nullptr, c.root, {800, 0, 1200, 600}) : nullptr;
    HWND w = fake::addWindow(root, c.cls, {800, 0, 1200, 600}, SBS_VERT);
    fake::window(w).processId = c.process;
    fake::processImages[3000] = c.program;
    if (c.hosted) {
      fake::window(w).owner = fake::addWindow(nullptr, "Notepad", {0, 0, 10, 10});
      fake::window(fake::window(w).owner).processId = 4000;
      fake::processImages[4000] = "C:\\Windows\\notepad.exe";
    }
    pressAtAnchor();
    if (c.ownsMouse) c.ownsMouse();
    move(kAnchorX - 50, kAnchorY);
    move(900, 300, w);  // the pan leaves its target
    EXPECT_EQ(gesture.panState, kPanStandby);
    EXPECT_EQ(shownImages(), c.reached ? setImages(5) : std::vector<std::string>(3, "standard"));
    EXPECT_EQ(ev(WM_RBUTTONDOWN, 900, 300, w), c.reached ? 0 : 1);
    EXPECT_EQ(ev(WM_RBUTTONUP, 900, 300, w), c.reached ? 0 : 1);
    EXPECT_EQ(gesture.panState, c.reached ? kPanPanning : kPanStandby);
  }
  // A program that took the pointer after the last movement, or runs full screen (the shell is
  // asked only then): the press passes. One that takes notifications leaves the pan to start.
  for (int state : {0, QUNS_BUSY, QUNS_RUNNING_D3D_FULL_SCREEN, QUNS_PRESENTATION_MODE, 5}) {
    SetUp();
    move(kAnchorX, kAnchorY);
    fake::notificationState = state;
    if (!state) fake::clip = {0, 0, 10, 10};
    EXPECT_EQ(ev(WM_RBUTTONDOWN, kAnchorX, kAnchorY), state == 5 ? 0 : 1) << state;
  }
}

// Without click-pan, a click of the pan button goes back to the window under the pointer as
// input tagged as Qor's own, and only a drag out of the dead zone pans.
TEST_F(Gesture, WithoutClickPanAClickReachesTheWindowAndOnlyADragPans) {
  struct { int via, release; bool givenBack; } paths[] = {  // x offsets from the anchor
      {0, 0, true}, {0, 8, true}, {30, 30, false}, {30, 3, false}};
  for (int32_t button : kPanButtons)
    for (auto p : paths) {
      SCOPED_TRACE(testing::Message() << button << " " << p.via << " " << p.release);
      SetUp();
      panWith(button);
      userClickPan = 0;
      pressAtAnchor();
      move(kAnchorX + p.via, kAnchorY);
      EXPECT_EQ(stepsAt(5000).empty(), p.givenBack);
      EXPECT_EQ(ev(panDown + 1, kAnchorX + p.release, kAnchorY), 0);
      EXPECT_EQ(gesture.panState + gesture.extScrollState, kPanStandby);
      EXPECT_TRUE(stepsAt(9000).empty());
      const DWORD down = button == kPanButtonMiddle ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_RIGHTDOWN;
      std::vector<DWORD> given;
      for (const fake::InjectedInput& i : fake::injected)
        given.push_back(i.extraInfo == kQorReplayTag ? i.flags : 0);
      const std::vector<DWORD> click = {down, down * 2};
      EXPECT_EQ(given, p.givenBack ? click : std::vector<DWORD>());
    }
}

// A listed program's pan runs with its own profile's speed, also in a window whose root owner
// is the program's; any other program, and one whose profile was deleted, with the current
// profile's; a program left alone is still left alone.
TEST_F(Gesture, AListedProgramPansWithItsOwnProfile) {
  struct { const char* program; bool ownedByFast, deleteGone; int32_t vCount; } rows[] = {
      {"C:\\x\\FAST.exe", false, false, 5}, {"C:\\x\\other.exe", false, false, 2},
      {"C:\\x\\gone.exe", false, false, 7}, {"C:\\x\\gone.exe", false, true, 2},
      {"C:\\x\\helper.exe", true, false, 5}, {"C:\\x\\alone.exe", false, false, 0}};
  for (auto r : rows) {
    SCOPED_TRACE(r.program);
    SetUp();
    const struct { const char* title; int32_t vCount; } profiles[] = {{"消えた", 7}, {"標準", 2}, {"速い", 5}};
    for (int i = 0; i < 3; ++i) {
      ProfileSettings s;
      copySettings(s, defaultSettings);
      s.panVCount = profiles[i].vCount;
      unsigned char bytes[kSettingsBytes];
      settingsToBytes(s, bytes);
      fake::setValue(kProfileStoreKey, "A" + std::to_string(i), REG_BINARY, bytes, sizeof bytes);
      char name[kProfileNameBytes] = {};
      std::strcpy(name, profiles[i].title);
      fake::setValue(kProfileStoreKey, "N" + std::to_string(i), REG_SZ, name, sizeof name);
    }
    fake::setValue(kProfileStoreKey, "DataEnd", REG_SZ, "3", 2);
    fake::setValue(kProfileStoreKey, "Data", REG_SZ, r.deleteGone ? "0" : "1", 2);
    const char listed[] = "fast.exe\t速い\0gone.exe\t消えた\0";
    fake::setValue(kProfileStoreKey, "ProgramProfiles", REG_MULTI_SZ, listed, sizeof listed);
    fake::setValue(kProfileStoreKey, "LeaveAlone", REG_MULTI_SZ, "alone.exe\0", 11);
    loadProfiles();
    loadUserOptions();
    if (r.deleteGone) {  // the current profile then is 標準
      deleteCurrentProfile();
      loadProfiles();
      followProfiles();
    }
    fake::window(app).processId = 3000;
    fake::processImages[3000] = r.program;
    if (r.ownedByFast) {
      fake::window(app).owner = fake::addWindow(nullptr, "FastMain", {0, 0, 10, 10});
      fake::window(fake::window(app).owner).processId = 3001;
      fake::processImages[3001] = "C:\\x\\fast.exe";
    }
    move(kAnchorX, kAnchorY);
    EXPECT_EQ(ev(WM_RBUTTONDOWN, kAnchorX, kAnchorY), r.vCount ? kSwallowEvent : kPassEvent);
    ev(WM_RBUTTONUP, kAnchorX, kAnchorY);
    move(kAnchorX, kAnchorY - 40);
    const auto steps = r.vCount ? pairs(app, WM_VSCROLL, SB_LINEDOWN, r.vCount) : std::vector<SentMessage>{};
    EXPECT_EQ(stepsAt(5000), steps);
  }
}

TEST_F(Gesture, DistancesCountIn96DpiUnitsOfTheAnchorsMonitor) {
  // A pan click, then the pointer this far left of the anchor on a monitor of this DPI:
  // within the dead zone extended scroll stays; beyond it the pan's speed counts at 96 DPI.
  struct { UINT dpi; int offset; int32_t interval; } rows[] = {
      {96, 10, 0}, {96, 11, 1000 - 11 * 4}, {144, 15, 0}, {144, 16, 1000 - 10 * 4},
      {192, 20, 0}, {192, 22, 1000 - 11 * 4}};
  for (auto r : rows) {
    SetUp();
    fake::monitors = {{{0, 0, 800, 600}, r.dpi}};
    currentSettings.panHResponse = 2;
    pressAtAnchor();
    ev(WM_RBUTTONUP, kAnchorX + (r.dpi == 192 ? 2 : 1), kAnchorY);  // 2: a drag at 96 DPI
    EXPECT_EQ(gesture.panState, kPanPanning) << r.dpi;
    move(kAnchorX - r.offset, kAnchorY);
    const AxisRepeat& h = scrollRepeat.axis[kAxisHorizontal];
    EXPECT_EQ(h.on ? h.interval : 0, r.interval) << r.dpi;
    EXPECT_EQ(gesture.extScrollState, r.interval ? 0 : 1) << r.dpi;
  }
}

TEST_F(Gesture, RightPressAndReleaseWhileExtendedScrollRepeats) {
  gesture.panState = kPanOff;
  move(790, 300, app, HTVSCROLL);
  ev(WM_RBUTTONDOWN, 790, 300);
  // Moving off the bar before the release ends it; the release then passes.
  EXPECT_EQ(move(300, 300), 1);
  EXPECT_EQ(gesture.extScrollState, kExtScrollOff);
  EXPECT_EQ(ev(WM_RBUTTONUP, 300, 300), 1);

  move(790, 300, app, HTVSCROLL);
  ev(WM_RBUTTONDOWN, 790, 300);
  ev(WM_RBUTTONUP, 790, 300);
  EXPECT_EQ(ev(WM_LBUTTONDOWN, 790, 300), 0);
  EXPECT_EQ(stepsAt(fake::tickCount), pairs(app, WM_VSCROLL, SB_LINEUP, 3));
  // The right press sends one step its way and takes the repeat over.
  EXPECT_EQ(ev(WM_RBUTTONDOWN, 790, 300), 0);
  EXPECT_EQ(stepsAt(fake::tickCount), pairs(app, WM_VSCROLL, SB_LINEDOWN, 3));
  EXPECT_EQ(scrollRepeat.axis[kAxisVertical].dir, 1);
  EXPECT_EQ(shownImages(), setImages(8));
  // Its release, with the left button still held, ends extended scroll.
  EXPECT_EQ(ev(WM_RBUTTONUP, 790, 300), 0);
  EXPECT_EQ(gesture.extScrollState, kExtScrollOff);
  EXPECT_EQ(scrollRepeat.axis[kAxisVertical].on, 0);
  EXPECT_EQ(shownImages(), std::vector<std::string>(3, "standard"));
  EXPECT_EQ(ev(WM_LBUTTONUP, 790, 300), 1);
}

TEST_F(Gesture, DesktopDoubleClickWithEachOption) {
  HWND progman = fake::addWindow(nullptr, "Progman", {0, 0, 1280, 1024});
  HWND view = fake::addWindow(progman, "SHELLDLL_DefView", {0, 0, 1280, 1024});
  HWND icons = fake::addWindow(view, "SysListView32", {0, 0, 1280, 1024});
  HWND taskbar = fake::addWindow(nullptr, "Shell_TrayWnd", {0, 1000, 1280, 1024});
  HWND start = fake::addWindow(taskbar, "Button", {3, 1001, 60, 1023});
  struct { int moves, opens, selected; UINT message; } cases[] = {
      {0, 0, 0, WM_LBUTTONDBLCLK}, {1, 0, 0, WM_LBUTTONDBLCLK}, {0, 1, 0, WM_LBUTTONDBLCLK},
      {1, 1, 0, WM_LBUTTONDBLCLK}, {1, 1, 0, WM_NCLBUTTONDBLCLK}, {1, 1, 2, WM_LBUTTONDBLCLK},
  };
  for (bool shellFound : {true, false}) {
    desktopHost = shellFound ? progman : nullptr;
    taskbarWindow = shellFound ? taskbar : nullptr;
    startButton = shellFound ? start : nullptr;
    for (auto c : cases) {
      SCOPED_TRACE(testing::Message() << shellFound << c.moves << c.opens << c.selected << " " << c.message);
      currentSettings.dblClickMovesToStart = c.moves;
      currentSettings.dblClickOpensStartMenu = c.opens;
      fake::window(icons).selectedCount = c.selected;
      fake::window(icons).hitFlags = LVHT_NOWHERE;
      fake::cursorPos = {500, 500};
      move(500, 500, icons);
      fake::sent.clear();
      EXPECT_EQ(ev(c.message, 500, 500, icons), 1);  // the desktop still gets it
      EXPECT_EQ(gesture.leftButtonDown, 1);
      std::vector<SentMessage> expected;
      if (shellFound) expected.push_back({icons, LVM_GETSELECTEDCOUNT, 0, 0});
      bool acts = shellFound && c.selected == 0;
      if (acts && (c.moves || c.opens)) expected.push_back({taskbar, WM_SETFOCUS, 0, 0});
      if (acts && c.opens) expected.push_back({start, WM_LBUTTONDOWN, MK_LBUTTON, 0});
      EXPECT_EQ(fake::sent, expected);
      POINT at = acts && c.moves ? POINT{31, 1012} : POINT{500, 500};
      EXPECT_EQ(fake::cursorPos.x, at.x);
      EXPECT_EQ(fake::cursorPos.y, at.y);
      ev(WM_LBUTTONUP, 500, 500, icons);
    }
  }
  // A taskbar without a Start button window: the Start menu by the system command; the
  // pointer to the taskbar's left end where the user aligned its buttons left, else to
  // Start's UI Automation element where the taskbar has one.
  desktopHost = progman;
  taskbarWindow = taskbar;
  startButton = nullptr;
  currentSettings.dblClickMovesToStart = currentSettings.dblClickOpensStartMenu = 1;
  fake::window(icons).selectedCount = 0;
  // An element that answers later than a second leaves the pointer where it is. A window
  // named Start on a taskbar of Windows 11's layout (its alignment value exists) is not Start.
  struct { DWORD alignment; bool element; POINT at; DWORD answerMs; HWND startWindow; } layouts[] = {
      {0, true, {12, 1012}, 0, nullptr}, {1, true, {640, 1012}, 1000, nullptr},
      {1, false, {500, 500}, 0, nullptr}, {1, true, {500, 500}, 1001, nullptr},
      {1, true, {640, 1012}, 0, start}};
  for (auto l : layouts) {
    SCOPED_TRACE(testing::Message() << l.alignment << l.element << l.answerMs);
    startButton = l.startWindow;
    fake::setValue(kTaskbarSettingsKey, kTaskbarAlignmentValue, REG_BINARY, &l.alignment, 4);
    fake::window(taskbar).automationElements.clear();
    fake::window(taskbar).automationAnswerMs = l.answerMs;
    if (l.element) fake::window(taskbar).automationElements["StartButton"] = {616, 1001, 664, 1023};
    fake::cursorPos = {500, 500};
    fake::sent.clear();
    ev(WM_LBUTTONDBLCLK, 500, 500, icons);
    EXPECT_EQ(fake::sent.back(), (SentMessage{taskbar, WM_SYSCOMMAND, SC_TASKLIST, 0}));
    EXPECT_EQ(fake::cursorPos.x, l.at.x);
    EXPECT_EQ(fake::cursorPos.y, l.at.y);
    ev(WM_LBUTTONUP, 500, 500, icons);
  }

  // Elsewhere than the desktop, nothing is asked.
  desktopHost = progman;
  fake::sent.clear();
  ev(WM_LBUTTONDBLCLK, 100, 100);
  EXPECT_TRUE(fake::sent.empty());
}

// The user picks a new arrow file while Qor runs: presses and crossings read no file and reload
// no scheme; the change of the setting loads it.
TEST_F(Gesture, PressesAndCrossingsUseTheHeldCursorsUntilTheUsersChangeLoadsThem) {
  fake::cursorFiles = {"C:\\new.cur"};
  const char path[] = "C:\\new.cur";
  fake::setValue("Control Panel\\Cursors", "Arrow", REG_SZ, path, sizeof path);
  for (int i = 0; i < 100; ++i) {
    move(kAnchorX, kAnchorY);
    ev(WM_LBUTTONDOWN, kAnchorX, kAnchorY);
    EXPECT_EQ(shownImages(), setImages(5));
    ev(WM_LBUTTONUP, kAnchorX, kAnchorY);
    move(1000, 1000, app, HTVSCROLL);  // off pannable elements: the user's cursors
  }
  EXPECT_EQ(fake::shownCursor(OCR_NORMAL), "standard") << "a press read the file";
  EXPECT_EQ(fake::cursorRestores, 0) << "a crossing reloaded the scheme";
  const int held = fake::liveCursors();
  changeEngine(loadCursors);  // as the main window does when the setting changes
  move(kAnchorX, kAnchorY);
  move(1000, 1000, app, HTVSCROLL);
  EXPECT_EQ(fake::shownCursor(OCR_NORMAL), "C:\\new.cur");
  EXPECT_EQ(fake::liveCursors(), held);
  EXPECT_EQ(fake::cursorMisuse, 0);
}

TEST_F(Gesture, PanDisabledPutsTheUsersCursorsBackOnceAndOnlyAfterOurs) {
  EXPECT_EQ(move(kAnchorX, kAnchorY), 1);
  EXPECT_EQ(shownImages(), setImages(5));  // standby over a pannable element
  currentSettings.panEnabled = 0;
  const size_t copies = fake::cursors.size();  // each showing of a set copies three
  changeEngine([] {});  // as the main thread applies the setting: no timer runs while idle
  EXPECT_EQ(shownImages(), std::vector<std::string>(3, "standard"));
  EXPECT_EQ(move(kAnchorX, kAnchorY + 1), 1);  // with pan off ours never show
  EXPECT_EQ(ev(WM_RBUTTONDOWN, kAnchorX, kAnchorY), 1);  // and no pan starts
  EXPECT_EQ(gesture.panState, kPanStandby);
  tickAt(1010);
  EXPECT_EQ(shownImages(), std::vector<std::string>(3, "standard"));
  EXPECT_EQ(gesture.appliedCursor, kCursorUser);
  EXPECT_EQ(gesture.wantedCursor, kCursorUser);
  EXPECT_EQ(fake::cursors.size(), copies + 3);
  // Later ticks and presses show nothing again.
  size_t made = fake::cursors.size();
  for (int i = 0; i < 5; ++i) tickAt(1020 + 10 * i);
  ev(WM_LBUTTONDOWN, 10, 10, other);
  ev(WM_LBUTTONUP, 10, 10, other);
  for (int i = 0; i < 5; ++i) tickAt(1100 + 10 * i);
  EXPECT_EQ(fake::cursors.size(), made);
  currentSettings.panEnabled = 1;
  tickAt(2000);
  EXPECT_EQ(fake::cursors.size(), made);
}

TEST_F(Gesture, MessagesOutsideTheTwelvePassUntouched) {
  pressAtAnchor();
  move(kAnchorX - 30, kAnchorY);
  const GestureState& g = gesture;
  const AxisRepeat& h = scrollRepeat.axis[kAxisHorizontal];
  const AxisRepeat& v = scrollRepeat.axis[kAxisVertical];
  int32_t state[] = {g.panState, g.extScrollState, g.chordAction, g.leftButtonDown, g.currentKind,
                     g.wantedCursor, h.on, v.on};
  fake::sent.clear();
  size_t made = fake::cursors.size();
  for (UINT message : {0x0207u, 0x0208u, 0x0209u, 0x020Au, 0x020Bu, 0x00A7u, 0x0206u, 0x00A6u, 0u})
    EXPECT_EQ(ev(message, 10, 10, other), 1) << message;
  int32_t after[] = {g.panState, g.extScrollState, g.chordAction, g.leftButtonDown, g.currentKind,
                     g.wantedCursor, h.on, v.on};
  EXPECT_TRUE(std::equal(std::begin(state), std::end(state), std::begin(after)));
  EXPECT_TRUE(fake::sent.empty());
  EXPECT_EQ(fake::cursors.size(), made);
}

TEST_F(Gesture, MenuLoopAndReclassification) {
  HWND statik = fake::addWindow(app, "Static", {10, 10, 200, 200});
  HWND edit = fake::addWindow(app, "Edit", {300, 10, 500, 200});
  // The first move after a menu-loop notice is "nowhere", the next is classified again.
  gesture.menuLoopSeen = 1;
  move(350, 50, edit);
  EXPECT_EQ(gesture.currentKind, 19);
  EXPECT_EQ(gesture.menuLoopSeen, 0);
  move(350, 50, edit);
  EXPECT_EQ(gesture.currentKind, 63);

  // A Static control without a hit code: the top window's child at the point is asked.
  fake::window(statik).ncHitTest = HTCAPTION;
  fake::sent.clear();
  move(50, 50, statik, HTERROR);
  EXPECT_EQ(fake::sent, (std::vector<SentMessage>{{statik, WM_NCHITTEST, 0, (50 << 16) | 50}}));
  EXPECT_EQ(gesture.currentKind, 10);
  // Its answer explains nothing either: client area.
  fake::window(statik).ncHitTest = HTERROR;
  move(50, 50, statik, HTERROR);
  EXPECT_EQ(gesture.currentKind, 20);
  // The window the second try found is the event's window: a pan on it goes on there and
  // ends on the window around it.
  EXPECT_EQ(ev(WM_RBUTTONDOWN, 50, 50, statik), 0);
  EXPECT_EQ(ev(WM_RBUTTONUP, 50, 50, statik), 0);
  EXPECT_EQ(scrollRepeat.target, statik);
  move(60, 50, statik, HTERROR);
  EXPECT_EQ(gesture.panState, kPanPanning);
  move(250, 50);
  EXPECT_EQ(gesture.panState, kPanStandby);
  // No window at the point: the event's window stays, as a client area.
  pressAtAnchor();
  ev(WM_RBUTTONUP, kAnchorX, kAnchorY);
  move(5000, 5000, app, HTERROR);
  EXPECT_EQ(gesture.currentKind, 20);
  EXPECT_EQ(gesture.panState, kPanPanning);
  // Negative screen coordinates are packed as 16-bit words.
  HWND left = fake::addWindow(nullptr, "Static", {-300, -200, 0, 0});
  fake::sent.clear();
  move(-20, -10, left, HTERROR);
  ASSERT_EQ(fake::sent.size(), 1u);
  EXPECT_EQ(fake::sent[0].lParam, LPARAM(0xFFF6FFECu));
}

TEST_F(Gesture, NotificationsNestedInOutgoingSendsLeaveStateConsistent) {
  gesture.panState = kPanOff;
  move(790, 300, app, HTVSCROLL);
  ev(WM_RBUTTONDOWN, 790, 300);
  ev(WM_RBUTTONUP, 790, 300);
  // While the first step of a left press waits, the pointer moves off the bar.
  nestedTarget = app;
  nested = false;
  fake::onSend = [](HWND, UINT message) {
    if (message != WM_VSCROLL || nested) return;
    nested = true;
    engineMouseEvent(nestedTarget, WM_MOUSEMOVE, HTCLIENT, 300, 300);
  };
  EXPECT_EQ(ev(WM_LBUTTONDOWN, 790, 300), 0);
  tickAt(fake::tickCount);
  EXPECT_TRUE(nested);
  EXPECT_EQ(gesture.extScrollState, kExtScrollOff);
  EXPECT_EQ(scrollRepeat.axis[kAxisVertical].on, 0);
  EXPECT_EQ(gesture.appliedCursor, gesture.wantedCursor);
  EXPECT_EQ(shownImages(), std::vector<std::string>(3, "standard"));
  ev(WM_LBUTTONUP, 300, 300);

  // While a tick's step waits, a new extended-scroll repeat starts: its delay stands.
  fake::onSend = nullptr;
  move(790, 300, app, HTVSCROLL);
  ev(WM_RBUTTONDOWN, 790, 300);
  ev(WM_RBUTTONUP, 790, 300);
  fake::tickCount = 10000;
  ev(WM_LBUTTONDOWN, 790, 300);
  tickAt(10000);  // its first step
  nested = false;
  fake::onSend = [](HWND, UINT message) {
    if (message != WM_VSCROLL || nested) return;
    nested = true;
    engineMouseEvent(nestedTarget, WM_RBUTTONDOWN, HTCLIENT, 790, 300);
  };
  tickAt(10801);
  EXPECT_TRUE(nested);
  EXPECT_EQ(scrollRepeat.axis[kAxisVertical].last, 10801u + 700u);
  EXPECT_EQ(scrollRepeat.axis[kAxisVertical].dir, 1);
  fake::onSend = nullptr;
  EXPECT_EQ(stepsAt(10802), pairs(app, WM_VSCROLL, SB_LINEDOWN, 3));  // the nested press's first
  EXPECT_TRUE(stepsAt(11601).empty());
  EXPECT_EQ(stepsAt(11602), pairs(app, WM_VSCROLL, SB_LINEDOWN, 3));
}

// A movement over a list view waits in its hit test (the list view's application hangs);
// meanwhile the user starts a pan in another window. The movement, out of date when its
// hit test gives up, leaves that pan alone.
TEST_F(Gesture, AMovementOvertakenWhileItsHitTestWaitedChangesNothing) {
  HWND list = fake::addWindow(other, "SysListView32", {820, 20, 1000, 200});
  move(kAnchorX, kAnchorY);
  nestedTarget = app;
  nested = false;
  fake::onSend = [](HWND, UINT message) {
    if (message != LVM_HITTEST || nested) return;
    nested = true;
    engineMouseEvent(nestedTarget, WM_MOUSEMOVE, HTCLIENT, kAnchorX, kAnchorY);
    engineMouseEvent(nestedTarget, WM_RBUTTONDOWN, HTCLIENT, kAnchorX, kAnchorY);
    engineMouseEvent(nestedTarget, WM_RBUTTONUP, HTCLIENT, kAnchorX, kAnchorY);
    engineMouseEvent(nestedTarget, WM_MOUSEMOVE, HTCLIENT, kAnchorX, kAnchorY - 60);
  };
  EXPECT_EQ(move(900, 100, list), 1);
  fake::onSend = nullptr;
  EXPECT_TRUE(nested);
  EXPECT_EQ(gesture.panState, kPanPanning) << "the pan started meanwhile goes on";
  EXPECT_EQ(scrollRepeat.target, app);
  EXPECT_EQ(scrollRepeat.axis[kAxisVertical].on, 1);
  EXPECT_EQ(shownImages(), setImages(8));
  EXPECT_EQ(stepsAt(2000), pairs(app, WM_VSCROLL, SB_LINEDOWN, currentSettings.panVCount));
  // The next movement over the list view, not overtaken, ends the pan as usual.
  move(900, 100, list);
  EXPECT_EQ(gesture.panState, kPanStandby);
  EXPECT_EQ(scrollRepeat.axis[kAxisVertical].on, 0);
}

// An application that hung hands over its queued movement only when it wakes: it reports
// the list view the pointer passed long ago. Whether the pan goes on depends on where the
// pointer is now.
TEST_F(Gesture, ALateMovementOfAnotherWindowEndsThePanOnlyIfThePointerLeftTheTarget) {
  struct {
    const char* name;
    bool drag;
    POINT pointerNow;
    int32_t panAfter;
  } cases[] = {
      {"click pan, pointer still over the target", false, {kAnchorX, kAnchorY - 60}, 3},
      {"drag pan, pointer still over the target", true, {kAnchorX, kAnchorY - 60}, 2},
      {"click pan, pointer over the other window", false, {900, 100}, 1},
      {"drag pan, pointer over the other window", true, {900, 100}, 1},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    HWND list = fake::addWindow(other, "SysListView32", {820, 20, 1000, 200});
    pressAtAnchor();
    if (!c.drag) ev(WM_RBUTTONUP, kAnchorX, kAnchorY);
    move(kAnchorX, kAnchorY - 60);
    ASSERT_EQ(scrollRepeat.axis[kAxisVertical].on, 1);
    const int32_t kindBefore = gesture.currentKind;
    fake::cursorPos = c.pointerNow;
    EXPECT_EQ(ev(WM_MOUSEMOVE, 900, 100, list), 1);
    EXPECT_EQ(gesture.panState, c.panAfter);
    if (c.panAfter != 1) {
      EXPECT_EQ(gesture.currentKind, kindBefore) << "the late movement changed nothing";
      EXPECT_EQ(stepsAt(2000), pairs(app, WM_VSCROLL, SB_LINEDOWN, currentSettings.panVCount));
    } else {
      EXPECT_EQ(scrollRepeat.axis[kAxisVertical].on, 0);
      EXPECT_EQ(shownImages(), setImages(5));
    }
  }
}

TEST_F(Gesture, StandbyCommandDuringAGestureStopsItsRepeatAndCursor) {
  pressAtAnchor();
  move(kAnchorX - 40, kAnchorY - 40);
  EXPECT_EQ(shownImages(), setImages(12));
  gesture.panState = kPanOff;  // the tray's standby command, on the main thread
  EXPECT_TRUE(stepsAt(5000).empty());
  EXPECT_EQ(scrollRepeat.axis[kAxisHorizontal].on + scrollRepeat.axis[kAxisVertical].on, 0);
  move(kAnchorX - 41, kAnchorY - 40);
  EXPECT_EQ(shownImages(), std::vector<std::string>(3, "standard"));
}
