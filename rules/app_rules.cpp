#include "rules/app_rules.h"

#include <cstdio>
#include <cstring>
#include "engine/shell_windows.h"
#include "os/os.h"
#include "settings/profile_store.h"

bool runsAboveTheShell() {
  HWND shell = osGetShellWindow();
  if (!shell) shell = findTrustedWindow("Shell_TrayWnd", nullptr);
  const DWORD shellLevel = shell ? osProcessIntegrity(osWindowProcessId(shell)) : 0;
  return osProcessIntegrity(osCurrentProcessId()) >
         (shellLevel ? shellLevel : DWORD(SECURITY_MANDATORY_MEDIUM_RID));
}

namespace {
// Paths compare as file names do: the letters A to Z folded.
bool samePath(const char* a, const char* b) {
  auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
  while (*a && fold(*a) == fold(*b)) ++a, ++b;
  return fold(*a) == fold(*b);
}

// Whether process runs the program this process runs, from the same path, at this integrity.
bool runsThisQor(DWORD process) {
  char own[1024], other[1024];
  const DWORD self = osCurrentProcessId();
  return osProcessImageName(self, own, sizeof own) &&
         osProcessImageName(process, other, sizeof other) && samePath(own, other) &&
         osProcessIntegrity(process) == osProcessIntegrity(self);
}
}  // namespace

bool startAsOnlyCopy(DWORD runningCopy) {
  if (!runningCopy) {
    osRestoreSystemCursors();
    return true;
  }
  if (!runsThisQor(runningCopy)) return false;
  for (HWND w = osFindChildWindow(nullptr, nullptr, MAIN_WINDOW_CLASS); w;
       w = osFindChildWindow(nullptr, w, MAIN_WINDOW_CLASS))
    if (osWindowProcessId(w) == runningCopy) {
      osAllowForeground(runningCopy);
      osPostMessage(w, openSettingsMessage, 0, 0);
      break;
    }
  return false;
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

bool eventSlotsSecurityText(const char* userSid, bool ofNamespace, char (&text)[512]) {
  // The namespace: every directory right. The block: SYSTEM every section right, the user
  // read, write, query, READ_CONTROL and SYNCHRONIZE (no map-execute, no extend).
  const char* format = ofNamespace
                           ? "O:%sD:P(A;;0xf000f;;;SY)(A;;0xf000f;;;%s)S:(ML;;NWNR;;;ME)"
                           : "O:%sD:P(A;;0xf001f;;;SY)(A;;0x120007;;;%s)S:(ML;;NWNRNX;;;ME)";
  const int length = std::snprintf(text, sizeof text, format, userSid, userSid);
  return length > 0 && static_cast<size_t>(length) < sizeof text;
}
