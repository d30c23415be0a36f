#include "app/app_rules.h"

#include <cstdio>
#include <cstring>
#include "os/os.h"
#include "settings/profile_store.h"

bool runsAboveTheShell() {
  HWND shell = osGetShellWindow();
  if (!shell) shell = osFindWindow("Shell_TrayWnd", nullptr);
  const DWORD shellLevel = shell ? osProcessIntegrity(osWindowProcessId(shell)) : 0;
  return osProcessIntegrity(osCurrentProcessId()) >
         (shellLevel ? shellLevel : DWORD(SECURITY_MANDATORY_MEDIUM_RID));
}

bool startAsOnlyCopy() {
  if (HWND running = osFindWindow(MAIN_WINDOW_CLASS, nullptr)) {
    osAllowForeground(osWindowProcessId(running));
    osPostMessage(running, openSettingsMessage, 0, 0);
    return false;
  }
  osRestoreSystemCursors();
  return true;
}

int32_t parseTimerPeriod(const char* commandTail) {
  int32_t ms = commandTail ? parseDecimal(commandTail, static_cast<int>(std::strlen(commandTail)))
                           : 0;
  if (ms < 1) return 10;
  return ms > 1000 ? 1000 : ms;
}

int32_t chooseDialogSize(int32_t dialogSize) {
  if (dialogSize == 2) {
    RECT desktop = osGetWindowRect(osGetDesktopWindow());
    dialogSize = desktop.right - desktop.left > 800 ? 1 : 0;
  }
  return dialogSize == 1 ? 1 : 0;
}

bool eventSlotsSecurityText(const char* userSid, char (&text)[512]) {
  const int length = std::snprintf(
      text, sizeof text, "O:%sD:P(A;;0xf001f;;;SY)(A;;0xf001f;;;%s)S:(ML;;NWNR;;;ME)", userSid,
      userSid);
  return length > 0 && static_cast<size_t>(length) < sizeof text;
}
