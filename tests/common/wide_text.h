// What the Windows tests read by the wide API, in code page 932 as their literals are.
#pragma once
#include <windows.h>
#include <string>

inline std::string in932(const wchar_t* text) {
  char bytes[1024] = {};
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text, -1, bytes, sizeof bytes, nullptr, nullptr);
  return bytes;
}
