// What the end-to-end tests share: the profile store written before Qor starts and read
// after it ended, Qor.exe started as a user starts it, real input injected with SendInput,
// and a fixture with the test application (and its stand-ins of the shell's windows) whose
// log tells what reached it. Waits poll with time limits; the few fixed pauses check that
// something stopped happening.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <vector>

#include "app/tray.h"
#include "engine/hook_protocol.h"
#include "engine/shell_windows.h"
#include "protocol/event_slots.h"
#include "resources/resource.h"
#include "rules/app_rules.h"
#include "settings/profile_store.h"
#include "settings/settings.h"
#include "tests/common/end_request.h"
#include "tests/testapp/launch.h"
#include "ui/help.h"

namespace e2e {
constexpr const char* kStoreKey = kProfileStoreKey;
const UINT kTrayCallback = trayCallbackMessage;
const DWORD kStartMs = 20000;  // Wine may be slow to start a process

inline bool waitFor(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

// ---- The profile store, written before Qor starts and read after it ended.

inline ProfileSettings testSettings() {
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

inline void storeProfile(const ProfileSettings& settings) {
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

// The user's own options beside the profile (gone again with the next storeProfile).
inline void storeUserOption(const char* name, DWORD type, const void* data, DWORD size) {
  EXPECT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kStoreKey, name, type, data, size), ERROR_SUCCESS);
}

inline std::vector<unsigned char> storedRecord() {
  std::vector<unsigned char> bytes(kSettingsBytes);
  DWORD size = kSettingsBytes;
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kStoreKey, &key) != ERROR_SUCCESS) return {};
  LONG read = RegQueryValueExA(key, "A0", nullptr, nullptr, bytes.data(), &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS && size == kSettingsBytes ? bytes : std::vector<unsigned char>{};
}

inline int32_t storedField(SettingsField field) {
  std::vector<unsigned char> bytes = storedRecord();
  if (bytes.empty()) return INT32_MIN;
  unsigned char record[kSettingsBytes];
  std::copy(bytes.begin(), bytes.end(), record);
  ProfileSettings s;
  settingsFromBytes(s, record);
  return s.*field;
}

// ---- Qor.exe, started as a user starts it.

struct QorProcess {
  PROCESS_INFORMATION process = {};
  HWND main = nullptr;
  HWND hook = nullptr;
};

// STILL_ACTIVE (259) while the process runs: tells a start that failed from one that is slow.
inline DWORD exitCodeOf(HANDLE process) {
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return code;
}

// Whether Qor's hooks are in place: Qor loads the hook library to install them and frees it
// when they go. (Asked of Qor's process, so that no movement maps the library elsewhere.)
inline bool hooksInstalled(const QorProcess& qor, const char* library = QOR_LIBRARY_FILE) {
  HMODULE modules[512];
  DWORD bytes = 0;
  if (!EnumProcessModules(qor.process.hProcess, modules, sizeof modules, &bytes)) return false;
  for (DWORD i = 0; i < bytes / sizeof modules[0] && i < 512; ++i) {
    char name[MAX_PATH];
    if (GetModuleBaseNameA(qor.process.hProcess, modules[i], name, sizeof name) &&
        lstrcmpiA(name, library) == 0)
      return true;
  }
  return false;
}

// Started when the main window carries its title and the hook window exists; with
// hooksAtOnce, also when the hooks are in place. program: the path of the Qor.exe to start,
// null for the one beside the tests.
inline QorProcess startQor(const char* arguments = "5", bool hooksAtOnce = true,
                           const char* program = nullptr) {
  QorProcess qor;
  qor.process = program ? launch(program, arguments) : launchBeside("Qor.exe", arguments);
  EXPECT_TRUE(qor.process.hProcess) << "Qor.exe did not start";
  EXPECT_TRUE(waitFor([&] {
    qor.main = FindWindowA(MAIN_WINDOW_CLASS, "Qor95 Ver1.0");
    qor.hook = FindWindowA(HOOK_CLASS_NAME, HOOK_WINDOW_NAME);
    return qor.main && qor.hook;
  }, kStartMs)) << "Qor's windows did not appear; exit code " << exitCodeOf(qor.process.hProcess);
  if (hooksAtOnce) {
    EXPECT_TRUE(waitFor([&] { return hooksInstalled(qor); })) << "no hooks";
  }
  return qor;
}

// Qor.exe and its library unpacked into folder (UTF-8) beside the tests; the copy of Qor.exe.
inline std::string copyOfQorIn(const std::string& folder) {
  std::filesystem::create_directory(std::filesystem::u8path(folder));
  for (const char* file : {"Qor.exe", QOR_LIBRARY_FILE})
    CopyFileW(std::filesystem::path(file).c_str(),
              std::filesystem::u8path(folder + "\\" + file).c_str(), FALSE);
  return folder + "\\Qor.exe";
}

inline DWORD waitForExit(PROCESS_INFORMATION& process) {
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

// Asks Qor to end as the installer does (end request, WM_CLOSE); answers its exit code.
inline DWORD endQor(QorProcess& qor) {
  requestQorEnd(qor.process.hProcess, qor.main);
  return waitForExit(qor.process);
}

// A visible popup menu window of Qor's process.
inline HWND qorMenuWindow(const QorProcess& qor) {
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w;
       w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == qor.process.dwProcessId && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// Chooses from the tray icon's menu of button by the mnemonics, one key per menu level.
inline void chooseFromTrayMenu(const QorProcess& qor, UINT button, const char* keys) {
  PostMessageA(qor.main, trayCallbackMessage, 0, button);
  waitFor([&] { return qorMenuWindow(qor) != nullptr; });
  for (const char* key = keys; *key; ++key) PostMessageA(qor.main, WM_CHAR, *key, 0);
  waitFor([&] { return qorMenuWindow(qor) == nullptr; });
}

// ---- Real input.

inline INPUT mouseInput(DWORD flags, POINT at = {0, 0}) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    // Normalised coordinates that land on the very pixel (x * 65536 / width, rounded up).
    const LONG w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = (at.x * 65536 + w - 1) / w;
    input.mi.dy = (at.y * 65536 + h - 1) / h;
  }
  return input;
}

inline void inject(DWORD flags, POINT at = {0, 0}) {
  INPUT input = mouseInput(flags, at);
  SendInput(1, &input, sizeof input);
}

// Two left clicks in one burst, so that the system makes a double-click of them.
inline void leftDoubleClick() {
  INPUT clicks[4] = {mouseInput(MOUSEEVENTF_LEFTDOWN), mouseInput(MOUSEEVENTF_LEFTUP),
                     mouseInput(MOUSEEVENTF_LEFTDOWN), mouseInput(MOUSEEVENTF_LEFTUP)};
  SendInput(4, clicks, sizeof clicks[0]);
}

// Wine moves the pointer through the X server, which may answer the old position a while
// after the new one was asked for.
inline void expectPointerAt(POINT p) {
  POINT at = {};
  EXPECT_TRUE(waitFor([&] {
    GetCursorPos(&at);
    return at.x == p.x && at.y == p.y;
  })) << "the pointer is at " << at.x << "," << at.y << ", not at " << p.x << "," << p.y;
}

// Every call makes a movement event: Wine reports none for a move onto the same pixel.
inline void moveTo(POINT to) {
  POINT at;
  GetCursorPos(&at);
  if (at.x == to.x && at.y == to.y) inject(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, {to.x + 1, to.y});
  inject(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, to);
  expectPointerAt(to);
}

inline void click(DWORD down, DWORD up) {
  inject(down);
  inject(up);
}

inline POINT clientCentre(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  POINT p = {r.right / 2, r.bottom / 2};
  ClientToScreen(window, &p);
  return p;
}

inline POINT windowCentre(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

inline POINT offset(POINT p, LONG dx, LONG dy) { return {p.x + dx, p.y + dy}; }

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
    ASSERT_FALSE(FindWindowA(MAIN_WINDOW_CLASS, nullptr)) << "a Qor of an earlier test still runs";
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
        if (e.window == handle32Of(window) && e.message == m) found.push_back(e);
    }
    return found;
  }
  // The scroll codes (wParam) of message that window received with lParam from.
  static std::vector<uint32_t> scrollCodes(HWND window, UINT message, HWND from = nullptr) {
    std::vector<uint32_t> codes;
    for (const TestLogEntry& e : received(window, {message})) {
      EXPECT_EQ(e.lParam, handle32Of(from)) << "scroll message from an unexpected control";
      codes.push_back(e.wParam);
    }
    return codes;
  }
  static bool waitForScrolls(HWND window, UINT message, size_t count, HWND from = nullptr) {
    return waitFor([&] { return scrollCodes(window, message, from).size() >= count; });
  }
  // Everything injected so far has been handled: a middle click, which always passes (a right
  // click where the middle button pans), has reached window (client or frame) under the pointer.
  // A right click is handled once the WM_CONTEXTMENU its release makes has come too.
  static void sync(HWND window, bool middlePans = false) {
    const UINT up = middlePans ? WM_CONTEXTMENU : WM_MBUTTONUP;
    const UINT frameUp = middlePans ? WM_CONTEXTMENU : WM_NCMBUTTONUP;
    size_t before = received(window, {up, frameUp}).size();
    inject(middlePans ? MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP
                      : MOUSEEVENTF_MIDDLEDOWN | MOUSEEVENTF_MIDDLEUP);
    EXPECT_TRUE(waitFor([&] { return received(window, {up, frameUp}).size() > before; }))
        << "the click did not reach the window";
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
  // A desktop double-click's work: the taskbar got the focus, the pointer went to the middle
  // of start, and start was pressed (then it lets go of the mouse again).
  static void expectStartButtonPressed(HWND taskbar, HWND start) {
    ASSERT_TRUE(waitFor([&] { return !received(start, {WM_LBUTTONDOWN}).empty(); }))
        << "the Start button was not pressed";
    EXPECT_EQ(received(start, {WM_LBUTTONDOWN})[0].wParam, uint32_t(MK_LBUTTON));
    EXPECT_FALSE(received(taskbar, {WM_SETFOCUS}).empty());
    expectPointerAt(windowCentre(start));
    SendMessageA(start, WM_LBUTTONUP, 0, 0);
  }
  // Stays at count scroll messages for a while: the repeat has stopped.
  static void expectScrollingStopped(HWND window, UINT message, HWND from = nullptr) {
    // A step Qor sent just before it stopped (or was killed) may still wait in the queue.
    SendMessageA(window, WM_NULL, 0, 0);
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

  inline static TestAppProcess app;
  inline static const TestLog* testLog = nullptr;
  QorProcess qor;
};

// Repeated emissions of (line, SB_ENDSCROLL) pairs, count pairs each.
inline bool onlyPairs(const std::vector<uint32_t>& codes, uint32_t line) {
  if (codes.empty() || codes.size() % 2) return false;
  for (size_t i = 0; i < codes.size(); ++i)
    if (codes[i] != (i % 2 ? uint32_t(SB_ENDSCROLL) : line)) return false;
  return true;
}
}  // namespace e2e
