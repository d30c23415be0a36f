// The hook thread, its window and the installation of the global hooks.
#include "engine/hookthread/hook_thread.h"

#include "engine/hookthread/hook_protocol.h"

HWND hookWindow = nullptr;
HANDLE hookThread = nullptr;
CRITICAL_SECTION engineLock;

namespace {
const UINT_PTR kHookTimerId = 185;
HMODULE hookLibrary = nullptr;
HHOOK mouseHook = nullptr;
HHOOK msgFilterHook = nullptr;
HANDLE windowReady = nullptr;  // signalled once the thread has tried to create its window
UINT timerPeriodMs = 10;

void report(HWND owner, const char* text) {
  MessageBoxA(owner, text, "報告", MB_ICONEXCLAMATION | MB_OK);
}

HHOOK hookExport(int type, const char* name) {
  HOOKPROC procedure = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(hookLibrary, name)));
  return procedure ? SetWindowsHookExA(type, procedure, hookLibrary, 0) : nullptr;
}

// Each step is skipped when its handle is already held.
bool installHooks(HWND owner) {
  if (!hookLibrary) hookLibrary = LoadLibraryA(HOOK_LIBRARY_NAME);
  if (!hookLibrary) {
    report(owner, "Cannot load Qordll.DLL.");
    return false;
  }
  if (!mouseHook) mouseHook = hookExport(WH_MOUSE, MOUSE_HOOK_EXPORT);
  if (!mouseHook) {
    report(owner, "Cannot hook MouseFunc.");
    return false;
  }
  if (!msgFilterHook) msgFilterHook = hookExport(WH_MSGFILTER, MSG_FILTER_EXPORT);
  if (!msgFilterHook) {
    report(owner, "Cannot hook CallWndProcFunc.");
    UnhookWindowsHookEx(mouseHook);
    mouseHook = nullptr;
    return false;
  }
  return true;
}

bool removeHooks(HWND owner) {
  if (mouseHook) {
    if (UnhookWindowsHookEx(mouseHook)) mouseHook = nullptr;
    else report(owner, "Cannot unhook MouseFunc.");
  }
  if (msgFilterHook) {
    if (UnhookWindowsHookEx(msgFilterHook)) msgFilterHook = nullptr;
    else report(owner, "Cannot unhook MsgFunc.");
  }
  if (hookLibrary) {
    if (FreeLibrary(hookLibrary)) hookLibrary = nullptr;
    else report(owner, "Cannot DLL 解除.");
  }
  return true;
}

LRESULT onCreate(HWND window, WPARAM wParam, LPARAM lParam) {
  if (installHooksAtCreation()) setHooks(window, true);
  SetTimer(window, kHookTimerId, timerPeriodMs, nullptr);
  return DefWindowProcA(window, WM_CREATE, wParam, lParam);
}

LRESULT onTimer(HWND window) {
  if (hookTimerTick()) setHooks(window, true);
  return 0;
}

LRESULT onDestroy(HWND window) {
  setHooks(window, false);
  KillTimer(window, kHookTimerId);
  releasePointer();
  PostQuitMessage(0);
  return 0;
}

DWORD WINAPI hookThreadMain(void*) {
  // The block of event slots that the library fills, for as long as the hook window runs.
  EventSlotsView slotsView = mapEventSlots(true);
  eventSlots = slotsView.slots;
  hookWindow = CreateWindowExA(0, HOOK_CLASS_NAME, HOOK_WINDOW_NAME, WS_OVERLAPPEDWINDOW, 0, 0,
                               0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetEvent(windowReady);
  if (hookWindow) {
    ShowWindow(hookWindow, SW_HIDE);
    // No window filter: WM_QUIT is a thread message, and the window is gone when it comes.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  hookWindow = nullptr;
  eventSlots = nullptr;
  unmapEventSlots(slotsView);
  return 0;
}

LRESULT handleHookMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return onCreate(window, wParam, lParam);
    case WM_TIMER: return onTimer(window);
    case WM_DESTROY: return onDestroy(window);
    case kMsgMenuLoop: return answerMenuLoop();
    case kMsgMouseEvent: return answerMouseEvent(wParam, lParam);
    case kMsgMouseHook: return reinterpret_cast<LRESULT>(mouseHook);
    case kMsgFilterHook: return reinterpret_cast<LRESULT>(msgFilterHook);
    case kMsgPeer: return answerPeer(lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
}  // namespace

void releasePointer() {
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  ClipCursor(&desktop);
}

bool setHooks(HWND owner, bool on) { return on ? installHooks(owner) : removeHooks(owner); }

LRESULT CALLBACK hookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  EnterCriticalSection(&engineLock);
  LRESULT result = handleHookMessage(window, message, wParam, lParam);
  LeaveCriticalSection(&engineLock);
  return result;
}

bool startHookThread(const HookThreadStart& start) {
  startTick = start.startedAt;
  timerPeriodMs = static_cast<UINT>(start.timerPeriodMs);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = hookWindowProc;
  wc.cbWndExtra = 8;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = HOOK_CLASS_NAME;
  if (!RegisterClassA(&wc)) return false;
  windowReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  hookThread = CreateThread(nullptr, 0, hookThreadMain, nullptr, 0, nullptr);
  if (hookThread) {
    // The main window may close at once; it must find the window to close it.
    HANDLE waits[] = {windowReady, hookThread};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  }
  CloseHandle(windowReady);
  windowReady = nullptr;
  return hookThread != nullptr;
}
