// Decisions of the application shell that need no window: the single copy, the command
// line, the choice of the settings dialog's size and what an upgrade left behind.
#pragma once
#include <cstdint>
#include "resources/names.h"

// The first step of a start: false while a copy runs (it is neither disturbed nor told).
// Otherwise the user's own cursors come back before anything else, in case an earlier copy
// ended without restoring them (killed in the middle of a gesture).
bool startAsOnlyCopy();

// Deletes the hook libraries an upgrade set aside beside the program (LIBRARY_ASIDE_PATTERN)
// that no process maps any more; the others wait for the next start. In app/leftovers.cpp.
void removeLeftovers();

// The hook timer period from the command-line tail: a decimal number, default 10, kept
// within 1..1000.
int32_t parseTimerPeriod(const char* commandTail);
// The dialogSize setting (0 small, 1 large, 2 automatic) as 0 or 1; automatic picks the
// large dialog on a desktop wider than 800 pixels, and any other value the small one.
int32_t chooseDialogSize(int32_t dialogSize);
