// Help for the tray menu and the settings dialog: the browser opens kHelpPage, which lies
// beside the program, at the topic's anchor. (Windows has had no WinHelp since Vista, older
// than anything Qor runs on.)
#pragma once
#include <windows.h>

// The page, Japanese or English, with the same anchors.
inline constexpr char kHelpPage[] = "Qor.html";
inline constexpr char kEnglishHelpPage[] = "Qor.en.html";

// The topic by WinHelp's commands: HELP_FINDER (contents), HELP_PARTIALKEY (search) or
// HELP_WM_HELP, for which table holds control id and help context id pairs ended by two zeros
// and controlId names the control asked about. window owns what the shell may show.
void showHelp(HWND window, UINT command, const DWORD* table = nullptr, int controlId = 0);
