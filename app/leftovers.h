// What earlier builds left behind beside the program.
#pragma once

// Deletes the hook libraries beside the program (HOOK_LIBRARY_PATTERN) but ownLibrary, this
// build's, that no process maps any more; the others wait for the next start.
void removeLeftovers(const wchar_t* ownLibrary);
