// Qor.exe: one copy per desktop; the hidden main window does the rest.
#include <windows.h>

#include "app/app_rules.h"
#include "app/main_window.h"
#include "engine/hookthread/hook_protocol.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int) {
  if (!startAsOnlyCopy()) return 0;
  appInstance = instance;
  if (!registerMainWindowClass()) return 0;
  startTick = GetTickCount();
  hookTimerMs = parseTimerPeriod(commandTail);
  HWND window = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Qor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 0;
  ShowWindow(window, SW_HIDE);
  MSG msg = {};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
