#include "engine/hook_protocol.h"

#include "engine/gesture.h"
#include "engine/hit_test.h"
#include "engine/scroll.h"
#include "engine/send.h"
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
// Events handled nested in one another on the hook thread (it handles sent messages while it
// waits in a send of its own). Each level holds stack and the engine lock, and a process that
// sends a new event from inside every hit test would nest them without end: deeper events pass
// without the engine.
const int kMaxNestedEvents = 4;
int nestedEvents = 0;

void notifyPeer(HWND sender, LPARAM code) {
  HWND peer = osFindWindow(PEER_WINDOW_CLASS, nullptr);
  if (peer) askWindow(peer, kMsgPeer, reinterpret_cast<WPARAM>(sender), code);
}
// The engine works in physical points. The library reports an application's own
// coordinates, logical for a DPI-unaware one, except where the system calls the hook on Qor's
// own thread (for 32-bit and app-model applications): that thread's coordinates are Qor's,
// physical already, and a second conversion would scale them twice.
int32_t runEngine(UINT message, const EventRecord& event, DWORD senderProcess) {
  // Nothing starts from touch or a pen, and what runs ends there; Qor's own clicks pass.
  if (fromTouchOrPen(event.extraInfo) || event.extraInfo == kQorReplayTag) {
    if (fromTouchOrPen(event.extraInfo) && gestureRunning()) abandonGesture();
    lastSeenIsMovement = false;
    return kPassEvent;
  }
  const HWND window = windowOfHandle32(event.window);
  POINT at = {event.x, event.y};
  if (senderProcess != osCurrentProcessId()) at = osLogicalToPhysicalPoint(window, at);
  const MeasuredControlFlags before =
      provideMeasuredFlags({window, senderProcess, event.controlFlags});
  // In standby with nothing under way, what a movement leaves follows from its facts alone, so
  // a second one with the same facts would change nothing. (Not so for one that ends a pan, or
  // uses up a menu-loop notice.)
  const bool factsDecide = !engineWantsMovements() && panState == kPanStandby;
  const int32_t verdict =
      engineMouseEvent(window, message, static_cast<int32_t>(event.hitTestCode), at.x, at.y);
  provideMeasuredFlags(before);
  lastSeen = event;
  lastSeenIsMovement = isMovement(message) && factsDecide;
  return verdict;
}

// The movement the library kept since, handled before anything that came after it. The
// library in Qor's own process keeps none.
void handleKeptMovement() {
  EventRecord event;
  uint32_t sender = 0;
  if (eventSlots && engineEnabled && takeKeptMovement(eventSlots, &keptTaken, &event, &sender))
    runEngine(event.message, event, sender);
}

LRESULT runMouseEvent(WPARAM message, LPARAM ticket) {
  EventRecord event;
  if (!eventSlots || !readEvent(eventSlots, ticket, &event) || event.message != message ||
      !engineEnabled)
    return kAnswerPass;
  // The sender waits in its send meanwhile, with the block mapped: its slot's hit-test room
  // stays valid in its process until the answer.
  EventSlot& slot = eventSlotOf(eventSlots, ticket);
  const uint64_t senderView = (uint64_t(slot.senderViewHigh) << 32) | slot.senderViewLow;
  const uint32_t offset = static_cast<uint32_t>(reinterpret_cast<const char*>(slot.hitTest) -
                                                reinterpret_cast<const char*>(eventSlots));
  LentHitTestBuffer before = lendHitTestBuffer(
      {slot.senderProcess, senderView, sizeof(EventSlots), offset, slot.hitTest});
  handleKeptMovement();
  const int32_t verdict = runEngine(static_cast<UINT>(message), event, slot.senderProcess);
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
  const uint32_t demand = !engineEnabled             ? kSendNothing
                          : gestureRunning()           ? kSendEverythingForGesture
                          : engineWantsMovements()     ? kSendEverything
                          : panState == kPanStandby    ? kSendChangedMovements
                                                       : kKeepIdleMovements;
  // The facts go first: a library that reads the new demand compares with the right ones.
  const bool seen = demand == kSendChangedMovements && lastSeenIsMovement;
  publishSeenFacts(eventSlots, seen ? lastSeen.window : 0, lastSeen.hitTestCode,
                   lastSeen.controlFlags);
  __atomic_store_n(&eventSlots->owner.demand, demand, __ATOMIC_RELEASE);
}

void changeEngine(void (*change)()) {
  handleKeptMovement();
  change();
  lastSeenIsMovement = false;
  dropOrphanedGesture();
  showUsersCursorsWhenDue();
  publishDemand();
}

bool hookTimerWanted() {
  return startTick != 0 || (engineEnabled && (scrollRepeat.hOn != 0 || scrollRepeat.vOn != 0));
}

LRESULT answerMouseEvent(WPARAM message, LPARAM ticket) {
  if (nestedEvents >= kMaxNestedEvents) return kAnswerPass;
  ++nestedEvents;
  const LRESULT answer = runMouseEvent(message, ticket);
  --nestedEvents;
  return answer;
}

LRESULT answerMenuLoop() {
  if (!engineEnabled) return 0;
  handleKeptMovement();  // it came before the menu loop
  menuLoopSeen = 1;
  lastSeenIsMovement = false;
  publishDemand();
  return 0;
}

LRESULT answerPeer(LPARAM code) {
  switch (code) {
    case kPeerDisable:
      handleKeptMovement();
      engineEnabled = 0;
      lastSeenIsMovement = false;
      publishDemand();
      return 0;
    case kPeerEnable:
      if (currentSettings.peerMode != kPeerModeRefusesEnable) engineEnabled = 1;
      lastSeenIsMovement = false;
      publishDemand();
      return 0;
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
  if (engineEnabled) engineTick();
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
