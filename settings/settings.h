// One profile's settings, the four instances the program holds, and the profile variables.
#pragma once
#include <cstddef>
#include <cstdint>
#include "os/shared_word.h"

enum { kSettingsFieldCount = 25, kSettingsBytes = 100, kProfileNameBytes = 256 };

// Field k lies at byte offset 4k when stored; the hook thread reads fields while the main
// thread writes them, so each is a shared word.
struct ProfileSettings {
  SharedInt32 dblClickMovesToStart;
  SharedInt32 delayedStart;
  SharedInt32 saveOnExit;
  SharedInt32 dblClickOpensStartMenu;
  SharedInt32 peerMode;
  SharedInt32 reserved5;
  SharedInt32 reserved6;
  SharedInt32 reserved7;
  SharedInt32 alwaysOnTop;
  SharedInt32 reserved9;
  SharedInt32 startDelaySeconds;
  SharedInt32 reserved11;
  SharedInt32 dialogSize;
  SharedInt32 panEnabled;
  SharedInt32 startInStandby;
  SharedInt32 extScrollEnabled;
  SharedInt32 reserved16;
  SharedInt32 reserved17;
  SharedInt32 extScrollHCount;
  SharedInt32 extScrollVCount;
  SharedInt32 extScrollSwapButtons;
  SharedInt32 panHCount;
  SharedInt32 panVCount;
  SharedInt32 panHResponse;
  SharedInt32 panVResponse;
};

typedef SharedInt32 ProfileSettings::*SettingsField;
// Every field once, in storage order: copying and the stored form go through this table.
extern const SettingsField kSettingsFields[kSettingsFieldCount];

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
