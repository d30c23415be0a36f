// The settings dialog and its pages, opened modelessly from the program's own resources and
// worked through their controls as a person would: clicks, list choices, typing, tab changes,
// menu commands. Checked in the four settings records, the real registry and the controls.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "ui/about.h"
#include "app/tray.h"
#include "resources/resource.h"
#include "ui/settings_dialog.h"
#include "settings/profile_store.h"
#include "settings/settings.h"
#include "settings/user_options.h"
#include "tests/common/help_request.h"
#include "tests/common/store_contents.h"
#include "tests/common/wide_text.h"
#include "ui/texts.h"

// Stand-ins for the main window's part: the dialog's owner, the popup menu and the About box.
HWND mainWindow = nullptr;
namespace {
struct PopupSeen {
  HWND owner;
  UINT update, add, remove;
};
PopupSeen popupSeen;
HWND aboutOwner;
}  // namespace
UINT showPopupMenu(HWND owner, HMENU popup) {
  popupSeen = {owner, GetMenuState(popup, IDM_UPDATE, MF_BYCOMMAND),
               GetMenuState(popup, IDM_ADD, MF_BYCOMMAND), GetMenuState(popup, IDM_DELETE, MF_BYCOMMAND)};
  return 0;
}
void runAboutBox(HWND owner) { aboutOwner = owner; }

namespace {
std::string storedText(const StoreContents& store, const char* name) {
  auto value = store.find(name);
  if (value == store.end()) return "<missing>";
  return reinterpret_cast<const char*>(value->second.second.data());
}

std::vector<int32_t> fields(const ProfileSettings& s) {
  std::vector<int32_t> v;
  for (const SettingsRow& row : kSettingsRows) v.push_back(s.*row.field);
  return v;
}

std::vector<int32_t> storedFields(const StoreContents& store, int index) {
  auto value = store.find("A" + std::to_string(index));
  if (value == store.end() || value->second.second.size() != kSettingsBytes) return {};
  unsigned char bytes[kSettingsBytes];
  std::memcpy(bytes, value->second.second.data(), kSettingsBytes);
  ProfileSettings s;
  settingsFromBytes(s, bytes);
  return fields(s);
}

// Profile i: the defaults with reserved6 = 100 + i and panVCount = 1 + i, named "設定i".
ProfileSettings sampleProfile(int i) {
  ProfileSettings s;
  copySettings(s, defaultSettings);
  s.reserved6 = 100 + i;
  s.panVCount = 1 + i;
  return s;
}
std::string sampleName(int i) { return "設定" + std::to_string(i); }

void storeProfiles(int count, int current) {
  for (int i = 0; i <= count; ++i) {  // the current one last, so that "Data" names it
    profileCount = count;
    currentProfile = i == count ? current : i;
    copySettings(currentSettings, sampleProfile(currentProfile));
    std::memset(profileName, 0, sizeof profileName);
    std::strcpy(profileName, sampleName(currentProfile).c_str());
    saveCurrentProfile();
  }
  loadProfiles();
}

// Answers the next message box of this thread by its button, and notes what it showed.
struct BoxSeen {
  int count;
  std::string caption, text;
  HWND owner;
  bool ownerDisabled, yesNo;
};
BoxSeen boxSeen;
int boxAnswer;
HHOOK boxHook;

BOOL CALLBACK noteStaticText(HWND child, LPARAM) {
  char name[16];
  wchar_t text[256];
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, "Static") == 0 && GetWindowTextW(child, text, 256) > 0)
    boxSeen.text = in932(text);
  return TRUE;
}

LRESULT CALLBACK answerBox(int code, WPARAM wParam, LPARAM lParam) {
  HWND box = reinterpret_cast<HWND>(wParam);
  wchar_t caption[64] = {};  // the question before a delete, or a title refused
  if (code == HCBT_ACTIVATE && GetWindowTextW(box, caption, 64) &&
      (in932(caption) == "確認" || in932(caption) == "Confirm" || in932(caption) == "Qor")) {
    ++boxSeen.count;
    boxSeen.caption = in932(caption);
    EnumChildWindows(box, noteStaticText, 0);
    boxSeen.owner = GetWindow(box, GW_OWNER);
    boxSeen.ownerDisabled = !IsWindowEnabled(boxSeen.owner);
    boxSeen.yesNo = GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) && !GetDlgItem(box, IDOK);
    PostMessageA(box, WM_COMMAND, boxAnswer, 0);
  }
  return CallNextHookEx(boxHook, code, wParam, lParam);
}

bool topmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

std::string textOf(HWND window) {
  wchar_t text[300] = {};
  GetWindowTextW(window, text, 300);
  return in932(text);
}

class SettingsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kProfileStoreKey);
    speak(kLanguageJapanese);
    mainWindow = CreateWindowExA(0, "STATIC", "Qor", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    testMode = 0;
    settingsDialogOpen = 0;
    popupSeen = {};
    aboutOwner = nullptr;
    boxSeen = {};
    boxHook = SetWindowsHookExA(WH_CBT, answerBox, nullptr, GetCurrentThreadId());
  }
  void TearDown() override {
    UnhookWindowsHookEx(boxHook);
    if (dialog) DestroyWindow(dialog);
    DestroyWindow(mainWindow);
    RegDeleteKeyA(HKEY_CURRENT_USER, kProfileStoreKey);
  }

  void open(int size = 0) {
    dialogSizeInUse = size;
    registerDialogControls();
    dialog = CreateDialogIndirectParamW(
        GetModuleHandleW(nullptr),
        dialogTemplate(MAKEINTRESOURCEW(size ? IDD_SETTINGS_LARGE : IDD_SETTINGS_SMALL)), mainWindow,
        settingsDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    pump();
  }
  void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (IsDialogMessageA(dialog, &m)) continue;
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }

  // The dialog over a store that holds only a profile count, of size bytes.
  void openWithStoredCount(DWORD type, const char* count, DWORD size) {
    HKEY key;
    RegCreateKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key);
    RegSetValueExA(key, "DataEnd", 0, type, reinterpret_cast<const BYTE*>(count), size);
    RegCloseKey(key);
    loadProfiles();
    open();
  }
  // The user's choice of language, as stored.
  void speak(int32_t language) {
    HKEY key;
    RegCreateKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key);
    RegSetValueExA(key, "Language", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&language), 4);
    RegCloseKey(key);
    loadUserOptions();
  }
  HWND control(int id) { return GetDlgItem(dialog, id); }
  HWND page() { return FindWindowExA(dialog, nullptr, "#32770", nullptr); }
  HWND pageControl(int id) { return GetDlgItem(page(), id); }
  int pageCount() {
    int n = 0;
    for (HWND p = page(); p; p = FindWindowExA(dialog, p, "#32770", nullptr)) ++n;
    return n;
  }

  void click(HWND button) {
    ASSERT_NE(button, nullptr);
    SendMessageA(button, BM_CLICK, 0, 0);
    pump();
  }
  void menuCommand(int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    pump();
  }
  void deleteAnswering(int answer) {
    boxAnswer = answer;
    menuCommand(IDM_DELETE);
  }
  void chooseTab(int index) {
    HWND tabs = control(IDC_TABS);
    SendMessageA(tabs, TCM_SETCURSEL, index, 0);
    NMHDR note = {tabs, IDC_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(dialog, WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&note));
    pump();
  }
  void chooseEntry(HWND parent, int id, int entry) {
    HWND list = GetDlgItem(parent, id);
    SendMessageA(list, CB_SETCURSEL, entry, 0);
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    pump();
  }
  void type(HWND edit, const char* text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    pump();
  }
  void typeTitle(const char* text) { type(FindWindowExA(control(IDC_TITLE), nullptr, "Edit", nullptr), text); }
  void scroll(HWND bar, WORD request, WORD position = 0) {
    SendMessageA(page(), WM_VSCROLL, MAKEWPARAM(request, position), reinterpret_cast<LPARAM>(bar));
    pump();
  }
  // States of Update, Add and Delete in the menu bar's popup as it opens.
  std::vector<bool> menuBarGrayed() {
    HMENU popup = GetSubMenu(GetMenu(dialog), 0);
    SendMessageA(dialog, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    std::vector<bool> grayed;
    for (int id : {IDM_UPDATE, IDM_ADD, IDM_DELETE})
      grayed.push_back((GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED) != 0);
    return grayed;
  }
  std::vector<bool> popupGrayed() {
    popupSeen = {};
    SendMessageA(dialog, WM_RBUTTONDOWN, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(popupSeen.owner, dialog);
    return {(popupSeen.update & MF_GRAYED) != 0, (popupSeen.add & MF_GRAYED) != 0,
            (popupSeen.remove & MF_GRAYED) != 0};
  }
  bool updateEnabled() { return IsWindowEnabled(control(IDC_UPDATE)) != 0; }
  int listCount() { return static_cast<int>(SendMessageA(control(IDC_TITLE), CB_GETCOUNT, 0, 0)); }
  std::string listEntry(int i) {
    wchar_t text[kProfileNameBytes] = {};
    SendMessageW(control(IDC_TITLE), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    return in932(text);
  }

  HWND dialog = nullptr;
};
}  // namespace

TEST_F(SettingsDialog, OpensOnTheCurrentProfileWithItsTitleTabsAndTexts) {
  storeProfiles(3, 1);
  open();
  EXPECT_EQ(textOf(dialog), "設定画面 タイトル No.2/3");
  EXPECT_EQ(settingsDialogOpen, 1);
  ASSERT_EQ(listCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(listEntry(i), sampleName(i));
  EXPECT_EQ(SendMessageA(control(IDC_TITLE), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(textOf(control(IDC_TITLE)), "設定1");
  EXPECT_EQ(fields(savedSettings), fields(sampleProfile(1)));
  EXPECT_EQ(fields(editSettings), fields(sampleProfile(1)));
  EXPECT_FALSE(updateEnabled());
  EXPECT_TRUE(topmost(dialog));
  const LONG exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_CONTEXTHELP);
  EXPECT_TRUE(exStyle & WS_EX_CONTROLPARENT);

  struct { int id; const char* text; } texts[] = {
      {IDC_TITLE_LABEL, "タイトル(&I)"}, {IDC_SETTINGS_OK, "&OK"}, {IDCANCEL, "&CANCEL"},
      {IDC_DEFAULT, "&Default"}, {IDC_TEST, "&Test"}, {IDC_UPDATE, "更新(&A)"}};
  for (auto t : texts) EXPECT_EQ(textOf(control(t.id)), t.text) << t.id;
  wchar_t menuText[64] = {};
  GetMenuStringW(GetMenu(dialog), 0, menuText, 64, MF_BYPOSITION);
  EXPECT_EQ(in932(menuText), "登録(&R)");

  HWND tabs = control(IDC_TABS);
  const char* tabTexts[] = {"ｼｽﾃﾑ設定", "パン設定", "ｽｸﾛｰﾙ設定", "除外"};
  const char* tips[] = {"Qor95のシステム環境の設定", "パン機能の設定", "ｽｸﾛｰﾙ機能の設定",
                        "プログラムごとの除外と設定"};
  ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 4);
  for (int i = 0; i < 4; ++i) {
    wchar_t text[64] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(in932(text), tabTexts[i]);
    NMTTDISPINFOW tip = {};
    tip.hdr = {nullptr, static_cast<UINT_PTR>(i), static_cast<UINT>(TTN_NEEDTEXTW)};
    SendMessageW(dialog, WM_NOTIFY, i, reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip.lpszText, nullptr);
    EXPECT_EQ(in932(tip.lpszText), tips[i]);
  }
  // A title that code page 932 cannot write: OK, Update and Add say so and store nothing.
  const StoreContents before = storeContents();
  SetWindowTextW(FindWindowExA(control(IDC_TITLE), nullptr, "Edit", nullptr), L"Qor-Åø-测试");
  boxAnswer = IDOK;
  for (int command : {IDC_SETTINGS_OK, IDC_UPDATE, IDM_ADD}) menuCommand(command);
  EXPECT_EQ(boxSeen.count, 3);
  EXPECT_EQ(boxSeen.text, "このタイトルは記録できません。シフトJISで表せる文字だけを使い、"
                          "半角255文字（全角127文字）以内で入力してください。");
  EXPECT_EQ(storeContents(), before);
}

// The dialog's own texts in one line: title, labels and buttons, menu bar, tabs and their tips.
std::string dialogTexts(HWND dialog) {
  std::string line = textOf(dialog);
  for (int id : {IDC_TITLE_LABEL, IDC_SETTINGS_OK, IDCANCEL, IDC_DEFAULT, IDC_TEST, IDC_UPDATE})
    line += "|" + textOf(GetDlgItem(dialog, id));
  wchar_t text[64] = {};
  GetMenuStringW(GetMenu(dialog), 0, text, 64, MF_BYPOSITION);
  line += "|" + in932(text);
  for (int i = 0; i < 4; ++i) {
    TCITEMW item = {TCIF_TEXT, 0, 0, text, 64, 0, 0};
    SendDlgItemMessageW(dialog, IDC_TABS, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    NMTTDISPINFOW tip = {};
    tip.hdr = {nullptr, static_cast<UINT_PTR>(i), static_cast<UINT>(TTN_NEEDTEXTW)};
    SendMessageW(dialog, WM_NOTIFY, i, reinterpret_cast<LPARAM>(&tip));
    line += "|" + in932(text) + ":" + (tip.lpszText ? in932(tip.lpszText) : "");
  }
  return line;
}

// Language 2 speaks English, refusals too (Language 0 follows the display language as the tray
// shows).
TEST_F(SettingsDialog, SpeaksEnglish) {
  storeProfiles(3, 1);
  speak(kLanguageEnglish);
  open();
  EXPECT_EQ(dialogTexts(dialog),
            "Settings: profile No.2/3|Prof&ile|&OK|&Cancel|&Default|&Test|&Update|&Profile|"
            "System:Qor95's system settings|Pan:Pan settings|Scroll:Scroll settings|"
            "Left alone:Programs left alone and their own settings");
  SetWindowTextW(FindWindowExA(control(IDC_TITLE), nullptr, "Edit", nullptr), L"Qor-Åø-测试");
  boxAnswer = IDOK;
  menuCommand(IDC_SETTINGS_OK);
  EXPECT_EQ(boxSeen.text, "This profile name cannot be stored. Please use only characters of "
                          "Shift JIS (Japanese), at most 255 single-byte or 127 double-byte characters.");
  DestroyWindow(dialog);
  dialog = nullptr;
}

TEST_F(SettingsDialog, DefaultThenCancelKeepsAndDefaultThenOkTakesTheDefaultsUnstored) {
  struct { int button; bool takesDefaults; } cases[] = {{IDCANCEL, false}, {IDC_SETTINGS_OK, true}};
  for (auto c : cases) {
    storeProfiles(1, 0);
    currentSettings.startDelaySeconds = 40;  // live, not stored
    currentSettings.panVCount = 6;
    const std::vector<int32_t> before = fields(currentSettings);
    const StoreContents stored = storeContents();
    open();
    click(control(IDC_DEFAULT));
    EXPECT_EQ(fields(editSettings), fields(defaultSettings));
    EXPECT_EQ(textOf(pageControl(IDC_START_DELAY)), "5");
    EXPECT_EQ(SendMessageA(pageControl(IDC_DIALOG_SIZE), TBM_GETPOS, 0, 0), 2);
    EXPECT_EQ(fields(currentSettings), before);
    click(control(c.button));
    EXPECT_EQ(fields(currentSettings), c.takesDefaults ? fields(defaultSettings) : before) << c.button;
    EXPECT_EQ(storeContents(), stored);
    EXPECT_EQ(settingsDialogOpen, 0);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(page(), nullptr);
    DestroyWindow(dialog);
  }
  dialog = nullptr;
}

TEST_F(SettingsDialog, UpdateFollowsEditsAndTheTitleAndStoresBoth) {
  storeProfiles(2, 0);
  open();
  EXPECT_EQ(menuBarGrayed(), (std::vector<bool>{true, false, false}));
  click(pageControl(IDC_DELAYED_START));
  EXPECT_TRUE(updateEnabled());
  EXPECT_EQ(menuBarGrayed(), (std::vector<bool>{false, false, false}));
  click(pageControl(IDC_DELAYED_START));
  EXPECT_FALSE(updateEnabled());

  typeTitle("新しい名前");
  EXPECT_TRUE(updateEnabled());
  EXPECT_EQ(fields(editSettings), fields(savedSettings));
  click(control(IDC_UPDATE));
  const StoreContents stored = storeContents();
  EXPECT_EQ(storedText(stored, "N0"), "新しい名前");
  EXPECT_EQ(stored.at("N0").second.size(), 256u);
  EXPECT_EQ(storedText(stored, "N1"), sampleName(1));
  EXPECT_EQ(storedText(stored, "DataEnd"), "2");
  EXPECT_STREQ(profileName, "新しい名前");
  ASSERT_EQ(listCount(), 2);
  EXPECT_EQ(listEntry(0), "新しい名前");
  EXPECT_FALSE(updateEnabled());

  // The menu's Update stores the edits as the button does.
  click(pageControl(IDC_SAVE_ON_EXIT));
  menuCommand(IDM_UPDATE);
  EXPECT_EQ(storedFields(storeContents(), 0)[2], 0);
  EXPECT_EQ(currentSettings.saveOnExit, 0);
  EXPECT_FALSE(updateEnabled());
}

TEST_F(SettingsDialog, AddStoresTheEditsAsANewLastProfile) {
  storeProfiles(3, 2);
  const StoreContents before = storeContents();
  open();
  click(pageControl(IDC_MOVE_TO_START));
  typeTitle("追加した設定");
  menuCommand(IDM_ADD);
  ProfileSettings added;
  copySettings(added, sampleProfile(2));
  added.dblClickMovesToStart = 1;
  const StoreContents after = storeContents();
  EXPECT_EQ(storedFields(after, 3), fields(added));
  EXPECT_EQ(storedText(after, "N3"), "追加した設定");
  EXPECT_EQ(storedFields(after, 2), storedFields(before, 2));
  EXPECT_EQ(storedText(after, "N2"), sampleName(2));
  EXPECT_EQ(storedText(after, "DataEnd"), "4");
  EXPECT_EQ(storedText(after, "Data"), "3");
  EXPECT_EQ(textOf(dialog), "設定画面 タイトル No.4/4");
  ASSERT_EQ(listCount(), 4);
  EXPECT_EQ(listEntry(3), "追加した設定");
  EXPECT_EQ(SendMessageA(control(IDC_TITLE), CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(fields(currentSettings), fields(added));
  EXPECT_FALSE(updateEnabled());
}

TEST_F(SettingsDialog, AddAfterAHostileNegativeCountStoresWhereTheNextStartFindsIt) {
  openWithStoredCount(REG_SZ, "-3", 3);
  EXPECT_EQ(listCount(), 0);
  typeTitle("最初の設定");
  menuCommand(IDM_ADD);
  loadProfiles();
  EXPECT_EQ(profileCount, 1);
  EXPECT_STREQ(profileName, "最初の設定");
}

// A stored count of 2147483647 (binary: as text, Wine adds a terminator the value has no room
// for) loads as all the menus list: Add is refused with a message and files nothing.
TEST_F(SettingsDialog, AddIsRefusedWhileTheMenusListAllTheyCan) {
  openWithStoredCount(REG_BINARY, "2147483647", 10);
  const StoreContents before = storeContents();
  boxAnswer = IDOK;
  menuCommand(IDM_ADD);
  EXPECT_EQ(boxSeen.count, 1);
  EXPECT_EQ(storeContents(), before);
}

TEST_F(SettingsDialog, DeleteAsksFirstThenRenumbersTheStore) {
  storeProfiles(3, 1);
  const StoreContents before = storeContents();
  open();
  deleteAnswering(IDNO);
  EXPECT_EQ(boxSeen.count, 1);
  EXPECT_EQ(boxSeen.text, "設定を削除しますよろしいですか？");
  EXPECT_TRUE(boxSeen.yesNo);
  EXPECT_EQ(boxSeen.owner, dialog);
  EXPECT_TRUE(boxSeen.ownerDisabled);
  EXPECT_EQ(storeContents(), before);
  EXPECT_EQ(listCount(), 3);

  deleteAnswering(IDYES);
  const StoreContents after = storeContents();
  EXPECT_EQ(storedFields(after, 1), storedFields(before, 2));
  EXPECT_EQ(storedText(after, "N1"), sampleName(2));
  EXPECT_EQ(storedFields(after, 0), storedFields(before, 0));
  EXPECT_EQ(storedText(after, "DataEnd"), "2");
  EXPECT_EQ(storedText(after, "Data"), "1");
  EXPECT_EQ(profileCount, 2);
  EXPECT_EQ(currentProfile, 1);
  EXPECT_EQ(fields(currentSettings), fields(sampleProfile(2)));
  EXPECT_EQ(fields(editSettings), fields(sampleProfile(2)));
  ASSERT_EQ(listCount(), 2);
  EXPECT_EQ(listEntry(0), sampleName(0));
  EXPECT_EQ(listEntry(1), sampleName(2));
  EXPECT_EQ(textOf(control(IDC_TITLE)), sampleName(2));
  EXPECT_EQ(textOf(dialog), "設定画面 タイトル No.2/2");
}

TEST_F(SettingsDialog, DeletingTheOnlyProfileThenDeletingAgainLeavesAConsistentStore) {
  storeProfiles(1, 0);
  open();
  deleteAnswering(IDYES);
  StoreContents after = storeContents();
  EXPECT_EQ(after.count("A0") + after.count("N0"), 0u);
  EXPECT_EQ(storedText(after, "DataEnd"), "0");
  EXPECT_EQ(storedText(after, "Data"), "-1");
  EXPECT_EQ(profileCount, 0);
  EXPECT_EQ(currentProfile, 0);
  EXPECT_EQ(listCount(), 0);
  EXPECT_EQ(textOf(dialog), "設定画面 タイトル No.1/0");
  EXPECT_EQ(fields(currentSettings), fields(defaultSettings));

  // Nothing is left to delete: the item is grayed, and the command asks nothing.
  EXPECT_TRUE(menuBarGrayed()[2]);
  EXPECT_TRUE(popupGrayed()[2]);
  deleteAnswering(IDYES);
  EXPECT_EQ(boxSeen.count, 1);
  EXPECT_EQ(storeContents(), after);
  EXPECT_EQ(profileCount, 0);
  loadProfiles();
  EXPECT_EQ(profileCount, 0);
  EXPECT_EQ(currentProfile, 0);
}

TEST_F(SettingsDialog, ChoosingAnotherProfileTakesItAndTheSameOneDoesNothing) {
  storeProfiles(3, 0);
  open();
  click(pageControl(IDC_DELAYED_START));
  chooseEntry(dialog, IDC_TITLE, 0);  // already current: the edit stays
  EXPECT_EQ(editSettings.delayedStart, 1);
  EXPECT_TRUE(updateEnabled());
  chooseEntry(dialog, IDC_TITLE, 2);
  EXPECT_EQ(currentProfile, 2);
  EXPECT_EQ(fields(currentSettings), fields(sampleProfile(2)));
  EXPECT_EQ(fields(editSettings), fields(sampleProfile(2)));
  EXPECT_STREQ(profileName, "設定2");
  EXPECT_EQ(textOf(dialog), "設定画面 タイトル No.3/3");
  EXPECT_FALSE(updateEnabled());
}

TEST_F(SettingsDialog, TestModeActsAtOnceAndStopOrCancelRestoresWhileOkKeeps) {
  struct { const char* ending; int button; bool keeps; } cases[] = {
      {"Stop", IDC_TEST, false}, {"Cancel", IDCANCEL, false}, {"OK", IDC_SETTINGS_OK, true}};
  for (auto c : cases) {
    storeProfiles(1, 0);
    const std::vector<int32_t> before = fields(currentSettings);
    open();
    click(control(IDC_TEST));
    EXPECT_EQ(testMode, 1);
    EXPECT_EQ(textOf(control(IDC_TEST)), "&Stop");
    EXPECT_FALSE(IsWindowVisible(control(IDC_UPDATE)));
    click(pageControl(IDC_DELAYED_START));
    EXPECT_EQ(currentSettings.delayedStart, 1) << c.ending;
    chooseTab(2);
    click(pageControl(IDC_EXT_SCROLL_ENABLED));
    EXPECT_EQ(currentSettings.extScrollEnabled, 0) << c.ending;
    chooseEntry(page(), IDC_VCOUNT, 6);
    EXPECT_EQ(currentSettings.extScrollVCount, 7) << c.ending;
    click(control(c.button));
    ProfileSettings edited;
    copySettings(edited, editSettings);
    EXPECT_EQ(fields(currentSettings), c.keeps ? fields(edited) : before) << c.ending;
    if (c.button == IDC_TEST) {
      EXPECT_EQ(testMode, 0);
      EXPECT_EQ(textOf(control(IDC_TEST)), "&Test");
      EXPECT_TRUE(IsWindowVisible(control(IDC_UPDATE)));
      EXPECT_TRUE(updateEnabled());
      click(pageControl(IDC_SWAP_BUTTONS));  // normal again: edits wait
      EXPECT_EQ(currentSettings.extScrollSwapButtons, 0);
    }
    DestroyWindow(dialog);
  }
  dialog = nullptr;
}

// A window picked with the mouse adds the program that shows it; Qor's own window adds nothing.
TEST_F(SettingsDialog, PickingAWindowAddsItsProgram) {
  STARTUPINFOA start = {sizeof start};
  PROCESS_INFORMATION notepad = {};
  char command[] = "notepad.exe";
  ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &notepad));
  WaitForInputIdle(notepad.hProcess, 10000);
  HWND window = FindWindowA("Notepad", nullptr);
  ASSERT_TRUE(window);
  SetWindowPos(window, HWND_TOPMOST, 900, 700, 300, 200, SWP_SHOWWINDOW);
  open();
  chooseTab(3);
  HWND list = pageControl(IDC_LEFT_ALONE_LIST);
  const LRESULT before = SendMessageA(list, LB_GETCOUNT, 0, 0);  // the programs listed from the start
  for (HWND target : {dialog, window}) {
    RECT r;
    GetWindowRect(target, &r);
    const POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SetCursorPos(centre.x, centre.y);  // Wine moves it through the X server: it may take a while
    POINT at = {};
    for (int i = 0; i < 100 && GetCursorPos(&at) && (at.x != centre.x || at.y != centre.y); ++i) Sleep(20);
    PostMessageW(page(), WM_LBUTTONUP, 0, 0);  // the click the page waits for
    click(pageControl(IDC_LEFT_ALONE_PICK));
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), before + (target == window));
  }
  EXPECT_GE(programEditIndex("notepad.exe"), 0);
  TerminateProcess(notepad.hProcess, 0);
  CloseHandle(notepad.hProcess);
  CloseHandle(notepad.hThread);
  DestroyWindow(dialog);
  dialog = nullptr;
}

// The pan button and the programs left alone or with a profile are the user's, beside the
// profile: live with OK (at once in test mode), stored only when changed, so that a value Qor
// cannot read stays. A row whose profile is gone says so.
TEST_F(SettingsDialog, PanButtonAndProgramsLeftAloneFollowTheDialogsRules) {
  HKEY key;
  RegCreateKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key);
  RegSetValueExA(key, "LeaveAlone", 0, REG_SZ, reinterpret_cast<const BYTE*>("a.exe"), 6);
  const char gone[] = "old.exe\t消えた\0";
  RegSetValueExA(key, "ProgramProfiles", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(gone), sizeof gone);
  RegCloseKey(key);
  storeProfiles(1, 0);
  loadUserOptions();
  const StoreContents unreadable = storeContents();
  boxAnswer = IDOK;
  for (int ending : {IDCANCEL, IDC_TEST, IDC_SETTINGS_OK}) {
    open();
    if (ending == IDC_TEST) click(control(IDC_TEST));
    chooseTab(3);
    HWND list = pageControl(IDC_LEFT_ALONE_LIST);
    wchar_t row[300] = {};
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
    EXPECT_EQ(in932(row), "old.exe\t現在の設定（「消えた」なし）");
    const struct { const char* typed; int listed, refusals; } adds[] = {
        {"C:\\Windows\\Notepad.EXE ", 2, 0}, {"notepad.exe", 2, 0}, {" ", 2, 1}, {"calc.exe", 3, 1}};
    for (auto a : adds) {
      type(FindWindowExA(pageControl(IDC_LEFT_ALONE_NAME), nullptr, "Edit", nullptr), a.typed);
      click(pageControl(IDC_LEFT_ALONE_ADD));
      EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), a.listed) << a.typed;
      EXPECT_EQ(boxSeen.count, a.refusals) << a.typed;
    }
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    click(pageControl(IDC_LEFT_ALONE_REMOVE));
    // The remaining old.exe row chooses the stored profile.
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(page(), WM_COMMAND, MAKEWPARAM(IDC_LEFT_ALONE_LIST, LBN_SELCHANGE), LPARAM(list));
    EXPECT_EQ(SendMessageA(pageControl(IDC_PROGRAM_PROFILE), CB_GETCURSEL, 0, 0), -1);
    chooseEntry(page(), IDC_PROGRAM_PROFILE, 1);
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
    EXPECT_EQ(in932(row), "old.exe\t設定0");
    chooseTab(0);
    chooseEntry(page(), IDC_LANGUAGE, kLanguageEnglish);
    chooseTab(1);
    chooseEntry(page(), IDC_PAN_BUTTON, kPanButtonMiddle);
    click(pageControl(IDC_CLICK_PAN));
    EXPECT_EQ(userClickPan, ending == IDC_TEST ? 0 : 1);
    EXPECT_EQ(userPanButton, ending == IDC_TEST ? kPanButtonMiddle : kPanButtonRight);
    EXPECT_TRUE(ending == IDC_TEST || updateEnabled());
    click(control(ending));
    const bool kept = ending == IDC_SETTINGS_OK;
    EXPECT_EQ(userPanButton, kept ? kPanButtonMiddle : kPanButtonRight) << ending;
    EXPECT_EQ(userLanguage, kept ? kLanguageEnglish : kLanguageJapanese) << ending;
    EXPECT_EQ(userClickPan, kept ? 0 : 1) << ending;
    EXPECT_EQ(isLeftAloneProgram("CALC.EXE"), kept) << ending;
    EXPECT_FALSE(isLeftAloneProgram("notepad.exe"));
    const StoreContents stored = storeContents();
    EXPECT_EQ(stored == unreadable, !kept) << ending;
    if (kept) {
      EXPECT_EQ(stored.at("PanButton"), (std::make_pair(DWORD(REG_DWORD), std::vector<unsigned char>{1, 0, 0, 0})));
      EXPECT_EQ(stored.at("ClickPan"), (std::make_pair(DWORD(REG_DWORD), std::vector<unsigned char>{0, 0, 0, 0})));
      EXPECT_EQ(stored.at("LeaveAlone").first, DWORD(REG_MULTI_SZ));
      EXPECT_EQ(storedText(stored, "LeaveAlone"), "calc.exe");
      EXPECT_EQ(stored.at("ProgramProfiles").second.size(), sizeof "old.exe\t設定0\0");
      EXPECT_EQ(storedText(stored, "ProgramProfiles"), "old.exe\t設定0");
      EXPECT_EQ(stored.at("Language"), (std::make_pair(DWORD(REG_DWORD), std::vector<unsigned char>{2, 0, 0, 0})));
      DestroyWindow(dialog);
      open();  // the next dialog speaks it
      EXPECT_EQ(textOf(dialog), "Settings: profile No.1/1");
    }
    DestroyWindow(dialog);
    boxSeen = {};
  }
  dialog = nullptr;
}

TEST_F(SettingsDialog, AlwaysOnTopJoinsAndLeavesTheTopmostBandAtOnceInTestMode) {
  storeProfiles(1, 0);
  open();
  ASSERT_TRUE(topmost(dialog));
  click(pageControl(IDC_ALWAYS_ON_TOP));  // normal mode: only edited
  EXPECT_TRUE(topmost(dialog));
  click(pageControl(IDC_ALWAYS_ON_TOP));
  click(control(IDC_TEST));
  click(pageControl(IDC_ALWAYS_ON_TOP));
  EXPECT_FALSE(topmost(dialog));
  EXPECT_EQ(currentSettings.alwaysOnTop, 0);
  click(pageControl(IDC_ALWAYS_ON_TOP));
  EXPECT_TRUE(topmost(dialog));
  click(pageControl(IDC_ALWAYS_ON_TOP));
  click(control(IDC_TEST));  // Stop: back to the band from before the test
  EXPECT_TRUE(topmost(dialog));
}

TEST_F(SettingsDialog, MenusGrayUpdateAddAndDeleteInTestModeAndOfferAboutOverTheDialog) {
  storeProfiles(2, 0);
  open();
  const std::vector<bool> normal = {true, false, false}, test = {true, true, true};
  EXPECT_EQ(menuBarGrayed(), normal);
  EXPECT_EQ(popupGrayed(), normal);
  click(control(IDC_TEST));
  EXPECT_EQ(menuBarGrayed(), test);
  EXPECT_EQ(popupGrayed(), test);
  click(pageControl(IDC_DELAYED_START));
  EXPECT_EQ(menuBarGrayed(), test);
  click(control(IDC_TEST));
  EXPECT_EQ(menuBarGrayed(), (std::vector<bool>{false, false, false}));
  SendMessageA(dialog, WM_NCRBUTTONDOWN, HTCAPTION, 0);
  EXPECT_EQ(popupSeen.owner, dialog);
  menuCommand(IDM_ABOUT);
  EXPECT_EQ(aboutOwner, dialog);
}

TEST_F(SettingsDialog, CheckBoxesShowAndStoreTheirFields) {
  struct { int tab; int id; SharedInt32 ProfileSettings::*field; } boxes[] = {
      {0, IDC_STANDBY_AT_START, &ProfileSettings::startInStandby},
      {0, IDC_MOVE_TO_START, &ProfileSettings::dblClickMovesToStart},
      {0, IDC_OPEN_START_MENU, &ProfileSettings::dblClickOpensStartMenu},
      {0, IDC_DELAYED_START, &ProfileSettings::delayedStart},
      {0, IDC_ALWAYS_ON_TOP, &ProfileSettings::alwaysOnTop},
      {0, IDC_SAVE_ON_EXIT, &ProfileSettings::saveOnExit},
      {1, IDC_PAN_ENABLED, &ProfileSettings::panEnabled},
      {2, IDC_EXT_SCROLL_ENABLED, &ProfileSettings::extScrollEnabled},
      {2, IDC_SWAP_BUTTONS, &ProfileSettings::extScrollSwapButtons},
  };
  for (int stored : {0, 2}) {  // a stored 2 shows ticked, and a click writes 0
    storeProfiles(1, 0);
    for (auto b : boxes) currentSettings.*b.field = stored;
    open();
    for (auto b : boxes) {
      chooseTab(b.tab);
      EXPECT_EQ(IsDlgButtonChecked(page(), b.id), stored ? BST_CHECKED : BST_UNCHECKED) << b.id;
      click(pageControl(b.id));
      EXPECT_EQ(editSettings.*b.field, stored ? 0 : 1) << b.id;
      click(pageControl(b.id));
      EXPECT_EQ(editSettings.*b.field, stored ? 1 : 0) << b.id;
    }
    DestroyWindow(dialog);
  }
  dialog = nullptr;
}

TEST_F(SettingsDialog, StartDelayBoxErasesWhatIsOutOfRange) {
  storeProfiles(1, 0);
  open();
  struct { const char* typed; int stored; const char* shown; } cases[] = {
      {"45", 45, "45"}, {"75", 0, ""}, {"-3", 0, ""}, {"60", 60, "60"}, {"abc", 0, "abc"}, {"0", 0, "0"}};
  for (auto c : cases) {
    editSettings.startDelaySeconds = 33;
    type(pageControl(IDC_START_DELAY), c.typed);
    EXPECT_EQ(editSettings.startDelaySeconds, c.stored) << c.typed;
    EXPECT_EQ(textOf(pageControl(IDC_START_DELAY)), c.shown) << c.typed;
  }
}

TEST_F(SettingsDialog, SpinBarStepsTheDelayAndWrapsRound) {
  storeProfiles(1, 0);
  open();
  struct { const char* start; WORD request; int stored; } cases[] = {
      {"60", SB_LINEUP, 0},    {"0", SB_LINEDOWN, 60},  {"55", SB_PAGEUP, 0},
      {"5", SB_PAGEDOWN, 60},  {"7", SB_LINEUP, 8},     {"7", SB_LINEDOWN, 6},
      {"20", SB_PAGEUP, 32},   {"20", SB_PAGEDOWN, 8},  {"30", SB_TOP, 60},
      {"30", SB_BOTTOM, 0},    {"30", SB_THUMBTRACK, 30}, {"abc", SB_LINEUP, 1}};
  for (auto c : cases) {
    type(pageControl(IDC_START_DELAY), c.start);
    scroll(pageControl(IDC_START_DELAY_SPIN), c.request, 50);
    EXPECT_EQ(editSettings.startDelaySeconds, c.stored) << c.start << " " << c.request;
    EXPECT_EQ(textOf(pageControl(IDC_START_DELAY)), c.request == SB_THUMBTRACK ? c.start : std::to_string(c.stored));
  }
}

TEST_F(SettingsDialog, TrackbarSetsTheDialogSizeFromTheRequestAlone) {
  storeProfiles(1, 0);
  open();
  struct { int size; WORD request; WORD position; int stored; } cases[] = {
      {2, TB_LINEDOWN, 0, 2}, {0, TB_LINEUP, 0, 0},       {1, TB_LINEUP, 0, 0},
      {1, TB_PAGEDOWN, 0, 2}, {1, TB_PAGEUP, 0, 0},       {0, TB_THUMBTRACK, 1, 1},
      {2, TB_THUMBPOSITION, 0, 0}, {1, TB_TOP, 0, 0},     {1, TB_BOTTOM, 0, 2},
      {1, TB_ENDTRACK, 0, 1}, {7, TB_LINEUP, 0, 6},       {-4, TB_LINEDOWN, 0, -3}};
  for (auto c : cases) {
    editSettings.dialogSize = c.size;
    SendMessageA(pageControl(IDC_DIALOG_SIZE), TBM_SETPOS, TRUE, 1);  // never read back
    scroll(pageControl(IDC_DIALOG_SIZE), c.request, c.position);
    EXPECT_EQ(editSettings.dialogSize, c.stored) << c.size << " " << c.request;
  }
}

TEST_F(SettingsDialog, CountAndResponseListsSelectAndStoreTheirValues) {
  struct List { int tab; int id; SharedInt32 ProfileSettings::*field; int entries; };
  const List lists[] = {
      {1, IDC_VCOUNT, &ProfileSettings::panVCount, 7},
      {1, IDC_HCOUNT, &ProfileSettings::panHCount, 7},
      {1, IDC_VRESPONSE, &ProfileSettings::panVResponse, 5},
      {1, IDC_HRESPONSE, &ProfileSettings::panHResponse, 5},
      {2, IDC_VCOUNT, &ProfileSettings::extScrollVCount, 7},
      {2, IDC_HCOUNT, &ProfileSettings::extScrollHCount, 7},
  };
  const char* counts[] = {"  1", "  2", "  3", "  4", "  5", "  6", "  7"};
  const char* responses[] = {" 鈍感 ", "やや鈍感", " 標準 ", "やや敏感", " 敏感 "};
  for (int stored : {4, 0, 8, -5}) {
    storeProfiles(1, 0);
    for (auto l : lists) currentSettings.*l.field = stored;
    open();
    for (auto l : lists) {
      chooseTab(l.tab);
      HWND list = pageControl(l.id);
      ASSERT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), l.entries) << l.id;
      for (int k = 0; k < l.entries; ++k) {
        char text[32] = {};
        SendMessageA(list, CB_GETLBTEXT, k, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, l.entries == 7 ? counts[k] : responses[k]);
      }
      const bool inList = stored >= 1 && stored <= l.entries;
      EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), inList ? stored - 1 : CB_ERR) << l.id;
      EXPECT_EQ(editSettings.*l.field, stored);
      chooseEntry(page(), l.id, -1);  // nothing selected: nothing changes
      EXPECT_EQ(editSettings.*l.field, stored);
      chooseEntry(page(), l.id, l.entries - 2);
      EXPECT_EQ(editSettings.*l.field, l.entries - 1) << l.id;
    }
    DestroyWindow(dialog);
  }
  dialog = nullptr;

  storeProfiles(1, 0);
  open();
  chooseTab(1);
  const int entry = static_cast<int>(SendMessageA(pageControl(IDC_VRESPONSE), CB_FINDSTRINGEXACT, -1,
                                                  reinterpret_cast<LPARAM>("やや敏感")));
  chooseEntry(page(), IDC_VRESPONSE, entry);
  EXPECT_EQ(editSettings.panVResponse, 4);
  chooseEntry(page(), IDC_VCOUNT, 2);
  EXPECT_EQ(editSettings.panVCount, 3);
}

TEST_F(SettingsDialog, DefaultShowsTheDefaultsOnEveryPage) {
  storeProfiles(1, 0);
  for (auto field : {&ProfileSettings::panVCount, &ProfileSettings::panHCount,
                     &ProfileSettings::panVResponse, &ProfileSettings::panHResponse,
                     &ProfileSettings::extScrollVCount, &ProfileSettings::extScrollHCount})
    currentSettings.*field = 5;
  open();
  struct { int tab; int id; const char* shown; } cases[] = {
      {1, IDC_VCOUNT, "  2"}, {1, IDC_HCOUNT, "  1"}, {1, IDC_VRESPONSE, " 鈍感 "},
      {1, IDC_HRESPONSE, " 鈍感 "}, {2, IDC_VCOUNT, "  3"}, {2, IDC_HCOUNT, "  1"}};
  for (auto c : cases) {
    chooseTab(c.tab);
    click(control(IDC_DEFAULT));
    EXPECT_EQ(textOf(pageControl(c.id)), c.shown) << c.tab << " " << c.id;
  }
}

TEST_F(SettingsDialog, TabsShowTheirPageTemplateAtItsPlaceInBothSizes) {
  // Which of these controls each page has tells the pages apart.
  const int marks[] = {IDC_DIALOG_SIZE, IDC_VRESPONSE, IDC_VCOUNT, IDC_LEFT_ALONE_LIST};
  const bool pageMarks[4][4] = {{true, false, false, false}, {false, true, true, false},
                                {false, false, true, false}, {false, false, false, true}};
  struct { int size; const char* font; int left, bottom; } sizes[] = {
      {0, "ＭＳ ゴシック", 6, 4}, {1, "System", 8, 8}};
  for (auto s : sizes) {
    storeProfiles(1, 0);
    open(s.size);
    LOGFONTA dialogFont = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof dialogFont,
               &dialogFont);
    EXPECT_STREQ(dialogFont.lfFaceName, s.font);
    for (int tab : {0, 1, 2, 3, 1, 0}) {
      chooseTab(tab);
      ASSERT_EQ(pageCount(), 1) << s.size << " " << tab;
      HWND p = page();
      for (int m = 0; m < 4; ++m)
        EXPECT_EQ(GetDlgItem(p, marks[m]) != nullptr, pageMarks[tab][m]) << s.size << " " << tab;
      LOGFONTA font = {};
      GetObjectA(reinterpret_cast<HFONT>(SendMessageA(p, WM_GETFONT, 0, 0)), sizeof font, &font);
      EXPECT_STREQ(font.lfFaceName, s.font);
      RECT units = {0, 0, 191, 96}, client, pageRect, tabs;
      MapDialogRect(p, &units);
      GetClientRect(p, &client);
      EXPECT_EQ(client.right, units.right);
      EXPECT_EQ(client.bottom, units.bottom);
      GetWindowRect(p, &pageRect);
      GetWindowRect(control(IDC_TABS), &tabs);
      EXPECT_EQ(pageRect.left - tabs.left, s.left) << s.size << " " << tab;
      EXPECT_EQ(tabs.bottom - pageRect.bottom, s.bottom) << s.size << " " << tab;
      EXPECT_TRUE(IsWindowVisible(p));
      EXPECT_FALSE(GetWindowLongA(p, GWL_STYLE) & WS_CAPTION);
    }
    DestroyWindow(dialog);
  }
  dialog = nullptr;
}

TEST_F(SettingsDialog, PageTextsReachTheScreenInEveryCodePage) {
  storeProfiles(1, 0);
  open();
  struct { int tab; int id; const char* text; } texts[] = {
      {0, IDC_STANDBY_AT_START, "起動時にスタンバイ状態にする(&S)"},
      {0, IDC_MOVE_TO_START, "背景での左ﾀﾞﾌﾞﾙｸﾘｯｸで.ｽﾀｰﾄﾎﾞﾀﾝへ移動する(&M)"},
      {0, IDC_OPEN_START_MENU, "背景での左ﾀﾞﾌﾞﾙｸﾘｯｸで.ｽﾀｰﾄﾒﾆｭｰを開く。(&O)"},
      {0, IDC_SIZE_FRAME, "表示サイズ調節"},
      {0, IDC_SIZE_AUTO_LABEL, "自動調節"},
      {1, IDC_PAN_ENABLED, "パン機能を有効にする(&P)"},
      {1, IDC_VRESPONSE_LABEL, "・上下のスクロールのレスポンス(&U)"},
      {2, IDC_SWAP_BUTTONS, "左右のﾎﾞﾀﾝを入れ替える。（上下方向）(&S)"},
      {1, IDC_PAN_BUTTON_LABEL, "・パンのボタン(&B)"},
      {3, IDC_LEFT_ALONE_NAME_LABEL, "プログラムのファイル名(&F)"},
      {0, IDC_LANGUAGE_LABEL, "言語(&L)"},
  };
  for (auto t : texts) {
    chooseTab(t.tab);
    EXPECT_EQ(textOf(pageControl(t.id)), t.text);
  }
  // In English a label of each page, and the language list in either language names each
  // language in itself.
  const struct { int tab, id; const char* text; } english[] = {
      {0, IDC_LANGUAGE_LABEL, "&Language"}, {1, IDC_VRESPONSE_LABEL, "Vertical &response"},
      {2, IDC_SWAP_BUTTONS, "&Swap the left and right buttons (vertical)"},
      {3, IDC_LEFT_ALONE_NAME_LABEL, "Program's &file name"}};
  for (const char* automatic : {"自動", "Automatic"}) {
    chooseTab(0);
    const char* entries[] = {automatic, "日本語", "English"};
    for (int k = 0; k < 3; ++k) {
      wchar_t entry[32] = {};
      SendMessageW(pageControl(IDC_LANGUAGE), CB_GETLBTEXT, k, reinterpret_cast<LPARAM>(entry));
      EXPECT_EQ(in932(entry), entries[k]);
    }
    DestroyWindow(dialog);
    speak(kLanguageEnglish);
    open();
  }
  for (auto t : english) {
    chooseTab(t.tab);
    EXPECT_EQ(textOf(pageControl(t.id)), t.text);
  }
}



// A text's width in its control's font, without the mnemonic's ampersand.
int textWidth(HWND control) {
  wchar_t text[300] = {}, shown[300] = {};
  GetWindowTextW(control, text, 300);
  for (int from = 0, to = 0; text[from]; ++from)
    if (text[from] != L'&' || text[from + 1] == L'&') shown[to++] = text[from];
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32W(dc, shown, lstrlenW(shown), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size.cx;
}

// Each label, check box and button of the dialog and its pages shows all its text on one line,
// at the scaling of this run (tests/win32/CMakeLists.txt runs it at 96, 120 and 144 DPI); and
// the English ones hold no Japanese.
TEST_F(SettingsDialog, EveryTextFitsItsControlInBothLanguagesAndSizes) {
  storeProfiles(1, 0);
  const int box = GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
  for (int32_t language : {kLanguageJapanese, kLanguageEnglish}) {
    for (int size : {0, 1}) {
      speak(language);
      open(size);
      for (int tab = -1; tab < 4; ++tab) {
        if (tab >= 0) chooseTab(tab);
        for (HWND c = GetWindow(tab < 0 ? dialog : page(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
          char kind[32] = {};
          GetClassNameA(c, kind, sizeof kind);
          const LONG style = GetWindowLongA(c, GWL_STYLE);
          const bool button = lstrcmpiA(kind, "Button") == 0, label = lstrcmpiA(kind, "Static") == 0;
          if (!(button || label) || GetWindowTextLengthW(c) == 0) continue;
          const int type = style & BS_TYPEMASK;
          const bool check = button && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX);
          RECT area;
          GetClientRect(c, &area);
          const int room = area.right - (check ? box : 0) - (button && !check ? 4 : 0);
          EXPECT_LE(textWidth(c), room) << language << " " << size << " " << tab << ": " << textOf(c);
          const std::string text = textOf(c);
          if (language == kLanguageEnglish) {
            EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char b) { return b > 0; })) << text;
          }
        }
      }
      DestroyWindow(dialog);
    }
  }
  dialog = nullptr;
}

TEST_F(SettingsDialog, HelpOpensThePageAtTheControlsAnchorOrTheContents) {
  registerHelpProbe();
  open();
  const struct { int tab, id; const char* anchor; } rows[] = {
      {-1, IDC_TITLE, "h45"}, {0, IDC_START_DELAY_SPIN, "h67"}, {2, IDC_SWAP_BUTTONS, "h5"},
      {1, IDC_PAN_BUTTON, "h94"}, {3, IDC_LEFT_ALONE_ADD, "h97"}, {1, IDC_CLICK_PAN, "h99"},
      {3, IDC_LEFT_ALONE_PICK, "h100"}};
  for (const auto& r : rows) {
    if (r.tab >= 0) chooseTab(r.tab);
    HWND window = r.tab < 0 ? dialog : page();  // the "?" button's click on the control
    HELPINFO info = {sizeof info, HELPINFO_WINDOW, r.id, GetDlgItem(window, r.id), 0, {0, 0}};
    SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(nextHelpRequest(), std::string("<bin>/Qor.html#") + r.anchor) << r.id;
  }
  menuCommand(IDM_HELP_CONTENTS);
  EXPECT_EQ(nextHelpRequest(), "<bin>/Qor.html#contents");
}
