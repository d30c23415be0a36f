// The About box (dialog resource "AboutBox").
#pragma once
#include <windows.h>

extern int aboutOpen;  // 1 while the About box is open; the tray opens no menu then

// Runs the About box modally for owner.
void runAboutBox(HWND owner);
