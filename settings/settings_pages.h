// What the settings dialog and its pages share: the page procedures, context help and the
// topmost band. Inside the settings folder only.
#pragma once
#include <cstdint>
#include <windows.h>

INT_PTR CALLBACK systemPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK panPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK scrollPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// WM_HELP: help for the item under the pointer from kHelpFile, by a table of control id and
// help context id pairs ended by two zeros. Always handled.
BOOL showContextHelp(LPARAM helpInfo, const DWORD* table);
// Joins (onTop non-zero) or leaves the topmost band, without moving or activating.
void setTopmostBand(HWND window, int32_t onTop);
