// Scroll emission and the per-axis auto-repeat.
#pragma once
#include <cstdint>
#include "os/winapi.h"

// How a gesture's steps reach its target, chosen per axis when the gesture starts.
enum ScrollDelivery : int32_t {
  kDeliverScrollBars = 0,   // WM_VSCROLL/WM_HSCROLL line pairs, for Win32 scroll bars
  kDeliverWheelNotches = 1,  // WM_MOUSEWHEEL/WM_MOUSEHWHEEL of one whole notch each, posted
  kDeliverSmoothWheel = 2,   // posted at every tick: the share of the steps due by then
};

// The two directions a repeat steps in, its axis[] index.
enum ScrollAxis : int32_t { kAxisHorizontal = 0, kAxisVertical = 1 };

// One direction's repeat.
struct AxisRepeat {
  int32_t on;
  uint32_t last;     // tick of the last step
  int32_t dir;       // sign: negative left/up, positive right/down, 0 none
  int32_t count;     // line steps per emission
  int32_t interval;  // milliseconds; may be 0 or negative
  int32_t delivery;  // a ScrollDelivery
  // Carried to the next step: whole notches, the line steps toward the next notch (signed
  // as their direction); smooth, wheel units times steps per notch short of a whole unit.
  int32_t wheelRest;
  int32_t carried;  // scroll bars: line steps the send budget left for the next tick, signed
                    // as their direction
  int64_t glided;   // smooth: how much of the emission under way is posted, as above
};

// The repeat's state, program-wide: only the engine touches it (on the hook thread, or under
// engineLock), so no word of it is shared. Reset by assigning ScrollRepeat{}.
struct ScrollRepeat {
  AxisRepeat axis[2];  // by ScrollAxis
  HWND target;
  int32_t firstStepDue;   // an extended-scroll press's first step, sent at the next tick,
  int32_t firstStepKind;  // as the kind under the press decides
  POINT wheelPoint;  // where posted wheel messages say the pointer is: the anchor, in the
                     // target's own coordinates
};
extern ScrollRepeat scrollRepeat;

// At a pan's start over window (of kind) at anchor: each axis's delivery, nothing carried.
void chooseScrollDelivery(HWND window, int32_t kind, POINT anchor);
// Sends hCount/vCount line steps by each axis's delivery: scroll-bar pairs (line message then
// SB_ENDSCROLL) to the window that owns the scroll bar concerned, as kind decides, or wheel
// steps. False when the target refused them: the system denied a send, or a wheel delivery's
// target is gone or may not be posted to.
bool sendScrollSteps(HWND window, int32_t hDir, int32_t vDir, int32_t hCount, int32_t vCount,
                     int32_t kind);
// A due first step goes out; then each running repeat whose interval has passed sends its
// steps to the target, as kind decides, and a smooth one posts its share due by now; false
// when the target refused them.
bool runScrollRepeats(int32_t kind);
