#include "ui/beside_program.h"

#include <cwchar>

bool besideProgram(const wchar_t* file, wchar_t (&path)[MAX_PATH]) {
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  wchar_t* name = wcsrchr(path, L'\\');
  if (length == 0 || length >= MAX_PATH || !name) return false;
  ++name;
  const size_t room = MAX_PATH - static_cast<size_t>(name - path);
  const size_t size = std::wcslen(file) + 1;
  if (size > room) return false;
  std::wmemcpy(name, file, size);
  return true;
}
