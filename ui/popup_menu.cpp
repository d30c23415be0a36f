#include "ui/popup_menu.h"

UINT showPopupMenu(HWND owner, HMENU popup) {
  POINT at = {0, 0};
  GetCursorPos(&at);
  SetForegroundWindow(owner);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr));
  PostMessageW(owner, WM_KILLFOCUS, 0, 0);
  return chosen;
}
