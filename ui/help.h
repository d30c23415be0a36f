// Help for the tray menu and the settings dialog. Where Windows still has WinHelp (before
// Vista) it is asked for kHelpFile; elsewhere the browser opens kHelpPage, which lies beside
// the program, at the topic's anchor.
#pragma once
#include <windows.h>

// command: HELP_FINDER (contents), HELP_PARTIALKEY (search) or HELP_WM_HELP, for which
// table holds control id and help context id pairs ended by two zeros and controlId names
// the control asked about.
void showHelp(HWND window, UINT command, const DWORD* table = nullptr, int controlId = 0);
