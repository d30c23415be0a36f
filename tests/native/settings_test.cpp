#include <gtest/gtest.h>

#include "settings/settings.h"

TEST(Settings, DefaultsAreTheDocumentedValuesInFieldOrder) {
  const int32_t expected[kSettingsFieldCount] = {0, 0, 1, 0, 0, 200, 15, 1, 1, 7, 5, 0, 2,
                                                 1, 1, 1, 1, 0, 1, 3, 0, 1, 2, 1, 1};
  for (int k = 0; k < kSettingsFieldCount; ++k)
    EXPECT_EQ(defaultSettings.*kSettingsRows[k].field, expected[k]) << k;
  // Named fields sit at their index, and the table follows the stored layout.
  EXPECT_TRUE(kSettingsRows[13].field == &ProfileSettings::panEnabled);
  EXPECT_TRUE(kSettingsRows[20].field == &ProfileSettings::extScrollSwapButtons);
  for (int k = 0; k < kSettingsFieldCount; ++k)
    EXPECT_EQ(reinterpret_cast<const char*>(&(defaultSettings.*kSettingsRows[k].field)) -
                  reinterpret_cast<const char*>(&defaultSettings), 4 * k) << k;
  EXPECT_EQ(defaultSettings.reserved5, 200);
  EXPECT_EQ(defaultSettings.reserved9, 7);
}

TEST(Settings, StoredFormIsLittleEndianFieldByField) {
  ProfileSettings s;
  for (int k = 0; k < kSettingsFieldCount; ++k) s.*kSettingsRows[k].field = k * 0x01010101 - 1;
  s.peerMode = -2;
  unsigned char bytes[kSettingsBytes];
  settingsToBytes(s, bytes);
  EXPECT_EQ(bytes[16], 0xFE);
  EXPECT_EQ(bytes[19], 0xFF);
  EXPECT_EQ(bytes[8], 0x01);   // field 2 = 0x02020201
  EXPECT_EQ(bytes[9], 0x02);
  ProfileSettings back;
  settingsFromBytes(back, bytes);
  for (const SettingsRow& row : kSettingsRows) EXPECT_EQ(back.*row.field, s.*row.field);
}

TEST(Settings, CopyTakesEveryFieldAndToggleFlipsToZeroOrOne) {
  ProfileSettings a;
  copySettings(a, defaultSettings);
  a.reserved17 = 99;
  ProfileSettings b;
  copySettings(b, a);
  for (const SettingsRow& row : kSettingsRows) EXPECT_EQ(b.*row.field, a.*row.field);

  struct { int32_t before, after; } cases[] = {{0, 1}, {1, 0}, {2, 0}, {-1, 0}};
  for (auto c : cases) {
    b.saveOnExit = c.before;
    toggleSetting(b.saveOnExit);
    EXPECT_EQ(b.saveOnExit, c.after) << c.before;
  }
}
