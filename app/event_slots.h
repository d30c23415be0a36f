// The block of event slots that the hook library fills and Qor's hook thread reads.
#pragma once
#include "protocol/protocol.h"

// What a start finds under the block's name: nothing or an earlier Qor's block, now its own;
// the block of a copy that runs; or something else, which must not be trusted with the
// desktop's mouse events (another descriptor, another mark, pages left uncommitted).
enum SlotsStart { kSlotsMade, kSlotsOfRunningCopy, kSlotsRefused };
// Creates the block before anything else starts, readable and writable by the user and SYSTEM
// and by nothing of lower integrity; *runningCopy is the process of the copy that runs.
SlotsStart createEventSlots(DWORD* runningCopy);
// Qor's view of the block; null before createEventSlots and after closeEventSlots.
EventSlots* eventSlotsView();
// Unmaps the block; its name goes with the last handle.
void closeEventSlots();
