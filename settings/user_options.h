// The user's own options beside the profiles: the same whichever profile is current, and no
// part of any profile's stored record.
#pragma once
#include <cstdint>
#include "os/shared_word.h"

// Which button pans: the right (as always) or the middle one.
enum PanButton : int32_t { kPanButtonRight = 0, kPanButtonMiddle = 1 };
extern SharedInt32 userPanButton;  // a PanButton; the hook thread reads it

// Program file names ("notepad.exe", UTF-8) over whose windows Qor does nothing, as one block
// of names each ended by a NUL, the last followed by another. Set only under the engine's lock
// (changeEngine), since the hook thread reads them; each setting counts.
const char* leftAlonePrograms();
void setLeftAlonePrograms(const char* const* names, int count);
uint32_t leftAloneListChanges();
// Whether fileName (no path) is a listed program's, compared without case.
bool isLeftAloneProgram(const char* fileName);
