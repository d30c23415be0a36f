// Qor under hangs, crashes, bad input and load, end to end under Wine: a hung application,
// Qor or a sender killed in the middle of their work, a re-created taskbar, random protocol
// messages and hostile stored profiles, and a burst of events across two applications. The
// hook library on its own is worked first, with hook windows that the test plays.
// Figures (how long events took meanwhile) are printed, never asserted; what is asserted is
// state and order ("before the hang ended").
#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>

#include <aclapi.h>
#include <sddl.h>

#include "rules/app_rules.h"
#include "tests/common/store_contents.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {
const DWORD kHangMs = 5000;  // how long a hung application blocks

double millisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

LARGE_INTEGER performanceNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

// The block of event slots while the test plays Qor's part (made as Qor makes it, but with the
// default security, so it must be gone before a real Qor starts).
EventSlotsView playedSlots = {nullptr, nullptr, nullptr};

// The block under Qor's name, made with this security and these flags unless it exists.
EventSlotsView makeEventSlots(const char* securityText = "", DWORD flags = 0) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorA(securityText, SDDL_REVISION_1, &descriptor,
                                                       nullptr);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  EventSlotsView view = {nullptr, nullptr, nullptr};
  if (const wchar_t* name = eventSlotsName(&view.space, nullptr))
    view.mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE | flags,
                                      0, sizeof(EventSlots), name);
  view.slots = static_cast<EventSlots*>(
      MapViewOfFile(view.mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
  LocalFree(descriptor);
  return view;
}

// The block of event slots that Qor and the library share; this view keeps Qor's alive, for the
// next Qor to take over.
EventSlotsView sessionSlots = {nullptr, nullptr, nullptr};
EventSlots* sharedSlots() {
  if (playedSlots.slots) return playedSlots.slots;
  if (!sessionSlots.slots) sessionSlots = mapEventSlots();
  return sessionSlots.slots;
}

// Slots held by some sender right now (none while there is no block yet).
int claimedSlots() {
  EventSlots* slots = sharedSlots();
  if (!slots) return 0;
  int claimed = 0;
  for (const EventSlot& s : slots->slot)
    claimed += __atomic_load_n(&s.claim, __ATOMIC_ACQUIRE) != 0;
  return claimed;
}

// As if every slot were held by a sender that died claiming it at tick claimedAt; answers
// the tickets, so that the test can give back what was not taken over.
std::vector<int32_t> claimEverySlot(uint32_t claimedAt) {
  std::vector<int32_t> tickets;
  EventRecord record = {1, 1, 0, HTCLIENT, 0, WM_MOUSEMOVE, kControlFlagsUnknown};
  for (int i = 0; i < kEventSlotCount; ++i) {
    int32_t ticket = publishEvent(sharedSlots(), record, claimedAt);
    if (ticket) tickets.push_back(ticket);
  }
  return tickets;
}

void releaseEverySlot(const std::vector<int32_t>& tickets, uint32_t claimedAt) {
  for (int32_t ticket : tickets) releaseEvent(sharedSlots(), ticket, claimedAt);
}

// Those parts of a security descriptor that parts names, in text form.
std::string sddlOf(PSECURITY_DESCRIPTOR descriptor, SECURITY_INFORMATION parts) {
  char* text = nullptr;
  std::string out;
  if (ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, parts,
                                                           &text, nullptr))
    out = text;
  LocalFree(text);
  return out;
}

std::string userSid() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  alignas(TOKEN_USER) BYTE user[256];
  DWORD size = 0;
  char* text = nullptr;
  std::string out;
  if (GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &text))
    out = text;
  LocalFree(text);
  CloseHandle(token);
  return out;
}

// ---- The hook library alone, with a hook window that the test plays on a thread of its own.
// The library answers only the Qor.exe beside it: these tests run as a copy so named.

struct PlayedHookWindow {
  HANDLE thread = nullptr;
  DWORD threadId = 0;
  HWND window = nullptr;
};
// Reset, the played window hangs in its answer until the test sets it again.
HANDLE playedAnswerGate = CreateEventA(nullptr, TRUE, TRUE, nullptr);
LONG playedAnswers = 0;

LRESULT CALLBACK playedHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kMsgMouseEvent) return DefWindowProcA(window, message, wParam, lParam);
  WaitForSingleObject(playedAnswerGate, 20000);  // a library that waits for it fails, not hangs
  InterlockedIncrement(&playedAnswers);
  return kAnswerSwallow;
}

DWORD WINAPI playedHookThread(void* context) {
  HWND window = CreateWindowExA(0, HOOK_CLASS_NAME, HOOK_WINDOW_NAME, WS_OVERLAPPEDWINDOW, 0, 0,
                                0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  *static_cast<HWND*>(context) = window;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  DestroyWindow(window);
  return 0;
}

PlayedHookWindow playHookWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = playedHookProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = HOOK_CLASS_NAME;
    registered = RegisterClassA(&wc) != 0;
  }
  PlayedHookWindow played;
  static HWND created;
  created = nullptr;
  played.thread = CreateThread(nullptr, 0, playedHookThread, &created, 0, &played.threadId);
  waitFor([&] { return IsWindow(created) != FALSE; });
  played.window = created;
  if (playedSlots.slots) playedSlots.slots->owner.hookWindow = handle32Of(created);
  return played;
}

void endHookWindow(PlayedHookWindow& played) {
  PostThreadMessageA(played.threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(played.thread, 10000);
  CloseHandle(played.thread);
  played = PlayedHookWindow{};
}

class HookLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(FindWindowA(HOOK_CLASS_NAME, HOOK_WINDOW_NAME)) << "a Qor still runs";
    // The test plays Qor: the block names this process and, while one plays, its hook window.
    ASSERT_FALSE(mapEventSlots().slots) << "a block of an earlier Qor is left";
    playedSlots = makeEventSlots();
    ASSERT_TRUE(playedSlots.slots);
    playedSlots.slots->owner = {kEventSlotsMagic, GetCurrentProcessId(), 0, kSendEverything, {}, {}};
    library = LoadLibraryA("Qordll.dll");
    ASSERT_TRUE(library);
    mouseFunc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(library, MOUSE_HOOK_EXPORT)));
    ASSERT_TRUE(mouseFunc);
  }
  void TearDown() override {
    FreeLibrary(library);
    unmapEventSlots(playedSlots);
  }
  // A right press through the library's mouse hook; 1 means swallowed.
  LRESULT rightPress() {
    MOUSEHOOKSTRUCT event = {};
    event.pt = {100, 100};
    event.hwnd = GetDesktopWindow();
    event.wHitTestCode = HTCLIENT;
    return mouseFunc(HC_ACTION, WM_RBUTTONDOWN, reinterpret_cast<LPARAM>(&event));
  }
  HMODULE library = nullptr;
  HOOKPROC mouseFunc = nullptr;
};
}  // namespace

TEST_F(HookLibrary, EventsPassUnlessAnAnsweringHookWindowSwallowsThem) {
  struct {
    const char* name;
    bool window;        // a hook window exists
    bool hung;          // it answers only once the event has passed
    bool destroyFirst;  // found once, then destroyed
    bool leftAlone;     // this program is one the user left alone
    LRESULT result;
    uint32_t demand = kSendEverything;
  } cases[] = {
      {"no hook window", false, false, false, false, 0},
      {"a hook window that answers swallow", true, false, false, false, 1},
      {"a hung hook window", true, true, false, false, 0},
      {"a hook window gone since it was found", true, false, true, false, 0},
      {"a program left alone", true, false, false, true, 0},
      {"a program left alone, a gesture running", true, false, false, true, 1,
       kSendEverythingForGesture},
  };
  wchar_t path[MAX_PATH] = {};
  char name[MAX_PATH * 3] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  WideCharToMultiByte(CP_UTF8, 0, wcsrchr(path, L'\\') + 1, -1, name, sizeof name, nullptr, nullptr);
  const uint64_t ownKey = leftAloneKeyOf(name);
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    publishLeftAloneKeys(playedSlots.slots, &ownKey, c.leftAlone ? 1 : 0);
    playedSlots.slots->owner.demand = c.demand;
    PlayedHookWindow played;
    if (c.window) played = playHookWindow();
    if (c.window) {
      ASSERT_TRUE(played.window);
    }
    if (c.destroyFirst) {
      EXPECT_EQ(rightPress(), 1);
      endHookWindow(played);
    }
    if (c.hung) ResetEvent(playedAnswerGate);
    const LONG answersBefore = playedAnswers;
    LARGE_INTEGER start = performanceNow();
    EXPECT_EQ(rightPress(), c.result);
    double ms = millisecondsSince(start);
    if (c.hung || !c.result) {
      EXPECT_EQ(playedAnswers, answersBefore) << "the hook window answered";
    }
    SetEvent(playedAnswerGate);
    std::printf("[ figures  ] %s: answered in %.1f ms\n", c.name, ms);
    if (played.thread) endHookWindow(played);
    EXPECT_EQ(claimedSlots(), 0) << "the event's slot was given back";
  }
}

TEST_F(HookLibrary, SlotsOfSendersThatDiedAreTakenOverByTheNextEvent) {
  PlayedHookWindow played = playHookWindow();
  ASSERT_TRUE(played.window);
  ASSERT_EQ(rightPress(), 1);
  ASSERT_EQ(claimedSlots(), 0);
  // Every slot held by live senders: the event passes, as designed.
  uint32_t now = GetTickCount();
  std::vector<int32_t> held = claimEverySlot(now);
  ASSERT_EQ(held.size(), size_t(kEventSlotCount));
  EXPECT_EQ(rightPress(), 0);
  releaseEverySlot(held, now);
  // Every slot held by senders that died long ago: the event takes one over.
  uint32_t longAgo = GetTickCount() - 10 * kEventSlotReclaimMs;
  std::vector<int32_t> dead = claimEverySlot(longAgo);
  ASSERT_EQ(dead.size(), size_t(kEventSlotCount));
  EXPECT_EQ(rightPress(), 1) << "the event was forwarded through a slot taken over";
  EXPECT_EQ(claimedSlots(), kEventSlotCount - 1) << "the slot taken over is free again";
  releaseEverySlot(dead, longAgo);
  EXPECT_EQ(claimedSlots(), 0);
  endHookWindow(played);
}

namespace {
// Qor.exe beside two test applications: the first with the shell's stand-ins, the second
// (hung and killed on request) clear of its windows.
class Robustness : public EndToEnd {
 protected:
  static void SetUpTestSuite() {
    EndToEnd::SetUpTestSuite();
    second = startTestApp(TESTAPP_SECOND);
  }
  static void TearDownTestSuite() {
    stopTestApp(second);
    EndToEnd::TearDownTestSuite();
  }
  void SetUp() override {
    if (!IsWindow(second.main)) {  // killed by an earlier test
      stopTestApp(second);
      second = startTestApp(TESTAPP_SECOND);
    }
    ASSERT_TRUE(second.main && second.plain) << "second test application did not start";
    EndToEnd::SetUp();
  }
  static bool hanging() { return testLog->hanging != 0; }
  // Milliseconds until a middle click at the pointer reaches window; -1 if it never does.
  static double middleClickDelivery(HWND window) {
    size_t before = received(window, {WM_MBUTTONUP}).size();
    LARGE_INTEGER start = performanceNow();
    click(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
    while (received(window, {WM_MBUTTONUP}).size() == before) {
      if (millisecondsSince(start) > 10000) return -1;
      Sleep(1);
    }
    return millisecondsSince(start);
  }
  // The application of window has handled all input waiting for it.
  static void settle(HWND window) {
    size_t before = received(window, {TESTAPP_WM_SETTLE}).size();
    PostMessageA(window, TESTAPP_WM_SETTLE, 0, 0);
    EXPECT_TRUE(waitFor([&] { return received(window, {TESTAPP_WM_SETTLE}).size() > before; }))
        << "the application did not take in its waiting input";
  }
  // A right-click pan up from the centre of window, as on the first day: its first emission
  // is three line steps; the next click ends it.
  static void panUp(HWND window) {
    POINT centre = clientCentre(window);
    restAt(window, centre);
    settle(window);  // the pointer's crossing into it is input too (Wine)
    click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    moveTo(offset(centre, 0, -60));
    EXPECT_TRUE(waitForScrolls(window, WM_VSCROLL, 6)) << "the pan did not scroll";
    std::vector<uint32_t> first = scrollCodes(window, WM_VSCROLL);
    first.resize(6);
    EXPECT_EQ(first, (std::vector<uint32_t>{1, 8, 1, 8, 1, 8}));
    click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    sync(window);
    EXPECT_FALSE(anyRightButton(window)) << "a right-click of the pan was not answered";
  }
  static QorProcess startQorWithBothDoubleClickOptions() {
    ProfileSettings settings = testSettings();
    settings.dblClickMovesToStart = 1;
    settings.dblClickOpensStartMenu = 1;
    storeProfile(settings);
    return startQor();
  }
  static void killQor(QorProcess& qor) {
    TerminateProcess(qor.process.hProcess, 1);
    WaitForSingleObject(qor.process.hProcess, 10000);
    CloseHandle(qor.process.hProcess);
    CloseHandle(qor.process.hThread);
    qor = QorProcess{};
  }
  inline static TestAppProcess second;
};
}  // namespace

TEST_F(Robustness, AHungApplicationHoldsUpNeitherOtherApplicationsNorPans) {
  qor = startQor();
  // (A list view's hit test the library asks in its own process: Qor sends it none.)
  HWND secondOddHit = GetDlgItem(second.main, kTestOddHit);
  ASSERT_TRUE(secondOddHit);
  struct {
    const char* name;
    UINT message;
  } cases[] = {
      {"WM_NCHITTEST", WM_NCHITTEST}, {"WM_VSCROLL", WM_VSCROLL}};
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(waitFor([] { return !hanging(); }));
    SendMessageA(second.main, TESTAPP_WM_HANG, c.message, kHangMs);
    // What makes Qor send that message to the second application.
    if (c.message == WM_NCHITTEST) moveTo(windowCentre(secondOddHit));
    if (c.message == WM_VSCROLL) {
      POINT centre = clientCentre(second.plain);
      restAt(second.plain, centre);
      click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
      moveTo(offset(centre, 0, -60));
    }
    ASSERT_TRUE(waitFor([] { return hanging(); })) << "Qor's message did not reach it";
    LARGE_INTEGER hangSeen = performanceNow();

    // Meanwhile the first application's events are answered, and a pan there scrolls.
    POINT centre = clientCentre(app.plain);
    restAt(app.plain, centre);
    double fastest = 1e9, slowest = -1;
    for (int i = 0; i < 5; ++i) {
      double ms = middleClickDelivery(app.plain);
      fastest = std::min(fastest, ms);
      slowest = std::max(slowest, ms);
    }
    click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    moveTo(offset(centre, 0, -60));
    ASSERT_TRUE(waitForScrolls(app.plain, WM_VSCROLL, 2));
    double firstScroll = millisecondsSince(hangSeen);
    bool scrolledWhileHung = hanging();
    click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    sync(app.plain);
    std::printf("[ figures  ] %s hung %lu ms: middle clicks elsewhere arrived in %.1f to %.1f "
                "ms; a pan elsewhere scrolled %.0f ms after the hang began\n",
                c.name, kHangMs, fastest, slowest, firstScroll);
    EXPECT_GE(fastest, 0.0) << "a middle click never arrived";
    EXPECT_TRUE(scrolledWhileHung) << "the pan elsewhere scrolled only after the hang ended";
    EXPECT_FALSE(anyRightButton(app.plain)) << "both right-clicks were answered in time";

    // Once the hang is over, the application that hung pans again. Under Wine it turns the
    // pointer's crossing into it, kept while it hung, into a movement only now, which puts
    // the pointer back there: that happens before the pan, not in the middle of it.
    ASSERT_TRUE(waitFor([] { return !hanging(); }, kHangMs + 10000));
    settle(second.main);
    panUp(second.plain);
  }
}

// The block of event slots is the user's and SYSTEM's alone, and the library answers nothing
// but Qor's hook window: not a window of another process with the same class and title, nor
// one that a writer of the block names. Nothing sent or posted to Qor's windows ends its hooks.
TEST_F(Robustness, OnlyQorsOwnHookWindowGetsEventsFromABlockOnlyTheUserMayWrite) {
  qor = startQor();
  EXPECT_FALSE(OpenFileMappingA(FILE_MAP_EXECUTE, FALSE, EVENT_SLOTS_NAME)) << "mapped to run";
  HANDLE block = OpenFileMappingA(READ_CONTROL, FALSE, EVENT_SLOTS_NAME);
  ASSERT_TRUE(block);
  const SECURITY_INFORMATION ownerAndDacl = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  PSECURITY_DESCRIPTOR held = nullptr, wanted = nullptr;
  const SECURITY_INFORMATION all = ownerAndDacl | LABEL_SECURITY_INFORMATION;
  const DWORD read =
      GetSecurityInfo(block, SE_KERNEL_OBJECT, all, nullptr, nullptr, nullptr, nullptr, &held);
  CloseHandle(block);
  ASSERT_EQ(read, DWORD(ERROR_SUCCESS));
  std::printf("[ figures  ] the block's security: %s\n", sddlOf(held, all).c_str());
  // Compared in the system's own spelling of the same descriptor.
  const std::string user = userSid();
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
      ("O:" + user + "D:P(A;;0xf001f;;;SY)(A;;0x120007;;;" + user + ")").c_str(), SDDL_REVISION_1,
      &wanted, nullptr));
  EXPECT_EQ(sddlOf(held, ownerAndDacl), sddlOf(wanted, ownerAndDacl));
  LocalFree(held);
  LocalFree(wanted);

  PlayedHookWindow decoy = playHookWindow();
  ASSERT_TRUE(decoy.window);
  playedAnswers = 0;
  panUp(app.plain);
  EventSlots* slots = sharedSlots();
  const EventSlotsOwner owner = slots->owner;
  const uint32_t ahead = GetTickCount() + 0x40000000;
  std::vector<int32_t> claimed;
  CREATESTRUCTA foreign = {};
  foreign.lpCreateParams = reinterpret_cast<void*>(16);
  struct { const char* what; std::function<void()> act; bool swallowed; } cases[] = {
      {"the block names Qor's main window",
       [&] { slots->owner.hookWindow = handle32Of(qor.main); }, false},
      {"the block names the decoy", [&] {
         slots->owner.process = GetCurrentProcessId();
         slots->owner.hookWindow = handle32Of(decoy.window); }, false},
      {"live tickets replayed as a right-click by a reader of the block", [&] {
         SendMessageA(second.main, TESTAPP_WM_HANG, WM_NCHITTEST, 1500);
         moveTo(windowCentre(GetDlgItem(second.main, kTestOddHit)));
         ASSERT_TRUE(waitFor(hanging)) << "no hit test kept the movement's ticket live";
         for (const EventSlot& slot : slots->slot)
           for (UINT message : {WM_RBUTTONDOWN, WM_RBUTTONUP})
             EXPECT_EQ(SendMessageA(qor.hook, kMsgMouseEvent, message, std::abs(slot.ticket)),
                       LRESULT(kAnswerPass));
         waitFor([] { return !hanging(); }); }, true},
      {"every slot claimed far ahead", [&] { claimed = claimEverySlot(ahead); }, true},
      {"WM_CLOSE posted to the hook window", [&] { PostMessageA(qor.hook, WM_CLOSE, 0, 0); }, true},
      {"WM_QUIT posted to it", [&] { PostMessageA(qor.hook, WM_QUIT, 0, 0); }, true},
      {"WM_DESTROY sent to it", [&] { SendMessageA(qor.hook, WM_DESTROY, 0, 0); }, true},
      {"WM_CREATE sent to the main window", [&] {
         clearLog();
         SendMessageA(qor.main, WM_CREATE, 0, LPARAM(&foreign));
         EXPECT_TRUE(received(FindWindowA(PEER_WINDOW_CLASS, nullptr), {kMsgPeer}).empty())
             << "created again: the peer was greeted"; }, true},
      {"WM_DESTROY, WM_NCDESTROY, WM_CLOSE and the exit and standby commands sent to it", [&] {
         for (UINT message : {WM_DESTROY, WM_NCDESTROY, WM_CLOSE}) SendMessageA(qor.main, message, 0, 0);
         for (UINT command : {IDM_EXIT, IDM_STANDBY}) SendMessageA(qor.main, WM_COMMAND, command, 0); }, true},
      {"WM_NOTIFY and WM_HELP posted to the settings dialog with a wild address", [&] {
         chooseFromTrayMenu(qor, WM_RBUTTONDOWN, "S");
         HWND dialog = nullptr;
         ASSERT_TRUE(waitFor([&] { return (dialog = windowOfProcess("#32770", qor.process.dwProcessId)); }));
         for (UINT message : {WM_NOTIFY, WM_HELP}) PostMessageA(dialog, message, 0, 8);
         PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
         EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog); })); }, true},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.act();
    expectRightClickSwallowed(c.swallowed);
    slots->owner = owner;
  }
  releaseEverySlot(claimed, ahead);
  endHookWindow(decoy);
  EXPECT_EQ(playedAnswers, 0) << "a decoy hook window was sent events";
}

// Something else holding the block's name before Qor starts makes Qor refuse, tell the user
// and end with its own exit code: a block without Qor's mark, and one with Qor's descriptor and
// mark whose later pages were never committed (the first sender to use them would fault).
TEST_F(Robustness, QorRefusesABlockOfEventSlotsItDidNotMake) {
  // The name goes with the last handle: the applications' libraries and this process hold one.
  stopTestApp(app);
  stopTestApp(second);
  unmapEventSlots(sessionSlots);
  char qors[512];
  ASSERT_TRUE(eventSlotsSecurityText(userSid().c_str(), false, qors));
  for (bool reserved : {false, true}) {
    SCOPED_TRACE(reserved ? "pages left uncommitted" : "no mark");
    EventSlotsView squatted = makeEventSlots(reserved ? qors : "", reserved ? SEC_RESERVE : 0);
    ASSERT_TRUE(squatted.slots && everyPageCommitted(squatted.slots) != reserved) << "one is left";
    if (reserved) {
      ASSERT_TRUE(VirtualAlloc(squatted.slots, sizeof(EventSlotsOwner), MEM_COMMIT, PAGE_READWRITE));
      squatted.slots->owner.magic = kEventSlotsMagic;
    }
    qor.process = launchBeside("Qor.exe", "5");
    HWND box = nullptr;
    EXPECT_TRUE(waitFor([&] { return (box = windowOfProcess("#32770", qor.process.dwProcessId)); },
                        kStartMs)) << "Qor did not tell the user";
    EXPECT_FALSE(FindWindowA(HOOK_CLASS_NAME, HOOK_WINDOW_NAME)) << "Qor ran on the block";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(waitForExit(qor.process), 3u);
    unmapEventSlots(squatted);
  }
  app = startTestApp(TESTAPP_STAND_INS);
  second = startTestApp(TESTAPP_SECOND);
}

TEST_F(Robustness, QorKilledInTheMiddleOfAPanLeavesEveryoneTheirMouseAndStartsAgain) {
  qor = startQor();
  POINT centre = clientCentre(app.plain);
  restAt(app.plain, centre);
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  moveTo(offset(centre, 0, -60));  // a pan with its direction cursor shown
  ASSERT_TRUE(waitForScrolls(app.plain, WM_VSCROLL, 2));
  killQor(qor);

  expectScrollingStopped(app.plain, WM_VSCROLL);
  for (HWND window : {app.plain, second.plain}) {
    restAt(window, clientCentre(window));
    click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    sync(window);
    EXPECT_EQ(received(window, {WM_RBUTTONDOWN, WM_RBUTTONUP}).size(), 2u)
        << "with Qor gone, a right-click reaches the application";
  }
  // The next start (which puts the user's cursors back first) works as any other.
  qor = startQor();
  panUp(app.plain);
  EXPECT_EQ(claimedSlots(), 0);
}

TEST_F(Robustness, ASenderKilledWhileItWaitsLeavesNoSlotTakenForGood) {
  qor = startQor();
  ASSERT_TRUE(sharedSlots());
  // The second application's thread waits in the library's send for its event while Qor's
  // hit test makes it hang; then it is killed.
  SendMessageA(second.main, TESTAPP_WM_HANG, WM_NCHITTEST, 60000);
  moveTo(windowCentre(GetDlgItem(second.main, kTestOddHit)));
  ASSERT_TRUE(waitFor([] { return hanging(); }));
  EXPECT_EQ(claimedSlots(), 1) << "the waiting sender holds its slot";
  DWORD killedAt = GetTickCount();
  TerminateProcess(second.process.hProcess, 1);
  WaitForSingleObject(second.process.hProcess, 10000);
  stopTestApp(second);
  EXPECT_EQ(claimedSlots(), 1) << "nobody gave the dead sender's slot back";

  // Later events take the abandoned slot over, and give it back.
  restAt(app.plain, clientCentre(app.plain));
  EXPECT_TRUE(waitFor([&] {
    sync(app.plain);
    return claimedSlots() == 0;
  }, 3 * kEventSlotReclaimMs)) << "the dead sender's slot stayed taken";
  std::printf("[ figures  ] the dead sender's slot was free again %lu ms after the kill\n",
              GetTickCount() - killedAt);

  // Every slot abandoned by dead senders: the next event still gets one, and is answered.
  uint32_t longAgo = GetTickCount() - 10 * kEventSlotReclaimMs;
  std::vector<int32_t> dead = claimEverySlot(longAgo);
  ASSERT_EQ(dead.size(), size_t(kEventSlotCount));
  clearLog();
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);  // starts a pan: swallowed if answered
  sync(app.plain);
  EXPECT_FALSE(anyRightButton(app.plain)) << "the right-click found no slot and passed";
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  sync(app.plain);
  EXPECT_FALSE(anyRightButton(app.plain));
  releaseEverySlot(dead, longAgo);
  EXPECT_EQ(claimedSlots(), 0);
}

TEST_F(Robustness, ANewTaskbarGetsTheIconAgainAndItsStartButtonIsUsed) {
  qor = startQorWithBothDoubleClickOptions();
  HWND oldTaskbar = FindWindowA("Shell_TrayWnd", "");
  ASSERT_TRUE(oldTaskbar);
  HWND taskbar = reinterpret_cast<HWND>(SendMessageA(app.main, TESTAPP_WM_NEW_TASKBAR, 0, 0));
  ASSERT_TRUE(taskbar && taskbar != oldTaskbar && !IsWindow(oldTaskbar));
  HWND start = FindWindowExA(taskbar, nullptr, "Button", nullptr);
  EXPECT_TRUE(waitFor([&] {
    for (const TestLogEntry& e : received(taskbar, {WM_COPYDATA}))
      if (e.wParam == handle32Of(qor.main) && e.lParam == NIM_ADD) return true;
    return false;
  })) << "the tray icon was not added to the new taskbar";

  HWND desktop = FindWindowA("Progman", "Program Manager");
  moveTo(clientCentre(desktop));
  clearLog();
  leftDoubleClick();
  expectStartButtonPressed(taskbar, start);
}

TEST_F(Robustness, AShellRestartedInTheNewerLayoutIsFoundAndItsStartMenuOpened) {
  qor = startQorWithBothDoubleClickOptions();
  HWND taskbar = reinterpret_cast<HWND>(SendMessageA(app.main, TESTAPP_WM_NEW_TASKBAR, 1, 0));
  HWND worker = windowOfProcess("WorkerW", app.process.dwProcessId);
  ASSERT_TRUE(taskbar && worker);
  ASSERT_FALSE(FindWindowExA(taskbar, nullptr, "Button", nullptr));
  EXPECT_TRUE(waitFor([&] { return !received(taskbar, {WM_COPYDATA}).empty(); }))
      << "the tray icon was not added to the new taskbar";
  // Aligned left: the pointer goes to the taskbar's left end, where Start shows; centred (last:
  // Wine's UI Automation then keeps the stand-in busy a while): the menu opens, the pointer stays.
  for (DWORD alignment : {0u, 1u}) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kTaskbarSettingsKey, kTaskbarAlignmentValue, REG_DWORD,
                    &alignment, sizeof alignment);
    const POINT centre = clientCentre(worker);
    moveTo(centre);
    clearLog();
    leftDoubleClick();
    EXPECT_TRUE(waitFor([&] {
      for (const TestLogEntry& e : received(taskbar, {WM_SYSCOMMAND}))
        if ((e.wParam & 0xFFF0) == SC_TASKLIST) return true;
      return false;
    })) << "the Start menu was not opened at alignment " << alignment;  // the focus may come later
    EXPECT_TRUE(waitFor([&] { return !received(taskbar, {WM_SETFOCUS}).empty(); })) << alignment;
    RECT bar;
    GetWindowRect(taskbar, &bar);
    const LONG half = (bar.bottom - bar.top) / 2;
    expectPointerAt(alignment == 0 ? POINT{bar.left + half, bar.top + half} : centre);
  }
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kTaskbarSettingsKey, kTaskbarAlignmentValue);
  SendMessageA(app.main, TESTAPP_WM_NEW_TASKBAR, 0, 0);  // the older layout for the next tests
}

TEST_F(Robustness, RandomProtocolMessagesChangeOnlyWhatTheProtocolAllows) {
  ProfileSettings settings = testSettings();
  settings.peerMode = 1;
  storeProfile(settings);
  qor = startQor();
  // Beside the protocol's messages, two the hook window does not know (once the hook
  // handles' queries), which answer nothing.
  const UINT messages[] = {kMsgMenuLoop, kMsgMouseEvent, WM_USER + 110, WM_USER + 120, kMsgPeer};
  std::mt19937_64 random(6);
  auto parameter = [&]() -> int64_t {
    switch (random() % 4) {
      case 0: return int64_t(random() % 12) - 3;  // the codes and small tickets
      case 1: return int32_t(random());
      case 2: return int64_t(random());
      default: return int64_t(random() % kEventTicketLimit);
    }
  };
  bool enabled = true;  // what the peer's codes 2 and 3 make of it
  int unanswered = 0, wrong = 0;
  for (int i = 0; i < 5000; ++i) {
    UINT message = messages[random() % 5];
    WPARAM wParam = WPARAM(parameter());
    LPARAM lParam = LPARAM(parameter());
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(qor.hook, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer)) {
      ++unanswered;
      continue;
    }
    LRESULT expected = 0;
    if (message == kMsgMouseEvent) expected = kAnswerPass;  // no ticket is published
    if (message == kMsgPeer && lParam == kPeerQuery) expected = 1;
    if (message == kMsgPeer && lParam == kPeerDisable) enabled = false;
    if (message == kMsgPeer && lParam == kPeerEnable) enabled = true;
    wrong += LRESULT(answer) != expected;
  }
  EXPECT_EQ(unanswered, 0);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(WaitForSingleObject(qor.process.hProcess, 0), DWORD(WAIT_TIMEOUT)) << "Qor ended";
  EXPECT_EQ(SendMessageA(qor.hook, kMsgPeer, 0, kPeerQuery), 1);
  // A menu-loop notice makes the next movement the engine sees count as nowhere; one
  // movement uses it up.
  moveTo(offset(clientCentre(app.plain), 5, 5));
  expectRightClickSwallowed(enabled);
  SendMessageA(qor.hook, kMsgPeer, 0, kPeerEnable);
  // Away from the last click's anchor, so that no extended scroll is left armed.
  moveTo(offset(clientCentre(app.plain), 50, 50));
  panUp(app.plain);
}

namespace {
struct RawValue {
  std::string name;
  DWORD type;
  std::vector<unsigned char> data;
};
RawValue text(const char* name, const std::string& s, bool terminated = true) {
  std::vector<unsigned char> data(s.begin(), s.end());
  if (terminated) data.push_back(0);
  return {name, REG_SZ, data};
}
RawValue bytes(const char* name, DWORD type, size_t size, unsigned char fill) {
  return {name, type, std::vector<unsigned char>(size, fill)};
}
}  // namespace

TEST_F(Robustness, HostileStoredProfilesStartWithTheDefaultsAndWriteNothingElse) {
  unsigned char valid[kSettingsBytes];
  settingsToBytes(testSettings(), valid);
  unsigned char defaults[kSettingsBytes];
  settingsToBytes(defaultSettings, defaults);
  struct {
    const char* name;
    std::vector<RawValue> values;
    bool defaultsLoaded;  // else the stored record (whose saveOnExit is 0)
  } cases[] = {
      {"wrong types",
       {bytes("DataEnd", REG_DWORD, 4, 0xFF), bytes("Data", REG_BINARY, 300, 0xFF),
        text("A0", "abc"), bytes("N0", REG_DWORD, 4, 7)},
       true},
      {"huge count, oversized values",
       {text("DataEnd", "999999999"), text("Data", "-7"), bytes("A0", REG_BINARY, 300, 1),
        bytes("N0", REG_SZ, 300, 'x')},
       true},
      {"empty values, no terminating zero",
       {text("DataEnd", "1234567890", false), bytes("Data", REG_SZ, 0, 0),
        bytes("A0", REG_BINARY, 0, 0), bytes("N0", REG_SZ, 0, 0)},
       true},
      {"negative count, a name without its zero",
       {text("DataEnd", "-5"), text("Data", "0"),
        {"A0", REG_BINARY, std::vector<unsigned char>(valid, valid + kSettingsBytes)},
        text("N0", "xxxxxxxxxx", false)},
       false},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    RegDeleteKeyA(HKEY_CURRENT_USER, kStoreKey);
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kStoreKey, &key), ERROR_SUCCESS);
    for (const RawValue& v : c.values)
      RegSetValueExA(key, v.name.c_str(), 0, v.type, v.data.data(), DWORD(v.data.size()));
    const DWORD welcomed = 1;  // a user welcomed already: no balloon to note
    RegSetValueExA(key, "Welcomed", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&welcomed), 4);
    RegCloseKey(key);
    const StoreContents before = storeContents();

    qor = startQor();
    moveTo({300, 560});
    for (UINT button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
      PostMessageA(qor.main, kTrayCallback, 0, button);
      EXPECT_TRUE(waitFor([&] { return qorMenuWindow(qor) != nullptr; })) << button;
      PostMessageA(qor.main, WM_CANCELMODE, 0, 0);
      EXPECT_TRUE(waitFor([&] { return qorMenuWindow(qor) == nullptr; })) << button;
    }
    EXPECT_EQ(storeContents(), before) << "start and menus wrote to the store";
    EXPECT_EQ(endQor(qor), 0u);

    // Only a save at exit (saveOnExit of the defaults) writes, and only the current profile.
    StoreContents after = storeContents();
    if (!c.defaultsLoaded) {
      EXPECT_EQ(after, before);
      continue;
    }
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(after["A0"].second, std::vector<unsigned char>(defaults, defaults + kSettingsBytes));
    for (const char* name : {"DataEnd", "Data", "N0"}) EXPECT_EQ(after[name].first, DWORD(REG_SZ));
  }
}

namespace {
// What reached one window of the burst, counted from the log as it grows.
struct Arrivals {
  HWND window;
  size_t middleDowns = 0, middleUps = 0, rightButtons = 0, scrolls = 0;
};
}  // namespace

// Segments of events alternate between the two applications' plain windows; each opens a
// pan with a right-click, moves about above or below the anchor with a middle click after
// every move (which always passes, and keeps the moves from merging in the queue), and ends
// the pan with another right-click. Every right-click must be answered in time to be swallowed;
// every middle click must arrive, once.
TEST_F(Robustness, FiftyThousandEventsAcrossTwoApplicationsAreAllAnswered) {
  qor = startQor();
  const int kSegments = 34, kStepsPerSegment = 500;  // 34 x (3 x 500 + 5) = 51,170 events
  Arrivals arrivals[2] = {{app.plain}, {second.plain}};
  std::mt19937 random(6);
  restAt(app.plain, clientCentre(app.plain));
  LONG looked = 0;  // log entries counted so far
  auto count = [&] {
    LONG n = testLog->count;
    for (; looked < n && looked < kTestLogCapacity; ++looked) {
      const TestLogEntry& e = testLog->entry[looked];
      for (Arrivals& a : arrivals) {
        if (e.window != handle32Of(a.window)) continue;
        a.middleDowns += e.message == WM_MBUTTONDOWN;
        a.middleUps += e.message == WM_MBUTTONUP;
        a.rightButtons += e.message == WM_RBUTTONDOWN || e.message == WM_RBUTTONUP ||
                          e.message == WM_NCRBUTTONDOWN || e.message == WM_NCRBUTTONUP;
        a.scrolls += e.message == WM_VSCROLL || e.message == WM_HSCROLL;
      }
    }
  };
  size_t injected = 0;
  LARGE_INTEGER start = performanceNow();
  for (int segment = 0; segment < kSegments; ++segment) {
    Arrivals& a = arrivals[segment % 2];
    const bool last = segment == kSegments - 1;
    POINT centre = clientCentre(a.window);
    std::vector<INPUT> inputs = {mouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, centre),
                                 mouseInput(MOUSEEVENTF_RIGHTDOWN),
                                 mouseInput(MOUSEEVENTF_RIGHTUP)};
    POINT previous = centre;
    for (int step = 0; step < kStepsPerSegment; ++step) {
      // Beyond the dead zone vertically (up in one window, down in the other), within it
      // horizontally: the pan's speed changes, its direction and cursor stay; never the same
      // pixel twice.
      LONG dx = LONG(random() % 19) - 9, dy = LONG(random() % 61) + 20;
      POINT at = {centre.x + dx, segment % 2 ? centre.y + dy : centre.y - dy};
      if (at.x == previous.x && at.y == previous.y) ++at.x;
      previous = at;
      inputs.push_back(mouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at));
      inputs.push_back(mouseInput(MOUSEEVENTF_MIDDLEDOWN));
      inputs.push_back(mouseInput(MOUSEEVENTF_MIDDLEUP));
    }
    if (!last) {
      inputs.push_back(mouseInput(MOUSEEVENTF_RIGHTDOWN));
      inputs.push_back(mouseInput(MOUSEEVENTF_RIGHTUP));
    }
    const size_t expectedUps = a.middleUps + kStepsPerSegment;
    ASSERT_EQ(SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
    injected += inputs.size();
    ASSERT_TRUE(waitFor([&] {
      count();
      return a.middleUps >= expectedUps;
    }, 60000)) << "segment " << segment << ": " << a.middleUps << " of " << expectedUps
               << " middle clicks arrived";
  }
  double elapsed = millisecondsSince(start);
  std::printf("[ figures  ] %zu events in %.1f s: %.3f ms per event; %zu and %zu scroll "
              "messages reached the two windows\n",
              injected, elapsed / 1000, elapsed / double(injected), arrivals[0].scrolls,
              arrivals[1].scrolls);
  count();
  for (const Arrivals& a : arrivals) {
    const size_t clicks = size_t(kStepsPerSegment) * (kSegments / 2);
    EXPECT_EQ(a.middleDowns, clicks) << "middle presses lost or doubled";
    EXPECT_EQ(a.middleUps, clicks) << "middle releases lost or doubled";
    EXPECT_EQ(a.rightButtons, 0u) << "a right-click of a pan was not answered in time";
    EXPECT_GT(a.scrolls, 0u) << "the pans scrolled";
  }

  // The last pan still runs: a right-click ends it, and a pan afterwards is exact.
  HWND lastWindow = arrivals[(kSegments - 1) % 2].window;
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  sync(lastWindow);
  expectScrollingStopped(lastWindow, WM_VSCROLL);
  EXPECT_EQ(claimedSlots(), 0) << "a slot was left taken";
  panUp(app.plain);
}
