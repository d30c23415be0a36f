// Qor.exe end to end under Wine: started as a user starts it, beside the test application in
// a process of its own; real input injected with SendInput; what reached the application is
// read from the application's log. Waits poll with time limits; the few fixed pauses check
// that something stopped happening.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <vector>

#include "engine/hookthread/hook_protocol.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include "tests/testapp/launch.h"

namespace {
const char kStoreKey[] = "software\\Tesk\\Qor";
const UINT kTrayCallback = WM_APP + 100;
const DWORD kStartMs = 20000;  // Wine may be slow to start a process

bool waitFor(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

uint32_t handle32(HWND window) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

// ---- The profile store, written before Qor starts and read after it ended.

ProfileSettings testSettings() {
  ProfileSettings s;
  copySettings(s, defaultSettings);
  s.saveOnExit = 0;
  s.startInStandby = 1;
  s.panHCount = 2;
  s.panVCount = 3;
  s.panHResponse = 5;  // 60 pixels from the anchor: one emission every 400 ms
  s.panVResponse = 5;
  s.extScrollHCount = 4;
  s.extScrollVCount = 2;
  return s;
}

void storeProfile(const ProfileSettings& settings) {
  RegDeleteKeyA(HKEY_CURRENT_USER, kStoreKey);
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kStoreKey, &key), ERROR_SUCCESS);
  char one[10] = "1", zero[10] = "0", name[kProfileNameBytes] = "e2e";
  unsigned char bytes[kSettingsBytes];
  settingsToBytes(settings, bytes);
  RegSetValueExA(key, "DataEnd", 0, REG_SZ, reinterpret_cast<BYTE*>(one), sizeof one);
  RegSetValueExA(key, "Data", 0, REG_SZ, reinterpret_cast<BYTE*>(zero), sizeof zero);
  RegSetValueExA(key, "A0", 0, REG_BINARY, bytes, sizeof bytes);
  RegSetValueExA(key, "N0", 0, REG_SZ, reinterpret_cast<BYTE*>(name), sizeof name);
  RegCloseKey(key);
}

std::vector<unsigned char> storedRecord() {
  std::vector<unsigned char> bytes(kSettingsBytes);
  DWORD size = kSettingsBytes;
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kStoreKey, &key) != ERROR_SUCCESS) return {};
  LONG read = RegQueryValueExA(key, "A0", nullptr, nullptr, bytes.data(), &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS && size == kSettingsBytes ? bytes : std::vector<unsigned char>{};
}

int32_t storedField(int field) {
  std::vector<unsigned char> bytes = storedRecord();
  if (bytes.empty()) return INT32_MIN;
  unsigned char record[kSettingsBytes];
  std::copy(bytes.begin(), bytes.end(), record);
  ProfileSettings s;
  settingsFromBytes(s, record);
  return s.field(field);
}

// ---- Qor.exe, started as a user starts it.

struct QorProcess {
  PROCESS_INFORMATION process = {};
  HWND main = nullptr;
  HWND hook = nullptr;
};

LRESULT mouseHookOf(HWND hook) { return SendMessageA(hook, kMsgMouseHook, 0, 0); }

// Started when the main window carries its title and the hook window exists; with
// hooksAtOnce, also when the hook window answers a mouse hook handle.
QorProcess startQor(const char* arguments = "5", bool hooksAtOnce = true) {
  QorProcess qor;
  qor.process = launchBeside("Qor.exe", arguments);
  EXPECT_TRUE(qor.process.hProcess) << "Qor.exe did not start";
  EXPECT_TRUE(waitFor([&] {
    qor.main = FindWindowA("QorWClass", "Qor95 Ver1.0");
    qor.hook = FindWindowA(HOOK_CLASS_NAME, HOOK_WINDOW_NAME);
    return qor.main && qor.hook;
  }, kStartMs)) << "Qor's windows did not appear";
  if (hooksAtOnce) {
    EXPECT_TRUE(waitFor([&] { return mouseHookOf(qor.hook) != 0; }));
  }
  return qor;
}

DWORD waitForExit(PROCESS_INFORMATION& process) {
  DWORD code = 999;
  if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &code);
  else
    TerminateProcess(process.hProcess, 999);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  process = {};
  return code;
}

// Asks Qor to end (WM_CLOSE, or a command such as IDM_EXIT); answers its exit code.
DWORD endQor(QorProcess& qor, UINT command = 0) {
  if (command) PostMessageA(qor.main, WM_COMMAND, command, 0);
  else PostMessageA(qor.main, WM_CLOSE, 0, 0);
  return waitForExit(qor.process);
}

// A visible popup menu window of Qor's process.
HWND qorMenuWindow(const QorProcess& qor) {
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w;
       w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == qor.process.dwProcessId && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// ---- Real input.

void inject(DWORD flags, POINT at = {0, 0}) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    // Normalised coordinates that land on the very pixel (x * 65536 / width, rounded up).
    const LONG w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = (at.x * 65536 + w - 1) / w;
    input.mi.dy = (at.y * 65536 + h - 1) / h;
  }
  SendInput(1, &input, sizeof input);
}

// Every call makes a movement event: Wine reports none for a move onto the same pixel.
void moveTo(POINT to) {
  POINT at;
  GetCursorPos(&at);
  if (at.x == to.x && at.y == to.y) inject(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, {to.x + 1, to.y});
  inject(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, to);
  EXPECT_TRUE(waitFor([&] {
    POINT at;
    GetCursorPos(&at);
    return at.x == to.x && at.y == to.y;
  })) << "pointer did not reach " << to.x << "," << to.y;
}

void click(DWORD down, DWORD up) {
  inject(down);
  inject(up);
}

POINT clientCentre(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  POINT p = {r.right / 2, r.bottom / 2};
  ClientToScreen(window, &p);
  return p;
}

POINT windowCentre(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT offset(POINT p, LONG dx, LONG dy) { return {p.x + dx, p.y + dy}; }

class EndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app = startTestApp(TESTAPP_STAND_INS);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, TESTAPP_LOG_NAME);
    if (mapping) testLog = static_cast<const TestLog*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  }
  static void TearDownTestSuite() {
    stopTestApp(app);
    RegDeleteKeyA(HKEY_CURRENT_USER, kStoreKey);
  }
  void SetUp() override {
    ASSERT_TRUE(app.main && app.plain && testLog) << "test application did not start";
    ASSERT_FALSE(FindWindowA("QorWClass", nullptr)) << "a Qor of an earlier test still runs";
    storeProfile(testSettings());
    clearLog();
  }
  void TearDown() override {
    if (qor.process.hProcess) {
      EXPECT_EQ(endQor(qor), 0u);
    }
  }

  // ---- What reached the test application.
  static void clearLog() { SendMessageA(app.main, TESTAPP_WM_CLEAR_LOG, 0, 0); }
  static std::vector<TestLogEntry> received(HWND window, std::initializer_list<UINT> messages) {
    std::vector<TestLogEntry> found;
    LONG count = testLog->count;
    for (LONG i = 0; i < count && i < kTestLogCapacity; ++i) {
      const TestLogEntry& e = testLog->entry[i];
      for (UINT m : messages)
        if (e.window == handle32(window) && e.message == m) found.push_back(e);
    }
    return found;
  }
  // The scroll codes (wParam) of message that window received with lParam from.
  static std::vector<uint32_t> scrollCodes(HWND window, UINT message, HWND from = nullptr) {
    std::vector<uint32_t> codes;
    for (const TestLogEntry& e : received(window, {message})) {
      EXPECT_EQ(e.lParam, handle32(from)) << "scroll message from an unexpected control";
      codes.push_back(e.wParam);
    }
    return codes;
  }
  static bool waitForScrolls(HWND window, UINT message, size_t count, HWND from = nullptr) {
    return waitFor([&] { return scrollCodes(window, message, from).size() >= count; });
  }
  // Everything injected so far has been handled: a middle click, which always passes, has
  // reached window (client or frame) under the pointer.
  static void sync(HWND window) {
    size_t before = received(window, {WM_MBUTTONUP, WM_NCMBUTTONUP}).size();
    click(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
    EXPECT_TRUE(waitFor([&] {
      return received(window, {WM_MBUTTONUP, WM_NCMBUTTONUP}).size() > before;
    })) << "the middle click did not reach the window";
  }
  // The pointer rests at p over window, everything before handled, the log empty.
  static void restAt(HWND window, POINT p) {
    moveTo(p);
    sync(window);
    clearLog();
  }
  static bool anyRightButton(HWND window) {
    return !received(window, {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_NCRBUTTONDOWN, WM_NCRBUTTONUP})
                .empty();
  }
  // Stays at count scroll messages for a while: the repeat has stopped.
  static void expectScrollingStopped(HWND window, UINT message, HWND from = nullptr) {
    size_t count = scrollCodes(window, message, from).size();
    Sleep(1000);  // two and a half pan intervals, ten extended-scroll intervals
    EXPECT_EQ(scrollCodes(window, message, from).size(), count) << "scrolling went on";
  }
  // A right-click in standby over the plain window is swallowed: the pointer engine runs.
  static void expectRightClickSwallowed(bool swallowed) {
    restAt(app.plain, clientCentre(app.plain));
    click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    sync(app.plain);
    EXPECT_EQ(anyRightButton(app.plain), !swallowed);
    if (swallowed) click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);  // ends the pan again
    sync(app.plain);
  }

  static TestAppProcess app;
  static const TestLog* testLog;
  QorProcess qor;
};
TestAppProcess EndToEnd::app;
const TestLog* EndToEnd::testLog = nullptr;

// Repeated emissions of (line, SB_ENDSCROLL) pairs, count pairs each.
bool onlyPairs(const std::vector<uint32_t>& codes, uint32_t line) {
  if (codes.empty() || codes.size() % 2) return false;
  for (size_t i = 0; i < codes.size(); ++i)
    if (codes[i] != (i % 2 ? uint32_t(SB_ENDSCROLL) : line)) return false;
  return true;
}
}  // namespace

TEST_F(EndToEnd, PanByRightClickScrollsUntilTheNextRightClick) {
  qor = startQor();
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
  HWND start = GetTopWindow(taskbar);
  qor = startQor();
  moveTo(clientCentre(desktop));  // the empty background of the desktop's list view
  clearLog();
  INPUT clicks[4] = {};
  const DWORD buttons[4] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN,
                            MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 4; ++i) {
    clicks[i].type = INPUT_MOUSE;
    clicks[i].mi.dwFlags = buttons[i];
  }
  SendInput(4, clicks, sizeof clicks[0]);
  ASSERT_TRUE(waitFor([&] { return !received(start, {WM_LBUTTONDOWN}).empty(); }));
  EXPECT_EQ(received(start, {WM_LBUTTONDOWN})[0].wParam, uint32_t(MK_LBUTTON));
  EXPECT_FALSE(received(taskbar, {WM_SETFOCUS}).empty());
  POINT at;
  GetCursorPos(&at);
  RECT r;
  GetWindowRect(start, &r);
  EXPECT_EQ(at.x, (r.left + r.right) / 2);
  EXPECT_EQ(at.y, (r.top + r.bottom) / 2);
  SendMessageA(start, WM_LBUTTONUP, 0, 0);  // the stand-in button lets go of the mouse
}

TEST_F(EndToEnd, ASecondCopyEndsAtOnceAndTheFirstRunsOn) {
  qor = startQor();
  PROCESS_INFORMATION second = launchBeside("Qor.exe", "");
  ASSERT_TRUE(second.hProcess);
  EXPECT_EQ(waitForExit(second), 0u);
  EXPECT_EQ(FindWindowA("QorWClass", nullptr), qor.main);
  EXPECT_NE(mouseHookOf(qor.hook), 0);
  expectRightClickSwallowed(true);
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
  settings.startDelaySeconds = 2;
  storeProfile(settings);
  DWORD launched = GetTickCount();
  qor = startQor("5", false);
  LRESULT early = mouseHookOf(qor.hook);
  DWORD earlyAt = GetTickCount() - launched;
  if (earlyAt < 2000) {
    EXPECT_EQ(early, 0) << "hooks at " << earlyAt << " ms";
  }
  ASSERT_TRUE(waitFor([&] { return mouseHookOf(qor.hook) != 0; }, 15000));
  EXPECT_GE(GetTickCount() - launched, 2000u);
  expectRightClickSwallowed(true);
}

TEST_F(EndToEnd, PeerGreetingRequestsAndFarewell) {
  HWND peer = FindWindowA(PEER_WINDOW_CLASS, nullptr);
  ASSERT_TRUE(peer);
  qor = startQor();
  std::vector<TestLogEntry> notices = received(peer, {kMsgPeer});
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, handle32(qor.main));
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
  PostMessageA(qor.main, WM_COMMAND, IDM_EXT_SCROLL, 0);     // 1 -> 0
  PostMessageA(qor.main, WM_COMMAND, IDM_MOVE_TO_START, 0);  // 0 -> 1
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
  EXPECT_EQ(storedField(15), 0) << "extScrollEnabled toggled and stored";
  EXPECT_EQ(storedField(0), 1) << "dblClickMovesToStart toggled and stored";
  expectRightClickSwallowed(false);  // the hooks are gone with Qor
}

TEST_F(EndToEnd, ExitThroughWmCloseKeepsTheStoreWithoutSaveOnExit) {
  std::vector<unsigned char> before = storedRecord();
  qor = startQor();
  PostMessageA(qor.main, WM_COMMAND, IDM_EXT_SCROLL, 0);
  PostMessageA(qor.main, WM_COMMAND, IDM_STANDBY, 0);
  EXPECT_EQ(endQor(qor), 0u);
  EXPECT_FALSE(FindWindowA(HOOK_CLASS_NAME, HOOK_WINDOW_NAME));
  EXPECT_EQ(storedRecord(), before);
  expectRightClickSwallowed(false);
}

TEST_F(EndToEnd, NoTrayMenuOpensWhileTheAboutBoxIsOpen) {
  qor = startQor();
  moveTo({300, 560});
  PostMessageA(qor.main, WM_COMMAND, IDM_ABOUT, 0);
  HWND about = nullptr;
  ASSERT_TRUE(waitFor([&] {
    about = FindWindowA("#32770", "Qor95のﾊﾞｰｼﾞｮﾝ情報");
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
  DWORD_PTR answer = 0;
  EXPECT_FALSE(SendMessageTimeoutA(qor.main, kTrayCallback, 0, WM_LBUTTONDOWN, SMTO_NORMAL, 1500,
                                   &answer));
  EXPECT_TRUE(waitFor([&] { return qorMenuWindow(qor) != nullptr; }));
  PostMessageA(qor.main, WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(waitFor([&] { return qorMenuWindow(qor) == nullptr; }));
}

TEST_F(EndToEnd, EndOfSessionStoresTheProfileWhateverSaveOnExitHolds) {
  std::vector<unsigned char> before = storedRecord();
  qor = startQor();
  SendMessageA(qor.main, WM_COMMAND, IDM_EXT_SCROLL, 0);  // 1 -> 0, in memory only
  SendMessageA(qor.main, WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(storedRecord(), before) << "the session goes on: nothing is stored";
  SendMessageA(qor.main, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(storedField(15), 0);
  EXPECT_EQ(storedField(2), 0) << "saveOnExit stays off";
  EXPECT_TRUE(IsWindow(qor.hook)) << "nothing else stops";
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
