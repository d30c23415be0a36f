// The settings dialog: the profile's title and the list of stored profiles, four tabbed
// pages that edit editSettings and the user's own options, the buttons and menus that store, add and delete profiles,
// and test mode, in which every edit acts on currentSettings at once.
#include "ui/settings_dialog.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <cstring>
#include "resources/resource.h"
#include "settings/profile_store.h"
#include "settings/settings.h"
#include "ui/settings_pages.h"
#include "settings/user_options.h"
#include "ui/about.h"
#include "ui/help.h"
#include "ui/popup_menu.h"
#include "ui/texts.h"

int32_t settingsDialogOpen = 0;
int32_t testMode = 0;
int32_t dialogSizeInUse = 0;

namespace {
// Sent by the dialog to itself, wParam and lParam 0; each continues with the next.
enum {
  UM_FILLPROFILELIST = WM_USER + 11,  // refill the profile list
  UM_SELECTPROFILE = WM_USER + 21,    // select the current profile, take it as the working copies
  UM_REFRESHVIEW = WM_USER + 31,      // title, and show or refresh the page
};

const DWORD kHelpIds[] = {IDC_TITLE_LABEL, 48, IDC_TITLE, 45, IDC_SETTINGS_OK, 25, IDCANCEL, 26,
                          IDC_DEFAULT, 27, IDC_TEST, 29, IDC_UPDATE, 28, 0, 0};

struct Tab {
  UINT text;
  UINT tip;
};
const Tab kTabs[kPageCount] = {
    {IDS_TAB_SYSTEM, IDS_TIP_SYSTEM},
    {IDS_TAB_PAN, IDS_TIP_PAN},
    {IDS_TAB_SCROLL, IDS_TIP_SCROLL},
    {IDS_TAB_LEFT_ALONE, IDS_TIP_LEFT_ALONE},
};

// Page templates by dialogSizeInUse and tab.
const WORD kPageTemplates[2][kPageCount] = {
    {IDD_SYSTEM_PAGE_SMALL, IDD_PAN_PAGE_SMALL, IDD_SCROLL_PAGE_SMALL, IDD_LEFT_ALONE_PAGE_SMALL},
    {IDD_SYSTEM_PAGE_LARGE, IDD_PAN_PAGE_LARGE, IDD_SCROLL_PAGE_LARGE, IDD_LEFT_ALONE_PAGE_LARGE},
};

int currentTab = 0;
int shownPage = -1;
HWND pageWindow = nullptr;

// WM_NOTIFY and WM_HELP carry pointers into the sender's memory: only those that this thread
// sent (its controls, the system's help keys) are followed.
bool fromThisThread() { return InSendMessageEx(nullptr) == ISMEX_NOSEND; }

HINSTANCE instanceOf(HWND window) {
  return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
}

void showPage(HWND dialog, int index) {
  if (index < 0 || index >= kPageCount) return;
  if (index == shownPage) {
    SendMessageW(pageWindow, WM_INITDIALOG, 0, 0);
    return;
  }
  if (shownPage != -1) DestroyWindow(pageWindow);
  RECT tabs;
  GetWindowRect(GetDlgItem(dialog, IDC_TABS), &tabs);
  POINT corner = {tabs.left, tabs.top};
  ScreenToClient(dialog, &corner);
  const int s = dialogSizeInUse;
  const DLGTEMPLATE* page = dialogTemplate(MAKEINTRESOURCEW(kPageTemplates[s][index]));
  pageWindow = page ? CreateDialogIndirectParamW(instanceOf(dialog), page, dialog,
                                                 settingsPageProc, index)
                    : nullptr;
  if (!pageWindow) {
    shownPage = -1;
    return;
  }
  RECT placed;
  GetWindowRect(pageWindow, &placed);
  // 6 pixels from the tab control's left edge and 4 above its bottom (small); 8 and 8 (large).
  const int x = corner.x + 6 + 2 * s;
  const int y = corner.y + (tabs.bottom - tabs.top) - (placed.bottom - placed.top) - 4 * (s + 1);
  SetWindowPos(pageWindow, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(pageWindow, SW_SHOW);
  shownPage = index;
}

BOOL onRefreshView(HWND dialog) {
  settingsDialogOpen = 1;
  wchar_t title[128];
  wnsprintfW(title, ARRAYSIZE(title), text(IDS_DIALOG_TITLE).s, static_cast<int>(currentProfile) + 1,
             static_cast<int>(profileCount));
  SetWindowTextW(dialog, title);
  showPage(dialog, currentTab);
  return TRUE;
}

BOOL onSelectProfile(HWND dialog) {
  SendDlgItemMessageW(dialog, IDC_TITLE, CB_SETCURSEL, static_cast<WPARAM>(currentProfile), 0);
  copySettings(savedSettings, currentSettings);
  copySettings(editSettings, currentSettings);
  return onRefreshView(dialog);
}

BOOL onFillProfileList(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_TITLE);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  listProfileNames(addProfileName, list);
  return onSelectProfile(dialog);
}

BOOL onInitDialog(HWND dialog) {
  HWND tabs = GetDlgItem(dialog, IDC_TABS);
  // The tabs' tooltip is topmost itself and the tab control destroys it: it needs no owner.
  // Owned, it keeps Wine from putting the dialog into the topmost band.
  SetWindowLongPtrW(reinterpret_cast<HWND>(SendMessageW(tabs, TCM_GETTOOLTIPS, 0, 0)),
                    GWLP_HWNDPARENT, 0);
  // The template's menu bar came by the thread's language: the user's takes its place.
  if (HMENU bar = loadMenuText(IDR_SETTINGS_MENUBAR)) {
    HMENU old = GetMenu(dialog);
    SetMenu(dialog, bar);
    if (old) DestroyMenu(old);
  }
  setTopmostBand(dialog, currentSettings.alwaysOnTop);
  // Above its siblings, so that its list drops down over the tab control.
  SetWindowPos(GetDlgItem(dialog, IDC_TITLE), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SendMessageW(tabs, TCM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < kPageCount; ++i) {
    Text tab = text(kTabs[i].text);
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = tab.s;
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  currentTab = 0;
  shownPage = -1;
  takeLiveOptionsAsEdits();
  useUserLanguage();
  return onFillProfileList(dialog);
}

BOOL onNotify(HWND dialog, WPARAM id, NMHDR* note) {
  switch (note->code) {
    case TCN_SELCHANGE: {
      const int index = static_cast<int>(SendDlgItemMessageW(dialog, IDC_TABS, TCM_GETCURSEL, 0, 0));
      showPage(dialog, index);
      currentTab = index;
      break;
    }
    case TTN_NEEDTEXTW:
      // The tab control's tooltips ask by tab index.
      if (id < kPageCount) {
        NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(note);
        lstrcpynW(info->szText, text(kTabs[id].tip).s, ARRAYSIZE(info->szText));
        info->lpszText = info->szText;
        info->hinst = nullptr;
      }
      break;
  }
  return TRUE;
}

// Grays what the current state does not allow; Delete also while no profile is stored.
void setMenuStates(HWND dialog, HMENU menu) {
  const bool updateOff = testMode || !IsWindowEnabled(GetDlgItem(dialog, IDC_UPDATE));
  EnableMenuItem(menu, IDM_UPDATE, MF_BYCOMMAND | (updateOff ? MF_GRAYED : MF_ENABLED));
  EnableMenuItem(menu, IDM_ADD, MF_BYCOMMAND | (testMode ? MF_GRAYED : MF_ENABLED));
  EnableMenuItem(menu, IDM_DELETE,
                 MF_BYCOMMAND | (testMode || profileCount < 1 ? MF_GRAYED : MF_ENABLED));
}

BOOL onRightButton(HWND dialog) {
  HMENU menu = loadMenuText(IDR_SETTINGS_POPUP);
  if (!menu) return TRUE;
  HMENU popup = GetSubMenu(menu, 0);
  setMenuStates(dialog, popup);
  const UINT chosen = showPopupMenu(dialog, popup);
  DestroyMenu(menu);
  if (chosen) SendMessageW(dialog, WM_COMMAND, chosen, 0);
  return TRUE;
}

void closeDialog(HWND dialog) {
  settingsDialogOpen = 0;
  ShowWindow(dialog, SW_HIDE);
  DestroyWindow(pageWindow);
  pageWindow = nullptr;
  shownPage = -1;
  EndDialog(dialog, 1);
}

// The title box's text as a stored name; false when the store cannot take it. A text that
// fills the box's buffer is longer than any stored name.
bool typedTitle(HWND dialog, char (&name)[kProfileNameBytes]) {
  wchar_t typed[kProfileNameBytes + 1];
  char text[3 * ARRAYSIZE(typed)];
  return GetDlgItemTextW(dialog, IDC_TITLE, typed, ARRAYSIZE(typed)) < kProfileNameBytes &&
         WideCharToMultiByte(CP_UTF8, 0, typed, -1, text, sizeof text, nullptr, nullptr) > 0 &&
         storableProfileName(text, name);
}

// Takes the typed title and the edits as the current profile's. A title the store cannot take
// is refused: nothing changes, and the title box has the focus.
bool commit(HWND dialog) {
  char name[kProfileNameBytes];
  if (!typedTitle(dialog, name)) {
    MessageBoxW(dialog, text(IDS_TITLE_REFUSED).s, L"Qor", MB_ICONWARNING | MB_OK);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_TITLE)), TRUE);
    return false;
  }
  std::memcpy(profileName, name, sizeof name);
  copySettings(savedSettings, editSettings);
  applySettings(editSettings);
  applyOptionEdits(true);
  return true;
}

BOOL onCancel(HWND dialog) {
  testMode = 0;
  applySettings(savedSettings);
  makeStoredOptionsLive();
  closeDialog(dialog);
  return TRUE;
}

BOOL onOk(HWND dialog) {
  if (!commit(dialog)) return TRUE;
  closeDialog(dialog);
  return TRUE;
}

BOOL onUpdate(HWND dialog) {
  if (!commit(dialog)) return TRUE;
  saveCurrentProfile();
  followProfiles();  // a program's profile may be this one, by its old title or its new one
  SendMessageW(dialog, UM_FILLPROFILELIST, 0, 0);
  return TRUE;
}

// At the menus' limit the edits stay in the dialog, unfiled, and the user is told why.
BOOL onAdd(HWND dialog) {
  if (profileListFull()) {
    wchar_t full[512];
    wnsprintfW(full, ARRAYSIZE(full), text(IDS_PROFILES_FULL).s, kMaxListedProfiles);
    MessageBoxW(dialog, full, text(IDS_CONFIRM_CAPTION).s, MB_ICONWARNING | MB_OK);
    return TRUE;
  }
  if (!commit(dialog)) return TRUE;
  profileCount = profileCount + 1;
  currentProfile = profileCount - 1;
  saveCurrentProfile();
  followProfiles();
  addProfileName(GetDlgItem(dialog, IDC_TITLE), currentProfile, profileName);
  SendMessageW(dialog, UM_SELECTPROFILE, 0, 0);
  return TRUE;
}

// The question is owned by the dialog: it stays in front of it, topmost or not, and the
// dialog waits for the answer.
BOOL onDelete(HWND dialog) {
  if (profileCount < 1) return TRUE;  // nothing stored: nothing to confirm or delete
  if (MessageBoxW(dialog, text(IDS_CONFIRM_DELETE).s, text(IDS_CONFIRM_CAPTION).s,
                  MB_ICONWARNING | MB_YESNO) != IDYES)
    return TRUE;
  SendDlgItemMessageW(dialog, IDC_TITLE, CB_DELETESTRING, static_cast<WPARAM>(currentProfile), 0);
  deleteCurrentProfile();
  loadProfiles();
  SendMessageW(dialog, UM_SELECTPROFILE, 0, 0);
  return TRUE;
}

BOOL onDefault(HWND dialog) {
  copySettings(editSettings, defaultSettings);
  SendMessageW(dialog, UM_REFRESHVIEW, 0, 0);
  return TRUE;
}

BOOL onTest(HWND dialog) {
  if (testMode) {
    testMode = 0;
    SetDlgItemTextW(dialog, IDC_TEST, text(IDS_TEST).s);
    applySettings(savedSettings);
    makeStoredOptionsLive();
    setTopmostBand(dialog, currentSettings.alwaysOnTop);  // as it was before the test
  } else {
    SetDlgItemTextW(dialog, IDC_TEST, text(IDS_STOP).s);
    copySettings(savedSettings, currentSettings);
    testMode = 1;
  }
  ShowWindow(GetDlgItem(dialog, IDC_UPDATE), testMode ? SW_HIDE : SW_SHOW);
  return TRUE;
}

BOOL onProfileChosen(HWND dialog) {
  const LRESULT i = SendDlgItemMessageW(dialog, IDC_TITLE, CB_GETCURSEL, 0, 0);
  if (i == CB_ERR || i == currentProfile) return TRUE;
  currentProfile = static_cast<int32_t>(i);
  reloadCurrentProfile();
  SendMessageW(dialog, UM_SELECTPROFILE, 0, 0);
  return TRUE;
}

BOOL onHelp(HWND dialog, UINT command) {
  showHelp(dialog, command);
  return TRUE;
}

BOOL onAbout(HWND dialog) {
  runAboutBox(dialog);
  return TRUE;
}

BOOL onCommand(HWND dialog, WORD id, WORD code) {
  switch (id) {
    case IDCANCEL: return onCancel(dialog);
    case IDC_SETTINGS_OK: return onOk(dialog);
    case IDC_UPDATE: return onUpdate(dialog);
    case IDM_UPDATE: return onUpdate(dialog);
    case IDM_ADD: return onAdd(dialog);
    case IDM_DELETE: return onDelete(dialog);
    case IDC_DEFAULT: return onDefault(dialog);
    case IDC_TEST: return onTest(dialog);
    case IDC_TITLE: return code == CBN_SELCHANGE && onProfileChosen(dialog);
    case IDM_ABOUT: return onAbout(dialog);
    case IDM_HELP_CONTENTS: return onHelp(dialog, HELP_FINDER);
    case IDM_HELP_SEARCH: return onHelp(dialog, HELP_PARTIALKEY);
    default: return FALSE;
  }
}

// A title the store cannot take differs from every stored one.
bool editsDiffer(HWND dialog) {
  if (optionEditsDiffer()) return true;
  for (const SettingsRow& row : kSettingsRows)
    if (editSettings.*row.field != savedSettings.*row.field) return true;
  char title[kProfileNameBytes];
  return !typedTitle(dialog, title) || std::strcmp(title, profileName) != 0;
}

// After every message, handled or not.
void afterMessage(HWND dialog, BOOL handled) {
  if (handled) applyTestModeEdits(dialog, true);
  if (testMode) return;
  EnableWindow(GetDlgItem(dialog, IDC_UPDATE), editsDiffer(dialog));
}

BOOL handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return onInitDialog(dialog);
    case UM_FILLPROFILELIST: return onFillProfileList(dialog);
    case UM_SELECTPROFILE: return onSelectProfile(dialog);
    case UM_REFRESHVIEW: return onRefreshView(dialog);
    case WM_NOTIFY:
      return fromThisThread() && onNotify(dialog, wParam, reinterpret_cast<NMHDR*>(lParam));
    case WM_HELP: return showContextHelp(lParam, kHelpIds);
    case WM_RBUTTONDOWN: return onRightButton(dialog);
    case WM_NCRBUTTONDOWN: return onRightButton(dialog);
    case WM_INITMENUPOPUP: setMenuStates(dialog, reinterpret_cast<HMENU>(wParam)); return TRUE;
    case WM_COMMAND: return onCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    default: return FALSE;
  }
}
}  // namespace

void addProfileName(void* comboBox, int32_t, const char* name) {
  wchar_t text[kProfileNameBytes];
  MultiByteToWideChar(kProfileCodePage, 0, name, -1, text, kProfileNameBytes);
  SendMessageW(static_cast<HWND>(comboBox), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void registerDialogControls() {
  const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
}

BOOL showContextHelp(LPARAM helpInfo, const DWORD* table) {
  if (!fromThisThread()) return TRUE;
  const HELPINFO* info = reinterpret_cast<const HELPINFO*>(helpInfo);
  if (info->iContextType == HELPINFO_WINDOW)
    showHelp(static_cast<HWND>(info->hItemHandle), HELP_WM_HELP, table, info->iCtrlId);
  return TRUE;
}

void setTopmostBand(HWND window, int32_t onTop) {
  SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void applyTestModeEdits(HWND dialog, bool followsAlwaysOnTop) {
  if (!testMode) return;
  applySettings(editSettings);
  applyOptionEdits(false);
  if (followsAlwaysOnTop) setTopmostBand(dialog, currentSettings.alwaysOnTop);
}

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const BOOL handled = handleMessage(dialog, message, wParam, lParam);
  afterMessage(dialog, handled);
  return handled;
}
