#include "engine/gesture.h"

#include "engine/classify.h"
#include "engine/cursor.h"
#include "os/os.h"
#include "engine/scroll.h"
#include "engine/shell_windows.h"
#include "settings/settings.h"

SharedInt32 panState;
SharedInt32 extScrollState;
SharedInt32 menuLoopSeen;
int32_t chordAction = -1;
int32_t leftButtonDown = 0;
int32_t currentKind = 999;
POINT anchorPoint = {0, 0};
int32_t wantedCursor = 0;
int32_t appliedCursor = 0;

namespace {
enum { kPass = 1, kSwallow = 0 };
const uint32_t kDeadZone = 10;       // pixels from the anchor that do not pan
const uint32_t kExtScrollReach = 10;  // pixels from the anchor that keep extended scroll
const int32_t kExtScrollIntervalMs = 100;
const uint32_t kExtScrollDelayMs = 700;  // first repeat after delay + interval
// GetParent chains end; a bound keeps a broken one from holding up the desktop's mouse.
const int kMaxParentDepth = 256;

// Wanted cursor by the signs of the anchor's distance beyond the dead zone (-1, 0 inside
// it, 1): [dx sign + 1][dy sign + 1]. 0 leaves the cursor as it is.
const int8_t kPanCursors[3][3] = {
    {15, 10, 14},  // pointer right of the anchor: steps left
    {9, 0, 8},     // within the dead zone horizontally
    {13, 11, 12},  // pointer left of the anchor: steps right
};

// Events the engine has taken. A movement whose classification waited in a send (a hit test
// of a window that hangs) sees by it whether newer events were handled meanwhile.
uint32_t eventsTaken = 0;

// One event's scroll step, sent after the event's state changes are complete.
struct FirstStep {
  bool pending;
  HWND window;
};

void repeatsOff() {
  scrollRepeat.hOn = 0;
  scrollRepeat.vOn = 0;
}

bool scrollsHorizontally(int32_t kind) { return actionClassOf(kind) == kScrollsHorizontally; }
bool scrollBarLike(int32_t kind) {
  int32_t c = actionClassOf(kind);
  return c == kScrollsHorizontally || c == kScrollsVertically;
}
int32_t extScrollCursor() { return scrollsHorizontally(currentKind) ? 4 : 3; }

// Coordinates come from other processes and settings from the registry: differences and
// products wrap in 32 bits, as signed 32-bit values do, and never overflow.
int32_t difference(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
uint32_t magnitude(int32_t d) { return d < 0 ? 0u - uint32_t(d) : uint32_t(d); }
bool fartherThan(int32_t x, int32_t y, uint32_t reach) {
  return magnitude(difference(x, anchorPoint.x)) > reach ||
         magnitude(difference(y, anchorPoint.y)) > reach;
}

int32_t signBeyondDeadZone(int32_t d) {
  return magnitude(d) <= kDeadZone ? 0 : d < 0 ? -1 : 1;
}
int32_t panInterval(int32_t d, int32_t response) {
  return int32_t(1000u - magnitude(d) * 2u * uint32_t(response));
}

void panComputation(int32_t x, int32_t y) {
  ScrollRepeat& r = scrollRepeat;
  int32_t dx = difference(anchorPoint.x, x);
  int32_t dy = difference(anchorPoint.y, y);
  r.hCount = currentSettings.panHCount;
  r.vCount = currentSettings.panVCount;
  repeatsOff();
  r.hDir = dx;
  r.vDir = dy;
  int32_t sx = signBeyondDeadZone(dx);
  int32_t sy = signBeyondDeadZone(dy);
  if (sx != 0) {
    r.hInterval = panInterval(dx, currentSettings.panHResponse);
    r.hOn = 1;
  }
  if (sy != 0) {
    r.vInterval = panInterval(dy, currentSettings.panVResponse);
    r.vOn = 1;
  }
  if (int32_t cursor = kPanCursors[sx + 1][sy + 1]) wantedCursor = cursor;
}

// The second try for a point that the event's window does not explain: the topmost
// window's child at the point, asked for its own hit code. Without a window at the point
// the event's window stays, as a client area.
int32_t reclassify(int32_t x, int32_t y, HWND* eventWindow) {
  POINT at = {x, y};
  HWND w = osWindowFromPoint(at);
  if (!w) return kKindClient;
  HWND top = w;
  for (int depth = 0; depth < kMaxParentDepth; ++depth) {
    HWND up = osGetParent(top);
    if (!up) break;
    top = up;
  }
  HWND c = osChildWindowFromPoint(top, osScreenToClient(top, at));
  if (!c || !osIsWindowVisible(c)) c = w;
  LPARAM packed = static_cast<LPARAM>((static_cast<uint32_t>(y) & 0xFFFF) << 16 |
                                      (static_cast<uint32_t>(x) & 0xFFFF));
  int32_t code = static_cast<int32_t>(osSendMessage(c, WM_NCHITTEST, 0, packed));
  int32_t kind = classifyTarget(c, code, x, y);
  *eventWindow = c;
  return kind == kKindNothing ? int32_t(kKindClient) : kind;
}

void onMovement(HWND window, int32_t hitCode, int32_t x, int32_t y) {
  HWND eventWindow = window;
  int32_t kind;
  const uint32_t taken = eventsTaken;
  if (menuLoopSeen != 0) {
    kind = kKindNowhere;
    menuLoopSeen = 0;
  } else {
    kind = classifyTarget(window, hitCode, x, y);
    if (kind == kKindNothing) kind = reclassify(x, y, &eventWindow);
  }
  // Newer events were handled while this one waited: its point is out of date, and acting
  // on it would undo what they did (end the pan they started in another window).
  if (eventsTaken != taken) return;
  // An application that hung hands its queued movements to the hook only when it wakes,
  // after newer events of other windows: one over a window the pointer has since left,
  // while the pointer is still over the pan target, is out of date and must not end the pan.
  const int32_t panning = panState;
  if (currentSettings.panEnabled != 0 && (panning == 2 || panning == 3) &&
      eventWindow != scrollRepeat.target &&
      osWindowFromPoint(osGetCursorPos()) == scrollRepeat.target)
    return;
  // Taken after classification: a movement handled while it waited may have changed it.
  int32_t prevKind = currentKind;
  currentKind = kind;

  if (extScrollState != 0 && !scrollBarLike(kind) &&
      (kind != prevKind || fartherThan(x, y, kExtScrollReach))) {
    extScrollState = 0;
    repeatsOff();
    wantedCursor = 1;
  }

  int32_t pan = panState;
  if (pan != 0) {
    if (!isPannableKind(kind)) {
      if (extScrollState == 0 && pan == 1) wantedCursor = 1;
    } else if (pan == 1 && extScrollState == 0) {
      wantedCursor = 5;
    } else {
      panComputation(x, y);
    }
  }

  pan = panState;
  if (currentSettings.panEnabled != 0 && (pan == 2 || pan == 3) &&
      eventWindow != scrollRepeat.target) {
    repeatsOff();
    panState = 1;
    wantedCursor = 5;
  }
}

// Left or right press while extended scroll is active: that button's repeat on the
// element's axis, one step at once, the next after the start delay.
void startExtScrollRepeat(HWND window, bool rightButton, FirstStep* step) {
  ScrollRepeat& r = scrollRepeat;
  if (scrollsHorizontally(currentKind)) {
    r.hDir = rightButton ? -1 : 1;
    wantedCursor = rightButton ? 10 : 11;
    r.hOn = 1;
    r.vOn = 0;
    r.vDir = 0;
  } else {
    bool up = rightButton == (currentSettings.extScrollSwapButtons != 0);
    r.vDir = up ? -1 : 1;
    wantedCursor = up ? 9 : 8;
    r.vOn = 1;
    r.hOn = 0;
    r.hDir = 0;
  }
  r.hInterval = r.vInterval = kExtScrollIntervalMs;
  r.target = window;
  r.hCount = currentSettings.extScrollHCount;
  r.vCount = currentSettings.extScrollVCount;
  r.hLast = r.vLast = osGetTickCount() + kExtScrollDelayMs;
  *step = {true, window};
}

int32_t onLeftPress(HWND window, UINT message, FirstStep* step) {
  if (message != WM_NCLBUTTONDOWN) wantedCursor = 0;  // reload, nothing shown changes
  leftButtonDown = 1;
  if (extScrollState != 1) return kPass;
  startExtScrollRepeat(window, false, step);
  return kSwallow;
}

// A double-click on the empty desktop background goes to the Start button.
void desktopDoubleClick(HWND window) {
  if (!progmanWindow || osGetParent(osGetParent(window)) != progmanWindow) return;
  if (osSendMessage(window, LVM_GETSELECTEDCOUNT, 0, 0) != 0) return;
  bool moves = currentSettings.dblClickMovesToStart != 0;
  bool opens = currentSettings.dblClickOpensStartMenu != 0;
  if ((moves || opens) && osIsWindow(taskbarWindow))
    osSendMessage(taskbarWindow, WM_SETFOCUS, 0, 0);
  if (moves && osIsWindow(startButton)) {
    RECT r = osGetWindowRect(startButton);
    osSetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  if (opens && osIsWindow(startButton)) osSendMessage(startButton, WM_LBUTTONDOWN, MK_LBUTTON, 0);
}

int32_t onLeftRelease() {
  leftButtonDown = 0;
  if (panState == 3) {
    repeatsOff();
    wantedCursor = 5;
    panState = 1;
  }
  if (extScrollState != 1) return kPass;
  repeatsOff();
  wantedCursor = extScrollCursor();
  return kSwallow;
}

int32_t onRightPress(HWND window, int32_t x, int32_t y, FirstStep* step) {
  int32_t result = kPass;
  switch (extScrollState) {
    case 0:
      if (currentSettings.extScrollEnabled != 0 && scrollBarLike(currentKind)) {
        extScrollState = 2;
        wantedCursor = extScrollCursor();
        result = kSwallow;
      }
      break;
    case 1:
      startExtScrollRepeat(window, true, step);
      result = kSwallow;
      break;
  }

  chordAction = -1;
  if (currentSettings.panEnabled == 0 || extScrollState != 0 || !isPannableKind(currentKind))
    return result;
  switch (panState) {
    case 0:
      if (leftButtonDown) {
        chordAction = 1;
        result = kSwallow;
      }
      break;
    case 1:
      if (leftButtonDown) {
        chordAction = 0;
        leftButtonDown = 0;
        break;
      }
      scrollRepeat.target = window;
      scrollRepeat.hLast = scrollRepeat.vLast = osGetTickCount();
      anchorPoint = {x, y};
      wantedCursor = 6;
      panState = 2;
      result = kSwallow;
      break;
    case 3: result = kSwallow; break;
  }
  return result;
}

int32_t onRightRelease(int32_t x, int32_t y) {
  int32_t result = kPass;
  switch (panState) {
    case 2:
      if (fartherThan(x, y, 1)) {  // a drag
        repeatsOff();
        wantedCursor = 5;
        panState = 1;
      } else {
        panState = 3;
        extScrollState = 1;
      }
      result = kSwallow;
      break;
    case 3:
      repeatsOff();
      wantedCursor = 5;
      panState = 1;
      result = kSwallow;
      break;
  }
  switch (extScrollState) {
    case 1:
      repeatsOff();
      wantedCursor = extScrollCursor();
      result = kSwallow;
      break;
    case 2:
      extScrollState = 1;
      result = kSwallow;
      break;
  }
  if (chordAction == 0 || chordAction == 1) {
    panState = chordAction;
    wantedCursor = chordAction == 1 ? 5 : 1;
    chordAction = -1;
    repeatsOff();
    result = kSwallow;
  }
  if (leftButtonDown != 0 && extScrollState != 0) {
    repeatsOff();
    extScrollState = 0;
    wantedCursor = 1;
    result = kSwallow;
  }
  return result;
}
}  // namespace

void dropOrphanedGesture() {
  if (panState != 0 || extScrollState != 0) return;
  repeatsOff();
  if (wantedCursor < 3) return;
  wantedCursor = appliedCursor = 1;
  applyCursorSet(1);
}

int32_t engineMouseEvent(HWND window, UINT message, int32_t hitCode, int32_t x, int32_t y) {
  ++eventsTaken;
  int32_t result = kPass;
  FirstStep step = {false, nullptr};
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: onMovement(window, hitCode, x, y); break;
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN: result = onLeftPress(window, message, &step); break;
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK:
      desktopDoubleClick(window);
      result = onLeftPress(window, WM_LBUTTONDOWN, &step);
      break;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP: result = onLeftRelease(); break;
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN: result = onRightPress(window, x, y, &step); break;
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP: result = onRightRelease(x, y); break;
  }
  dropOrphanedGesture();
  if (step.pending) {
    const ScrollRepeat& r = scrollRepeat;
    sendScrollSteps(step.window, r.hDir, r.vDir, r.hCount, r.vCount, currentKind);
  }
  if (appliedCursor != wantedCursor) {
    appliedCursor = wantedCursor;
    applyCursorSet(wantedCursor);
  }
  return result;
}
