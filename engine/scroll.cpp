#include "engine/scroll.h"

#include <cstring>

#include "engine/classify.h"
#include "engine/send.h"

ScrollRepeat scrollRepeat;

namespace {
enum { kAxisHorizontal = 1, kAxisVertical = 2 };

// Windows that ignore posted wheel messages and scroll only on wheel input from the queue:
// the app model's core windows, and the input sites and content bridges of XAML islands.
const char* const kWheelInputOnlyClasses[] = {
    "Windows.UI.Core.CoreWindow",
    "Windows.UI.Input.InputSite.WindowClass",
    "Microsoft.UI.Content.DesktopChildSiteBridge",
    "Windows.UI.Composition.DesktopWindowContentBridge",
};

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
  if (s.axis == kAxisVertical) {
    if (s.cursor.y < r.top || s.cursor.y > r.bottom) return false;
    return classifyTarget(child, 0, s.cursor.x, s.cursor.y) == kKindVScrollControl;
  }
  return false;
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

bool takesWheelInputOnly(HWND window) {
  char name[256];
  if (osGetClassName(window, name, sizeof name) <= 0) return false;
  for (const char* c : kWheelInputOnlyClasses)
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
  return takesWheelInputOnly(window) ? kDeliverWheelInput : kDeliverWheelMessages;
}

// Steps per notch as the user set them; a page per notch (and no setting) counts as one.
uint32_t stepsPerNotch(int32_t axis) {
  UINT n = axis == kAxisVertical ? osWheelScrollLines() : osWheelScrollChars();
  if (n == 0 || n == WHEEL_PAGESCROLL) return 1;
  return n > WHEEL_DELTA ? WHEEL_DELTA : n;
}

// One line step's wheel units when steps make one notch, the remainder carried in *rest:
// any steps in a row add up to the notches they make, rounded down.
int32_t wheelStepDelta(uint32_t steps, int32_t* rest) {
  const int32_t units = WHEEL_DELTA + *rest;
  const int32_t delta = units / int32_t(steps);
  *rest = units - delta * int32_t(steps);
  return delta;
}

// Wheel steps, one message or event each. Up and left are dir < 0; the wheel's up is a
// positive delta, its tilt to the left a negative one.
bool sendWheelSteps(HWND window, int32_t axis, int32_t dir, int32_t count) {
  ScrollRepeat& r = scrollRepeat;
  const bool vertical = axis == kAxisVertical;
  const int32_t delivery = vertical ? r.vDelivery : r.hDelivery;
  int32_t* rest = vertical ? &r.vWheelRest : &r.hWheelRest;
  const uint32_t steps = stepsPerNotch(axis);
  const int32_t sign = (dir < 0) == vertical ? 1 : -1;
  const LPARAM point = static_cast<LPARAM>((static_cast<uint32_t>(r.wheelPoint.y) & 0xFFFF) << 16 |
                                           (static_cast<uint32_t>(r.wheelPoint.x) & 0xFFFF));
  for (int32_t i = 0; i < count; ++i) {
    if (!osIsWindow(window)) return false;
    const int32_t delta = sign * wheelStepDelta(steps, rest);
    if (delivery == kDeliverWheelInput) {
      if (!osInjectWheel(!vertical, delta, kQorInputTag)) return false;
      continue;
    }
    const WPARAM wParam = static_cast<WPARAM>((static_cast<uint32_t>(delta) & 0xFFFF) << 16);
    if (!osPostMessage(window, vertical ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL, wParam, point))
      return false;
  }
  return true;
}

// Each line step is its own pair, line message then SB_ENDSCROLL. A window that goes away
// meanwhile gets nothing more; false when the system refused a step (access denied).
bool sendSteps(HWND window, int32_t kind, int32_t axis, int32_t dir, int32_t count) {
  Destination to = destinationOf(window, kind, axis);
  UINT message = axis == kAxisVertical ? WM_VSCROLL : WM_HSCROLL;
  WPARAM line = dir < 0 ? SB_LINEUP : SB_LINEDOWN;  // SB_LINELEFT, SB_LINERIGHT alike
  const WPARAM requests[] = {line, SB_ENDSCROLL};
  for (int32_t i = 0; i < count; ++i) {
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
  const ScrollRepeat& r = scrollRepeat;
  if ((axis == kAxisVertical ? r.vDelivery : r.hDelivery) != kDeliverScrollBars)
    return sendWheelSteps(window, axis, dir, count);
  return !osIsWindow(window) || sendSteps(window, kind, axis, dir, count);
}

// Strict: due once more than interval ms have passed since last. The signed difference
// stays right across the wrap of the 32-bit tick count, and a last that lies ahead of now
// (an extended scroll's start + 700) reads as negative time passed.
bool due(uint32_t last, int32_t interval, uint32_t now) {
  return static_cast<int32_t>(now - last) > interval;
}
}  // namespace

void chooseScrollDelivery(HWND window, int32_t kind, POINT anchor) {
  ScrollRepeat& r = scrollRepeat;
  r.hDelivery = deliveryOf(window, kind, kAxisHorizontal, anchor);
  r.vDelivery = deliveryOf(window, kind, kAxisVertical, anchor);
  r.hWheelRest = r.vWheelRest = 0;
  r.wheelPoint = anchor;
}

bool sendScrollSteps(HWND window, int32_t hDir, int32_t vDir, int32_t hCount, int32_t vCount,
                     int32_t kind) {
  return sendAxisSteps(window, kind, kAxisVertical, vDir, vCount) &&
         sendAxisSteps(window, kind, kAxisHorizontal, hDir, hCount);
}

bool runScrollRepeats(int32_t kind) {
  ScrollRepeat& r = scrollRepeat;
  bool accepted = true;
  // The time is recorded before the steps go out: a notification handled while they wait
  // may start a new repeat, whose times must stand.
  if (r.hOn != 0) {
    uint32_t now = osGetTickCount();
    if (due(r.hLast, r.hInterval, now)) {
      r.hLast = now;
      accepted = sendScrollSteps(r.target, r.hDir, 0, r.hCount, r.vCount, kind);
    }
  }
  if (r.vOn != 0) {
    uint32_t now = osGetTickCount();
    if (due(r.vLast, r.vInterval, now)) {
      r.vLast = now;
      accepted = sendScrollSteps(r.target, 0, r.vDir, r.hCount, r.vCount, kind) && accepted;
    }
  }
  return accepted;
}
