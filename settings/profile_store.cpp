#include "settings/profile_store.h"

#include <cstdio>
#include <cstring>
#include "os/os.h"

void (*onProfileLoaded)() = nullptr;
const char* profileFallbackNames[2] = {"サンプル設定", "読み込み失敗Default設定"};

namespace {
enum { kNumberBytes = 10 };

struct ValueName {
  char text[16];
};
ValueName valueName(char prefix, int32_t index) {
  ValueName n;
  std::snprintf(n.text, sizeof n.text, "%c%d", prefix, static_cast<int>(index));
  return n;
}

HKEY openOrCreate() {
  HKEY key = osRegOpenKey(kProfileStoreKey);
  return key ? key : osRegCreateKey(kProfileStoreKey);
}

bool readNumber(HKEY key, const char* name, int32_t* value) {
  char text[kNumberBytes] = {};
  DWORD size = sizeof text;
  if (!osRegQueryValue(key, name, text, &size, nullptr, kProfileCodePage)) return false;
  *value = parseDecimal(text, static_cast<int>(size));
  return true;
}

void writeNumber(HKEY key, const char* name, int32_t value) {
  char text[16] = {};  // room for any 32-bit value; the stored form is the first 10 bytes
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  osRegSetValue(key, name, REG_SZ, text, kNumberBytes, kProfileCodePage);
}

void writeName(HKEY key, int32_t index, const char (&name)[kProfileNameBytes]) {
  osRegSetValue(key, valueName('N', index).text, REG_SZ, name, kProfileNameBytes, kProfileCodePage);
}

const char* fallbackName() { return profileFallbackNames[profileCount == 1 ? 0 : 1]; }

bool readRecord(HKEY key, int32_t index, unsigned char (&bytes)[kSettingsBytes]) {
  DWORD size = sizeof bytes;
  return osRegQueryValue(key, valueName('A', index).text, bytes, &size) && size == kSettingsBytes;
}

// A name of any stored length, terminated within the buffer.
bool readName(HKEY key, int32_t index, char (&name)[kProfileNameBytes]) {
  std::memset(name, 0, sizeof name);
  DWORD size = sizeof name;
  bool good = osRegQueryValue(key, valueName('N', index).text, name, &size, nullptr,
                              kProfileCodePage) && size > 0;
  name[kProfileNameBytes - 1] = 0;
  return good;
}

// Settings and name come from the store together or not at all.
void loadProfile(HKEY key, int32_t index) {
  unsigned char bytes[kSettingsBytes];
  char name[kProfileNameBytes];
  if (readRecord(key, index, bytes) && readName(key, index, name)) {
    settingsFromBytes(currentSettings, bytes);
    std::memcpy(profileName, name, sizeof name);
  } else {
    storableProfileName(fallbackName(), profileName);
    copySettings(currentSettings, defaultSettings);
  }
  if (onProfileLoaded) onProfileLoaded();
}

// A profile's listed name: its stored name, or the fallback name.
void profileDisplayName(HKEY store, int32_t index, char (&name)[kProfileNameBytes]) {
  if (!readName(store, index, name) || name[0] == 0) storableProfileName(fallbackName(), name);
}
}  // namespace

bool storableProfileName(const char* text, char (&name)[kProfileNameBytes]) {
  char written[kProfileNameBytes];
  if (!osToCodePage(kProfileCodePage, text, written, sizeof written)) return false;
  std::memset(name, 0, sizeof name);
  std::memcpy(name, written, std::strlen(written));
  return true;
}

int32_t parseDecimal(const char* text, int length) {
  int i = 0;
  while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) value = 2147483648LL;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

void loadProfiles() {
  HKEY key = openOrCreate();
  int32_t count = 1, index = 0;
  if (!readNumber(key, "DataEnd", &count)) count = 1;
  profileCount = count < 0 ? 0 : count > kMaxListedProfiles ? kMaxListedProfiles : count;
  if (!readNumber(key, "Data", &index)) index = 0;
  if (index >= profileCount) index = profileCount - 1;
  if (index < 0) index = 0;
  currentProfile = index;
  loadProfile(key, currentProfile);
  osRegCloseKey(key);
}

bool profileListFull() { return profileCount >= kMaxListedProfiles; }

void reloadCurrentProfile() {
  HKEY key = openOrCreate();
  loadProfile(key, currentProfile);
  osRegCloseKey(key);
}

void saveCurrentProfile() {
  HKEY key = openOrCreate();
  writeNumber(key, "DataEnd", profileCount);
  writeNumber(key, "Data", currentProfile);
  unsigned char bytes[kSettingsBytes];
  settingsToBytes(currentSettings, bytes);
  osRegSetValue(key, valueName('A', currentProfile).text, REG_BINARY, bytes, kSettingsBytes);
  writeName(key, currentProfile, profileName);
  osRegCloseKey(key);
}

void deleteCurrentProfile() {
  const int32_t c = currentProfile;
  if (profileCount < 1 || c < 0 || c >= profileCount) return;
  HKEY key = osRegOpenKey(kProfileStoreKey);
  osRegDeleteValue(key, valueName('N', c).text);
  osRegDeleteValue(key, valueName('A', c).text);
  const int32_t end = profileCount < kMaxListedProfiles ? profileCount : kMaxListedProfiles;
  for (int32_t i = c + 1; i < end; ++i) {
    unsigned char bytes[kSettingsBytes];
    char name[kProfileNameBytes];
    if (readRecord(key, i, bytes) && readName(key, i, name)) {
      osRegSetValue(key, valueName('A', i - 1).text, REG_BINARY, bytes, kSettingsBytes);
      writeName(key, i - 1, name);
    } else {
      // An unreadable profile moves down as unreadable: it keeps showing as the defaults
      // under the fallback name, and the profiles after it keep their order.
      osRegDeleteValue(key, valueName('A', i - 1).text);
      osRegDeleteValue(key, valueName('N', i - 1).text);
    }
  }
  profileCount = profileCount - 1;
  writeNumber(key, "DataEnd", profileCount);
  if (profileCount == currentProfile) currentProfile = profileCount - 1;
  writeNumber(key, "Data", currentProfile);
  osRegCloseKey(key);
}

bool readStoredSettings(int32_t index, ProfileSettings& to) {
  HKEY key = osRegOpenKey(kProfileStoreKey);
  unsigned char bytes[kSettingsBytes];
  const bool read = readRecord(key, index, bytes);
  if (read) settingsFromBytes(to, bytes);
  osRegCloseKey(key);
  return read;
}

void listProfileNames(void (*add)(void* context, int32_t index, const char* name), void* context) {
  HKEY store = osRegOpenKey(kProfileStoreKey);
  const int32_t count = profileCount < kMaxListedProfiles ? profileCount : kMaxListedProfiles;
  for (int32_t i = 0; i < count; ++i) {
    char name[kProfileNameBytes];
    profileDisplayName(store, i, name);
    add(context, i, name);
  }
  osRegCloseKey(store);
}
