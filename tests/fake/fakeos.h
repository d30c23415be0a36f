// A scripted window system and registry behind the seam of os/os.h, for native tests.
// Windows are a tree with class names, styles, rectangles and answers to hit tests; every
// message sent through the seam is logged with its destination.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include "os/os.h"

namespace fake {
const DWORD kOwnProcess = 1000;          // the process the tests run as: Qor's
const DWORD kApplicationProcess = 2000;  // an application's, where windows are made
}

struct FakeWindow {
  HWND parent = nullptr;
  HWND owner = nullptr;  // of a top-level window
  DWORD processId = fake::kApplicationProcess;
  std::string className;
  std::string title;  // its window text, UTF-8
  LONG style = 0;
  RECT rect = {0, 0, 0, 0};  // screen coordinates; the client area is the same rectangle
  bool alive = true;
  bool visible = true;
  bool enabled = true;
  LRESULT ncHitTest = HTCLIENT;  // answer to WM_NCHITTEST
  uint32_t hitFlags = 0;         // flags a common control writes on a hit test; 0 = no answer
  RECT itemRect = {0, 0, 0, 0};  // client coordinates of an item, whose flags are itemFlags
  uint32_t itemFlags = 0;
  LRESULT selectedCount = 0;     // answer to LVM_GETSELECTEDCOUNT
  int scalePercent = 100;        // physical = own coordinates * scalePercent / 100
  std::map<std::string, RECT> automationElements;  // its UI Automation tree: id -> screen rect
  DWORD automationAnswerMs = 0;                     // how long its process takes to answer
  DWORD answerMs = 0;  // how long a send waits for its answer; beyond the timeout, none
};

struct FakeMonitor {
  RECT rect;  // physical
  UINT dpi;
};

struct SentMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const SentMessage& o) const {
    return window == o.window && message == o.message && wParam == o.wParam && lParam == o.lParam;
  }
};

// A cursor handle: the picture it shows ("res:254", or a file's path); copies show the same.
struct FakeCursor {
  std::string image;
  bool alive = true;
};

struct FakeRegistryValue {
  DWORD type;
  std::vector<unsigned char> data;
};

namespace fake {
// Forgets every window, message, registry key and setting of the fake.
void reset();
// Adds a window above its siblings; returns its handle.
HWND addWindow(HWND parent, const std::string& className, RECT rect, LONG style = 0);
FakeWindow& window(HWND handle);
void destroyWindow(HWND handle);  // the window and its descendants stop being windows
uint32_t hitFlagsAt(HWND handle, POINT client);  // what its hit test answers at client

// Memory of other processes: what osAllocateProcessMemory made there, and views of shared
// memory that a test maps there (a sender's view of the event slots). A control of another
// process finds its hit-test record only there; a control of kOwnProcess takes the address
// as a pointer.
void mapSharedMemory(DWORD processId, uint64_t address, volatile void* local, uint32_t size);
// Its handles and memory stop working; the id may then name a new process.
void endProcess(DWORD processId);
extern std::vector<DWORD> unopenableProcesses;
// Processes with 32-bit pointers: their controls read only the low 32 bits of an address, and
// memory allocated where the system chooses lies above 4 GB for every process.
extern std::vector<DWORD> processes32Bit;
extern bool allocationsFail;  // osAllocateProcessMemory finds no room
int openProcessHandles();  // opened and not yet closed
int liveAllocations();     // allocated and not yet freed
extern int strayHitTests;  // records a control looked for where its process has no memory

// Every osSendMessage, in order; a hit test is logged with its record's point packed as
// (y << 16 | x), the way the control read it.
extern std::vector<SentMessage> sent;
extern bool logMessages;  // off for benchmarks, so sends and posts allocate nothing
extern DWORD tickCount;
extern POINT cursorPos;
extern int sendsToNonWindows;  // sends and hit tests addressed to a null or destroyed window
// Called for every sent message before it is logged (nested notifications in tests).
extern void (*onSend)(HWND window, UINT message);

// Every message posted, in order.
extern std::vector<SentMessage> queued;
extern UINT wheelLines, wheelChars;  // the user's wheel settings; 3 and 3 after reset

// HKEY_CURRENT_USER: subkey path -> value name -> value; a string value's bytes in UTF-8 (the
// system's UTF-16 in the seam's form), read and written in the code page a call names.
extern std::map<std::string, std::map<std::string, FakeRegistryValue>> registry;
extern bool registryWritable;  // false makes every write and delete fail
extern HWND desktopWindow;  // what osGetDesktopWindow answers; null until a test sets it
extern HWND shellWindow;    // and osGetShellWindow
void setValue(const std::string& key, const std::string& name, DWORD type, const void* data,
              size_t size);

// Cursors: handle n + 1 is cursors[n]. Only the fourteen gesture cursor ids load as
// resources, and only the paths in cursorFiles load as files.
extern std::vector<FakeCursor> cursors;
extern std::vector<std::string> cursorFiles;
// What the arrow, I-beam and cross show: an image, or "standard". Starts "standard".
std::string shownCursor(DWORD id);
int liveCursors();         // handles made and not yet destroyed (by us or by the system)
extern int cursorMisuse;   // a dead or foreign handle used, or another system cursor replaced
extern int cursorRestores;  // calls of osRestoreSystemCursors
extern uint32_t deniedSends;  // sends to windows of processes of higher integrity
extern bool restoreFails;   // osRestoreSystemCursors changes nothing and fails

// Monitors with their DPI (none: 96 everywhere), integrity levels by process (none: medium),
// programs by process (none: unreadable), buttons held down as the hardware has them, swapped
// mouse buttons, environment variables.
extern std::vector<FakeMonitor> monitors;
extern std::map<DWORD, DWORD> integrity;
extern std::map<DWORD, std::string> processImages;
extern std::vector<int> keysDown;
extern bool buttonsSwapped;
// The pointer: hidden, confined to clip (the whole screen after reset), the state a full-screen
// program gives SHQueryUserNotificationState (0 after reset); and the input injected, in order.
extern bool cursorHidden;
extern RECT clip;
extern int notificationState;
struct InjectedInput {
  DWORD flags;
  uint32_t extraInfo;
};
extern std::vector<InjectedInput> injected;
extern std::map<std::string, std::string> environment;
}  // namespace fake
