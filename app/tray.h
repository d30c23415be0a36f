// The notification-area icon and its two popup menus.
#pragma once
#include <windows.h>

// What the tray icon sends the main window.
enum { trayCallbackMessage = WM_APP + 100 };

// Adds (NIM_ADD) or deletes (NIM_DELETE) the tray icon of mainWindow.
BOOL setTrayIcon(DWORD action);
// The balloon that tells a user new to Qor how to reach it, until they have seen it once.
void welcomeUser();
// Menu 227 (left button) or 218 (right button), with its check marks set and, for the
// right button, the profile items and the exit item appended; its first popup is shown.
HMENU loadTrayMenu(UINT mouseMessage);
// Answers the tray icon's callback: notice is the mouse message or balloon notice (NIN_...),
// the low word of its lParam.
void onTrayCallback(UINT notice);
