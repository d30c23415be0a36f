// The contract between Qor.exe and the hook library Qordll.dll: nothing else crosses.
// Included by the library, which links no runtime, so it uses compiler builtins only.
#pragma once
#include <stdint.h>

// Private messages to the hook window (WM_USER + k), always sent and answered.
enum : unsigned {
  kMsgMenuLoop = 0x400 + 80,     // 1104: wParam the filtered message, lParam its wParam
  kMsgMouseEvent = 0x400 + 90,   // 1114: wParam the mouse message, lParam an event ticket
  kMsgMouseHook = 0x400 + 110,   // 1134: answers the mouse hook handle
  kMsgFilterHook = 0x400 + 120,  // 1144: answers the message-filter hook handle
};
enum { kAnswerSwallow = 0, kAnswerPass = 1 };  // answers to kMsgMouseEvent

#define HOOK_CLASS_NAME "hookclassN"
#define HOOK_WINDOW_NAME "hookwindowN"
#define HOOK_LIBRARY_NAME "Qordll"
#define MOUSE_HOOK_EXPORT "MouseFunc"
#define MSG_FILTER_EXPORT "CallWndProcFunc"

// How long the library waits for the hook window's answer before letting the event pass:
// a hung Qor must not take the desktop's mouse away.
enum { kHookSendTimeoutMs = 500 };

// The mouse hook's MOUSEHOOKSTRUCT, forwarded unchanged; the same 20 bytes on both
// architectures (a window handle fits in 32 bits).
struct EventRecord {
  int32_t x, y;
  uint32_t window;
  uint32_t hitTestCode;
  uint32_t extraInfo;
};
static_assert(sizeof(EventRecord) == 20, "the event record is 20 bytes");

// Event records cross processes in a named shared-memory block of slots. A sender takes a
// free slot, fills it, publishes a ticket and sends the ticket as lParam; the receiver reads
// the record only while that very ticket is published. A ticket names one slot and one use
// of it, so a message that arrives after its sender gave up (timeout) finds its ticket gone
// and cannot read the record of a later event in the same slot.
#define EVENT_SLOTS_NAME "QorDLL.EventSlots"
enum { kEventSlotCount = 64 };
const int32_t kEventTicketLimit = 0x7FFFFFFF;  // tickets are 1 .. kEventTicketLimit - 1

struct EventSlot {
  int32_t taken;   // 0 free, 1 taken; changed only by interlocked operations
  int32_t ticket;  // published ticket, 0 while none
  uint32_t uses;   // written by the slot's taker only
  EventRecord record;
};
struct EventSlots {
  EventSlot slot[kEventSlotCount];
};

inline bool validEventTicket(int64_t ticket) { return ticket >= 1 && ticket < kEventTicketLimit; }

// Takes a free slot, copies the record into it and answers its ticket; 0 when none is free.
inline int32_t publishEvent(EventSlots* slots, const EventRecord& record) {
  for (int32_t i = 0; i < kEventSlotCount; ++i) {
    EventSlot& s = slots->slot[i];
    int32_t expected = 0;
    if (!__atomic_compare_exchange_n(&s.taken, &expected, 1, false, __ATOMIC_ACQUIRE,
                                     __ATOMIC_RELAXED))
      continue;
    const uint32_t generations = (kEventTicketLimit - 1) / kEventSlotCount;
    s.uses = s.uses % generations + 1;
    volatile EventRecord& r = s.record;
    r.x = record.x;
    r.y = record.y;
    r.window = record.window;
    r.hitTestCode = record.hitTestCode;
    r.extraInfo = record.extraInfo;
    int32_t ticket = static_cast<int32_t>((s.uses - 1) * kEventSlotCount + i + 1);
    __atomic_store_n(&s.ticket, ticket, __ATOMIC_RELEASE);
    return ticket;
  }
  return 0;
}

// Gives the slot of ticket back; its record can no longer be read.
inline void releaseEvent(EventSlots* slots, int32_t ticket) {
  if (!validEventTicket(ticket)) return;
  EventSlot& s = slots->slot[(ticket - 1) % kEventSlotCount];
  __atomic_store_n(&s.ticket, 0, __ATOMIC_RELEASE);
  __atomic_store_n(&s.taken, 0, __ATOMIC_RELEASE);
}

// Copies the record of ticket; false for a ticket out of range or no longer published.
inline bool readEvent(const EventSlots* slots, int64_t ticket, EventRecord* record) {
  if (!validEventTicket(ticket)) return false;
  const EventSlot& s = slots->slot[(ticket - 1) % kEventSlotCount];
  if (__atomic_load_n(&s.ticket, __ATOMIC_ACQUIRE) != ticket) return false;
  const volatile EventRecord& r = s.record;
  record->x = r.x;
  record->y = r.y;
  record->window = r.window;
  record->hitTestCode = r.hitTestCode;
  record->extraInfo = r.extraInfo;
  __atomic_thread_fence(__ATOMIC_ACQUIRE);
  return __atomic_load_n(&s.ticket, __ATOMIC_RELAXED) == ticket;  // not reused meanwhile
}
