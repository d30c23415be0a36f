#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include "settings/profile_store.h"
#include "settings/user_options.h"
#include "tests/fake/fakeos.h"

using namespace std::string_literals;

namespace {
// サンプル設定 and 読み込み失敗Default設定 in code page 932, as the store writes names.
const char kSample[] = "\x83T\x83\x93\x83v\x83\x8b\x90\xdd\x92\xe8";
const char kLoadFailed[] = "\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x8e\xb8\x94sDefault\x90\xdd\x92\xe8";

std::map<std::string, FakeRegistryValue>& store() { return fake::registry[kProfileStoreKey]; }

void putNumber(const char* name, const char* text, size_t size = 10) {
  char buf[64] = {};
  std::strcpy(buf, text);
  fake::setValue(kProfileStoreKey, name, REG_SZ, buf, size);
}
// Profile i with a recognisable record (field 5 = marker) and name.
void putProfile(int i, int32_t marker, const char* name) {
  ProfileSettings s;
  copySettings(s, defaultSettings);
  s.reserved5 = marker;
  unsigned char bytes[kSettingsBytes];
  settingsToBytes(s, bytes);
  fake::setValue(kProfileStoreKey, "A" + std::to_string(i), REG_BINARY, bytes, sizeof bytes);
  char n[kProfileNameBytes] = {};
  std::strcpy(n, name);
  fake::setValue(kProfileStoreKey, "N" + std::to_string(i), REG_SZ, n, sizeof n);
}
int32_t markerAt(int i) {
  auto& v = store().at("A" + std::to_string(i)).data;
  unsigned char bytes[kSettingsBytes];
  std::memcpy(bytes, v.data(), kSettingsBytes);
  ProfileSettings s;
  settingsFromBytes(s, bytes);
  return s.reserved5;
}
std::string nameAt(int i) {
  return reinterpret_cast<const char*>(store().at("N" + std::to_string(i)).data.data());
}
std::string numberAt(const char* name) {
  auto& v = store().at(name);
  EXPECT_EQ(v.type, DWORD(REG_SZ));
  EXPECT_EQ(v.data.size(), 10u);
  return std::string(reinterpret_cast<const char*>(v.data.data()), strnlen((const char*)v.data.data(), 10));
}
// The names a listing hands out, checked to come in index order.
std::vector<std::string> listedNames() {
  std::vector<std::string> names;
  listProfileNames([](void* to, int32_t index, const char* name) {
    auto* list = static_cast<std::vector<std::string>*>(to);
    EXPECT_EQ(index, static_cast<int32_t>(list->size()));
    list->push_back(name);
  }, &names);
  return names;
}
bool isDefault(const ProfileSettings& s) {
  for (const SettingsRow& row : kSettingsRows)
    if (s.*row.field != defaultSettings.*row.field) return false;
  return true;
}

int captions;
class ProfileStore : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    for (const SettingsRow& row : kSettingsRows) currentSettings.*row.field = 0;
    profileCount = 1;
    currentProfile = 0;
    std::memset(profileName, 0, sizeof profileName);
    captions = 0;
    onProfileLoaded = [] { ++captions; };
  }
  void TearDown() override { onProfileLoaded = nullptr; }
};
}  // namespace

TEST_F(ProfileStore, EmptyRegistryGivesOneSampleProfileAndCreatesTheKeyOnly) {
  loadProfiles();
  EXPECT_EQ(profileCount, 1);
  EXPECT_EQ(currentProfile, 0);
  EXPECT_STREQ(profileName, kSample);
  EXPECT_TRUE(isDefault(currentSettings));
  EXPECT_EQ(fake::registry.count(kProfileStoreKey), 1u);
  EXPECT_TRUE(store().empty());
  EXPECT_EQ(captions, 1);
}

TEST_F(ProfileStore, CountAndIndexParsing) {
  struct Case {
    const char* dataEnd;  // null: value missing
    const char* data;
    int32_t count, index;
  } cases[] = {
      {"3", "7", 3, 2},          {"3", " -4", 3, 0},      {"abc", "2", 0, 0},
      {nullptr, "5", 1, 0},      {"4", nullptr, 4, 0},    {"  +2xyz", "1", 2, 1},
      {"\t12", "11", 12, 11},    {"-5", "0", 0, 0},       {"2147483647", "9", 256, 9},
      {"300", "299", 256, 255},  {"256", "255", 256, 255},
  };
  for (const Case& c : cases) {
    fake::reset();
    if (c.dataEnd) putNumber("DataEnd", c.dataEnd);
    if (c.data) putNumber("Data", c.data);
    loadProfiles();
    EXPECT_EQ(profileCount, c.count) << (c.dataEnd ? c.dataEnd : "-") << "/" << (c.data ? c.data : "-");
    EXPECT_EQ(currentProfile, c.index) << (c.dataEnd ? c.dataEnd : "-") << "/" << (c.data ? c.data : "-");
  }
}

TEST_F(ProfileStore, DecimalParsingStaysInsideTheBufferAndSaturates) {
  struct Case { const char* text; int length; int32_t value; } cases[] = {
      {"", 0, 0},           {"12345", 3, 123},         {" \n\v\f\r7", 6, 7},
      {"+-3", 3, 0},        {"99999999999", 11, INT32_MAX}, {"-99999999999", 12, INT32_MIN},
      {"-2147483648", 11, INT32_MIN}, {"0x10", 4, 0},
  };
  for (auto c : cases) EXPECT_EQ(parseDecimal(c.text, c.length), c.value) << c.text;
}

TEST_F(ProfileStore, ProfileIsTakenWholeOrReplacedByDefaultsUnderFallbackName) {
  struct Case {
    const char* name;
    int count;
    void (*arrange)();
    bool good;
    const char* expectedName;
  } cases[] = {
      {"good", 3, [] { putProfile(1, 42, "Work"); }, true, "Work"},
      {"A missing", 3, [] { char n[256] = "Work"; fake::setValue(kProfileStoreKey, "N1", REG_SZ, n, 256); }, false, kLoadFailed},
      {"A 96 bytes", 3, [] { putProfile(1, 42, "Work"); store()["A1"].data.resize(96); }, false, kLoadFailed},
      {"A 101 bytes", 3, [] { putProfile(1, 42, "Work"); store()["A1"].data.resize(101); }, false, kLoadFailed},
      {"N empty", 3, [] { putProfile(1, 42, "Work"); store()["N1"].data.clear(); }, false, kLoadFailed},
      {"N 257 bytes", 3, [] { putProfile(1, 42, "Work"); store()["N1"].data.resize(257, 'x'); }, false, kLoadFailed},
      {"N short, no NUL", 3, [] { putProfile(1, 42, "W"); store()["N1"].data.assign({'a', 'b', 'c'}); }, true, "abc"},
      {"count 1 fallback", 1, [] {}, false, kSample},
  };
  for (const Case& c : cases) {
    fake::reset();
    putNumber("DataEnd", std::to_string(c.count).c_str());
    putNumber("Data", c.count == 1 ? "0" : "1");
    c.arrange();
    loadProfiles();
    EXPECT_STREQ(profileName, c.expectedName) << c.name;
    EXPECT_EQ(isDefault(currentSettings), !c.good) << c.name;
    if (c.good) {
      EXPECT_EQ(currentSettings.reserved5, 42) << c.name;
    }
  }
}

TEST_F(ProfileStore, NameFillingAllBytesIsCutTo255) {
  putNumber("DataEnd", "1");
  putProfile(0, 1, "x");
  store()["N0"].data.assign(256, 'n');
  loadProfiles();
  EXPECT_EQ(std::strlen(profileName), 255u);
  EXPECT_EQ(listedNames().at(0).size(), 255u);
}

TEST_F(ProfileStore, SaveWritesOnlyItsFourValuesWithExactTypesAndSizes) {
  for (int i = 0; i < 5; ++i) putProfile(i, 100 + i, "P");
  putNumber("DataEnd", "5");
  putNumber("Data", "4");
  loadProfiles();
  auto before = store();
  currentSettings.reserved7 = 77;
  std::strcpy(profileName, "Renamed");
  saveCurrentProfile();
  EXPECT_EQ(numberAt("DataEnd"), "5");
  EXPECT_EQ(numberAt("Data"), "4");
  EXPECT_EQ(store().at("A4").type, DWORD(REG_BINARY));
  EXPECT_EQ(store().at("A4").data.size(), 100u);
  EXPECT_EQ(store().at("N4").data.size(), 256u);
  EXPECT_EQ(nameAt(4), "Renamed");
  EXPECT_EQ(markerAt(4), 104);  // reserved fields written back as loaded
  for (auto& [name, value] : before)
    if (name != "A4" && name != "N4" && name != "Data" && name != "DataEnd") {
      EXPECT_EQ(store().at(name).data, value.data) << name;
    }
  EXPECT_EQ(store().size(), before.size());
}

TEST_F(ProfileStore, DeleteRenumbers) {
  struct Case {
    int deleted;
    int count;
    std::vector<std::string> namesAfter;  // N0.. after, for indices below the new count
    int dataAfter;
    bool lastLeftBehind;
  } cases[] = {
      {1, 3, {"P0", "P2"}, 1, true},
      {2, 3, {"P0", "P1"}, 1, false},
      {0, 3, {"P1", "P2"}, 0, true},
      {0, 1, {}, -1, false},
  };
  for (const Case& c : cases) {
    fake::reset();
    for (int i = 0; i < c.count; ++i) putProfile(i, i, ("P" + std::to_string(i)).c_str());
    putNumber("DataEnd", std::to_string(c.count).c_str());
    profileCount = c.count;
    currentProfile = c.deleted;
    deleteCurrentProfile();
    EXPECT_EQ(profileCount, c.count - 1);
    EXPECT_EQ(currentProfile, c.dataAfter);
    EXPECT_EQ(numberAt("DataEnd"), std::to_string(c.count - 1));
    EXPECT_EQ(numberAt("Data"), std::to_string(c.dataAfter));
    for (size_t i = 0; i < c.namesAfter.size(); ++i) EXPECT_EQ(nameAt(int(i)), c.namesAfter[i]);
    std::string last = std::to_string(c.count - 1);
    EXPECT_EQ(store().count("A" + last) == 1, c.lastLeftBehind) << c.deleted << "/" << c.count;
  }
}

TEST_F(ProfileStore, DeleteOfTheOnlyProfileThenAnotherDeleteStaysConsistent) {
  putProfile(0, 5, "Only");
  putNumber("DataEnd", "1");
  putNumber("Data", "0");
  loadProfiles();
  deleteCurrentProfile();
  loadProfiles();
  EXPECT_EQ(profileCount, 0);
  EXPECT_EQ(currentProfile, 0);
  EXPECT_STREQ(profileName, kLoadFailed);
  EXPECT_TRUE(isDefault(currentSettings));
  auto before = store();
  deleteCurrentProfile();  // nothing stored: ignored, the count never goes negative
  EXPECT_EQ(profileCount, 0);
  EXPECT_EQ(currentProfile, 0);
  EXPECT_EQ(store().size(), before.size());
  saveCurrentProfile();
  EXPECT_EQ(numberAt("DataEnd"), "0");
  EXPECT_EQ(numberAt("Data"), "0");
  EXPECT_EQ(store().count("A0"), 1u);
  loadProfiles();  // a later start loads profile 0 although the count is 0
  EXPECT_STREQ(profileName, kLoadFailed);  // N0 holds what was saved: the fallback text
  EXPECT_EQ(currentSettings.reserved5, 200);
}

TEST_F(ProfileStore, DeleteMovesAnUnreadableProfileDownAsUnreadable) {
  for (int i = 0; i < 4; ++i) putProfile(i, i, ("P" + std::to_string(i)).c_str());
  store()["A2"].data.resize(50);
  putNumber("DataEnd", "4");
  profileCount = 4;
  currentProfile = 0;
  deleteCurrentProfile();
  EXPECT_EQ(nameAt(0), "P1");
  EXPECT_EQ(store().count("A1"), 0u);  // profile 2 could not be read: slot 1 shows the defaults
  EXPECT_EQ(store().count("N1"), 0u);
  EXPECT_EQ(nameAt(2), "P3");
  EXPECT_EQ(markerAt(2), 3);
  EXPECT_EQ(listedNames().at(1), kLoadFailed);
}

TEST_F(ProfileStore, HugeStoredCountIsBoundedWhenDeleting) {
  putProfile(0, 0, "P0");
  putProfile(1, 1, "P1");
  putNumber("DataEnd", "999999999");
  loadProfiles();
  deleteCurrentProfile();
  EXPECT_EQ(profileCount, kMaxListedProfiles - 1);
  EXPECT_EQ(nameAt(0), "P1");
  EXPECT_LE(store().size(), 2u + 2u + 2u);
}

TEST_F(ProfileStore, ListingUsesFallbackNamesForMissingOrEmptyNames) {
  putProfile(0, 0, "First");
  char empty[kProfileNameBytes] = {};
  fake::setValue(kProfileStoreKey, "N1", REG_SZ, empty, 0);
  profileCount = 3;
  EXPECT_EQ(listedNames(), (std::vector<std::string>{"First", kLoadFailed, kLoadFailed}));
  fake::registry.clear();
  profileCount = 1;
  EXPECT_EQ(listedNames(), std::vector<std::string>{kSample});  // store missing: no key at all
}

TEST_F(ProfileStore, ReservedFieldsSurviveLoadEditSave) {
  unsigned char bytes[kSettingsBytes];
  ProfileSettings s;
  copySettings(s, defaultSettings);
  s.reserved5 = -7; s.reserved6 = 1234; s.reserved11 = 5; s.reserved16 = 0; s.peerMode = 3;
  settingsToBytes(s, bytes);
  fake::setValue(kProfileStoreKey, "A0", REG_BINARY, bytes, 100);
  char n[256] = "R";
  fake::setValue(kProfileStoreKey, "N0", REG_SZ, n, 256);
  loadProfiles();
  currentSettings.panVCount = 7;
  saveCurrentProfile();
  ProfileSettings back;
  std::memcpy(bytes, store().at("A0").data.data(), 100);
  settingsFromBytes(back, bytes);
  EXPECT_EQ(back.reserved5, -7);
  EXPECT_EQ(back.reserved6, 1234);
  EXPECT_EQ(back.reserved11, 5);
  EXPECT_EQ(back.reserved16, 0);
  EXPECT_EQ(back.peerMode, 3);
  EXPECT_EQ(back.panVCount, 7);
}

// The user's options beside the profiles: what their type and size do not allow reads as right,
// the empty list and not welcomed, and stays in the store as it was; an entry of a program's
// profile without its TAB or title, or of a program left alone, is passed over.
TEST_F(ProfileStore, TheUsersOwnOptionsReadOnlyWhatTheirTypesAndSizesAllow) {
  const std::string nul(1, 0), tooLong = std::string(257, 'x') + ".exe";  // 261 characters
  std::string many, manyProfiles;
  for (int i = 0; i <= kMaxLeftAloneNames; ++i) many += "p" + std::to_string(i) + nul;
  for (int i = 0; i <= kMaxProgramProfiles; ++i) manyProfiles += "q" + std::to_string(i) + "\tT" + nul;
  // The button's value stands for the language's too. ClickPan: only a REG_DWORD 0 turns
  // click-pan off. A list never written (type 0 here) gives the remote desktops and virtual
  // machines; one written empty stays empty.
  struct { DWORD buttonType; std::string button; DWORD listType; std::string list, names;
           DWORD clickType = REG_DWORD; std::string click = "\1\0\0\0"s; int32_t clickPan = 1;
           const char* value = "LeaveAlone"; } rows[] = {
      {REG_DWORD, "\1\0\0\0"s, REG_MULTI_SZ, "a.exe\0B.exe\0\0"s, "2 a.exe B.exe", REG_DWORD, "\0\0\0\0"s, 0},
      {REG_DWORD, "\2\0\0\0"s, REG_SZ, "a.exe\0"s, "0", REG_SZ, "0\0"s, 1},
      {REG_DWORD, "\3\0\0\0"s, REG_SZ, "a.exe\0"s, "0"},
      {REG_DWORD, "\0\0\0\0"s, 0, "", "5 mstsc.exe VirtualBoxVM.exe", REG_BINARY, "\0\0\0\0"s, 1},
      {REG_DWORD, "\0\0\0\0"s, REG_MULTI_SZ, "\0\0"s, "0", REG_DWORD, "\2\0\0\0"s, 1},
      {REG_SZ, "1\0"s, REG_MULTI_SZ, "a.exe", "0"},  // not ended
      {REG_BINARY, "\1\0\0\0\0\0\0\0"s, REG_MULTI_SZ, tooLong + nul + "ok.exe" + nul + nul, "1 ok.exe ok.exe"},
      {REG_DWORD, "\1\0\0\0"s, REG_MULTI_SZ, many + nul, "256 p0 p255"},
      // A profile's entry without its TAB or title, of a program left alone (p3) or listed before.
      {REG_DWORD, "\1\0\0\0"s, REG_MULTI_SZ, "b.exe\0P3\tT\0c.exe\t\0a.exe\tT\0A.EXE\tU\0\0"s,
       "1 a.exe\tT a.exe\tT", REG_DWORD, "\1\0\0\0"s, 1, "ProgramProfiles"},
      {REG_DWORD, "\1\0\0\0"s, REG_SZ, "a.exe\tT\0"s, "0", REG_DWORD, "\1\0\0\0"s, 1, "ProgramProfiles"},
      {REG_DWORD, "\1\0\0\0"s, REG_MULTI_SZ, "a.exe\tT", "0", REG_DWORD, "\1\0\0\0"s, 1, "ProgramProfiles"},
      {REG_DWORD, "\1\0\0\0"s, REG_MULTI_SZ, manyProfiles + nul, "256 q0\tT q255\tT", REG_DWORD,
       "\1\0\0\0"s, 1, "ProgramProfiles"}};
  for (const auto& r : rows) {
    fake::setValue(kProfileStoreKey, "PanButton", r.buttonType, r.button.data(), r.button.size());
    fake::setValue(kProfileStoreKey, "Language", r.buttonType, r.button.data(), r.button.size());
    fake::setValue(kProfileStoreKey, "ClickPan", r.clickType, r.click.data(), r.click.size());
    if (r.listType) fake::setValue(kProfileStoreKey, r.value, r.listType, r.list.data(), r.list.size());
    else fake::registry[kProfileStoreKey].erase(r.value);
    loadUserOptions();
    EXPECT_EQ(userClickPan, r.clickPan) << r.clickType;
    EXPECT_EQ(userPanButton, r.buttonType == REG_DWORD && r.button[0] == 1 ? kPanButtonMiddle
                                                                           : kPanButtonRight);
    const bool aLanguage = r.buttonType == REG_DWORD && r.button[0] <= kLanguageEnglish;
    EXPECT_EQ(userLanguage, aLanguage ? r.button[0] : 0) << int(r.button[0]);
    EXPECT_EQ(store().at("Language").data.size(), r.button.size()) << "left in place";
    std::vector<std::string> listed;
    const char* names = r.value[0] == 'L' ? leftAlonePrograms() : programProfiles();
    for (const char* n = names; *n; n += std::strlen(n) + 1) listed.push_back(n);
    const std::string seen = std::to_string(listed.size()) +
                             (listed.empty() ? "" : " " + listed.front() + " " + listed.back());
    EXPECT_EQ(seen, r.names) << r.value;
    EXPECT_EQ(store().count(r.value) ? store().at(r.value).data.size() : 0, r.list.size())
        << "left in place";
  }
  // Welcomed once: only a REG_DWORD 1 counts, and the mark is one.
  EXPECT_FALSE(userWelcomed());
  fake::setValue(kProfileStoreKey, "Welcomed", REG_SZ, "1", 2);
  EXPECT_FALSE(userWelcomed());
  markUserWelcomed();
  EXPECT_TRUE(userWelcomed());
  fake::reset();
  loadUserOptions();
  setLeftAlonePrograms("");
}

// Language 0 speaks Japanese for a Japanese display language of any region, English for any
// other; 1 and 2 whatever the display language.
TEST(UserOptions, TheLanguageFollowsTheChoiceOrTheDisplayLanguage) {
  const struct { int32_t choice; uint16_t display; Language spoken; } rows[] = {
      {kLanguageAuto, 0x0411, kLanguageJapanese}, {kLanguageAuto, 0x0409, kLanguageEnglish},
      {kLanguageAuto, 0x0407, kLanguageEnglish},  {kLanguageAuto, 0x0011, kLanguageJapanese},
      {kLanguageAuto, 0x0000, kLanguageEnglish},  {kLanguageJapanese, 0x0409, kLanguageJapanese},
      {kLanguageEnglish, 0x0411, kLanguageEnglish}, {7, 0x0411, kLanguageJapanese}};
  for (const auto& r : rows)
    EXPECT_EQ(spokenLanguage(r.choice, r.display), r.spoken) << r.choice << " " << r.display;
}
