#include "app/tray.h"

#include <shlwapi.h>
#include "app/commands.h"
#include "app/main_window.h"
#include "engine/gesture.h"
#include "resources/resource.h"
#include "settings/dialog.h"
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
  showPopupMenu(mainWindow, GetSubMenu(menu, 0));
  DestroyMenu(menu);
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
  return result;
}

// Told once per user, when Qor first starts for them: a right-click in standby pans, so the
// way back to every menu must be known, and Windows 11 hides a new icon in the overflow.
void welcomeUser() {
  if (userWelcomed()) return;
  NOTIFYICONDATAW icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = mainWindow;
  icon.uID = 0;
  icon.uFlags = NIF_INFO;
  icon.dwInfoFlags = NIIF_INFO;
  lstrcpynW(icon.szInfoTitle, text(IDS_WELCOME_TITLE).s, ARRAYSIZE(icon.szInfoTitle));
  wnsprintfW(icon.szInfo, ARRAYSIZE(icon.szInfo), text(IDS_WELCOME_TEXT).s,
             text(userPanButton == kPanButtonMiddle ? IDS_WELCOME_MIDDLE : IDS_WELCOME_RIGHT).s);
  if (Shell_NotifyIconW(NIM_MODIFY, &icon)) markUserWelcomed();
}

HMENU loadTrayMenu(UINT mouseMessage) {
  const bool right = mouseMessage == WM_RBUTTONDOWN;
  useUserLanguage();
  HMENU menu = loadMenuText(right ? IDR_TRAY_RIGHT : IDR_TRAY_LEFT);
  if (!menu) return nullptr;
  check(menu, IDM_STANDBY, panState != 0);
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

void onTrayCallback(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDOWN: showTrayMenu(mouseMessage); return;
    case WM_RBUTTONDOWN: showTrayMenu(mouseMessage); return;
    case WM_LBUTTONDBLCLK: showHelpContents(); return;  // also while a dialog is open
  }
}
