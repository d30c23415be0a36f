// The block of event slots that the hook library fills and Qor's hook thread reads.
#pragma once
#include "protocol/protocol.h"

// Creates the block before anything else starts, readable and writable by the user and SYSTEM
// and by nothing of lower integrity. A block left by an earlier Qor is taken over; false when
// the name is held by something else, which must not be trusted with the desktop's mouse events.
bool createEventSlots();
// Qor's view of the block; null before createEventSlots and after closeEventSlots.
EventSlots* eventSlotsView();
// Unmaps the block; its name goes with the last handle.
void closeEventSlots();
