// The hook thread: its hidden window receives every forwarded mouse event and the peer's
// requests, and runs the pointer engine under engineLock.
#pragma once
#include <windows.h>
#include <cstdint>

extern HWND hookWindow;               // set before startHookThread returns; null without it
extern HANDLE hookThread;

struct HookThreadStart {
  uint32_t startedAt;     // the program's start tick, from which a delayed start counts
  int32_t timerPeriodMs;  // the hook timer's period, 1..1000
  const wchar_t* libraryFile;  // this build's hook library beside the program
};
// Registers the hook window's class and starts the thread; returns once the thread's window
// exists (or could not be made). False when no thread runs.
bool startHookThread(const HookThreadStart& start);
// A change of the engine's state from the main thread, made under engineLock (changeEngine) by
// the hook thread while the main thread waits holding nothing.
void changeEngineOutsideHookThread(void (*change)());
// At exit, from the main thread: asks the hook window to close, the only close it obeys. Its
// thread removes the hooks, frees the library and ends.
void closeHookWindow();
LRESULT CALLBACK hookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Frees the pointer from any confinement, on every monitor.
void releasePointer();
