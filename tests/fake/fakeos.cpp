#include "tests/fake/fakeos.h"

#include <cstring>

namespace fake {
LentHitTestBuffer lentHitTestBuffer = {};
std::vector<SentMessage> sent;
bool logMessages = true;
DWORD tickCount = 0;
POINT cursorPos = {0, 0};
int hitTestCalls = 0;
int sendsToNonWindows = 0;
void (*onSend)(HWND, UINT) = nullptr;
std::map<std::string, std::map<std::string, FakeRegistryValue>> registry;
bool registryWritable = true;
HWND desktopWindow = nullptr;
std::vector<FakeCursor> cursors;
std::vector<std::string> cursorFiles;
int cursorMisuse = 0;
int cursorRestores = 0;
int liveCursorCount = 0;

namespace {
// Handle n + 1 is windows[n]; children lists keep Z order, topmost first.
std::vector<FakeWindow> windows;
std::vector<std::vector<HWND>> children;  // index 0: top-level windows
std::vector<std::string> openKeys;        // handle n + 1 is openKeys[n]
const DWORD kSystemCursorIds[3] = {OCR_NORMAL, OCR_IBEAM, OCR_CROSS};
const char* const kUserCursorValues[3] = {"Arrow", "IBeam", "Cross"};
std::string systemCursors[3];

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
}  // namespace

void reset() {
  windows.clear();
  lentHitTestBuffer = {};
  children.assign(1, {});
  sent.clear();
  logMessages = true;
  tickCount = 0;
  cursorPos = {0, 0};
  hitTestCalls = 0;
  sendsToNonWindows = 0;
  onSend = nullptr;
  registry.clear();
  registryWritable = true;
  desktopWindow = nullptr;
  openKeys.clear();
  cursors.clear();
  cursorFiles.clear();
  cursorMisuse = 0;
  cursorRestores = 0;
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
  (void)title;
  for (HWND h : childList(nullptr)) {
    FakeWindow* w = find(h);
    if (w && w->className == className) return h;
  }
  return nullptr;
}
HWND osGetTopWindow(HWND parent) {
  for (HWND h : childList(parent))
    if (find(h)) return h;
  return nullptr;
}
HWND osGetDesktopWindow() { return desktopWindow; }

LRESULT osSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  FakeWindow* w = find(window);
  if (!w) {
    ++sendsToNonWindows;
    return 0;
  }
  log(window, message, wParam, lParam);
  w = find(window);  // a nested notification may have destroyed it
  if (!w) return 0;
  if (message == WM_NCHITTEST) return w->ncHitTest;
  if (message == LVM_GETSELECTEDCOUNT) return w->selectedCount;
  return 0;
}
uint32_t osControlHitTest(HWND control, UINT message, POINT client) {
  ++hitTestCalls;
  FakeWindow* w = find(control);
  if (!w) {
    ++sendsToNonWindows;
    return 0;
  }
  log(control, message, 0, static_cast<LPARAM>(static_cast<uint32_t>(client.y) << 16 |
                                                (static_cast<uint32_t>(client.x) & 0xFFFF)));
  w = find(control);
  return w ? w->hitFlags : 0;
}

void osReleaseHitTestBuffers() {}
DWORD osGetTickCount() { return tickCount; }
POINT osGetCursorPos() { return cursorPos; }
void osSetCursorPos(int x, int y) { cursorPos = {x, y}; }

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
bool osRegQueryValue(HKEY key, const char* name, void* buffer, DWORD* size) {
  auto* values = keyOf(key);
  if (!values) return false;
  auto it = values->find(name);
  if (it == values->end()) return false;
  DWORD n = static_cast<DWORD>(it->second.data.size());
  if (n > *size) {
    *size = n;
    return false;
  }
  if (n) std::memcpy(buffer, it->second.data.data(), n);
  *size = n;
  return true;
}
bool osRegSetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
  auto* values = keyOf(key);
  if (!values || !registryWritable) return false;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  (*values)[name] = {type, std::vector<unsigned char>(bytes, bytes + size)};
  return true;
}
bool osRegDeleteValue(HKEY key, const char* name) {
  auto* values = keyOf(key);
  if (!values || !registryWritable) return false;
  return values->erase(name) > 0;
}

HCURSOR osLoadCursorResource(int id) {
  static const int kIds[] = {254, 255, 256, 257, 258, 259, 260, 261, 262, 263, 264, 266, 267, 271};
  for (int known : kIds)
    if (known == id) return newCursor("res:" + std::to_string(id));
  return nullptr;
}
HCURSOR osLoadCursorFile(const char* path) {
  return loadableFile(path) ? newCursor(path) : nullptr;
}
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
void osRestoreSystemCursors() {
  ++cursorRestores;
  auto key = registry.find("Control Panel\\Cursors");
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
}
int osLiveCursorHandles() { return fake::liveCursors(); }
LentHitTestBuffer osLendHitTestBuffer(const LentHitTestBuffer& buffer) {
  LentHitTestBuffer before = fake::lentHitTestBuffer;
  fake::lentHitTestBuffer = buffer;
  return before;
}
