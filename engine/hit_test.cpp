#include "engine/hit_test.h"

#include <cstring>
#include "os/os.h"

namespace {
LentHitTestBuffer lent = {};

// Hit tests of controls in other processes need a buffer in that process. One page per
// process is kept for reuse; a process that ended (or a reused id) is found out when
// writing fails, and the entry is opened anew.
struct RemoteBuffer {
  DWORD processId;
  HANDLE process;
  uint64_t address;
  bool inUse;  // a nested hit test into the same process takes a buffer of its own
};
const int kRemoteBuffers = 8;
const uint32_t kRemoteBufferBytes = 4096;
RemoteBuffer remoteBuffers[kRemoteBuffers];
int nextVictim = 0;

void releaseRemote(RemoteBuffer& b) {
  osFreeProcessMemory(b.process, b.address);
  osCloseProcess(b.process);
  b = RemoteBuffer{};
}

bool openRemote(RemoteBuffer& b, DWORD processId) {
  b.process = osOpenProcessMemory(processId);
  if (!b.process) return false;
  b.address = osAllocateProcessMemory(b.process, kRemoteBufferBytes);
  if (!b.address) {
    releaseRemote(b);
    return false;
  }
  b.processId = processId;
  return true;
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
  return osWriteProcessMemory(b.process, b.address, &record, sizeof record);
}

uint32_t remoteHitTest(HWND control, UINT message, DWORD processId, HitTestRecord& record) {
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
  bool answered = osSendMessageAnswered(control, message, 0, static_cast<LPARAM>(b->address),
                                        &answer);
  bool read = answered && osReadProcessMemory(b->process, b->address, &record, sizeof record);
  b->inUse = false;
  if (b == &temporary) releaseRemote(temporary);
  return read ? record.flags : 0;
}

// The lent room, when the control belongs to the event's sender and this process can
// address the sender's view (an x86 Qor cannot pass a 64-bit address).
bool answersIntoLentBuffer(HWND control, DWORD processId) {
  if (!lent.processId || !lent.remoteAddress || !lent.local) return false;
  if (lent.remoteAddress > static_cast<uint64_t>(UINTPTR_MAX)) return false;
  return control == lent.window || processId == lent.processId;
}

uint32_t lentHitTest(HWND control, UINT message, const HitTestRecord& record) {
  volatile uint32_t* room = lent.local;
  uint32_t words[sizeof record / 4];
  std::memcpy(words, &record, sizeof record);
  for (uint32_t word : words) *room++ = word;
  LRESULT answer = 0;
  LPARAM remote = static_cast<LPARAM>(static_cast<uintptr_t>(lent.remoteAddress));
  return osSendMessageAnswered(control, message, 0, remote, &answer) ? lent.local[2] : 0;
}
}  // namespace

LentHitTestBuffer lendHitTestBuffer(const LentHitTestBuffer& buffer) {
  LentHitTestBuffer before = lent;
  lent = buffer;
  return before;
}

uint32_t controlHitTest(HWND control, UINT message, POINT client) {
  HitTestRecord record = {};
  record.x = client.x;
  record.y = client.y;
  DWORD processId = 0;  // not needed for the event's own window
  if (!answersIntoLentBuffer(control, 0)) {
    processId = osWindowProcessId(control);
    if (!processId) return 0;
  }
  if (answersIntoLentBuffer(control, processId)) return lentHitTest(control, message, record);
  if (processId == osCurrentProcessId()) {
    LRESULT answer = 0;
    return osSendMessageAnswered(control, message, 0, reinterpret_cast<LPARAM>(&record), &answer)
               ? record.flags
               : 0;
  }
  return remoteHitTest(control, message, processId, record);
}

void releaseHitTestBuffers() {
  for (RemoteBuffer& b : remoteBuffers)
    if (b.process) releaseRemote(b);
}
