#include "app/commands.h"

#include "ui/about.h"
#include "rules/app_rules.h"
#include "ui/help.h"
#include "app/main_window.h"
#include "engine/gesture.h"
#include "engine/hook_protocol.h"
#include "app/hook_thread.h"
#include "resources/resource.h"
#include "ui/settings_dialog.h"
#include "settings/profile_store.h"
#include "ui/texts.h"

const SettingCommand kSettingCommands[5] = {
    {IDM_MOVE_TO_START, &ProfileSettings::dblClickMovesToStart},
    {IDM_DELAYED_START, &ProfileSettings::delayedStart},
    {IDM_SAVE_ON_EXIT, &ProfileSettings::saveOnExit},
    {IDM_OPEN_START_MENU, &ProfileSettings::dblClickOpensStartMenu},
    {IDM_EXT_SCROLL, &ProfileSettings::extScrollEnabled},
};

namespace {
void showAbout() { runAboutBox(mainWindow); }
void showHelpSearch() { showHelp(mainWindow, HELP_PARTIALKEY); }
void openMouseControlPanel() {
  ShellExecuteW(GetDesktopWindow(), L"open", L"CONTROL.EXE", L"Main.CPL", L"", SW_SHOWNORMAL);
}
// A pan under way (state 2 or 3) ends as well.
void toggleStandby() {
  changeEngineOutsideHookThread(
      [] { gesture.panState = gesture.panState == kPanOff ? kPanStandby : kPanOff; });
}
// Asked for again while a dialog of Qor's shows (a second start of Qor), that one comes to
// the front: one dialog at a time.
void openSettings() {
  if (settingsDialogOpen || aboutOpen) {
    SetForegroundWindow(GetLastActivePopup(mainWindow));
    return;
  }
  testMode = 0;
  dialogSizeInUse = chooseDialogSize(currentSettings.dialogSize);
  registerDialogControls();
  if (const DLGTEMPLATE* dialog = dialogTemplate(
          MAKEINTRESOURCEW(dialogSizeInUse ? IDD_SETTINGS_LARGE : IDD_SETTINGS_SMALL)))
    DialogBoxIndirectParamW(appInstance, dialog, mainWindow, settingsDialogProc, 0);
}
void exitProgram() {
  engineEnabled = 0;
  destroyMainWindow();
}

struct Command {
  UINT id;
  void (*run)();
};
const Command kCommands[] = {
    {IDM_ABOUT, showAbout},
    {IDM_HELP_CONTENTS, showHelpContents},
    {IDM_PROPERTIES, openMouseControlPanel},
    {IDM_STANDBY, toggleStandby},
    {IDM_SETTINGS, openSettings},
    {IDM_HELP_SEARCH, showHelpSearch},
    {IDM_EXIT, exitProgram},
};

// Profile i of the store becomes current, read anew even when it already is.
bool selectProfile(UINT id) {
  if (id < IDM_FIRST_PROFILE || id - IDM_FIRST_PROFILE >= static_cast<UINT>(profileCount) ||
      profileCount <= 0)
    return false;
  currentProfile = static_cast<int32_t>(id - IDM_FIRST_PROFILE);
  reloadCurrentProfile();
  return true;
}
}  // namespace

void showHelpContents() { showHelp(mainWindow, HELP_FINDER); }

bool runCommand(UINT id) {
  for (const Command& c : kCommands) {
    if (c.id == id) {
      c.run();
      return true;
    }
  }
  for (const SettingCommand& c : kSettingCommands) {
    if (c.id == id) {
      toggleSetting(currentSettings.*c.field);
      return true;
    }
  }
  return selectProfile(id);
}
