// The shell's windows, looked up once at start and never refreshed. A null handle (not
// found, or not looked up yet) matches no window.
#pragma once
#include "engine/winapi.h"

extern HWND taskbarWindow;  // "Shell_TrayWnd" with an empty title
extern HWND startButton;    // the taskbar's topmost child
extern HWND progmanWindow;  // "Progman" titled "Program Manager", the desktop background

void findShellWindows();
