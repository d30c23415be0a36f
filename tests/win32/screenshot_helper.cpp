// Drives a running Qor.exe for scripts/screenshots.sh, one step per run, and prints the
// screen rectangle to capture as WIDTHxHEIGHT+X+Y:
//   store SIZE [LANGUAGE]  two profiles in the store, dialog size SIZE (0 small, 1 large),
//                  three programs left alone, the user welcomed already, the Language value
//                  LANGUAGE (0 if not given; the profiles' names in English for 2)
//   balloon        waits for the welcome balloon that the taskbar shows for Qor
//   dialog         opens the settings dialog, as a second start of Qor does
//   tab INDEX      shows tab INDEX of the open dialog, as the Right/Left arrow keys do
//   close          cancels the open dialog
//   tray BUTTON    opens the tray icon's menu of BUTTON (left or right) at a fixed point
//   extras         opens the right menu's "おまけ(&A)" submenu and its first popup
//   escape         closes the open menu
//   exit           ends Qor.exe
//   setup          goes on from the installer's first page to its options page
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "app/main_window.h"
#include "app/tray.h"
#include "tests/common/end_request.h"
#include "resources/resource.h"
#include "settings/profile_store.h"
#include "settings/user_options.h"
#include "settings/settings.h"

namespace {
// Waits up to ten seconds for find to give a window.
HWND waitFor(HWND (*find)()) {
  for (int i = 0; i < 100; ++i) {
    if (HWND w = find()) return w;
    Sleep(100);
  }
  return nullptr;
}

HWND mainWindowOfQor() { return FindWindowA(MAIN_WINDOW_CLASS, nullptr); }

// The dialog Qor's main window owns, in either language.
BOOL CALLBACK matchDialog(HWND window, LPARAM found) {
  char kind[16] = {};
  GetClassNameA(window, kind, sizeof kind);
  if (IsWindowVisible(window) && !std::strcmp(kind, "#32770") &&
      GetWindow(window, GW_OWNER) == mainWindowOfQor()) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}
HWND settingsDialog() {
  HWND found = nullptr;
  EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The union of the visible popup menus.
BOOL CALLBACK addMenu(HWND window, LPARAM area) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (IsWindowVisible(window) && !std::strcmp(name, "#32768")) {
    RECT r, *all = reinterpret_cast<RECT*>(area);
    GetWindowRect(window, &r);
    UnionRect(all, all, &r);
  }
  return TRUE;
}
RECT menuArea() {
  RECT all = {};
  EnumWindows(addMenu, reinterpret_cast<LPARAM>(&all));
  return all;
}
HWND anyMenu() {
  const RECT area = menuArea();
  return IsRectEmpty(&area) ? nullptr : GetDesktopWindow();
}

int printRect(RECT r) {
  Sleep(700);  // let the windows paint
  std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
  return 0;
}

int printWindow(HWND window) {
  if (!window) return 1;
  RECT r;
  GetWindowRect(window, &r);
  return printRect(r);
}

void pressKey(WORD key) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = key;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
  Sleep(200);
}

int storeProfiles(int size, DWORD language) {
  const char* japanese[] = {"標準の設定", "ゲーム用"};
  const char* english[] = {"Everyday", "Games"};
  const char* const* names = language == kLanguageEnglish ? english : japanese;
  for (int i = 0; i < 2; ++i) {
    copySettings(currentSettings, defaultSettings);
    currentSettings.dialogSize = size;
    currentSettings.delayedStart = 1;
    profileCount = 2;
    currentProfile = 1 - i;  // profile 0 last, so that it is the current one
    std::memset(profileName, 0, sizeof profileName);
    std::strcpy(profileName, names[currentProfile]);
    saveCurrentProfile();
  }
  const char leftAlone[] = "mstsc.exe\0game.exe\0";
  char withProfile[128];  // chrome.exe with the second profile; 表計算: gone
  const int withProfileSize = std::snprintf(withProfile, sizeof withProfile,
                                            "chrome.exe\t%s%cEXCEL.EXE\t表計算%c", names[1], 0, 0) + 1;
  const DWORD welcomed = 1;
  RegSetKeyValueA(HKEY_CURRENT_USER, kProfileStoreKey, "LeaveAlone", REG_MULTI_SZ, leftAlone,
                  sizeof leftAlone);
  RegSetKeyValueA(HKEY_CURRENT_USER, kProfileStoreKey, "ProgramProfiles", REG_MULTI_SZ,
                  withProfile, withProfileSize);
  RegSetKeyValueA(HKEY_CURRENT_USER, kProfileStoreKey, "Welcomed", REG_DWORD, &welcomed,
                  sizeof welcomed);
  RegSetKeyValueA(HKEY_CURRENT_USER, kProfileStoreKey, "Language", REG_DWORD, &language,
                  sizeof language);
  return 0;
}

// The taskbar's balloon: the visible tooltip (Qor shows none of its own at start).
HWND balloon() {
  for (HWND w = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); w;
       w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr))
    if (IsWindowVisible(w)) return w;
  return nullptr;
}

int showTab(int index) {
  HWND dialog = settingsDialog();
  HWND tabs = GetDlgItem(dialog, IDC_TABS);
  const int now = static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
  for (int i = now; i != index; i += index > now ? 1 : -1) {
    PostMessageA(tabs, WM_KEYDOWN, index > now ? VK_RIGHT : VK_LEFT, 0);
    Sleep(200);
  }
  return printWindow(dialog);
}

bool endQor() {
  DWORD id = 0;
  GetWindowThreadProcessId(mainWindowOfQor(), &id);
  HANDLE qor = OpenProcess(PROCESS_DUP_HANDLE, FALSE, id);
  const bool ended = qor && requestQorEnd(qor, mainWindowOfQor());
  if (qor) CloseHandle(qor);
  return ended;
}

int openTrayMenu(const char* button) {
  SetCursorPos(300, 200);
  PostMessageA(mainWindowOfQor(), trayCallbackMessage, 0,
               std::strcmp(button, "left") ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);
  return waitFor(anyMenu) ? printRect(menuArea()) : 1;
}

int openExtras() {
  pressKey(VK_DOWN);  // 設定(&S)
  pressKey(VK_DOWN);  // おまけ(&A)
  pressKey(VK_RIGHT);
  pressKey(VK_RIGHT);  // &1.背景での左ﾀﾞﾌﾞﾙｸﾘｯｸで
  return printRect(menuArea());
}
}  // namespace

// The installer's window and the page it shows, a dialog inside it, new for every page.
HWND installer = nullptr, shownPage = nullptr;
HWND installerWindow() { return installer = FindWindowA("#32770", nullptr); }
HWND newPage() {
  HWND page = FindWindowExA(installer, nullptr, "#32770", nullptr);
  return page != shownPage ? page : nullptr;
}

int main(int argc, char** argv) {
  const char* step = argc > 1 ? argv[1] : "";
  const char* value = argc > 2 ? argv[2] : "0";
  if (!std::strcmp(step, "store")) return storeProfiles(std::atoi(value), argc > 3 ? std::atoi(argv[3]) : 0);
  if (!std::strcmp(step, "setup")) {
    if (!waitFor(installerWindow)) return 1;
    SetForegroundWindow(installer);
    for (int page = 0; page < 2; ++page) {  // Enter: on to the folder page, then the options
      shownPage = waitFor(newPage);
      pressKey(VK_RETURN);
    }
    waitFor(newPage);
    return printWindow(installer);
  }
  if (!waitFor(mainWindowOfQor)) return 1;
  if (!std::strcmp(step, "dialog")) {
    PostMessageA(mainWindowOfQor(), openSettingsMessage, 0, 0);
    return printWindow(waitFor(settingsDialog));
  }
  if (!std::strcmp(step, "tab")) return showTab(std::atoi(value));
  if (!std::strcmp(step, "balloon")) return printWindow(waitFor(balloon));
  if (!std::strcmp(step, "close")) return !PostMessageA(settingsDialog(), WM_COMMAND, IDCANCEL, 0);
  if (!std::strcmp(step, "tray")) return openTrayMenu(value);
  if (!std::strcmp(step, "extras")) return openExtras();
  if (!std::strcmp(step, "escape")) {
    for (int i = 0; i < 3; ++i) pressKey(VK_ESCAPE);
    return 0;
  }
  if (!std::strcmp(step, "exit")) return !endQor();
  std::fprintf(stderr, "unknown step: %s\n", step);
  return 2;
}
