// Qor.exe: one copy per desktop; the hidden main window does the rest.
#include <windows.h>

#include "rules/app_rules.h"
#include "app/event_slots.h"
#include "app/hook_thread.h"
#include "app/leftovers.h"
#include "app/main_window.h"
#include "resources/resource.h"
#include "settings/user_options.h"
#include "ui/texts.h"

namespace {
// This build's hook library beside Qor.exe (its name differs from every other build's).
const wchar_t kLibraryFile[] = L"" QOR_LIBRARY_FILE;
enum { kExitOnWow64 = 2, kExitSlotsTaken = 3, kExitAboveTheShell = 4 };

// The 32-bit program is for 32-bit Windows: on 64-bit Windows its hooks would reach only the
// 32-bit programs, beside (or instead of) the 64-bit Qor.
bool runsOnWow64() {
#ifdef _WIN64
  return false;
#else
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

// A crash must not leave a gesture cursor as the user's arrow. No lock and no engine state:
// either may be what broke; the system's reload is harmless when none of ours shows.
LONG WINAPI restoreCursorsOnCrash(EXCEPTION_POINTERS*) {
  SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, 0);
  return EXCEPTION_CONTINUE_SEARCH;
}

// A start that gives up silently, as a second copy does, says why to a debugger.
int giveUp(const char* what) {
  wchar_t text[96];
  wsprintfW(text, L"Qor: %hs (error %lu)\n", what, GetLastError());
  OutputDebugStringW(text);
  return 0;
}

// WM_NOTIFY and WM_HELP carry an address that only a sender on this thread may give: one
// taken from the queue was posted, by anyone, with an address of their choosing.
bool carriesForeignAddress(const MSG& msg) {
  return msg.message == WM_NOTIFY || msg.message == WM_HELP;
}

// The same for the loops of dialogs, message boxes and menus on this thread.
LRESULT CALLBACK dropForeignAddresses(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && carriesForeignAddress(*reinterpret_cast<const MSG*>(lParam))) return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

int refuse(UINT id, int exitCode) {
  MessageBoxW(nullptr, text(id).s, L"Qor", MB_ICONSTOP | MB_OK);
  return exitCode;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int) {
  loadUserOptions();  // a refusal speaks the user's language
  if (runsOnWow64()) return refuse(IDS_WOW64_REFUSED, kExitOnWow64);
  if (runsAboveTheShell()) return refuse(IDS_ELEVATED_REFUSED, kExitAboveTheShell);
  // The block, which only Qor can make, tells whether a copy runs: a window of Qor's class
  // may be anyone's.
  DWORD runningCopy = 0;
  if (createEventSlots(&runningCopy) == kSlotsRefused) return refuse(IDS_SLOTS_TAKEN, kExitSlotsTaken);
  if (!startAsOnlyCopy(runningCopy)) return 0;
  removeLeftovers(kLibraryFile);
  appInstance = instance;
  SetUnhandledExceptionFilter(restoreCursorsOnCrash);
  SetWindowsHookExW(WH_MSGFILTER, dropForeignAddresses, nullptr, GetCurrentThreadId());
  if (!registerMainWindowClass()) return giveUp("the main window's class was not registered");
  const HookThreadStart start = {GetTickCount(), parseTimerPeriod(commandTail), kLibraryFile};
  HWND window = CreateWindowExW(0, L"" MAIN_WINDOW_CLASS, L"Qor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                instance, const_cast<HookThreadStart*>(&start));
  if (!window) return giveUp("the main window was not created");
  ShowWindow(window, SW_HIDE);
  MSG msg = {};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (carriesForeignAddress(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
