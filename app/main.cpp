// Qor.exe: one copy per desktop; the hidden main window does the rest.
#include <windows.h>
#include <commctrl.h>

#include "app/app_rules.h"
#include "app/main_window.h"
#include "engine/hookthread/hook_thread.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int) {
  if (!startAsOnlyCopy()) return 0;
  appInstance = instance;
  if (!registerMainWindowClass()) return 0;
  const HookThreadStart start = {GetTickCount(), parseTimerPeriod(commandTail)};
  // The settings dialog's templates use the common controls.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  HWND window = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Qor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                instance, const_cast<HookThreadStart*>(&start));
  if (!window) return 0;
  ShowWindow(window, SW_HIDE);
  MSG msg = {};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
