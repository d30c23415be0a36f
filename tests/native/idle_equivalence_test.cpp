// One seeded stream of events from several processes, run twice over the same desktop: once with
// every event sent to the hook window and a tick every 10 ms, once through the library's choice
// (a movement kept in the block while Qor does not need it, or in standby while its facts are
// those Qor saw last; taken before the next event) with ticks only while Qor wants its timer.
// The library measures its own common controls' hit tests in both. Every answer, scroll
// message, cursor shown and state after each event must be the same. Another seed:
// QOR_IDLE_SEED=n.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include "engine/hook_protocol.h"
#include "hookdll/forwarding.h"
#include "tests/native/engine_helpers.h"

using namespace engine_test;

namespace {
const int kEvents = 1000000;

struct After {  // what one event left
  LRESULT answer;
  std::vector<SentMessage> scrolls;
  std::vector<std::string> cursors;
  int32_t pan, ext, chord, left, wanted, applied;
  int32_t kind;  // after a button only: a kept movement counts from the next event Qor handles
  int32_t hOn, vOn, hDir, vDir;
  bool operator==(const After& o) const {
    return answer == o.answer && scrolls == o.scrolls && cursors == o.cursors && pan == o.pan &&
           ext == o.ext && chord == o.chord && left == o.left && wanted == o.wanted &&
           applied == o.applied && kind == o.kind && hOn == o.hOn && vOn == o.vOn &&
           hDir == o.hDir && vDir == o.vDir;
  }
};

std::vector<HWND> buildDesktop() {
  freshEngine();
  std::vector<HWND> windows;
  const DWORD processes[] = {2001, 2002, 2003};
  for (int i = 0; i < 3; ++i) {
    const LONG left = 400 * i;
    HWND top = fake::addWindow(nullptr, "AppWindow", {left, 0, left + 400, 600});
    fake::window(top).processId = processes[i];
    // Beside the list and tree views' items lies empty space; the odd view answers a hit-test
    // code that leaves its kind to the second try.
    const char* kinds[] = {"Edit", "SysListView32", "SysTreeView32", "ScrollBar", "OddView"};
    for (int k = 0; k < 5; ++k) {
      HWND child = fake::addWindow(top, kinds[k], {left + 80 * k, 0, left + 80 * k + 70, 500},
                                   k == 3 ? SBS_VERT : 0);
      FakeWindow& w = fake::window(child);
      w.processId = processes[i];
      w.hitFlags = k == 0 ? 0x4 : 0x1;
      w.itemRect = {0, 0, 70, 200};
      w.itemFlags = LVHT_ONITEMLABEL;
      if (k == 4) w.ncHitTest = HTOBJECT;
      windows.push_back(child);
    }
    windows.push_back(top);
  }
  return windows;
}

// Runs the stream; records what each event left, or compares it with what was recorded.
// Answers how many movements were kept and ticks skipped.
std::pair<int, int> run(unsigned seed, bool filtered, std::vector<After>* recorded,
                        int* keptInStandby = nullptr) {
  int kept = 0, skipped = 0;
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const std::vector<HWND> windows = buildDesktop();
  auto slots = std::make_unique<EventSlots>();
  eventSlots = slots.get();
  for (DWORD process : {2001, 2002, 2003})  // each sender can prove its claim
    fake::mapSharedMemory(process, uintptr_t(slots.get()), slots.get(), sizeof(EventSlots));
  engineEnabled = 1;
  startTick = 0;
  publishDemand();
  const UINT kButtons[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP,
                           WM_LBUTTONDBLCLK, WM_NCRBUTTONDOWN, WM_NCRBUTTONUP};
  POINT at = {200, 200};
  for (int i = 0; i < kEvents; ++i) {
    fake::sent.clear();
    LRESULT answer = kAnswerPass;
    bool movement = false, button = false;
    const int what = pick(100);
    if (what < 75) {  // a movement or a button of the window under the pointer
      movement = what < 50;
      button = !movement;
      if (movement && pick(10) == 0) at = {pick(1200), pick(600)};
      else if (movement) at = {at.x + pick(41) - 20, at.y + pick(41) - 20};  // as a hand moves
      fake::cursorPos = at;
      HWND w = osWindowFromPoint(at);
      const UINT message = movement ? WM_MOUSEMOVE : kButtons[pick(7)];
      static const FakeWindow kNoWindow;
      const FakeWindow& fw = w ? fake::window(w) : kNoWindow;
      const uint32_t flags = w && movement && hitTestMessageOf(fw.className.c_str())
                                 ? fake::hitFlagsAt(w, {at.x - fw.rect.left, at.y - fw.rect.top})
                                 : kControlFlagsUnknown;
      EventRecord record = {at.x, at.y, handle32Of(w), uint32_t(fw.ncHitTest), 0, message, flags};
      if (filtered && keepMovement(slots.get(), record, fw.processId)) {
        ++kept;
        if (keptInStandby && gesture.panState == kPanStandby) ++*keptInStandby;
      } else {
        int32_t ticket = publishEvent(slots.get(), record, fake::tickCount);
        markEventSender(slots.get(), ticket, fw.processId);
        answer = answerMouseEvent(message, ticket);
        releaseEvent(slots.get(), ticket, fake::tickCount);
      }
    } else if (what < 93) {  // time passes; the timer fires if it runs
      fake::tickCount += 10;
      if (!filtered || hookTimerWanted()) hookTimerTick();
      else ++skipped;
    } else if (what < 96) {
      answerMenuLoop();
    } else if (what < 98) {
      changeEngine([] { gesture.panState = gesture.panState == kPanOff ? kPanStandby : kPanOff; });
    } else {
      ProfileSettings& s = currentSettings;
      switch (pick(5)) {
        case 0: toggleSetting(s.extScrollEnabled); break;
        case 3: changeEngine([] { toggleSetting(currentSettings.panEnabled); }); break;  // applied
        case 1: toggleSetting(s.extScrollSwapButtons); break;
        case 2: s.panHResponse = pick(5) + 1; s.panVResponse = pick(5) + 1; break;
        default: s.panHCount = pick(7) + 1; s.extScrollVCount = pick(7) + 1; break;
      }
    }
    const GestureState& g = gesture;
    const AxisRepeat& h = scrollRepeat.axis[kAxisHorizontal];
    const AxisRepeat& v = scrollRepeat.axis[kAxisVertical];
    After after = {answer, scrollMessages(), shownImages(), g.panState, g.extScrollState,
                   g.chordAction, g.leftButtonDown, g.wantedCursor, g.appliedCursor,
                   button ? g.currentKind : -1, h.on, v.on, h.dir, v.dir};
    if (!filtered) {
      recorded->push_back(after);
    } else if (!(after == (*recorded)[i])) {
      ADD_FAILURE() << "seed " << seed << ": event " << i << " (kind " << what << ") differs";
      break;
    }
  }
  eventSlots = nullptr;
  return {kept, skipped};
}
}  // namespace

TEST(IdleEquivalence, KeepingIdleMovementsAndStoppingTheTimerChangeNothingTheEngineDoes) {
  const char* seedText = std::getenv("QOR_IDLE_SEED");
  const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 7u;
  std::vector<After> forwarded;
  forwarded.reserve(kEvents);
  run(seed, false, &forwarded);
  int keptInStandby = 0;
  const auto [kept, skipped] = run(seed, true, &forwarded, &keptInStandby);
  // The stream reached idle, standby and busy times alike.
  EXPECT_GT(kept, kEvents / 20) << "movements kept";
  EXPECT_GT(keptInStandby, kEvents / 50) << "movements kept in standby";
  EXPECT_GT(skipped, kEvents / 20) << "ticks skipped";
  int busy = 0;
  for (const After& a : forwarded) busy += a.hOn || a.vOn;
  EXPECT_GT(busy, kEvents / 100) << "events while a repeat ran";
}
