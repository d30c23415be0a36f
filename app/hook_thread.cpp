// The hook thread, its window and the installation of the global hooks.
#include "app/hook_thread.h"

#include <cwchar>

#include "app/event_slots.h"
#include "engine/hook_protocol.h"

HWND hookWindow = nullptr;
HANDLE hookThread = nullptr;

namespace {
const UINT_PTR kHookTimerId = 185;
HMODULE hookLibrary = nullptr;
HHOOK mouseHook = nullptr;
HHOOK msgFilterHook = nullptr;
HANDLE windowReady = nullptr;  // signalled once the thread has tried to create its window
// The engine runs under this lock on the hook thread; the main thread takes it for its changes.
CRITICAL_SECTION engineLock;

// Made by the main thread before any other thread can take it (the hook thread starts later).
CRITICAL_SECTION& theEngineLock() {
  static bool made = false;
  if (!made) InitializeCriticalSection(&engineLock);
  made = true;
  return engineLock;
}
UINT timerPeriodMs = 10;

void report(HWND owner, const wchar_t* text) {
  MessageBoxW(owner, text, L"報告", MB_ICONEXCLAMATION | MB_OK);
}

HHOOK hookExport(int type, const char* name) {
  HOOKPROC procedure = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(hookLibrary, name)));
  return procedure ? SetWindowsHookExA(type, procedure, hookLibrary, 0) : nullptr;
}

// The hook library beside Qor.exe, by its full path: never one found elsewhere on the search
// path. Wide throughout: the folder may have any name.
HMODULE loadHookLibrary() {
  static const wchar_t kFile[] = L"" HOOK_LIBRARY_NAME ".dll";
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  wchar_t* name = wcsrchr(path, L'\\');
  const size_t folder = name ? static_cast<size_t>(name + 1 - path) : 0;
  if (folder + ARRAYSIZE(kFile) > MAX_PATH) return nullptr;
  std::wmemcpy(path + folder, kFile, ARRAYSIZE(kFile));
  return LoadLibraryW(path);
}

// Each step is skipped when its handle is already held.
bool installHooks(HWND owner) {
  if (!hookLibrary) hookLibrary = loadHookLibrary();
  if (!hookLibrary) {
    report(owner, L"Cannot load Qordll.DLL.");
    return false;
  }
  if (!mouseHook) mouseHook = hookExport(WH_MOUSE, MOUSE_HOOK_EXPORT);
  if (!mouseHook) {
    report(owner, L"Cannot hook MouseFunc.");
    return false;
  }
  if (!msgFilterHook) msgFilterHook = hookExport(WH_MSGFILTER, MSG_FILTER_EXPORT);
  if (!msgFilterHook) {
    report(owner, L"Cannot hook CallWndProcFunc.");
    UnhookWindowsHookEx(mouseHook);
    mouseHook = nullptr;
    return false;
  }
  return true;
}

// Every step is tried, whatever the one before gave; false when one failed.
bool removeHooks(HWND owner) {
  bool removed = true;
  auto failed = [&](const wchar_t* text) {
    report(owner, text);
    removed = false;
  };
  if (mouseHook) {
    if (UnhookWindowsHookEx(mouseHook)) mouseHook = nullptr;
    else failed(L"Cannot unhook MouseFunc.");
  }
  if (msgFilterHook) {
    if (UnhookWindowsHookEx(msgFilterHook)) msgFilterHook = nullptr;
    else failed(L"Cannot unhook MsgFunc.");
  }
  if (hookLibrary) {
    if (FreeLibrary(hookLibrary)) hookLibrary = nullptr;
    else failed(L"Cannot DLL 解除.");
  }
  return removed;
}

// Qor started elevated still hears the hook library and the peer in lower-integrity
// processes: exactly their messages pass the system's filter, nothing else.
void admitProtocolMessages(HWND window) {
  const UINT kProtocol[] = {kMsgMenuLoop, kMsgMouseEvent, kMsgPeer};
  for (UINT message : kProtocol) ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
}

LRESULT onCreate(HWND window, WPARAM wParam, LPARAM lParam) {
  admitProtocolMessages(window);
  // The library forwards events only to the hook window the block names.
  if (EventSlots* slots = eventSlotsView())
    __atomic_store_n(&slots->owner.hookWindow, handle32Of(window), __ATOMIC_RELEASE);
  if (installHooksAtCreation()) setHooks(window, true);
  publishDemand();
  return DefWindowProcA(window, WM_CREATE, wParam, lParam);
}

LRESULT onTimer(HWND window) {
  if (hookTimerTick()) setHooks(window, true);
  return 0;
}

LRESULT onDestroy(HWND window) {
  setHooks(window, false);
  releasePointer();
  PostQuitMessage(0);
  return 0;
}

DWORD WINAPI hookThreadMain(void*) {
  eventSlots = eventSlotsView();
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
  if (EventSlots* slots = eventSlotsView())
    __atomic_store_n(&slots->owner.hookWindow, 0, __ATOMIC_RELEASE);
  closeEventSlots();
  return 0;
}

LRESULT handleHookMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return onCreate(window, wParam, lParam);
    case WM_TIMER: return onTimer(window);
    case WM_DESTROY: return onDestroy(window);
    case kMsgMenuLoop: return answerMenuLoop();
    case kMsgMouseEvent: return answerMouseEvent(wParam, lParam);
    case kMsgPeer: return answerPeer(lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
}  // namespace

// Not a clip to the desktop window: that is the primary monitor only.
void releasePointer() { ClipCursor(nullptr); }

void changeEngineOutsideHookThread(void (*change)()) {
  EnterCriticalSection(&theEngineLock());
  changeEngine(change);
  LeaveCriticalSection(&engineLock);
}

bool setHooks(HWND owner, bool on) { return on ? installHooks(owner) : removeHooks(owner); }

// The timer runs only while something needs it, so that an idle Qor never wakes.
static void followTimerNeed(HWND window, UINT message) {
  static bool running = false;
  const bool wanted = message != WM_DESTROY && hookTimerWanted();
  if (wanted == running) return;
  running = wanted ? SetTimer(window, kHookTimerId, timerPeriodMs, nullptr) != 0
                   : !KillTimer(window, kHookTimerId);
}

LRESULT CALLBACK hookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  EnterCriticalSection(&engineLock);
  LRESULT result = handleHookMessage(window, message, wParam, lParam);
  followTimerNeed(window, message);
  LeaveCriticalSection(&engineLock);
  return result;
}

bool startHookThread(const HookThreadStart& start) {
  theEngineLock();
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
