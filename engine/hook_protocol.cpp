#include "engine/hook_protocol.h"

#include "engine/gesture.h"
#include "engine/hit_test.h"
#include "engine/scroll.h"
#include "engine/send.h"
#include "engine/shell_windows.h"
#include "protocol/event_slots.h"
#include "settings/settings.h"
#include "settings/user_options.h"

#include <cstring>

SharedInt32 engineEnabled = 1;
SharedUInt32 startTick = 0;
EventSlots* eventSlots = nullptr;

static_assert(sizeof(EventSlot::hitTest) == kLentRoomBytes, "the slot lends the whole room");

namespace {
uint32_t keptTaken = 0;  // version of the kept movement last taken
// The event the engine handled last, and whether it was a movement and nothing came after it:
// then its facts are what the engine saw last of the pointer.
EventRecord lastSeen = {};
bool lastSeenIsMovement = false;
// Messages that run the engine (events, menu-loop notices, the peer's requests, ticks), handled
// nested in one another on the hook thread: it handles sent messages while it waits in a send
// of its own. Each level holds stack and the engine lock, and a process that sends a new one
// from inside every hit test would nest them without end: deeper ones get tooDeep unrun. Each
// run has a send budget of its own.
const int kMaxNestedEngineRuns = 4;
int nestedEngineRuns = 0;

template <typename Run>
LRESULT runNested(LRESULT tooDeep, Run run) {
  if (nestedEngineRuns >= kMaxNestedEngineRuns) return tooDeep;
  ++nestedEngineRuns;
  const uint32_t outerBudget = beginSendBudget();
  const LRESULT answer = run();
  endSendBudget(outerBudget);
  --nestedEngineRuns;
  return answer;
}

// From the main thread, at start and exit: not the engine's sends.
void notifyPeer(HWND sender, LPARAM code) {
  const UINT kPeerNoticeTimeoutMs = 250;
  HWND peer = findTrustedWindow(PEER_WINDOW_CLASS, nullptr);
  LRESULT answer = 0;
  if (peer)
    osSendMessage(peer, kMsgPeer, reinterpret_cast<WPARAM>(sender), code, kPeerNoticeTimeoutMs,
                  &answer);
}
// The engine works in physical points. The library reports an application's own
// coordinates, logical for a DPI-unaware one, except where the system calls the hook on Qor's
// own thread (for 32-bit and app-model applications): that thread's coordinates are Qor's,
// physical already, and a second conversion would scale them twice.
// What the sender measured counts only where its claim is proven (controlHitTest).
int32_t runEngine(UINT message, const EventRecord& event, DWORD senderProcess, uint32_t flags) {
  // Nothing starts from touch or a pen, and what runs ends there; Qor's own clicks pass.
  if (fromTouchOrPen(event.extraInfo) || event.extraInfo == kQorReplayTag) {
    if (fromTouchOrPen(event.extraInfo) && gestureRunning()) abandonGesture();
    lastSeenIsMovement = false;
    return kPassEvent;
  }
  const HWND window = windowOfHandle32(event.window);
  POINT at = {event.x, event.y};
  if (senderProcess != osCurrentProcessId()) at = osLogicalToPhysicalPoint(window, at);
  const MeasuredControlFlags before = provideMeasuredFlags({window, senderProcess, flags});
  // In standby with nothing under way, what a movement leaves follows from its facts alone, so
  // a second one with the same facts would change nothing. (Not so for one that ends a pan, or
  // uses up a menu-loop notice.)
  const bool factsDecide = !engineWantsMovements() && gesture.panState == kPanStandby;
  const int32_t verdict =
      engineMouseEvent(window, message, static_cast<int32_t>(event.hitTestCode), at.x, at.y);
  provideMeasuredFlags(before);
  lastSeen = event;
  lastSeenIsMovement = isMovement(message) && factsDecide;
  return verdict;
}

// The movement the library kept since, handled before anything that came after it. The
// library in Qor's own process keeps none. It came with no send, so nothing proves who wrote
// it: what it says was measured counts for nothing.
void handleKeptMovement() {
  EventRecord event;
  uint32_t sender = 0;
  if (eventSlots && engineEnabled && takeKeptMovement(eventSlots, &keptTaken, &event, &sender))
    runEngine(event.message, event, sender, kControlFlagsUnknown);
}

LRESULT runMouseEvent(WPARAM message, LPARAM ticket) {
  EventRecord event;
  if (!eventSlots || !readEvent(eventSlots, ticket, &event) || event.message != message ||
      !engineEnabled)
    return kAnswerPass;
  // The sender waits in its send meanwhile, with the block mapped: its slot's hit-test room
  // stays valid in its process until the answer. What it claims is read once: the process
  // proven is the process whose measurements count.
  EventSlot& slot = eventSlotOf(eventSlots, ticket);
  const uint32_t sender = __atomic_load_n(&slot.senderProcess, __ATOMIC_RELAXED);
  const uint64_t senderView =
      (uint64_t(__atomic_load_n(&slot.senderViewHigh, __ATOMIC_RELAXED)) << 32) |
      __atomic_load_n(&slot.senderViewLow, __ATOMIC_RELAXED);
  const uint32_t offset = static_cast<uint32_t>(reinterpret_cast<const char*>(slot.hitTest) -
                                                reinterpret_cast<const char*>(eventSlots));
  LentHitTestBuffer before =
      lendHitTestBuffer({sender, senderView, sizeof(EventSlots), offset, slot.hitTest});
  handleKeptMovement();
  const int32_t verdict =
      runEngine(static_cast<UINT>(message), event, sender, event.controlFlags);
  lendHitTestBuffer(before);
  publishDemand();
  return verdict == kSwallowEvent ? kAnswerSwallow : kAnswerPass;
}
}  // namespace

void publishDemand() {
  if (!eventSlots) return;
  // The library in a process of a program left alone forwards nothing; it learns them here.
  static uint32_t publishedList = ~0u;
  if (publishedList != leftAloneListChanges()) {
    uint64_t keys[kMaxLeftAlonePrograms];
    uint32_t count = 0;
    for (const char* name = leftAlonePrograms(); *name && count < kMaxLeftAlonePrograms;
         name += std::strlen(name) + 1)
      keys[count++] = leftAloneKeyOf(name);
    publishLeftAloneKeys(eventSlots, keys, count);
    publishedList = leftAloneListChanges();
  }
  const uint32_t demand = !engineEnabled                   ? kSendNothing
                          : gestureRunning()                 ? kSendEverythingForGesture
                          : engineWantsMovements()           ? kSendEverything
                          : gesture.panState == kPanStandby ? kSendChangedMovements
                                                             : kKeepIdleMovements;
  // The facts go first: a library that reads the new demand compares with the right ones.
  const bool seen = demand == kSendChangedMovements && lastSeenIsMovement;
  publishSeenFacts(eventSlots, seen ? lastSeen.window : 0, lastSeen.hitTestCode,
                   lastSeen.controlFlags);
  __atomic_store_n(&eventSlots->owner.demand, demand, __ATOMIC_RELEASE);
}

void changeEngine(void (*change)()) {
  // Too deeply nested, the kept movement waits for the next event.
  runNested(0, [] {
    handleKeptMovement();
    return 0;
  });
  change();
  lastSeenIsMovement = false;
  dropOrphanedGesture();
  showUsersCursorsWhenDue();
  publishDemand();
}

bool hookTimerWanted() {
  const ScrollRepeat& r = scrollRepeat;
  return startTick != 0 ||
         (engineEnabled && (r.axis[kAxisHorizontal].on != 0 || r.axis[kAxisVertical].on != 0 ||
                            r.firstStepDue != 0));
}

LRESULT answerMouseEvent(WPARAM message, LPARAM ticket) {
  return runNested(kAnswerPass, [=] { return runMouseEvent(message, ticket); });
}

LRESULT answerMenuLoop() {
  return runNested(0, [] {
    if (!engineEnabled) return 0;
    handleKeptMovement();  // it came before the menu loop
    gesture.menuLoopSeen = 1;
    lastSeenIsMovement = false;
    publishDemand();
    return 0;
  });
}

LRESULT answerPeer(LPARAM code) {
  switch (code) {
    case kPeerDisable:
      return runNested(0, [] {
        handleKeptMovement();
        engineEnabled = 0;
        lastSeenIsMovement = false;
        publishDemand();
        return 0;
      });
    case kPeerEnable:
      return runNested(0, [] {
        if (currentSettings.peerMode != kPeerModeRefusesEnable) engineEnabled = 1;
        lastSeenIsMovement = false;
        publishDemand();
        return 0;
      });
    case kPeerQuery: return currentSettings.peerMode;
    default: return 0;
  }
}

bool installHooksAtCreation() {
  if (currentSettings.delayedStart) return false;
  startTick = 0;
  return true;
}

bool hookTimerTick() {
  if (engineEnabled) runNested(0, [] {
      engineTick();
      return 0;
    });
  uint32_t started = startTick;
  if (!started) return false;
  // Elapsed time, so that the tick counter's wrap-around neither fires early nor never.
  const uint32_t delayMs =
      1000u * static_cast<uint32_t>(settingInRange(currentSettings, &ProfileSettings::startDelaySeconds));
  if (osGetTickCount() - started <= delayMs) return false;
  startTick = 0;
  return true;
}

void greetPeer(HWND mainWindow) { notifyPeer(mainWindow, kPeerHello); }
void farewellPeer() { notifyPeer(nullptr, kPeerGoodbye); }
