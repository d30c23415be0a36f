// The gesture state machine: decides for every mouse event of the system whether it passes.
#pragma once
#include <cstdint>
#include "engine/classify.h"
#include "engine/cursor.h"
#include "os/shared_word.h"
#include "os/winapi.h"
#include "settings/settings.h"

// The states' numbers are the engine's own: the peer, the tray and the tests read them.
enum PanState : int32_t { kPanOff = 0, kPanStandby = 1, kPanPressed = 2, kPanPanning = 3 };
enum ExtScrollState : int32_t { kExtScrollOff = 0, kExtScrollActive = 1, kExtScrollArming = 2 };
// The engine's verdict on an event.
enum EventVerdict : int32_t { kSwallowEvent = 0, kPassEvent = 1 };
// What the right button's release does after a press while the left button was held.
enum ChordAction : int32_t { kChordNone = -1, kChordStandbyOff = 0, kChordStandbyOn = 1 };

// The gesture's state, program-wide. The hook thread runs the engine; the main thread
// changes it only through changeEngineOutsideHookThread (under engineLock) or before the hook
// thread starts, but reads panState (the tray menu's check) at any time: that word is shared.
struct GestureState {
  SharedInt32 panState = kPanOff;          // a PanState
  int32_t extScrollState = kExtScrollOff;  // an ExtScrollState
  int32_t menuLoopSeen = 0;                // set by the hook window on a menu-loop notice
  int32_t chordAction = kChordNone;        // a ChordAction
  int32_t leftButtonDown = 0;
  int32_t currentKind = kKindNotYetSeen;  // TargetKind of the last movement
  POINT anchorPoint = {0, 0};
  UINT anchorDpi = 96;  // of the monitor under anchorPoint
  int32_t wantedCursor = kCursorUnknown;  // a CursorSet
  int32_t appliedCursor = kCursorUnknown;
  // Without click-pan: whether the pointer left the dead zone since the pan button went down
  // (a drag), and a click of the pan button to give back to the window once the event is decided.
  bool leftDeadZone = false;
  bool clickToGiveBack = false;
  // The settings the engine acts on: those of the program under the pointer, chosen at each
  // movement while no gesture runs and held from a gesture's start to its end.
  const ProfileSettings* settingsInUse = &currentSettings;
};
extern GestureState gesture;

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
