// Decisions of the application shell that need no window: the command line and the choice
// of the settings dialog's size.
#pragma once
#include <cstdint>

// The hook timer period from the command-line tail: a decimal number, default 10, kept
// within 1..1000.
int32_t parseTimerPeriod(const char* commandTail);
// The dialogSize setting (0 small, 1 large, 2 automatic) as 0 or 1; automatic picks the
// large dialog on a desktop wider than 800 pixels, and any other value the small one.
int32_t chooseDialogSize(int32_t dialogSize);
