// What the Windows tests and the test application agree on.
#pragma once
#include <windows.h>

#include <cstdint>

#define TESTAPP_CLASS "QorTestApp"
#define TESTAPP_PLAIN_CLASS "QorTestPlain"
// Views without scroll bars that scroll by the wheel alone, named and behaving as the toolkits
// they stand in for: Chromium's render widget adds deltas below a notch up; WPF's HwndWrapper
// scrolls a whole notch per message whatever its delta; SDL divides each delta by a notch and
// drops the remainder. The last stands in for the app model's core window, which takes the
// mouse as pointer input (here only its name does). Beside them a classic multiline edit
// control, the application's only top-level "Edit", whose line steps they are measured against.
inline constexpr const char* kTestWheelViewClasses[] = {
    "Chrome_RenderWidgetHostHWND", "HwndWrapper[QorTest;;1]", "SDL_app", "Windows.UI.Core.CoreWindow"};
enum { kChromiumView, kWpfView, kSdlView, kCoreWindowView, kWheelViewCount };
#define TESTAPP_WM_SCROLLED (WM_APP + 5)

// Child control ids of the main test window.
enum {
  kTestListView = 101,
  kTestTreeView = 102,
  kTestVScrollBar = 103,
  kTestHScrollBar = 104,
  kTestPushButton = 105,
  kTestCheckBox = 106,
  kTestRadioButton = 107,
  kTestEdit = 108,
  kTestOddHit = 109,  // answers every hit test with HTOBJECT, a code no table knows
};

// Sent to the main test window: wParam a control id, lParam a kTestPoint* part. Answers a
// point in that control's client coordinates as MAKELONG(x, y), computed in the test
// application's own process.
#define TESTAPP_WM_POINT (WM_APP + 1)
enum { kTestPointItemLabel = 0, kTestPointEmpty = 1, kTestPointRightOfItem = 2 };

// The messages that the application's windows receive, for the end-to-end tests: a named
// shared block the applications (one or two processes) append to and the tests read.
// Logged: scroll and wheel messages, mouse buttons, WM_SETFOCUS, the peer message (1174),
// WM_COPYDATA (lParam: its dwData, such as the tray's NIM_ADD) and TESTAPP_WM_SETTLE. Appends
// take the named mutex, so that an entry is whole before the count covers it.
#define TESTAPP_LOG_NAME "QorTestApp.Log"
#define TESTAPP_LOG_LOCK_NAME "QorTestApp.LogLock"
enum { kTestLogCapacity = 1 << 17 };
struct TestLogEntry {
  uint32_t window;  // handle as a 32-bit value
  uint32_t message;
  uint32_t wParam;
  uint32_t lParam;
};
struct TestLog {
  volatile LONG count;    // entries written; logging stops at kTestLogCapacity
  volatile LONG hanging;  // 1 while a window procedure hangs on request (TESTAPP_WM_HANG)
  TestLogEntry entry[kTestLogCapacity];
};
// Sent to the main test window: empties the log.
#define TESTAPP_WM_CLEAR_LOG (WM_APP + 2)

// Sent to the main test window: the next time one of the application's windows receives
// message wParam sent from another thread (a hit test, WM_NCHITTEST, WM_VSCROLL from Qor),
// its procedure blocks for lParam milliseconds before it answers: a hung application.
#define TESTAPP_WM_HANG (WM_APP + 3)

// Sent to the main test window of the application with the stand-ins: the stand-in taskbar
// is destroyed and made anew, and "TaskbarCreated" is broadcast, as a restarted shell does.
// wParam 0 makes the older layout below; 1 that of Windows 8 to 11: the desktop's view under
// a "WorkerW" in front of an empty "Progman", and a taskbar without a Start button window.
// Answers the new taskbar.
#define TESTAPP_WM_NEW_TASKBAR (WM_APP + 4)

// Posted to any window of the application: it handles all input waiting for it, then logs
// this message for that window. An application that was hung or busy may still hold input
// from before, which moves the pointer where it was then.
#define TESTAPP_WM_SETTLE (WM_APP + 6)

// Started with this argument, the application also builds stand-ins of the shell's windows
// (none of which Wine has with children): the desktop "Progman" "Program Manager" with a
// "SHELLDLL_DefView" holding an empty "SysListView32", the taskbar "Shell_TrayWnd" with an
// empty title, a "TrayNotifyWnd" and a "Button" as its Start button, and the peer
// program's "VOLMAR32".
#define TESTAPP_STAND_INS "stand-ins"
// Started with this argument, the application places its windows where those of a first
// one do not lie: a second application process beside the first.
#define TESTAPP_SECOND "second"
