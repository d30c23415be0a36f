#include "app/leftovers.h"

#include <windows.h>
#include <cstdio>
#include <cstring>

#include "resources/names.h"

void removeLeftovers() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* name = std::strrchr(path, '\\');
  if (length == 0 || length >= MAX_PATH || !name) return;
  ++name;
  const size_t room = MAX_PATH - static_cast<size_t>(name - path);
  if (std::snprintf(name, room, "%s", LIBRARY_ASIDE_PATTERN) >= static_cast<int>(room)) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // Still mapped somewhere: the delete fails and the file waits.
    if (std::snprintf(name, room, "%s", found.cFileName) < static_cast<int>(room))
      DeleteFileA(path);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
