// The hidden main window: it starts and stops every part of the program in a fixed order,
// owns the tray icon and carries out the menu commands.
#pragma once
#include <windows.h>

#include "rules/app_rules.h"

extern HINSTANCE appInstance;  // every resource is loaded from this module
extern HWND mainWindow;
extern wchar_t captionText[64];  // the main window's title and the tray icon's tooltip

// Registers QorWClass, whose windows take text as UTF-16; false on failure.
bool registerMainWindowClass();
// Qor's exit: the main window is destroyed, which stops every part.
void destroyMainWindow();
// Writes "Qor95 Ver1.0" into captionText and sets it as the main window's title.
void setCaption();
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
