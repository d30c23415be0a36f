// What kind of screen element lies under the pointer, and how it behaves.
#pragma once
#include <cstdint>
#include "os/winapi.h"
#include "settings/settings.h"

// TargetKind: what lies under the pointer, 0..81 a recognised element, 82 nothing
// recognised. The numbers are the classification's own (stored nowhere, but sent and tested).
// ActionClass groups the kinds; only the two scroll-bar-like classes carry behaviour.
enum ActionClass : int32_t {
  kActionNone = 0,              // kinds 82 and 83, and any number that is no kind
  kActionFrame = 1168,          // frame edges and corners, size box, header dividers
  kActionCaption = 1169,
  kScrollsHorizontally = 1170,  // like a horizontal scroll bar
  kScrollsVertically = 1171,    // like a vertical scroll bar
  kActionCaptionButton = 1172,
  kActionMenuOrNowhere = 1173,
  kActionButton = 1174,         // state icons, header items, buttons, the Start button
  kActionDesktopIcon = 1175,
  kActionListItem = 1176,
  kActionTreeItem = 1177,
  kActionTab = 1178,            // tabs, the taskbar's window buttons
  kActionContent = 1179,        // contents and everything else
};

// Every kind: X(name, number, action class, whether a pan may start over it). 21 and 29 are
// never produced (26 and 34 answer the same flags, and the last match wins), nor is 61. Out of
// reach: a window that takes the mouse as pointer input, whose presses never reach a mouse
// hook, or the taskbar's; Qor shows none of its cursors over it.
#define QOR_TARGET_KINDS(X) \
  X(kKindBorder,             0,  kActionFrame,         false)   \
  X(kKindBottomLeft,         1,  kActionFrame,         false)   \
  X(kKindBottomRight,        2,  kActionFrame,         false)   \
  X(kKindTopLeft,            3,  kActionFrame,         false)   \
  X(kKindTopRight,           4,  kActionFrame,         false)   \
  X(kKindSizeBox,            5,  kActionFrame,         false)   \
  X(kKindBottom,             6,  kActionFrame,         false)   \
  X(kKindTop,                7,  kActionFrame,         false)   \
  X(kKindLeft,               8,  kActionFrame,         false)   \
  X(kKindRight,              9,  kActionFrame,         false)   \
  X(kKindCaption,            10, kActionCaption,       true)    \
  X(kKindHScroll,            11, kScrollsHorizontally, false)   \
  X(kKindVScroll,            12, kScrollsVertically,   false)   \
  X(kKindMaxButton,          13, kActionCaptionButton, false)   \
  X(kKindMinButton,          14, kActionCaptionButton, false)   \
  X(kKindSysMenu,            15, kActionCaptionButton, false)   \
  X(kKindClose,              16, kActionCaptionButton, false)   \
  X(kKindHelp,               17, kActionCaptionButton, false)   \
  X(kKindMenu,               18, kActionMenuOrNowhere, false)   \
  X(kKindNowhere,            19, kActionMenuOrNowhere, false)   \
  X(kKindClient,             20, kActionContent,       true)    \
  X(kKindListViewAbove,      21, kScrollsHorizontally, false)   \
  X(kKindListViewBelow,      22, kScrollsHorizontally, false)   \
  X(kKindListViewNowhere,    23, kActionContent,       true)    \
  X(kKindListViewIcon,       24, kActionListItem,      false)   \
  X(kKindListViewLabel,      25, kActionListItem,      false)   \
  X(kKindListViewStateIcon,  26, kActionButton,        false)   \
  X(kKindListViewToLeft,     27, kScrollsVertically,   false)   \
  X(kKindListViewToRight,    28, kScrollsVertically,   false)   \
  X(kKindDesktopAbove,       29, kScrollsHorizontally, false)   \
  X(kKindDesktopBelow,       30, kScrollsHorizontally, false)   \
  X(kKindDesktopNowhere,     31, kActionContent,       false)   \
  X(kKindDesktopIcon,        32, kActionDesktopIcon,   false)   \
  X(kKindDesktopLabel,       33, kActionDesktopIcon,   false)   \
  X(kKindDesktopStateIcon,   34, kActionButton,        false)   \
  X(kKindDesktopToLeft,      35, kScrollsVertically,   false)   \
  X(kKindDesktopToRight,     36, kScrollsVertically,   false)   \
  X(kKindTreeViewAbove,      37, kScrollsHorizontally, false)   \
  X(kKindTreeViewBelow,      38, kScrollsHorizontally, false)   \
  X(kKindTreeViewNowhere,    39, kActionContent,       true)    \
  X(kKindTreeViewButton,     40, kActionTreeItem,      false)   \
  X(kKindTreeViewIcon,       41, kActionTreeItem,      false)   \
  X(kKindTreeViewIndent,     42, kActionContent,       true)    \
  X(kKindTreeViewLabel,      43, kActionTreeItem,      false)   \
  X(kKindTreeViewRight,      44, kActionContent,       true)    \
  X(kKindTreeViewStateIcon,  45, kActionButton,        false)   \
  X(kKindTreeViewToLeft,     46, kScrollsVertically,   false)   \
  X(kKindTreeViewToRight,    47, kScrollsVertically,   false)   \
  X(kKindHeaderNowhere,      48, kActionContent,       false)   \
  X(kKindHeaderDivider,      49, kActionFrame,         false)   \
  X(kKindHeaderDivOpen,      50, kActionFrame,         false)   \
  X(kKindHeaderItem,         51, kActionButton,        false)   \
  X(kKindHeaderToLeft,       52, kScrollsVertically,   false)   \
  X(kKindHeaderToRight,      53, kScrollsVertically,   false)   \
  X(kKindTabNowhere,         54, kActionContent,       false)   \
  X(kKindTabIcon,            55, kActionTab,           false)   \
  X(kKindTabLabel,           56, kActionTab,           false)   \
  X(kKindTabOther,           57, kActionTab,           false)   \
  X(kKindPushButton,         58, kActionButton,        false)   \
  X(kKindCheckBox,           59, kActionButton,        false)   \
  X(kKindRadioButton,        60, kActionButton,        false)   \
  X(kKindNoElement,          61, kActionButton,        false)   \
  X(kKindComboBox,           62, kActionContent,       false)   \
  X(kKindEdit,               63, kActionContent,       true)    \
  X(kKindListBox,            64, kActionContent,       true)    \
  X(kKindMdiClient,          65, kActionContent,       true)    \
  X(kKindAnimation,          66, kActionContent,       false)   \
  X(kKindToolbar,            67, kActionContent,       false)   \
  X(kKindStatusBar,          68, kActionContent,       false)   \
  X(kKindVTrackbar,          69, kScrollsVertically,   false)   \
  X(kKindHTrackbar,          70, kScrollsHorizontally, false)   \
  X(kKindProgressBar,        71, kActionContent,       false)   \
  X(kKindUpDown,             72, kScrollsVertically,   false)   \
  X(kKindHotKey,             73, kActionContent,       false)   \
  X(kKindTaskbarCaption,     74, kActionContent,       false)   \
  X(kKindStartButton,        75, kActionButton,        false)   \
  X(kKindTaskbarTab,         76, kActionTab,           false)   \
  X(kKindTrayNotify,         77, kActionContent,       false)   \
  X(kKindTrayClient,         78, kActionContent,       false)   \
  X(kKindComboList,          79, kActionContent,       true)    \
  X(kKindHScrollControl,     80, kScrollsHorizontally, false)   \
  X(kKindVScrollControl,     81, kScrollsVertically,   false)   \
  X(kKindNothing,            82, kActionNone,          false)   \
  X(kKindOutOfReach,         83, kActionNone,          false)

enum TargetKind : int32_t {
#define QOR_KIND_NAME(name, number, actionClass, pans) name = number,
  QOR_TARGET_KINDS(QOR_KIND_NAME)
#undef QOR_KIND_NAME
  // currentKind before the first movement: no kind, neither pannable nor scroll-bar-like.
  kKindNotYetSeen = 999,
};

// On the desktop's own list view a list-view kind lies this much higher.
enum { kDesktopListViewOffset = kKindDesktopAbove - kKindListViewAbove };

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
// The kind's ActionClass; kActionNone for any other value, which no rule tests for.
int32_t actionClassOf(int32_t kind);
