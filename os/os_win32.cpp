// The seam of os/os.h on the real Win32 API.
#define _CRT_RAND_S  // rand_s, the system's unpredictable numbers
#include <stdlib.h>

#include "os/os.h"

#include <shellapi.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
// The seam's UTF-8 as the system's UTF-16, within the array; false when it does not fit.
template <int N>
bool widen(const char* text, wchar_t (&wide)[N]) {
  return MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, N) > 0;
}
// units of UTF-16 (-1: up to its NUL) as UTF-8 in size bytes; the bytes written, 0 when they
// do not fit.
int narrow(const wchar_t* wide, int units, char* text, int size) {
  return size > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, units, text, size, nullptr, nullptr) : 0;
}
bool isString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }
// Room on the heap for units of UTF-16 and a NUL; null when there is none. (No C++ container:
// its exception machinery would come into Qor.exe with it.)
wchar_t* wideRoom(size_t units) {
  return static_cast<wchar_t*>(std::malloc((units + 1) * sizeof(wchar_t)));
}
// What RegQueryValueExA hands over of a value read as UTF-16, in codePage for the system's.
bool handOver(DWORD held, const wchar_t* data, DWORD bytes, void* buffer, DWORD* size,
              UINT codePage) {
  if (!isString(held)) {
    const bool fits = bytes <= *size;
    *size = bytes;
    if (fits) std::memcpy(buffer, data, bytes);
    return fits;
  }
  const int units = static_cast<int>(bytes / sizeof(wchar_t));
  const int needed =
      units ? WideCharToMultiByte(codePage, 0, data, units, nullptr, 0, nullptr, nullptr) : 0;
  const bool fits = static_cast<DWORD>(needed) <= *size;
  *size = static_cast<DWORD>(needed);
  if (fits && needed)
    WideCharToMultiByte(codePage, 0, data, units, static_cast<char*>(buffer), needed, nullptr,
                        nullptr);
  return fits;
}

void* addressOf(uint64_t address) { return reinterpret_cast<void*>(static_cast<uintptr_t>(address)); }

struct EnumContext {
  bool (*visit)(HWND, void*);
  void* context;
};
BOOL CALLBACK enumVisit(HWND child, LPARAM lParam) {
  EnumContext* c = reinterpret_cast<EnumContext*>(lParam);
  return c->visit(child, c->context) ? TRUE : FALSE;
}
}  // namespace

int osGetClassName(HWND window, char* buffer, int size) {
  if (size <= 0) return 0;
  wchar_t name[256];
  const int units = GetClassNameW(window, name, 256);
  const int n = units > 0 ? narrow(name, units, buffer, size - 1) : 0;
  buffer[n] = 0;
  return n;
}
HWND osGetParent(HWND window) { return GetParent(window); }
HWND osGetRootWindow(HWND window) { return GetAncestor(window, GA_ROOT); }
HWND osGetRootOwner(HWND window) { return GetAncestor(window, GA_ROOTOWNER); }
LONG osGetWindowStyle(HWND window) { return GetWindowLongA(window, GWL_STYLE); }
RECT osGetWindowRect(HWND window) {
  RECT r = {0, 0, 0, 0};
  if (!GetWindowRect(window, &r)) r = RECT{0, 0, 0, 0};
  return r;
}
POINT osScreenToClient(HWND window, POINT screen) {
  ScreenToClient(window, &screen);
  return screen;
}
HWND osWindowFromPoint(POINT screen) { return WindowFromPoint(screen); }
HWND osChildWindowFromPoint(HWND parent, POINT client) {
  return ChildWindowFromPoint(parent, client);
}
bool osIsWindow(HWND window) { return IsWindow(window) != 0; }
bool osIsWindowVisible(HWND window) { return IsWindowVisible(window) != 0; }
bool osIsWindowEnabled(HWND window) { return IsWindowEnabled(window) != 0; }
void osEnumChildWindows(HWND parent, bool (*visit)(HWND, void*), void* context) {
  EnumContext c = {visit, context};
  EnumChildWindows(parent, enumVisit, reinterpret_cast<LPARAM>(&c));
}
HWND osFindWindow(const char* className, const char* title) {
  wchar_t wideClass[256], wideTitle[256];
  if (!widen(className, wideClass) || (title && !widen(title, wideTitle))) return nullptr;
  return FindWindowW(wideClass, title ? wideTitle : nullptr);
}
HWND osFindNextWindow(HWND after, const char* className, const char* title) {
  wchar_t wideClass[256], wideTitle[256];
  if (!widen(className, wideClass) || (title && !widen(title, wideTitle))) return nullptr;
  return FindWindowExW(nullptr, after, wideClass, title ? wideTitle : nullptr);
}
HWND osFindChildWindow(HWND parent, HWND after, const char* className) {
  wchar_t wideClass[256];
  return widen(className, wideClass) ? FindWindowExW(parent, after, wideClass, nullptr) : nullptr;
}
HWND osGetDesktopWindow() { return GetDesktopWindow(); }
HWND osGetShellWindow() { return GetShellWindow(); }

SendStatus osSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs,
                         LRESULT* answer) {
  DWORD_PTR raw = 0;
  *answer = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &raw))
    return GetLastError() == ERROR_ACCESS_DENIED ? kSendDenied : kSendUnanswered;
  *answer = static_cast<LRESULT>(raw);
  return kSendAnswered;
}
bool osPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageA(window, message, wParam, lParam) != 0;
}
void osAllowForeground(DWORD processId) { AllowSetForegroundWindow(processId); }
DWORD osWindowProcessId(HWND window) {
  DWORD processId = 0;
  return GetWindowThreadProcessId(window, &processId) ? processId : 0;
}
DWORD osCurrentProcessId() { return GetCurrentProcessId(); }
bool osProcessImageName(DWORD processId, char* buffer, DWORD size) {
  if (size == 0) return false;
  buffer[0] = 0;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return false;
  wchar_t path[MAX_PATH * 4];
  DWORD length = sizeof path / sizeof path[0];
  const bool read = QueryFullProcessImageNameW(process, 0, path, &length) != 0;
  CloseHandle(process);
  // A conversion that does not fit may leave part of the name behind.
  if (read && WideCharToMultiByte(CP_UTF8, 0, path, -1, buffer, int(size), nullptr, nullptr) > 0)
    return true;
  buffer[0] = 0;
  return false;
}
DWORD osProcessIntegrity(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return 0;
  HANDLE token = nullptr;
  DWORD level = 0;
  if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
    alignas(TOKEN_MANDATORY_LABEL) BYTE label[64];
    DWORD size = 0;
    if (GetTokenInformation(token, TokenIntegrityLevel, label, sizeof label, &size)) {
      PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(label)->Label.Sid;
      level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1);
    }
    CloseHandle(token);
  }
  CloseHandle(process);
  return level;
}

// The full query right, which VirtualQueryEx asks for (IsWow64Process needs less).
HANDLE osOpenProcessMemory(DWORD processId) {
  return OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                         PROCESS_QUERY_INFORMATION, FALSE, processId);
}
void osCloseProcess(HANDLE process) {
  if (process) CloseHandle(process);
}
uint64_t osAllocateProcessMemory(HANDLE process, uint64_t address, uint32_t size) {
  return process ? reinterpret_cast<uintptr_t>(VirtualAllocEx(process, addressOf(address), size,
                                                              MEM_COMMIT | MEM_RESERVE,
                                                              PAGE_READWRITE))
                 : 0;
}
bool osQueryProcessMemory(HANDLE process, uint64_t address, MemoryStretch* stretch) {
  MEMORY_BASIC_INFORMATION region;
  if (!process || !VirtualQueryEx(process, addressOf(address), &region, sizeof region)) return false;
  *stretch = {reinterpret_cast<uintptr_t>(region.BaseAddress), region.RegionSize,
              reinterpret_cast<uintptr_t>(region.AllocationBase), region.State == MEM_FREE,
              region.Type == MEM_MAPPED};
  return true;
}
void osFreeProcessMemory(HANDLE process, uint64_t address) {
  if (process && address) VirtualFreeEx(process, addressOf(address), 0, MEM_RELEASE);
}
bool osWriteProcessMemory(HANDLE process, uint64_t address, const void* data, uint32_t size) {
  return process && address &&
         WriteProcessMemory(process, addressOf(address), data, size, nullptr) != 0;
}
bool osReadProcessMemory(HANDLE process, uint64_t address, void* data, uint32_t size) {
  return process && address &&
         ReadProcessMemory(process, addressOf(address), data, size, nullptr) != 0;
}
bool osIs32BitProcess(HANDLE process) {
#ifdef _WIN64
  BOOL wow64 = FALSE;
  return IsWow64Process(process, &wow64) && wow64;
#else
  (void)process;
  return true;
#endif
}
uint32_t osRandom32() {
  unsigned int value = 0;
  rand_s(&value);
  return value;
}

UINT osWheelScrollLines() {
  UINT lines = 0;
  return SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0) ? lines : 0;
}
UINT osWheelScrollChars() {
  UINT chars = 0;
  return SystemParametersInfoW(SPI_GETWHEELSCROLLCHARS, 0, &chars, 0) ? chars : 0;
}

DWORD osGetTickCount() { return GetTickCount(); }
POINT osGetCursorPos() {
  POINT p = {0, 0};
  GetCursorPos(&p);
  return p;
}
void osSetCursorPos(int x, int y) { SetCursorPos(x, y); }
bool osAsyncKeyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }
int osGetSystemMetric(int index) { return GetSystemMetrics(index); }
bool osCursorHidden() {
  CURSORINFO info = {};
  info.cbSize = sizeof info;
  return GetCursorInfo(&info) && !(info.flags & CURSOR_SHOWING);
}
RECT osGetClipCursor() {
  RECT clip = {INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2};  // unknown: not confined
  GetClipCursor(&clip);
  return clip;
}
int osUserNotificationState() {
  QUERY_USER_NOTIFICATION_STATE state = {};
  return SUCCEEDED(SHQueryUserNotificationState(&state)) ? static_cast<int>(state) : 0;
}
bool osInjectMouseInput(const DWORD* flags, int count, uint32_t extraInfo) {
  INPUT inputs[4] = {};
  if (count < 0 || count > 4) return false;
  for (int i = 0; i < count; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dwFlags = flags[i];
    inputs[i].mi.dwExtraInfo = extraInfo;
  }
  return SendInput(static_cast<UINT>(count), inputs, sizeof inputs[0]) == static_cast<UINT>(count);
}

// The DPI functions came with Windows 8.1 (user32, shcore): looked up once, at first use.
namespace {
typedef BOOL(WINAPI* PointConversion)(HWND, POINT*);
PointConversion user32Conversion(const char* name) {
  return reinterpret_cast<PointConversion>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}
POINT converted(PointConversion convert, HWND window, POINT point) {
  POINT result = point;
  return convert && convert(window, &result) ? result : point;
}
}  // namespace

POINT osLogicalToPhysicalPoint(HWND window, POINT point) {
  static const PointConversion convert = user32Conversion("LogicalToPhysicalPointForPerMonitorDPI");
  return converted(convert, window, point);
}
POINT osPhysicalToLogicalPoint(HWND window, POINT point) {
  static const PointConversion convert = user32Conversion("PhysicalToLogicalPointForPerMonitorDPI");
  return converted(convert, window, point);
}
UINT osMonitorDpiAt(POINT screen) {
  typedef HRESULT(WINAPI * DpiForMonitor)(HMONITOR, int, UINT*, UINT*);
  static const DpiForMonitor dpiFor = [] {
    HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return shcore ? reinterpret_cast<DpiForMonitor>(reinterpret_cast<void*>(
                        GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  UINT x = 96, y = 96;
  HMONITOR monitor = MonitorFromPoint(screen, MONITOR_DEFAULTTONEAREST);
  if (!dpiFor || !monitor || dpiFor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y) != S_OK || !x)
    return 96;
  return x;
}

namespace {
struct ThreadStart {
  void (*work)(void*);
  void* context;
};
DWORD WINAPI runThreadStart(void* parameter) {
  const ThreadStart start = *static_cast<ThreadStart*>(parameter);
  delete static_cast<ThreadStart*>(parameter);
  start.work(start.context);
  return 0;
}
}  // namespace

bool osRunOnNewThread(void (*work)(void*), void* context) {
  ThreadStart* start = new ThreadStart{work, context};
  HANDLE thread = CreateThread(nullptr, 0, runThreadStart, start, 0, nullptr);
  if (!thread) {
    delete start;
    return false;
  }
  CloseHandle(thread);
  return true;
}

bool osToCodePage(UINT codePage, const char* text, char* buffer, int size) {
  const int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  wchar_t* wide = units > 0 && size > 0 ? wideRoom(units) : nullptr;
  BOOL defaulted = FALSE;  // UTF-8 has a form for everything and takes neither flag nor question
  const bool written =
      wide && MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, units) > 0 &&
      WideCharToMultiByte(codePage, codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1,
                          buffer, size, nullptr, codePage == CP_UTF8 ? nullptr : &defaulted) > 0 &&
      !defaulted;
  std::free(wide);
  return written;
}

HKEY osRegOpenKey(const char* subkey) {
  wchar_t wide[256];
  HKEY key = nullptr;
  return widen(subkey, wide) && RegOpenKeyW(HKEY_CURRENT_USER, wide, &key) == ERROR_SUCCESS
             ? key
             : nullptr;
}
HKEY osRegCreateKey(const char* subkey) {
  wchar_t wide[256];
  HKEY key = nullptr;
  return widen(subkey, wide) && RegCreateKeyW(HKEY_CURRENT_USER, wide, &key) == ERROR_SUCCESS
             ? key
             : nullptr;
}
void osRegCloseKey(HKEY key) {
  if (key) RegCloseKey(key);
}

// As RegQueryValueExA does in the system's code page, in codePage: a string value's whole
// UTF-16, its NULs and what follows them included, converted. The size is asked first: a
// value that cannot fit is refused unread (another program may have stored gigabytes).
bool osRegQueryValue(HKEY key, const char* name, void* buffer, DWORD* size, DWORD* type,
                     UINT codePage) {
  wchar_t wideName[256];
  DWORD held = 0, bytes = 0;
  if (!key || !widen(name, wideName) ||
      RegQueryValueExW(key, wideName, nullptr, &held, nullptr, &bytes) != ERROR_SUCCESS)
    return false;
  // Every UTF-16 unit takes at least one byte in any code page.
  const uint64_t fewestBytes = isString(held) ? bytes / sizeof(wchar_t) : bytes;
  if (type) *type = held;
  if (fewestBytes > *size) return false;
  wchar_t* data = wideRoom(bytes / sizeof(wchar_t) + 1);
  const bool read = data && RegQueryValueExW(key, wideName, nullptr, &held,
                                             reinterpret_cast<BYTE*>(data), &bytes) == ERROR_SUCCESS;
  const bool handed = read && handOver(held, data, bytes, buffer, size, codePage);
  std::free(data);
  return handed;
}
// As RegSetValueExA does in the system's code page, in codePage: a string value's size bytes,
// its NULs and what follows them included, stored as UTF-16.
bool osRegSetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size,
                   UINT codePage) {
  wchar_t wideName[256];
  if (!key || !widen(name, wideName)) return false;
  if (!isString(type))
    return RegSetValueExW(key, wideName, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
  const char* text = static_cast<const char*>(data);
  const int units = size ? MultiByteToWideChar(codePage, 0, text, size, nullptr, 0) : 0;
  wchar_t* wide = !size || units > 0 ? wideRoom(units) : nullptr;
  const bool written =
      wide && (!units || MultiByteToWideChar(codePage, 0, text, size, wide, units) > 0) &&
      RegSetValueExW(key, wideName, 0, type, reinterpret_cast<const BYTE*>(wide),
                     units * sizeof(wchar_t)) == ERROR_SUCCESS;
  std::free(wide);
  return written;
}
bool osRegDeleteValue(HKEY key, const char* name) {
  wchar_t wideName[256];
  return key && widen(name, wideName) && RegDeleteValueW(key, wideName) == ERROR_SUCCESS;
}

// Cursor handles this program holds: made by a load or a copy, gone when destroyed or handed
// to the system. Counted only in the build that the leak tests link.
#ifdef QOR_COUNT_CURSOR_HANDLES
#include "tests/common/live_cursor_handles.h"
static int liveCursors = 0;
int liveCursorHandles() { return liveCursors; }
static void countCursorHandles(int change) { liveCursors += change; }
#else
static void countCursorHandles(int) {}
#endif
static HCURSOR counted(HCURSOR cursor) {
  if (cursor) countCursorHandles(1);
  return cursor;
}

HCURSOR osLoadCursorResource(int id, int size) {
  // Not LoadCursorA: its handles are shared and may not be destroyed. The system picks the
  // resource's image drawn for that size, or stretches the nearest.
  return counted(static_cast<HCURSOR>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_CURSOR, size, size, 0)));
}
HCURSOR osLoadCursorFile(const char* path, int size) {
  wchar_t wide[kPathBytes];
  return widen(path, wide) ? counted(static_cast<HCURSOR>(LoadImageW(
                                 nullptr, wide, IMAGE_CURSOR, size, size, LR_LOADFROMFILE)))
                           : nullptr;
}
// Not shared: a shared handle is the system cursor itself, which may show ours.
HCURSOR osLoadStandardCursor(DWORD id, int size) {
  return counted(static_cast<HCURSOR>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(id), IMAGE_CURSOR, size, size, 0)));
}
HCURSOR osCopyCursor(HCURSOR cursor) {
  return counted(static_cast<HCURSOR>(CopyImage(cursor, IMAGE_CURSOR, 0, 0, 0)));
}
bool osSetSystemCursor(HCURSOR cursor, DWORD id) {
  if (!SetSystemCursor(cursor, id)) return false;
  // Windows destroys the handle it was given. Where the system only pretends to take it
  // (Wine's SetSystemCursor changes nothing), the handle is still ours: free it here, since
  // nobody else will. On Windows this destroy finds no cursor and does nothing.
  DestroyCursor(cursor);
  countCursorHandles(-1);
  return true;
}
void osDestroyCursor(HCURSOR cursor) {
  if (cursor && DestroyCursor(cursor)) countCursorHandles(-1);
}
bool osRestoreSystemCursors() { return SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, 0) != 0; }
bool osExpandEnvironmentStrings(const char* text, char* buffer, DWORD size) {
  wchar_t wide[kPathBytes], expanded[kPathBytes];
  if (!widen(text, wide)) return false;
  const DWORD units = ExpandEnvironmentStringsW(wide, expanded, kPathBytes);
  return units != 0 && units <= kPathBytes && narrow(expanded, -1, buffer, size) > 0;
}
