// Common-control hit tests (HDM_, LVM_, TVM_ and TCM_HITTEST): the control reads and writes a
// record at an address in its own process, so where that record lies is chosen per control.
#pragma once
#include <cstdint>
#include "os/winapi.h"

// The record every one of the four controls reads: point, flags, item.
struct HitTestRecord {
  LONG x, y;
  UINT flags;
  unsigned char item[20];
};
static_assert(sizeof(HitTestRecord) == 32, "eight 32-bit words");

// While the hook window handles a forwarded event: room for hit tests that the sending process
// maps too (at remoteAddress there, at local here). A control of that process, the event's
// window first of all, then answers its hit test into it directly. A zero process lends nothing.
struct LentHitTestBuffer {
  uint32_t processId;
  HWND window;  // the event's window, which the sending thread owns
  uint64_t remoteAddress;
  volatile uint32_t* local;
};
// Lends buffer for the hit tests to come; answers what was lent before, to lend again
// afterwards (nested events).
LentHitTestBuffer lendHitTestBuffer(const LentHitTestBuffer& buffer);

// The control's hit test at a point in its client coordinates: the flags it wrote, 0 when it
// did not answer.
uint32_t controlHitTest(HWND control, UINT message, POINT client);
// Gives back the buffers and process handles kept for reuse (at exit).
void releaseHitTestBuffers();
