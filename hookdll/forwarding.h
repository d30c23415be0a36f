// The hook library's forwarding policy: which events pass without asking Qor, and which
// movements are kept in the block instead of sent. Header only, so that the native tests run it.
#pragma once
#include "protocol/event_slots.h"

// Hit-test codes that classification turns into a kind by themselves: 0..18, 20 and 21.
// Beside any other code (HTOBJECT, HTTRANSPARENT, HTERROR …) what lies under the pointer is
// looked up again at the point.
inline bool kindOfCodeKnown(uint32_t hitTestCode) { return hitTestCode <= 21 && hitTestCode != 19; }

// Whether the library lets an event pass without asking Qor. Qor's own replayed clicks always
// pass. While no gesture runs, nothing starts from touch or a pen, nor from the wheel or the X
// buttons; while one runs they go to Qor, which ends the gesture at touch or a pen.
inline bool passesUnasked(uint32_t message, uint32_t extraInfo, uint32_t demand) {
  if (extraInfo == kQorReplayTag) return true;
  if (demand == kSendEverythingForGesture) return false;
  switch (message) {
    case WM_MOUSEWHEEL: case WM_MOUSEHWHEEL:
    case WM_XBUTTONDOWN: case WM_XBUTTONUP: case WM_XBUTTONDBLCLK:
    case WM_NCXBUTTONDOWN: case WM_NCXBUTTONUP: case WM_NCXBUTTONDBLCLK:
      return true;
  }
  return fromTouchOrPen(extraInfo);
}

// In standby the library in a program left alone sends a movement only where its facts are not
// those Qor saw last, so that Qor shows the user's cursors in place of its own there.
inline bool leftAloneMovementSent(const EventSlots* slots, uint32_t demand,
                                  const EventRecord& record) {
  return demand == kSendChangedMovements && isMovement(record.message) &&
         !factsAlreadySeen(slots, record);
}

// The library's choice for one event of process processId: true when the movement is kept for
// Qor instead of sent: while Qor is idle, every movement; in standby, one whose facts Qor saw
// already, unless its hit-test code leaves the kind to the point. A movement that another
// library is writing meanwhile is sent instead.
inline bool keepMovement(EventSlots* slots, const EventRecord& record, uint32_t processId) {
  if (!isMovement(record.message)) return false;
  const uint32_t demand = __atomic_load_n(&slots->owner.demand, __ATOMIC_ACQUIRE);
  const bool keep =
      demand == kKeepIdleMovements ||
      (demand == kSendChangedMovements && kindOfCodeKnown(record.hitTestCode) &&
       factsAlreadySeen(slots, record));
  return keep && writeKeptMovement(slots, record, processId);
}
