// The gesture state machine: decides for every mouse event of the system whether it passes.
#pragma once
#include <cstdint>
#include "os/shared_word.h"
#include "os/winapi.h"

// Gesture state, program-wide. The main thread writes panState and extScrollState (tray
// command, start, exit) while the hook thread runs the engine, hence shared words.
extern SharedInt32 panState;        // 0 off, 1 standby, 2 pressed, 3 panning
extern SharedInt32 extScrollState;  // 0 off, 1 active, 2 arming
extern SharedInt32 menuLoopSeen;    // set by the hook window on a menu-loop notice
extern int32_t chordAction;         // -1 none, 0 standby off, 1 standby on
extern int32_t leftButtonDown;
extern int32_t currentKind;         // TargetKind of the last movement; 999 before the first
extern POINT anchorPoint;
extern int32_t wantedCursor;
extern int32_t appliedCursor;

// Runs on the hook thread under engineLock. Answers 1 to pass the event, 0 to swallow it.
int32_t engineMouseEvent(HWND window, UINT message, int32_t hitCode, int32_t x, int32_t y);
// The main thread's standby command can end a gesture between events: with both states 0,
// stops the repeats and shows the user's cursors in place of a gesture set.
void dropOrphanedGesture();
