// The user's own options beside the profiles: the same whichever profile is current, and no
// part of any profile's stored record.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "os/shared_word.h"

// Which button pans: the right (as always) or the middle one.
enum PanButton : int32_t { kPanButtonRight = 0, kPanButtonMiddle = 1 };
extern SharedInt32 userPanButton;  // a PanButton; the hook thread reads it

// Program file names ("notepad.exe") over whose windows Qor does nothing. Set only under the
// engine's lock (changeEngine), since the hook thread reads them; each setting counts.
const std::vector<std::string>& leftAlonePrograms();
void setLeftAlonePrograms(const std::vector<std::string>& names);
uint32_t leftAloneListChanges();
// Whether fileName (no path) is a listed program's, compared without case.
bool isLeftAloneProgram(const char* fileName);
