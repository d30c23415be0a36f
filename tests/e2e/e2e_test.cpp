// Qor.exe end to end under Wine: started as a user starts it, beside the test application in
// a process of its own; real input injected with SendInput; what reached the application is
// read from the application's log.
#include <cstdio>
#include "tests/e2e/e2e_support.h"

using namespace e2e;

// Qor installed in a folder whose name code page 932 cannot write: its library loads from there.
TEST_F(EndToEnd, PanByRightClickScrollsUntilTheNextRightClick) {
  qor = startQor("5", true, copyOfQorIn("Qor-Åø-测试").c_str());
  POINT centre = clientCentre(app.plain);
  restAt(app.plain, centre);
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  moveTo(offset(centre, 0, -60));  // pointer above the anchor: the content moves up
  ASSERT_TRUE(waitForScrolls(app.plain, WM_VSCROLL, 6));
  std::vector<uint32_t> first = scrollCodes(app.plain, WM_VSCROLL);
  first.resize(6);
  EXPECT_EQ(first, (std::vector<uint32_t>{1, 8, 1, 8, 1, 8})) << "panVCount 3: three pairs";
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  sync(app.plain);
  EXPECT_FALSE(anyRightButton(app.plain)) << "both right-clicks are swallowed";
  expectScrollingStopped(app.plain, WM_VSCROLL);
  std::vector<uint32_t> all = scrollCodes(app.plain, WM_VSCROLL);
  EXPECT_TRUE(onlyPairs(all, SB_LINEDOWN) && all.size() % 6 == 0) << all.size();
  EXPECT_TRUE(scrollCodes(app.plain, WM_HSCROLL).empty());
  EXPECT_TRUE(received(app.plain, {WM_MOUSEWHEEL, WM_MOUSEHWHEEL}).empty());
}

TEST_F(EndToEnd, PanByRightDragScrollsWhileTheButtonIsHeld) {
  qor = startQor();
  POINT centre = clientCentre(app.plain);
  restAt(app.plain, centre);
  inject(MOUSEEVENTF_RIGHTDOWN);
  moveTo(offset(centre, -60, 0));  // pointer left of the anchor: the view scrolls right
  ASSERT_TRUE(waitForScrolls(app.plain, WM_HSCROLL, 4));
  inject(MOUSEEVENTF_RIGHTUP);
  sync(app.plain);
  EXPECT_FALSE(anyRightButton(app.plain)) << "press and release are swallowed";
  expectScrollingStopped(app.plain, WM_HSCROLL);
  std::vector<uint32_t> all = scrollCodes(app.plain, WM_HSCROLL);
  EXPECT_TRUE(onlyPairs(all, SB_LINERIGHT) && all.size() % 4 == 0) << "panHCount 2";
  EXPECT_TRUE(scrollCodes(app.plain, WM_VSCROLL).empty());
  EXPECT_TRUE(received(app.plain, {WM_MOUSEWHEEL, WM_MOUSEHWHEEL}).empty());
}

// Over each view without scroll bars: a click pan up and left of the anchor scrolls it down
// and right, as a classic window would, a drag pan down and right scrolls it up and left; the
// axis twice as far scrolls faster in the same ticks; both stop with the gesture.
TEST_F(EndToEnd, PanOverViewsWithoutScrollBarsScrollsThemAsFarAsAClassicEdit) {
  qor = startQor();
  // The same click-pan, 90 pixels up for two seconds, over each view: the lines it scrolled
  // down, and the wheel messages it took for them.
  auto pan = [&](HWND view) {
    restAt(view, clientCentre(view));
    click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    moveTo(offset(clientCentre(view), 0, -90));
    Sleep(2000);
    click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    sync(view);
    EXPECT_FALSE(anyRightButton(view));
    int lines = 0;
    for (const TestLogEntry& e : received(view, {TESTAPP_WM_SCROLLED})) lines += int32_t(e.lParam);
    for (uint32_t code : scrollCodes(view, WM_VSCROLL)) lines += code == SB_LINEDOWN;
    return std::make_pair(lines, received(view, {WM_MOUSEWHEEL}).size());
  };
  const int classic = pan(app.editView).first;
  ASSERT_GT(classic, 10);
  for (int view : {kChromiumView, kWpfView, kSdlView}) {
    SCOPED_TRACE(kTestWheelViewClasses[view]);
    const auto [lines, messages] = pan(app.wheelViews[view]);
    std::printf("[ figures  ] %s: %d lines in %zu wheel messages; the edit: %d lines\n",
                kTestWheelViewClasses[view], lines, messages, classic);
    EXPECT_GT(lines, classic / 1.5);
    EXPECT_LT(lines, classic * 1.5);
    if (view == kChromiumView) {
      EXPECT_NEAR(lines, classic, classic / 10.0) << "as far as the line steps";
      EXPECT_GT(messages, size_t(classic)) << "small deltas, not a notch per emission";
    }
  }
  // A window that takes the mouse as pointer input: Qor leaves it its right-click.
  HWND pointerView = app.wheelViews[kCoreWindowView];
  restAt(pointerView, clientCentre(pointerView));
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  sync(pointerView);
  EXPECT_EQ(received(pointerView, {WM_RBUTTONDOWN, WM_RBUTTONUP}).size(), 2u);
}

TEST_F(EndToEnd, LeftPressWhilePanningReachesTheApplicationAndMiddleButtonsPass) {
  qor = startQor();
  POINT centre = clientCentre(app.plain);
  restAt(app.plain, centre);
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  moveTo(offset(centre, 0, 60));
  ASSERT_TRUE(waitForScrolls(app.plain, WM_VSCROLL, 6));
  EXPECT_TRUE(onlyPairs(scrollCodes(app.plain, WM_VSCROLL), SB_LINEUP));
  click(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
  EXPECT_TRUE(waitFor([&] { return received(app.plain, {WM_MBUTTONUP}).size() == 1; }));
  EXPECT_EQ(received(app.plain, {WM_MBUTTONDOWN}).size(), 1u);
  inject(MOUSEEVENTF_LEFTDOWN);
  EXPECT_TRUE(waitFor([&] { return !received(app.plain, {WM_LBUTTONDOWN}).empty(); }));
  inject(MOUSEEVENTF_LEFTUP);  // ends the pan, and passes too
  EXPECT_TRUE(waitFor([&] { return !received(app.plain, {WM_LBUTTONUP}).empty(); }));
  sync(app.plain);
  expectScrollingStopped(app.plain, WM_VSCROLL);
}

// With the middle button as the pan button, a right-click is the application's again (its menu
// too) but on a scroll bar, where it still arms extended scroll; a middle click pans until the
// next, a middle drag while it is held.
TEST_F(EndToEnd, TheMiddlePanButtonPansAndLeavesTheRightButtonToTheApplication) {
  const DWORD middle = 1;
  storeUserOption("PanButton", REG_DWORD, &middle, sizeof middle);
  qor = startQor();
  const POINT centre = clientCentre(app.plain);
  const DWORD click = MOUSEEVENTF_MIDDLEDOWN | MOUSEEVENTF_MIDDLEUP;
  struct { DWORD before, after; POINT to; UINT scroll; } rows[] = {
      {MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP, 0, centre, 0},
      {click, click, offset(centre, 0, -60), WM_VSCROLL},
      {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, offset(centre, -60, 0), WM_HSCROLL}};
  for (auto r : rows) {
    moveTo(centre);
    sync(app.plain, true);
    clearLog();
    inject(r.before);
    moveTo(r.to);
    EXPECT_TRUE(!r.scroll || waitForScrolls(app.plain, r.scroll, 4)) << r.scroll;
    // A right-click before a sync by the right button: it must have arrived before sync counts.
    EXPECT_TRUE(r.scroll || waitFor([&] { return !received(app.plain, {WM_CONTEXTMENU}).empty(); }));
    if (r.after) inject(r.after);
    sync(app.plain, true);
    if (r.scroll) expectScrollingStopped(app.plain, r.scroll);
    EXPECT_TRUE(received(app.plain, {WM_MBUTTONDOWN, WM_MBUTTONUP}).empty());
    EXPECT_EQ(received(app.plain, {WM_CONTEXTMENU}).size(), r.scroll ? 1u : 2u) << "with sync's";
  }
  RECT client;
  GetClientRect(app.plain, &client);
  POINT bar = {client.right + GetSystemMetrics(SM_CXVSCROLL) / 2, client.bottom / 2};
  ClientToScreen(app.plain, &bar);
  moveTo(bar);
  clearLog();
  inject(MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP);
  inject(MOUSEEVENTF_LEFTDOWN);
  EXPECT_TRUE(waitForScrolls(app.plain, WM_VSCROLL, 2)) << "extended scroll was not armed";
  inject(MOUSEEVENTF_LEFTUP);
  EXPECT_FALSE(anyRightButton(app.plain));
  moveTo(centre);
}

// Over a program left alone (listed in another case) every event reaches it and, once the pointer
// is in, its library sends Qor nothing; the test application, listed with a profile of its own,
// pans as far as that profile says (any other program's the current one: natively).
TEST_F(EndToEnd, AProgramLeftAloneKeepsItsRightClicksAndAListedOnePansWithItsProfile) {
  const char listed[] = "QOR_LEFT_ALONE.EXE\0", withProfile[] = "qor_testapp.exe\tfast\0";
  storeUserOption("LeaveAlone", REG_MULTI_SZ, listed, sizeof listed);
  storeUserOption("ProgramProfiles", REG_MULTI_SZ, withProfile, sizeof withProfile);
  ProfileSettings fast = testSettings();
  fast.panVCount = 5;
  unsigned char record[kSettingsBytes];
  settingsToBytes(fast, record);
  storeUserOption("A1", REG_BINARY, record, sizeof record);
  storeUserOption("N1", REG_SZ, "fast", 5);
  storeUserOption("DataEnd", REG_SZ, "2", 2);
  ASSERT_TRUE(CopyFileA("qor_testapp.exe", "qor_left_alone.exe", FALSE));
  TestAppProcess alone = startTestApp(TESTAPP_SECOND, "qor_left_alone.exe");
  qor = startQor();
  EventSlotsView block = mapEventSlots();
  ASSERT_TRUE(alone.plain && block.slots);
  auto sendsSoFar = [&] {
    uint32_t sends = block.slots->kept.version;
    for (const EventSlot& slot : block.slots->slot) sends += slot.uses;
    return sends;
  };
  const POINT centre = clientCentre(alone.plain);
  restAt(alone.plain, centre);
  const uint32_t before = sendsSoFar();
  moveTo(offset(centre, 5, 5));
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  sync(alone.plain);
  EXPECT_EQ(received(alone.plain, {WM_RBUTTONDOWN, WM_RBUTTONUP}).size(), 2u) << "a pan started";
  EXPECT_EQ(sendsSoFar(), before) << "the library in the program left alone sent Qor events";
  stopTestApp(alone);
  UnmapViewOfFile(block.slots);
  CloseHandle(block.mapping);

  const POINT plain = clientCentre(app.plain);
  restAt(app.plain, plain);
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  moveTo(offset(plain, 0, -60));
  ASSERT_TRUE(waitForScrolls(app.plain, WM_VSCROLL, 10));
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  sync(app.plain);
  expectScrollingStopped(app.plain, WM_VSCROLL);
  const std::vector<uint32_t> steps = scrollCodes(app.plain, WM_VSCROLL);
  EXPECT_TRUE(onlyPairs(steps, SB_LINEDOWN) && steps.size() % 10 == 0) << "fast's panVCount 5: " << steps.size();
}

TEST_F(EndToEnd, ExtendedScrollOnAWindowsOwnVerticalScrollBar) {
  qor = startQor();
  RECT client;
  GetClientRect(app.plain, &client);
  POINT bar = {client.right, client.bottom / 2};
  ClientToScreen(app.plain, &bar);
  bar.x += GetSystemMetrics(SM_CXVSCROLL) / 2;
  restAt(app.plain, bar);
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);  // arms, then starts extended scroll
  sync(app.plain);
  EXPECT_FALSE(anyRightButton(app.plain));
  inject(MOUSEEVENTF_LEFTDOWN);  // the left button scrolls up: one step at once, then repeats
  ASSERT_TRUE(waitForScrolls(app.plain, WM_VSCROLL, 8));
  inject(MOUSEEVENTF_LEFTUP);
  sync(app.plain);
  EXPECT_TRUE(received(app.plain, {WM_NCLBUTTONDOWN, WM_NCLBUTTONUP}).empty())
      << "the left button is swallowed while it scrolls";
  expectScrollingStopped(app.plain, WM_VSCROLL);
  std::vector<uint32_t> all = scrollCodes(app.plain, WM_VSCROLL);
  EXPECT_TRUE(onlyPairs(all, SB_LINEUP) && all.size() % 4 == 0) << "extScrollVCount 2";
  moveTo(clientCentre(app.plain));  // off the scroll bar: extended scroll ends
}

TEST_F(EndToEnd, ExtendedScrollOnAHorizontalScrollBarControlScrollsItsParent) {
  qor = startQor();
  HWND bar = GetDlgItem(app.main, kTestHScrollBar);
  restAt(bar, windowCentre(bar));
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  sync(bar);
  EXPECT_FALSE(anyRightButton(bar));
  inject(MOUSEEVENTF_LEFTDOWN);  // on a horizontal element the left button scrolls right
  ASSERT_TRUE(waitForScrolls(app.main, WM_HSCROLL, 8, bar));
  inject(MOUSEEVENTF_LEFTUP);
  sync(bar);
  EXPECT_TRUE(received(bar, {WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());
  expectScrollingStopped(app.main, WM_HSCROLL, bar);
  std::vector<uint32_t> all = scrollCodes(app.main, WM_HSCROLL, bar);
  EXPECT_TRUE(onlyPairs(all, SB_LINERIGHT) && all.size() % 8 == 0) << "extScrollHCount 4";
  EXPECT_TRUE(scrollCodes(app.main, WM_VSCROLL, bar).empty());
  moveTo(clientCentre(app.plain));
}

TEST_F(EndToEnd, DesktopDoubleClickMovesToAndPressesTheStartButton) {
  ProfileSettings settings = testSettings();
  settings.dblClickMovesToStart = 1;
  settings.dblClickOpensStartMenu = 1;
  storeProfile(settings);
  HWND desktop = FindWindowA("Progman", "Program Manager");
  HWND taskbar = FindWindowA("Shell_TrayWnd", "");
  ASSERT_TRUE(desktop && taskbar);
  DWORD pid = 0;
  GetWindowThreadProcessId(taskbar, &pid);
  ASSERT_EQ(pid, app.process.dwProcessId) << "Qor must find the stand-in, not Wine's taskbar";
  HWND start = FindWindowExA(taskbar, nullptr, "Button", nullptr);
  qor = startQor();
  moveTo(clientCentre(desktop));  // the empty background of the desktop's list view
  clearLog();
  leftDoubleClick();
  expectStartButtonPressed(taskbar, start);
}

TEST_F(EndToEnd, ExitFreesThePointerOverEveryMonitor) {
  qor = startQor();
  RECT confined = {100, 100, 200, 200};
  ClipCursor(&confined);
  chooseFromTrayMenu(qor, WM_RBUTTONDOWN, "X");
  ASSERT_EQ(waitForExit(qor.process), 0u);
  RECT clip = {};
  GetClipCursor(&clip);
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  EXPECT_EQ(clip.left, left);
  EXPECT_EQ(clip.top, top);
  EXPECT_EQ(clip.right, left + GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(clip.bottom, top + GetSystemMetrics(SM_CYVIRTUALSCREEN));
  ClipCursor(nullptr);
}

// The tray icon welcomes the user until they have seen the balloon: one that Do Not Disturb kept
// back comes again. A second start asks the first copy to open its settings (or to bring them
// to the front) and ends. A window of Qor's class that another process made first neither
// keeps Qor from starting nor hears from it.
TEST_F(EndToEnd, ASecondCopyOpensTheFirstOnesSettingsAndEndsAndTheFirstRunsOn) {
  HWND taskbar = windowOfProcess("Shell_TrayWnd", app.process.dwProcessId);
  WNDCLASSA wc = {0, DefWindowProcA, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr,
                  nullptr, MAIN_WINDOW_CLASS};
  RegisterClassA(&wc);
  HWND standIn = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Qor", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, wc.hInstance, nullptr);
  qor = startQor();
  SendMessageA(qor.main, trayCallbackMessage, 0, NIN_BALLOONTIMEOUT);  // never shown
  EXPECT_EQ(endQor(qor), 0u);
  qor = startQor();
  SendMessageA(qor.main, trayCallbackMessage, 0, NIN_BALLOONSHOW);
  SendMessageA(qor.main, trayCallbackMessage, 0, NIN_BALLOONTIMEOUT);
  size_t balloons = 0;
  for (const TestLogEntry& e : received(taskbar, {WM_COPYDATA})) balloons += e.lParam == NIM_MODIFY;
  EXPECT_EQ(balloons, 2u);
  HWND dialog = nullptr;
  for (int start = 0; start < 2; ++start) {
    PROCESS_INFORMATION second = launchBeside("Qor.exe", "");
    EXPECT_EQ(waitForExit(second), 0u);
    EXPECT_TRUE(waitFor([&] { return (dialog = windowOfProcess("#32770", qor.process.dwProcessId)); }));
    EXPECT_TRUE(waitFor([&] { return GetForegroundWindow() == dialog; })) << start;
  }
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog); }));
  expectRightClickSwallowed(true);
  MSG posted;  // what Qor would post it; this thread reads no messages meanwhile
  EXPECT_FALSE(PeekMessageA(&posted, standIn, WM_USER, 0xBFFF, PM_REMOVE)) << "it heard from Qor";
  DestroyWindow(standIn);
}

// Touch and pen start nothing, a program that confines the pointer keeps its right-clicks, and a
// pan ends when the session is locked or the machine goes to sleep; standby stays.
TEST_F(EndToEnd, TouchAConfinedPointerAndTheDesktopGoingAwayLeaveNoPan) {
  qor = startQor();
  const POINT centre = clientCentre(app.plain);
  for (bool confined : {false, true}) {
    restAt(app.plain, centre);
    RECT clip = {centre.x - 100, centre.y - 100, centre.x + 100, centre.y + 100};
    if (confined) ClipCursor(&clip);
    INPUT rightClick[2] = {mouseInput(MOUSEEVENTF_RIGHTDOWN), mouseInput(MOUSEEVENTF_RIGHTUP)};
    for (INPUT& i : rightClick) i.mi.dwExtraInfo = confined ? 0 : 0xFF515780;  // a pen's
    SendInput(2, rightClick, sizeof rightClick[0]);
    moveTo(offset(centre, 0, -60));
    sync(app.plain);
    EXPECT_EQ(received(app.plain, {WM_RBUTTONDOWN, WM_RBUTTONUP}).size(), 2u) << confined;
    expectScrollingStopped(app.plain, WM_VSCROLL);
    EXPECT_TRUE(scrollCodes(app.plain, WM_VSCROLL).empty()) << confined;
    ClipCursor(nullptr);
  }
  const std::pair<UINT, WPARAM> goingAway[] = {{WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK},
                                               {WM_POWERBROADCAST, PBT_APMSUSPEND}};
  for (auto [message, reason] : goingAway) {
    restAt(app.plain, centre);
    click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    moveTo(offset(centre, 0, -60));
    ASSERT_TRUE(waitForScrolls(app.plain, WM_VSCROLL, 2));
    SendMessageA(qor.main, message, reason, 0);
    Sleep(300);  // a tick's steps under way may finish: they spend at most its 100 ms send budget
    expectScrollingStopped(app.plain, WM_VSCROLL);
    expectRightClickSwallowed(true);
  }
}

// Without click-pan a right-click reaches the window, its menu too; a right-drag still pans.
TEST_F(EndToEnd, WithoutClickPanARightClickReachesTheWindowAndARightDragStillPans) {
  const DWORD off = 0;
  storeUserOption("ClickPan", REG_DWORD, &off, sizeof off);
  qor = startQor();
  const POINT centre = clientCentre(app.plain);
  restAt(app.plain, centre);
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  EXPECT_TRUE(waitFor([&] { return received(app.plain, {WM_CONTEXTMENU}).size() == 1; }));
  EXPECT_EQ(received(app.plain, {WM_RBUTTONDOWN, WM_RBUTTONUP}).size(), 2u);
  restAt(app.plain, centre);
  inject(MOUSEEVENTF_RIGHTDOWN);
  moveTo(offset(centre, -60, 0));
  EXPECT_TRUE(waitForScrolls(app.plain, WM_HSCROLL, 4));
  inject(MOUSEEVENTF_RIGHTUP);
  sync(app.plain);
  EXPECT_FALSE(anyRightButton(app.plain)) << "the drag's press and release are swallowed";
  expectScrollingStopped(app.plain, WM_HSCROLL);
}

TEST_F(EndToEnd, OddCommandLinesStillStartWithWorkingHooks) {
  for (const char* arguments : {"abc", "-20", "  250xyz", "99999999999999999999"}) {
    qor = startQor(arguments);
    expectRightClickSwallowed(true);
    EXPECT_EQ(endQor(qor), 0u) << arguments;
  }
}

TEST_F(EndToEnd, DelayedStartInstallsTheHooksOnlyAfterTheDelay) {
  ProfileSettings settings = testSettings();
  settings.delayedStart = 1;
  settings.startDelaySeconds = 60;  // the longest the settings offer: it outlasts this part
  storeProfile(settings);
  qor = startQor("5", false);
  EXPECT_FALSE(hooksInstalled(qor)) << "hooks at creation";
  expectRightClickSwallowed(false);
  EXPECT_FALSE(hooksInstalled(qor)) << "hooks while the delay runs";
  EXPECT_EQ(endQor(qor), 0u);
  settings.startDelaySeconds = 1;
  storeProfile(settings);
  qor = startQor("5", false);
  ASSERT_TRUE(waitFor([&] { return hooksInstalled(qor); }, 15000));
  expectRightClickSwallowed(true);
}

TEST_F(EndToEnd, PeerGreetingRequestsAndFarewell) {
  HWND peer = FindWindowA(PEER_WINDOW_CLASS, nullptr);
  ASSERT_TRUE(peer);
  qor = startQor();
  std::vector<TestLogEntry> notices = received(peer, {kMsgPeer});
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, handle32Of(qor.main));
  EXPECT_EQ(notices[0].lParam, uint32_t(kPeerHello));

  EXPECT_EQ(SendMessageA(qor.hook, kMsgPeer, 0, kPeerQuery), 0);
  EXPECT_EQ(SendMessageA(qor.hook, kMsgPeer, 0, kPeerDisable), 0);
  POINT centre = clientCentre(app.plain);
  restAt(app.plain, centre);
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  moveTo(offset(centre, 0, -60));
  sync(app.plain);
  EXPECT_EQ(received(app.plain, {WM_RBUTTONDOWN, WM_RBUTTONUP}).size(), 2u)
      << "disabled: the right-click passes";
  Sleep(1000);
  EXPECT_TRUE(scrollCodes(app.plain, WM_VSCROLL).empty()) << "disabled: nothing scrolls";
  EXPECT_EQ(SendMessageA(qor.hook, kMsgPeer, 0, kPeerEnable), 0);
  expectRightClickSwallowed(true);

  clearLog();
  EXPECT_EQ(endQor(qor), 0u);
  notices = received(peer, {kMsgPeer});
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, 0u);
  EXPECT_EQ(notices[0].lParam, uint32_t(kPeerGoodbye));
}

TEST_F(EndToEnd, PeerModeThreeRefusesToEnable) {
  ProfileSettings settings = testSettings();
  settings.peerMode = 3;
  storeProfile(settings);
  qor = startQor();
  EXPECT_EQ(SendMessageA(qor.hook, kMsgPeer, 0, kPeerQuery), 3);
  SendMessageA(qor.hook, kMsgPeer, 0, kPeerDisable);
  SendMessageA(qor.hook, kMsgPeer, 0, kPeerEnable);
  expectRightClickSwallowed(false);
}

TEST_F(EndToEnd, ForgedMessagesChangeNothing) {
  qor = startQor();
  for (LPARAM ticket : {LPARAM(0), LPARAM(-1), LPARAM(kEventTicketLimit), LPARAM(INT32_MIN),
                        LPARAM(12345), LPARAM(int64_t(1) << 40)})
    EXPECT_EQ(SendMessageA(qor.hook, kMsgMouseEvent, WM_RBUTTONDOWN, ticket), kAnswerPass)
        << ticket;
  for (LPARAM code : {LPARAM(5), LPARAM(-1), LPARAM(100), LPARAM(int64_t(1) << 33)})
    EXPECT_EQ(SendMessageA(qor.hook, kMsgPeer, 0, code), 0) << code;
  EXPECT_EQ(SendMessageA(qor.hook, kMsgPeer, 0, kPeerQuery), 0);
  expectRightClickSwallowed(true);
  EXPECT_EQ(WaitForSingleObject(qor.process.hProcess, 0), DWORD(WAIT_TIMEOUT));
}

TEST_F(EndToEnd, ExitThroughTheTrayMenuStoresTheProfileWithSaveOnExit) {
  ProfileSettings settings = testSettings();
  settings.saveOnExit = 1;
  storeProfile(settings);
  qor = startQor();
  chooseFromTrayMenu(qor, WM_LBUTTONDOWN, "A");    // extended scroll 1 -> 0
  chooseFromTrayMenu(qor, WM_RBUTTONDOWN, "A1A");  // move to Start 0 -> 1
  moveTo({300, 560});  // free screen, so that the menu opens there, whole
  PostMessageA(qor.main, kTrayCallback, 0, WM_RBUTTONDOWN);
  HWND menu = nullptr;
  ASSERT_TRUE(waitFor([&] { return (menu = qorMenuWindow(qor)) != nullptr; }));
  RECT r;
  GetWindowRect(menu, &r);
  moveTo({(r.left + r.right) / 2, r.bottom - 8});  // the last item: "終了(&X)"
  click(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(waitForExit(qor.process), 0u);
  EXPECT_FALSE(FindWindowA(HOOK_CLASS_NAME, HOOK_WINDOW_NAME));
  EXPECT_EQ(storedField(&ProfileSettings::extScrollEnabled), 0) << "toggled and stored";
  EXPECT_EQ(storedField(&ProfileSettings::dblClickMovesToStart), 1) << "toggled and stored";
  expectRightClickSwallowed(false);  // the hooks are gone with Qor
}

TEST_F(EndToEnd, ExitThroughWmCloseKeepsTheStoreWithoutSaveOnExit) {
  std::vector<unsigned char> before = storedRecord();
  qor = startQor();
  chooseFromTrayMenu(qor, WM_LBUTTONDOWN, "A");
  chooseFromTrayMenu(qor, WM_LBUTTONDOWN, "S");
  EXPECT_EQ(endQor(qor), 0u);
  EXPECT_FALSE(FindWindowA(HOOK_CLASS_NAME, HOOK_WINDOW_NAME));
  EXPECT_EQ(storedRecord(), before);
  expectRightClickSwallowed(false);
}

TEST_F(EndToEnd, NoTrayMenuOpensWhileTheAboutBoxIsOpen) {
  qor = startQor();
  moveTo({300, 560});
  chooseFromTrayMenu(qor, WM_LBUTTONDOWN, "WA");  // ﾍﾙﾌﾟ, About
  HWND about = nullptr;
  ASSERT_TRUE(waitFor([&] {
    about = FindWindowW(L"#32770", L"Qor95のﾊﾞｰｼﾞｮﾝ情報");
    return about && IsWindowVisible(about);
  }));
  // A shown menu would hold the callback until it closed; none may show.
  for (UINT button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(qor.main, kTrayCallback, 0, button, SMTO_NORMAL, 5000, &answer))
        << button;
    EXPECT_FALSE(qorMenuWindow(qor));
  }
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(waitFor([&] { return !IsWindow(about); }));
  // With the About box closed the same callback shows the menu.
  PostMessageA(qor.main, kTrayCallback, 0, WM_LBUTTONDOWN);
  EXPECT_TRUE(waitFor([&] { return qorMenuWindow(qor) != nullptr; }));
  PostMessageA(qor.main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(waitFor([&] { return qorMenuWindow(qor) == nullptr; }));
}

TEST_F(EndToEnd, EndOfSessionStoresTheProfileWhateverSaveOnExitHolds) {
  std::vector<unsigned char> before = storedRecord();
  qor = startQor();
  chooseFromTrayMenu(qor, WM_LBUTTONDOWN, "A");  // extended scroll 1 -> 0, in memory only
  SendMessageA(qor.main, WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(storedRecord(), before) << "the session goes on: nothing is stored";
  SendMessageA(qor.main, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(storedField(&ProfileSettings::extScrollEnabled), 0);
  EXPECT_EQ(storedField(&ProfileSettings::saveOnExit), 0) << "saveOnExit stays off";
  EXPECT_TRUE(IsWindow(qor.hook)) << "nothing else stops";
  moveTo(offset(clientCentre(app.plain), 5, 5));  // uses up the menu loop's notice
  expectRightClickSwallowed(true);
}

TEST_F(EndToEnd, AHungQorLetsEveryEventPass) {
  qor = startQor();
  moveTo(clientCentre(app.plain));
  sync(app.plain);
  HANDLE hookThread =
      OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(qor.hook, nullptr));
  ASSERT_TRUE(hookThread);
  SuspendThread(hookThread);
  clearLog();
  click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  bool passed = waitFor([&] { return !received(app.plain, {WM_RBUTTONUP}).empty(); });
  ResumeThread(hookThread);
  CloseHandle(hookThread);
  EXPECT_TRUE(passed) << "a right-click in standby passes while the hook window cannot answer";
  EXPECT_EQ(received(app.plain, {WM_RBUTTONDOWN}).size(), 1u);
  // The late messages name event tickets that are gone: the engine goes on unchanged.
  expectRightClickSwallowed(true);
}
