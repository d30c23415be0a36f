#include "engine/cursor.h"

#include <iterator>

#include "os/os.h"
#include "resources/resource.h"

namespace {
enum { kGestureCursorCount = 14, kSystemCursorCount = 3 };

// Resource id of each gestureCursors entry.
constexpr int kGestureCursorIds[kGestureCursorCount] = {
    IDCUR_STANDBY_ARROW, IDCUR_VERTICAL, IDCUR_HORIZONTAL, IDCUR_STANDBY_CROSS,
    IDCUR_FOUR_WAY,      IDCUR_STANDBY_IBEAM, IDCUR_UP,    IDCUR_DOWN,
    IDCUR_RIGHT,         IDCUR_LEFT,     IDCUR_UP_LEFT,    IDCUR_DOWN_LEFT,
    IDCUR_UP_RIGHT,      IDCUR_DOWN_RIGHT,
};

// The replaced system cursors, in the order of the user's values kUserCursorValues.
const DWORD kSystemCursors[kSystemCursorCount] = {OCR_NORMAL, OCR_IBEAM, OCR_CROSS};

// Every set listed in order, and every picture it shows among those held.
constexpr bool setsShowHeldCursors() {
  for (size_t s = 0; s < std::size(kCursorSetPictures); ++s) {
    if (kCursorSetPictures[s].set != kCursorVertical + int32_t(s)) return false;
    for (int id : kCursorSetPictures[s].pictures) {
      bool held = false;
      for (int heldId : kGestureCursorIds) held = held || heldId == id;
      if (!held) return false;
    }
  }
  return kCursorSetPictures[std::size(kCursorSetPictures) - 1].set == kCursorDownRight;
}
static_assert(setsShowHeldCursors(), "sets 3..15 in order, each showing cursors held");

HCURSOR gestureCursors[kGestureCursorCount];
// The user's arrow, I-beam and cross: their file where they chose one, else the standard one.
HCURSOR userCursors[kSystemCursorCount];
// A cursor of ours may be showing in that place. True at start: a previous run that ended
// without restoring may have left its cursors behind.
bool replaced[kSystemCursorCount] = {true, true, true};

// The held gesture cursor of picture id.
HCURSOR heldCursor(int id) {
  for (int i = 0; i < kGestureCursorCount; ++i)
    if (kGestureCursorIds[i] == id) return gestureCursors[i];
  return nullptr;
}

void replaceHandle(HCURSOR* slot, HCURSOR fresh) {
  osDestroyCursor(*slot);
  *slot = fresh;
}

// The system takes over (and destroys) the handle it is given, so it always gets a copy.
void show(HCURSOR cursor, int place) {
  HCURSOR copy = osCopyCursor(cursor);
  if (copy && !osSetSystemCursor(copy, kSystemCursors[place])) osDestroyCursor(copy);
}

// The user's file for place i, at size; null where they chose none or it does not load.
HCURSOR usersFile(HKEY key, int i, int size) {
  char path[kPathBytes + 1], expanded[kPathBytes + 1];
  DWORD bytes = kPathBytes, type = 0;
  if (!osRegQueryValue(key, kUserCursorValues[i], path, &bytes, &type)) return nullptr;
  path[bytes] = 0;  // the stored string need not end in a zero
  const bool expand = type == REG_EXPAND_SZ;
  if (expand && !osExpandEnvironmentStrings(path, expanded, sizeof expanded)) return nullptr;
  return *path ? osLoadCursorFile(expand ? expanded : path, size) : nullptr;
}
}  // namespace

// The nominal size for the DPI times the pointer size the user chose, where Windows keeps one
// (32 is the size unchanged, at most 256).
int systemCursorSize() {
  const int nominal = osGetSystemMetric(SM_CXCURSOR);
  HKEY key = osRegOpenKey(kUserCursorsKey);
  DWORD base = 0, size = sizeof base, type = 0;
  const bool chosen = osRegQueryValue(key, kPointerSizeValue, &base, &size, &type) &&
                      type == REG_DWORD && size == sizeof base && base >= 32 && base <= 256;
  osRegCloseKey(key);
  return chosen ? int(int64_t(nominal) * base / 32) : nominal;
}

void loadCursors() {
  const int size = systemCursorSize();
  for (int i = 0; i < kGestureCursorCount; ++i)
    replaceHandle(&gestureCursors[i], osLoadCursorResource(kGestureCursorIds[i], size));
  HKEY key = osRegOpenKey(kUserCursorsKey);
  for (int i = 0; i < kSystemCursorCount; ++i) {
    HCURSOR file = usersFile(key, i, size);
    replaceHandle(&userCursors[i], file ? file : osLoadStandardCursor(kSystemCursors[i], size));
  }
  osRegCloseKey(key);
}

void restoreUserCursors() {
  for (int i = 0; i < kSystemCursorCount; ++i) {
    if (replaced[i]) show(userCursors[i], i);
    replaced[i] = false;
  }
}

void reloadUsersScheme() {
  if (!osRestoreSystemCursors()) return restoreUserCursors();
  for (bool& place : replaced) place = false;
}

void releaseCursors() {
  for (HCURSOR& cursor : userCursors) replaceHandle(&cursor, nullptr);
  for (HCURSOR& cursor : gestureCursors) replaceHandle(&cursor, nullptr);
}

void showCursorSet(int32_t set) {
  if (set < kCursorVertical || set > kCursorDownRight) return;
  for (int i = 0; i < kSystemCursorCount; ++i) {
    show(heldCursor(cursorSetPictures(set)[i]), i);
    replaced[i] = true;
  }
}
