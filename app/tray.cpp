#include "app/tray.h"

#include <shlwapi.h>
#include "app/commands.h"
#include "app/main_window.h"
#include "engine/gesture.h"
#include "resources/resource.h"
#include "ui/settings_dialog.h"
#include "settings/profile_store.h"
#include "settings/user_options.h"
#include "ui/about.h"
#include "ui/popup_menu.h"
#include "ui/texts.h"

namespace {
// One item per listed profile, the current one checked.
void appendProfileItem(void* popup, int32_t i, const char* name) {
  const UINT check = i == currentProfile ? MF_CHECKED : MF_UNCHECKED;
  wchar_t text[kProfileNameBytes];
  MultiByteToWideChar(kProfileCodePage, 0, name, -1, text, kProfileNameBytes);
  AppendMenuW(static_cast<HMENU>(popup), MF_STRING | check, IDM_FIRST_PROFILE + i, text);
}

void check(HMENU menu, UINT id, bool on) {
  CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void showTrayMenu(UINT mouseMessage) {
  if (aboutOpen || settingsDialogOpen) return;
  HMENU menu = loadTrayMenu(mouseMessage);
  if (!menu) return;
  const UINT chosen = showPopupMenu(mainWindow, GetSubMenu(menu, 0));
  DestroyMenu(menu);
  if (chosen) runCommand(chosen);
}
}  // namespace

// The record as the first shells knew it, in its wide form: every field this uses, with room
// for the tip's 63 characters.
BOOL setTrayIcon(DWORD action) {
  NOTIFYICONDATAW icon = {};
  icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
  icon.hWnd = mainWindow;
  icon.uID = 0;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = trayCallbackMessage;
  // A copy of our own, so that destroying it cannot touch a shared icon; at the system's size
  // for small icons, which grows with the scaling.
  icon.hIcon = static_cast<HICON>(LoadImageW(appInstance, MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  lstrcpynW(icon.szTip, captionText, ARRAYSIZE(icon.szTip));
  BOOL result = Shell_NotifyIconW(action, &icon);
  if (icon.hIcon) DestroyIcon(icon.hIcon);
  if (result && action == NIM_ADD) {
    // Only with the newest behaviour does the shell tell whether the balloon was seen.
    NOTIFYICONDATAW version = {};
    version.cbSize = sizeof version;
    version.hWnd = mainWindow;
    version.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &version);
  }
  return result;
}

namespace {
bool welcomeShown = false;  // the shell showed the balloon in this run
}  // namespace

// Told to a user until they have seen it: a right-click in standby pans, so the way back to
// every menu must be known, and Windows 11 hides a new icon in the overflow. A balloon that Do
// Not Disturb kept back comes again at the next start.
void welcomeUser() {
  if (userWelcomed()) return;
  NOTIFYICONDATAW icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = mainWindow;
  icon.uID = 0;
  icon.uFlags = NIF_INFO;
  icon.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
  lstrcpynW(icon.szInfoTitle, text(IDS_WELCOME_TITLE).s, ARRAYSIZE(icon.szInfoTitle));
  wchar_t pan[ARRAYSIZE(icon.szInfo)];
  wnsprintfW(pan, ARRAYSIZE(pan), text(userClickPan ? IDS_WELCOME_CLICK_PAN : IDS_WELCOME_DRAG_PAN).s,
             text(userPanButton == kPanButtonMiddle ? IDS_WELCOME_MIDDLE : IDS_WELCOME_RIGHT).s);
  wnsprintfW(icon.szInfo, ARRAYSIZE(icon.szInfo), L"%s%s", pan, text(IDS_WELCOME_TEXT).s);
  welcomeShown = false;
  Shell_NotifyIconW(NIM_MODIFY, &icon);
}

HMENU loadTrayMenu(UINT mouseMessage) {
  const bool right = mouseMessage == WM_RBUTTONDOWN;
  useUserLanguage();
  HMENU menu = loadMenuText(right ? IDR_TRAY_RIGHT : IDR_TRAY_LEFT);
  if (!menu) return nullptr;
  check(menu, IDM_STANDBY, gesture.panState != kPanOff);
  for (const SettingCommand& c : kSettingCommands)
    check(menu, c.id, currentSettings.*c.field != 0);
  if (right) {
    HMENU popup = GetSubMenu(menu, 0);
    listProfileNames(appendProfileItem, popup);
    AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(popup, MF_STRING, IDM_EXIT, text(IDS_EXIT).s);
  }
  return menu;
}

void onTrayCallback(UINT notice) {
  switch (notice) {
    case WM_LBUTTONDOWN: showTrayMenu(notice); return;
    case WM_RBUTTONDOWN: showTrayMenu(notice); return;
    case WM_LBUTTONDBLCLK: showHelpContents(); return;  // also while a dialog is open
    // The welcome counts as seen once the user clicked it, or it timed out or was closed after
    // it showed; hidden unseen (Do Not Disturb), it comes again.
    case NIN_BALLOONSHOW: welcomeShown = true; return;
    case NIN_BALLOONUSERCLICK: markUserWelcomed(); return;
    case NIN_BALLOONTIMEOUT:
      if (welcomeShown) markUserWelcomed();
      return;
  }
}
