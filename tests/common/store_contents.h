// The profile store as the registry holds it: every value's type and bytes by name, empty
// while the key is missing. For the Windows tests that compare the store before and after.
#pragma once
#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>
#include "resources/names.h"

using StoreContents = std::map<std::string, std::pair<DWORD, std::vector<unsigned char>>>;

// Read by the wide API, so that string values come as the registry holds them (UTF-16),
// whatever the system's code page.
inline StoreContents storeContents() {
  StoreContents contents;
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key) != ERROR_SUCCESS) return contents;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    unsigned char data[4096];
    DWORD nameSize = 256, dataSize = sizeof data, type = 0;
    if (RegEnumValueW(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
      break;
    contents[std::string(name, name + nameSize)] = {type, std::vector<unsigned char>(data, data + dataSize)};
  }
  RegCloseKey(key);
  return contents;
}

// A string value's text up to its first NUL; "<missing>" without the value.
inline std::wstring storedText(const StoreContents& store, const char* name) {
  auto value = store.find(name);
  if (value == store.end()) return L"<missing>";
  const std::vector<unsigned char>& data = value->second.second;
  std::wstring text(data.size() / sizeof(wchar_t), 0);
  std::memcpy(&text[0], data.data(), text.size() * sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}
