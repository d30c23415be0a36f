// The profile store against the real registry, in code page 932 and again in 1252.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <cstring>
#include "os/os.h"
#include "settings/profile_store.h"
#include "tests/common/store_contents.h"

namespace {
class RealProfileStore : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kProfileStoreKey);
    profileCount = 1;
    currentProfile = 0;
  }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kProfileStoreKey); }
};
}  // namespace

TEST_F(RealProfileStore, FirstRunCreatesAnEmptyKeyAndSaveWritesExactTypesAndSizes) {
  loadProfiles();
  EXPECT_STREQ(profileName, "サンプル設定");
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key), ERROR_SUCCESS);
  DWORD values = 99;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  EXPECT_EQ(values, 0u);

  currentSettings.panVCount = 5;
  saveCurrentProfile();
  struct { const char* name; DWORD type; DWORD size; } cases[] = {
      {"DataEnd", REG_SZ, 10}, {"Data", REG_SZ, 10}, {"A0", REG_BINARY, 100}, {"N0", REG_SZ, 256}};
  StoreContents stored = storeContents();
  for (auto c : cases) {
    EXPECT_EQ(stored[c.name].first, c.type) << c.name;
    EXPECT_EQ(stored[c.name].second.size(), c.size) << c.name;
  }
  EXPECT_STREQ(reinterpret_cast<const char*>(stored["DataEnd"].second.data()), "1");
  EXPECT_EQ(stored["A0"].second.at(22 * 4), 5);
  EXPECT_STREQ(reinterpret_cast<const char*>(stored["N0"].second.data()), "サンプル設定");
}

// The earlier Qor's store as RegSetValueExA wrote it under code page 932 (every byte as UTF-16:
// the name's 12 bytes as 6 units, then 244 zeros) reads back in any code page, and is saved again.
TEST_F(RealProfileStore, TheEarlierQorsStoreReadsBackAndIsWrittenAsItWroteIt) {
  const wchar_t one[10] = L"1", zero[10] = L"0", name[250] = L"日本語の名前";
  unsigned char record[kSettingsBytes];
  settingsToBytes(defaultSettings, record);
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key), ERROR_SUCCESS);
  for (auto [value, text] : {std::pair{L"DataEnd", one}, {L"Data", zero}, {L"N0", name}})
    RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), text == name ? 500 : 20);
  RegSetValueExW(key, L"A0", 0, REG_BINARY, record, sizeof record);
  const StoreContents earlier = storeContents();
  loadProfiles();
  EXPECT_STREQ(profileName, "日本語の名前");
  saveCurrentProfile();
  EXPECT_EQ(storeContents(), earlier);
  RegCloseKey(key);
}

TEST_F(RealProfileStore, SwitchAndDeleteAgainstTheRealRegistry) {
  for (int i = 0; i < 3; ++i) {
    profileCount = 3;
    currentProfile = i;
    copySettings(currentSettings, defaultSettings);
    currentSettings.reserved6 = 100 + i;
    std::memset(profileName, 0, sizeof profileName);
    std::strcpy(profileName, i == 1 ? "日本語の名前" : "P");
    saveCurrentProfile();
  }
  currentProfile = 1;
  reloadCurrentProfile();
  EXPECT_EQ(currentSettings.reserved6, 101);
  EXPECT_STREQ(profileName, "日本語の名前");
  deleteCurrentProfile();
  loadProfiles();
  EXPECT_EQ(profileCount, 2);
  EXPECT_EQ(currentProfile, 1);
  EXPECT_EQ(currentSettings.reserved6, 102);
  EXPECT_EQ(storeContents()["A2"].second.size(), 100u);  // a leftover copy of the new last profile
}

// The seam asks a value's size first: 64 MB where 256 bytes fit is refused unread (the peak
// working set, its bytes held here, does not grow).
TEST_F(RealProfileStore, TheSeamRefusesWhatCannotFitUnread) {
  const std::vector<BYTE> huge(64 << 20, 'x');
  HKEY key = osRegCreateKey(kProfileStoreKey);
  ASSERT_EQ(RegSetValueExA(key, "N0", 0, REG_BINARY, huge.data(), DWORD(huge.size())), ERROR_SUCCESS);
  PROCESS_MEMORY_COUNTERS before = {}, after = {};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  DWORD size = sizeof profileName;
  EXPECT_FALSE(osRegQueryValue(key, "N0", profileName, &size));
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  EXPECT_LT(after.PeakWorkingSetSize - before.PeakWorkingSetSize, SIZE_T(16) << 20);
  osRegCloseKey(key);
}
