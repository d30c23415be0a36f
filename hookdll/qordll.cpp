// The hook library, mapped into every process that takes mouse input. It forwards each mouse
// event and menu-loop notice to Qor's hook window and obeys the answer. It links no runtime:
// entry point, no exceptions, no static constructors.
#include <windows.h>

#include "engine/hookthread/protocol.h"

// One copy for all processes that map the library.
#define SHARED __attribute__((section(".sdata"), shared))
HWND hookWindow SHARED = nullptr;
HHOOK mouseHook SHARED = nullptr;
HHOOK msgFilterHook SHARED = nullptr;

namespace {
// This process's view of the event slots; mapped at the first forwarded event.
EventSlotsView slotsView = {nullptr, nullptr};
bool slotsUnavailable = false;

// The hook window as last found, or found now when none is known.
HWND knownHookWindow() {
  if (!hookWindow) hookWindow = FindWindowA(HOOK_CLASS_NAME, HOOK_WINDOW_NAME);
  return hookWindow;
}

// A send that gives up on a missing, hung or slow hook window; answers fallback then. The
// window is looked up again only when a send finds it gone (Qor ended or started anew):
// checking it before every event would cost a call into the window manager each time.
LRESULT sendToHookWindow(UINT message, WPARAM wParam, LPARAM lParam, LRESULT fallback) {
  DWORD_PTR answer = 0;
  HWND window = knownHookWindow();
  if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kHookSendTimeoutMs,
                          &answer))
    return static_cast<LRESULT>(answer);
  if (!window || IsWindow(window)) return fallback;  // none running, or hung or slow
  hookWindow = window = FindWindowA(HOOK_CLASS_NAME, HOOK_WINDOW_NAME);
  if (!window || !SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                      kHookSendTimeoutMs, &answer))
    return fallback;
  return static_cast<LRESULT>(answer);
}

EventSlots* eventSlots() {
  if (slotsView.slots || slotsUnavailable) return slotsView.slots;
  slotsView = mapEventSlots(true);
  slotsUnavailable = !slotsView.slots;  // e.g. a process that may not open the block: pass
  return slotsView.slots;
}

// Answers kAnswerPass or kAnswerSwallow. Anything that keeps the hook window from deciding
// lets the event pass: a stuck Qor must never take the mouse away.
LRESULT forwardMouseEvent(WPARAM message, const MOUSEHOOKSTRUCT* event) {
  HWND window = knownHookWindow();
  if (!window || event->hwnd == window) return kAnswerPass;
  EventSlots* slots = eventSlots();
  if (!slots) return kAnswerPass;
  EventRecord record = {event->pt.x, event->pt.y,
                        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(event->hwnd)),
                        static_cast<uint32_t>(event->wHitTestCode),
                        static_cast<uint32_t>(event->dwExtraInfo)};
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

LRESULT CALLBACK MouseFunc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION &&
      forwardMouseEvent(wParam, reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)) ==
          kAnswerSwallow)
    return 1;
  return CallNextHookEx(mouseHook, code, wParam, lParam);
}

LRESULT CALLBACK CallWndProcFunc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_MENU) {
    const MSG* filtered = reinterpret_cast<const MSG*>(lParam);
    sendToHookWindow(kMsgMenuLoop, filtered->message, filtered->wParam, 0);
  }
  return CallNextHookEx(msgFilterHook, code, wParam, lParam);
}

// Every process that maps the library refreshes the shared hook handles.
BOOL WINAPI DllEntry(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    mouseHook = reinterpret_cast<HHOOK>(sendToHookWindow(kMsgMouseHook, 0, 0, 0));
    msgFilterHook = reinterpret_cast<HHOOK>(sendToHookWindow(kMsgFilterHook, 0, 0, 0));
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    unmapEventSlots(slotsView);  // unloaded, not process end: give it back
  }
  return TRUE;
}
}
