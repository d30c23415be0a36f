// Scroll emission and the per-axis auto-repeat.
#pragma once
#include <cstdint>
#include "os/shared_word.h"
#include "os/winapi.h"

struct ScrollRepeat {
  SharedInt32 hOn;  // the main thread clears both at exit
  SharedInt32 vOn;
  uint32_t hLast;   // tick of the last step
  uint32_t vLast;
  int32_t hDir;     // sign: negative left/up, positive right/down, 0 none
  int32_t vDir;
  int32_t hCount;   // line steps per emission
  int32_t vCount;
  int32_t hInterval;  // milliseconds; may be 0 or negative
  int32_t vInterval;
  HWND target;
};
extern ScrollRepeat scrollRepeat;

// Sends hCount/vCount line steps (each followed by SB_ENDSCROLL) to the window that owns the
// scroll bar concerned, as kind decides.
void sendScrollSteps(HWND window, int32_t hDir, int32_t vDir, int32_t hCount, int32_t vCount,
                     int32_t kind);
// Each running repeat whose interval has passed sends its steps to the target, as kind decides.
void runScrollRepeats(int32_t kind);
