// What kind of screen element lies under the pointer, and how it behaves.
#pragma once
#include <cstdint>
#include "os/winapi.h"
#include "settings/settings.h"

// TargetKind: 0..81 a recognised element, 82 nothing recognised. The kinds the code tests
// by name; the numbers are the classification's own (stored nowhere, but sent and tested).
enum TargetKind : int32_t {
  kKindCaption = 10,
  kKindNowhere = 19,
  kKindClient = 20,
  kKindListViewNowhere = 23,
  kKindTreeViewNowhere = 39,
  kKindTreeViewIndent = 42,
  kKindTreeViewRight = 44,
  kKindHeaderNowhere = 48,
  kKindTabOther = 57,
  kKindPushButton = 58,
  kKindCheckBox = 59,
  kKindRadioButton = 60,
  kKindComboBox = 62,
  kKindEdit = 63,
  kKindListBox = 64,
  kKindMdiClient = 65,
  kKindAnimation = 66,
  kKindToolbar = 67,
  kKindStatusBar = 68,
  kKindVTrackbar = 69,
  kKindHTrackbar = 70,
  kKindProgressBar = 71,
  kKindUpDown = 72,
  kKindHotKey = 73,
  kKindTaskbarCaption = 74,
  kKindStartButton = 75,
  kKindTaskbarTab = 76,
  kKindTrayNotify = 77,
  kKindTrayClient = 78,
  kKindComboList = 79,
  kKindHScrollControl = 80,
  kKindVScrollControl = 81,
  kKindNothing = 82,
  kKindCount = 82,  // kinds that have an ActionClass
  // Beyond Qor's reach: a window that takes the mouse as pointer input, whose presses never
  // reach a mouse hook, or the taskbar's; neither pannable nor scroll-bar-like, and Qor shows
  // none of its cursors over it.
  kKindOutOfReach = 83,
};
// On the desktop's own list view a list-view kind lies this much higher.
enum { kDesktopListViewOffset = 8 };
// The two ActionClass values that carry behaviour.
enum { kScrollsHorizontally = 1170, kScrollsVertically = 1171 };

// (x, y) in screen coordinates; hitCode a Win32 hit-test code, or 0 when the caller has none.
int32_t classifyTarget(HWND window, int32_t hitCode, int32_t x, int32_t y);
// The kind of window's element as a gesture may use it: out of reach in Qor's own windows and
// those of a program left alone (or hosted by one), a pannable kind of a window in the
// taskbar's tree (its buttons, tray and their hosts), and any element a gesture could start
// from while another program has hidden or confined the pointer.
int32_t kindInReach(HWND window, int32_t kind);
// Whether another program has hidden the pointer or confined it.
bool pointerTakenElsewhere();
// Whether another program owns the mouse now: it took the pointer, or it runs full screen (a
// game, a presentation). Asks the shell: for a gesture about to start, not every movement.
bool mouseOwnedElsewhere();
// The settings a gesture over window runs with: its program's own profile (the window's
// process's, or else its root owner's), or the current profile's.
const ProfileSettings& settingsOver(HWND window);
bool isPannableKind(int32_t kind);
// 1168..1179 for kinds 0..81; 0 for any other value, which no rule tests for.
int32_t actionClassOf(int32_t kind);
