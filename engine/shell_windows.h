// The shell's windows, looked up at start and again when the shell announces a new taskbar.
// A null handle (not found, or not looked up yet) matches no window. The main thread writes
// them while the hook thread reads them: each is one word, read and written whole.
#pragma once
#include <atomic>
#include "os/winapi.h"

extern std::atomic<HWND> taskbarWindow;  // "Shell_TrayWnd" with an empty title
extern std::atomic<HWND> startButton;    // the taskbar's topmost child
extern std::atomic<HWND> progmanWindow;  // "Progman" titled "Program Manager", the desktop background

void findShellWindows();
