#include "engine/scroll.h"

#include "engine/classify.h"
#include "os/os.h"

ScrollRepeat scrollRepeat;

namespace {
enum { kAxisHorizontal = 1, kAxisVertical = 2 };
// The settings allow 1..7 line steps per emission; a damaged profile must not make one
// emission hold up every mouse event of the desktop.
const int32_t kMaxStepsPerEmission = 7;

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

// Each line step is its own pair, line message then SB_ENDSCROLL. A window that goes away
// meanwhile gets nothing more.
void sendSteps(HWND window, int32_t kind, int32_t axis, int32_t dir, int32_t count) {
  if (dir == 0 || count <= 0) return;
  if (count > kMaxStepsPerEmission) count = kMaxStepsPerEmission;
  Destination to = destinationOf(window, kind, axis);
  UINT message = axis == kAxisVertical ? WM_VSCROLL : WM_HSCROLL;
  WPARAM line = dir < 0 ? SB_LINEUP : SB_LINEDOWN;  // SB_LINELEFT, SB_LINERIGHT alike
  for (int32_t i = 0; i < count; ++i) {
    if (!osIsWindow(to.window)) return;
    osSendMessage(to.window, message, line, to.lParam);
    if (!osIsWindow(to.window)) return;
    osSendMessage(to.window, message, SB_ENDSCROLL, to.lParam);
  }
}

// Strict: due once more than interval ms have passed since last. The signed difference
// stays right across the wrap of the 32-bit tick count, and a last that lies ahead of now
// (an extended scroll's start + 700) reads as negative time passed.
bool due(uint32_t last, int32_t interval, uint32_t now) {
  return static_cast<int32_t>(now - last) > interval;
}
}  // namespace

void sendScrollSteps(HWND window, int32_t hDir, int32_t vDir, int32_t hCount, int32_t vCount,
                     int32_t kind) {
  if (!osIsWindow(window)) return;
  sendSteps(window, kind, kAxisVertical, vDir, vCount);
  sendSteps(window, kind, kAxisHorizontal, hDir, hCount);
}

void runScrollRepeats(int32_t kind) {
  ScrollRepeat& r = scrollRepeat;
  // The time is recorded before the steps go out: a notification handled while they wait
  // may start a new repeat, whose times must stand.
  if (r.hOn != 0) {
    uint32_t now = osGetTickCount();
    if (due(r.hLast, r.hInterval, now)) {
      r.hLast = now;
      sendScrollSteps(r.target, r.hDir, 0, r.hCount, r.vCount, kind);
    }
  }
  if (r.vOn != 0) {
    uint32_t now = osGetTickCount();
    if (due(r.vLast, r.vInterval, now)) {
      r.vLast = now;
      sendScrollSteps(r.target, 0, r.vDir, r.hCount, r.vCount, kind);
    }
  }
}
