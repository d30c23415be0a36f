// What the Windows tests read by the wide API, in code page 932 as their literals are.
#pragma once
#include <windows.h>
#include <string>
#include "settings/user_options.h"

inline std::string in932(const wchar_t* text) {
  char bytes[1024] = {};
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text, -1, bytes, sizeof bytes, nullptr, nullptr);
  return bytes;
}

// What Language 0 speaks in this run: Wine takes the display language and the code page from
// the same locale (ja_JP: Japanese and 932; en_US: English and 1252).
inline int32_t displayLanguage() { return GetACP() == 932 ? kLanguageJapanese : kLanguageEnglish; }
