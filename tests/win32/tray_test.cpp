// The tray menus and the command table, built from the program's own resources in this
// process: items, ids, texts in code page 932, check marks and the profile items.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/tray.h"
#include "engine/gesture.h"
#include "engine/hook_protocol.h"
#include "resources/resource.h"
#include "settings/profile_store.h"
#include "tests/common/help_request.h"
#include "tests/common/wide_text.h"
#include "ui/texts.h"

namespace {
struct Item {
  UINT id;  // 0 for separators and submenus
  std::string text;
  bool checked;
  std::vector<Item> submenu;
  bool operator==(const Item& o) const {
    return id == o.id && text == o.text && checked == o.checked && submenu == o.submenu;
  }
};
std::ostream& operator<<(std::ostream& os, const Item& item) {
  os << "{" << item.id << " \"" << item.text << "\"" << (item.checked ? " checked" : "");
  for (const Item& i : item.submenu) os << " " << i;
  return os << "}";
}

std::vector<Item> itemsOf(HMENU menu) {
  std::vector<Item> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[256] = L"";
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 256;
    GetMenuItemInfoW(menu, i, TRUE, &info);
    Item item = {info.hSubMenu ? 0 : info.wID, in932(text), (info.fState & MFS_CHECKED) != 0, {}};
    if (info.fType & MFT_SEPARATOR) item = {0, "-", false, {}};
    if (info.hSubMenu) item.submenu = itemsOf(info.hSubMenu);
    items.push_back(item);
  }
  return items;
}

std::string textOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return in932(text);
}

// The popup that the tray shows for a button, as items.
std::vector<Item> trayMenu(UINT button) {
  HMENU menu = loadTrayMenu(button);
  EXPECT_TRUE(menu);
  if (!menu) return {};
  EXPECT_EQ(GetMenuItemCount(menu), 1) << "only the first popup is shown";
  std::vector<Item> items = itemsOf(GetSubMenu(menu, 0));
  DestroyMenu(menu);
  return items;
}

Item separator() { return {0, "-", false, {}}; }

// A menu's texts in one line: "|" between items, a submenu's in "<" and ">".
std::string textsOf(const std::vector<Item>& items) {
  std::string line;
  for (const Item& item : items)
    line += (line.empty() ? "" : "|") + item.text + (item.submenu.empty() ? "" : "<" + textsOf(item.submenu) + ">");
  return line;
}

// Stores count profiles named by names (null: no name value), then makes current the current one.
void storeProfiles(std::vector<const char*> names, int32_t current) {
  RegDeleteKeyA(HKEY_CURRENT_USER, kProfileStoreKey);
  profileCount = static_cast<int32_t>(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    currentProfile = static_cast<int32_t>(i);
    ZeroMemory(profileName, sizeof profileName);  // the filler is zeros, as the dialog leaves it
    lstrcpyA(profileName, names[i] ? names[i] : "");
    copySettings(currentSettings, defaultSettings);
    currentSettings.panVCount = static_cast<int32_t>(i + 1);
    saveCurrentProfile();
    char value[16];
    wsprintfA(value, "N%d", static_cast<int>(i));
    HKEY key;
    if (!names[i] && RegOpenKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, value);
      RegCloseKey(key);
    }
  }
  if (names.empty()) {  // a store that says it holds no profile
    HKEY key;
    RegCreateKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key);
    RegSetValueExA(key, "DataEnd", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
    RegCloseKey(key);
  }
  loadProfiles();
  currentProfile = current;
}

class Tray : public ::testing::Test {
 protected:
  void SetUp() override {
    copySettings(currentSettings, defaultSettings);
    gesture.panState = kPanOff;
    userLanguage = kLanguageJapanese;
  }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kProfileStoreKey); }
};
}  // namespace

TEST_F(Tray, LeftMenuItemsAndCheckMarks) {
  struct { int32_t pan; int32_t extScroll; } cases[] = {{0, 0}, {1, 1}, {2, 0}, {3, 2}};
  for (auto c : cases) {
    gesture.panState = c.pan;
    currentSettings.extScrollEnabled = c.extScroll;
    std::vector<Item> expected = {
        {IDM_STANDBY, "&S.スタンバイ", c.pan != 0, {}},
        {IDM_EXT_SCROLL, "&A.拡張ｽｸﾛｰﾙ", c.extScroll != 0, {}},
        separator(),
        {IDM_PROPERTIES, "ﾌﾟﾛﾊﾟﾃｨ(&P)", false, {}},
        separator(),
        {0, "ﾍﾙﾌﾟ(&W)", false,
         {{IDM_HELP_CONTENTS, "目次(&C)", false, {}},
          {IDM_HELP_SEARCH, "検索(&S)", false, {}},
          separator(),
          {IDM_ABOUT, "&About...", false, {}}}},
    };
    EXPECT_EQ(trayMenu(WM_LBUTTONDOWN), expected) << "panState " << c.pan;
  }
}

TEST_F(Tray, RightMenuWithZeroOneAndThreeProfiles) {
  struct { std::vector<const char*> names; int32_t current; std::vector<Item> profiles; } cases[] = {
      {{}, 0, {}},
      {{nullptr}, 0, {{IDM_FIRST_PROFILE, "サンプル設定", true, {}}}},
      {{"一番", "二番の設定", nullptr},
       1,
       {{IDM_FIRST_PROFILE, "一番", false, {}},
        {IDM_FIRST_PROFILE + 1, "二番の設定", true, {}},
        {IDM_FIRST_PROFILE + 2, "読み込み失敗Default設定", false, {}}}},
  };
  for (const auto& c : cases) {
    storeProfiles(c.names, c.current);
    currentSettings.dblClickMovesToStart = 1;
    currentSettings.delayedStart = 0;
    currentSettings.saveOnExit = 5;
    currentSettings.dblClickOpensStartMenu = 0;
    std::vector<Item> expected = {
        {IDM_SETTINGS, "設定(&S)", false, {}},
        separator(),
        {0, "おまけ(&A)", false,
         {{0, "&1.背景での左ﾀﾞﾌﾞﾙｸﾘｯｸで", false,
           {{IDM_MOVE_TO_START, "&A.ｽﾀｰﾄﾎﾞﾀﾝへ移動する。", true, {}},
            {IDM_OPEN_START_MENU, "&B.ｽﾀｰﾄﾒﾆｭｰを開く。", false, {}}}},
          {IDM_DELAYED_START, "&2.遅延起動する", false, {}},
          {IDM_SAVE_ON_EXIT, "&3.終了時に設定を記録する。", true, {}}}},
        separator(),
    };
    expected.insert(expected.end(), c.profiles.begin(), c.profiles.end());
    expected.push_back(separator());
    expected.push_back({IDM_EXIT, "終了(&X)", false, {}});
    EXPECT_EQ(trayMenu(WM_RBUTTONDOWN), expected) << c.names.size() << " profiles";
  }
}

TEST_F(Tray, AStoredCountBeyondTheListingLimitListsTheLimit) {
  storeProfiles({"a"}, 0);
  profileCount = 100000;
  std::vector<Item> items = trayMenu(WM_RBUTTONDOWN);
  EXPECT_EQ(items.size(), 4u + kMaxListedProfiles + 2u);
}

TEST_F(Tray, ToggleAndStandbyCommands) {
  typedef ProfileSettings P;
  struct { UINT id; SettingsField field; int32_t before; int32_t after; } toggles[] = {
      {IDM_EXT_SCROLL, &P::extScrollEnabled, 1, 0}, {IDM_EXT_SCROLL, &P::extScrollEnabled, 0, 1},
      {IDM_EXT_SCROLL, &P::extScrollEnabled, 2, 0},
      {IDM_MOVE_TO_START, &P::dblClickMovesToStart, 0, 1},
      {IDM_DELAYED_START, &P::delayedStart, 1, 0}, {IDM_SAVE_ON_EXIT, &P::saveOnExit, -4, 0},
      {IDM_OPEN_START_MENU, &P::dblClickOpensStartMenu, 0, 1},
  };
  for (auto t : toggles) {
    copySettings(currentSettings, defaultSettings);
    currentSettings.*t.field = t.before;
    EXPECT_TRUE(runCommand(t.id));
    for (int f = 0; f < kSettingsFieldCount; ++f) {
      const SettingsField field = kSettingsRows[f].field;
      int32_t expected = field == t.field ? t.after : (defaultSettings.*field).load();
      EXPECT_EQ(currentSettings.*field, expected) << "command " << t.id << ", field " << f;
    }
  }
  struct { int32_t before; int32_t after; } standby[] = {{0, 1}, {1, 0}, {2, 0}, {3, 0}};
  for (auto s : standby) {
    gesture.panState = s.before;
    EXPECT_TRUE(runCommand(IDM_STANDBY));
    EXPECT_EQ(gesture.panState, s.after) << s.before;
  }
}

TEST_F(Tray, ProfileCommandsReloadFromTheStore) {
  storeProfiles({"one", "two", "three"}, 0);
  ASSERT_TRUE(runCommand(IDM_FIRST_PROFILE + 2));
  EXPECT_EQ(currentProfile, 2);
  EXPECT_STREQ(profileName, "three");
  EXPECT_EQ(currentSettings.panVCount, 3);
  currentSettings.panVCount = 7;  // a change not stored is lost on reselecting
  ASSERT_TRUE(runCommand(IDM_FIRST_PROFILE + 2));
  EXPECT_EQ(currentSettings.panVCount, 3);
  for (UINT id : {UINT(IDM_FIRST_PROFILE + 3), UINT(182), UINT(0), UINT(999),
                  UINT(0xFFFF)})
    EXPECT_FALSE(runCommand(id)) << id;
  EXPECT_EQ(currentProfile, 2);
  profileCount = 0;
  EXPECT_FALSE(runCommand(IDM_FIRST_PROFILE));
  profileCount = -3;
  EXPECT_FALSE(runCommand(IDM_FIRST_PROFILE));
}

TEST_F(Tray, ExitCommandDisablesTheEngineAndDestroysTheMainWindow) {
  mainWindow = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  engineEnabled = 1;
  EXPECT_TRUE(runCommand(IDM_EXIT));
  EXPECT_EQ(engineEnabled, 0);
  EXPECT_FALSE(IsWindow(mainWindow));
  mainWindow = nullptr;
  engineEnabled = 1;
}

TEST_F(Tray, DoubleClickAndHelpSearchOpenThePageAtContentsAndIndex) {
  registerHelpProbe();
  onTrayCallback(WM_LBUTTONDBLCLK);
  EXPECT_EQ(nextHelpRequest(), "<bin>/Qor.html#contents");
  EXPECT_TRUE(runCommand(IDM_HELP_SEARCH));
  EXPECT_EQ(nextHelpRequest(), "<bin>/Qor.html#index");
  userLanguage = kLanguageEnglish;  // the English page, at the same anchors
  EXPECT_TRUE(runCommand(IDM_HELP_SEARCH));
  EXPECT_EQ(nextHelpRequest(), "<bin>/Qor.en.html#index");
}

namespace {
INT_PTR CALLBACK shownOnly(HWND, UINT, WPARAM, LPARAM) { return FALSE; }  // a template to read
}  // namespace

// Language 2: both menus, a profile without a name and the About box in English; Language 0:
// as the display language's.
TEST_F(Tray, MenusAndAboutBoxSpeakTheUsersLanguage) {
  storeProfiles({nullptr, nullptr}, 0);
  const char* english[] = {
      "&S. Standby|&A. Extended scroll|-|Mouse &properties|-|&Help<&Contents|&Search|-|&About...>",
      "&Settings|-|&Extras<&1. On a double-click on the desktop<&A. Move to the Start button|"
      "&B. Open the Start menu>|&2. Delayed start|&3. Save the settings at exit>|-|"
      "Default settings (loading failed)|Default settings (loading failed)|-|E&xit",
      "About Qor95|Qor 95  Version 1.0|For MS-WINDOWS 95|&OK"};
  auto texts = [](int i) {
    if (i < 2) return textsOf(trayMenu(i ? WM_RBUTTONDOWN : WM_LBUTTONDOWN));
    HWND box = CreateDialogIndirectParamW(nullptr, dialogTemplate(L"AboutBox"), nullptr, shownOnly, 0);
    std::string line = textOf(box);
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON && GetWindowTextLengthW(c) > 0)
        line += "|" + textOf(c);
    DestroyWindow(box);
    return line;
  };
  for (int i = 0; i < 3; ++i) {
    userLanguage = kLanguageEnglish;
    EXPECT_EQ(texts(i), english[i]);
    userLanguage = displayLanguage();
    const std::string spoken = texts(i);
    userLanguage = kLanguageAuto;
    EXPECT_EQ(texts(i), spoken);
  }
}
