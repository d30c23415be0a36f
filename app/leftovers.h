// What an upgrade left behind beside the program.
#pragma once

// Deletes the hook libraries an upgrade set aside (LIBRARY_ASIDE_PATTERN) that no process maps
// any more; the others wait for the next start.
void removeLeftovers();
