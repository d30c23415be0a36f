#include "ui/texts.h"

#include "resources/resource.h"
#include "settings/profile_store.h"
#include "settings/user_options.h"

namespace {
const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The types are numbers: RT_STRING and the like, spelt narrow without UNICODE.
const void* resourceOf(LPCSTR type, const wchar_t* name, LANGID language) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceExW(module, reinterpret_cast<LPCWSTR>(type), name, language);
  return found ? LockResource(LoadResource(module, found)) : nullptr;
}

// A string table block holds 16 strings, each its length in characters and then the
// characters, with no terminating zero.
void loadString(UINT id, LANGID language, wchar_t* buffer, int size) {
  buffer[0] = 0;
  const WCHAR* at = static_cast<const WCHAR*>(
      resourceOf(RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), language));
  if (!at) return;
  for (UINT i = 0; i < (id & 15); ++i) at += 1 + *at;
  const int length = *at < size ? *at : size - 1;
  CopyMemory(buffer, at + 1, length * sizeof(wchar_t));
  buffer[length] = 0;
}

// The fallback names, in UTF-8 as the store takes them, in the language last used.
LANGID namesLanguage = 0;
char fallbackNames[2][kProfileNameBytes * 3];

void giveFallbackNames(LANGID language) {
  if (language == namesLanguage) return;
  namesLanguage = language;
  const UINT ids[2] = {IDS_SAMPLE_PROFILE, IDS_LOAD_FAILED_PROFILE};
  for (int i = 0; i < 2; ++i) {
    wchar_t name[kProfileNameBytes];
    loadString(ids[i], language, name, kProfileNameBytes);
    if (WideCharToMultiByte(CP_UTF8, 0, name, -1, fallbackNames[i], sizeof fallbackNames[i],
                            nullptr, nullptr) > 1)
      profileFallbackNames[i] = fallbackNames[i];
  }
}
}  // namespace

LANGID uiLanguage() {
  return spokenLanguage(userLanguage, GetUserDefaultUILanguage()) == kLanguageJapanese ? kJapanese
                                                                                       : kEnglish;
}

void useUserLanguage() { giveFallbackNames(uiLanguage()); }

Text text(UINT id) {
  Text t;
  loadString(id, uiLanguage(), t.s, ARRAYSIZE(t.s));
  return t;
}

HMENU loadMenuText(UINT id) {
  const void* menu = resourceOf(RT_MENU, MAKEINTRESOURCEW(id), uiLanguage());
  return menu ? LoadMenuIndirectW(menu) : nullptr;
}

const DLGTEMPLATE* dialogTemplate(const wchar_t* name) {
  return static_cast<const DLGTEMPLATE*>(resourceOf(RT_DIALOG, name, uiLanguage()));
}
