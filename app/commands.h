// The command table of the main window: tray menu items and the profile items.
#pragma once
#include <windows.h>
#include "settings/settings.h"

// A menu command that flips one field of currentSettings; the tray menus show the field
// as the item's check mark.
struct SettingCommand {
  UINT id;
  SettingsField field;
};
extern const SettingCommand kSettingCommands[5];

// Carries out command id; false for an id that is not in the table.
bool runCommand(UINT id);
// Opens the help file's contents, as the tray icon's double-click does too.
void showHelpContents();
