#include "ui/popup_menu.h"

void showPopupMenu(HWND owner, HMENU popup) {
  POINT at = {0, 0};
  GetCursorPos(&at);
  SetForegroundWindow(owner);
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
  PostMessageW(owner, WM_KILLFOCUS, 0, 0);
}
