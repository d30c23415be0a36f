// The shell's windows, looked up at start and again when the shell announces a new taskbar.
// A null handle (not found, or not looked up yet) matches no window. The main thread writes
// them while the hook thread reads them: each is one word, read and written whole.
#pragma once
#include <atomic>
#include "os/winapi.h"

// Where the taskbar keeps how its buttons are aligned, under HKEY_CURRENT_USER: a DWORD, 0 left,
// 1 (or missing) centred.
inline constexpr char kTaskbarSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
inline constexpr char kTaskbarAlignmentValue[] = "TaskbarAl";
// The automation id of the Start button on a taskbar drawn without child windows.
inline constexpr char kStartButtonAutomationId[] = "StartButton";

extern std::atomic<HWND> taskbarWindow;  // "Shell_TrayWnd" with an empty title
// The taskbar's topmost "Start" or "Button" child; none on a taskbar that draws its Start
// without a window of its own.
extern std::atomic<HWND> startButton;
// The top-level window whose "SHELLDLL_DefView" holds the desktop's icons: "Progman", or
// since Windows 8 possibly a "WorkerW" beside it.
extern std::atomic<HWND> desktopHost;

// Whether window's process runs at this process's integrity or above. A process of lower
// integrity may make a window of any class: the shell's and the peer's are trusted only from
// this level up.
bool trustedWindow(HWND window);
// The first top-level window of className (and title, unless null) that is trusted; null when
// none.
HWND findTrustedWindow(const char* className, const char* title);
void findShellWindows();
// A left double-click on window: on the empty desktop background it moves the pointer to the
// Start button and opens the Start menu, as the settings ask.
void doubleClickOnDesktop(HWND window);
