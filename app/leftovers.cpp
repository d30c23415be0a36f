#include "app/leftovers.h"

#include <windows.h>
#include <cwchar>

#include "resources/names.h"

// Wide throughout: the folder may have any name.
void removeLeftovers(const wchar_t* ownLibrary) {
  static const wchar_t kPattern[] = L"" HOOK_LIBRARY_PATTERN;
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  wchar_t* name = wcsrchr(path, L'\\');
  if (length == 0 || length >= MAX_PATH || !name) return;
  ++name;
  const size_t room = MAX_PATH - static_cast<size_t>(name - path);
  if (ARRAYSIZE(kPattern) > room) return;
  std::wmemcpy(name, kPattern, ARRAYSIZE(kPattern));
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(path, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // Still mapped somewhere: the delete fails and the file waits.
    if (std::wcslen(found.cFileName) < room &&
        CompareStringOrdinal(found.cFileName, -1, ownLibrary, -1, TRUE) != CSTR_EQUAL) {
      std::wmemcpy(name, found.cFileName, std::wcslen(found.cFileName) + 1);
      DeleteFileW(path);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}
