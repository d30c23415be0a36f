// Hostile registry contents for the profile store: any type, any size from 0 to 300 bytes,
// no terminating NUL, huge and negative numbers; then loads, switches, saves, deletes and
// listings in any order. Nothing may read or write out of bounds (the sanitizers watch), a
// bad profile must come up as the defaults under a fallback name, and only the store's own
// values may be written, each with its exact type and size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include "settings/profile_store.h"
#include "tests/fake/fakeos.h"
#include "tests/fuzz/fuzz_input.h"

namespace {
bool isDefault() {
  for (const SettingsRow& row : kSettingsRows)
    if (currentSettings.*row.field != defaultSettings.*row.field) return false;
  return true;
}

bool isFallbackName(const char* name) {
  return std::strcmp(name, "サンプル設定") == 0 || std::strcmp(name, "読み込み失敗Default設定") == 0;
}

// A text value's size as the store reads it back, in its code page (the registry keeps text as
// the system's UTF-16, and so in other sizes).
DWORD storedTextSize(const std::string& name) {
  HKEY key = osRegOpenKey(kProfileStoreKey);
  char text[4 * kProfileNameBytes];
  DWORD size = sizeof text;
  const bool read = osRegQueryValue(key, name.c_str(), text, &size, nullptr, kProfileCodePage);
  osRegCloseKey(key);
  return read ? size : 0;
}

// Values that changed must be the store's own, with their exact types and sizes.
void checkWrites(const std::map<std::string, FakeRegistryValue>& before, bool mayWrite) {
  for (auto& [name, value] : fake::registry[kProfileStoreKey]) {
    auto old = before.find(name);
    if (old != before.end() && old->second.type == value.type && old->second.data == value.data)
      continue;
    check(mayWrite);
    if (name == "DataEnd" || name == "Data") {
      check(value.type == REG_SZ && value.data.size() == 10);
    } else {
      check(name.size() > 1 && (name[0] == 'A' || name[0] == 'N'));
      int index = std::atoi(name.c_str() + 1);
      check(index >= 0 && std::to_string(index) == name.substr(1));
      check(name[0] == 'A' ? value.type == REG_BINARY && value.data.size() == 100
                           : value.type == REG_SZ && storedTextSize(name) == kProfileNameBytes);
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in = {data, size};
  fake::reset();
  fake::registry[kProfileStoreKey];
  const char* names[] = {"DataEnd", "Data", "A0", "N0", "A1", "N1", "A2", "N2", "A3", "N3"};
  for (const char* name : names) {
    if (!(in.byte() & 1)) continue;
    DWORD type = in.byte() % 5;
    size_t length = (in.byte() | in.byte() << 8) % 301;
    std::string bytes;
    for (size_t i = 0; i < length; ++i) bytes += static_cast<char>(in.byte());
    fake::setValue(kProfileStoreKey, name, type, bytes.data(), length);
  }
  profileCount = 1;
  currentProfile = 0;
  loadProfiles();
  for (int step = 0; step < 8 && in.size; ++step) {
    auto before = fake::registry[kProfileStoreKey];
    switch (in.byte() % 5) {
      case 0:
        loadProfiles();
        checkWrites(before, false);
        check(currentProfile >= 0 && (currentProfile < profileCount || currentProfile == 0));
        break;
      case 1:
        // Callers switch only to listed profiles.
        currentProfile = in.byte() % (profileCount > 0 && profileCount < 64 ? profileCount : 1);
        reloadCurrentProfile();
        checkWrites(before, false);
        break;
      case 2:
        saveCurrentProfile();
        checkWrites(before, true);
        break;
      case 3:
        deleteCurrentProfile();  // as the settings dialog does: a load follows
        checkWrites(before, true);
        check(profileCount >= 0 || before.count("DataEnd"));
        loadProfiles();
        break;
      case 4:
        listProfileNames([](void*, int32_t, const char* listed) {
          check(std::memchr(listed, 0, kProfileNameBytes) && listed[0] != 0);
        }, nullptr);
        checkWrites(before, false);
        break;
    }
    check(std::memchr(profileName, 0, sizeof profileName) != nullptr);
    if (isFallbackName(profileName) && !isDefault()) {
      // A stored profile may carry a fallback text as its name; then its record is stored too.
      check(fake::registry[kProfileStoreKey].count("A" + std::to_string(currentProfile)) == 1);
    }
  }
  return 0;
}
