#include "engine/shell_windows.h"

#include "engine/send.h"
#include "settings/settings.h"

std::atomic<HWND> taskbarWindow{nullptr};
std::atomic<HWND> startButton{nullptr};
std::atomic<HWND> desktopHost{nullptr};

namespace {
bool holdsDesktopView(HWND host) {
  HWND view = osFindChildWindow(host, nullptr, "SHELLDLL_DefView");
  return view && osFindChildWindow(view, nullptr, "SysListView32");
}

HWND findDesktopHost() {
  HWND progman = findTrustedWindow("Progman", "Program Manager");
  if (progman && holdsDesktopView(progman)) return progman;
  for (HWND w = osFindChildWindow(nullptr, nullptr, "WorkerW"); w;
       w = osFindChildWindow(nullptr, w, "WorkerW"))
    if (trustedWindow(w) && holdsDesktopView(w)) return w;
  return progman;
}

// How the user aligned the taskbar's buttons: 0 left, 1 centred; missing (-1) before
// Windows 11, whose taskbar draws its Start without a window of its own.
int32_t taskbarAlignment() {
  HKEY key = osRegOpenKey(kTaskbarSettingsKey);
  DWORD alignment = 0, size = sizeof alignment;
  const bool held = osRegQueryValue(key, kTaskbarAlignmentValue, &alignment, &size) &&
                    size == sizeof alignment;
  osRegCloseKey(key);
  return held ? int32_t(alignment != 0) : -1;
}

// Where Start shows on a taskbar without a Start button window: at the left end of a taskbar
// whose buttons the user aligned left; centred buttons leave it where only UI Automation tells.
bool startShownAt(int32_t alignment, POINT* at) {
  RECT r = osGetWindowRect(taskbarWindow);
  if (alignment != 0 || r.right <= r.left) return false;
  const LONG half = (r.bottom - r.top) / 2;
  *at = {r.left + half, r.top + half};
  return true;
}

// The Start element's lookup calls into the taskbar's process, which may be the one waiting
// for Qor's answer to this very click: it runs on a thread of its own. One at a time, so that
// a shell that does not answer holds one thread, not one per click; a pointer that jumps long
// after the double-click would surprise more than help.
const DWORD kElementLookupMaxMs = 1000;
std::atomic<bool> elementLookupRunning{false};
struct ElementLookup {
  HWND taskbar;
  DWORD requestedAt;
};
ElementLookup elementLookup;  // written only while no lookup runs

void lookUpStartElement(void*) {
  RECT r;
  if (osAutomationElementRect(elementLookup.taskbar, kStartButtonAutomationId, &r) &&
      osGetTickCount() - elementLookup.requestedAt <= kElementLookupMaxMs)
    osSetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  elementLookupRunning = false;
}

void movePointerToStartElement(HWND taskbar) {
  if (elementLookupRunning.exchange(true)) return;
  elementLookup = {taskbar, osGetTickCount()};
  if (!osRunOnNewThread(lookUpStartElement, nullptr)) elementLookupRunning = false;
}
}  // namespace

bool trustedWindow(HWND window) {
  return osProcessIntegrity(osWindowProcessId(window)) >=
         osProcessIntegrity(osCurrentProcessId());
}

HWND findTrustedWindow(const char* className, const char* title) {
  for (HWND w = osFindNextWindow(nullptr, className, title); w;
       w = osFindNextWindow(w, className, title))
    if (trustedWindow(w)) return w;
  return nullptr;
}

void findShellWindows() {
  HWND taskbar = findTrustedWindow("Shell_TrayWnd", "");
  taskbarWindow = taskbar;
  desktopHost = findDesktopHost();
  HWND start = taskbar ? osFindChildWindow(taskbar, nullptr, "Start") : nullptr;
  startButton = start || !taskbar ? start : osFindChildWindow(taskbar, nullptr, "Button");
}

void doubleClickOnDesktop(HWND window) {
  if (!desktopHost || osGetParent(osGetParent(window)) != desktopHost) return;
  if (askWindow(window, LVM_GETSELECTEDCOUNT, 0, 0) != 0) return;
  bool moves = currentSettings.dblClickMovesToStart != 0;
  bool opens = currentSettings.dblClickOpensStartMenu != 0;
  if (!(moves || opens) || !osIsWindow(taskbarWindow)) return;
  askWindow(taskbarWindow, WM_SETFOCUS, 0, 0);
  // A window named Start on a taskbar of Windows 11's layout is not what shows Start.
  const int32_t alignment = taskbarAlignment();
  const bool button = alignment < 0 && osIsWindow(startButton);
  POINT at;
  if (moves && button) {
    RECT r = osGetWindowRect(startButton);
    osSetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  } else if (moves && startShownAt(alignment, &at)) {
    osSetCursorPos(at.x, at.y);
  } else if (moves) {
    movePointerToStartElement(taskbarWindow);
  }
  if (opens && button) askWindow(startButton, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  else if (opens) askWindow(taskbarWindow, WM_SYSCOMMAND, SC_TASKLIST, 0);
}
