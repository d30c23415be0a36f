// The hook thread, its window and the installation of the global hooks.
#include "app/hook_thread.h"

#include <atomic>

#include "app/event_slots.h"
#include "engine/hook_protocol.h"
#include "resources/resource.h"
#include "ui/beside_program.h"
#include "ui/texts.h"

HWND hookWindow = nullptr;
HANDLE hookThread = nullptr;

namespace {
const UINT_PTR kHookTimerId = 185;
HMODULE hookLibrary = nullptr;
HHOOK mouseHook = nullptr;
HHOOK msgFilterHook = nullptr;
HANDLE windowReady = nullptr;  // signalled once the thread has tried to create its window
// The engine runs under this lock on the hook thread; the main thread takes it only while no
// hook thread runs.
CRITICAL_SECTION engineLock;

// Made by the main thread before any other thread can take it (the hook thread starts later).
CRITICAL_SECTION& theEngineLock() {
  static bool made = false;
  if (!made) InitializeCriticalSection(&engineLock);
  made = true;
  return engineLock;
}
UINT timerPeriodMs = 10;
const wchar_t* libraryFile = nullptr;
int lockDepth = 0;  // how often the hook thread holds the engine lock now
// The main thread's change of the engine, handed to the hook thread: the engine sends to other
// windows, which the main thread must never do while it holds the engine lock. The message
// carries nothing, so one that another process sends makes at most this change early.
const UINT kMsgChangeEngine = WM_APP + 1;
std::atomic<void (*)()> pendingChange{nullptr};
// Set by the main thread before it asks the hook window to close: no other close is obeyed.
std::atomic<bool> closeRequested{false};
bool windowGone = false;  // the hook window was destroyed; its thread's loop ends

// Failures to tell the user, shown once the hook thread no longer holds the engine lock: a
// message box runs for as long as it shows, and the main thread must not wait on the lock.
enum { kMaxReports = 6 };  // every failure of one installation and one removal
UINT reports[kMaxReports];  // string ids
int reportCount = 0;

void report(UINT id) {
  if (reportCount < kMaxReports) reports[reportCount++] = id;
}

void showReports(HWND window) {
  static bool showing = false;
  if (showing) return;
  showing = true;
  HWND owner = IsWindow(window) ? window : nullptr;
  for (int i = 0; i < reportCount; ++i)
    MessageBoxW(owner, text(reports[i]).s, text(IDS_REPORT_CAPTION).s, MB_ICONEXCLAMATION | MB_OK);
  reportCount = 0;
  showing = false;
}

HHOOK hookExport(int type, const char* name) {
  HOOKPROC procedure = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(hookLibrary, name)));
  return procedure ? SetWindowsHookExA(type, procedure, hookLibrary, 0) : nullptr;
}

// This build's hook library beside Qor.exe, by its full path: never one found elsewhere on
// the search path.
HMODULE loadHookLibrary() {
  wchar_t path[MAX_PATH];
  if (!libraryFile || !besideProgram(libraryFile, path)) return nullptr;
  return LoadLibraryW(path);
}

// Each step is skipped when its handle is already held.
void installHooks() {
  if (!hookLibrary) hookLibrary = loadHookLibrary();
  if (!hookLibrary) {
    report(IDS_CANNOT_LOAD_LIBRARY);
    return;
  }
  if (!mouseHook) mouseHook = hookExport(WH_MOUSE, MOUSE_HOOK_EXPORT);
  if (!mouseHook) {
    report(IDS_CANNOT_HOOK_MOUSE);
    return;
  }
  if (!msgFilterHook) msgFilterHook = hookExport(WH_MSGFILTER, MSG_FILTER_EXPORT);
  if (!msgFilterHook) {
    report(IDS_CANNOT_HOOK_MSG_FILTER);
    UnhookWindowsHookEx(mouseHook);
    mouseHook = nullptr;
  }
}

// Both are tried, whatever the first gave. The library is freed only once the thread's loop has
// ended: a 32-bit application's mouse hook runs on this thread, and its frame may lie below.
void removeHooks() {
  if (mouseHook) {
    if (UnhookWindowsHookEx(mouseHook)) mouseHook = nullptr;
    else report(IDS_CANNOT_UNHOOK_MOUSE);
  }
  if (msgFilterHook) {
    if (UnhookWindowsHookEx(msgFilterHook)) msgFilterHook = nullptr;
    else report(IDS_CANNOT_UNHOOK_MSG_FILTER);
  }
}

LRESULT onCreate(HWND window, WPARAM wParam, LPARAM lParam) {
  // The library forwards events only to the hook window the block names.
  if (EventSlots* slots = eventSlotsView())
    __atomic_store_n(&slots->owner.hookWindow, handle32Of(window), __ATOMIC_RELEASE);
  if (installHooksAtCreation()) installHooks();
  publishDemand();
  return DefWindowProcW(window, WM_CREATE, wParam, lParam);
}

LRESULT onChangeEngine() {
  if (void (*change)() = pendingChange.exchange(nullptr)) changeEngine(change);
  return 0;
}

LRESULT onTimer() {
  if (hookTimerTick()) installHooks();
  return 0;
}

// Anyone may send or post WM_CLOSE or WM_DESTROY; only the main thread's request at exit ends
// the hooks.
LRESULT onClose(HWND window) {
  if (closeRequested) DestroyWindow(window);
  return 0;
}

LRESULT onDestroy() {
  if (!closeRequested) return 0;
  removeHooks();
  releasePointer();
  windowGone = true;
  PostQuitMessage(0);
  return 0;
}

DWORD WINAPI hookThreadMain(void*) {
  eventSlots = eventSlotsView();
  hookWindow = CreateWindowExW(0, L"" HOOK_CLASS_NAME, L"" HOOK_WINDOW_NAME, WS_OVERLAPPEDWINDOW,
                               0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetEvent(windowReady);
  if (hookWindow) {
    ShowWindow(hookWindow, SW_HIDE);
    // No window filter: WM_QUIT is a thread message. Until the window is gone, a WM_QUIT that
    // someone else posted is no reason to stop.
    MSG msg;
    while (!windowGone) {
      if (GetMessageW(&msg, nullptr, 0, 0) <= 0) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (hookLibrary && !FreeLibrary(hookLibrary)) report(IDS_CANNOT_FREE_LIBRARY);
  showReports(nullptr);
  // The main thread may still change the engine: the block goes under the lock.
  EnterCriticalSection(&engineLock);
  hookWindow = nullptr;
  eventSlots = nullptr;
  if (EventSlots* slots = eventSlotsView())
    __atomic_store_n(&slots->owner.hookWindow, 0, __ATOMIC_RELEASE);
  closeEventSlots();
  LeaveCriticalSection(&engineLock);
  return 0;
}

LRESULT handleHookMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return onCreate(window, wParam, lParam);
    case WM_TIMER: return onTimer();
    case WM_CLOSE: return onClose(window);
    case WM_DESTROY: return onDestroy();
    case kMsgMenuLoop: return answerMenuLoop();
    case kMsgMouseEvent: return answerMouseEvent(wParam, lParam);
    case kMsgPeer: return answerPeer(lParam);
    case kMsgChangeEngine: return onChangeEngine();
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}
}  // namespace

// Not a clip to the desktop window: that is the primary monitor only.
void releasePointer() { ClipCursor(nullptr); }

void changeEngineOutsideHookThread(void (*change)()) {
  if (hookWindow) {
    pendingChange = change;
    SendMessageW(hookWindow, kMsgChangeEngine, 0, 0);
    if (!pendingChange.exchange(nullptr)) return;
  }
  // No hook thread runs the engine: nothing it does can send.
  EnterCriticalSection(&theEngineLock());
  changeEngine(change);
  LeaveCriticalSection(&engineLock);
}

void closeHookWindow() {
  if (!hookWindow) return;
  closeRequested = true;
  SendMessageW(hookWindow, WM_CLOSE, 0, 0);
}

// The timer runs only while something needs it, so that an idle Qor never wakes.
static void followTimerNeed(HWND window) {
  static bool running = false;
  const bool wanted = !windowGone && hookTimerWanted();
  if (wanted == running) return;
  running = wanted ? SetTimer(window, kHookTimerId, timerPeriodMs, nullptr) != 0
                   : !KillTimer(window, kHookTimerId);
}

LRESULT CALLBACK hookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  EnterCriticalSection(&engineLock);
  ++lockDepth;
  LRESULT result = handleHookMessage(window, message, wParam, lParam);
  followTimerNeed(window);
  const bool released = --lockDepth == 0;
  LeaveCriticalSection(&engineLock);
  if (released) showReports(window);
  return result;
}

bool startHookThread(const HookThreadStart& start) {
  theEngineLock();
  startTick = start.startedAt;
  timerPeriodMs = static_cast<UINT>(start.timerPeriodMs);
  libraryFile = start.libraryFile;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = hookWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"" HOOK_CLASS_NAME;
  if (!RegisterClassW(&wc)) return false;
  windowReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
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
