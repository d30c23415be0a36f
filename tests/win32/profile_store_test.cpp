// The profile store against the real registry, run under a Japanese and a Western code page:
// the store's text is code page 932 whatever the system's, as the earlier Qor wrote it with
// the ANSI functions under code page 932.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include "os/os.h"
#include "resources/names.h"
#include "settings/profile_store.h"
#include "tests/common/fallback_names.h"
#include "tests/common/store_contents.h"

namespace {
// What the earlier Qor stored for one profile named "日本語の名前" (RegSetValueExA under code
// page 932): every byte of each value as UTF-16, the NUL and the zero filler included. The
// name's 12 bytes take 6 units and 244 zeros follow.
const wchar_t kEarlierOne[10] = L"1", kEarlierZero[10] = L"0";
const wchar_t kEarlierName[250] = L"日本語の名前";
const char kName932[] = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x96\xbc\x91\x4f";

void storeAsTheEarlierQor(const unsigned char (&record)[kSettingsBytes]) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key), ERROR_SUCCESS);
  auto text = [&](const wchar_t* name, const wchar_t* data, size_t units) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), units * 2);
  };
  text(L"DataEnd", kEarlierOne, 10);
  text(L"Data", kEarlierZero, 10);
  text(L"N0", kEarlierName, 250);
  RegSetValueExW(key, L"A0", 0, REG_BINARY, record, kSettingsBytes);
  RegCloseKey(key);
}

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
  EXPECT_STREQ(profileName, kSampleName932);
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key), ERROR_SUCCESS);
  DWORD values = 99;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  EXPECT_EQ(values, 0u);

  // Sizes as the registry holds them: a string's every byte of code page 932 as UTF-16.
  currentSettings.panVCount = 5;
  saveCurrentProfile();
  struct { const char* name; DWORD type; DWORD size; } cases[] = {
      {"DataEnd", REG_SZ, 20}, {"Data", REG_SZ, 20}, {"A0", REG_BINARY, 100}, {"N0", REG_SZ, 500}};
  StoreContents stored = storeContents();
  for (auto c : cases) {
    EXPECT_EQ(stored[c.name].first, c.type) << c.name;
    EXPECT_EQ(stored[c.name].second.size(), c.size) << c.name;
  }
  EXPECT_EQ(storedText(stored, "DataEnd"), L"1");
  EXPECT_EQ(stored["A0"].second.at(22 * 4), 5);
  EXPECT_EQ(storedText(stored, "N0"), L"サンプル設定");
}

// Both ways, whatever the system's code page: the earlier Qor's store reads back as it was
// written, and saving it again writes the very bytes the earlier Qor wrote.
TEST_F(RealProfileStore, TheEarlierQorsStoreReadsBackAndIsWrittenAsItWroteIt) {
  ProfileSettings s;
  copySettings(s, defaultSettings);
  s.reserved6 = 321;
  unsigned char record[kSettingsBytes];
  settingsToBytes(s, record);
  storeAsTheEarlierQor(record);
  const StoreContents earlier = storeContents();
  loadProfiles();
  char expected[kProfileNameBytes] = {};
  std::memcpy(expected, kName932, sizeof kName932 - 1);
  EXPECT_EQ(std::string(profileName, kProfileNameBytes), std::string(expected, kProfileNameBytes));
  EXPECT_EQ(currentSettings.reserved6, 321);
  saveCurrentProfile();
  EXPECT_EQ(storeContents(), earlier);

  // Under code page 932, the earlier Qor's own calls agree with the fixture.
  if (GetACP() != 932) return;
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key), ERROR_SUCCESS);
  char read[kProfileNameBytes] = {};
  DWORD size = sizeof read;
  EXPECT_EQ(RegQueryValueExA(key, "N0", nullptr, nullptr, reinterpret_cast<BYTE*>(read), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(read, size), std::string(expected, kProfileNameBytes));
  RegSetValueExA(key, "N0", 0, REG_SZ, reinterpret_cast<const BYTE*>(expected), kProfileNameBytes);
  RegCloseKey(key);
  EXPECT_EQ(storeContents(), earlier);
}

TEST_F(RealProfileStore, SwitchAndDeleteAgainstTheRealRegistry) {
  for (int i = 0; i < 3; ++i) {
    profileCount = 3;
    currentProfile = i;
    copySettings(currentSettings, defaultSettings);
    currentSettings.reserved6 = 100 + i;
    ASSERT_TRUE(storableProfileName(i == 1 ? "日本語の名前" : "P", profileName));
    saveCurrentProfile();
  }
  currentProfile = 1;
  reloadCurrentProfile();
  EXPECT_EQ(currentSettings.reserved6, 101);
  EXPECT_STREQ(profileName, kName932);
  deleteCurrentProfile();
  loadProfiles();
  EXPECT_EQ(profileCount, 2);
  EXPECT_EQ(currentProfile, 1);
  EXPECT_EQ(currentSettings.reserved6, 102);
  EXPECT_EQ(storeContents()["A2"].second.size(), 100u);  // a leftover copy of the new last profile
}
