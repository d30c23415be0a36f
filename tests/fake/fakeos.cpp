#include "tests/fake/fakeos.h"

#include <iconv.h>
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "engine/cursor.h"
#include "protocol/protocol.h"
#include "tests/common/live_cursor_handles.h"

namespace fake {
std::vector<SentMessage> sent;
std::vector<SentMessage> queued;
UINT wheelLines = 3, wheelChars = 3;
bool logMessages = true;
DWORD tickCount = 0;
POINT cursorPos = {0, 0};
std::vector<DWORD> unopenableProcesses;
std::vector<DWORD> processes32Bit;
bool allocationsFail = false;
int strayHitTests = 0;
int sendsToNonWindows = 0;
void (*onSend)(HWND, UINT) = nullptr;
std::map<std::string, std::map<std::string, FakeRegistryValue>> registry;
bool registryWritable = true;
HWND desktopWindow = nullptr;
HWND shellWindow = nullptr;
std::vector<FakeCursor> cursors;
std::vector<std::string> cursorFiles;
int cursorMisuse = 0;
int cursorRestores = 0;
uint32_t deniedSends = 0;
bool restoreFails = false;
std::vector<FakeMonitor> monitors;
std::map<DWORD, DWORD> integrity;
std::map<DWORD, std::string> processImages;
std::vector<int> keysDown;
bool buttonsSwapped = false;
bool cursorHidden = false;
RECT clip;
int notificationState = 0;
std::vector<InjectedInput> injected;
std::map<std::string, std::string> environment;
int liveCursorCount = 0;

namespace {
// Handle n + 1 is windows[n]; children lists keep Z order, topmost first.
std::vector<FakeWindow> windows;
const RECT kScreen = {0, 0, 1920, 1080};  // the virtual screen
std::vector<std::vector<HWND>> children;  // index 0: top-level windows
std::vector<std::string> openKeys;        // handle n + 1 is openKeys[n]
const DWORD kSystemCursorIds[3] = {OCR_NORMAL, OCR_IBEAM, OCR_CROSS};
std::string systemCursors[3];

// A stretch of another process's memory: allocated by the program (bytes of its own) or a
// test's shared view (bytes elsewhere in this process).
struct MemoryRegion {
  DWORD processId;
  uint64_t address;
  uint32_t size;
  volatile unsigned char* bytes;
  std::vector<unsigned char> owned;
  bool alive;
};
std::vector<MemoryRegion> regions;
// Handle n + 1 is processHandles[n].
struct ProcessHandle {
  DWORD processId;
  bool open;
  bool processEnded;
};
std::vector<ProcessHandle> processHandles;
uint64_t nextAllocation = 0;

bool contains(const std::vector<DWORD>& ids, DWORD id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}
// The process a handle opened, while it is open and the process runs.
DWORD processOf(HANDLE process) {
  uintptr_t i = reinterpret_cast<uintptr_t>(process);
  if (i == 0 || i > processHandles.size()) return 0;
  const ProcessHandle& h = processHandles[i - 1];
  return h.open && !h.processEnded ? h.processId : 0;
}
// The memory of processId at [address, address + size), or null.
volatile unsigned char* memoryAt(DWORD processId, uint64_t address, uint32_t size) {
  for (MemoryRegion& r : regions)
    if (r.alive && r.processId == processId && address >= r.address &&
        address - r.address + size <= r.size)
      return r.bytes + (address - r.address);
  return nullptr;
}
bool inAnyRegion(uint64_t address) {
  for (const MemoryRegion& r : regions)
    if (address >= r.address && address - r.address < r.size) return true;
  return false;
}
bool isHitTest(UINT message) {
  for (const PointDependentControl& c : kPointDependentControls)
    if (c.hitTestMessage == message) return true;
  return false;
}

size_t indexOf(HWND h) { return reinterpret_cast<uintptr_t>(h) - 1; }
FakeWindow* find(HWND h) {
  uintptr_t i = reinterpret_cast<uintptr_t>(h);
  if (i == 0 || i > windows.size() || !windows[i - 1].alive) return nullptr;
  return &windows[i - 1];
}
std::vector<HWND>& childList(HWND parent) { return children[parent ? indexOf(parent) + 1 : 0]; }
// Coordinates wrap in 32 bits, as the system's conversions do.
LONG plus(LONG a, LONG b) { return LONG(uint32_t(a) + uint32_t(b)); }
bool contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
// The deepest visible window at p below parent, topmost first.
HWND deepestAt(HWND parent, POINT p) {
  for (HWND h : childList(parent)) {
    FakeWindow* w = find(h);
    if (w && w->visible && contains(w->rect, p)) {
      HWND inner = deepestAt(h, p);
      return inner ? inner : h;
    }
  }
  return nullptr;
}
void log(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (onSend) onSend(window, message);
  if (logMessages) sent.push_back({window, message, wParam, lParam});
}
int systemSlot(DWORD id) {
  for (int i = 0; i < 3; ++i)
    if (kSystemCursorIds[i] == id) return i;
  return -1;
}
FakeCursor* liveCursor(HCURSOR h) {
  uintptr_t i = reinterpret_cast<uintptr_t>(h);
  if (i == 0 || i > cursors.size() || !cursors[i - 1].alive) return nullptr;
  return &cursors[i - 1];
}
HCURSOR newCursor(const std::string& image) {
  cursors.push_back({image, true});
  ++liveCursorCount;
  return reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(cursors.size()));
}
bool loadableFile(const std::string& path) {
  for (const std::string& f : cursorFiles)
    if (f == path) return true;
  return false;
}
std::map<std::string, FakeRegistryValue>* keyOf(HKEY key) {
  uintptr_t i = reinterpret_cast<uintptr_t>(key);
  if (i == 0 || i > openKeys.size()) return nullptr;
  auto it = registry.find(openKeys[i - 1]);
  return it == registry.end() ? nullptr : &it->second;
}
bool isString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }
// UTF-8 text in codePage, or back (toUtf8), as the system converts through UTF-16, NULs and
// all; false when a character has no form of its own there (glibc's tables for Windows').
bool convert(UINT codePage, bool toUtf8, std::string text, std::string* out) {
  const std::string name = codePage == CP_UTF8 ? "UTF-8" : "CP" + std::to_string(codePage);
  iconv_t cd = iconv_open(toUtf8 ? "UTF-8" : name.c_str(), toUtf8 ? name.c_str() : "UTF-8");
  if (cd == iconv_t(-1)) return false;
  out->assign(text.size() * 4, 0);
  char *from = text.data(), *to = out->data();
  size_t fromLeft = text.size(), toLeft = out->size();
  const bool done = iconv(cd, &from, &fromLeft, &to, &toLeft) != size_t(-1);
  iconv_close(cd);
  out->resize(out->size() - toLeft);
  return done;
}
}  // namespace

void reset() {
  windows.clear();
  regions.clear();
  processHandles.clear();
  unopenableProcesses.clear();
  processes32Bit.clear();
  allocationsFail = false;
  nextAllocation = 0x7FF000000000ull;
  strayHitTests = 0;
  children.assign(1, {});
  sent.clear();
  queued.clear();
  wheelLines = wheelChars = 3;
  logMessages = true;
  tickCount = 0;
  cursorPos = {0, 0};
  sendsToNonWindows = 0;
  onSend = nullptr;
  registry.clear();
  registryWritable = true;
  desktopWindow = shellWindow = nullptr;
  openKeys.clear();
  cursors.clear();
  cursorFiles.clear();
  cursorMisuse = 0;
  cursorRestores = 0;
  restoreFails = false;
  monitors.clear();
  integrity.clear();
  processImages.clear();
  keysDown.clear();
  buttonsSwapped = false;
  cursorHidden = false;
  clip = kScreen;
  notificationState = 0;
  injected.clear();
  environment.clear();
  liveCursorCount = 0;
  for (std::string& shown : systemCursors) shown = "standard";
}

HWND addWindow(HWND parent, const std::string& className, RECT rect, LONG style) {
  if (children.empty()) children.assign(1, {});
  FakeWindow w;
  w.parent = parent;
  w.className = className;
  w.rect = rect;
  w.style = style;
  windows.push_back(w);
  children.emplace_back();
  HWND h = reinterpret_cast<HWND>(static_cast<uintptr_t>(windows.size()));
  auto& list = childList(parent);
  list.insert(list.begin(), h);
  return h;
}

FakeWindow& window(HWND handle) { return windows[indexOf(handle)]; }

void destroyWindow(HWND handle) {
  if (!find(handle)) return;
  for (HWND child : childList(handle)) destroyWindow(child);
  windows[indexOf(handle)].alive = false;
}

uint32_t hitFlagsAt(HWND handle, POINT client) {
  const FakeWindow& w = window(handle);
  const RECT& r = w.itemRect;
  const bool onItem = client.x >= r.left && client.x < r.right && client.y >= r.top && client.y < r.bottom;
  return onItem ? w.itemFlags : w.hitFlags;
}

void setValue(const std::string& key, const std::string& name, DWORD type, const void* data,
              size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  registry[key][name] = {type, std::vector<unsigned char>(bytes, bytes + size)};
}
std::string shownCursor(DWORD id) {
  int slot = systemSlot(id);
  return slot < 0 ? std::string() : systemCursors[slot];
}

int liveCursors() { return liveCursorCount; }

void mapSharedMemory(DWORD processId, uint64_t address, volatile void* local, uint32_t size) {
  regions.push_back({processId, address, size, static_cast<volatile unsigned char*>(local), {}, true});
}
void endProcess(DWORD processId) {
  for (ProcessHandle& h : processHandles)
    if (h.processId == processId) h.processEnded = true;
  for (MemoryRegion& r : regions)
    if (r.processId == processId) r.alive = false;
}
int openProcessHandles() {
  int n = 0;
  for (const ProcessHandle& h : processHandles) n += h.open;
  return n;
}
int liveAllocations() {
  int n = 0;
  for (const MemoryRegion& r : regions) n += r.alive && !r.owned.empty();
  return n;
}
}  // namespace fake

using namespace fake;

int osGetClassName(HWND window, char* buffer, int size) {
  FakeWindow* w = find(window);
  if (!w || size <= 0) return 0;
  int n = static_cast<int>(w->className.size());
  if (n > size - 1) n = size - 1;
  std::memcpy(buffer, w->className.data(), n);
  buffer[n] = 0;
  return n;
}
HWND osGetParent(HWND window) {
  FakeWindow* w = find(window);
  return w ? w->parent : nullptr;
}
HWND osGetRootWindow(HWND window) {
  FakeWindow* w = find(window);
  while (w && w->parent && find(w->parent)) {
    window = w->parent;
    w = find(window);
  }
  return w ? window : nullptr;
}
HWND osGetRootOwner(HWND window) {
  window = osGetRootWindow(window);
  for (int depth = 0; window && find(window)->owner && find(find(window)->owner) && depth < 64; ++depth)
    window = osGetRootWindow(find(window)->owner);
  return window;
}
LONG osGetWindowStyle(HWND window) {
  FakeWindow* w = find(window);
  return w ? w->style : 0;
}
RECT osGetWindowRect(HWND window) {
  FakeWindow* w = find(window);
  return w ? w->rect : RECT{0, 0, 0, 0};
}
POINT osScreenToClient(HWND window, POINT screen) {
  FakeWindow* w = find(window);
  if (!w) return screen;
  return {plus(screen.x, -w->rect.left), plus(screen.y, -w->rect.top)};
}
HWND osWindowFromPoint(POINT screen) { return deepestAt(nullptr, screen); }
HWND osChildWindowFromPoint(HWND parent, POINT client) {
  FakeWindow* p = find(parent);
  if (!p) return nullptr;
  POINT screen = {plus(client.x, p->rect.left), plus(client.y, p->rect.top)};
  if (!contains(p->rect, screen)) return nullptr;
  for (HWND h : childList(parent)) {
    FakeWindow* w = find(h);
    if (w && contains(w->rect, screen)) return h;
  }
  return parent;
}
bool osIsWindow(HWND window) { return find(window) != nullptr; }
bool osIsWindowVisible(HWND window) {
  FakeWindow* w = find(window);
  return w && w->visible;
}
bool osIsWindowEnabled(HWND window) {
  FakeWindow* w = find(window);
  return w && w->enabled;
}
static bool enumBelow(HWND parent, bool (*visit)(HWND, void*), void* context) {
  for (HWND h : childList(parent)) {
    if (!find(h)) continue;
    if (!visit(h, context)) return false;
    if (!enumBelow(h, visit, context)) return false;
  }
  return true;
}
void osEnumChildWindows(HWND parent, bool (*visit)(HWND, void*), void* context) {
  if (find(parent)) enumBelow(parent, visit, context);
}
HWND osFindWindow(const char* className, const char* title) {
  return osFindNextWindow(nullptr, className, title);
}
HWND osFindNextWindow(HWND after, const char* className, const char* title) {
  // As FindWindow: the whole title, its case ignored (ASCII here); null takes any.
  for (HWND h = osFindChildWindow(nullptr, after, className); h;
       h = osFindChildWindow(nullptr, h, className))
    if (!title || strcasecmp(find(h)->title.c_str(), title) == 0) return h;
  return nullptr;
}
HWND osGetDesktopWindow() { return desktopWindow; }
HWND osGetShellWindow() { return shellWindow; }
HWND osFindChildWindow(HWND parent, HWND after, const char* className) {
  bool passed = after == nullptr;
  for (HWND h : childList(parent)) {
    if (passed && find(h) && find(h)->className == className) return h;
    if (h == after) passed = true;
  }
  return nullptr;
}

// A control reads its record's point and writes its flags (no flags: it does not answer).
static bool answerHitTest(FakeWindow* w, HWND control, UINT message, LPARAM lParam) {
  uint64_t address = static_cast<uint64_t>(static_cast<uintptr_t>(lParam));
  if (contains(processes32Bit, w->processId)) address &= 0xFFFFFFFFu;
  volatile unsigned char* record = memoryAt(w->processId, address, 12);
  // Our own controls read a pointer, unless it is an address of another process's memory.
  if (!record && w->processId == kOwnProcess && !inAnyRegion(address))
    record = reinterpret_cast<volatile unsigned char*>(lParam);
  if (!record) {
    ++strayHitTests;
    log(control, message, 0, lParam);
    return true;  // it wrote somewhere in its own memory
  }
  uint32_t x, y;
  for (int i = 0; i < 4; ++i) reinterpret_cast<unsigned char*>(&x)[i] = record[i];
  for (int i = 0; i < 4; ++i) reinterpret_cast<unsigned char*>(&y)[i] = record[4 + i];
  log(control, message, 0, static_cast<LPARAM>(y << 16 | (x & 0xFFFF)));
  const uint32_t flags = find(control) ? hitFlagsAt(control, {LONG(x), LONG(y)}) : 0;
  if (!flags) return false;
  for (int i = 0; i < 4; ++i) record[8 + i] = static_cast<unsigned char>(flags >> (8 * i));
  return true;
}

SendStatus osSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs,
                         LRESULT* answer) {
  *answer = 0;
  FakeWindow* w = find(window);
  if (!w) {
    ++sendsToNonWindows;
    return kSendUnanswered;
  }
  tickCount += w->answerMs < timeoutMs ? w->answerMs : timeoutMs;
  if (w->answerMs > timeoutMs) return kSendUnanswered;
  if (osProcessIntegrity(w->processId) > osProcessIntegrity(kOwnProcess)) {
    ++deniedSends;  // the system drops messages from a lower integrity
    return kSendDenied;
  }
  if (isHitTest(message))
    return answerHitTest(w, window, message, lParam) ? kSendAnswered : kSendUnanswered;
  log(window, message, wParam, lParam);
  w = find(window);  // a nested notification may have destroyed it
  if (!w) return kSendUnanswered;
  if (message == WM_NCHITTEST) *answer = w->ncHitTest;
  if (message == LVM_GETSELECTEDCOUNT) *answer = w->selectedCount;
  return kSendAnswered;
}
bool osPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (logMessages && find(window)) queued.push_back({window, message, wParam, lParam});
  return find(window) != nullptr;
}
UINT osWheelScrollLines() { return wheelLines; }
UINT osWheelScrollChars() { return wheelChars; }
void osAllowForeground(DWORD) {}
DWORD osWindowProcessId(HWND window) {
  FakeWindow* w = find(window);
  return w ? w->processId : 0;
}
DWORD osCurrentProcessId() { return kOwnProcess; }
bool osProcessImageName(DWORD processId, char* buffer, DWORD size) {
  auto it = processImages.find(processId);
  if (size) buffer[0] = 0;
  if (it == processImages.end() || it->second.size() >= size) return false;
  std::memcpy(buffer, it->second.c_str(), it->second.size() + 1);
  return true;
}
DWORD osProcessIntegrity(DWORD processId) {
  auto it = integrity.find(processId);
  return it != integrity.end() ? it->second : SECURITY_MANDATORY_MEDIUM_RID;
}
bool osIs32BitProcess(HANDLE process) { return contains(processes32Bit, processOf(process)); }
uint32_t osRandom32() {
  static uint32_t state = 0x2545F491u;
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

HANDLE osOpenProcessMemory(DWORD processId) {
  if (!processId || contains(unopenableProcesses, processId)) return nullptr;
  processHandles.push_back({processId, true, false});
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(processHandles.size()));
}
void osCloseProcess(HANDLE process) {
  uintptr_t i = reinterpret_cast<uintptr_t>(process);
  if (i >= 1 && i <= processHandles.size()) processHandles[i - 1].open = false;
}
uint64_t osAllocateProcessMemory(HANDLE process, uint64_t address, uint32_t size) {
  DWORD id = processOf(process);
  if (!id || !size || allocationsFail) return 0;
  if (!address) {
    address = nextAllocation;
    nextAllocation += 0x10000;
  }
  MemoryStretch at;
  if (!osQueryProcessMemory(process, address, &at) || !at.free || at.base + at.size < address + size)
    return 0;
  MemoryRegion r = {id, address, size, nullptr, std::vector<unsigned char>(size), true};
  regions.push_back(std::move(r));
  regions.back().bytes = regions.back().owned.data();
  return address;
}
bool osQueryProcessMemory(HANDLE process, uint64_t address, MemoryStretch* stretch) {
  DWORD id = processOf(process);
  const uint64_t kEnd = 0x800000000000ull;
  if (!id || address >= kEnd) return false;
  uint64_t freeEnd = kEnd;
  for (const MemoryRegion& r : regions) {
    if (!r.alive || r.processId != id) continue;
    if (address >= r.address && address - r.address < r.size) {
      *stretch = {r.address, r.size, r.address, false, r.owned.empty()};
      return true;
    }
    if (r.address > address && r.address < freeEnd) freeEnd = r.address;
  }
  *stretch = {address, freeEnd - address, 0, true, false};
  return true;
}
void osFreeProcessMemory(HANDLE process, uint64_t address) {
  DWORD id = processOf(process);
  for (MemoryRegion& r : regions)
    if (id && r.processId == id && r.address == address && !r.owned.empty()) r.alive = false;
}
bool osWriteProcessMemory(HANDLE process, uint64_t address, const void* data, uint32_t size) {
  volatile unsigned char* to = memoryAt(processOf(process), address, size);
  if (!to || !processOf(process)) return false;
  for (uint32_t i = 0; i < size; ++i) to[i] = static_cast<const unsigned char*>(data)[i];
  return true;
}
bool osReadProcessMemory(HANDLE process, uint64_t address, void* data, uint32_t size) {
  volatile unsigned char* from = memoryAt(processOf(process), address, size);
  if (!from || !processOf(process)) return false;
  for (uint32_t i = 0; i < size; ++i) static_cast<unsigned char*>(data)[i] = from[i];
  return true;
}

DWORD osGetTickCount() { return tickCount; }
POINT osGetCursorPos() { return cursorPos; }
void osSetCursorPos(int x, int y) { cursorPos = {x, y}; }
bool osAsyncKeyDown(int virtualKey) {
  return std::find(keysDown.begin(), keysDown.end(), virtualKey) != keysDown.end();
}
int osGetSystemMetric(int index) {
  switch (index) {
    case SM_SWAPBUTTON: return buttonsSwapped ? 1 : 0;
    case SM_XVIRTUALSCREEN: return kScreen.left;
    case SM_YVIRTUALSCREEN: return kScreen.top;
    case SM_CXVIRTUALSCREEN: return kScreen.right - kScreen.left;
    case SM_CYVIRTUALSCREEN: return kScreen.bottom - kScreen.top;
  }
  return 0;
}
bool osCursorHidden() { return cursorHidden; }
RECT osGetClipCursor() { return clip; }
int osUserNotificationState() { return notificationState; }
bool osInjectMouseInput(const DWORD* flags, int count, uint32_t extraInfo) {
  for (int i = 0; i < count; ++i) injected.push_back({flags[i], extraInfo});
  return true;
}
bool osAutomationElementRect(HWND window, const char* automationId, RECT* rect) {
  FakeWindow* w = find(window);
  if (!w) return false;
  tickCount += w->automationAnswerMs;
  if (!w->automationElements.count(automationId)) return false;
  *rect = w->automationElements[automationId];
  return true;
}
bool osRunOnNewThread(void (*work)(void*), void* context) {
  work(context);  // at once: the tests see what the thread did when the call returns
  return true;
}
POINT osLogicalToPhysicalPoint(HWND window, POINT point) {
  FakeWindow* w = find(window);
  if (!w) return point;
  return {LONG(point.x * w->scalePercent / 100), LONG(point.y * w->scalePercent / 100)};
}
POINT osPhysicalToLogicalPoint(HWND window, POINT point) {
  FakeWindow* w = find(window);
  if (!w) return point;
  return {LONG(point.x * 100 / w->scalePercent), LONG(point.y * 100 / w->scalePercent)};
}
UINT osMonitorDpiAt(POINT screen) {
  for (const FakeMonitor& m : monitors)
    if (contains(m.rect, screen)) return m.dpi;
  return 96;
}

bool osToCodePage(UINT codePage, const char* text, char* buffer, int size) {
  std::string written;
  if (!convert(codePage, false, std::string(text, std::strlen(text) + 1), &written) ||
      size < 0 || written.size() > static_cast<size_t>(size))
    return false;
  std::memcpy(buffer, written.data(), written.size());
  return true;
}

HKEY osRegOpenKey(const char* subkey) {
  if (!registry.count(subkey)) return nullptr;
  openKeys.push_back(subkey);
  return reinterpret_cast<HKEY>(static_cast<uintptr_t>(openKeys.size()));
}
HKEY osRegCreateKey(const char* subkey) {
  if (!registryWritable && !registry.count(subkey)) return nullptr;
  registry[subkey];
  return osRegOpenKey(subkey);
}
void osRegCloseKey(HKEY) {}
bool osRegQueryValue(HKEY key, const char* name, void* buffer, DWORD* size, DWORD* type,
                     UINT codePage) {
  auto* values = keyOf(key);
  if (!values) return false;
  auto it = values->find(name);
  if (it == values->end()) return false;
  if (type) *type = it->second.type;
  std::string held(it->second.data.begin(), it->second.data.end());
  if (isString(it->second.type) && codePage != CP_UTF8 && !convert(codePage, false, held, &held))
    return false;
  DWORD n = static_cast<DWORD>(held.size());
  if (n > *size) {
    *size = n;
    return false;
  }
  if (n) std::memcpy(buffer, held.data(), n);
  *size = n;
  return true;
}
bool osRegSetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size,
                   UINT codePage) {
  auto* values = keyOf(key);
  if (!values || !registryWritable) return false;
  std::string held(static_cast<const char*>(data), size);
  if (isString(type) && codePage != CP_UTF8 && !convert(codePage, true, held, &held)) return false;
  (*values)[name] = {type, std::vector<unsigned char>(held.begin(), held.end())};
  return true;
}
bool osRegDeleteValue(HKEY key, const char* name) {
  auto* values = keyOf(key);
  if (!values || !registryWritable) return false;
  return values->erase(name) > 0;
}

HCURSOR osLoadCursorResource(int id, int) {
  static const int kIds[] = {254, 255, 256, 257, 258, 259, 260, 261, 262, 263, 264, 266, 267, 271};
  for (int known : kIds)
    if (known == id) return newCursor("res:" + std::to_string(id));
  return nullptr;
}
HCURSOR osLoadCursorFile(const char* path, int) {
  return loadableFile(path) ? newCursor(path) : nullptr;
}
HCURSOR osLoadStandardCursor(DWORD, int) { return newCursor("standard"); }
HCURSOR osCopyCursor(HCURSOR cursor) {
  FakeCursor* c = liveCursor(cursor);
  if (!c) {
    if (cursor) ++cursorMisuse;
    return nullptr;
  }
  std::string image = c->image;
  return newCursor(image);
}
bool osSetSystemCursor(HCURSOR cursor, DWORD id) {
  FakeCursor* c = liveCursor(cursor);
  int slot = systemSlot(id);
  if (!c || slot < 0) {
    if (cursor || slot < 0) ++cursorMisuse;
    return false;
  }
  systemCursors[slot] = c->image;
  c->alive = false;  // the system destroys the handle it was given
  --liveCursorCount;
  return true;
}
void osDestroyCursor(HCURSOR cursor) {
  if (!cursor) return;
  FakeCursor* c = liveCursor(cursor);
  if (!c) {
    ++cursorMisuse;
    return;
  }
  c->alive = false;
  --liveCursorCount;
}
bool osExpandEnvironmentStrings(const char* text, char* buffer, DWORD size) {
  std::string out = text;
  for (const auto& [name, value] : environment)
    for (size_t at; (at = out.find("%" + name + "%")) != std::string::npos;)
      out.replace(at, name.size() + 2, value);
  if (out.size() >= size) return false;
  std::memcpy(buffer, out.c_str(), out.size() + 1);
  return true;
}
bool osRestoreSystemCursors() {
  ++cursorRestores;
  if (restoreFails) return false;
  auto key = registry.find(kUserCursorsKey);
  for (int i = 0; i < 3; ++i) {
    std::string path;
    if (key != registry.end()) {
      auto value = key->second.find(kUserCursorValues[i]);
      if (value != key->second.end())
        path.assign(value->second.data.begin(), value->second.data.end());
      path = path.c_str();  // up to the terminating zero
    }
    systemCursors[i] = loadableFile(path) ? path : "standard";
  }
  return true;
}
int liveCursorHandles() { return fake::liveCursors(); }
