// The contract with the hook library (event slots and tickets) and the hook window's side of
// the protocol, through the fake window system.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/hit_test.h"
#include "engine/hook_protocol.h"
#include "engine/send.h"
#include "hookdll/forwarding.h"
#include "tests/fake/fakeos.h"
#include "tests/native/engine_helpers.h"

namespace {
const uint32_t kNow = 5000;  // the tick at which the senders claim their slots

EventRecord recordAt(HWND window, int32_t x, int32_t y, uint32_t hit = HTCLIENT) {
  return {x, y, handle32Of(window), hit, 0, WM_MOUSEMOVE, 0};
}

// A movement over window kept in the block, newer than any taken.
void keepMovementOver(HWND window) {
  eventSlots->kept = {eventSlots->kept.version + 2, recordAt(window, 1, 1), 1};
}

class HookProtocol : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_test::freshEngine();
    slots = std::make_unique<EventSlots>();
    eventSlots = slots.get();
    engineEnabled = 1;
    startTick = 0;
  }
  void TearDown() override { eventSlots = nullptr; }
  // The library's side of one forwarded event: publish, send, release.
  LRESULT forward(UINT message, EventRecord record, DWORD sender = 0) {
    record.message = message;
    int32_t ticket = publishEvent(slots.get(), record, kNow);
    EXPECT_NE(ticket, 0);
    eventSlotOf(slots.get(), ticket).senderProcess = sender;
    LRESULT answer = answerMouseEvent(message, ticket);
    releaseEvent(slots.get(), ticket, kNow);
    return answer;
  }
  std::unique_ptr<EventSlots> slots;
};
}  // namespace

TEST(EventSlots, TicketsNameOneUseOfOneSlot) {
  auto slots = std::make_unique<EventSlots>();
  EventRecord in = {-5, 7, 0x1234, HTVSCROLL, 99, WM_LBUTTONUP, 0}, out = {};
  int32_t first = publishEvent(slots.get(), in, kNow);
  ASSERT_TRUE(readEvent(slots.get(), first, &out));
  EXPECT_FALSE(readEvent(slots.get(), first, &out)) << "read once: the same ticket again reads nothing";
  EXPECT_EQ(out.message, uint32_t(WM_LBUTTONUP));
  EXPECT_EQ(out.x, -5);
  EXPECT_EQ(out.y, 7);
  EXPECT_EQ(out.window, 0x1234u);
  EXPECT_EQ(out.hitTestCode, uint32_t(HTVSCROLL));
  releaseEvent(slots.get(), first, kNow);
  EXPECT_FALSE(readEvent(slots.get(), first, &out)) << "a released ticket reads nothing";
  // The slot is used again, under another ticket; the old one still reads nothing.
  int32_t second = publishEvent(slots.get(), recordAt(nullptr, 1, 2), kNow);
  EXPECT_NE(second, first);
  EXPECT_EQ((second - 1) % kEventSlotCount, (first - 1) % kEventSlotCount);
  EXPECT_FALSE(readEvent(slots.get(), first, &out));
  EXPECT_TRUE(readEvent(slots.get(), second, &out));
}

TEST(EventSlots, OutOfRangeAndUnpublishedTicketsReadNothing) {
  auto slots = std::make_unique<EventSlots>();
  EventRecord out = {};
  int32_t published = publishEvent(slots.get(), recordAt(nullptr, 1, 1), kNow);
  for (int64_t ticket : {int64_t(0), int64_t(-1), int64_t(-published), int64_t(kEventTicketLimit),
                         int64_t(published) + (int64_t(1) << 32), int64_t(INT64_MIN),
                         int64_t(published + 1), int64_t(published + kEventSlotCount)})
    EXPECT_FALSE(readEvent(slots.get(), ticket, &out)) << ticket;
  releaseEvent(slots.get(), 0, kNow);  // out of range: no slot is touched
  releaseEvent(slots.get(), -3, kNow);
  EXPECT_TRUE(readEvent(slots.get(), published, &out));
}

TEST(EventSlots, AllTakenGivesNoTicketUntilOneIsReleased) {
  auto slots = std::make_unique<EventSlots>();
  int32_t tickets[kEventSlotCount];
  for (int32_t& t : tickets) {
    t = publishEvent(slots.get(), recordAt(nullptr, 0, 0), kNow);
    ASSERT_NE(t, 0);
  }
  EXPECT_EQ(publishEvent(slots.get(), recordAt(nullptr, 0, 0), kNow), 0);
  releaseEvent(slots.get(), tickets[17], kNow);
  int32_t again = publishEvent(slots.get(), recordAt(nullptr, 0, 0), kNow);
  EXPECT_EQ((again - 1) % kEventSlotCount, 17);
}

// Senders that died holding their slots: each slot comes back once its claim is older than
// the reclaim time, and the dead sender's late release cannot free it from its new holder.
TEST(EventSlots, AbandonedSlotsAreTakenOverAfterTheReclaimTime) {
  struct { uint32_t claimedAt; uint32_t now; bool takenOver; } cases[] = {
      {kNow, kNow + kEventSlotReclaimMs, false},
      {kNow, kNow + kEventSlotReclaimMs + 2, true},
      {kNow, kNow - 10, false},  // a claim made after the taker read the clock
      {kNow, kNow - kEventClaimAheadMs - 2, true}, {kNow, kNow - 0x40000000u, true},  // ahead
      {0xFFFFFF00u, 0xFFFFFF00u + kEventSlotReclaimMs + 2, true},  // across the tick's wrap
      {0xFFFFFF00u, 0x100, false},
  };
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << c.claimedAt << " -> " << c.now);
    auto slots = std::make_unique<EventSlots>();
    int32_t dead[kEventSlotCount];
    for (int32_t& t : dead) t = publishEvent(slots.get(), recordAt(nullptr, 1, 1), c.claimedAt);
    EventRecord out = {};
    int32_t ticket = publishEvent(slots.get(), recordAt(nullptr, 7, 8), c.now);
    if (!c.takenOver) {
      EXPECT_EQ(ticket, 0);
      EXPECT_TRUE(readEvent(slots.get(), dead[0], &out));
      continue;
    }
    ASSERT_NE(ticket, 0);
    EXPECT_EQ((ticket - 1) % kEventSlotCount, 0);
    EXPECT_FALSE(readEvent(slots.get(), dead[0], &out)) << "the abandoned record is gone";
    releaseEvent(slots.get(), dead[0], c.claimedAt);  // the dead sender's late release
    ASSERT_TRUE(readEvent(slots.get(), ticket, &out)) << "the new holder keeps its slot";
    EXPECT_EQ(out.x, 7);
    EXPECT_EQ((publishEvent(slots.get(), recordAt(nullptr, 0, 0), c.now) - 1) % kEventSlotCount, 1)
        << "the next sender takes the next abandoned slot";
    releaseEvent(slots.get(), ticket, c.now);
    EXPECT_EQ((publishEvent(slots.get(), recordAt(nullptr, 0, 0), c.now) - 1) % kEventSlotCount, 0)
        << "released by its holder, the slot is free";
  }
}

TEST(EventSlots, TicketsStayInRangeWhenAUseCounterWraps) {
  auto slots = std::make_unique<EventSlots>();
  slots->slot[0].uses = (kEventTicketLimit - 1) / kEventSlotCount - 1;
  int32_t last = publishEvent(slots.get(), recordAt(nullptr, 0, 0), kNow);
  releaseEvent(slots.get(), last, kNow);
  int32_t wrapped = publishEvent(slots.get(), recordAt(nullptr, 0, 0), kNow);
  EXPECT_TRUE(validEventTicket(last)) << last;
  EXPECT_EQ(wrapped, 1);
}

TEST_F(HookProtocol, MouseEventsRunTheEngineOnlyWhileEnabled) {
  HWND plain = fake::addWindow(nullptr, "Plain", {0, 0, 400, 400});
  gesture.panState = kPanStandby;
  EXPECT_EQ(forward(WM_MOUSEMOVE, recordAt(plain, 200, 200)), kAnswerPass);
  EXPECT_EQ(forward(WM_RBUTTONDOWN, recordAt(plain, 200, 200)), kAnswerSwallow);
  EXPECT_EQ(gesture.panState, kPanPressed);

  engineEnabled = 0;
  EXPECT_EQ(forward(WM_RBUTTONUP, recordAt(plain, 200, 200)), kAnswerPass);
  EXPECT_EQ(gesture.panState, kPanPressed) << "a disabled engine sees nothing";
  engineEnabled = 1;
  EXPECT_EQ(forward(WM_RBUTTONUP, recordAt(plain, 200, 200)), kAnswerSwallow);
  EXPECT_EQ(gesture.panState, kPanPanning);
}

// Touch and pen start nothing and end what runs; Qor's own replayed click is left alone.
TEST_F(HookProtocol, TouchAndPenEndAGestureAndQorsOwnClicksPass) {
  HWND plain = fake::addWindow(nullptr, "Plain", {0, 0, 400, 400});
  gesture.panState = kPanStandby;
  forward(WM_MOUSEMOVE, recordAt(plain, 200, 200));
  for (uint32_t extraInfo : {kTouchOrPenSignature | 0x80u, uint32_t(kQorReplayTag), uint32_t(kTouchOrPenSignature)}) {
    EventRecord event = recordAt(plain, 200, 200);
    event.extraInfo = extraInfo;
    EXPECT_EQ(forward(WM_RBUTTONDOWN, event), kAnswerPass) << extraInfo;
    EXPECT_EQ(gesture.panState, kPanStandby) << "nothing starts";
    EXPECT_EQ(forward(WM_RBUTTONDOWN, recordAt(plain, 200, 200)), kAnswerSwallow);
    EXPECT_EQ(forward(WM_MOUSEMOVE, event), kAnswerPass);
    EXPECT_EQ(gesture.panState, extraInfo == kQorReplayTag ? kPanPressed : kPanStandby)
        << extraInfo;
    EXPECT_EQ(gesture.wantedCursor, extraInfo == kQorReplayTag ? kCursorFourWay : kCursorUser);
    abandonGesture();
  }
}

TEST_F(HookProtocol, ForgedOrStaleTicketsPassAndChangeNothing) {
  HWND plain = fake::addWindow(nullptr, "Plain", {0, 0, 400, 400});
  gesture.panState = kPanStandby;
  forward(WM_MOUSEMOVE, recordAt(plain, 200, 200));
  slots->kept = {1000, recordAt(plain, 200, 200), 0};
  slots->kept.record.message = WM_RBUTTONDOWN;  // kept by no library: dropped
  forward(WM_MOUSEMOVE, recordAt(plain, 200, 200));
  int32_t stale = publishEvent(slots.get(), recordAt(plain, 200, 200), kNow);
  releaseEvent(slots.get(), stale, kNow);
  const int32_t movement = publishEvent(slots.get(), recordAt(plain, 200, 200), kNow);
  for (LPARAM ticket : {LPARAM(0), LPARAM(-1), LPARAM(stale), LPARAM(kEventTicketLimit),
                        LPARAM(12345), LPARAM(movement)})
    EXPECT_EQ(answerMouseEvent(WM_RBUTTONDOWN, ticket), kAnswerPass) << ticket;
  EXPECT_EQ(gesture.panState, kPanStandby);
  eventSlots = nullptr;  // the block could not be mapped
  int32_t ticket = publishEvent(slots.get(), recordAt(plain, 200, 200), kNow);
  EXPECT_EQ(answerMouseEvent(WM_RBUTTONDOWN, ticket), kAnswerPass);
  EXPECT_EQ(gesture.panState, kPanStandby);
}

TEST_F(HookProtocol, PeerCodes) {
  struct { int32_t peerMode; LPARAM code; int32_t enabledBefore; int32_t enabledAfter; LRESULT answer; }
      cases[] = {
          {0, kPeerDisable, 1, 0, 0}, {0, kPeerEnable, 0, 1, 0}, {3, kPeerEnable, 0, 0, 0},
          {3, kPeerDisable, 1, 0, 0}, {7, kPeerEnable, 0, 1, 0}, {7, kPeerQuery, 0, 0, 7},
          {3, kPeerQuery, 1, 1, 3},   {0, kPeerHello, 0, 0, 0},  {0, kPeerGoodbye, 1, 1, 0},
          {0, 5, 0, 0, 0},            {0, -1, 1, 1, 0},          {5, LPARAM(1) << 40, 1, 1, 0},
      };
  for (auto c : cases) {
    currentSettings.peerMode = c.peerMode;
    engineEnabled = c.enabledBefore;
    EXPECT_EQ(answerPeer(c.code), c.answer) << c.code << " with peerMode " << c.peerMode;
    EXPECT_EQ(engineEnabled, c.enabledAfter) << c.code << " with peerMode " << c.peerMode;
  }
}

TEST_F(HookProtocol, MenuLoopNoticeOnlyWhileEnabled) {
  engineEnabled = 0;
  answerMenuLoop();
  EXPECT_EQ(gesture.menuLoopSeen, 0);
  engineEnabled = 1;
  EXPECT_EQ(answerMenuLoop(), 0);
  EXPECT_EQ(gesture.menuLoopSeen, 1);
}

TEST_F(HookProtocol, DelayedInstallationIsDueStrictlyAfterTheDelay) {
  struct { int32_t delayed; int32_t seconds; uint32_t start; uint32_t now; bool atCreation; bool due; }
      cases[] = {
          {0, 5, 1000, 1000, true, false},         {1, 5, 1000, 6000, false, false},
          {1, 5, 1000, 6001, false, true},         {1, 0, 1000, 1000, false, false},
          {1, 0, 1000, 1001, false, true},         {1, 5, 0xFFFFF000u, 0x388, false, false},
          {1, 5, 0xFFFFF000u, 0x389, false, true}, {1, -3, 1000, 1001, false, true},
          {1, 60, 1000, 1000 + 59000, false, false},
      };
  for (auto c : cases) {
    currentSettings.delayedStart = c.delayed;
    currentSettings.startDelaySeconds = c.seconds;
    startTick = c.start;
    EXPECT_EQ(installHooksAtCreation(), c.atCreation) << c.delayed;
    fake::tickCount = c.now;
    EXPECT_EQ(hookTimerTick(), c.due) << c.seconds << "s from " << c.start << " at " << c.now;
    EXPECT_EQ(startTick == 0u, c.atCreation || c.due);
    EXPECT_FALSE(hookTimerTick()) << "installation is due once";
  }
}

TEST_F(HookProtocol, TimerTicksRunTheRepeatOnlyWhileEnabledAndWithinTheSendBudget) {
  HWND plain = fake::addWindow(nullptr, "Plain", {0, 0, 400, 400});
  gesture.panState = kPanPanning;
  scrollRepeat.target = plain;
  scrollRepeat.axis[kAxisVertical].on = 1;
  scrollRepeat.axis[kAxisVertical].dir = 1;
  scrollRepeat.axis[kAxisVertical].count = 2;
  scrollRepeat.axis[kAxisVertical].interval = 100;
  gesture.currentKind = 12;
  fake::tickCount = 500;
  engineEnabled = 0;
  hookTimerTick();
  EXPECT_TRUE(engine_test::scrollMessages().empty());
  engineEnabled = 1;
  hookTimerTick();
  EXPECT_EQ(engine_test::scrollMessages(), engine_test::pairs(plain, WM_VSCROLL, SB_LINEDOWN, 2));
  // A target answering after 240 ms: a tick's sends wait at most the budget together; then it
  // backs off for a while (the second tick) and is tried again.
  fake::window(plain).answerMs = 240;
  for (DWORD at : {601u, 702u, 1802u}) {
    fake::tickCount = at;
    hookTimerTick();
    const unsigned long waited = fake::tickCount - at;
    std::printf("[ figures  ] a target answering after 240 ms, 4 sends a step: the tick at %lu ms "
                "waited %lu ms\n", static_cast<unsigned long>(at), waited);
    EXPECT_EQ(waited, at == 702 ? 0u : kEventSendBudgetMs) << at;
  }
  // One answering after 30 ms: the line steps a tick's budget leaves wait for the next tick.
  fake::window(plain).answerMs = 30;
  scrollRepeat.axis[kAxisVertical].count = 3;
  scrollRepeat.axis[kAxisVertical].carried = 0;  // what the slow target's last tick left
  fake::tickCount = 9000;
  fake::sent.clear();
  for (int tick = 0; tick < 3; ++tick) hookTimerTick();
  EXPECT_EQ(std::count_if(fake::sent.begin(), fake::sent.end(),
                          [](const SentMessage& m) { return m.wParam == SB_LINEDOWN; }), 3);
}

TEST_F(HookProtocol, TheProgramsLeftAloneReachTheLibraryAsKeys) {
  setLeftAlonePrograms("Notepad.exe\0\xE3\x83\xA1\xE3\x83\xA2.exe\0");
  publishDemand();
  struct { const char* name; bool listed; } rows[] = {
      {"NOTEPAD.EXE", true}, {"\xE3\x83\xA1\xE3\x83\xA2.EXE", true},
      {"notepad2.exe", false}, {"Notepad", false},
  };
  uint32_t version = 0;
  for (const auto& r : rows)
    EXPECT_EQ(leftAloneKeyListed(slots.get(), leftAloneKeyOf(r.name), &version), r.listed) << r.name;
  EXPECT_EQ(version & 1, 0u);
  // While Qor rewrites the keys the library reads none and asks again.
  slots->owner.leftAlone.version |= 1;
  EXPECT_FALSE(leftAloneKeyListed(slots.get(), leftAloneKeyOf("notepad.exe"), &version));
  EXPECT_EQ(version & 1, 1u);
  setLeftAlonePrograms("");
  publishDemand();
  EXPECT_FALSE(leftAloneKeyListed(slots.get(), leftAloneKeyOf("notepad.exe"), &version));
  EXPECT_EQ(version & 1, 0u);
}

TEST_F(HookProtocol, PeerNoticesReachThePeerWindowWhenThereIsOne) {
  HWND main = fake::addWindow(nullptr, "QorWClass", {0, 0, 10, 10});
  greetPeer(main);
  farewellPeer();
  EXPECT_TRUE(fake::sent.empty());
  // A window of the peer's class that a process of lower integrity made is not the peer.
  HWND impostor = fake::addWindow(nullptr, PEER_WINDOW_CLASS, {0, 0, 0, 0});
  fake::window(impostor).processId = 50;
  fake::integrity = {{50, SECURITY_MANDATORY_LOW_RID}};
  HWND peer = fake::addWindow(nullptr, PEER_WINDOW_CLASS, {0, 0, 0, 0});
  greetPeer(main);
  farewellPeer();
  std::vector<SentMessage> expected = {
      {peer, kMsgPeer, reinterpret_cast<WPARAM>(main), kPeerHello},
      {peer, kMsgPeer, 0, kPeerGoodbye},
  };
  EXPECT_EQ(fake::sent, expected);
}

// A control's hit test during a forwarded event answers into the sender's slot: the hook
// window lends that slot's room at the sender's address of the block, and takes it back after.
TEST_F(HookProtocol, HitTestsDuringAnEventUseTheSendersSlot) {
  HWND list = fake::addWindow(nullptr, "SysListView32", {0, 0, 400, 400});
  fake::window(list).processId = 4242;
  fake::window(list).hitFlags = LVHT_ONITEMLABEL;  // kind 25
  const LentHitTestBuffer outer = {77, 0x1000, 0, 0, nullptr};
  lendHitTestBuffer(outer);  // as if this event arrived nested in another one
  const uint64_t senderView = 0x120000000ull;  // the sender maps the block elsewhere
  fake::mapSharedMemory(4242, senderView, slots.get(), sizeof(EventSlots));
  int32_t ticket = publishEvent(slots.get(), recordAt(list, 10, 12), kNow);
  markEventSender(slots.get(), ticket, 4242);
  EventSlot& slot = eventSlotOf(slots.get(), ticket);
  slot.senderViewLow = static_cast<uint32_t>(senderView);
  slot.senderViewHigh = static_cast<uint32_t>(senderView >> 32);
  answerMouseEvent(WM_MOUSEMOVE, ticket);
  releaseEvent(slots.get(), ticket, kNow);

  EXPECT_EQ(gesture.currentKind, 25);
  EXPECT_EQ(slot.hitTest[2], 0x4u) << "answered into the sender's slot";
  ASSERT_EQ(fake::sent.size(), 1u);
  EXPECT_EQ(fake::sent[0].lParam, LPARAM(12 << 16 | 10)) << "the point read from the slot";
  EXPECT_EQ(fake::strayHitTests, 0);
  EXPECT_EQ(fake::liveAllocations(), 0) << "no buffer in the sender's process";
  const LentHitTestBuffer after = lendHitTestBuffer({});
  EXPECT_EQ(after.processId, outer.processId) << "the outer event's room again";
  EXPECT_EQ(after.view, outer.view);
}

TEST_F(HookProtocol, AnApplicationsPointIsMadePhysicalOnce) {
  // A DPI-unaware application sees 150 % scaling: its point (266, 200) lies at (399, 300).
  // Where the system calls the hook on Qor's own thread (a 32-bit application's events), the
  // point comes in Qor's coordinates, physical already.
  struct { DWORD sender; POINT reported; } cases[] = {{2001, {266, 200}}, {fake::kOwnProcess, {399, 300}}};
  for (auto c : cases) {
    SetUp();
    HWND plain = fake::addWindow(nullptr, "Plain", {0, 0, 800, 600});
    fake::window(plain).scalePercent = 150;
    gesture.panState = kPanStandby;
    forward(WM_MOUSEMOVE, recordAt(plain, c.reported.x, c.reported.y), c.sender);
    EXPECT_EQ(forward(WM_RBUTTONDOWN, recordAt(plain, c.reported.x, c.reported.y), c.sender),
              kAnswerSwallow);
    EXPECT_EQ(gesture.anchorPoint.x * 1000 + gesture.anchorPoint.y, 399300) << c.sender;
  }
}

// A process that forwards a new event, menu-loop notice or peer request from inside every hit
// test nests the hook thread; beyond one bound over all of them they are answered without the
// engine, and the count goes back (the next row nests as deep).
TEST_F(HookProtocol, EngineRunsNestedBeyondTheBoundAreAnsweredWithoutTheEngine) {
  HWND list = fake::addWindow(nullptr, "SysListView32", {0, 0, 400, 400});
  fake::window(list).processId = 4242;
  fake::window(list).hitFlags = LVHT_ONITEMLABEL;
  // The notice and the request first handle a movement kept over the list.
  static void (*const nests[])(HWND) = {
      [](HWND l) { answerMouseEvent(WM_MOUSEMOVE, publishEvent(eventSlots, recordAt(l, 1, 1), kNow)); },
      [](HWND l) { keepMovementOver(l); answerMenuLoop(); },
      [](HWND l) { keepMovementOver(l); answerPeer(kPeerDisable); }};
  static int nest = 0, depth = 0;  // a nesting the bound misses stops at depth 10
  for (nest = 0; nest < 3; ++nest) {
    fake::sent.clear();
    fake::onSend = [](HWND list, UINT) { if (++depth < 10) nests[nest](list); };
    depth = 0;
    forward(WM_MOUSEMOVE, recordAt(list, 10, 12));
    EXPECT_EQ(fake::sent.size(), 4u) << "one hit test per run up to the bound, " << nest;
  }
  fake::onSend = nullptr;
}

TEST(EventSlots, AMovementIsKeptByWhatQorNeedsAndWhatItSawLast) {
  // Qor saw window 7 at HTCLIENT with control flags 0x4 last.
  const uint32_t move = WM_MOUSEMOVE;
  // leftAloneSent: what the library in a program left alone sends instead.
  struct { uint32_t demand; EventRecord record; bool kept, leftAloneSent; } rows[] = {
      {kKeepIdleMovements, {1, 1, 9, HTCAPTION, 0, move, 0}, true, false},  // idle: every movement
      {kKeepIdleMovements, {1, 1, 7, HTCLIENT, 0, WM_RBUTTONDOWN, 0}, false, false},
      {kSendEverything, {1, 1, 7, HTCLIENT, 0, move, 0x4}, false, false},
      {kSendChangedMovements, {5, 6, 7, HTCLIENT, 0, move, 0x4}, true, false},  // the same facts
      {kSendChangedMovements, {5, 6, 7, HTCLIENT, 0, WM_NCMOUSEMOVE, 0x4}, true, false},
      {kSendChangedMovements, {5, 6, 8, HTCLIENT, 0, move, 0x4}, false, true},
      {kSendChangedMovements, {5, 6, 7, HTCAPTION, 0, move, 0x4}, false, true},
      {kSendChangedMovements, {5, 6, 7, HTCLIENT, 0, move, 0x2}, false, true},  // item, not space
      {kSendChangedMovements, {5, 6, 8, HTCLIENT, 0, WM_RBUTTONDOWN, 0}, false, false},
  };
  for (const auto& r : rows) {
    auto slots = std::make_unique<EventSlots>();
    slots->owner.demand = r.demand;
    publishSeenFacts(slots.get(), 7, HTCLIENT, 0x4);
    EXPECT_EQ(leftAloneMovementSent(slots.get(), r.demand, r.record), r.leftAloneSent)
        << r.demand << " " << r.record.window;
    EXPECT_EQ(keepMovement(slots.get(), r.record, 2001), r.kept) << r.demand << " " << r.record.window;
    uint32_t taken = 0, sender = 0;
    EventRecord back = {};
    EXPECT_EQ(takeKeptMovement(slots.get(), &taken, &back, &sender), r.kept);
    if (r.kept) {
      EXPECT_EQ(sender * 1000 + back.window, 2001u * 1000 + r.record.window);
    }
  }
  // Asked of Qor or not: Qor's own clicks never; touch, pen, the wheel and the X buttons only
  // while a gesture runs.
  const uint32_t touch = kTouchOrPenSignature | 0x01;
  struct { uint32_t message, extraInfo; bool idle, gesture; } asked[] = {
      {WM_RBUTTONDOWN, 0, true, true},          {WM_RBUTTONDOWN, kQorReplayTag, false, false},
      {WM_RBUTTONUP, touch, false, true},       {move, kTouchOrPenSignature, false, true},
      {move, 0xFF515600, true, true},           {WM_MOUSEWHEEL, 0, false, true},
      {WM_MOUSEHWHEEL, 0, false, true},         {0x020B, 0, false, true},  // WM_XBUTTONDOWN
      {0x00AC, 0, false, true},                 {WM_MBUTTONDOWN, 0, true, true}};
  for (auto a : asked) {
    EXPECT_EQ(passesUnasked(a.message, a.extraInfo, kSendChangedMovements), !a.idle) << a.message;
    EXPECT_EQ(passesUnasked(a.message, a.extraInfo, kSendEverythingForGesture), !a.gesture)
        << a.message << " " << a.extraInfo;
  }
  // A code that leaves the kind to the point, or facts no longer the last Qor saw: sent.
  auto slots = std::make_unique<EventSlots>();
  slots->owner.demand = kSendChangedMovements;
  publishSeenFacts(slots.get(), 7, HTOBJECT, kControlFlagsUnknown);
  EXPECT_FALSE(keepMovement(slots.get(), {1, 1, 7, HTOBJECT, 0, move, kControlFlagsUnknown}, 1));
  publishSeenFacts(slots.get(), 0, HTCLIENT, kControlFlagsUnknown);
  EXPECT_FALSE(keepMovement(slots.get(), {1, 1, 0, HTCLIENT, 0, move, kControlFlagsUnknown}, 1));
}
