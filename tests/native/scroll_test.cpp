// Scroll emission: where the steps go, how many, and when the timer repeats them.
#include <gtest/gtest.h>

#include "tests/native/engine_helpers.h"

using namespace engine_test;

namespace {
class Scroll : public ::testing::Test {
 protected:
  void SetUp() override {
    freshEngine();
    frame = fake::addWindow(nullptr, "Frame", {0, 0, 800, 600});
    pane = fake::addWindow(frame, "Pane", {0, 0, 600, 500});
    fake::cursorPos = {300, 250};
  }
  HWND bar(HWND parent, RECT r, LONG style, const char* cls = "ScrollBar") {
    return fake::addWindow(parent, cls, r, style);
  }
  std::vector<SentMessage> send(HWND window, int32_t hDir, int32_t vDir, int32_t kind,
                                int32_t hCount = 2, int32_t vCount = 3) {
    fake::sent.clear();
    sendScrollSteps(window, hDir, vDir, hCount, vCount, kind);
    return scrollMessages();
  }
  HWND frame, pane;
};
}  // namespace

TEST_F(Scroll, DestinationByKindVerticalFirst) {
  HWND vbar = bar(pane, {580, 0, 600, 480}, SBS_VERT);
  HWND hbar = bar(pane, {0, 480, 580, 500}, 0);
  struct { HWND window; int32_t kind; HWND to; LPARAM lParam; } cases[] = {
      {vbar, 81, pane, LPARAM(vbar)}, {hbar, 80, pane, LPARAM(hbar)},
      {hbar, 81, pane, LPARAM(hbar)},  // the kind decides, not the control's own style
      {pane, 12, pane, 0}, {pane, 63, pane, 0}, {pane, 999, pane, 0},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_EQ(send(c.window, 1, -1, c.kind),
              pairs(c.to, WM_VSCROLL, SB_LINEUP, 3, c.lParam) +
                  pairs(c.to, WM_HSCROLL, SB_LINERIGHT, 2, c.lParam));
  }
}

TEST_F(Scroll, ClientAreaGoesThroughAScrollBarControlUnderTheCursor) {
  // Without any control: the window itself, lParam 0.
  EXPECT_EQ(send(pane, -5, 7, 20),
            pairs(pane, WM_VSCROLL, SB_LINEDOWN, 3) + pairs(pane, WM_HSCROLL, SB_LINELEFT, 2));

  // A horizontal control of its own whose span holds the cursor's x; a vertical one of the
  // parent whose span holds the cursor's y.
  HWND own = bar(pane, {100, 480, 500, 500}, 0);
  HWND parents = bar(frame, {780, 200, 800, 300}, SBS_VERT);
  EXPECT_EQ(send(pane, 1, 1, 20), pairs(frame, WM_VSCROLL, SB_LINEDOWN, 3, LPARAM(parents)) +
                                      pairs(pane, WM_HSCROLL, SB_LINERIGHT, 2, LPARAM(own)));

  // Bounds are inclusive on the axis; the other coordinate is not looked at.
  for (LONG x : {100, 500}) {
    fake::cursorPos = {x, 5};
    EXPECT_EQ(send(pane, 1, 0, 20), pairs(pane, WM_HSCROLL, SB_LINERIGHT, 2, LPARAM(own))) << x;
  }
  fake::cursorPos = {501, 250};
  EXPECT_EQ(send(pane, 1, 0, 20), pairs(pane, WM_HSCROLL, SB_LINERIGHT, 2));
}

TEST_F(Scroll, OnlyVisibleEnabledDirectChildScrollBarsOfTheAxisQualify) {
  struct { const char* why; const char* cls; LONG style; bool visible; bool enabled; bool child; bool chosen; } cases[] = {
      {"qualifies", "ScrollBar", 0, true, true, true, true},
      {"123 bar, horizontal", "123WScrollBar", 0x1, true, true, true, true},
      {"vertical bar", "ScrollBar", SBS_VERT, true, true, true, false},
      {"hidden", "ScrollBar", 0, false, true, true, false},
      {"disabled", "ScrollBar", 0, true, false, true, false},
      {"grandchild", "ScrollBar", 0, true, true, false, false},
      {"not a scroll bar", "Edit", 0, true, true, true, false},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.why);
    SetUp();
    HWND holder = c.child ? pane : fake::addWindow(pane, "Holder", {0, 400, 600, 500});
    HWND b = bar(holder, {0, 480, 600, 500}, c.style, c.cls);
    fake::window(b).visible = c.visible;
    fake::window(b).enabled = c.enabled;
    EXPECT_EQ(send(pane, 1, 0, 20), pairs(pane, WM_HSCROLL, SB_LINERIGHT, 2, c.chosen ? LPARAM(b) : 0));
  }
  // Of two that qualify, the first in enumeration order.
  SetUp();
  bar(pane, {0, 480, 600, 500}, 0);
  HWND first = bar(pane, {0, 460, 600, 480}, 0);
  EXPECT_EQ(send(pane, 1, 0, 20), pairs(pane, WM_HSCROLL, SB_LINERIGHT, 2, LPARAM(first)));
  // A top-level window has no parent to search.
  HWND top = fake::addWindow(nullptr, "Lonely", {0, 0, 100, 100});
  EXPECT_EQ(send(top, 0, 1, 20), pairs(top, WM_VSCROLL, SB_LINEDOWN, 3));
}

TEST_F(Scroll, CountsDirectionsAndWindowsThatAreGone) {
  EXPECT_EQ(send(pane, 0, -1, 12, 2, 3), pairs(pane, WM_VSCROLL, SB_LINEUP, 3));
  EXPECT_TRUE(send(pane, 0, 0, 12).empty());
  EXPECT_TRUE(send(pane, 1, 1, 12, 0, -4).empty());
  fake::destroyWindow(pane);
  EXPECT_TRUE(send(pane, 1, 1, 12).empty());
  EXPECT_EQ(fake::sendsToNonWindows, 0);

  // A window that goes away while its steps go out gets nothing more.
  SetUp();
  static HWND doomed;
  doomed = pane;
  fake::onSend = [](HWND, UINT) { fake::destroyWindow(doomed); };
  EXPECT_EQ(send(pane, 1, 1, 12).size(), 1u);
  EXPECT_EQ(fake::sendsToNonWindows, 0);
}

TEST_F(Scroll, TickRepeatsEachAxisWithTheLatestKindAcrossTheWrap) {
  HWND control = bar(pane, {0, 480, 600, 500}, 0);
  AxisRepeat& h = scrollRepeat.axis[kAxisHorizontal];
  AxisRepeat& v = scrollRepeat.axis[kAxisVertical];
  gesture.panState = kPanPanning;
  scrollRepeat.target = control;
  h.on = 1;
  h.dir = 1;
  h.count = 1;
  h.interval = 500;
  h.last = 0xFFFFFF00u;  // 256 ms before the counter wraps
  v.on = 1;
  v.dir = -1;
  v.count = 2;
  v.interval = 100;
  v.last = 0xFFFFFF00u;
  gesture.currentKind = 80;
  auto tick = [](DWORD now) {
    fake::sent.clear();
    fake::tickCount = now;
    engineTick();
    return scrollMessages();
  };
  // Neither fires early when last + interval wraps, nor stalls once now has wrapped.
  EXPECT_TRUE(tick(0xFFFFFF10u).empty());
  EXPECT_EQ(tick(0xFFFFFF65u), pairs(pane, WM_VSCROLL, SB_LINEUP, 2, LPARAM(control)));
  EXPECT_EQ(tick(0x000000F4u), pairs(pane, WM_VSCROLL, SB_LINEUP, 2, LPARAM(control)));
  EXPECT_EQ(tick(0x000000F5u), pairs(pane, WM_HSCROLL, SB_LINERIGHT, 1, LPARAM(control)));
  // The kind of the latest movement decides the destination, not the one the gesture began on.
  gesture.currentKind = 12;
  EXPECT_EQ(tick(0x00001000u), pairs(control, WM_HSCROLL, SB_LINERIGHT, 1) +
                                   pairs(control, WM_VSCROLL, SB_LINEUP, 2));
  // A target that is gone receives nothing, and the repeat stays on.
  fake::destroyWindow(control);
  EXPECT_TRUE(tick(0x00002000u).empty());
  EXPECT_EQ(h.on + v.on, 2);
  EXPECT_EQ(fake::sendsToNonWindows, 0);
}

TEST_F(Scroll, DeliveryPerAxisIsChosenAtTheAnchor) {
  enum { B = kDeliverScrollBars, N = kDeliverWheelNotches, S = kDeliverSmoothWheel };
  enum { kOwnVBar = 1, kParentsHBar = 2 };
  struct { const char* cls; LONG style; int bar; int32_t kind; int32_t h, v; } cases[] = {
      {"Edit", 0, 0, 63, B, B}, {"ListBox", 0, 0, 64, B, B},  // the class table's kinds
      {"View", 0, 0, 20, N, N}, {"View", 0, 0, 10, N, N},  // no Win32 scroll bar: client, caption
      {"View", WS_VSCROLL, 0, 20, N, B}, {"View", WS_HSCROLL, 0, 10, B, N},
      {"View", 0, kOwnVBar, 20, N, B}, {"View", 0, kParentsHBar, 20, B, N},
      {"View", 0, kOwnVBar, 10, N, N},  // a caption's steps never go through a control
      {"HwndWrapper[App.exe;;1]", 0, 0, 20, N, N}, {"SDL_app", 0, 0, 20, N, N},
      {"Chrome_RenderWidgetHostHWND", 0, 0, 20, S, S}, {"MozillaWindowClass", WS_HSCROLL, 0, 20, B, S},
  };
  for (auto c : cases) {
    SCOPED_TRACE(std::string(c.cls) + " kind " + std::to_string(c.kind));
    SetUp();
    fake::cursorPos = {700, 550};  // the anchor decides, not where the pointer is now
    HWND view = fake::addWindow(frame, c.cls, {0, 0, 600, 500}, c.style);
    if (c.bar == kOwnVBar) bar(view, {580, 0, 600, 500}, SBS_VERT);
    if (c.bar == kParentsHBar) bar(frame, {0, 500, 800, 520}, 0);
    chooseScrollDelivery(view, c.kind, {300, 250});
    EXPECT_EQ(scrollRepeat.axis[kAxisHorizontal].delivery, c.h);
    EXPECT_EQ(scrollRepeat.axis[kAxisVertical].delivery, c.v);
  }
}

TEST_F(Scroll, WheelStepsGoAsWholeNotchesAtEveryWheelSetting) {
  // The user's lines (columns) per notch and the line steps that make one notch; a page per
  // notch takes three. A DPI-unaware view reads the anchor (480, 300) as (320, 200).
  for (auto [setting, steps] : std::vector<std::pair<UINT, int32_t>>{
           {1, 1}, {3, 3}, {7, 7}, {120, 120}, {500, 120}, {WHEEL_PAGESCROLL, 3}, {0, 1}}) {
    SCOPED_TRACE(setting);
    SetUp();
    fake::wheelLines = fake::wheelChars = setting;
    HWND view = fake::addWindow(frame, "View", {0, 0, 600, 500});
    fake::window(view).scalePercent = 150;
    chooseScrollDelivery(view, 20, {480, 300});
    for (int i = 0; i < 60; ++i) EXPECT_TRUE(send(view, 1, -1, 20, 5, 4).empty());
    int32_t notches[2] = {0, 0};  // across, down
    for (const SentMessage& m : fake::queued) {
      EXPECT_EQ(m.window, view);
      EXPECT_EQ(m.lParam, LPARAM(200 << 16 | 320));
      const int16_t delta = int16_t(m.wParam >> 16);
      EXPECT_EQ(delta, WHEEL_DELTA);  // up and right
      ++notches[m.message == WM_MOUSEWHEEL];
    }
    EXPECT_EQ(notches[0], 300 / steps);
    EXPECT_EQ(notches[1], 240 / steps);
  }
  // Steps the other way take carried ones back; a new gesture carries nothing over.
  fake::wheelLines = 7;
  HWND view = fake::addWindow(frame, "View", {0, 0, 600, 500});
  chooseScrollDelivery(view, 20, {480, 300});
  fake::queued.clear();
  send(view, 0, -1, 20, 0, 6);
  send(view, 0, 1, 20, 0, 6);
  send(view, 0, 1, 20, 0, 6);
  chooseScrollDelivery(view, 20, {480, 300});
  send(view, 0, 1, 20, 0, 6);
  EXPECT_TRUE(fake::queued.empty());
  send(view, 0, 1, 20, 0, 1);
  ASSERT_EQ(fake::queued.size(), 1u);
  EXPECT_EQ(int16_t(fake::queued[0].wParam >> 16), -WHEEL_DELTA);
}

TEST_F(Scroll, ASmoothTargetGlidesAsFarAsLineStepsTakeAClassicOne) {
  // Two seconds of 10 ms ticks of a vertical pan at each interval (speed), 2 lines an emission:
  // a window with a scroll bar counts its SB_LINEUP steps, Chromium's view adds up its deltas
  // (3 lines a notch). The same lines within 10 %, the smooth ones a tick's share at a time.
  for (int32_t interval : {40, 100, 0, -200}) {
    SCOPED_TRACE(interval);
    double lines[2] = {0, 0};
    size_t messages = 0;
    for (const char* cls : {"Classic", "Chrome_RenderWidgetHostHWND"}) {
      SetUp();
      HWND view = fake::addWindow(frame, cls, {0, 0, 600, 500}, cls[1] == 'l' ? WS_VSCROLL : 0);
      chooseScrollDelivery(view, 20, {300, 250});
      AxisRepeat& v = scrollRepeat.axis[kAxisVertical];
      scrollRepeat.target = view;
      v.on = 1, v.dir = -1, v.count = 2, v.interval = interval, v.last = 1000;
      for (DWORD now = 1010; now <= 3000; now += 10) {
        fake::tickCount = now;
        runScrollRepeats(20);
      }
      for (const SentMessage& m : scrollMessages()) lines[0] += m.wParam == SB_LINEUP;
      const int perTick = interval > 0 ? 80 * 10 / interval : 80;  // 80: an emission's units
      for (const SentMessage& m : fake::queued) {
        EXPECT_LE(int16_t(m.wParam >> 16), perTick + 1) << "a jump, not a glide";
        lines[1] += int16_t(m.wParam >> 16) * 3.0 / WHEEL_DELTA;
      }
      messages = fake::queued.size();
    }
    EXPECT_GT(lines[0], 0);
    EXPECT_NEAR(lines[1], lines[0], lines[0] / 10);
    EXPECT_GE(messages, size_t(interval > 0 ? 150 : 190)) << "deltas every tick or nearly";
  }
}
