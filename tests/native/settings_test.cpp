#include <gtest/gtest.h>

#include "settings/settings.h"

TEST(Settings, DefaultsAreTheDocumentedValuesInFieldOrder) {
  const int32_t expected[kSettingsFieldCount] = {0, 0, 1, 0, 0, 200, 15, 1, 1, 7, 5, 0, 2,
                                                 1, 1, 1, 1, 0, 1, 3, 0, 1, 2, 1, 1};
  for (int k = 0; k < kSettingsFieldCount; ++k) EXPECT_EQ(defaultSettings.field(k), expected[k]) << k;
  // Named fields sit at their index.
  EXPECT_EQ(&defaultSettings.field(13), &defaultSettings.panEnabled);
  EXPECT_EQ(&defaultSettings.field(20), &defaultSettings.extScrollSwapButtons);
  EXPECT_EQ(defaultSettings.reserved5, 200);
  EXPECT_EQ(defaultSettings.reserved9, 7);
}

TEST(Settings, StoredFormIsLittleEndianFieldByField) {
  ProfileSettings s;
  for (int k = 0; k < kSettingsFieldCount; ++k) s.field(k) = k * 0x01010101 - 1;
  s.peerMode = -2;
  unsigned char bytes[kSettingsBytes];
  settingsToBytes(s, bytes);
  EXPECT_EQ(bytes[16], 0xFE);
  EXPECT_EQ(bytes[19], 0xFF);
  EXPECT_EQ(bytes[8], 0x01);   // field 2 = 0x02020201
  EXPECT_EQ(bytes[9], 0x02);
  ProfileSettings back;
  settingsFromBytes(back, bytes);
  for (int k = 0; k < kSettingsFieldCount; ++k) EXPECT_EQ(back.field(k), s.field(k)) << k;
}

TEST(Settings, CopyTakesEveryFieldAndToggleFlipsToZeroOrOne) {
  ProfileSettings a;
  copySettings(a, defaultSettings);
  a.reserved17 = 99;
  ProfileSettings b;
  copySettings(b, a);
  for (int k = 0; k < kSettingsFieldCount; ++k) EXPECT_EQ(b.field(k), a.field(k)) << k;

  struct { int32_t before, after; } cases[] = {{0, 1}, {1, 0}, {2, 0}, {-1, 0}};
  for (auto c : cases) {
    b.saveOnExit = c.before;
    toggleSetting(b.saveOnExit);
    EXPECT_EQ(b.saveOnExit, c.after) << c.before;
  }
}
