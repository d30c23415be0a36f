// Files that lie beside Qor.exe: the hook library, the help pages, what earlier builds left.
#pragma once
#include <windows.h>

// The full path of file in Qor.exe's folder; false when the program's own path is unknown or
// the result does not fit. Wide throughout: the folder may have any name.
bool besideProgram(const wchar_t* file, wchar_t (&path)[MAX_PATH]);
