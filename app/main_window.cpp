#include "app/main_window.h"

#include <wtsapi32.h>

#include "app/commands.h"
#include "app/tray.h"
#include "engine/cursor.h"
#include "engine/gesture.h"
#include "engine/hit_test.h"
#include "engine/hook_protocol.h"
#include "app/hook_thread.h"
#include "engine/shell_windows.h"
#include "os/os.h"
#include "resources/resource.h"
#include "settings/profile_store.h"
#include "settings/user_options.h"
#include "ui/texts.h"

HINSTANCE appInstance = GetModuleHandleW(nullptr);
HWND mainWindow = nullptr;
wchar_t captionText[64] = L"";

namespace {
// Broadcast by the shell when it has made a new taskbar (after Explorer restarted): the tray
// icon and the shell's windows went with the old one.
const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
// Set by Qor's own exit: any other process can send WM_DESTROY or WM_NCDESTROY.
bool exiting = false;
// Set by a process that may duplicate Qor's handles, and so could end it anyway (the
// installer); its WM_CLOSE then ends Qor.
HANDLE endRequest = nullptr;

// The engine follows a change of the live settings (pan switched off: the user's cursors).
void followSettings() {
  changeEngineOutsideHookThread([] {});
}

// The desktop Qor works on went away: locked, switched to another user or to the secure
// desktop, asleep, or its displays changed. No gesture runs on behind it, and the user's
// cursors come back at once; standby stays as the user left it.
void leaveDesktop() { changeEngineOutsideHookThread(abandonGesture); }

// Windows reports the switch to the secure desktop (a UAC prompt, Ctrl+Alt+Del) only this way.
HWINEVENTHOOK desktopSwitchHook = nullptr;
void CALLBACK onDesktopSwitch(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
  leaveDesktop();
}

// The user's cursors, the pointer size or the DPI changed: every cursor is loaded anew.
void reloadCursors() { changeEngineOutsideHookThread(loadCursors); }

// Starts every part, in this order; the hit tests' buffers come with the first hit test. Only
// once, and only for CreateWindowEx on this thread: a WM_CREATE sent by another thread or
// process carries a pointer that is not Qor's.
LRESULT onCreate(HWND window, const CREATESTRUCTW* creation) {
  if (mainWindow || InSendMessageEx(nullptr) != ISMEX_NOSEND) return 0;
  const HookThreadStart& start = *static_cast<const HookThreadStart*>(creation->lpCreateParams);
  mainWindow = window;
  endRequest = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  SetPropW(window, L"" END_REQUEST_PROPERTY, endRequest);
  greetPeer(window);
  loadCursors();
  reloadUsersScheme();  // an earlier run may have left its cursors
  WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
  desktopSwitchHook = SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH,
                                      nullptr, onDesktopSwitch, 0, 0, WINEVENT_OUTOFCONTEXT);
  findShellWindows();
  onProfileLoaded = [] {
    setCaption();
    followSettings();
    followProfiles();
  };
  onSettingsApplied = followSettings;
  changeLiveOptions = changeEngineOutsideHookThread;
  loadUserOptions();
  useUserLanguage();  // a profile that cannot be read loads under a name in it
  loadProfiles();
  setTrayIcon(NIM_ADD);
  welcomeUser();
  // Standby before the hooks: the first event they forward already finds it.
  if (currentSettings.startInStandby) gesture.panState = kPanStandby;
  // Without it Qor runs on with no hooks and no engine; tray, menus and dialogs still work.
  if (!startHookThread(start)) OutputDebugStringW(L"Qor: the hook thread did not start\n");
  return 0;
}

// Stops every part, in this order; the user's cursors come back only once the hook thread,
// which may still be showing ours, has ended. Only after Qor's own DestroyWindow.
LRESULT onNcDestroy(HWND window) {
  if (!exiting || window != mainWindow) return 0;
  RemovePropW(window, L"" END_REQUEST_PROPERTY);
  setTrayIcon(NIM_DELETE);
  if (desktopSwitchHook) UnhookWinEvent(desktopSwitchHook);
  WTSUnRegisterSessionNotification(mainWindow);
  engineEnabled = 0;
  // The hook thread may be in the middle of an event: the reset waits for it.
  changeEngineOutsideHookThread(resetEngine);
  if (currentSettings.saveOnExit) saveCurrentProfile();
  closeHookWindow();
  releasePointer();
  farewellPeer();
  if (hookThread) WaitForSingleObject(hookThread, INFINITE);
  reloadUsersScheme();
  releaseCursors();
  releaseHitTestBuffers();
  PostQuitMessage(0);
  return 0;
}

// Windows is ending the session: the profile is kept, and no gesture or cursor of Qor's outlives
// the desktop.
LRESULT onEndSession(WPARAM ending) {
  if (!ending) return 0;
  saveCurrentProfile();
  leaveDesktop();
  return 0;
}

LRESULT onPowerBroadcast(WPARAM event) {
  if (event == PBT_APMSUSPEND) leaveDesktop();
  return TRUE;
}

LRESULT onDisplayChange() {
  leaveDesktop();
  reloadCursors();  // the scaling may have changed with the displays
  return 0;
}

LRESULT onSettingChange(WPARAM setting) {
  if (setting == SPI_SETCURSORS) reloadCursors();
  return 0;
}

// The installer's way to end Qor, as the exit item does: a WM_CLOSE alone is anyone's.
LRESULT onClose() {
  if (endRequest && WaitForSingleObject(endRequest, 0) == WAIT_OBJECT_0) runCommand(IDM_EXIT);
  return 0;
}

LRESULT onTaskbarCreated() {
  findShellWindows();
  setTrayIcon(NIM_ADD);
  welcomeUser();  // a shell that came after Qor (logon) could not show it yet
  return 0;
}

LRESULT onTray(LPARAM notice) {
  onTrayCallback(LOWORD(notice));
  return 0;
}
}  // namespace

void destroyMainWindow() {
  exiting = true;
  DestroyWindow(mainWindow);
}

void setCaption() {
  lstrcpyW(captionText, L"Qor95 Ver1.0");
  SetWindowTextW(mainWindow, captionText);
}

bool registerMainWindowClass() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = mainWindowProc;
  wc.hInstance = appInstance;
  wc.hIcon = LoadIconW(appInstance, L"atmicon");
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"" MAIN_WINDOW_CLASS;
  return RegisterClassW(&wc) != 0;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return onCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_CLOSE: return onClose();
    case WM_DESTROY: return 0;
    case WM_QUERYOPEN: return 0;  // never restored from an icon
    case WM_ENDSESSION: return onEndSession(wParam);
    case WM_WTSSESSION_CHANGE: leaveDesktop(); return 0;
    case WM_POWERBROADCAST: return onPowerBroadcast(wParam);
    case WM_DISPLAYCHANGE: return onDisplayChange();
    case WM_DPICHANGED: reloadCursors(); return 0;
    case WM_SETTINGCHANGE: return onSettingChange(wParam);
    case WM_NCDESTROY: return onNcDestroy(window);
    case WM_COMMAND: return 0;  // commands come from the menus' answers
    case WM_INITMENU: return 0;
    case WM_INITMENUPOPUP: return 0;
    case trayCallbackMessage: return onTray(lParam);
    case openSettingsMessage: runCommand(IDM_SETTINGS); return 0;
    default:
      if (taskbarCreated && message == taskbarCreated) return onTaskbarCreated();
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
