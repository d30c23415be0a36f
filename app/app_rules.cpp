#include "app/app_rules.h"

#include <cstring>
#include "os/os.h"
#include "settings/profile_store.h"

bool startAsOnlyCopy() {
  if (osFindWindow(MAIN_WINDOW_CLASS, nullptr)) return false;
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
