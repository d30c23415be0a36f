// What the settings dialog and its pages share: the page procedure, context help and the
// topmost band. Only the dialog's own files include it.
#pragma once
#include <cstdint>
#include <windows.h>

enum { kPageCount = 4 };  // system, pan, scroll and the programs left alone, in the tabs' order

// The procedure of every page; CreateDialogParam's parameter is the page's tab index.
INT_PTR CALLBACK settingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The page of the programs left alone (ui/left_alone_page.cpp): it edits the dialog's
// copy of the list, not editSettings.
void fillLeftAlonePage(HWND page);
BOOL onLeftAloneCommand(HWND page, int id, WORD code);  // FALSE: not one of its controls

// A stored profile's name (code page 932) at the end of a combo box's list; a listProfileNames
// callback.
void addProfileName(void* comboBox, int32_t index, const char* name);
// WM_HELP: help for the item under the pointer, by a table of control id and help context id
// pairs ended by two zeros; only when this thread sent it. Always handled.
BOOL showContextHelp(LPARAM helpInfo, const DWORD* table);
// Joins (onTop non-zero) or leaves the topmost band, without moving or activating.
void setTopmostBand(HWND window, int32_t onTop);
// After a message the dialog or a page handled: in test mode the edits act at once, and with
// followsAlwaysOnTop the dialog joins or leaves the topmost band as they say.
void applyTestModeEdits(HWND dialog, bool followsAlwaysOnTop);
