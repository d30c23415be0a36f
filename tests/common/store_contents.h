// The profile store as the registry holds it: every value's type and bytes by name, empty
// while the key is missing. For the Windows tests that compare the store before and after.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>
#include "settings/profile_store.h"

using StoreContents = std::map<std::string, std::pair<DWORD, std::vector<unsigned char>>>;

inline StoreContents storeContents() {
  StoreContents contents;
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kProfileStoreKey, &key) != ERROR_SUCCESS) return contents;
  for (DWORD i = 0;; ++i) {
    char name[256];
    unsigned char data[1024];
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
      break;
    contents[name] = {type, std::vector<unsigned char>(data, data + dataSize)};
  }
  RegCloseKey(key);
  return contents;
}
