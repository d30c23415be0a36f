// A popup menu at the pointer, for the tray icon's menus and the settings dialog's own.
#pragma once
#include <windows.h>

// Shows popup at the pointer for owner; answers the chosen item's id, 0 for none. Nothing
// reaches owner as WM_COMMAND: a command is what the user chose here, never a message that
// another process could send.
UINT showPopupMenu(HWND owner, HMENU popup);
