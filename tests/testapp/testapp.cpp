// A test application: real windows and common controls in a process of their own.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <initializer_list>

#include "tests/testapp/testapp.h"

namespace {
HWND mainWindow;
TestLog* testLog;
HANDLE logLock;
HWND taskbar;  // the stand-in taskbar, when there are stand-ins
HWND desktop;  // the stand-in "Progman"
HWND worker;   // the stand-in "WorkerW" that holds the desktop's view, in the newer layout
UINT hangOn;   // TESTAPP_WM_HANG: the message that makes a procedure hang, and for how long
DWORD hangMs;

void openLog() {
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(TestLog), TESTAPP_LOG_NAME);
  if (mapping) testLog = static_cast<TestLog*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  logLock = CreateMutexA(nullptr, FALSE, TESTAPP_LOG_LOCK_NAME);
  if (!testLog) return;
  testLog->count = 0;
  testLog->hanging = 0;  // an application killed while it hung leaves it set
}

// A sent message that was asked to hang its procedure does so once.
void hangIfAsked(UINT message) {
  if (!hangOn || message != hangOn || !InSendMessage() || !testLog) return;
  hangOn = 0;
  testLog->hanging = 1;
  Sleep(hangMs);
  testLog->hanging = 0;
}

void appendLog(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!testLog) return;
  WaitForSingleObject(logLock, INFINITE);  // an owner that was killed gives it up too
  LONG n = testLog->count;
  if (n < kTestLogCapacity) {
    testLog->entry[n] = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)), message,
                         static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam)};
    InterlockedExchange(&testLog->count, n + 1);
  }
  ReleaseMutex(logLock);
}

// Dispatches every message waiting. Once the queue is empty Wine also turns the window
// system's pending events (a pointer crossing) into input, so that input is handled too.
void takeInWaitingInput() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void logMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  hangIfAsked(message);
  if (message == TESTAPP_WM_SETTLE) takeInWaitingInput();
  switch (message) {
    case WM_VSCROLL: case WM_HSCROLL: case WM_MOUSEWHEEL: case WM_MOUSEHWHEEL:
    case WM_SETFOCUS: case WM_USER + 150:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONUP: case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP: case WM_SYSCOMMAND: case WM_CONTEXTMENU: case TESTAPP_WM_SETTLE: break;
    case WM_COPYDATA: lParam = reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData; break;
    default: return;
  }
  appendLog(window, message, wParam, lParam);
}

LRESULT CALLBACK loggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logMessage(window, message, wParam, lParam);
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_TASKLIST) return 0;  // no real menu
  if (message == WM_COPYDATA) return TRUE;  // the taskbar took the icon, as the shell's answers
  return DefWindowProcA(window, message, wParam, lParam);
}

// Controls of the system's classes log through a subclass; their own procedure is kept in
// their user data.
LRESULT CALLBACK loggingSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logMessage(window, message, wParam, lParam);
  WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return CallWindowProcA(own, window, message, wParam, lParam);
}

HWND logged(HWND control) {
  SetWindowLongPtrA(control, GWLP_USERDATA, GetWindowLongPtrA(control, GWLP_WNDPROC));
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(loggingSubclassProc));
  return control;
}

HWND addControl(const char* cls, DWORD style, int id, int x, int y, int w, int h) {
  return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, mainWindow,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void fillListView(HWND list) {
  LVCOLUMNA column = {};
  column.mask = LVCF_WIDTH | LVCF_TEXT;
  column.cx = 120;
  column.pszText = const_cast<char*>("Name");
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  for (int i = 0; i < 3; ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<char*>("Item");
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

HTREEITEM fillTreeView(HWND tree) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>("Root");
  HTREEITEM root = reinterpret_cast<HTREEITEM>(
      SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  insert.hParent = root;
  insert.item.pszText = const_cast<char*>("Child");
  SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
  return root;
}

LRESULT pointOf(int id, int part) {
  HWND control = GetDlgItem(mainWindow, id);
  RECT r = {};
  if (id == kTestListView) {
    r.left = LVIR_LABEL;
    SendMessageA(control, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  } else if (id == kTestTreeView) {
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(control, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    std::memcpy(&r, &root, sizeof root);  // TVM_GETITEMRECT takes the item in the rectangle
    SendMessageA(control, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
  }
  RECT client;
  GetClientRect(control, &client);
  switch (part) {
    case kTestPointItemLabel: return MAKELONG((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    case kTestPointRightOfItem: return MAKELONG(r.right + 10, (r.top + r.bottom) / 2);
    default: return MAKELONG(client.right / 2, client.bottom - 5);
  }
}

// A window with a hit-test code that no classification table knows.
LRESULT CALLBACK oddHitProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logMessage(window, message, wParam, lParam);
  return message == WM_NCHITTEST ? HTOBJECT : DefWindowProcA(window, message, wParam, lParam);
}

// Each view scrolls as the toolkit it stands in for (kTestWheelViewClasses).
LRESULT CALLBACK wheelViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logMessage(window, message, wParam, lParam);
  const bool down = message == WM_MOUSEWHEEL;
  if (!down && message != WM_MOUSEHWHEEL) return DefWindowProcA(window, message, wParam, lParam);
  const int view = static_cast<int>(GetWindowLongPtrA(window, GWLP_USERDATA));
  UINT perNotch = 3;
  SystemParametersInfoA(down ? SPI_GETWHEELSCROLLLINES : SPI_GETWHEELSCROLLCHARS, 0, &perNotch, 0);
  if (perNotch == WHEEL_PAGESCROLL) perNotch = 1;
  const int delta = (down ? -1 : 1) * GET_WHEEL_DELTA_WPARAM(wParam);  // the wheel's up scrolls up
  static int carried[kWheelViewCount][2];  // delta times lines per notch
  int lines = 0;
  if (view == kWpfView) {
    lines = (delta > 0) - (delta < 0);
    lines *= int(perNotch);
  } else if (view == kSdlView) {
    lines = delta / WHEEL_DELTA * int(perNotch);
  } else {
    int& units = carried[view][down];
    units += delta * int(perNotch);
    lines = units / WHEEL_DELTA;
    units -= lines * WHEEL_DELTA;
  }
  if (lines) appendLog(window, TESTAPP_WM_SCROLLED, down, lines);
  return 0;
}

LRESULT clearLog() {
  if (!testLog) return 0;
  WaitForSingleObject(logLock, INFINITE);
  testLog->count = 0;
  ReleaseMutex(logLock);
  return 0;
}

LRESULT armHang(UINT message, DWORD ms) {
  hangOn = message;
  hangMs = ms;
  return 0;
}

LRESULT newShell(WPARAM newer);

LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  logMessage(window, message, wParam, lParam);
  switch (message) {
    case TESTAPP_WM_POINT: return pointOf(static_cast<int>(wParam), static_cast<int>(lParam));
    case TESTAPP_WM_CLEAR_LOG: return clearLog();
    case TESTAPP_WM_HANG: return armHang(static_cast<UINT>(wParam), static_cast<DWORD>(lParam));
    case TESTAPP_WM_NEW_TASKBAR: return newShell(wParam);
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

// A second application keeps clear of the first one's windows and of the stand-ins.
void createWindows(HINSTANCE instance, bool second) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = mainProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = TESTAPP_CLASS;
  RegisterClassA(&wc);
  wc.lpfnWndProc = loggingProc;
  wc.lpszClassName = TESTAPP_PLAIN_CLASS;
  RegisterClassA(&wc);
  wc.lpfnWndProc = oddHitProc;
  wc.lpszClassName = "QorTestOddHit";
  RegisterClassA(&wc);

  wc.lpfnWndProc = wheelViewProc;
  for (int i = 0; i < kWheelViewCount; ++i) {
    wc.lpszClassName = kTestWheelViewClasses[i];
    RegisterClassA(&wc);
    if (second) continue;
    HWND view = CreateWindowExA(0, wc.lpszClassName, wc.lpszClassName, WS_POPUP | WS_BORDER |
                                WS_VISIBLE, 160 * i, 500, 156, 300, nullptr, nullptr, instance,
                                nullptr);
    SetWindowLongPtrA(view, GWLP_USERDATA, i);
  }
  if (!second) {
    HWND edit = CreateWindowExA(0, "Edit", "", WS_POPUP | WS_BORDER |
                                WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, 640, 500, 156, 300,
                                nullptr, nullptr, instance, nullptr);
    std::string text;
    for (int line = 1; line <= 2000; ++line) text += std::to_string(line) + "\r\n";
    SetWindowTextA(edit, text.c_str());
    logged(edit);
  }
  const POINT mainAt = second ? POINT{0, 500} : POINT{0, 0};
  const POINT plainAt = second ? POINT{970, 0} : POINT{660, 0};
  mainWindow = CreateWindowExA(0, TESTAPP_CLASS, "Qor test application",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, mainAt.x, mainAt.y, 640, 480,
                               nullptr, nullptr, instance, nullptr);
  fillListView(logged(addControl(WC_LISTVIEWA, LVS_REPORT, kTestListView, 10, 10, 200, 150)));
  fillTreeView(addControl(WC_TREEVIEWA, TVS_HASBUTTONS | TVS_LINESATROOT, kTestTreeView, 220, 10,
                          200, 150));
  logged(addControl("ScrollBar", SBS_VERT, kTestVScrollBar, 430, 10, 20, 150));
  logged(addControl("ScrollBar", SBS_HORZ, kTestHScrollBar, 10, 170, 200, 20));
  addControl("Button", BS_PUSHBUTTON, kTestPushButton, 10, 200, 80, 24);
  addControl("Button", BS_AUTOCHECKBOX, kTestCheckBox, 100, 200, 80, 24);
  addControl("Button", BS_AUTORADIOBUTTON, kTestRadioButton, 190, 200, 80, 24);
  addControl("Edit", WS_BORDER, kTestEdit, 10, 240, 200, 24);
  addControl("QorTestOddHit", 0, kTestOddHit, 10, 280, 200, 100);

  CreateWindowExA(0, TESTAPP_PLAIN_CLASS, "Plain", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL |
                  WS_VISIBLE, plainAt.x, plainAt.y, 300, 300, nullptr, nullptr, instance, nullptr);
}
HWND standIn(const char* cls, const char* title, DWORD style, HWND parent, int x, int y, int w,
             int h) {
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = loggingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_DESKTOP + 1);
  wc.lpszClassName = cls;
  RegisterClassA(&wc);
  return CreateWindowExA(0, cls, title, style, x, y, w, h, parent, nullptr, wc.hInstance, nullptr);
}

// The older taskbar has a Start button window; the newer (Windows 11) draws Start without one.
void createTaskbar(bool withStart) {
  taskbar = standIn("Shell_TrayWnd", "", WS_POPUP | WS_VISIBLE, nullptr, 0, 984, 1280, 40);
  standIn("TrayNotifyWnd", "", WS_CHILD | WS_VISIBLE, taskbar, 1180, 0, 100, 40);
  if (withStart)
    logged(CreateWindowExA(0, "Button", "Start", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 100,
                           40, taskbar, nullptr, GetModuleHandleA(nullptr), nullptr));
}

// The desktop's icon view: "SHELLDLL_DefView" holding an empty list view.
void createDesktopView(HWND host) {
  const DWORD child = WS_CHILD | WS_VISIBLE;
  HWND view = standIn("SHELLDLL_DefView", "", child, host, 0, 0, 600, 400);
  CreateWindowExA(0, WC_LISTVIEWA, "", child | LVS_ICON, 0, 0, 600, 400, view, nullptr,
                  GetModuleHandleA(nullptr), nullptr);
}

// A restarted shell, in the older layout or the newer one (TESTAPP_WM_NEW_TASKBAR).
LRESULT newShell(WPARAM newer) {
  if (!taskbar) return 0;
  DestroyWindow(taskbar);
  if (worker) DestroyWindow(worker);
  if (HWND view = FindWindowExA(desktop, nullptr, "SHELLDLL_DefView", nullptr)) DestroyWindow(view);
  worker = newer ? standIn("WorkerW", "", WS_POPUP | WS_VISIBLE, nullptr, 660, 320, 600, 400)
                 : nullptr;
  createDesktopView(newer ? worker : desktop);
  createTaskbar(!newer);
  SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  return reinterpret_cast<LRESULT>(taskbar);
}

// Stand-ins of the shell's windows, created before Qor starts so that it finds them.
void createStandIns() {
  desktop = standIn("Progman", "Program Manager", WS_POPUP | WS_VISIBLE, nullptr, 660, 320, 600,
                    400);
  createDesktopView(desktop);
  createTaskbar(true);
  standIn("VOLMAR32", "", WS_POPUP, nullptr, 0, 0, 0, 0);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  openLog();
  if (commandTail && std::strstr(commandTail, TESTAPP_STAND_INS)) createStandIns();
  createWindows(instance, commandTail && std::strstr(commandTail, TESTAPP_SECOND));
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
