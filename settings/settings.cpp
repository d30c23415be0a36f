#include "settings/settings.h"

const SettingsRow kSettingsRows[kSettingsFieldCount] = {
#define QOR_SETTINGS_ROW(field, defaultValue, lowest, highest) \
  {&ProfileSettings::field, defaultValue, lowest, highest},
    QOR_SETTINGS_TABLE(QOR_SETTINGS_ROW)
#undef QOR_SETTINGS_ROW
};

namespace {
ProfileSettings tableDefaults() {
  ProfileSettings s;
  for (const SettingsRow& row : kSettingsRows) s.*row.field = row.defaultValue;
  return s;
}
}  // namespace

const ProfileSettings defaultSettings = tableDefaults();
ProfileSettings currentSettings;
ProfileSettings savedSettings;
ProfileSettings editSettings;

char profileName[kProfileNameBytes];
int32_t currentProfile = 0;
int32_t profileCount = 1;

void (*onSettingsApplied)() = nullptr;

void applySettings(const ProfileSettings& from) {
  copySettings(currentSettings, from);
  if (onSettingsApplied) onSettingsApplied();
}

const SettingsRow& settingsRowOf(SettingsField field) {
  for (const SettingsRow& row : kSettingsRows)
    if (row.field == field) return row;
  return kSettingsRows[0];  // every field has its row
}

int32_t settingInRange(const ProfileSettings& settings, SettingsField field) {
  const SettingsRow& row = settingsRowOf(field);
  const int32_t value = settings.*field;
  return value < row.lowest ? row.lowest : value > row.highest ? row.highest : value;
}

void copySettings(ProfileSettings& to, const ProfileSettings& from) {
  for (const SettingsRow& row : kSettingsRows) to.*row.field = (from.*row.field).load();
}

void toggleSetting(SharedInt32& field) { field = field.load() == 0 ? 1 : 0; }

void settingsToBytes(const ProfileSettings& from, unsigned char (&bytes)[kSettingsBytes]) {
  for (int k = 0; k < kSettingsFieldCount; ++k) {
    uint32_t v = static_cast<uint32_t>((from.*kSettingsRows[k].field).load());
    for (int b = 0; b < 4; ++b) bytes[4 * k + b] = static_cast<unsigned char>(v >> (8 * b));
  }
}

void settingsFromBytes(ProfileSettings& to, const unsigned char (&bytes)[kSettingsBytes]) {
  for (int k = 0; k < kSettingsFieldCount; ++k) {
    uint32_t v = 0;
    for (int b = 0; b < 4; ++b) v |= static_cast<uint32_t>(bytes[4 * k + b]) << (8 * b);
    to.*kSettingsRows[k].field = static_cast<int32_t>(v);
  }
}
