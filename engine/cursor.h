// Cursor feedback: the three replaced system cursors (arrow, I-beam, cross).
#pragma once
#include <cstdint>

// What the engine wants shown. The numbers are the engine's own, kept in wantedCursor: 0 asks
// for a load, 1 the user's own cursors, 3..15 a gesture set named by the picture it shows
// (set 7, the standby I-beam in all three places, is never asked for).
enum CursorSet : int32_t {
  kCursorReload = 0,
  kCursorUser = 1,
  kCursorVertical = 3,
  kCursorHorizontal = 4,
  kCursorStandby = 5,  // standby arrow, I-beam and cross
  kCursorFourWay = 6,
  kCursorUp = 8,
  kCursorDown = 9,
  kCursorRight = 10,
  kCursorLeft = 11,
  kCursorUpLeft = 12,
  kCursorDownLeft = 13,
  kCursorUpRight = 14,
  kCursorDownRight = 15,
};

// The size the system draws cursors at now, in pixels.
int systemCursorSize();
// Loads the gesture cursors (once, at the system's size) and the user's cursor files (anew
// each time).
void loadCursors();
// Shows the user's own cursors, or the standard ones where they have none.
void restoreUserCursors();
// Gives back every cursor handle held.
void releaseCursors();
// Shows gesture set 3..15; any other number shows nothing.
void showCursorSet(int32_t set);
