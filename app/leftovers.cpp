#include "app/leftovers.h"

#include <windows.h>

#include "ui/beside_program.h"

void removeLeftovers(const wchar_t* ownLibrary) {
  wchar_t path[MAX_PATH];
  if (!besideProgram(L"" HOOK_LIBRARY_PATTERN, path)) return;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(path, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // Still mapped somewhere: the delete fails and the file waits.
    if (CompareStringOrdinal(found.cFileName, -1, ownLibrary, -1, TRUE) != CSTR_EQUAL &&
        besideProgram(found.cFileName, path))
      DeleteFileW(path);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}
