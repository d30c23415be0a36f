// The seam between the program's logic and the operating system. The Win32 build implements
// it with the real API (os/os_win32.cpp); native tests link a fake window system
// (tests/fake). Each function forwards one operation and decides nothing. Text crosses it as
// UTF-8 (class and window names, registry names and strings, paths); the Win32 side converts
// to and from UTF-16 at each call of the wide API.
#pragma once
#include <cstdint>
#include "os/winapi.h"

// Window queries. A handle that is not (or no longer) a window gives 0, false or an empty name.
int osGetClassName(HWND window, char* buffer, int size);  // length copied; 0 when unreadable
HWND osGetParent(HWND window);
HWND osGetRootWindow(HWND window);  // the top-level window that holds window
// The top-level window at the end of window's parents and owners (a control hosted across
// processes ends at its host's window).
HWND osGetRootOwner(HWND window);
LONG osGetWindowStyle(HWND window);
RECT osGetWindowRect(HWND window);  // screen coordinates; all 0 when unreadable
POINT osScreenToClient(HWND window, POINT screen);
HWND osWindowFromPoint(POINT screen);
HWND osChildWindowFromPoint(HWND parent, POINT client);
bool osIsWindow(HWND window);
bool osIsWindowVisible(HWND window);
bool osIsWindowEnabled(HWND window);
// Visits every descendant of parent, depth first in Z order, until visit returns false.
void osEnumChildWindows(HWND parent, bool (*visit)(HWND child, void* context), void* context);
HWND osFindWindow(const char* className, const char* title);  // title null: any title
// The next top-level window after `after` (null: the first) of className and title (null: any).
HWND osFindNextWindow(HWND after, const char* className, const char* title);
// The next child of parent (top-level windows when parent is null) after `after` (null: the
// first) of class className; null when none.
HWND osFindChildWindow(HWND parent, HWND after, const char* className);
HWND osGetDesktopWindow();
HWND osGetShellWindow();  // the shell's desktop window; null while no shell has one

// How a send ended: answered; not answered (the window is gone, hung, or slower than the
// time allowed); or refused by the system (a process of higher integrity). Skipped comes
// never from the system: the caller did not send at all (engine/send.h).
enum SendStatus { kSendAnswered, kSendUnanswered, kSendDenied, kSendSkipped };
// Synchronous send that waits at most timeoutMs and gives up at once on a window the system
// knows as hung; *answer is 0 unless it was answered.
SendStatus osSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs,
                         LRESULT* answer);
// Queues a message for window and returns at once; false when it may not (the window is gone,
// or its process refuses Qor's messages).
bool osPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The process that owns window; 0 when it is not a window.
DWORD osWindowProcessId(HWND window);
// Lets the process take the foreground from this one (a second start hands its right on).
void osAllowForeground(DWORD processId);
DWORD osCurrentProcessId();
// The full path of the process's program, UTF-8; false, and buffer empty, when it cannot be
// read or does not fit.
bool osProcessImageName(DWORD processId, char* buffer, DWORD size);
// The process's mandatory integrity level (SECURITY_MANDATORY_*_RID); 0 when unreadable.
DWORD osProcessIntegrity(DWORD processId);

// Memory in another process, for records its windows read and write there. A null process
// or a zero address makes every operation fail.
HANDLE osOpenProcessMemory(DWORD processId);  // null when the process may not be opened
void osCloseProcess(HANDLE process);
// Read-write memory at address (0: where the system chooses); 0 when none.
uint64_t osAllocateProcessMemory(HANDLE process, uint64_t address, uint32_t size);
// The stretch of process's address space that holds address: where it starts, how long it
// is, where the allocation it belongs to starts, whether it is free and whether it is a view
// of a mapped section; false past the end of the address space.
struct MemoryStretch {
  uint64_t base, size, allocationBase;
  bool free, mappedView;
};
bool osQueryProcessMemory(HANDLE process, uint64_t address, MemoryStretch* stretch);
void osFreeProcessMemory(HANDLE process, uint64_t address);
bool osWriteProcessMemory(HANDLE process, uint64_t address, const void* data, uint32_t size);
bool osReadProcessMemory(HANDLE process, uint64_t address, void* data, uint32_t size);
// A process with 32-bit pointers (every process, for a 32-bit Qor).
bool osIs32BitProcess(HANDLE process);
// An unpredictable number, for proofs that another process cannot guess.
uint32_t osRandom32();

// Pointer and time.
DWORD osGetTickCount();
POINT osGetCursorPos();
void osSetCursorPos(int x, int y);
// The key or button's state now, as the hardware has it (GetAsyncKeyState's high bit).
bool osAsyncKeyDown(int virtualKey);
int osGetSystemMetric(int index);
// Whether the pointer is hidden now (by a program, or while touch or a pen is used).
bool osCursorHidden();
// The rectangle the pointer is confined to (physical screen coordinates); the whole virtual
// screen, or more, while it is not confined.
RECT osGetClipCursor();
// SHQueryUserNotificationState's answer (QUNS_*); 0 where it cannot be had.
int osUserNotificationState();
// Injects mouse button input at the pointer: count events with MOUSEEVENTF_ flags[i], each
// carrying extraInfo; false when the system took fewer.
bool osInjectMouseInput(const DWORD* flags, int count, uint32_t extraInfo);

// DPI. The point in window's own coordinates made physical; unchanged where the system has no
// such conversion or it fails.
POINT osLogicalToPhysicalPoint(HWND window, POINT point);
// The physical point in window's own coordinates (logical for a DPI-unaware window); unchanged
// where the system has no such conversion or it fails.
POINT osPhysicalToLogicalPoint(HWND window, POINT point);
// The effective DPI of the monitor at a physical point (or nearest it); 96 where unknown.
UINT osMonitorDpiAt(POINT screen);

// UI Automation: the screen rectangle of the first element under window with this automation
// id. Waits for window's process to answer.
bool osAutomationElementRect(HWND window, const char* automationId, RECT* rect);
// Runs work(context) on a thread of its own; false when no thread could be started.
bool osRunOnNewThread(void (*work)(void* context), void* context);

// The user's wheel settings: lines per notch (WHEEL_PAGESCROLL: a page) and characters per
// tilt; 0 when unreadable.
UINT osWheelScrollLines();
UINT osWheelScrollChars();

// A path of the system's longest (MAX_PATH UTF-16 units) takes at most this many bytes as UTF-8.
enum { kPathBytes = 3 * 260 };

// text written in codePage, NUL-terminated within size bytes; false (buffer unspecified) when a
// character has no form of its own there (none stands in for it) or the result does not fit.
bool osToCodePage(UINT codePage, const char* text, char* buffer, int size);

// Registry, under HKEY_CURRENT_USER. A null key makes every value operation fail. String values
// (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ), which the system holds as UTF-16, are read and written
// in codePage, as the ANSI functions do in the system's code page: sizes count its bytes.
HKEY osRegOpenKey(const char* subkey);
HKEY osRegCreateKey(const char* subkey);
void osRegCloseKey(HKEY key);
// size: in, the buffer's capacity; out, the bytes the value holds. Fails when the value is
// missing or larger than the buffer; one that cannot fit is refused before it is read.
// type, when given, receives the value's REG_* type, also for a value refused as too large.
bool osRegQueryValue(HKEY key, const char* name, void* buffer, DWORD* size,
                     DWORD* type = nullptr, UINT codePage = CP_UTF8);
bool osRegSetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size,
                   UINT codePage = CP_UTF8);
bool osRegDeleteValue(HKEY key, const char* name);

// Cursors. Every handle these give is the caller's, to destroy or to hand to the system.
HCURSOR osLoadCursorResource(int id, int size);  // from the program's module, size pixels
HCURSOR osLoadCursorFile(const char* path, int size);  // null when the file does not load
// The system's own standard cursor OCR_... at size pixels, never a replacement of it.
HCURSOR osLoadStandardCursor(DWORD id, int size);
HCURSOR osCopyCursor(HCURSOR cursor);
// Shows cursor as system cursor id (OCR_...). On success the system owns the handle and
// destroys it; on failure it stays the caller's.
bool osSetSystemCursor(HCURSOR cursor, DWORD id);
void osDestroyCursor(HCURSOR cursor);  // a null handle is ignored
// Every system cursor back as the user's settings name it (scheme and size), the standard
// one where none; false when the system refused.
bool osRestoreSystemCursors();
// %NAME% references replaced from the environment; false when the result does not fit.
bool osExpandEnvironmentStrings(const char* text, char* buffer, DWORD size);
