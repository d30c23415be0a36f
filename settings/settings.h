// One profile's settings, the four instances the program holds, and the profile variables.
#pragma once
#include <cstddef>
#include <cstdint>
#include "os/shared_word.h"

enum { kSettingsFieldCount = 25, kSettingsBytes = 100, kProfileNameBytes = 256 };

// Every field once, in storage order: field k lies at byte offset 4k when stored. Each row
// gives the default and the values the controls offer. A stored value outside them is kept as
// stored: readers of a count, a response or the delay act on the nearest end of the range
// (settingInRange), readers of a flag test it against 0, and any dialogSize but 1 or 2 opens
// the small dialog. No reader interprets the fields that take any value.
#define QOR_SETTINGS_TABLE(ROW)                                  \
  /*  field                  default  lowest     highest */     \
  ROW(dblClickMovesToStart,   0,      0,         1)             \
  ROW(delayedStart,           0,      0,         1)             \
  ROW(saveOnExit,             1,      0,         1)             \
  ROW(dblClickOpensStartMenu, 0,      0,         1)             \
  ROW(peerMode,               0,      INT32_MIN, INT32_MAX)     \
  ROW(reserved5,              200,    INT32_MIN, INT32_MAX)     \
  ROW(reserved6,              15,     INT32_MIN, INT32_MAX)     \
  ROW(reserved7,              1,      INT32_MIN, INT32_MAX)     \
  ROW(alwaysOnTop,            1,      0,         1)             \
  ROW(reserved9,              7,      INT32_MIN, INT32_MAX)     \
  ROW(startDelaySeconds,      5,      0,         60)            \
  ROW(reserved11,             0,      INT32_MIN, INT32_MAX)     \
  ROW(dialogSize,             2,      0,         2)             \
  ROW(panEnabled,             1,      0,         1)             \
  ROW(startInStandby,         1,      0,         1)             \
  ROW(extScrollEnabled,       1,      0,         1)             \
  ROW(reserved16,             1,      INT32_MIN, INT32_MAX)     \
  ROW(reserved17,             0,      INT32_MIN, INT32_MAX)     \
  ROW(extScrollHCount,        1,      1,         7)             \
  ROW(extScrollVCount,        3,      1,         7)             \
  ROW(extScrollSwapButtons,   0,      0,         1)             \
  ROW(panHCount,              1,      1,         7)             \
  ROW(panVCount,              2,      1,         7)             \
  ROW(panHResponse,           1,      1,         5)             \
  ROW(panVResponse,           1,      1,         5)

// The hook thread reads fields while the main thread writes them, so each is a shared word.
struct ProfileSettings {
#define QOR_SETTINGS_FIELD(field, defaultValue, lowest, highest) SharedInt32 field;
  QOR_SETTINGS_TABLE(QOR_SETTINGS_FIELD)
#undef QOR_SETTINGS_FIELD
};

typedef SharedInt32 ProfileSettings::*SettingsField;
struct SettingsRow {
  SettingsField field;
  int32_t defaultValue, lowest, highest;
};
extern const SettingsRow kSettingsRows[kSettingsFieldCount];

static_assert(sizeof(ProfileSettings) == kSettingsBytes, "the stored record is 100 bytes");
static_assert(offsetof(ProfileSettings, peerMode) == 4 * 4, "field 4 at byte 16");
static_assert(offsetof(ProfileSettings, dialogSize) == 12 * 4, "field 12 at byte 48");
static_assert(offsetof(ProfileSettings, panVResponse) == 24 * 4, "field 24 at byte 96");

extern const ProfileSettings defaultSettings;
extern ProfileSettings currentSettings;  // the live settings every behaviour reads
extern ProfileSettings savedSettings;    // the settings dialog's reference copy
extern ProfileSettings editSettings;     // what the settings pages show and change

extern char profileName[kProfileNameBytes];
extern int32_t currentProfile;
extern int32_t profileCount;

const SettingsRow& settingsRowOf(SettingsField field);
// The value of field in settings as readers act on it: held within the field's range.
int32_t settingInRange(const ProfileSettings& settings, SettingsField field);
// Whole-record copy, field by field in storage order.
void copySettings(ProfileSettings& to, const ProfileSettings& from);
// Copies from into the live settings (the dialog's edits, test mode) and tells onSettingsApplied.
void applySettings(const ProfileSettings& from);
extern void (*onSettingsApplied)();  // the main window lets the engine follow; may be null
// A field that holds 0 becomes 1; any other value becomes 0.
void toggleSetting(SharedInt32& field);

// The stored form: field k as little-endian bytes 4k..4k+3.
void settingsToBytes(const ProfileSettings& from, unsigned char (&bytes)[kSettingsBytes]);
void settingsFromBytes(ProfileSettings& to, const unsigned char (&bytes)[kSettingsBytes]);
