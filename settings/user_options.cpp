#include "settings/user_options.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include "os/os.h"
#include "settings/profile_store.h"

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
const char kProgramProfilesValue[] = "ProgramProfiles";
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
char* withProfile = nullptr;  // entries name TAB title
char* storedWithProfile = nullptr;
char* editedPrograms = nullptr;  // the dialog's rows of both kinds
int32_t storedPanButton = kPanButtonRight;
int32_t storedClickPan = 1;
int32_t storedLanguage = kLanguageAuto;
uint32_t leftAloneChanges = 0;
uint32_t rulesChanges = 0;

// How each entry of withProfile found its profile, and that profile's settings when it is not
// the current one: read on the main thread, taken over under the engine's lock.
enum ProfileFound : int8_t { kProfileGone, kProfileIsCurrent, kProfileStored };
struct ProfilesFound {
  ProfileFound found[kMaxProgramProfiles];
  ProfileSettings settings[kMaxProgramProfiles];
};
ProfilesFound liveProfiles, incomingProfiles;

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

// A new block: names with the one at index at replaced by with, or dropped where with is null;
// with at -1, with is added at the end. Null when the heap has no room.
char* changedNames(const char* names, int at, const char* with) {
  const size_t bytes = namesBytes(names);
  const size_t withBytes = with ? std::strlen(with) + 1 : 0;
  char* block = static_cast<char*>(std::malloc(bytes + withBytes + 1));
  if (!block) return nullptr;
  char* end = block;
  auto put = [&end](const char* name) {
    const size_t n = std::strlen(name) + 1;
    std::memcpy(end, name, n);
    end += n;
  };
  int index = 0;
  for (const char* name = namesOf(names); *name; name += std::strlen(name) + 1, ++index) {
    if (index != at) put(name);
    else if (with) put(with);
  }
  if (at < 0 && with) put(with);
  *end = 0;
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
size_t characterCount(const char* text, size_t bytes) {
  size_t count = 0;
  for (; bytes > 0; ++text, --bytes) count += (static_cast<unsigned char>(*text) & 0xC0) != 0x80;
  return count;
}

// File names compare as the file system does for the letters A to Z; other letters exactly.
// a is its first length bytes.
bool sameFileName(const char* a, size_t length, const char* b) {
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  for (; length > 0 && *b; ++a, ++b, --length)
    if (fold(*a) != fold(*b)) return false;
  return length == 0 && *b == 0;
}

// A row's program name ends at its TAB; its title follows it (null for a program left alone).
const char* titleOf(const char* row) {
  const char* tab = std::strchr(row, '\t');
  return tab ? tab + 1 : nullptr;
}
bool namesRow(const char* row, const char* fileName) {
  const char* title = titleOf(row);
  return sameFileName(row, title ? size_t(title - 1 - row) : std::strlen(row), fileName);
}

// The index of the row that names fileName; -1 when none does.
int rowOf(const char* rows, const char* fileName) {
  int index = 0;
  for (const char* row = namesOf(rows); *row; row += std::strlen(row) + 1, ++index)
    if (namesRow(row, fileName)) return index;
  return -1;
}
bool listed(const char* names, const char* fileName) { return rowOf(names, fileName) >= 0; }

// The rows with a title (withTitle) or without one.
int rowCount(const char* rows, bool withTitle) {
  int count = 0;
  for (const char* row = namesOf(rows); *row; row += std::strlen(row) + 1)
    count += (titleOf(row) != nullptr) == withTitle;
  return count;
}
char* rowsOfKind(const char* rows, bool withTitle) {
  char* kept = changedNames(nullptr, -1, nullptr);
  for (const char* row = namesOf(rows); *row; row += std::strlen(row) + 1)
    if ((titleOf(row) != nullptr) == withTitle) replaceNames(kept, changedNames(kept, -1, row));
  return kept;
}

bool readDword(HKEY key, const char* name, DWORD* value) {
  DWORD type = 0, size = sizeof *value;
  return osRegQueryValue(key, name, value, &size, &type) && type == REG_DWORD &&
         size == sizeof *value;
}

// A program's name: not empty, and as long as a file name may be; a TAB ends it.
bool programName(const char* name, size_t bytes) {
  return bytes > 0 && characterCount(name, bytes) <= kMaxProgramNameChars;
}
bool nameOnly(const char* entry) { return programName(entry, std::strlen(entry)) && !titleOf(entry); }
bool profileEntry(const char* entry) {
  const char* title = titleOf(entry);
  return title && *title && programName(entry, size_t(title - 1 - entry));
}

// The stored entries that accepted takes, the first `most` of them; null for the empty list,
// or one that is not a list ended as REG_MULTI_SZ ends it; a copy of whenMissing (null: none)
// where none was ever written.
char* readList(HKEY key, const char* value, bool (*accepted)(const char*), int most,
               const char* whenMissing) {
  DWORD type = 0, size = kMaxStoredListBytes;
  char* data = static_cast<char*>(std::malloc(size));
  const bool read = data && osRegQueryValue(key, value, data, &size, &type);
  if (!read && type == 0) {  // a type is known even of a value too large to read
    std::free(data);
    return whenMissing ? changedNames(whenMissing, -1, nullptr) : nullptr;
  }
  const bool good = read && type == REG_MULTI_SZ && size > 0 && data[size - 1] == 0;
  char* names = nullptr;
  int kept = 0;
  for (size_t at = 0; good && at < size && data[at] && kept < most;
       at += std::strlen(data + at) + 1)
    if (accepted(data + at)) {
      replaceNames(names, changedNames(names, -1, data + at));
      ++kept;
    }
  std::free(data);
  return names;
}

// The programs' profiles without those of a program left alone or listed before.
char* unlistedProfiles(char* entries, const char* leftAloneNames) {
  char* kept = nullptr;
  for (const char* entry = namesOf(entries); *entry; entry += std::strlen(entry) + 1) {
    const std::string name(entry, size_t(titleOf(entry) - 1 - entry));
    if (!listed(leftAloneNames, name.c_str()) && !listed(kept, name.c_str()))
      replaceNames(kept, changedNames(kept, -1, entry));
  }
  std::free(entries);
  return kept;
}

bool writeList(HKEY key, const char* value, const char* names) {
  const size_t bytes = namesBytes(names);
  if (bytes == 0) return osRegSetValue(key, value, REG_MULTI_SZ, "\0", 2);
  return osRegSetValue(key, value, REG_MULTI_SZ, names, static_cast<DWORD>(bytes + 1));
}

// Where each entry's profile is: the first stored one of its title, read now unless it is the
// current one. One listing of the store for all entries; a title the store cannot write names
// no profile.
struct TitleSearch {
  char (*titles)[kProfileNameBytes];  // by entry, as the store writes them; "" for none
  int32_t* found;                     // by entry: the profile's index, -1 before it is found
  int count;
};
void findTitles(void* context, int32_t index, const char* name) {
  TitleSearch& search = *static_cast<TitleSearch*>(context);
  for (int i = 0; i < search.count; ++i)
    if (search.found[i] < 0 && *search.titles[i] && std::strcmp(name, search.titles[i]) == 0)
      search.found[i] = index;
}
void findProfiles(const char* entries, ProfilesFound& into) {
  const int count = nameCount(entries) < kMaxProgramProfiles ? nameCount(entries) : kMaxProgramProfiles;
  TitleSearch search = {static_cast<char(*)[kProfileNameBytes]>(std::calloc(count + 1, kProfileNameBytes)),
                        static_cast<int32_t*>(std::malloc((count + 1) * sizeof(int32_t))), count};
  if (!search.titles || !search.found) search.count = 0;  // no room: every profile is gone
  const char* entry = namesOf(entries);
  for (int i = 0; i < search.count; ++i, entry += std::strlen(entry) + 1) {
    search.found[i] = -1;
    if (!storableProfileName(titleOf(entry), search.titles[i])) search.titles[i][0] = 0;
  }
  if (search.count > 0) listProfileNames(findTitles, &search);
  for (int i = 0; i < kMaxProgramProfiles; ++i) {
    const int32_t index = i < search.count ? search.found[i] : -1;
    into.found[i] = index < 0                 ? kProfileGone
                    : index == currentProfile ? kProfileIsCurrent
                    : readStoredSettings(index, into.settings[i]) ? kProfileStored
                                                                  : kProfileGone;
  }
  std::free(search.titles);
  std::free(search.found);
}

// The lists and the buttons' options that come in with a change of the live options; the
// programs' profiles were found before (incomingProfiles).
const char* incomingNames = nullptr;
const char* incomingWithProfile = nullptr;
int32_t incomingPanButton = kPanButtonRight;
int32_t incomingClickPan = 1;
void takeIncoming() {
  userPanButton = incomingPanButton;
  userClickPan = incomingClickPan;
  setLeftAlonePrograms(incomingNames);
  if (!sameNames(incomingWithProfile, withProfile))
    replaceNames(withProfile, changedNames(incomingWithProfile, -1, nullptr));
  liveProfiles = incomingProfiles;
  ++rulesChanges;
}

void runChange(void (*change)()) {
  if (changeLiveOptions)
    changeLiveOptions(change);
  else
    change();
}

// The language is one word, which the hook thread's reports read whole: it needs no lock.
void makeLive(int32_t panButton, int32_t clickPan, int32_t language, const char* names,
              const char* entries) {
  userLanguage = language;
  if (panButton == userPanButton && clickPan == userClickPan && sameNames(names, leftAlone) &&
      sameNames(entries, withProfile))
    return;
  findProfiles(entries, incomingProfiles);
  incomingNames = names;
  incomingWithProfile = entries;
  incomingPanButton = panButton;
  incomingClickPan = clickPan;
  runChange(takeIncoming);
  incomingNames = incomingWithProfile = nullptr;
}

// The row for name: left alone without a title; false when name or title cannot be listed.
bool programRow(const char* name, const char* title, std::string* row) {
  if (!nameOnly(name) || (title && !*title)) return false;
  *row = title ? std::string(name) + '\t' + title : std::string(name);
  return true;
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
  ++rulesChanges;
}

uint32_t leftAloneListChanges() { return leftAloneChanges; }

bool isLeftAloneProgram(const char* fileName) { return listed(leftAlone, fileName); }

const char* programProfiles() { return namesOf(withProfile); }

const ProfileSettings& programSettings(const char* fileName) {
  const int row = rowOf(withProfile, fileName);
  return row >= 0 && row < kMaxProgramProfiles && liveProfiles.found[row] == kProfileStored
             ? liveProfiles.settings[row]
             : currentSettings;
}

uint32_t programRulesChanges() { return rulesChanges; }

void followProfiles() {
  findProfiles(withProfile, incomingProfiles);
  runChange([] {
    liveProfiles = incomingProfiles;
    ++rulesChanges;
  });
}

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
  std::free(storedWithProfile);
  storedLeftAlone = key ? readList(key, kLeaveAloneValue, nameOnly, kMaxLeftAloneNames, kDefaultLeftAlone)
                        : changedNames(kDefaultLeftAlone, -1, nullptr);
  storedWithProfile =
      key ? readList(key, kProgramProfilesValue, profileEntry, kMaxProgramProfiles, nullptr) : nullptr;
  storedWithProfile = unlistedProfiles(storedWithProfile, storedLeftAlone);
  if (key) osRegCloseKey(key);
  makeStoredOptionsLive();
}

const char* programEdits() { return namesOf(editedPrograms); }

int programEditIndex(const char* name) { return rowOf(editedPrograms, name); }

bool programEditsFull(bool withTitle) {
  return rowCount(editedPrograms, withTitle) >=
         (withTitle ? int(kMaxProgramProfiles) : int(kMaxLeftAloneNames));
}

bool addProgramEdit(const char* name, const char* title) {
  std::string row;
  if (!programRow(name, title, &row) || listed(editedPrograms, name) || programEditsFull(title != nullptr))
    return false;
  char* rows = changedNames(editedPrograms, -1, row.c_str());
  replaceNames(editedPrograms, rows);
  return rows != nullptr;
}

bool setProgramEditChoice(int index, const char* title) {
  int at = 0;
  const char* old = namesOf(editedPrograms);
  for (; *old && at < index; old += std::strlen(old) + 1) ++at;
  std::string row;
  if (index < 0 || !*old) return false;
  const std::string name(old, titleOf(old) ? size_t(titleOf(old) - 1 - old) : std::strlen(old));
  if (!programRow(name.c_str(), title, &row) ||
      ((titleOf(old) != nullptr) != (title != nullptr) && programEditsFull(title != nullptr)))
    return false;
  char* rows = changedNames(editedPrograms, index, row.c_str());
  replaceNames(editedPrograms, rows);
  return rows != nullptr;
}

void removeProgramEdit(int index) {
  if (index < 0 || index >= nameCount(editedPrograms)) return;
  replaceNames(editedPrograms, changedNames(editedPrograms, index, nullptr));
}

void takeLiveOptionsAsEdits() {
  editPanButton = userPanButton;
  editClickPan = userClickPan;
  editLanguage = userLanguage;
  replaceNames(editedPrograms, changedNames(leftAlone, -1, nullptr));
  for (const char* entry = programProfiles(); *entry; entry += std::strlen(entry) + 1)
    replaceNames(editedPrograms, changedNames(editedPrograms, -1, entry));
}

bool optionEditsDiffer() {
  char* edited[2] = {rowsOfKind(editedPrograms, false), rowsOfKind(editedPrograms, true)};
  const bool differ = editPanButton != storedPanButton || editClickPan != storedClickPan ||
                      editLanguage != storedLanguage ||
                      !sameNames(edited[0], storedLeftAlone) || !sameNames(edited[1], storedWithProfile);
  std::free(edited[0]);
  std::free(edited[1]);
  return differ;
}

void applyOptionEdits(bool store) {
  char* names = rowsOfKind(editedPrograms, false);
  char* entries = rowsOfKind(editedPrograms, true);
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
    if (!sameNames(names, storedLeftAlone) && writeList(key, kLeaveAloneValue, names))
      replaceNames(storedLeftAlone, changedNames(names, -1, nullptr));
    if (!sameNames(entries, storedWithProfile) && writeList(key, kProgramProfilesValue, entries))
      replaceNames(storedWithProfile, changedNames(entries, -1, nullptr));
    if (key) osRegCloseKey(key);
  }
  makeLive(editPanButton, editClickPan, editLanguage, names, entries);
  std::free(names);
  std::free(entries);
}

void makeStoredOptionsLive() {
  makeLive(storedPanButton, storedClickPan, storedLanguage, storedLeftAlone, storedWithProfile);
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
