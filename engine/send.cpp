#include "engine/send.h"

namespace {
// The most one send may wait, even where no budget runs.
const UINT kSendTimeoutMs = 250;
// A window that left a send unanswered backs off this long, doubled with every miss since its
// last answer up to kMaxBackOffShift doublings.
const uint32_t kBackOffMs = 1000;
const uint32_t kMaxBackOffShift = 3;

// One entry per window that missed an answer (process 0: the handle names it), and per
// process left alone for hit tests (window null); when the table is full, the entry met least
// recently makes room.
struct BackOff {
  DWORD processId;
  HWND window;
  uint32_t until;  // tick before which nothing is sent (windows only)
  uint32_t misses;
  uint32_t lastMet;  // order of the last lookup or miss, for the least recently met
};
const int kBackOffs = 64;
BackOff backOffs[kBackOffs];
uint32_t meetings = 0;

bool budgetRuns = false;
uint32_t deadline = 0;

BackOff* entryOf(DWORD processId, HWND window) {
  for (BackOff& b : backOffs)
    if (b.processId == processId && b.window == window && (processId || window)) {
      b.lastMet = ++meetings;
      return &b;
    }
  return nullptr;
}

BackOff& newEntry(DWORD processId, HWND window) {
  BackOff* oldest = &backOffs[0];
  for (BackOff& b : backOffs) {
    if (!b.processId && !b.window) {
      oldest = &b;
      break;
    }
    if (b.lastMet - oldest->lastMet > 0x80000000u) oldest = &b;  // older, across the wrap
  }
  *oldest = {processId, window, 0, 0, ++meetings};
  return *oldest;
}

bool backingOff(HWND window, uint32_t now) {
  const BackOff* b = entryOf(0, window);
  return b && static_cast<int32_t>(b->until - now) > 0;
}

void missed(HWND window, uint32_t now) {
  BackOff* b = entryOf(0, window);
  if (!b) b = &newEntry(0, window);
  const uint32_t shift = b->misses < kMaxBackOffShift ? b->misses : kMaxBackOffShift;
  b->until = now + (kBackOffMs << shift);
  ++b->misses;
}

void answered(HWND window) {
  if (BackOff* b = entryOf(0, window)) *b = BackOff{};
}
}  // namespace

uint32_t beginSendBudget() {
  const uint32_t replaced = budgetRuns ? deadline : 0;
  budgetRuns = true;
  deadline = osGetTickCount() + kEventSendBudgetMs;
  return replaced;
}

void endSendBudget(uint32_t replaced) {
  budgetRuns = replaced != 0;
  deadline = replaced;
}

bool sendBudgetLeft(UINT ms) {
  return !budgetRuns || static_cast<int32_t>(deadline - osGetTickCount()) >= int32_t(ms);
}

SendStatus sendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
  *answer = 0;
  const uint32_t now = osGetTickCount();
  const int32_t left = budgetRuns ? static_cast<int32_t>(deadline - now) : int32_t(kSendTimeoutMs);
  if (left <= 0 || !window || backingOff(window, now)) return kSendSkipped;
  const UINT timeout = left < int32_t(kSendTimeoutMs) ? UINT(left) : kSendTimeoutMs;
  const SendStatus sent = osSendMessage(window, message, wParam, lParam, timeout, answer);
  // Backs off a window that made Qor wait half a budget, not one that failed at once (gone, or
  // known hung) or was given only the budget's last milliseconds.
  const uint32_t waited = osGetTickCount() - now;
  if (sent == kSendUnanswered && waited * 2 >= kEventSendBudgetMs && osIsWindow(window))
    missed(window, now + waited);
  else if (sent == kSendAnswered)
    answered(window);
  return sent;
}

void leaveProcessAlone(DWORD processId) {
  if (!entryOf(processId, nullptr)) newEntry(processId, nullptr);
}

bool processLeftAlone(DWORD processId) { return entryOf(processId, nullptr) != nullptr; }

void forgetBackOffs() {
  for (BackOff& b : backOffs) b = BackOff{};
}
