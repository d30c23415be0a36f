// The contract of Qor's private protocol: between Qor.exe and the hook library
// (Qordll-<version>.dll), and with the peer program: names, messages, answers and layouts.
// Nothing else crosses. Included by the library, which links no runtime, so it uses compiler
// builtins only.
#pragma once
#include <stdint.h>
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#else
#include "os/winapi.h"
#endif

// Private messages to the hook window (WM_USER + k), always sent and answered.
enum : unsigned {
  kMsgMenuLoop = 0x400 + 80,    // 1104: wParam the filtered message, lParam its wParam
  kMsgMouseEvent = 0x400 + 90,  // 1114: wParam the mouse message, lParam an event ticket
  kMsgPeer = 0x400 + 150,       // 1174, both ways with the peer: lParam a code, wParam a window
};
// Answers to kMsgMouseEvent. Swallow is a value no window answers by chance (DefWindowProc
// answers 0 to a message it does not know): every other answer lets the event pass.
enum : uint32_t { kAnswerPass = 1, kAnswerSwallow = 0x5157414C };

// The peer's codes. The main window greets the peer's window and takes leave of it; the peer
// asks the hook window to disable or enable the engine, or for peerMode, which 3 makes keep
// the engine as it is when asked to enable it.
enum { kPeerHello = 0, kPeerGoodbye = 1, kPeerDisable = 2, kPeerEnable = 3, kPeerQuery = 4 };
enum { kPeerModeRefusesEnable = 3 };
#define PEER_WINDOW_CLASS "VOLMAR32"

#define HOOK_CLASS_NAME "hookclassN"
#define HOOK_WINDOW_NAME "hookwindowN"
#define HOOK_LIBRARY_NAME "Qordll"
#define QOR_PROGRAM_FILE L"Qor.exe"  // beside the hook library: the only program it answers
#define MOUSE_HOOK_EXPORT "MouseFunc"
#define MSG_FILTER_EXPORT "CallWndProcFunc"

// How long the library waits for the hook window's answer before letting the event pass:
// a hung Qor must not take the desktop's mouse away.
enum { kHookSendTimeoutMs = 500 };

// The mouse hook's MOUSEHOOKSTRUCT, forwarded unchanged, the mouse message it came with, and
// for a movement over a common control of the sender's own thread the flags the control
// answered to its hit test there (0 otherwise: no control answers none); the same 28 bytes on
// both architectures (a window handle fits in 32 bits).
struct EventRecord {
  int32_t x, y;
  uint32_t window;
  uint32_t hitTestCode;
  uint32_t extraInfo;
  uint32_t message;
  uint32_t controlFlags;
};
static_assert(sizeof(EventRecord) == 28, "the event record is 28 bytes");
enum : uint32_t { kControlFlagsUnknown = 0 };

// The record the four controls' hit tests read: point and flags at the same offsets for 32-bit
// and 64-bit controls; the rest is room for the largest (a 64-bit tree view's item handle, a
// list view's group), which is never read back.
struct HitTestRecord {
  LONG x, y;
  UINT flags;
  unsigned char rest[12];
};
static_assert(sizeof(HitTestRecord) == 24 && __builtin_offsetof(HitTestRecord, flags) == 8,
              "one layout for both bitnesses");

// The common controls whose element under the pointer depends on the point, and the hit-test
// message each answers (HDM_, LVM_, TVM_ and TCM_HITTEST).
struct PointDependentControl {
  const char* className;
  uint32_t hitTestMessage;
};
inline constexpr PointDependentControl kPointDependentControls[] = {
    {"SysHeader32", HDM_HITTEST}, {"SysListView32", LVM_HITTEST},
    {"SysTreeView32", TVM_HITTEST}, {"SysTabControl32", TCM_HITTEST}};
// The hit-test message of a point-dependent control's class; 0 for any other class.
inline uint32_t hitTestMessageOf(const char* className) {
  for (const PointDependentControl& c : kPointDependentControls) {
    const char *a = className, *b = c.className;
    while (*a && *a == *b) ++a, ++b;
    if (*a == *b) return c.hitTestMessage;
  }
  return 0;
}

// Mouse input that Windows makes from touch or a pen carries this signature in its extra
// information (the low byte tells which); a click that Qor gives back to a window carries
// Qor's own tag, so that no library asks Qor about it again.
enum : uint32_t {
  kTouchOrPenMask = 0xFFFFFF00,
  kTouchOrPenSignature = 0xFF515700,
  kQorReplayTag = 0x516F7252,  // "RroQ"
};
inline bool fromTouchOrPen(uint32_t extraInfo) {
  return (extraInfo & kTouchOrPenMask) == kTouchOrPenSignature;
}

// Handles cross as 32-bit values, sign-extended on 64-bit.
inline uint32_t handle32Of(HWND window) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}
inline HWND windowOfHandle32(uint32_t value) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

// Event records cross processes in a named shared-memory block of slots (protocol/event_slots.h).
// The name carries the layout's version: a process still running an older library keeps its
// block alive under the old name, and a new Qor must not map a block of another layout.
// Qor.exe alone creates the block, with a security descriptor of its own; the library only
// opens it, and forwards only to the hook window the block names, of the process it names,
// when that process runs the Qor.exe beside the library.
#define EVENT_SLOTS_NAME "QorDLL.EventSlots.7"
// The private namespace that holds the block's name where the system has one, and its boundary.
#define EVENT_SLOTS_NAMESPACE L"Qor"
#define EVENT_SLOTS_BOUNDARY L"Qor.EventSlots"
enum { kEventSlotCount = 64 };

// Each slot also lends the receiver room for one common control's hit test (HDM_, LVM_,
// TVM_ or TCM_HITTEST record): the sending process maps the block too, so a control of that
// process answers straight into it at the sender's address of the block, and the receiver
// reads the answer in its own view, with no copying between the processes. All fields are
// 32-bit words, so x86 and x64 processes share one layout.
struct EventSlot {
  uint32_t claim;  // 0 free, else the claim's tick made odd (never 0); interlocked only
  int32_t ticket;  // published ticket, its negation once read, 0 while none
  uint32_t uses;   // written by the slot's claimant only
  EventRecord record;
  uint32_t senderProcess;  // written by the claimant before it sends the ticket
  uint32_t senderViewLow, senderViewHigh;  // where the sender's process maps the block
  uint32_t hitTest[8];
};
static_assert(sizeof(EventSlot) == 84, "one layout for every process");
// Written by Qor only. A block that holds the magic but names a process that no longer runs was
// left by an earlier Qor (still mapped by libraries it loaded), and the next Qor takes it over.
enum : uint32_t { kEventSlotsMagic = 0x31726F51 };  // "Qor1"
// What the engine last saw of the pointer: the facts of the last movement it handled, which
// decide what lies under the pointer. Written by Qor between an odd and the next even version;
// window 0 while they are not the last thing the engine saw.
struct SeenFacts {
  uint32_t version;
  uint32_t window;
  uint32_t hitTestCode;
  uint32_t controlFlags;
};
// The programs the user left alone, by key (leftAloneKeyOf their file names): the library in a
// process of one of them forwards only what ends a gesture or takes Qor's cursors back there.
// Written by Qor between an odd and the next even version.
enum { kMaxLeftAlonePrograms = 256 };
struct LeftAloneKeys {
  uint32_t version;
  uint32_t count;
  uint64_t key[kMaxLeftAlonePrograms];
};
struct EventSlotsOwner {
  uint32_t magic;
  uint32_t process;     // Qor's process id
  uint32_t hookWindow;  // Qor's hook window; 0 while it has none
  uint32_t demand;      // an EventDemand, kept current by Qor
  SeenFacts seen;
  LeftAloneKeys leftAlone;
};

// What Qor needs of the library now. While no gesture runs, a movement only tells Qor what lies
// under the pointer for the next event, so the library keeps the latest one in the block
// instead of sending it, and Qor takes it before the next event it is sent. In standby what
// lies under the pointer decides the cursor: a movement is sent only where its facts differ
// from those Qor saw last. While Qor's engine is off, nothing need be sent at all. While a
// gesture runs, a program left alone sends too: Qor ends the gesture there.
enum : uint32_t {
  kSendEverything = 0,
  kKeepIdleMovements = 1,
  kSendNothing = 2,
  kSendChangedMovements = 3,
  kSendEverythingForGesture = 4,
};

// The latest movement kept, whichever process saw it. A library writes it between an odd and
// the next even version; a reader that sees the version change meanwhile reads nothing.
struct KeptMovement {
  uint32_t version;
  EventRecord record;
  uint32_t senderProcess;
};

struct EventSlots {
  EventSlotsOwner owner;
  KeptMovement kept;
  EventSlot slot[kEventSlotCount];
};
