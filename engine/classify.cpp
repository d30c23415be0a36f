#include "engine/classify.h"

#include <cstring>
#include <iterator>
#include "engine/hit_test.h"
#include "engine/shell_windows.h"
#include "settings/user_options.h"
#include "os/os.h"

namespace {
enum Rule : uint8_t {
  kFixed,        // the row's kind
  kHeader,       // header hit test
  kListView,     // list-view hit test, +8 on the desktop
  kTreeView,     // tree-view hit test
  kTab,          // 76 inside the taskbar, else tab hit test
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

const ClassRow kClassTable[] = {
    {"SysHeader32", kHeader, 0},
    {"SysListView32", kListView, 0},
    {"SysTreeView32", kTreeView, 0},
    {"SysTabControl32", kTab, 0},
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

struct FlagEntry {
  uint32_t flags;
  int8_t kind;
};
struct FlagTable {
  UINT message;
  const FlagEntry* entries;
  int count;
  int8_t fallback;
};
const FlagEntry kHeaderFlags[] = {{0x1, 48}, {0x4, 49}, {0x8, 50}, {0x2, 51}, {0x800, 52}, {0x400, 53}};
const FlagEntry kListViewFlags[] = {{0x8, 21}, {0x10, 22}, {0x1, 23}, {0x2, 24},
                                    {0x4, 25}, {0x8, 26},  {0x40, 27}, {0x20, 28}};
const FlagEntry kTreeViewFlags[] = {{0x100, 37}, {0x200, 38}, {0x1, 39},   {0x10, 40},
                                    {0x2, 41},   {0x8, 42},   {0x4, 43},   {0x20, 44},
                                    {0x40, 45},  {0x800, 46}, {0x400, 47}};
const FlagEntry kTabFlags[] = {{0x1, 54}, {0x2, 55}, {0x4, 56}};
const FlagTable kHeaderTable = {HDM_HITTEST, kHeaderFlags, int(std::size(kHeaderFlags)),
                                kKindHeaderNowhere};
const FlagTable kListViewTable = {LVM_HITTEST, kListViewFlags, int(std::size(kListViewFlags)),
                                  kKindListViewNowhere};
const FlagTable kTreeViewTable = {TVM_HITTEST, kTreeViewFlags, int(std::size(kTreeViewFlags)),
                                  kKindTreeViewNowhere};
const FlagTable kTabTable = {TCM_HITTEST, kTabFlags, int(std::size(kTabFlags)), kKindTabOther};

const int16_t kActionClass[kKindCount] = {
    1168, 1168, 1168, 1168, 1168, 1168, 1168, 1168, 1168, 1168,  // 0..9 frame
    1169, 1170, 1171, 1172, 1172, 1172, 1172, 1172, 1173, 1173,  // 10..19
    1179, 1170, 1170, 1179, 1176, 1176, 1174, 1171, 1171, 1170,  // 20..29
    1170, 1179, 1175, 1175, 1174, 1171, 1171, 1170, 1170, 1179,  // 30..39
    1177, 1177, 1179, 1177, 1179, 1174, 1171, 1171, 1179, 1168,  // 40..49
    1168, 1174, 1171, 1171, 1179, 1178, 1178, 1178, 1174, 1174,  // 50..59
    1174, 1174, 1179, 1179, 1179, 1179, 1179, 1179, 1179, 1171,  // 60..69
    1170, 1179, 1171, 1179, 1179, 1174, 1178, 1179, 1179, 1179,  // 70..79
    1170, 1171,                                                  // 80..81
};

// The last matching entry wins; no match gives the control's default kind. The point goes to
// the control in its client coordinates.
int32_t controlHitTest(HWND window, const FlagTable& table, POINT screen, bool* matched) {
  uint32_t flags = controlHitTest(window, table.message, osScreenToClient(window, screen));
  int32_t kind = table.fallback;
  *matched = false;
  for (int i = 0; i < table.count; ++i) {
    if (table.entries[i].flags == flags) {
      kind = table.entries[i].kind;
      *matched = true;
    }
  }
  return kind;
}

HWND grandparentOf(HWND window) { return osGetParent(osGetParent(window)); }

int32_t buttonKind(LONG style) {
  LONG type = style & 0xF;
  if ((type & 0x4) || ((type & 0x1) && (type & 0x8))) return kKindRadioButton;
  if (type & 0x2) return kKindCheckBox;
  return kKindPushButton;
}

int32_t applyRule(const ClassRow& row, HWND window, int32_t hitCode, POINT screen) {
  bool matched = false;
  switch (row.rule) {
    case kFixed: return row.kind;
    case kHeader: return controlHitTest(window, kHeaderTable, screen, &matched);
    case kListView: {
      int32_t kind = controlHitTest(window, kListViewTable, screen, &matched);
      if (matched && desktopHost && grandparentOf(window) == desktopHost)
        kind += kDesktopListViewOffset;
      return kind;
    }
    case kTreeView: return controlHitTest(window, kTreeViewTable, screen, &matched);
    case kTab:
      if (taskbarWindow && grandparentOf(window) == taskbarWindow) return kKindTaskbarTab;
      return controlHitTest(window, kTabTable, screen, &matched);
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
    for (const ClassRow& row : kClassTable) {
      if (std::strcmp(className, row.name) == 0) {
        kind = applyRule(row, window, hitCode, POINT{x, y});
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
  switch (kind) {
    case kKindCaption:
    case kKindClient:
    case kKindListViewNowhere:
    case kKindTreeViewNowhere:
    case kKindTreeViewIndent:
    case kKindTreeViewRight:
    case kKindEdit:
    case kKindListBox:
    case kKindMdiClient:
    case kKindComboList:
      return true;
    default:
      return false;
  }
}

int32_t actionClassOf(int32_t kind) {
  return kind >= 0 && kind < kKindCount ? kActionClass[kind] : 0;
}
