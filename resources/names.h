// Names that several parts of Qor and its tests must spell alike: registry places, the main
// window's class, the tray message and the help file.
#pragma once

// The stored profiles, under HKEY_CURRENT_USER.
inline constexpr char kProfileStoreKey[] = "software\\Tesk\\Qor";

// The user's own cursors, under HKEY_CURRENT_USER: a file path per value (REG_SZ, or
// REG_EXPAND_SZ with %SystemRoot% and the like), for the arrow, the I-beam and the cross in
// that order, under the names the system writes.
inline constexpr char kUserCursorsKey[] = "Control Panel\\Cursors";
inline constexpr const char* kUserCursorValues[3] = {"Arrow", "IBeam", "Crosshair"};
// Beside them, the pointer size the user chose (Windows 10 and later): a DWORD, 32 for the
// size unchanged, 48, 64 … up to 256.
inline constexpr char kPointerSizeValue[] = "CursorBaseSize";

// Where the taskbar keeps how its buttons are aligned, under HKEY_CURRENT_USER: a DWORD, 0 left,
// 1 (or missing) centred.
inline constexpr char kTaskbarSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
inline constexpr char kTaskbarAlignmentValue[] = "TaskbarAl";
// The automation id of the Start button on a taskbar drawn without child windows.
inline constexpr char kStartButtonAutomationId[] = "StartButton";

// Help for the tray menu and the settings dialog: the page beside the program that the
// browser opens.
inline constexpr char kHelpPage[] = "Qor.html";

// The hook libraries of every build beside the program (Qordll-<version>.dll), and those that
// earlier installers left (Qordll.dll, set aside as Qordll.dll.N.old). One that other
// processes still map can be neither replaced nor deleted: it stays until a later start of
// Qor (after an uninstall, the next logon) finds it unmapped and deletes it.
#define HOOK_LIBRARY_PATTERN "Qordll*.dll*"

// The hidden main window's class: a window of it means a copy of Qor runs.
#define MAIN_WINDOW_CLASS "QorWClass"
// The main window's property that holds, as a handle of Qor's process, the event a process
// that may duplicate Qor's handles sets before it sends WM_CLOSE: only then does Qor end.
#define END_REQUEST_PROPERTY "QorEndRequest"

// What a second start of Qor posts the running copy, wParam and lParam 0: show the settings
// dialog, or bring it to the front. WM_APP + 101, spelt out for the native build.
enum { openSettingsMessage = 0x8000 + 101 };

#ifdef _WIN32
#include <windows.h>
// What the tray icon sends the main window.
enum { trayCallbackMessage = WM_APP + 100 };
#endif
