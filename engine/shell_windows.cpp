#include "engine/shell_windows.h"

#include "engine/os.h"

HWND taskbarWindow = nullptr;
HWND startButton = nullptr;
HWND progmanWindow = nullptr;

void findShellWindows() {
  taskbarWindow = osFindWindow("Shell_TrayWnd", "");
  progmanWindow = osFindWindow("Progman", "Program Manager");
  startButton = taskbarWindow ? osGetTopWindow(taskbarWindow) : nullptr;
}
