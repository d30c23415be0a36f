// Common-control hit tests (HDM_, LVM_, TVM_ and TCM_HITTEST): the control reads and writes a
// record at an address in its own process, so where that record lies is chosen per control.
#pragma once
#include <cstddef>
#include <cstdint>
#include "os/winapi.h"
#include "protocol/protocol.h"

// The room that the sender of a forwarded event lends from its event slot: 32 bytes, a record
// and a proof. The sender claims to map a block of blockBytes at view in process processId,
// with the room roomOffset bytes into it; the room is at local in this process's view. A zero
// process lends nothing and claims nothing.
struct LentHitTestBuffer {
  uint32_t processId;
  uint64_t view;
  uint32_t blockBytes;
  uint32_t roomOffset;
  volatile uint32_t* local;
};
enum { kLentRoomBytes = 32 };
// Lends buffer for the hit tests of the event now handled; answers what was lent before, to
// lend again afterwards (nested events).
LentHitTestBuffer lendHitTestBuffer(const LentHitTestBuffer& buffer);

// What the sender of the event now handled measured itself: the flags its own control window
// answered at the event's point, in the sender's process processId (kControlFlagsUnknown:
// nothing). The hit test of that control takes them instead of asking across the processes.
struct MeasuredControlFlags {
  HWND window;
  DWORD processId;
  uint32_t flags;
};
// Answers what was given before, to give again afterwards (nested events).
MeasuredControlFlags provideMeasuredFlags(const MeasuredControlFlags& measured);

// The control's hit test at a point in its client coordinates: the flags it wrote, 0 when it
// did not answer or no record could be placed where it reads. A control of another process
// that left one hit test unanswered may still write that record later: its buffer is left to
// it, never written, reused or freed again, and its process gets no more hit tests.
uint32_t controlHitTest(HWND control, UINT message, POINT client);
// Gives back the buffers and process handles kept for reuse, and forgets which processes left
// a hit test unanswered (at exit).
void releaseHitTestBuffers();
