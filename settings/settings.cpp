#include "settings/settings.h"

const SettingsField kSettingsFields[kSettingsFieldCount] = {
    &ProfileSettings::dblClickMovesToStart, &ProfileSettings::delayedStart,
    &ProfileSettings::saveOnExit,           &ProfileSettings::dblClickOpensStartMenu,
    &ProfileSettings::peerMode,             &ProfileSettings::reserved5,
    &ProfileSettings::reserved6,            &ProfileSettings::reserved7,
    &ProfileSettings::alwaysOnTop,          &ProfileSettings::reserved9,
    &ProfileSettings::startDelaySeconds,    &ProfileSettings::reserved11,
    &ProfileSettings::dialogSize,           &ProfileSettings::panEnabled,
    &ProfileSettings::startInStandby,       &ProfileSettings::extScrollEnabled,
    &ProfileSettings::reserved16,           &ProfileSettings::reserved17,
    &ProfileSettings::extScrollHCount,      &ProfileSettings::extScrollVCount,
    &ProfileSettings::extScrollSwapButtons, &ProfileSettings::panHCount,
    &ProfileSettings::panVCount,            &ProfileSettings::panHResponse,
    &ProfileSettings::panVResponse,
};

namespace {
ProfileSettings namedDefaults() {
  ProfileSettings s;
  s.dblClickMovesToStart = 0;
  s.delayedStart = 0;
  s.saveOnExit = 1;
  s.dblClickOpensStartMenu = 0;
  s.peerMode = 0;
  s.reserved5 = 200;
  s.reserved6 = 15;
  s.reserved7 = 1;
  s.alwaysOnTop = 1;
  s.reserved9 = 7;
  s.startDelaySeconds = 5;
  s.reserved11 = 0;
  s.dialogSize = 2;
  s.panEnabled = 1;
  s.startInStandby = 1;
  s.extScrollEnabled = 1;
  s.reserved16 = 1;
  s.reserved17 = 0;
  s.extScrollHCount = 1;
  s.extScrollVCount = 3;
  s.extScrollSwapButtons = 0;
  s.panHCount = 1;
  s.panVCount = 2;
  s.panHResponse = 1;
  s.panVResponse = 1;
  return s;
}
}  // namespace

const ProfileSettings defaultSettings = namedDefaults();
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

void copySettings(ProfileSettings& to, const ProfileSettings& from) {
  for (SettingsField f : kSettingsFields) to.*f = (from.*f).load();
}

void toggleSetting(SharedInt32& field) { field = field.load() == 0 ? 1 : 0; }

void settingsToBytes(const ProfileSettings& from, unsigned char (&bytes)[kSettingsBytes]) {
  for (int k = 0; k < kSettingsFieldCount; ++k) {
    uint32_t v = static_cast<uint32_t>((from.*kSettingsFields[k]).load());
    for (int b = 0; b < 4; ++b) bytes[4 * k + b] = static_cast<unsigned char>(v >> (8 * b));
  }
}

void settingsFromBytes(ProfileSettings& to, const unsigned char (&bytes)[kSettingsBytes]) {
  for (int k = 0; k < kSettingsFieldCount; ++k) {
    uint32_t v = 0;
    for (int b = 0; b < 4; ++b) v |= static_cast<uint32_t>(bytes[4 * k + b]) << (8 * b);
    to.*kSettingsFields[k] = static_cast<int32_t>(v);
  }
}
