#include "settings/user_options.h"

#include <cstdlib>
#include <cstring>
#include "os/os.h"
#include "resources/names.h"

SharedInt32 userPanButton = kPanButtonRight;
SharedInt32 userClickPan = 1;
void (*changeLiveOptions)(void (*change)()) = nullptr;
int32_t editPanButton = kPanButtonRight;
int32_t editClickPan = 1;
SharedInt32 userLanguage = kLanguageAuto;
int32_t editLanguage = kLanguageAuto;

namespace {
const char kPanButtonValue[] = "PanButton";
const char kClickPanValue[] = "ClickPan";
const char kLanguageValue[] = "Language";
const char kLeaveAloneValue[] = "LeaveAlone";
const char kWelcomedValue[] = "Welcomed";
// Remote desktops and virtual machines take the mouse for another computer: its right-clicks
// belong there.
const char kDefaultLeftAlone[] =
    "mstsc.exe\0vmconnect.exe\0vmware.exe\0vmware-vmx.exe\0VirtualBoxVM.exe\0";
// A stored list beyond this is not read: 256 names of 260 characters take far less.
enum { kMaxStoredListBytes = 1 << 20 };

// Each list is a block of the heap of its own size: a program's list is short. Null is the
// empty list.
char* leftAlone = nullptr;
char* storedLeftAlone = nullptr;
char* editedLeftAlone = nullptr;
int32_t storedPanButton = kPanButtonRight;
int32_t storedClickPan = 1;
int32_t storedLanguage = kLanguageAuto;
uint32_t leftAloneChanges = 0;

const char* namesOf(const char* block) { return block ? block : ""; }

// The block's bytes up to its last name's NUL (0 for the empty list).
size_t namesBytes(const char* block) {
  const char* end = namesOf(block);
  while (*end) end += std::strlen(end) + 1;
  return static_cast<size_t>(end - namesOf(block));
}

bool sameNames(const char* a, const char* b) {
  const size_t bytes = namesBytes(a);
  return bytes == namesBytes(b) && std::memcmp(namesOf(a), namesOf(b), bytes) == 0;
}

// A new block: names without the one at index drop, then added (when not null). Null when
// the heap has no room.
char* changedNames(const char* names, int drop, const char* added) {
  const size_t bytes = namesBytes(names);
  const size_t addedBytes = added ? std::strlen(added) + 1 : 0;
  char* block = static_cast<char*>(std::malloc(bytes + addedBytes + 1));
  if (!block) return nullptr;
  char* at = block;
  int index = 0;
  for (const char* name = namesOf(names); *name; name += std::strlen(name) + 1, ++index) {
    if (index == drop) continue;
    const size_t n = std::strlen(name) + 1;
    std::memcpy(at, name, n);
    at += n;
  }
  if (added) std::memcpy(at, added, addedBytes);
  at[addedBytes] = 0;
  return block;
}

void replaceNames(char*& block, char* with) {
  if (!with) return;  // the list stays as it was
  std::free(block);
  block = with;
}

int nameCount(const char* names) {
  int count = 0;
  for (const char* name = namesOf(names); *name; name += std::strlen(name) + 1) ++count;
  return count;
}

// Characters, not bytes: the bytes that begin one in UTF-8.
size_t characterCount(const char* text) {
  size_t count = 0;
  for (; *text; ++text) count += (static_cast<unsigned char>(*text) & 0xC0) != 0x80;
  return count;
}

// File names compare as the file system does for the letters A to Z; other letters exactly.
bool sameFileName(const char* a, const char* b) {
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  for (; *a && *b; ++a, ++b)
    if (fold(*a) != fold(*b)) return false;
  return *a == *b;
}

bool listed(const char* names, const char* fileName) {
  for (const char* name = namesOf(names); *name; name += std::strlen(name) + 1)
    if (sameFileName(name, fileName)) return true;
  return false;
}

bool readDword(HKEY key, const char* name, DWORD* value) {
  DWORD type = 0, size = sizeof *value;
  return osRegQueryValue(key, name, value, &size, &type) && type == REG_DWORD &&
         size == sizeof *value;
}

// The stored names, the first kMaxLeftAloneNames of kMaxProgramNameChars characters at most;
// null for the empty list, or one that is not a list ended as REG_MULTI_SZ ends it; the
// default list where none was ever written.
char* readLeftAlone(HKEY key) {
  DWORD type = 0, size = 0;
  char probe;
  osRegQueryValue(key, kLeaveAloneValue, &probe, &size, &type);
  if (type == 0 && size == 0) return changedNames(kDefaultLeftAlone, -1, nullptr);
  if (type != REG_MULTI_SZ || size == 0 || size > kMaxStoredListBytes) return nullptr;
  char* data = static_cast<char*>(std::malloc(size));
  DWORD read = size;
  const bool good = data && osRegQueryValue(key, kLeaveAloneValue, data, &read, &type) &&
                    type == REG_MULTI_SZ && read == size && data[size - 1] == 0;
  char* names = nullptr;
  int kept = 0;
  for (size_t at = 0; good && at < size && data[at] && kept < kMaxLeftAloneNames;
       at += std::strlen(data + at) + 1)
    if (characterCount(data + at) <= kMaxProgramNameChars) {
      replaceNames(names, changedNames(names, -1, data + at));
      ++kept;
    }
  std::free(data);
  return names;
}

bool writeLeftAlone(HKEY key, const char* names) {
  const size_t bytes = namesBytes(names);
  if (bytes == 0) return osRegSetValue(key, kLeaveAloneValue, REG_MULTI_SZ, "\0", 2);
  return osRegSetValue(key, kLeaveAloneValue, REG_MULTI_SZ, names, static_cast<DWORD>(bytes + 1));
}

// The list and the buttons' options that come in with a change of the live options.
const char* incomingNames = nullptr;
int32_t incomingPanButton = kPanButtonRight;
int32_t incomingClickPan = 1;
void takeIncoming() {
  userPanButton = incomingPanButton;
  userClickPan = incomingClickPan;
  setLeftAlonePrograms(incomingNames);
}

// The language is one word, which the hook thread's reports read whole: it needs no lock.
void makeLive(int32_t panButton, int32_t clickPan, int32_t language, const char* names) {
  userLanguage = language;
  if (panButton == userPanButton && clickPan == userClickPan && sameNames(names, leftAlone))
    return;
  incomingNames = names;
  incomingPanButton = panButton;
  incomingClickPan = clickPan;
  if (changeLiveOptions)
    changeLiveOptions(takeIncoming);
  else
    takeIncoming();
  incomingNames = nullptr;
}

HKEY openStore() {
  HKEY key = osRegOpenKey(kProfileStoreKey);
  return key ? key : osRegCreateKey(kProfileStoreKey);
}
}  // namespace

const char* leftAlonePrograms() { return namesOf(leftAlone); }

void setLeftAlonePrograms(const char* names) {
  if (sameNames(names, leftAlone)) return;
  replaceNames(leftAlone, changedNames(names, -1, nullptr));
  ++leftAloneChanges;
}

uint32_t leftAloneListChanges() { return leftAloneChanges; }

bool isLeftAloneProgram(const char* fileName) { return listed(leftAlone, fileName); }

Language spokenLanguage(int32_t language, uint16_t displayLanguage) {
  enum { kPrimaryLanguageMask = 0x3FF, kJapanesePrimary = 0x11 };
  if (language == kLanguageJapanese || language == kLanguageEnglish) return Language(language);
  return (displayLanguage & kPrimaryLanguageMask) == kJapanesePrimary ? kLanguageJapanese
                                                                      : kLanguageEnglish;
}

void loadUserOptions() {
  HKEY key = osRegOpenKey(kProfileStoreKey);
  DWORD button = kPanButtonRight;
  storedPanButton = key && readDword(key, kPanButtonValue, &button) && button == kPanButtonMiddle
                        ? kPanButtonMiddle
                        : kPanButtonRight;
  DWORD clickPan = 1;
  storedClickPan = key && readDword(key, kClickPanValue, &clickPan) && clickPan == 0 ? 0 : 1;
  DWORD language = kLanguageAuto;
  storedLanguage = key && readDword(key, kLanguageValue, &language) && language <= kLanguageEnglish
                       ? static_cast<int32_t>(language)
                       : kLanguageAuto;
  std::free(storedLeftAlone);
  storedLeftAlone = key ? readLeftAlone(key) : changedNames(kDefaultLeftAlone, -1, nullptr);
  if (key) osRegCloseKey(key);
  makeStoredOptionsLive();
}

const char* leftAloneEdits() { return namesOf(editedLeftAlone); }

bool addLeftAloneEdit(const char* name) {
  if (!*name || characterCount(name) > kMaxProgramNameChars || listed(editedLeftAlone, name) ||
      nameCount(editedLeftAlone) >= kMaxLeftAloneNames)
    return false;
  char* names = changedNames(editedLeftAlone, -1, name);
  replaceNames(editedLeftAlone, names);
  return names != nullptr;
}

void removeLeftAloneEdit(int index) {
  if (index < 0 || index >= nameCount(editedLeftAlone)) return;
  replaceNames(editedLeftAlone, changedNames(editedLeftAlone, index, nullptr));
}

void takeLiveOptionsAsEdits() {
  editPanButton = userPanButton;
  editClickPan = userClickPan;
  editLanguage = userLanguage;
  replaceNames(editedLeftAlone, changedNames(leftAlone, -1, nullptr));
}

bool optionEditsDiffer() {
  return editPanButton != storedPanButton || editClickPan != storedClickPan ||
         editLanguage != storedLanguage ||
         !sameNames(editedLeftAlone, storedLeftAlone);
}

void applyOptionEdits(bool store) {
  if (store && optionEditsDiffer()) {
    HKEY key = openStore();
    DWORD button = editPanButton == kPanButtonMiddle ? kPanButtonMiddle : kPanButtonRight;
    if (editPanButton != storedPanButton &&
        osRegSetValue(key, kPanButtonValue, REG_DWORD, &button, sizeof button))
      storedPanButton = static_cast<int32_t>(button);
    const DWORD clickPan = editClickPan == 0 ? 0 : 1;
    if (editClickPan != storedClickPan &&
        osRegSetValue(key, kClickPanValue, REG_DWORD, &clickPan, sizeof clickPan))
      storedClickPan = static_cast<int32_t>(clickPan);
    const DWORD language = static_cast<DWORD>(editLanguage);
    if (editLanguage != storedLanguage &&
        osRegSetValue(key, kLanguageValue, REG_DWORD, &language, sizeof language))
      storedLanguage = editLanguage;
    if (!sameNames(editedLeftAlone, storedLeftAlone) && writeLeftAlone(key, editedLeftAlone))
      replaceNames(storedLeftAlone, changedNames(editedLeftAlone, -1, nullptr));
    if (key) osRegCloseKey(key);
  }
  makeLive(editPanButton, editClickPan, editLanguage, editedLeftAlone);
}

void makeStoredOptionsLive() {
  makeLive(storedPanButton, storedClickPan, storedLanguage, storedLeftAlone);
}

bool userWelcomed() {
  HKEY key = osRegOpenKey(kProfileStoreKey);
  DWORD welcomed = 0;
  const bool seen = key && readDword(key, kWelcomedValue, &welcomed) && welcomed == 1;
  if (key) osRegCloseKey(key);
  return seen;
}

void markUserWelcomed() {
  HKEY key = openStore();
  const DWORD welcomed = 1;
  osRegSetValue(key, kWelcomedValue, REG_DWORD, &welcomed, sizeof welcomed);
  if (key) osRegCloseKey(key);
}
