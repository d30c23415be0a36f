#include "engine/hit_test.h"

#include <cstring>
#include "engine/send.h"

namespace {
// A hit test writes the record where the control's process reads it. The sender's lent room
// serves only a control of the sender's own process, and only once the sender is known to map
// the room where it says (a claim read from shared memory may be false). Any other control of
// another process gets a buffer allocated in its process.
LentHitTestBuffer lent = {};
MeasuredControlFlags measuredFlags = {nullptr, 0, kControlFlagsUnknown};
enum Claim { kUnchecked, kTrue, kFalse };
Claim lentClaim = kUnchecked;

// Buffers in other processes, one per process, kept for reuse; a process that ended (or a
// reused id) is found out when writing fails, and the entry is opened anew. The handle also
// serves to check a sender's claim.
struct RemoteBuffer {
  DWORD processId;
  HANDLE process;
  uint64_t address;  // 0 until a hit test needs it
  bool inUse;        // a nested hit test into the same process takes a buffer of its own
};
const int kRemoteBuffers = 8;
const uint32_t kRemoteBufferBytes = 4096;
// A 32-bit control reads a 32-bit address.
const uint64_t k32BitLimit = 0x100000000ull;
RemoteBuffer remoteBuffers[kRemoteBuffers];
int nextVictim = 0;

// A send that went unanswered while the control lives: it may still answer, and write.
bool mayAnswerLate(HWND control, SendStatus sent) {
  return sent == kSendUnanswered && osIsWindow(control);
}

void releaseRemote(RemoteBuffer& b) {
  osFreeProcessMemory(b.process, b.address);
  osCloseProcess(b.process);
  b = RemoteBuffer{};
}

bool openRemote(RemoteBuffer& b, DWORD processId) {
  b.process = osOpenProcessMemory(processId);
  if (!b.process) return false;
  b.processId = processId;
  return true;
}

// The first free stretch below 4 GB that holds a buffer, at the allocation granularity; 0
// when there is none.
uint64_t allocateBelow4GB(HANDLE process) {
  const uint64_t kGranularity = 0x10000;
  MemoryStretch stretch;
  for (uint64_t at = kGranularity; at + kRemoteBufferBytes <= k32BitLimit;
       at = stretch.base + stretch.size) {
    if (!osQueryProcessMemory(process, at, &stretch) || stretch.size == 0) return 0;
    const uint64_t start = (stretch.base + kGranularity - 1) & ~(kGranularity - 1);
    const uint64_t end = start + kRemoteBufferBytes;
    if (stretch.free && end <= stretch.base + stretch.size && end <= k32BitLimit)
      return osAllocateProcessMemory(process, start, kRemoteBufferBytes);
  }
  return 0;
}

bool allocateRemote(RemoteBuffer& b) {
  if (b.address) return true;
  b.address = osAllocateProcessMemory(b.process, 0, kRemoteBufferBytes);
  if (osIs32BitProcess(b.process) && b.address + kRemoteBufferBytes > k32BitLimit) {
    osFreeProcessMemory(b.process, b.address);
    b.address = allocateBelow4GB(b.process);
  }
  return b.address != 0;
}

RemoteBuffer* cachedRemote(DWORD processId) {
  for (RemoteBuffer& b : remoteBuffers)
    if (b.process && b.processId == processId && !b.inUse) return &b;
  for (RemoteBuffer& b : remoteBuffers)
    if (!b.process) return openRemote(b, processId) ? &b : nullptr;
  for (int tries = 0; tries < kRemoteBuffers; ++tries) {
    RemoteBuffer& b = remoteBuffers[nextVictim];
    nextVictim = (nextVictim + 1) % kRemoteBuffers;
    if (b.inUse) continue;
    releaseRemote(b);
    return openRemote(b, processId) ? &b : nullptr;
  }
  return nullptr;
}

bool writeRecord(RemoteBuffer& b, const HitTestRecord& record) {
  return allocateRemote(b) && osWriteProcessMemory(b.process, b.address, &record, sizeof record);
}

uint32_t remoteHitTest(HWND control, UINT message, DWORD processId, HitTestRecord& record) {
  if (processLeftAlone(processId)) return 0;
  RemoteBuffer* b = cachedRemote(processId);
  RemoteBuffer temporary{};
  if (!b || !writeRecord(*b, record)) {
    if (b) releaseRemote(*b);
    b = &temporary;
    if (!openRemote(temporary, processId) || !writeRecord(temporary, record)) {
      releaseRemote(temporary);
      return 0;
    }
  }
  b->inUse = true;
  LRESULT answer = 0;
  const SendStatus sent =
      sendBounded(control, message, 0, static_cast<LPARAM>(b->address), &answer);
  bool read = sent == kSendAnswered &&
              osReadProcessMemory(b->process, b->address, &record, sizeof record);
  b->inUse = false;
  if (mayAnswerLate(control, sent)) {
    leaveProcessAlone(processId);
    osCloseProcess(b->process);  // the buffer stays, the control's for good
    *b = RemoteBuffer{};
  } else if (b == &temporary) {
    releaseRemote(temporary);
  }
  return read ? record.flags : 0;
}

// The sender maps the room where it claims when its process has a whole view of the block's
// size mapped at the claimed view, and a fresh random proof that we write into our view of the
// room reads the same in the sender's. The view is checked first: a proof copied elsewhere in
// the block would back a claim of a view a little below the real one, whose room (and the
// control's record) would lie below the room.
bool senderClaimHolds() {
  const uint32_t kProofWord = sizeof(HitTestRecord) / 4;
  // This process passes addresses as wide as its own pointers.
  if (lent.view > static_cast<uint64_t>(UINTPTR_MAX) - lent.blockBytes) return false;
  RemoteBuffer* b = cachedRemote(lent.processId);
  MemoryStretch region;
  if (!b || !osQueryProcessMemory(b->process, lent.view, &region) || !region.mappedView ||
      region.allocationBase != lent.view || region.base != lent.view ||
      region.size < lent.blockBytes)
    return false;
  uint32_t proof[2] = {osRandom32(), osRandom32()};
  lent.local[kProofWord] = proof[0];
  lent.local[kProofWord + 1] = proof[1];
  uint32_t seen[2] = {~proof[0], ~proof[1]};
  return osReadProcessMemory(b->process, lent.view + lent.roomOffset + kProofWord * 4, seen,
                             sizeof seen) &&
         seen[0] == proof[0] && seen[1] == proof[1];
}

uint32_t lentHitTest(HWND control, UINT message, const HitTestRecord& record) {
  volatile uint32_t* room = lent.local;
  uint32_t words[sizeof record / 4];
  std::memcpy(words, &record, sizeof record);
  for (uint32_t word : words) *room++ = word;
  LRESULT answer = 0;
  LPARAM remote = static_cast<LPARAM>(static_cast<uintptr_t>(lent.view + lent.roomOffset));
  return sendBounded(control, message, 0, remote, &answer) == kSendAnswered ? lent.local[2] : 0;
}
}  // namespace

MeasuredControlFlags provideMeasuredFlags(const MeasuredControlFlags& measured) {
  const MeasuredControlFlags before = measuredFlags;
  measuredFlags = measured;
  return before;
}

LentHitTestBuffer lendHitTestBuffer(const LentHitTestBuffer& buffer) {
  LentHitTestBuffer before = lent;
  lent = buffer;
  lentClaim = kUnchecked;
  return before;
}

uint32_t controlHitTest(HWND control, UINT message, POINT client) {
  HitTestRecord record = {};
  record.x = client.x;
  record.y = client.y;
  const DWORD processId = osWindowProcessId(control);
  if (!processId) return 0;
  if (lent.processId && lentClaim == kUnchecked) lentClaim = senderClaimHolds() ? kTrue : kFalse;
  // A false claim is a forged event: it gets the controls' default kinds, and no control is
  // sent an address that the claim chose.
  if (lentClaim == kFalse) return 0;
  // The sender asked its own control already: it counts once the sender is proven to be that
  // process. No sender can say it of another's.
  if (lentClaim == kTrue && control == measuredFlags.window && processId == lent.processId &&
      processId == measuredFlags.processId && measuredFlags.flags != kControlFlagsUnknown)
    return measuredFlags.flags;
  if (lent.processId && processId == lent.processId) return lentHitTest(control, message, record);
  if (processId == osCurrentProcessId()) {
    static HitTestRecord own;  // not on the stack: a late answer may still write it
    own = record;
    LRESULT answer = 0;
    return sendBounded(control, message, 0, reinterpret_cast<LPARAM>(&own), &answer) ==
                   kSendAnswered
               ? own.flags
               : 0;
  }
  return remoteHitTest(control, message, processId, record);
}

void releaseHitTestBuffers() {
  for (RemoteBuffer& b : remoteBuffers)
    if (b.process) releaseRemote(b);
  forgetBackOffs();
}
