#include "engine/gesture.h"

#include <initializer_list>

#include "engine/classify.h"
#include "engine/cursor.h"
#include "engine/hit_test.h"
#include "engine/scroll.h"
#include "engine/send.h"
#include "engine/shell_windows.h"
#include "protocol/protocol.h"
#include "settings/settings.h"
#include "settings/user_options.h"

GestureState gesture;

namespace {
// Distances in pixels at 96 DPI, scaled to the DPI of the monitor under the anchor.
const uint32_t kDeadZone = 10;       // from the anchor, does not pan
const uint32_t kExtScrollReach = 10;  // from the anchor, keeps extended scroll
const uint32_t kDragThreshold = 1;    // a right release farther from the anchor is a drag
const int32_t kExtScrollIntervalMs = 100;
const uint32_t kExtScrollDelayMs = 700;  // first repeat after delay + interval
// GetParent chains end; a bound keeps a broken one from holding up the desktop's mouse.
const int kMaxParentDepth = 256;

// Wanted cursor by the signs of the anchor's distance beyond the dead zone (-1, 0 inside
// it, 1): [dx sign + 1][dy sign + 1]. kCursorUnknown leaves the cursor as it is.
const int8_t kPanCursors[3][3] = {
    {kCursorDownRight, kCursorRight, kCursorUpRight},  // pointer right of the anchor: steps left
    {kCursorDown, kCursorUnknown, kCursorUp},          // within the dead zone horizontally
    {kCursorDownLeft, kCursorLeft, kCursorUpLeft},     // pointer left of the anchor: steps right
};

// Events the engine has taken. A movement whose classification waited in a send (a hit test
// of a window that hangs) sees by it whether newer events were handled meanwhile.
uint32_t eventsTaken = 0;

int32_t liveSetting(SettingsField field) { return settingInRange(*gesture.settingsInUse, field); }

void repeatsOff() {
  for (AxisRepeat& a : scrollRepeat.axis) a.on = 0;
}

// A pan ends; standby stays on.
void backToStandby() {
  repeatsOff();
  gesture.wantedCursor = kCursorStandby;
  gesture.panState = kPanStandby;
}

// The user's cursors back and no gesture left running.
void endGesture() {
  repeatsOff();
  gesture.extScrollState = kExtScrollOff;
  if (gesture.panState != kPanOff) gesture.panState = kPanStandby;
  gesture.wantedCursor = kCursorUser;
}

bool scrollsHorizontally(int32_t kind) { return actionClassOf(kind) == kScrollsHorizontally; }
bool scrollBarLike(int32_t kind) {
  int32_t c = actionClassOf(kind);
  return c == kScrollsHorizontally || c == kScrollsVertically;
}
int32_t extScrollCursor() {
  return scrollsHorizontally(gesture.currentKind) ? kCursorHorizontal : kCursorVertical;
}

// Coordinates come from other processes and settings from the registry: differences and
// products wrap in 32 bits, as signed 32-bit values do, and never overflow.
int32_t difference(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
uint32_t magnitude(int32_t d) { return d < 0 ? 0u - uint32_t(d) : uint32_t(d); }
bool fartherThan(int32_t x, int32_t y, uint32_t reach) {
  return magnitude(difference(x, gesture.anchorPoint.x)) > reach ||
         magnitude(difference(y, gesture.anchorPoint.y)) > reach;
}

uint32_t scaled(uint32_t distance96) {
  return uint32_t(uint64_t(distance96) * gesture.anchorDpi / 96);
}
// The distance in pixels at 96 DPI, so that a pan's speed does not depend on the scaling.
uint32_t unscaled(int32_t d) { return uint32_t(uint64_t(magnitude(d)) * 96 / gesture.anchorDpi); }

int32_t signBeyondDeadZone(int32_t d) {
  return magnitude(d) <= scaled(kDeadZone) ? 0 : d < 0 ? -1 : 1;
}
int32_t panInterval(int32_t d, int32_t response) {
  return int32_t(1000u - unscaled(d) * 2u * uint32_t(response));
}

// The settings each axis reads, by ScrollAxis.
const SettingsField kPanCounts[2] = {&ProfileSettings::panHCount, &ProfileSettings::panVCount};
const SettingsField kPanResponses[2] = {&ProfileSettings::panHResponse,
                                        &ProfileSettings::panVResponse};
const SettingsField kExtScrollCounts[2] = {&ProfileSettings::extScrollHCount,
                                           &ProfileSettings::extScrollVCount};

void panComputation(int32_t x, int32_t y) {
  const POINT anchor = gesture.anchorPoint;
  const int32_t d[2] = {difference(anchor.x, x), difference(anchor.y, y)};
  int32_t sign[2];
  for (int32_t axis : {kAxisHorizontal, kAxisVertical}) {
    AxisRepeat& a = scrollRepeat.axis[axis];
    a.count = liveSetting(kPanCounts[axis]);
    a.dir = d[axis];
    sign[axis] = signBeyondDeadZone(d[axis]);
    a.on = sign[axis] != 0;
    if (a.on) a.interval = panInterval(d[axis], liveSetting(kPanResponses[axis]));
  }
  const int32_t sx = sign[kAxisHorizontal], sy = sign[kAxisVertical];
  if (sx != 0 || sy != 0) gesture.leftDeadZone = true;
  if (int32_t cursor = kPanCursors[sx + 1][sy + 1]) gesture.wantedCursor = cursor;
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
  int32_t code = static_cast<int32_t>(askWindow(c, WM_NCHITTEST, 0, packed));
  int32_t kind = classifyTarget(c, code, x, y);
  *eventWindow = c;
  return kind == kKindNothing ? int32_t(kKindClient) : kind;
}

void onMovement(HWND window, int32_t hitCode, int32_t x, int32_t y) {
  HWND eventWindow = window;
  int32_t kind;
  const uint32_t taken = eventsTaken;
  if (gesture.menuLoopSeen != 0) {
    kind = kKindNowhere;
    gesture.menuLoopSeen = 0;
  } else {
    kind = classifyTarget(window, hitCode, x, y);
    if (kind == kKindNothing) kind = reclassify(x, y, &eventWindow);
    kind = kindInReach(eventWindow, kind);
  }
  // Newer events were handled while this one waited: its point is out of date, and acting
  // on it would undo what they did (end the pan they started in another window).
  if (eventsTaken != taken) return;
  // An application that hung hands its queued movements to the hook only when it wakes,
  // after newer events of other windows: one over a window the pointer has since left,
  // while the pointer is still over the pan target, is out of date and must not end the pan.
  const int32_t panning = gesture.panState;
  if (gesture.settingsInUse->panEnabled != 0 &&
      (panning == kPanPressed || panning == kPanPanning) && eventWindow != scrollRepeat.target &&
      osWindowFromPoint(osGetCursorPos()) == scrollRepeat.target)
    return;
  // Taken after classification: a movement handled while it waited may have changed it.
  int32_t prevKind = gesture.currentKind;
  gesture.currentKind = kind;
  if (!gestureRunning()) gesture.settingsInUse = &settingsOver(eventWindow);

  if (gesture.extScrollState != kExtScrollOff && !scrollBarLike(kind) &&
      (kind != prevKind || fartherThan(x, y, scaled(kExtScrollReach)))) {
    gesture.extScrollState = kExtScrollOff;
    repeatsOff();
    gesture.wantedCursor = kCursorUser;
  }

  int32_t pan = gesture.panState;
  if (pan != kPanOff) {
    if (!isPannableKind(kind)) {
      if (gesture.extScrollState == kExtScrollOff && pan == kPanStandby)
        gesture.wantedCursor = kCursorUser;
    } else if (pan == kPanStandby && gesture.extScrollState == kExtScrollOff) {
      gesture.wantedCursor = kCursorStandby;
    } else {
      panComputation(x, y);
    }
  }

  pan = gesture.panState;
  if (gesture.settingsInUse->panEnabled != 0 && (pan == kPanPressed || pan == kPanPanning) &&
      eventWindow != scrollRepeat.target) {
    backToStandby();
  }
  // Over what Qor cannot act on no gesture runs on, and none of its cursors show.
  if (kind == kKindOutOfReach) endGesture();
}

// Left or right press while extended scroll is active: that button's repeat on the
// element's axis, one step at the next tick, the next after the start delay.
void startExtScrollRepeat(HWND window, bool rightButton) {
  const bool horizontal = scrollsHorizontally(gesture.currentKind);
  int32_t dir;
  if (horizontal) {
    dir = rightButton ? -1 : 1;
    gesture.wantedCursor = rightButton ? kCursorRight : kCursorLeft;
  } else {
    bool up = rightButton == (gesture.settingsInUse->extScrollSwapButtons != 0);
    dir = up ? -1 : 1;
    gesture.wantedCursor = up ? kCursorDown : kCursorUp;
  }
  const int32_t stepping = horizontal ? kAxisHorizontal : kAxisVertical;
  const uint32_t firstRepeat = osGetTickCount() + kExtScrollDelayMs;
  for (int32_t axis : {kAxisHorizontal, kAxisVertical}) {
    AxisRepeat& a = scrollRepeat.axis[axis];
    a.on = axis == stepping;
    a.dir = a.on ? dir : 0;
    a.interval = kExtScrollIntervalMs;
    a.delivery = kDeliverScrollBars;  // it acts only on scroll-bar-like elements
    a.count = liveSetting(kExtScrollCounts[axis]);
    a.last = firstRepeat;
    a.carried = 0;
  }
  scrollRepeat.target = window;
  scrollRepeat.firstStepDue = 1;
  scrollRepeat.firstStepKind = gesture.currentKind;
}

int32_t onLeftPress(HWND window) {
  gesture.leftButtonDown = 1;
  if (gesture.extScrollState != kExtScrollActive) return kPassEvent;
  startExtScrollRepeat(window, false);
  return kSwallowEvent;
}

int32_t onLeftRelease() {
  gesture.leftButtonDown = 0;
  if (gesture.panState == kPanPanning) {
    backToStandby();
  }
  if (gesture.extScrollState != kExtScrollActive) return kPassEvent;
  repeatsOff();
  gesture.wantedCursor = extScrollCursor();
  return kSwallowEvent;
}

// A window of a process of higher integrity drops Qor's messages: a gesture there would
// swallow the press and scroll nothing. Nor may one start while another program owns the mouse.
bool outOfReachNow(HWND window) {
  return osProcessIntegrity(osWindowProcessId(window)) > osProcessIntegrity(osCurrentProcessId()) ||
         mouseOwnedElsewhere();
}

bool pansWithRight() { return userPanButton != kPanButtonMiddle; }

// Whether a pan may start with the pan button pressed now, over currentKind.
bool panMayStart() {
  return gesture.panState == kPanStandby && gesture.settingsInUse->panEnabled != 0 &&
         gesture.extScrollState == kExtScrollOff && isPannableKind(gesture.currentKind);
}

// The pan button pressed in standby: the anchor and the target are taken.
int32_t pressPanButton(HWND window, int32_t x, int32_t y) {
  scrollRepeat.target = window;
  const uint32_t now = osGetTickCount();
  for (AxisRepeat& a : scrollRepeat.axis) a.last = now;
  gesture.anchorPoint = {x, y};
  gesture.anchorDpi = osMonitorDpiAt(gesture.anchorPoint);
  gesture.leftDeadZone = false;
  chooseScrollDelivery(window, gesture.currentKind, gesture.anchorPoint);
  gesture.wantedCursor = kCursorFourWay;
  gesture.panState = kPanPressed;
  return kSwallowEvent;
}

// The pan button released: a drag ends, a click starts panning (without click-pan it goes back
// to the window), a click while panning ends it.
int32_t releasePanButton(int32_t x, int32_t y) {
  switch (gesture.panState) {
    case kPanPressed:
      if (userClickPan == 0) {
        gesture.clickToGiveBack = !gesture.leftDeadZone && !fartherThan(x, y, scaled(kDeadZone));
        backToStandby();
      } else if (fartherThan(x, y, scaled(kDragThreshold))) {
        backToStandby();
      } else {
        gesture.panState = kPanPanning;
        gesture.extScrollState = kExtScrollActive;
      }
      return kSwallowEvent;
    case kPanPanning:
      backToStandby();
      return kSwallowEvent;
  }
  return kPassEvent;
}

int32_t onRightPress(HWND window, int32_t x, int32_t y) {
  // A left release that never reached the engine must not make this a chord.
  const int leftKey = osGetSystemMetric(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  if (gesture.leftButtonDown != 0 && !osAsyncKeyDown(leftKey)) gesture.leftButtonDown = 0;
  const bool starts = (gesture.extScrollState == kExtScrollActive ||
                       (gesture.extScrollState == kExtScrollOff &&
                        gesture.settingsInUse->extScrollEnabled != 0 &&
                        scrollBarLike(gesture.currentKind)) ||
                       (pansWithRight() && !gesture.leftButtonDown && panMayStart()));
  if (starts && outOfReachNow(window)) {
    endGesture();
    return kPassEvent;
  }
  int32_t result = kPassEvent;
  switch (gesture.extScrollState) {
    case kExtScrollOff:
      if (gesture.settingsInUse->extScrollEnabled != 0 && scrollBarLike(gesture.currentKind)) {
        gesture.extScrollState = kExtScrollArming;
        gesture.wantedCursor = extScrollCursor();
        result = kSwallowEvent;
      }
      break;
    case kExtScrollActive:
      startExtScrollRepeat(window, true);
      result = kSwallowEvent;
      break;
  }

  // The chord with the left button switches standby whichever button pans.
  gesture.chordAction = kChordNone;
  if (gesture.settingsInUse->panEnabled == 0 || gesture.extScrollState != kExtScrollOff ||
      !isPannableKind(gesture.currentKind))
    return result;
  switch (gesture.panState) {
    case kPanOff:
      if (gesture.leftButtonDown) {
        gesture.chordAction = kChordStandbyOn;
        result = kSwallowEvent;
      }
      break;
    case kPanStandby:
      if (gesture.leftButtonDown) {
        gesture.chordAction = kChordStandbyOff;
        gesture.leftButtonDown = 0;
      } else if (pansWithRight()) {
        result = pressPanButton(window, x, y);
      }
      break;
    case kPanPanning:
      if (pansWithRight()) result = kSwallowEvent;
      break;
  }
  return result;
}

// The middle button, where it pans, takes the right button's place in everything a pan does.
int32_t onMiddlePress(HWND window, int32_t x, int32_t y) {
  if (pansWithRight()) return kPassEvent;
  if (panMayStart()) {
    if (!outOfReachNow(window)) return pressPanButton(window, x, y);
    endGesture();
    return kPassEvent;
  }
  return gesture.panState == kPanPanning && gesture.settingsInUse->panEnabled != 0 &&
                 gesture.extScrollState == kExtScrollOff && isPannableKind(gesture.currentKind)
             ? kSwallowEvent
             : kPassEvent;
}

int32_t onMiddleRelease(int32_t x, int32_t y) {
  if (pansWithRight()) return kPassEvent;
  const int32_t result = releasePanButton(x, y);
  // A click that starts panning makes extended scroll active, as a right-click does.
  if (result == kSwallowEvent && gesture.extScrollState == kExtScrollActive) {
    repeatsOff();
    gesture.wantedCursor = extScrollCursor();
  }
  return result;
}

int32_t onRightRelease(int32_t x, int32_t y) {
  int32_t result = pansWithRight() ? releasePanButton(x, y) : kPassEvent;
  switch (gesture.extScrollState) {
    case kExtScrollActive:
      repeatsOff();
      gesture.wantedCursor = extScrollCursor();
      result = kSwallowEvent;
      break;
    case kExtScrollArming:
      gesture.extScrollState = kExtScrollActive;
      result = kSwallowEvent;
      break;
  }
  if (gesture.chordAction == kChordStandbyOff || gesture.chordAction == kChordStandbyOn) {
    // The chord's action is the pan state it leaves.
    gesture.panState = gesture.chordAction == kChordStandbyOn ? kPanStandby : kPanOff;
    gesture.wantedCursor = gesture.chordAction == kChordStandbyOn ? kCursorStandby : kCursorUser;
    gesture.chordAction = kChordNone;
    repeatsOff();
    result = kSwallowEvent;
  }
  if (gesture.leftButtonDown != 0 && gesture.extScrollState != kExtScrollOff) {
    repeatsOff();
    gesture.extScrollState = kExtScrollOff;
    gesture.wantedCursor = kCursorUser;
    result = kSwallowEvent;
  }
  return result;
}

// Shows what the engine wants, once it differs from what it shows.
void showWantedCursor() {
  // While pan is switched off only the user's cursors show.
  if (gesture.settingsInUse->panEnabled == 0 && gesture.wantedCursor >= kCursorVertical)
    gesture.wantedCursor = kCursorUser;
  if (gesture.appliedCursor == gesture.wantedCursor) return;
  gesture.appliedCursor = gesture.wantedCursor;
  switch (gesture.wantedCursor) {
    case kCursorUnknown: break;
    case kCursorUser: restoreUserCursors(); break;
    default: showCursorSet(gesture.wantedCursor); break;
  }
}
}  // namespace

void resetEngine() {
  gesture = GestureState{};
  scrollRepeat = ScrollRepeat{};
  lendHitTestBuffer({});
  provideMeasuredFlags({nullptr, 0, kControlFlagsUnknown});
}

void dropOrphanedGesture() {
  if (gesture.panState != kPanOff || gesture.extScrollState != kExtScrollOff) return;
  repeatsOff();
  if (gesture.wantedCursor < kCursorVertical) return;
  gesture.wantedCursor = gesture.appliedCursor = kCursorUser;
  restoreUserCursors();
}

int32_t engineMouseEvent(HWND window, UINT message, int32_t hitCode, int32_t x, int32_t y) {
  ++eventsTaken;
  int32_t result = kPassEvent;
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: onMovement(window, hitCode, x, y); break;
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN: result = onLeftPress(window); break;
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK:
      doubleClickOnDesktop(window);
      result = onLeftPress(window);
      break;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP: result = onLeftRelease(); break;
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN: result = onRightPress(window, x, y); break;
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP: result = onRightRelease(x, y); break;
    case WM_MBUTTONDOWN:
    case WM_NCMBUTTONDOWN: result = onMiddlePress(window, x, y); break;
    case WM_MBUTTONUP:
    case WM_NCMBUTTONUP: result = onMiddleRelease(x, y); break;
  }
  dropOrphanedGesture();
  if (gesture.clickToGiveBack) {
    // Tagged as Qor's own, so that every library lets it pass.
    gesture.clickToGiveBack = false;
    const DWORD click[2] = {
        DWORD(pansWithRight() ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_MIDDLEDOWN),
        DWORD(pansWithRight() ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_MIDDLEUP)};
    osInjectMouseInput(click, 2, kQorReplayTag);
  }
  showWantedCursor();
  return result;
}

void abandonGesture() {
  endGesture();
  gesture.chordAction = kChordNone;
  gesture.leftButtonDown = 0;
  showWantedCursor();
}

bool gestureRunning() {
  return gesture.panState == kPanPressed || gesture.panState == kPanPanning ||
         gesture.extScrollState != kExtScrollOff || scrollRepeat.axis[kAxisHorizontal].on != 0 ||
         scrollRepeat.axis[kAxisVertical].on != 0;
}

bool engineWantsMovements() {
  return gestureRunning() || gesture.leftButtonDown != 0 || gesture.menuLoopSeen != 0 ||
         gesture.chordAction != kChordNone;
}

void engineTick() {
  dropOrphanedGesture();
  // A target that refuses its steps (a send denied, a post refused) ends the gesture.
  if (!runScrollRepeats(gesture.currentKind)) endGesture();
  showUsersCursorsWhenDue();
}

void showUsersCursorsWhenDue() {
  // The gesture ended, or pan was switched off while ours showed: the user's cursors, once.
  const bool oursShow = gesture.appliedCursor >= kCursorVertical;
  if (gesture.wantedCursor != kCursorUser && !(gesture.settingsInUse->panEnabled == 0 && oursShow))
    return;
  if (gesture.appliedCursor != kCursorUser) restoreUserCursors();
  gesture.wantedCursor = gesture.appliedCursor = kCursorUser;
}
