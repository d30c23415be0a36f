#include "engine/shell_windows.h"

#include "os/os.h"

std::atomic<HWND> taskbarWindow{nullptr};
std::atomic<HWND> startButton{nullptr};
std::atomic<HWND> desktopHost{nullptr};

namespace {
bool holdsDesktopView(HWND host) {
  HWND view = osFindChildWindow(host, nullptr, "SHELLDLL_DefView");
  return view && osFindChildWindow(view, nullptr, "SysListView32");
}

HWND findDesktopHost() {
  HWND progman = osFindWindow("Progman", "Program Manager");
  if (progman && holdsDesktopView(progman)) return progman;
  for (HWND w = osFindChildWindow(nullptr, nullptr, "WorkerW"); w;
       w = osFindChildWindow(nullptr, w, "WorkerW"))
    if (holdsDesktopView(w)) return w;
  return progman;
}
}  // namespace

void findShellWindows() {
  HWND taskbar = osFindWindow("Shell_TrayWnd", "");
  taskbarWindow = taskbar;
  desktopHost = findDesktopHost();
  HWND start = taskbar ? osFindChildWindow(taskbar, nullptr, "Start") : nullptr;
  startButton = start || !taskbar ? start : osFindChildWindow(taskbar, nullptr, "Button");
}
