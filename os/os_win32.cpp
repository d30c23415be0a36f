// The seam of os/os.h on the real Win32 API.
#include "os/os.h"

#include <cstdint>
#include <cstring>

namespace {
// How long a send to another window may hold up the hook thread, and with it every mouse
// event of the desktop. A window the system already knows as hung answers at once.
const UINT kSendTimeoutMs = 250;

// Hit tests of controls in other processes need a buffer in that process. One page per
// process is kept for reuse; a process that ended (or a reused id) is found out when
// writing fails, and the entry is opened anew.
struct RemoteBuffer {
  DWORD processId;
  HANDLE process;
  void* address;
  bool inUse;  // a nested hit test into the same process takes a buffer of its own
};
const int kRemoteBuffers = 8;
RemoteBuffer remoteBuffers[kRemoteBuffers];
int nextVictim = 0;

void releaseRemote(RemoteBuffer& b) {
  if (b.address) VirtualFreeEx(b.process, b.address, 0, MEM_RELEASE);
  if (b.process) CloseHandle(b.process);
  b = RemoteBuffer{};
}

bool openRemote(RemoteBuffer& b, DWORD processId) {
  b.process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                          processId);
  if (!b.process) return false;
  b.address = VirtualAllocEx(b.process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!b.address) {
    releaseRemote(b);
    return false;
  }
  b.processId = processId;
  return true;
}

RemoteBuffer* cachedRemote(DWORD processId) {
  for (RemoteBuffer& b : remoteBuffers)
    if (b.process && b.processId == processId && !b.inUse) return &b;
  for (RemoteBuffer& b : remoteBuffers)
    if (!b.process) return openRemote(b, processId) ? &b : nullptr;
  for (int tries = 0; tries < kRemoteBuffers; ++tries) {
    RemoteBuffer& b = remoteBuffers[nextVictim];
    nextVictim = (nextVictim + 1) % kRemoteBuffers;
    if (b.inUse) continue;
    releaseRemote(b);
    return openRemote(b, processId) ? &b : nullptr;
  }
  return nullptr;
}

// The hit-test record every one of the four controls reads: point, flags, item.
struct HitTestRecord {
  LONG x, y;
  UINT flags;
  unsigned char item[20];
};

bool sendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* answer) {
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             answer) != 0;
}

uint32_t remoteHitTest(HWND control, UINT message, DWORD processId, HitTestRecord& record) {
  RemoteBuffer* b = cachedRemote(processId);
  RemoteBuffer temporary{};
  if (!b || !WriteProcessMemory(b->process, b->address, &record, sizeof record, nullptr)) {
    if (b) releaseRemote(*b);
    b = &temporary;
    if (!openRemote(temporary, processId) ||
        !WriteProcessMemory(b->process, b->address, &record, sizeof record, nullptr)) {
      releaseRemote(temporary);
      return 0;
    }
  }
  b->inUse = true;
  DWORD_PTR answer = 0;
  bool answered = sendBounded(control, message, 0, reinterpret_cast<LPARAM>(b->address), &answer);
  bool read = answered && ReadProcessMemory(b->process, b->address, &record, sizeof record, nullptr);
  b->inUse = false;
  if (b == &temporary) releaseRemote(temporary);
  return read ? record.flags : 0;
}

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
HWND osGetDesktopWindow() { return GetDesktopWindow(); }

LRESULT osSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  return sendBounded(window, message, wParam, lParam, &answer) ? static_cast<LRESULT>(answer) : 0;
}

namespace {
LentHitTestBuffer lent = {};

// The lent room, when the control belongs to the event's sender and this process can
// address the sender's view (an x86 Qor cannot pass a 64-bit address).
bool answersIntoLentBuffer(HWND control, DWORD processId) {
  if (!lent.processId || !lent.remoteAddress || !lent.local) return false;
  if (lent.remoteAddress > static_cast<uint64_t>(UINTPTR_MAX)) return false;
  return control == lent.window || processId == lent.processId;
}
}  // namespace

LentHitTestBuffer osLendHitTestBuffer(const LentHitTestBuffer& buffer) {
  LentHitTestBuffer before = lent;
  lent = buffer;
  return before;
}

uint32_t osControlHitTest(HWND control, UINT message, POINT client) {
  HitTestRecord record = {};
  record.x = client.x;
  record.y = client.y;
  DWORD_PTR answer = 0;
  DWORD processId = 0;  // not needed for the event's own window
  if (!answersIntoLentBuffer(control, 0) && !GetWindowThreadProcessId(control, &processId))
    return 0;
  if (answersIntoLentBuffer(control, processId)) {
    volatile uint32_t* room = lent.local;
    const uint32_t* words = reinterpret_cast<const uint32_t*>(&record);
    for (size_t i = 0; i < sizeof record / 4; ++i) room[i] = words[i];
    LPARAM remote = static_cast<LPARAM>(static_cast<uintptr_t>(lent.remoteAddress));
    return sendBounded(control, message, 0, remote, &answer) ? room[2] : 0;
  }
  if (processId == GetCurrentProcessId()) {
    return sendBounded(control, message, 0, reinterpret_cast<LPARAM>(&record), &answer)
               ? record.flags
               : 0;
  }
  return remoteHitTest(control, message, processId, record);
}

void osReleaseHitTestBuffers() {
  for (RemoteBuffer& b : remoteBuffers)
    if (b.process) releaseRemote(b);
}

DWORD osGetTickCount() { return GetTickCount(); }
POINT osGetCursorPos() {
  POINT p = {0, 0};
  GetCursorPos(&p);
  return p;
}
void osSetCursorPos(int x, int y) { SetCursorPos(x, y); }

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
bool osRegQueryValue(HKEY key, const char* name, void* buffer, DWORD* size) {
  if (!key) return false;
  DWORD type = 0;
  return RegQueryValueExA(key, name, nullptr, &type, static_cast<BYTE*>(buffer), size) ==
         ERROR_SUCCESS;
}
bool osRegSetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
  if (!key) return false;
  return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}
bool osRegDeleteValue(HKEY key, const char* name) {
  return key && RegDeleteValueA(key, name) == ERROR_SUCCESS;
}

// Cursor handles this program holds: made by a load or a copy, gone when destroyed or handed
// to the system.
static int liveCursorHandles = 0;
static HCURSOR counted(HCURSOR cursor) {
  if (cursor) ++liveCursorHandles;
  return cursor;
}
int osLiveCursorHandles() { return liveCursorHandles; }

HCURSOR osLoadCursorResource(int id) {
  // Not LoadCursorA: its handles are shared and may not be destroyed.
  return counted(static_cast<HCURSOR>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_CURSOR, 0, 0, 0)));
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
  --liveCursorHandles;
  return true;
}
void osDestroyCursor(HCURSOR cursor) {
  if (cursor && DestroyCursor(cursor)) --liveCursorHandles;
}
void osRestoreSystemCursors() { SystemParametersInfoA(SPI_SETCURSORS, 0, nullptr, 0); }
