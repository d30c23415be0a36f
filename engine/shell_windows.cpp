#include "engine/shell_windows.h"

#include "os/os.h"

std::atomic<HWND> taskbarWindow{nullptr};
std::atomic<HWND> startButton{nullptr};
std::atomic<HWND> progmanWindow{nullptr};

void findShellWindows() {
  HWND taskbar = osFindWindow("Shell_TrayWnd", "");
  taskbarWindow = taskbar;
  progmanWindow = osFindWindow("Progman", "Program Manager");
  startButton = taskbar ? osGetTopWindow(taskbar) : nullptr;
}
