// The settings dialog: run modally by the main window for its Settings command, from template
// IDD_SETTINGS_SMALL or IDD_SETTINGS_LARGE by dialogSizeInUse, with parameter 0. Nothing else
// is needed to open it: the common-control classes of its templates are registered when the
// program starts.
#pragma once
#include <cstdint>
#include <windows.h>

extern int32_t settingsDialogOpen;  // 1 while the dialog shows; the tray shows no menu then
extern int32_t testMode;            // 1 while every edit acts on currentSettings at once
extern int32_t dialogSizeInUse;     // 0 small, 1 large: the templates of dialog and pages

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
