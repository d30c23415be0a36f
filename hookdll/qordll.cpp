// The hook library, mapped into every process that takes mouse input. It forwards each mouse
// event and menu-loop notice to Qor's hook window and obeys the answer. It links no runtime:
// entry point, no exceptions, no static constructors. Nothing of it is shared between the
// processes that map it: whatever one of them writes stays its own.
#include <windows.h>

#include "hookdll/forwarding.h"

namespace {
HINSTANCE thisLibrary = nullptr;
// This process's view of the event slots, opened at the first forwarded event.
// The view is kept until the process ends, past FreeLibrary: a control may still answer a hit
// test that Qor asked for into it after the library has gone.
EventSlotsView slotsView = {nullptr, nullptr, nullptr};
bool slotsUnavailable = false;
// The hook window the block named when last looked at, when it passed the checks.
uint32_t namedWindow = 0;
HWND hookWindow = nullptr;

EventSlots* eventSlots() {
  if (slotsView.slots || slotsUnavailable) return slotsView.slots;
  slotsView = mapEventSlots();
  // No block (no Qor), or one this process may not open: every event passes.
  slotsUnavailable = !slotsView.slots;
  return slotsView.slots;
}

// Whether process runs the Qor.exe that lies beside this library: whoever may write the block
// must not make the library answer a window of another program.
bool runsQorBesideUs(DWORD process) {
  wchar_t expected[MAX_PATH], image[MAX_PATH];
  DWORD length = GetModuleFileNameW(thisLibrary, expected, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  while (length > 0 && expected[length - 1] != L'\\') --length;
  if (length + sizeof QOR_PROGRAM_FILE / sizeof(wchar_t) > MAX_PATH) return false;
  lstrcpyW(expected + length, QOR_PROGRAM_FILE);
  HANDLE opened = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  DWORD size = MAX_PATH;
  const bool same = opened && QueryFullProcessImageNameW(opened, 0, image, &size) &&
                    CompareStringOrdinal(image, -1, expected, -1, TRUE) == CSTR_EQUAL;
  if (opened) CloseHandle(opened);
  return same;
}

// The checks of the named window cost calls into the window manager and the process table, so
// they are made only when the block names another window than last time. The window's own
// process is checked, not the one the block names: both may change between two reads.
HWND knownHookWindow(EventSlots* slots) {
  uint32_t named = __atomic_load_n(&slots->owner.hookWindow, __ATOMIC_RELAXED);
  if (named != namedWindow) {
    namedWindow = named;
    HWND window = ownersHookWindow(slots);
    DWORD process = 0;
    hookWindow = window && GetWindowThreadProcessId(window, &process) && runsQorBesideUs(process)
                     ? window
                     : nullptr;
  }
  return hookWindow;
}

// A send that gives up on a missing, hung or slow hook window; answers fallback then. A window
// found gone is looked up once more in the block (Qor ended or started anew, naming another).
LRESULT sendToHookWindow(UINT message, WPARAM wParam, LPARAM lParam, LRESULT fallback) {
  EventSlots* slots = eventSlots();
  if (!slots) return fallback;
  for (int tries = 0; tries < 2; ++tries) {
    HWND window = knownHookWindow(slots);
    DWORD_PTR answer = 0;
    if (!window) return fallback;
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                            kHookSendTimeoutMs, &answer))
      return static_cast<LRESULT>(answer);
    if (IsWindow(window)) return fallback;  // hung or slow
    hookWindow = nullptr;
  }
  return fallback;
}

// Whether this process runs a program the user left alone: then the library forwards only what
// lets Qor leave it alone, a gesture brought in or a cursor of Qor's to take back.
// Its own key is taken once; the list only when Qor has rewritten it.
bool leftAloneHere(const EventSlots* slots) {
  static uint64_t ownKey = 0;
  static uint32_t checked = 1;  // odd: never read
  static bool leftAlone = false;
  if (!ownKey) {
    wchar_t path[MAX_PATH];
    char name[MAX_PATH * 3];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    DWORD start = length;
    while (start > 0 && path[start - 1] != L'\\') --start;
    if (!WideCharToMultiByte(CP_UTF8, 0, path + start, -1, name, sizeof name, nullptr, nullptr))
      return false;
    ownKey = leftAloneKeyOf(name);
  }
  const uint32_t version = __atomic_load_n(&slots->owner.leftAlone.version, __ATOMIC_ACQUIRE);
  if (version != checked) {
    uint32_t read = 0;
    leftAlone = leftAloneKeyListed(slots, ownKey, &read);
    checked = read;  // odd while Qor rewrote them: read again next time
  }
  return leftAlone;
}

// For a movement over a common control of this very thread, the control's own answer to its
// hit test at the point: a direct call here, where Qor would need a round trip into this
// process to ask. Qor decides what it means.
uint32_t controlFlagsAt(const MOUSEHOOKSTRUCT* event) {
  char name[32];
  if (GetWindowThreadProcessId(event->hwnd, nullptr) != GetCurrentThreadId() ||
      !GetClassNameA(event->hwnd, name, sizeof name))
    return kControlFlagsUnknown;
  const uint32_t message = hitTestMessageOf(name);
  if (!message) return kControlFlagsUnknown;
  HitTestRecord record = {event->pt.x, event->pt.y, 0, {}};
  POINT at = event->pt;
  ScreenToClient(event->hwnd, &at);
  record.x = at.x;
  record.y = at.y;
  SendMessageA(event->hwnd, message, 0, reinterpret_cast<LPARAM>(&record));
  return record.flags;
}

// Answers kAnswerSwallow to swallow the event, anything else to let it pass. Anything that
// keeps the hook window from deciding lets the event pass: a stuck Qor must never take the
// mouse away.
LRESULT forwardMouseEvent(WPARAM message, const MOUSEHOOKSTRUCT* event) {
  EventSlots* slots = eventSlots();
  const uint32_t demand = slots ? __atomic_load_n(&slots->owner.demand, __ATOMIC_RELAXED)
                                : kSendNothing;
  if (demand == kSendNothing ||
      passesUnasked(static_cast<uint32_t>(message), static_cast<uint32_t>(event->dwExtraInfo), demand))
    return kAnswerPass;
  const bool leftAlone = demand != kSendEverythingForGesture && leftAloneHere(slots);
  HWND window = knownHookWindow(slots);
  if (!window || event->hwnd == window) return kAnswerPass;
  const bool movement = isMovement(static_cast<uint32_t>(message));
  EventRecord record = {event->pt.x, event->pt.y, handle32Of(event->hwnd),
                        static_cast<uint32_t>(event->wHitTestCode),
                        static_cast<uint32_t>(event->dwExtraInfo), static_cast<uint32_t>(message),
                        movement && !leftAlone ? controlFlagsAt(event) : kControlFlagsUnknown};
  if (leftAlone && !leftAloneMovementSent(slots, demand, record)) return kAnswerPass;
  // Where the system calls the hook on Qor's own thread, the send costs no other process.
  const bool inQor = __atomic_load_n(&slots->owner.process, __ATOMIC_RELAXED) == GetCurrentProcessId();
  if (!leftAlone && !inQor && keepMovement(slots, record, GetCurrentProcessId()))
    return kAnswerPass;
  const DWORD now = GetTickCount();
  int32_t ticket = publishEvent(slots, record, now);
  if (!ticket) return kAnswerPass;
  markEventSender(slots, ticket, GetCurrentProcessId());
  LRESULT answer = sendToHookWindow(kMsgMouseEvent, message, ticket, kAnswerPass);
  releaseEvent(slots, ticket, now);
  return answer;
}
}  // namespace

extern "C" {

// The hook handle argument of CallNextHookEx is ignored on NT.
LRESULT CALLBACK MouseFunc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION &&
      forwardMouseEvent(wParam, reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)) ==
          kAnswerSwallow)
    return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK CallWndProcFunc(int code, WPARAM wParam, LPARAM lParam) {
  EventSlots* slots = code == MSGF_MENU ? eventSlots() : nullptr;
  if (slots && __atomic_load_n(&slots->owner.demand, __ATOMIC_RELAXED) != kSendNothing &&
      !leftAloneHere(slots)) {
    const MSG* filtered = reinterpret_cast<const MSG*>(lParam);
    sendToHookWindow(kMsgMenuLoop, filtered->message, filtered->wParam, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs under the loader lock: nothing of the window manager here.
BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) thisLibrary = instance;
  if (reason == DLL_PROCESS_DETACH && !reserved) {
    // Unloaded, not process end: the handles go, so that the block's name goes with Qor's.
    if (slotsView.mapping) CloseHandle(slotsView.mapping);
    if (slotsView.space) ClosePrivateNamespace(slotsView.space, 0);
  }
  return TRUE;
}
}
