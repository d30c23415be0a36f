// The floor for a global mouse hook that asks another process about every event: one
// bounded send to a cached window, then pass. Used only by the latency probe.
#include <windows.h>

namespace {
HWND sink;  // per process: found once, on the first event
}

extern "C" __declspec(dllexport) LRESULT CALLBACK MinimalMouseHook(int code, WPARAM wParam,
                                                                   LPARAM lParam) {
  if (code == HC_ACTION) {
    if (!sink) sink = FindWindowA("QorProbeSink", nullptr);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(sink, WM_USER + 90, wParam, 0, SMTO_ABORTIFHUNG, 1000, &answer);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
