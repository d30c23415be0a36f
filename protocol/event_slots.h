// The block of event slots at work: how a sender claims a slot and publishes its event, how Qor
// reads it once, and the version-counted words that Qor and the libraries write for each other.
// Included by the library, which links no runtime, so it uses compiler builtins only.
#pragma once
#include "protocol/protocol.h"

// A record copied field by field, so that one in shared memory (volatile) is read and written
// a whole word at a time.
template <typename To, typename From>
inline void copyRecord(To& to, const From& from) {
  to.x = from.x;
  to.y = from.y;
  to.window = from.window;
  to.hitTestCode = from.hitTestCode;
  to.extraInfo = from.extraInfo;
  to.message = from.message;
  to.controlFlags = from.controlFlags;
}

// A program file name's key: FNV-1a over its UTF-8 bytes, the letters A to Z folded to lower
// case as file names compare.
inline uint64_t leftAloneKeyOf(const char* fileName) {
  uint64_t key = 0xCBF29CE484222325ull;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(fileName); *c; ++c) {
    key ^= *c >= 'A' && *c <= 'Z' ? *c - 'A' + 'a' : *c;
    key *= 0x100000001B3ull;
  }
  return key;
}

// A sender claims a free slot, fills it, publishes a ticket and sends the ticket as lParam; the
// receiver reads the record only while that very ticket is published. A ticket names one slot and one use
// of it, so a message that arrives after its sender gave up (timeout) finds its ticket gone
// and cannot read the record of a later event in the same slot.
// A sender killed or stuck between claim and release must not keep its slot for good: a
// claim holds the tick it was made at, and one older than kEventSlotReclaimMs (long after
// its sender's own send gave up) is taken over by the next sender that meets it, and so is one
// dated ahead of now, which no live sender made. The old sender's release then finds the
// claim no longer its own and changes nothing.
// The receiver reads a ticket once: it claims the ticket as it reads the record, so the same
// ticket sent again (by a process that read it in the block) reads nothing. The record holds
// the mouse message: a ticket sent with another message than its record's passes untouched.
enum { kEventSlotReclaimMs = 2 * kHookSendTimeoutMs };
// How far ahead of a sender's clock a live claim may lie: another sender read its clock later
// and claimed before this one looked (the tick counter steps by up to 16 ms).
enum { kEventClaimAheadMs = 50 };
const int32_t kEventTicketLimit = 0x7FFFFFFF;  // tickets are 1 .. kEventTicketLimit - 1

#ifdef _WIN32
// A process's view of the event slots. The block's name lives only as long as a handle to it
// (and to its namespace), so both stay open with the view; all null when it cannot be had.
struct EventSlotsView {
  HANDLE space;
  HANDLE mapping;
  EventSlots* slots;
};

// The block lives in a private namespace whose boundary holds the user's SID and the medium
// integrity label, so that no process of lower integrity (nor of another user) can make or
// open the namespace, and so the block's name, first. Wine 8 has no private namespaces (its
// CreateBoundaryDescriptorW answers null without an error and the rest aborts the process):
// there the block takes the session's name, where Qor refuses whatever it did not make.
// The block's name for this process: in the namespace, which it opens into *space (Qor creates
// it with creation's security first); the session's name where the system has no private
// namespaces; null when the namespace cannot be had.
inline const wchar_t* eventSlotsName(HANDLE* space, SECURITY_ATTRIBUTES* creation) {
  *space = nullptr;
  SetLastError(0);
  HANDLE boundary = CreateBoundaryDescriptorW(EVENT_SLOTS_BOUNDARY, 0);
  if (!boundary) return GetLastError() == 0 ? L"" EVENT_SLOTS_NAME : nullptr;
  static SID medium = {SID_REVISION, 1, SECURITY_MANDATORY_LABEL_AUTHORITY,
                       {SECURITY_MANDATORY_MEDIUM_RID}};
  alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
      GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
      AddSIDToBoundaryDescriptor(&boundary, reinterpret_cast<TOKEN_USER*>(user)->User.Sid) &&
      AddIntegrityLabelToBoundaryDescriptor(&boundary, &medium)) {
    if (creation) *space = CreatePrivateNamespaceW(creation, boundary, EVENT_SLOTS_NAMESPACE);
    if (!*space) *space = OpenPrivateNamespaceW(boundary, EVENT_SLOTS_NAMESPACE);
  }
  if (token) CloseHandle(token);
  DeleteBoundaryDescriptor(boundary);
  return *space ? EVENT_SLOTS_NAMESPACE L"\\" EVENT_SLOTS_NAME : nullptr;
}

// Whether every page of the block's view is committed: a section made with SEC_RESERVE maps
// pages that fault at the first touch.
inline bool everyPageCommitted(const EventSlots* slots) {
  const char* at = reinterpret_cast<const char*>(slots);
  const char* end = at + sizeof(EventSlots);
  MEMORY_BASIC_INFORMATION region;
  while (at < end) {
    if (!VirtualQuery(at, &region, sizeof region) || region.State != MEM_COMMIT) return false;
    at = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

inline void unmapEventSlots(EventSlotsView& view) {
  if (view.slots) UnmapViewOfFile(view.slots);
  if (view.mapping) CloseHandle(view.mapping);
  if (view.space) ClosePrivateNamespace(view.space, 0);
  view = {nullptr, nullptr, nullptr};
}

// Maps an existing block whose every page is committed; Qor.exe creates it (createEventSlots).
inline EventSlotsView mapEventSlots() {
  EventSlotsView view = {nullptr, nullptr, nullptr};
  const wchar_t* name = eventSlotsName(&view.space, nullptr);
  if (name) view.mapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
  if (view.mapping)
    view.slots = static_cast<EventSlots*>(
        MapViewOfFile(view.mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(EventSlots)));
  if (!view.slots || !everyPageCommitted(view.slots)) unmapEventSlots(view);
  return view;
}

// The hook window the block names, when it is a window of the hook window's class and of the
// process the block names; null otherwise (another of Qor's windows, or any window of another
// process, whatever its class and title).
inline HWND ownersHookWindow(const EventSlots* slots) {
  if (__atomic_load_n(&slots->owner.magic, __ATOMIC_ACQUIRE) != kEventSlotsMagic) return nullptr;
  const uint32_t process = __atomic_load_n(&slots->owner.process, __ATOMIC_RELAXED);
  HWND window = windowOfHandle32(__atomic_load_n(&slots->owner.hookWindow, __ATOMIC_RELAXED));
  DWORD windowProcess = 0;
  char name[sizeof HOOK_CLASS_NAME + 1];
  if (!window || !GetWindowThreadProcessId(window, &windowProcess) || windowProcess != process ||
      !GetClassNameA(window, name, sizeof name) || lstrcmpA(name, HOOK_CLASS_NAME) != 0)
    return nullptr;
  return window;
}
#endif

inline bool validEventTicket(int64_t ticket) { return ticket >= 1 && ticket < kEventTicketLimit; }

// The claim a sender makes at tick now, and by which it gives the slot back.
inline uint32_t eventClaim(uint32_t now) { return now | 1; }

// Free, or abandoned: claimed more than kEventSlotReclaimMs before now, or dated more than
// kEventClaimAheadMs ahead of it.
inline bool claimableSlot(uint32_t claim, uint32_t now) {
  const int32_t age = static_cast<int32_t>(now - claim);
  return claim == 0 || age > kEventSlotReclaimMs || age < -kEventClaimAheadMs;
}

// At tick now: claims a free or abandoned slot, copies the record into it and answers its
// ticket; 0 when every slot is held.
inline int32_t publishEvent(EventSlots* slots, const EventRecord& record, uint32_t now) {
  for (int32_t i = 0; i < kEventSlotCount; ++i) {
    EventSlot& s = slots->slot[i];
    uint32_t seen = __atomic_load_n(&s.claim, __ATOMIC_RELAXED);
    if (!claimableSlot(seen, now) ||
        !__atomic_compare_exchange_n(&s.claim, &seen, eventClaim(now), false, __ATOMIC_ACQUIRE,
                                     __ATOMIC_RELAXED))
      continue;
    // An abandoned use's ticket goes before its record is overwritten.
    __atomic_store_n(&s.ticket, 0, __ATOMIC_RELAXED);
    __atomic_thread_fence(__ATOMIC_RELEASE);
    const uint32_t generations = (kEventTicketLimit - 1) / kEventSlotCount;
    s.uses = s.uses % generations + 1;
    volatile EventRecord& r = s.record;
    copyRecord(r, record);
    int32_t ticket = static_cast<int32_t>((s.uses - 1) * kEventSlotCount + i + 1);
    __atomic_store_n(&s.ticket, ticket, __ATOMIC_RELEASE);
    return ticket;
  }
  return 0;
}

// WM_MOUSEMOVE or WM_NCMOUSEMOVE.
inline bool isMovement(uint32_t message) {
  return message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE;
}

// Whether record's facts are those Qor saw last; a reader that sees them rewritten meanwhile
// takes them as different.
inline bool factsAlreadySeen(const EventSlots* slots, const EventRecord& record) {
  const SeenFacts& f = slots->owner.seen;
  const uint32_t version = __atomic_load_n(&f.version, __ATOMIC_ACQUIRE);
  const volatile SeenFacts& v = f;
  const bool same = !(version & 1) && v.window != 0 && v.window == record.window &&
                    v.hitTestCode == record.hitTestCode && v.controlFlags == record.controlFlags;
  __atomic_thread_fence(__ATOMIC_ACQUIRE);
  return same && __atomic_load_n(&f.version, __ATOMIC_RELAXED) == version;
}

// Qor's side: the facts of the movement the engine handled last (window 0: none).
inline void publishSeenFacts(EventSlots* slots, uint32_t window, uint32_t hitTestCode,
                             uint32_t controlFlags) {
  SeenFacts& f = slots->owner.seen;
  const uint32_t version = __atomic_load_n(&f.version, __ATOMIC_RELAXED);
  __atomic_store_n(&f.version, version | 1, __ATOMIC_RELAXED);
  __atomic_thread_fence(__ATOMIC_RELEASE);
  volatile SeenFacts& v = f;
  v.window = window;
  v.hitTestCode = hitTestCode;
  v.controlFlags = controlFlags;
  __atomic_store_n(&f.version, (version | 1) + 1, __ATOMIC_RELEASE);
}

// Qor's side: the keys of the programs left alone (at most kMaxLeftAlonePrograms).
inline void publishLeftAloneKeys(EventSlots* slots, const uint64_t* keys, uint32_t count) {
  LeftAloneKeys& l = slots->owner.leftAlone;
  const uint32_t version = __atomic_load_n(&l.version, __ATOMIC_RELAXED);
  __atomic_store_n(&l.version, version | 1, __ATOMIC_RELAXED);
  __atomic_thread_fence(__ATOMIC_RELEASE);
  volatile LeftAloneKeys& v = l;
  if (count > kMaxLeftAlonePrograms) count = kMaxLeftAlonePrograms;
  for (uint32_t i = 0; i < count; ++i) v.key[i] = keys[i];
  v.count = count;
  __atomic_store_n(&l.version, (version | 1) + 1, __ATOMIC_RELEASE);
}

// The library's side: whether key is a program left alone, with the version of the keys it
// read; false with an odd version while Qor rewrites them (the library asks again later).
inline bool leftAloneKeyListed(const EventSlots* slots, uint64_t key, uint32_t* version) {
  const LeftAloneKeys& l = slots->owner.leftAlone;
  *version = __atomic_load_n(&l.version, __ATOMIC_ACQUIRE);
  const volatile LeftAloneKeys& v = l;
  uint32_t count = v.count;
  if (count > kMaxLeftAlonePrograms) count = kMaxLeftAlonePrograms;
  bool listed = false;
  for (uint32_t i = 0; i < count && !listed; ++i) listed = v.key[i] == key;
  __atomic_thread_fence(__ATOMIC_ACQUIRE);
  if (__atomic_load_n(&l.version, __ATOMIC_RELAXED) != *version) *version |= 1;
  return listed && !(*version & 1);
}

// The library's side: keeps record, of an event of process processId, as the latest movement;
// false while another library writes it (the movement is sent instead).
inline bool writeKeptMovement(EventSlots* slots, const EventRecord& record, uint32_t processId) {
  KeptMovement& k = slots->kept;
  uint32_t version = __atomic_load_n(&k.version, __ATOMIC_RELAXED);
  if ((version & 1) || !__atomic_compare_exchange_n(&k.version, &version, version + 1, false,
                                                    __ATOMIC_ACQUIRE, __ATOMIC_RELAXED))
    return false;
  __atomic_thread_fence(__ATOMIC_RELEASE);
  volatile KeptMovement& v = k;
  copyRecord(v.record, record);
  v.senderProcess = processId;
  __atomic_store_n(&k.version, version + 2, __ATOMIC_RELEASE);
  return true;
}

// Qor's side: the kept movement when it is newer than the one last taken (by version) and is
// a movement.
inline bool takeKeptMovement(EventSlots* slots, uint32_t* lastTaken, EventRecord* record,
                             uint32_t* senderProcess) {
  const KeptMovement& k = slots->kept;
  const uint32_t version = __atomic_load_n(&k.version, __ATOMIC_ACQUIRE);
  if (version == *lastTaken || (version & 1)) return false;
  const volatile KeptMovement& v = k;
  copyRecord(*record, v.record);
  *senderProcess = v.senderProcess;
  __atomic_thread_fence(__ATOMIC_ACQUIRE);
  if (__atomic_load_n(&k.version, __ATOMIC_RELAXED) != version) return false;
  *lastTaken = version;
  return isMovement(record->message);  // whoever wrote anything else into the block
}

// The slot that ticket names; the ticket must be valid.
inline EventSlot& eventSlotOf(EventSlots* slots, int64_t ticket) {
  return slots->slot[(ticket - 1) % kEventSlotCount];
}

// After publishing: marks the slot of ticket as sent from this process and this view.
inline void markEventSender(EventSlots* slots, int32_t ticket, uint32_t processId) {
  EventSlot& s = eventSlotOf(slots, ticket);
  const uint64_t view = reinterpret_cast<uintptr_t>(slots);
  s.senderProcess = processId;
  s.senderViewLow = static_cast<uint32_t>(view);
  s.senderViewHigh = static_cast<uint32_t>(view >> 32);
}

// Gives back the slot of ticket, claimed at tick now; its record can no longer be read. A
// slot that another sender has taken over meanwhile stays theirs.
inline void releaseEvent(EventSlots* slots, int32_t ticket, uint32_t now) {
  if (!validEventTicket(ticket)) return;
  EventSlot& s = slots->slot[(ticket - 1) % kEventSlotCount];
  int32_t published = ticket;
  __atomic_compare_exchange_n(&s.ticket, &published, 0, false, __ATOMIC_RELEASE,
                              __ATOMIC_RELAXED);
  uint32_t claim = eventClaim(now);
  __atomic_compare_exchange_n(&s.claim, &claim, 0, false, __ATOMIC_RELEASE, __ATOMIC_RELAXED);
}

// Copies the record of ticket and claims the ticket, so that it reads nothing again; false for
// a ticket out of range, no longer published or read already.
inline bool readEvent(EventSlots* slots, int64_t ticket, EventRecord* record) {
  if (!validEventTicket(ticket)) return false;
  EventSlot& s = eventSlotOf(slots, ticket);
  int32_t published = static_cast<int32_t>(ticket);
  if (!__atomic_compare_exchange_n(&s.ticket, &published, -published, false, __ATOMIC_ACQUIRE,
                                   __ATOMIC_RELAXED))
    return false;
  const volatile EventRecord& r = s.record;
  copyRecord(*record, r);
  __atomic_thread_fence(__ATOMIC_ACQUIRE);
  return __atomic_load_n(&s.ticket, __ATOMIC_RELAXED) == -published;  // not reused meanwhile
}
