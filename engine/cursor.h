// Cursor feedback: the three replaced system cursors (arrow, I-beam, cross).
#pragma once
#include <cstdint>

// The user's own cursors, under HKEY_CURRENT_USER: a file path per value (REG_SZ, or
// REG_EXPAND_SZ with %SystemRoot% and the like), for the arrow, the I-beam and the cross in
// that order, under the names the system writes.
inline constexpr char kUserCursorsKey[] = "Control Panel\\Cursors";
inline constexpr const char* kUserCursorValues[3] = {"Arrow", "IBeam", "Crosshair"};
// Beside them, the pointer size the user chose (Windows 10 and later): a DWORD, 32 for the
// size unchanged, 48, 64 … up to 256.
inline constexpr char kPointerSizeValue[] = "CursorBaseSize";

// What the engine wants shown. The numbers are the engine's own, kept in wantedCursor: 0 while
// what shows is not known (the next set is shown whatever it is), 1 the user's own cursors,
// 3..15 a gesture set named by the picture it shows (set 7, the standby I-beam in all three
// places, is never asked for).
enum CursorSet : int32_t {
  kCursorUnknown = 0,
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
// Loads the gesture cursors and the user's cursors (their files, the standard ones where they
// have none) at the system's size now: at start, and when the user's scheme, the pointer size
// or the DPI changed. Presses and crossings are served from what is held.
void loadCursors();
// Shows the user's own cursors from those held, wherever ours may show.
void restoreUserCursors();
// The user's whole scheme as the system keeps it (every cursor, their pointer size): at start,
// where an earlier run may have left its cursors, and at the end. Where the system refuses,
// the held ones stand in.
void reloadUsersScheme();
// Gives back every cursor handle held.
void releaseCursors();
// Shows gesture set 3..15; any other number shows nothing.
void showCursorSet(int32_t set);
