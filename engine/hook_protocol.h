// The hook window's side of the private protocol, and the notices to the peer program: the
// logic of the hook thread, reaching the system only through os/os.h.
#pragma once
#include <cstdint>
#include "protocol/protocol.h"
#include "os/shared_word.h"
#include "os/winapi.h"

extern SharedInt32 engineEnabled;  // 0: the hook window runs neither events nor ticks
extern SharedUInt32 startTick;     // tick at start; non-zero while delayed installation waits
extern EventSlots* eventSlots;     // the hook thread's view of the event slots; may be null

// Answers to the messages of the hook library and the peer.
LRESULT answerMouseEvent(WPARAM message, LPARAM ticket);
LRESULT answerMenuLoop();
LRESULT answerPeer(LPARAM code);

// At the hook window's creation: true when the hooks are to be installed now (no delayed
// start), which also ends the waiting.
bool installHooksAtCreation();
// Every hook-timer tick: the engine's repeat step; true once the delayed installation is due.
bool hookTimerTick();
// Whether the hook timer must run now: a repeat runs or its first step waits, or the delayed
// installation waits. While it need not, Qor's threads sleep.
bool hookTimerWanted();
// A change of the engine's state made outside the hook window (the tray's standby command):
// the movement kept before it is taken first, and the library learns what Qor needs after it.
// Runs under engineLock.
void changeEngine(void (*change)());
// Tells the library what Qor needs now (an EventDemand: kSendEverythingForGesture while a
// gesture runs, kSendChangedMovements in standby, ...).
void publishDemand();

// Notices to the peer's window, when there is one: hello at start, goodbye at the end.
void greetPeer(HWND mainWindow);
void farewellPeer();
