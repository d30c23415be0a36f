// The profile store against the real registry.
#include <gtest/gtest.h>

#include <cstring>
#include "os/os.h"
#include "resources/names.h"
#include "settings/profile_store.h"

namespace {

struct ReadBack {
  DWORD type = 0;
  DWORD size = 0;
  unsigned char data[512] = {};
};
ReadBack readBack(const char* name) {
  ReadBack r;
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key) != ERROR_SUCCESS) return r;
  r.size = sizeof r.data;
  if (RegQueryValueExA(key, name, nullptr, &r.type, r.data, &r.size) != ERROR_SUCCESS) r.size = 0;
  RegCloseKey(key);
  return r;
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
  for (auto c : cases) {
    ReadBack r = readBack(c.name);
    EXPECT_EQ(r.type, c.type) << c.name;
    EXPECT_EQ(r.size, c.size) << c.name;
  }
  EXPECT_STREQ(reinterpret_cast<char*>(readBack("DataEnd").data), "1");
  EXPECT_EQ(readBack("A0").data[22 * 4], 5);
  EXPECT_STREQ(reinterpret_cast<char*>(readBack("N0").data), "サンプル設定");
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
  EXPECT_EQ(readBack("A2").size, 100u);  // left behind as a copy of the new last profile
}
