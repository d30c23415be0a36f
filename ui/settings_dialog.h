// The settings dialog: run modally by the main window for its Settings command, from template
// IDD_SETTINGS_SMALL or IDD_SETTINGS_LARGE by dialogSizeInUse, with parameter 0, once
// registerDialogControls has run.
#pragma once
#include <cstdint>
#include <windows.h>

extern int32_t settingsDialogOpen;  // 1 while the dialog shows; the tray shows no menu then
extern int32_t testMode;            // 1 while every edit acts on currentSettings at once
extern int32_t dialogSizeInUse;     // 0 small, 1 large: the templates of dialog and pages

// The templates name the tab control and the trackbar: their classes must be registered
// before the dialog opens.
void registerDialogControls();
INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
