// A popup menu at the pointer, for the tray icon's menus and the settings dialog's own.
#pragma once
#include <windows.h>

// Shows popup at the pointer for owner; a chosen item reaches owner as WM_COMMAND.
void showPopupMenu(HWND owner, HMENU popup);
