#include "engine/classify.h"

#include <cstring>
#include <iterator>
#include "engine/hit_test.h"
#include "engine/shell_windows.h"
#include "protocol/protocol.h"
#include "settings/user_options.h"
#include "os/os.h"

namespace {
enum Rule : uint8_t {
  kFixed,        // the row's kind
  kScrollBar,    // 81 with SBS_VERT, else 80
  kButton,       // 75 on the taskbar, else the button rule
  kTrackbar,     // 69 with TBS_VERT, else 70
  kTrayWindow,   // by hit code: caption 74, client 78
  kScrollBar123, // 81 with both style bits 0x3
  kScrollBarJS,  // 81 when taller than wide
};

struct ClassRow {
  const char* name;
  Rule rule;
  int8_t kind;
};

// The classes besides the point-dependent controls.
const ClassRow kClassTable[] = {
    {"ScrollBar", kScrollBar, 0},
    {"Button", kButton, 0},
    {"ComboBox", kFixed, kKindComboBox},
    {"Edit", kFixed, kKindEdit},
    {"ListBox", kFixed, kKindListBox},
    {"MdiClient", kFixed, kKindMdiClient},
    {"Static", kFixed, kKindNothing},
    {"SysAnimate32", kFixed, kKindAnimation},
    {"ToolbarWindow32", kFixed, kKindToolbar},
    {"msctls_statusbar32", kFixed, kKindStatusBar},
    {"msctls_trackbar32", kTrackbar, 0},
    {"msctls_progress32", kFixed, kKindProgressBar},
    {"msctls_updown32", kFixed, kKindUpDown},
    {"msctls_hotkey32", kFixed, kKindHotKey},
    {"Shell_TrayWnd", kTrayWindow, 0},
    {"TrayNotifyWnd", kFixed, kKindTrayNotify},
    {"TrayClockWClass", kFixed, kKindTrayClient},
    {"SysAnimate", kFixed, kKindAnimation},
    {"ToolbarWindow", kFixed, kKindToolbar},
    {"msctls_statusbar", kFixed, kKindStatusBar},
    {"msctls_trackbar", kTrackbar, 0},
    {"msctls_progress", kFixed, kKindProgressBar},
    {"msctls_updown", kFixed, kKindUpDown},
    {"msctls_hotkey", kFixed, kKindHotKey},
    {"ComboLBox", kFixed, kKindComboList},
    {"AfxControlBar", kFixed, kKindToolbar},
    {"123WScrollBar", kScrollBar123, 0},
    {"JSScrollBar", kScrollBarJS, 0},
};

// Windows that take the mouse as pointer input (WM_POINTER): the system makes no mouse
// messages of a press they handle, so no mouse hook sees it, and a pan could neither start
// nor end there.
// - The app model's core window: Store apps run with mouse-in-pointer enabled
//   (EnableMouseInPointer's remarks).
// - XAML islands' input sites and content bridges (Windows Terminal, Settings, the Windows 11
//   taskbar): XAML takes the mouse as pointer input; Terminal's own window never sees the
//   wheel's messages that XAML handles (microsoft/terminal pull request 5131).
// - The Windows App SDK's content bridge (WinUI 3), the same XAML input.
const char* const kPointerInputClasses[] = {
    "Windows.UI.Core.CoreWindow",
    "Windows.UI.Input.InputSite.WindowClass",
    "Windows.UI.Composition.DesktopWindowContentBridge",
    "Microsoft.UI.Content.DesktopChildSiteBridge",
};
// Top-level windows of the taskbar and its tray: a right-click there is the shell's own.
const char* const kTaskbarClasses[] = {
    "Shell_TrayWnd",
    "Shell_SecondaryTrayWnd",
    "NotifyIconOverflowWindow",
    "TopLevelWindowForOverflowXamlIsland",
};

template <size_t N>
bool named(const char* className, const char* const (&names)[N]) {
  for (const char* name : names)
    if (std::strcmp(className, name) == 0) return true;
  return false;
}

// Entry i is the hit-test code that gives kind i.
const int8_t kHitCodes[] = {
    HTBORDER, HTBOTTOMLEFT, HTBOTTOMRIGHT, HTTOPLEFT, HTTOPRIGHT, HTSIZE,    HTBOTTOM,
    HTTOP,    HTLEFT,       HTRIGHT,       HTCAPTION, HTHSCROLL,  HTVSCROLL, HTMAXBUTTON,
    HTMINBUTTON, HTSYSMENU, HTCLOSE,       HTHELP,    HTMENU,     HTNOWHERE, HTCLIENT,
};
static_assert(sizeof kHitCodes == kKindClient + 1, "the kinds of the hit codes come first");

struct FlagEntry {
  uint32_t flags;
  int8_t kind;
};
// The kind each hit-test answer gives, in match order: the last match wins, so LVHT_ABOVE,
// which has the value of LVHT_ONITEMSTATEICON, never does.
const FlagEntry kHeaderFlags[] = {
    {HHT_NOWHERE,   kKindHeaderNowhere},
    {HHT_ONDIVIDER, kKindHeaderDivider},
    {HHT_ONDIVOPEN, kKindHeaderDivOpen},
    {HHT_ONHEADER,  kKindHeaderItem},
    {HHT_TOLEFT,    kKindHeaderToLeft},
    {HHT_TORIGHT,   kKindHeaderToRight},
};
const FlagEntry kListViewFlags[] = {
    {LVHT_ABOVE,           kKindListViewAbove},
    {LVHT_BELOW,           kKindListViewBelow},
    {LVHT_NOWHERE,         kKindListViewNowhere},
    {LVHT_ONITEMICON,      kKindListViewIcon},
    {LVHT_ONITEMLABEL,     kKindListViewLabel},
    {LVHT_ONITEMSTATEICON, kKindListViewStateIcon},
    {LVHT_TOLEFT,          kKindListViewToLeft},
    {LVHT_TORIGHT,         kKindListViewToRight},
};
const FlagEntry kTreeViewFlags[] = {
    {TVHT_ABOVE,           kKindTreeViewAbove},
    {TVHT_BELOW,           kKindTreeViewBelow},
    {TVHT_NOWHERE,         kKindTreeViewNowhere},
    {TVHT_ONITEMBUTTON,    kKindTreeViewButton},
    {TVHT_ONITEMICON,      kKindTreeViewIcon},
    {TVHT_ONITEMINDENT,    kKindTreeViewIndent},
    {TVHT_ONITEMLABEL,     kKindTreeViewLabel},
    {TVHT_ONITEMRIGHT,     kKindTreeViewRight},
    {TVHT_ONITEMSTATEICON, kKindTreeViewStateIcon},
    {TVHT_TOLEFT,          kKindTreeViewToLeft},
    {TVHT_TORIGHT,         kKindTreeViewToRight},
};
const FlagEntry kTabFlags[] = {
    {TCHT_NOWHERE,     kKindTabNowhere},
    {TCHT_ONITEMICON,  kKindTabIcon},
    {TCHT_ONITEMLABEL, kKindTabLabel},
};

// Where a point-dependent control's ancestry changes its kind.
enum Ancestry : uint8_t {
  kAnywhere,
  kDesktopIcons,  // a matched list-view kind lies kDesktopListViewOffset higher on the desktop
  kTaskbarTabs,   // inside the taskbar, the taskbar's window buttons without a hit test
};
struct FlagTable {
  const FlagEntry* entries;
  int count;
  int8_t fallback;
  Ancestry ancestry;
};
template <size_t N>
constexpr FlagTable flagTable(const FlagEntry (&entries)[N], int8_t fallback, Ancestry ancestry) {
  return {entries, int(N), fallback, ancestry};
}
// The flags of each point-dependent control's hit test, in the order of kPointDependentControls.
const FlagTable kFlagTables[] = {
    flagTable(kHeaderFlags, kKindHeaderNowhere, kAnywhere),
    flagTable(kListViewFlags, kKindListViewNowhere, kDesktopIcons),
    flagTable(kTreeViewFlags, kKindTreeViewNowhere, kAnywhere),
    flagTable(kTabFlags, kKindTabOther, kTaskbarTabs),
};
static_assert(std::size(kFlagTables) == std::size(kPointDependentControls),
              "a flag table for each point-dependent control");

struct KindRow {
  int32_t number;
  ActionClass actionClass;
  bool pans;
};
constexpr KindRow kKinds[] = {
#define QOR_KIND_ROW(name, number, actionClass, pans) {number, actionClass, pans},
    QOR_TARGET_KINDS(QOR_KIND_ROW)
#undef QOR_KIND_ROW
};
constexpr bool kindsNumberedInOrder() {
  for (size_t i = 0; i < std::size(kKinds); ++i)
    if (kKinds[i].number != int32_t(i)) return false;
  return std::size(kKinds) == kKindOutOfReach + 1;
}
static_assert(kindsNumberedInOrder(), "the kind table lists kinds 0..83 in order");

HWND grandparentOf(HWND window) { return osGetParent(osGetParent(window)); }

// The last matching entry wins; no match gives the control's default kind. The point goes to
// the control in its client coordinates.
int32_t pointDependentKind(HWND window, size_t control, POINT screen) {
  const FlagTable& table = kFlagTables[control];
  if (table.ancestry == kTaskbarTabs && taskbarWindow && grandparentOf(window) == taskbarWindow)
    return kKindTaskbarTab;
  const uint32_t flags = controlHitTest(window, kPointDependentControls[control].hitTestMessage,
                                        osScreenToClient(window, screen));
  for (int i = table.count - 1; i >= 0; --i) {
    if (table.entries[i].flags != flags) continue;
    const bool desktop = table.ancestry == kDesktopIcons && desktopHost &&
                         grandparentOf(window) == desktopHost;
    return table.entries[i].kind + (desktop ? kDesktopListViewOffset : 0);
  }
  return table.fallback;
}

int32_t buttonKind(LONG style) {
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
    case BS_USERBUTTON: return kKindPushButton;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_PUSHBOX: return kKindCheckBox;
    default: return kKindRadioButton;  // radio buttons, three-state boxes, group boxes, the rest
  }
}

int32_t applyRule(const ClassRow& row, HWND window, int32_t hitCode) {
  switch (row.rule) {
    case kFixed: return row.kind;
    case kScrollBar:
      return (osGetWindowStyle(window) & SBS_VERT) ? kKindVScrollControl : kKindHScrollControl;
    case kButton:
      if (taskbarWindow && osGetParent(window) == taskbarWindow) return kKindStartButton;
      return buttonKind(osGetWindowStyle(window));
    case kTrackbar: return (osGetWindowStyle(window) & TBS_VERT) ? kKindVTrackbar : kKindHTrackbar;
    case kTrayWindow:
      return hitCode == HTCAPTION   ? kKindTaskbarCaption
             : hitCode == HTCLIENT ? kKindTrayClient
                                   : kKindNothing;
    case kScrollBar123:
      return (osGetWindowStyle(window) & 0x3) == 0x3 ? kKindVScrollControl : kKindHScrollControl;
    case kScrollBarJS: {
      RECT r = osGetWindowRect(window);
      return (r.bottom - r.top) > (r.right - r.left) ? kKindVScrollControl : kKindHScrollControl;
    }
  }
  return kKindNothing;
}
}  // namespace

int32_t classifyTarget(HWND window, int32_t hitCode, int32_t x, int32_t y) {
  char className[256];
  int32_t kind = kKindNothing;
  if (osGetClassName(window, className, sizeof className) > 0) {
    if (named(className, kPointerInputClasses)) return kKindOutOfReach;
    for (size_t i = 0; i < std::size(kPointDependentControls); ++i)
      if (std::strcmp(className, kPointDependentControls[i].className) == 0)
        return pointDependentKind(window, i, POINT{x, y});
    for (const ClassRow& row : kClassTable) {
      if (std::strcmp(className, row.name) == 0) {
        kind = applyRule(row, window, hitCode);
        break;
      }
    }
  }
  if (kind == kKindNothing) {
    for (int i = 0; i < int(sizeof kHitCodes); ++i)
      if (kHitCodes[i] == hitCode) return i;
  }
  return kind;
}

namespace {
// What the user chose for a process's program, as last looked up: one lookup of its image per
// process, not per event (a process id reused since is found out when its entry is replaced).
struct ProgramRule {
  DWORD processId;
  bool leftAlone;
  const ProfileSettings* settings;
};
ProgramRule knownProcesses[16];
int nextProcessEntry = 0;
uint32_t knownRulesChanges = 0;

bool programsListed() { return *leftAlonePrograms() || *programProfiles(); }

ProgramRule ruleOfProcess(DWORD processId) {
  if (!processId || !programsListed()) return {processId, false, &currentSettings};
  if (knownRulesChanges != programRulesChanges()) {
    for (ProgramRule& known : knownProcesses) known = {};
    knownRulesChanges = programRulesChanges();
  }
  for (const ProgramRule& known : knownProcesses)
    if (known.processId == processId) return known;
  // Searched only once read: a failed read may leave anything behind.
  char image[1024] = "";
  ProgramRule rule = {processId, false, &currentSettings};
  if (osProcessImageName(processId, image, sizeof image)) {
    const char* slash = std::strrchr(image, '\\');
    const char* file = slash ? slash + 1 : image;
    rule = {processId, isLeftAloneProgram(file), &programSettings(file)};
  }
  knownProcesses[nextProcessEntry] = rule;
  nextProcessEntry = (nextProcessEntry + 1) % int(std::size(knownProcesses));
  return rule;
}

// The rule of window's process and of its root owner's (a control or dialog that another
// process shows for a program): left alone where either is, else its own program's profile,
// else its root owner's.
ProgramRule ruleOfWindow(HWND window) {
  const DWORD own = osWindowProcessId(window);
  const ProgramRule rule = ruleOfProcess(own);
  if (rule.leftAlone || !programsListed()) return rule;
  const DWORD host = osWindowProcessId(osGetRootOwner(window));
  if (!host || host == own) return rule;
  const ProgramRule hosts = ruleOfProcess(host);
  return hosts.leftAlone || rule.settings == &currentSettings ? hosts : rule;
}
}  // namespace

bool pointerTakenElsewhere() {
  if (osCursorHidden()) return true;
  const RECT clip = osGetClipCursor();
  const LONG left = osGetSystemMetric(SM_XVIRTUALSCREEN), top = osGetSystemMetric(SM_YVIRTUALSCREEN);
  return clip.left > left || clip.top > top ||
         clip.right < left + osGetSystemMetric(SM_CXVIRTUALSCREEN) ||
         clip.bottom < top + osGetSystemMetric(SM_CYVIRTUALSCREEN);
}

bool mouseOwnedElsewhere() {
  if (pointerTakenElsewhere()) return true;
  switch (osUserNotificationState()) {
    case QUNS_BUSY:
    case QUNS_RUNNING_D3D_FULL_SCREEN:
    case QUNS_PRESENTATION_MODE: return true;
  }
  return false;
}

int32_t kindInReach(HWND window, int32_t kind) {
  // Qor's own dialogs and menus keep their right-click, as programs left alone do, and so do
  // windows that a program left alone hosts (a browser control parented across processes).
  if (osWindowProcessId(window) == osCurrentProcessId() || ruleOfWindow(window).leftAlone)
    return kKindOutOfReach;
  const int32_t action = actionClassOf(kind);
  const bool startsGestures =
      isPannableKind(kind) || action == kScrollsHorizontally || action == kScrollsVertically;
  if (startsGestures && pointerTakenElsewhere()) return kKindOutOfReach;
  if (!isPannableKind(kind)) return kind;
  char rootClass[256];
  const HWND root = osGetRootWindow(window);
  return root && osGetClassName(root, rootClass, sizeof rootClass) > 0 &&
                 named(rootClass, kTaskbarClasses)
             ? int32_t(kKindOutOfReach)
             : kind;
}

const ProfileSettings& settingsOver(HWND window) { return *ruleOfWindow(window).settings; }

bool isPannableKind(int32_t kind) {
  return kind >= 0 && kind < int32_t(std::size(kKinds)) && kKinds[kind].pans;
}

int32_t actionClassOf(int32_t kind) {
  return kind >= 0 && kind < int32_t(std::size(kKinds)) ? kKinds[kind].actionClass : kActionNone;
}
