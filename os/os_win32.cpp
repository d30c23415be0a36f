// The seam of os/os.h on the real Win32 API.
#define _CRT_RAND_S  // rand_s, the system's unpredictable numbers
#include <stdlib.h>

#include "os/os.h"

#include <oleauto.h>
#include "resources/names.h"

#include <atomic>
#include <cstdint>
#include <cstring>

namespace {
// How long a send to another window may hold up the hook thread, and with it every mouse
// event of the desktop. A window the system already knows as hung answers at once.
const UINT kSendTimeoutMs = 250;

std::atomic<uint32_t> deniedSends{0};

bool sendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* answer) {
  if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                          answer))
    return true;
  if (GetLastError() == ERROR_ACCESS_DENIED) ++deniedSends;
  return false;
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
  int n = GetClassNameA(window, buffer, size);
  if (n <= 0 && size > 0) buffer[0] = 0;
  return n > 0 ? n : 0;
}
HWND osGetParent(HWND window) { return GetParent(window); }
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
  return FindWindowA(className, title);
}
HWND osGetTopWindow(HWND parent) { return GetTopWindow(parent); }
HWND osFindChildWindow(HWND parent, HWND after, const char* className) {
  return FindWindowExA(parent, after, className, nullptr);
}
HWND osGetDesktopWindow() { return GetDesktopWindow(); }

LRESULT osSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  return sendBounded(window, message, wParam, lParam, &answer) ? static_cast<LRESULT>(answer) : 0;
}

bool osSendMessageAnswered(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                           LRESULT* answer) {
  DWORD_PTR raw = 0;
  bool answered = sendBounded(window, message, wParam, lParam, &raw);
  *answer = answered ? static_cast<LRESULT>(raw) : 0;
  return answered;
}
uint32_t osDeniedSends() { return deniedSends; }
bool osPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageA(window, message, wParam, lParam) != 0;
}
DWORD osWindowProcessId(HWND window) {
  DWORD processId = 0;
  return GetWindowThreadProcessId(window, &processId) ? processId : 0;
}
DWORD osCurrentProcessId() { return GetCurrentProcessId(); }
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

HANDLE osOpenProcessMemory(DWORD processId) {
  return OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                         PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
}
void osCloseProcess(HANDLE process) {
  if (process) CloseHandle(process);
}
uint64_t osAllocateProcessMemory(HANDLE process, uint32_t size, bool below4GB) {
  if (!process) return 0;
  const DWORD kind = MEM_COMMIT | MEM_RESERVE;
  uint64_t address = reinterpret_cast<uintptr_t>(
      VirtualAllocEx(process, nullptr, size, kind, PAGE_READWRITE));
  const uint64_t limit = 0x100000000ull;
  if (!below4GB || address + size <= limit) return address;
  osFreeProcessMemory(process, address);
  // The first free stretch below 4 GB that holds the block, at the allocation granularity.
  MEMORY_BASIC_INFORMATION region;
  for (uint64_t at = 0x10000; at + size <= limit;
       at = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize) {
    if (!VirtualQueryEx(process, addressOf(at), &region, sizeof region)) return 0;
    uint64_t start = (reinterpret_cast<uintptr_t>(region.BaseAddress) + 0xFFFF) & ~uint64_t(0xFFFF);
    uint64_t end = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    if (region.State == MEM_FREE && start + size <= end && start + size <= limit)
      return reinterpret_cast<uintptr_t>(
          VirtualAllocEx(process, addressOf(start), size, kind, PAGE_READWRITE));
  }
  return 0;
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
  return SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0) ? lines : 0;
}
UINT osWheelScrollChars() {
  UINT chars = 0;
  return SystemParametersInfoA(SPI_GETWHEELSCROLLCHARS, 0, &chars, 0) ? chars : 0;
}
bool osInjectWheel(bool horizontal, int32_t delta, uint32_t extraInfo) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = horizontal ? MOUSEEVENTF_HWHEEL : MOUSEEVENTF_WHEEL;
  input.mi.mouseData = static_cast<DWORD>(delta);
  input.mi.dwExtraInfo = extraInfo;
  return SendInput(1, &input, sizeof input) == 1;
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

// Both functions came with Windows 8.1 (user32, shcore): looked up once, at first use.
POINT osLogicalToPhysicalPoint(HWND window, POINT point) {
  typedef BOOL(WINAPI * Convert)(HWND, POINT*);
  static const Convert convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "LogicalToPhysicalPointForPerMonitorDPI")));
  POINT physical = point;
  if (!convert || !convert(window, &physical)) return point;
  return physical;
}
UINT osMonitorDpiAt(POINT screen) {
  typedef HRESULT(WINAPI * DpiForMonitor)(HMONITOR, int, UINT*, UINT*);
  static const DpiForMonitor dpiFor = [] {
    HMODULE shcore = LoadLibraryExA("shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
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
// The flat UI Automation client of uiautomationcore.dll, which MinGW's headers lack.
DECLARE_HANDLE(HUIANODE);
struct UiaCondition {
  int type;
};
struct UiaPropertyCondition {
  int type;
  int property;
  VARIANT value;
  int flags;
};
struct UiaFindParams {
  int maxDepth;
  BOOL findFirst;
  BOOL excludeRoot;
  UiaCondition* condition;
};
struct UiaCacheRequest {
  UiaCondition* view;
  int scope;
  int* properties;
  int propertyCount;
  int* patterns;
  int patternCount;
  int elementMode;
};
const int kConditionTrue = 0, kConditionProperty = 2, kTreeScopeElement = 1, kElementModeFull = 1;
const int kAutomationIdProperty = 30011, kBoundingRectangleProperty = 30001;
// A pointer that jumps long after the double-click would surprise more than help.
const DWORD kElementLookupMaxMs = 1000;

struct ElementLookup {
  HWND window;
  wchar_t automationId[64];
  DWORD requestedAt;
};
std::atomic<bool> elementLookupRunning{false};

HMODULE automationCore() {
  static const HMODULE core =
      LoadLibraryExA("uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return core;
}
template <typename Function>
Function automationFunction(const char* name) {
  const HMODULE core = automationCore();
  return core ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(core, name)))
              : nullptr;
}

// The screen rectangle of the first element under window whose automation id matches.
bool automationElementRect(HWND window, const wchar_t* automationId, RECT* rect) {
  auto nodeFromHandle = automationFunction<HRESULT(WINAPI*)(HWND, HUIANODE*)>("UiaNodeFromHandle");
  auto find = automationFunction<HRESULT(WINAPI*)(
      HUIANODE, UiaFindParams*, UiaCacheRequest*, SAFEARRAY**, SAFEARRAY**, SAFEARRAY**)>("UiaFind");
  auto nodeFromVariant =
      automationFunction<HRESULT(WINAPI*)(VARIANT*, HUIANODE*)>("UiaHUiaNodeFromVariant");
  auto propertyValue =
      automationFunction<HRESULT(WINAPI*)(HUIANODE, int, VARIANT*)>("UiaGetPropertyValue");
  auto release = automationFunction<BOOL(WINAPI*)(HUIANODE)>("UiaNodeRelease");
  HUIANODE root = nullptr;
  if (!nodeFromHandle || !find || !nodeFromVariant || !propertyValue || !release ||
      FAILED(nodeFromHandle(window, &root)) || !root)
    return false;
  UiaPropertyCondition byId = {kConditionProperty, kAutomationIdProperty, {}, 0};
  V_VT(&byId.value) = VT_BSTR;
  V_BSTR(&byId.value) = SysAllocString(automationId);
  UiaCondition rawView = {kConditionTrue};
  UiaFindParams params = {-1, TRUE, TRUE, reinterpret_cast<UiaCondition*>(&byId)};
  UiaCacheRequest request = {&rawView, kTreeScopeElement, nullptr, 0, nullptr, 0, kElementModeFull};
  SAFEARRAY *found = nullptr, *offsets = nullptr, *trees = nullptr;
  bool got = false;
  VARIANT first, bounds;
  VariantInit(&first);
  VariantInit(&bounds);
  LONG firstIndex[2] = {0, 0};
  HUIANODE element = nullptr;
  if (SUCCEEDED(find(root, &params, &request, &found, &offsets, &trees)) && found &&
      SUCCEEDED(SafeArrayGetElement(found, firstIndex, &first)) &&
      SUCCEEDED(nodeFromVariant(&first, &element)) && element &&
      SUCCEEDED(propertyValue(element, kBoundingRectangleProperty, &bounds)) &&
      V_VT(&bounds) == (VT_ARRAY | VT_R8) && V_ARRAY(&bounds)->rgsabound[0].cElements == 4) {
    double* edges = nullptr;  // left, top, width, height
    if (SUCCEEDED(SafeArrayAccessData(V_ARRAY(&bounds), reinterpret_cast<void**>(&edges)))) {
      *rect = {LONG(edges[0]), LONG(edges[1]), LONG(edges[0] + edges[2]),
               LONG(edges[1] + edges[3])};
      got = rect->right > rect->left && rect->bottom > rect->top;
      SafeArrayUnaccessData(V_ARRAY(&bounds));
    }
  }
  if (element) release(element);
  VariantClear(&bounds);
  VariantClear(&first);
  SAFEARRAY* results[] = {found, offsets, trees};
  for (SAFEARRAY* array : results)
    if (array) SafeArrayDestroy(array);
  VariantClear(&byId.value);
  release(root);
  return got;
}

DWORD WINAPI movePointerToElement(void* parameter) {
  ElementLookup* lookup = static_cast<ElementLookup*>(parameter);
  const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  RECT r;
  if (automationElementRect(lookup->window, lookup->automationId, &r) &&
      GetTickCount() - lookup->requestedAt <= kElementLookupMaxMs)
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  if (comReady) CoUninitialize();
  delete lookup;
  elementLookupRunning = false;
  return 0;
}
}  // namespace

void osMovePointerToElement(HWND window, const char* automationId) {
  // One lookup at a time: a shell that does not answer holds one thread, not one per click.
  if (elementLookupRunning.exchange(true)) return;
  ElementLookup* lookup = new ElementLookup{window, {}, GetTickCount()};
  MultiByteToWideChar(CP_ACP, 0, automationId, -1, lookup->automationId,
                      sizeof lookup->automationId / sizeof lookup->automationId[0] - 1);
  HANDLE thread = CreateThread(nullptr, 0, movePointerToElement, lookup, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
  } else {
    delete lookup;
    elementLookupRunning = false;
  }
}

HKEY osRegOpenKey(const char* subkey) {
  HKEY key = nullptr;
  return RegOpenKeyA(HKEY_CURRENT_USER, subkey, &key) == ERROR_SUCCESS ? key : nullptr;
}
HKEY osRegCreateKey(const char* subkey) {
  HKEY key = nullptr;
  return RegCreateKeyA(HKEY_CURRENT_USER, subkey, &key) == ERROR_SUCCESS ? key : nullptr;
}
void osRegCloseKey(HKEY key) {
  if (key) RegCloseKey(key);
}
bool osRegQueryValue(HKEY key, const char* name, void* buffer, DWORD* size, DWORD* type) {
  if (!key) return false;
  DWORD held = 0;
  bool good = RegQueryValueExA(key, name, nullptr, &held, static_cast<BYTE*>(buffer), size) ==
              ERROR_SUCCESS;
  if (type) *type = held;
  return good;
}
bool osRegSetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
  if (!key) return false;
  return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}
bool osRegDeleteValue(HKEY key, const char* name) {
  return key && RegDeleteValueA(key, name) == ERROR_SUCCESS;
}

// Cursor handles this program holds: made by a load or a copy, gone when destroyed or handed
// to the system. Counted only in the build that the leak tests link.
#ifdef QOR_COUNT_CURSOR_HANDLES
static int liveCursorHandles = 0;
int osLiveCursorHandles() { return liveCursorHandles; }
static void countCursorHandles(int change) { liveCursorHandles += change; }
#else
static void countCursorHandles(int) {}
#endif
static HCURSOR counted(HCURSOR cursor) {
  if (cursor) countCursorHandles(1);
  return cursor;
}

// The size the system draws its cursors at: the nominal size for the DPI, times the pointer
// size the user chose where Windows keeps one (32 is the size unchanged, at most 256).
static int cursorSize() {
  DWORD base = 0, bytes = sizeof base;
  const int nominal = GetSystemMetrics(SM_CXCURSOR);
  if (RegGetValueA(HKEY_CURRENT_USER, kUserCursorsKey, kPointerSizeValue, RRF_RT_REG_DWORD,
                   nullptr, &base, &bytes) != ERROR_SUCCESS || base < 32 || base > 256)
    return nominal;
  return MulDiv(nominal, static_cast<int>(base), 32);
}

HCURSOR osLoadCursorResource(int id) {
  // Not LoadCursorA: its handles are shared and may not be destroyed. The system picks the
  // resource's image drawn for that size, or stretches the nearest.
  const int size = cursorSize();
  return counted(static_cast<HCURSOR>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_CURSOR, size, size, 0)));
}
HCURSOR osLoadCursorFile(const char* path) { return counted(LoadCursorFromFileA(path)); }
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
bool osRestoreSystemCursors() { return SystemParametersInfoA(SPI_SETCURSORS, 0, nullptr, 0) != 0; }
bool osExpandEnvironmentStrings(const char* text, char* buffer, DWORD size) {
  DWORD needed = ExpandEnvironmentStringsA(text, buffer, size);
  return needed != 0 && needed <= size;
}
