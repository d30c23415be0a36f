// The settings dialog's pages: system, pan, scroll and the programs left alone. Each shows
// part of editSettings (or of the user's own options) in its controls and writes every change
// straight back; in test mode the change is copied into currentSettings at once.
#include "ui/settings_pages.h"

#include <commctrl.h>
#include <iterator>
#include "resources/resource.h"
#include "ui/settings_dialog.h"
#include "settings/settings.h"
#include "settings/user_options.h"
#include "ui/texts.h"

namespace {
// A check box writes 1 when checked and 0 otherwise.
struct CheckBox {
  int id;
  SettingsField field;
};

// A drop-down list whose entry k stands for the value k + 1: the strings from firstText on,
// or with firstText 0 the numbers themselves, right-aligned in three characters.
struct ValueList {
  int id;
  UINT firstText;
  int count;
  SettingsField field;
};

// A drop-down list of one of the user's own options: entry k, the string firstText + k, stands
// for the value k.
struct OptionList {
  int id;
  UINT firstText;
  int count;
  int32_t* edit;
};

// A page: its check boxes and lists, its help, and the system page's own parts, null or
// false on the others: the start delay box and its spin bar, the size trackbar, and the
// topmost band that follows alwaysOnTop in test mode.
struct Page {
  const CheckBox* checkBoxes;
  int checkBoxCount;
  const ValueList* lists;
  int listCount;
  const OptionList* options;
  int optionCount;
  const DWORD* helpIds;  // control id and help context id pairs, ended by two zeros
  void (*fillMore)(HWND page);
  BOOL (*commandMore)(HWND page, int id, WORD code);  // FALSE: not one of its controls
  BOOL (*onScroll)(HWND page, WPARAM wParam, HWND control);
  bool followsAlwaysOnTop;
};

enum { kCounts = 7, kResponses = 5 };

const CheckBox kSystemCheckBoxes[] = {
    {IDC_MOVE_TO_START, &ProfileSettings::dblClickMovesToStart},
    {IDC_DELAYED_START, &ProfileSettings::delayedStart},
    {IDC_SAVE_ON_EXIT, &ProfileSettings::saveOnExit},
    {IDC_OPEN_START_MENU, &ProfileSettings::dblClickOpensStartMenu},
    {IDC_ALWAYS_ON_TOP, &ProfileSettings::alwaysOnTop},
    {IDC_STANDBY_AT_START, &ProfileSettings::startInStandby},
};

const CheckBox kPanCheckBoxes[] = {{IDC_PAN_ENABLED, &ProfileSettings::panEnabled}};
const ValueList kPanLists[] = {
    {IDC_VCOUNT, 0, kCounts, &ProfileSettings::panVCount},
    {IDC_HCOUNT, 0, kCounts, &ProfileSettings::panHCount},
    {IDC_VRESPONSE, IDS_RESPONSE_1, kResponses, &ProfileSettings::panVResponse},
    {IDC_HRESPONSE, IDS_RESPONSE_1, kResponses, &ProfileSettings::panHResponse},
};
const OptionList kPanOptions[] = {{IDC_PAN_BUTTON, IDS_PAN_BUTTON_RIGHT, 2, &editPanButton}};

const CheckBox kScrollCheckBoxes[] = {
    {IDC_EXT_SCROLL_ENABLED, &ProfileSettings::extScrollEnabled},
    {IDC_SWAP_BUTTONS, &ProfileSettings::extScrollSwapButtons},
};
const ValueList kScrollLists[] = {
    {IDC_VCOUNT, 0, kCounts, &ProfileSettings::extScrollVCount},
    {IDC_HCOUNT, 0, kCounts, &ProfileSettings::extScrollHCount},
};
const OptionList kSystemOptions[] = {{IDC_LANGUAGE, IDS_LANGUAGE_AUTO, 3, &editLanguage}};

const DWORD kSystemHelpIds[] = {
    IDC_SIZE_FRAME, 64, IDC_SIZE_SMALL_LABEL, 90, IDC_SIZE_AUTO_LABEL, 92, IDC_SIZE_LARGE_LABEL, 91,
    IDC_DIALOG_SIZE, 93, IDC_START_DELAY, 66, IDC_START_DELAY_SPIN, 67, IDC_MOVE_TO_START, 32,
    IDC_OPEN_START_MENU, 75, IDC_DELAYED_START, 7, IDC_SAVE_ON_EXIT, 68, IDC_ALWAYS_ON_TOP, 62,
    IDC_STANDBY_AT_START, 79, IDC_LANGUAGE_LABEL, 120, IDC_LANGUAGE, 120, 0, 0};
const DWORD kPanHelpIds[] = {IDC_VCOUNT, 4, IDC_HCOUNT, 4, IDC_VRESPONSE, 9, IDC_HRESPONSE, 9,
                             IDC_VCOUNT_LABEL, 2, IDC_HCOUNT_LABEL, 3, IDC_VRESPONSE_LABEL, 6,
                             IDC_HRESPONSE_LABEL, 6, IDC_PAN_BUTTON_LABEL, 94, IDC_PAN_BUTTON, 94,
                             IDC_CLICK_PAN, 99, 0, 0};
const DWORD kLeftAloneHelpIds[] = {IDC_LEFT_ALONE_LABEL, 95, IDC_LEFT_ALONE_LIST, 95,
                                   IDC_LEFT_ALONE_NAME_LABEL, 96, IDC_LEFT_ALONE_NAME, 96,
                                   IDC_LEFT_ALONE_ADD, 97, IDC_LEFT_ALONE_REMOVE, 98,
                                   IDC_LEFT_ALONE_PICK, 100, IDC_PROGRAM_PROFILE_LABEL, 101,
                                   IDC_PROGRAM_PROFILE, 101, 0, 0};
const DWORD kScrollHelpIds[] = {IDC_VCOUNT, 4, IDC_HCOUNT, 4, IDC_EXT_SCROLL_ENABLED, 63,
                                IDC_SWAP_BUTTONS, 5, IDC_VCOUNT_LABEL, 2, IDC_HCOUNT_LABEL, 3, 0, 0};

const int32_t kMaxStartDelay = settingsRowOf(&ProfileSettings::startDelaySeconds).highest;
const int32_t kLargestDialogSize = settingsRowOf(&ProfileSettings::dialogSize).highest;
enum { kDelayPage = 12 };

// Entry k of a list, in the user's language; the numbers without a firstText.
Text entryText(UINT firstText, int k) {
  if (firstText) return text(firstText + k);
  Text number;
  wsprintfW(number.s, L"%3d", k + 1);
  return number;
}

// A value outside the list selects nothing and stays as it is.
void fillList(HWND page, int id, UINT firstText, int count, int entry) {
  SendDlgItemMessageW(page, id, CB_RESETCONTENT, 0, 0);
  for (int k = 0; k < count; ++k)
    SendDlgItemMessageW(page, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entryText(firstText, k).s));
  SendDlgItemMessageW(page, id, CB_SETCURSEL, entry >= 0 && entry < count ? entry : -1, 0);
}

void fillPage(HWND page, const Page& controls) {
  for (int i = 0; i < controls.checkBoxCount; ++i) {
    const CheckBox& box = controls.checkBoxes[i];
    CheckDlgButton(page, box.id, editSettings.*box.field != 0 ? BST_CHECKED : BST_UNCHECKED);
  }
  for (int i = 0; i < controls.listCount; ++i) {
    const ValueList& list = controls.lists[i];
    fillList(page, list.id, list.firstText, list.count, editSettings.*list.field - 1);
  }
  for (int i = 0; i < controls.optionCount; ++i) {
    const OptionList& list = controls.options[i];
    fillList(page, list.id, list.firstText, list.count, *list.edit);
  }
}

// A check box stores its state at each click; a list its selection, on CBN_SELCHANGE only.
// Answers whether the control belongs to the page.
BOOL storeControl(HWND page, const Page& controls, int id, WORD code) {
  for (int i = 0; i < controls.checkBoxCount; ++i) {
    if (controls.checkBoxes[i].id != id) continue;
    editSettings.*controls.checkBoxes[i].field = IsDlgButtonChecked(page, id) == BST_CHECKED ? 1 : 0;
    return TRUE;
  }
  for (int i = 0; i < controls.listCount; ++i) {
    const ValueList& list = controls.lists[i];
    if (list.id != id) continue;
    if (code != CBN_SELCHANGE) return TRUE;
    const LRESULT entry = SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0);
    if (entry >= 0 && entry < list.count) editSettings.*list.field = static_cast<int32_t>(entry) + 1;
    return TRUE;
  }
  for (int i = 0; i < controls.optionCount; ++i) {
    const OptionList& list = controls.options[i];
    if (list.id != id) continue;
    const LRESULT entry = SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0);
    if (code == CBN_SELCHANGE && entry >= 0 && entry < list.count)
      *list.edit = static_cast<int32_t>(entry);
    return TRUE;
  }
  return FALSE;
}

// The pan page's own option beside its lists: whether the pan button's click pans.
void fillClickPan(HWND page) {
  CheckDlgButton(page, IDC_CLICK_PAN, editClickPan ? BST_CHECKED : BST_UNCHECKED);
}

BOOL onClickPanCommand(HWND page, int id, WORD) {
  if (id != IDC_CLICK_PAN) return FALSE;
  editClickPan = IsDlgButtonChecked(page, id) == BST_CHECKED ? 1 : 0;
  return TRUE;
}

// The delay box's signed value; text that is not a number reads as 0.
int readStartDelay(HWND page) {
  return static_cast<int>(GetDlgItemInt(page, IDC_START_DELAY, nullptr, TRUE));
}

void fillSizeAndDelay(HWND page) {
  SetDlgItemInt(page, IDC_START_DELAY, static_cast<UINT>(editSettings.startDelaySeconds.load()),
                TRUE);
  SendDlgItemMessageW(page, IDC_DIALOG_SIZE, TBM_SETRANGE, TRUE, MAKELPARAM(0, kLargestDialogSize));
  SendDlgItemMessageW(page, IDC_DIALOG_SIZE, TBM_SETPOS, TRUE, editSettings.dialogSize);
}

// Out-of-range text never reaches the setting: it is erased, and the empty box stores 0.
BOOL onStartDelayChanged(HWND page, WORD code) {
  if (code != EN_CHANGE) return TRUE;
  const int value = readStartDelay(page);
  if (value >= 0 && value <= kMaxStartDelay)
    editSettings.startDelaySeconds = value;
  else
    SetDlgItemTextW(page, IDC_START_DELAY, L"");
  return TRUE;
}

BOOL onStartDelayCommand(HWND page, int id, WORD code) {
  return id == IDC_START_DELAY && onStartDelayChanged(page, code);
}

// The trackbar's value follows from the request alone; its own position is never read.
int32_t dialogSizeAfter(int32_t size, WORD request, WORD position) {
  switch (request) {
    case TB_LINEUP: return size > 0 ? size - 1 : 0;
    case TB_PAGEUP: return size > 0 ? size - 1 : 0;
    case TB_LINEDOWN: return size < kLargestDialogSize ? size + 1 : kLargestDialogSize;
    case TB_PAGEDOWN: return size < kLargestDialogSize ? size + 1 : kLargestDialogSize;
    case TB_THUMBPOSITION: return position;
    case TB_THUMBTRACK: return position;
    case TB_TOP: return 0;
    case TB_BOTTOM: return kLargestDialogSize;
    default: return size;
  }
}

// The spin bar steps the delay box, wrapping round at 0 and 60; the box then stores it.
long long startDelayAfter(long long delay, WORD request) {
  switch (request) {
    case SB_LINEUP: return delay + 1;
    case SB_LINEDOWN: return delay - 1;
    case SB_PAGEUP: return delay + kDelayPage;
    case SB_PAGEDOWN: return delay - kDelayPage;
    case SB_TOP: return kMaxStartDelay;
    case SB_BOTTOM: return 0;
    default: return delay;
  }
}

BOOL onSystemScroll(HWND page, WPARAM wParam, HWND control) {
  const WORD request = LOWORD(wParam);
  if (control == GetDlgItem(page, IDC_DIALOG_SIZE)) {
    editSettings.dialogSize = dialogSizeAfter(editSettings.dialogSize, request, HIWORD(wParam));
    return TRUE;
  }
  const long long delay = readStartDelay(page);
  long long next = startDelayAfter(delay, request);
  if (next == delay) return TRUE;
  if (next < 0) next = kMaxStartDelay;
  if (next > kMaxStartDelay) next = 0;
  SetDlgItemInt(page, IDC_START_DELAY, static_cast<UINT>(next), TRUE);
  return TRUE;
}

// Common exit of every page. The dialog re-checks its Update button at the next message it
// gets; the page sends it one, so that the button follows keyboard edits at once.
INT_PTR afterPageMessage(HWND page, BOOL handled, bool followsAlwaysOnTop) {
  if (!handled) return FALSE;
  applyTestModeEdits(GetParent(page), followsAlwaysOnTop);
  SendMessageW(GetParent(page), WM_NULL, 0, 0);
  return TRUE;
}

// By tab index.
const Page kPages[kPageCount] = {
    {kSystemCheckBoxes, int(std::size(kSystemCheckBoxes)), nullptr, 0, kSystemOptions,
     int(std::size(kSystemOptions)), kSystemHelpIds, fillSizeAndDelay, onStartDelayCommand,
     onSystemScroll, true},
    {kPanCheckBoxes, int(std::size(kPanCheckBoxes)), kPanLists, int(std::size(kPanLists)), kPanOptions,
     int(std::size(kPanOptions)), kPanHelpIds, fillClickPan, onClickPanCommand, nullptr, false},
    {kScrollCheckBoxes, int(std::size(kScrollCheckBoxes)), kScrollLists, int(std::size(kScrollLists)),
     nullptr, 0, kScrollHelpIds, nullptr, nullptr, nullptr, false},
    {nullptr, 0, nullptr, 0, nullptr, 0, kLeftAloneHelpIds, fillLeftAlonePage, onLeftAloneCommand,
     nullptr, false},
};

// The page a window shows, kept in the window from its creation on: the dialog's later
// WM_INITDIALOG, which refreshes the page, carries no tab index.
const Page* pageOf(HWND page, UINT message, LPARAM lParam) {
  if (message == WM_INITDIALOG && !GetWindowLongPtrW(page, DWLP_USER) && lParam >= 0 &&
      lParam < kPageCount)
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(&kPages[lParam]));
  return reinterpret_cast<const Page*>(GetWindowLongPtrW(page, DWLP_USER));
}

BOOL onInit(HWND page, const Page& kind) {
  fillPage(page, kind);
  if (kind.fillMore) kind.fillMore(page);
  return TRUE;
}

BOOL onCommand(HWND page, const Page& kind, int id, WORD code) {
  if (kind.commandMore && kind.commandMore(page, id, code)) return TRUE;
  return storeControl(page, kind, id, code);
}
}  // namespace

INT_PTR CALLBACK settingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  const Page* kind = pageOf(page, message, lParam);
  if (!kind) return FALSE;
  BOOL handled = FALSE;
  switch (message) {
    case WM_INITDIALOG: handled = onInit(page, *kind); break;
    case WM_COMMAND: handled = onCommand(page, *kind, LOWORD(wParam), HIWORD(wParam)); break;
    case WM_VSCROLL:
      handled = kind->onScroll && kind->onScroll(page, wParam, reinterpret_cast<HWND>(lParam));
      break;
    case WM_HELP: handled = showContextHelp(lParam, kind->helpIds); break;
  }
  return afterPageMessage(page, handled, kind->followsAlwaysOnTop);
}
