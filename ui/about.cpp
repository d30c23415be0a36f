#include "ui/about.h"

#include "ui/texts.h"

int aboutOpen = 0;

namespace {
INT_PTR onAboutCommand(HWND dialog, WORD id) {
  if (id != IDOK && id != IDCANCEL) return FALSE;
  aboutOpen = 0;
  ShowWindow(dialog, SW_HIDE);
  EndDialog(dialog, 1);
  return TRUE;
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: aboutOpen = 1; return TRUE;
    case WM_COMMAND: return onAboutCommand(dialog, LOWORD(wParam));
    default: return FALSE;
  }
}
}  // namespace

void runAboutBox(HWND owner) {
  if (const DLGTEMPLATE* box = dialogTemplate(L"AboutBox"))
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), box, owner, aboutDialogProc, 0);
}
