#include "settings/settings.h"

const ProfileSettings defaultSettings = {
    0, 0, 1, 0, 0, 200, 15, 1, 1, 7, 5, 0, 2, 1, 1, 1, 1, 0, 1, 3, 0, 1, 2, 1, 1};
ProfileSettings currentSettings;
ProfileSettings savedSettings;
ProfileSettings editSettings;

char profileName[kProfileNameBytes];
int32_t currentProfile = 0;
int32_t profileCount = 1;

void copySettings(ProfileSettings& to, const ProfileSettings& from) {
  for (int k = 0; k < kSettingsFieldCount; ++k) to.field(k) = from.field(k).load();
}

void toggleSetting(SharedInt32& field) { field = field.load() == 0 ? 1 : 0; }

void settingsToBytes(const ProfileSettings& from, unsigned char (&bytes)[kSettingsBytes]) {
  for (int k = 0; k < kSettingsFieldCount; ++k) {
    uint32_t v = static_cast<uint32_t>(from.field(k).load());
    for (int b = 0; b < 4; ++b) bytes[4 * k + b] = static_cast<unsigned char>(v >> (8 * b));
  }
}

void settingsFromBytes(ProfileSettings& to, const unsigned char (&bytes)[kSettingsBytes]) {
  for (int k = 0; k < kSettingsFieldCount; ++k) {
    uint32_t v = 0;
    for (int b = 0; b < 4; ++b) v |= static_cast<uint32_t>(bytes[4 * k + b]) << (8 * b);
    to.field(k) = static_cast<int32_t>(v);
  }
}
