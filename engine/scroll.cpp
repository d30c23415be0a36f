#include "engine/scroll.h"

#include <cstring>
#include <initializer_list>

#include "engine/classify.h"
#include "engine/send.h"

ScrollRepeat scrollRepeat;

namespace {
// Windows known to add wheel deltas below a notch up into smooth scrolling: Chromium's render
// widget (Chrome, Edge, Electron and what else embeds it) and Gecko's windows (Firefox,
// Thunderbird). Every other window without Win32 scroll bars gets whole notches: WPF's
// ScrollViewer scrolls a notch per message whatever its delta, and SDL drops the remainder of
// a delta divided by a notch.
const char* const kSmoothWheelClasses[] = {
    "Chrome_RenderWidgetHostHWND",
    "MozillaWindowClass",
};
// A page per notch, the user's "one screen at a time": a notch is worth the system's default
// of three line steps, so that a page goes by per three lines' worth of a pan.
const uint32_t kStepsPerPageNotch = 3;

struct ScrollBarSearch {
  HWND window;  // whose direct children qualify; then the control found
  int32_t axis;
  POINT cursor;
  bool found;
};

bool qualifies(HWND child, const ScrollBarSearch& s) {
  if (osGetParent(child) != s.window) return false;
  if (!osIsWindow(child) || !osIsWindowVisible(child) || !osIsWindowEnabled(child)) return false;
  RECT r = osGetWindowRect(child);
  if (s.axis == kAxisHorizontal) {
    if (s.cursor.x < r.left || s.cursor.x > r.right) return false;
    return classifyTarget(child, 0, s.cursor.x, s.cursor.y) == kKindHScrollControl;
  }
  if (s.cursor.y < r.top || s.cursor.y > r.bottom) return false;
  return classifyTarget(child, 0, s.cursor.x, s.cursor.y) == kKindVScrollControl;
}

bool visitChild(HWND child, void* context) {
  ScrollBarSearch& s = *static_cast<ScrollBarSearch*>(context);
  if (!qualifies(child, s)) return true;
  s.window = child;
  s.found = true;
  return false;
}

// A visible, enabled scroll-bar control of the axis among window's direct children whose
// span holds the cursor on that axis; null when there is none (or no window).
HWND findScrollBarControl(HWND window, int32_t axis, POINT cursor) {
  if (!window) return nullptr;
  ScrollBarSearch search = {window, axis, cursor, false};
  osEnumChildWindows(window, visitChild, &search);
  return search.found ? search.window : nullptr;
}

struct Destination {
  HWND window;
  LPARAM lParam;
};

// A client area is scrolled through a scroll-bar control of its own, or of its parent,
// when one lies under the cursor on that axis.
Destination clientDestination(HWND window, int32_t axis) {
  POINT cursor = osGetCursorPos();
  HWND parent = osGetParent(window);
  if (HWND bar = findScrollBarControl(window, axis, cursor))
    return {window, reinterpret_cast<LPARAM>(bar)};
  if (HWND bar = findScrollBarControl(parent, axis, cursor))
    return {parent, reinterpret_cast<LPARAM>(bar)};
  return {window, 0};
}

Destination destinationOf(HWND window, int32_t kind, int32_t axis) {
  if (kind == kKindHScrollControl || kind == kKindVScrollControl)
    return {osGetParent(window), reinterpret_cast<LPARAM>(window)};
  if (kind == kKindClient) return clientDestination(window, axis);
  return {window, 0};
}

bool addsPartialDeltas(HWND window) {
  char name[256];
  if (osGetClassName(window, name, sizeof name) <= 0) return false;
  for (const char* c : kSmoothWheelClasses)
    if (std::strcmp(name, c) == 0) return true;
  return false;
}

// Scroll bars wherever they exist: every kind the class table names, a scroll-bar control
// under the anchor, a window style with the axis's bar. Only an element the table does not
// know (a client area or caption) that has none is left to the wheel.
int32_t deliveryOf(HWND window, int32_t kind, int32_t axis, POINT anchor) {
  if (kind != kKindClient && kind != kKindCaption) return kDeliverScrollBars;
  if (kind == kKindClient && (findScrollBarControl(window, axis, anchor) ||
                              findScrollBarControl(osGetParent(window), axis, anchor)))
    return kDeliverScrollBars;
  if (osGetWindowStyle(window) & (axis == kAxisVertical ? WS_VSCROLL : WS_HSCROLL))
    return kDeliverScrollBars;
  return addsPartialDeltas(window) ? kDeliverSmoothWheel : kDeliverWheelNotches;
}

// Line steps per notch as the user set them.
int32_t stepsPerNotch(int32_t axis) {
  UINT n = axis == kAxisVertical ? osWheelScrollLines() : osWheelScrollChars();
  if (n == WHEEL_PAGESCROLL) return kStepsPerPageNotch;
  if (n == 0) return 1;
  return n > WHEEL_DELTA ? WHEEL_DELTA : int32_t(n);
}

// A wheel message of delta units toward dir: up and left are dir < 0; the wheel's up is a
// positive delta, its tilt to the left a negative one.
bool postWheel(HWND window, int32_t axis, int32_t dir, int32_t units) {
  const bool vertical = axis == kAxisVertical;
  const int32_t delta = (dir < 0) == vertical ? units : -units;
  const POINT at = scrollRepeat.wheelPoint;
  const LPARAM point = static_cast<LPARAM>((static_cast<uint32_t>(at.y) & 0xFFFF) << 16 |
                                           (static_cast<uint32_t>(at.x) & 0xFFFF));
  const WPARAM wParam = static_cast<WPARAM>((static_cast<uint32_t>(delta) & 0xFFFF) << 16);
  return osIsWindow(window) &&
         osPostMessage(window, vertical ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL, wParam, point);
}

// count line steps as whole notches, one message each: the steps short of a notch wait in
// *rest for the next ones (steps the other way take them back).
bool sendWheelNotches(HWND window, int32_t axis, int32_t dir, int32_t count) {
  int32_t& rest = scrollRepeat.axis[axis].wheelRest;
  const int32_t notch = stepsPerNotch(axis);
  rest += dir < 0 ? -count : count;
  while (rest >= notch || rest <= -notch) {
    const int32_t way = rest < 0 ? -1 : 1;
    rest -= way * notch;
    if (!postWheel(window, axis, way, WHEEL_DELTA)) return false;
  }
  return true;
}

// Each line step is its own pair, line message then SB_ENDSCROLL. A window that goes away
// meanwhile gets nothing more; false when the system refused a step (access denied). A pair
// starts only with half the send budget left, so that neither message runs out of time and
// reaches the window late; the steps left wait for the next tick (in place of any left before).
bool sendSteps(HWND window, int32_t kind, int32_t axis, int32_t dir, int32_t count) {
  Destination to = destinationOf(window, kind, axis);
  UINT message = axis == kAxisVertical ? WM_VSCROLL : WM_HSCROLL;
  WPARAM line = dir < 0 ? SB_LINEUP : SB_LINEDOWN;  // SB_LINELEFT, SB_LINERIGHT alike
  const WPARAM requests[] = {line, SB_ENDSCROLL};
  for (int32_t i = 0; i < count; ++i) {
    if (!sendBudgetLeft(kEventSendBudgetMs / 2)) {
      scrollRepeat.axis[axis].carried = dir < 0 ? i - count : count - i;
      return true;
    }
    for (WPARAM request : requests) {
      LRESULT answer = 0;
      if (!osIsWindow(to.window)) return true;
      if (sendBounded(to.window, message, request, to.lParam, &answer) == kSendDenied) return false;
    }
  }
  return true;
}

bool sendAxisSteps(HWND window, int32_t kind, int32_t axis, int32_t dir, int32_t count) {
  if (dir == 0 || count <= 0) return true;
  if (scrollRepeat.axis[axis].delivery != kDeliverScrollBars)
    return sendWheelNotches(window, axis, dir, count);
  return !osIsWindow(window) || sendSteps(window, kind, axis, dir, count);
}

// Strict: due once more than interval ms have passed since last. The signed difference
// stays right across the wrap of the 32-bit tick count, and a last that lies ahead of now
// (an extended scroll's start + 700) reads as negative time passed.
bool due(uint32_t last, int32_t interval, uint32_t now) {
  return static_cast<int32_t>(now - last) > interval;
}

// A smooth axis's tick: the share of the emission under way that is due by now, posted as
// the wheel units it makes. Its emissions complete when line steps would go out, so that the
// content glides as far as they would take it, at the same speed.
bool glide(int32_t axis, bool complete, uint32_t now) {
  AxisRepeat& a = scrollRepeat.axis[axis];
  if (a.dir == 0 || a.count <= 0) return true;
  // In wheel units times steps per notch: one line step is a notch's share of WHEEL_DELTA.
  const int64_t emission = int64_t(a.count) * WHEEL_DELTA;
  const int32_t elapsed = static_cast<int32_t>(now - a.last);
  int64_t dueByNow = a.glided;
  if (complete) dueByNow = emission;
  else if (a.interval > 0 && elapsed > 0) dueByNow = emission * elapsed / a.interval;
  if (dueByNow > emission) dueByNow = emission;
  bool accepted = true;
  if (dueByNow > a.glided) {
    const int64_t share = a.wheelRest + (dueByNow - a.glided);
    const int32_t notch = stepsPerNotch(axis);
    const int32_t units = static_cast<int32_t>(share / notch);
    a.wheelRest = static_cast<int32_t>(share - int64_t(units) * notch);
    a.glided = dueByNow;
    if (units) accepted = postWheel(scrollRepeat.target, axis, a.dir, units);
  }
  if (complete) {
    a.last = now;
    a.glided = 0;
  }
  return accepted;
}

// The time is recorded before the steps go out: a notification handled while they wait may
// start a new repeat, whose times must stand.
bool repeatAxis(int32_t axis, int32_t kind) {
  AxisRepeat& a = scrollRepeat.axis[axis];
  if (a.on == 0) return true;
  const uint32_t now = osGetTickCount();
  const bool isDue = due(a.last, a.interval, now);
  if (a.delivery == kDeliverSmoothWheel) return glide(axis, isDue, now);
  if (const int32_t steps = a.carried) {
    a.carried = 0;
    if (!sendAxisSteps(scrollRepeat.target, kind, axis, steps, steps < 0 ? -steps : steps))
      return false;
  }
  if (!isDue) return true;
  a.last = now;
  return sendAxisSteps(scrollRepeat.target, kind, axis, a.dir, a.count);
}
}  // namespace

void chooseScrollDelivery(HWND window, int32_t kind, POINT anchor) {
  for (int32_t axis : {kAxisHorizontal, kAxisVertical})
    scrollRepeat.axis[axis].delivery = deliveryOf(window, kind, axis, anchor);
  for (AxisRepeat& a : scrollRepeat.axis) {
    a.wheelRest = a.carried = 0;
    a.glided = 0;
  }
  // A DPI-unaware target reads the point of a posted message in its own coordinates.
  scrollRepeat.wheelPoint = osPhysicalToLogicalPoint(window, anchor);
}

bool sendScrollSteps(HWND window, int32_t hDir, int32_t vDir, int32_t hCount, int32_t vCount,
                     int32_t kind) {
  return sendAxisSteps(window, kind, kAxisVertical, vDir, vCount) &&
         sendAxisSteps(window, kind, kAxisHorizontal, hDir, hCount);
}

bool runScrollRepeats(int32_t kind) {
  ScrollRepeat& r = scrollRepeat;
  if (r.firstStepDue) {
    r.firstStepDue = 0;
    const AxisRepeat& h = r.axis[kAxisHorizontal];
    const AxisRepeat& v = r.axis[kAxisVertical];
    if (!sendScrollSteps(r.target, h.dir, v.dir, h.count, v.count, r.firstStepKind)) return false;
  }
  const bool horizontal = repeatAxis(kAxisHorizontal, kind);
  return repeatAxis(kAxisVertical, kind) && horizontal;
}
