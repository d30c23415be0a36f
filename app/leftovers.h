// What earlier builds left behind beside the program.
#pragma once

// The hook libraries of every build beside the program (Qordll-<version>.dll), and those that
// earlier installers left (Qordll.dll, set aside as Qordll.dll.N.old). One that other
// processes still map can be neither replaced nor deleted: it stays until a later start of
// Qor (after an uninstall, the next logon) finds it unmapped and deletes it.
#define HOOK_LIBRARY_PATTERN "Qordll*.dll*"

// Deletes the hook libraries beside the program (HOOK_LIBRARY_PATTERN) but ownLibrary, this
// build's, that no process maps any more; the others wait for the next start.
void removeLeftovers(const wchar_t* ownLibrary);
