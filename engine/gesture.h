// The gesture state machine: decides for every mouse event of the system whether it passes.
#pragma once
#include <cstdint>
#include "os/shared_word.h"
#include "os/winapi.h"

// The states' numbers are the engine's own: the peer, the tray and the tests read them.
enum PanState : int32_t { kPanOff = 0, kPanStandby = 1, kPanPressed = 2, kPanPanning = 3 };
enum ExtScrollState : int32_t { kExtScrollOff = 0, kExtScrollActive = 1, kExtScrollArming = 2 };
// The engine's verdict on an event.
enum EventVerdict : int32_t { kSwallowEvent = 0, kPassEvent = 1 };
// What the right button's release does after a press while the left button was held.
enum ChordAction : int32_t { kChordNone = -1, kChordStandbyOff = 0, kChordStandbyOn = 1 };

// Gesture state, program-wide. The main thread writes panState and extScrollState (tray
// command, start, exit) while the hook thread runs the engine, hence shared words.
extern SharedInt32 panState;        // a PanState
extern SharedInt32 extScrollState;  // an ExtScrollState
extern SharedInt32 menuLoopSeen;    // set by the hook window on a menu-loop notice
extern int32_t chordAction;         // a ChordAction
extern int32_t leftButtonDown;
extern int32_t currentKind;         // TargetKind of the last movement, or kKindNotYetSeen
extern POINT anchorPoint;
extern int32_t wantedCursor;        // a CursorSet
extern int32_t appliedCursor;

// Every gesture state back to its start: nothing pressed, no gesture, no repeat, nothing lent.
void resetEngine();
// Runs on the hook thread under engineLock, with (x, y) in physical screen coordinates.
// Answers an EventVerdict.
int32_t engineMouseEvent(HWND window, UINT message, int32_t hitCode, int32_t x, int32_t y);
// Ends whatever gesture runs and shows the user's cursors at once; standby stays as it was.
// Touch or a pen took over, or the desktop went away (locked, switched, asleep).
void abandonGesture();
// Every hook-timer tick, on the hook thread under engineLock: the repeats' steps.
void engineTick();
// The user's cursors back once our gesture ended or pan was switched off (after a tick, an
// event, or a change of the settings).
void showUsersCursorsWhenDue();
// Whether a movement can change more than what lies under the pointer: a gesture, a button held,
// a menu-loop notice to apply. Otherwise a movement tells only what lies under the pointer,
// which in standby the cursor shows.
bool engineWantsMovements();
// Whether a pan or extended scroll runs: one that the pointer takes elsewhere has to end.
bool gestureRunning();
// The main thread's standby command can end a gesture between events: with both states off,
// stops the repeats and shows the user's cursors in place of a gesture set.
void dropOrphanedGesture();
