// Cursor feedback: the three replaced system cursors (arrow, I-beam, cross).
#pragma once
#include <cstdint>
#include "resources/resource.h"

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
// 3..15 a gesture set named by the picture it shows.
enum CursorSet : int32_t {
  kCursorUnknown = 0,
  kCursorUser = 1,
  kCursorVertical = 3,
  kCursorHorizontal = 4,
  kCursorStandby = 5,  // standby arrow, I-beam and cross
  kCursorFourWay = 6,
  kCursorStandbyIBeam = 7,  // never asked for
  kCursorUp = 8,
  kCursorDown = 9,
  kCursorRight = 10,
  kCursorLeft = 11,
  kCursorUpLeft = 12,
  kCursorDownLeft = 13,
  kCursorUpRight = 14,
  kCursorDownRight = 15,
};
// The pictures (cursor resources) each gesture set shows as arrow, I-beam and cross.
struct CursorSetPictures {
  int32_t set;
  int pictures[3];
};
inline constexpr CursorSetPictures kCursorSetPictures[] = {
    {kCursorVertical, {IDCUR_VERTICAL, IDCUR_VERTICAL, IDCUR_VERTICAL}},
    {kCursorHorizontal, {IDCUR_HORIZONTAL, IDCUR_HORIZONTAL, IDCUR_HORIZONTAL}},
    {kCursorStandby, {IDCUR_STANDBY_ARROW, IDCUR_STANDBY_IBEAM, IDCUR_STANDBY_CROSS}},
    {kCursorFourWay, {IDCUR_FOUR_WAY, IDCUR_FOUR_WAY, IDCUR_FOUR_WAY}},
    {kCursorStandbyIBeam, {IDCUR_STANDBY_IBEAM, IDCUR_STANDBY_IBEAM, IDCUR_STANDBY_IBEAM}},
    {kCursorUp, {IDCUR_UP, IDCUR_UP, IDCUR_UP}},
    {kCursorDown, {IDCUR_DOWN, IDCUR_DOWN, IDCUR_DOWN}},
    {kCursorRight, {IDCUR_RIGHT, IDCUR_RIGHT, IDCUR_RIGHT}},
    {kCursorLeft, {IDCUR_LEFT, IDCUR_LEFT, IDCUR_LEFT}},
    {kCursorUpLeft, {IDCUR_UP_LEFT, IDCUR_UP_LEFT, IDCUR_UP_LEFT}},
    {kCursorDownLeft, {IDCUR_DOWN_LEFT, IDCUR_DOWN_LEFT, IDCUR_DOWN_LEFT}},
    {kCursorUpRight, {IDCUR_UP_RIGHT, IDCUR_UP_RIGHT, IDCUR_UP_RIGHT}},
    {kCursorDownRight, {IDCUR_DOWN_RIGHT, IDCUR_DOWN_RIGHT, IDCUR_DOWN_RIGHT}},
};
// The pictures of gesture set kCursorVertical..kCursorDownRight.
constexpr const int* cursorSetPictures(int32_t set) {
  return kCursorSetPictures[set - kCursorVertical].pictures;
}

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
