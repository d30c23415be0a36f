// What the user reads, from the resources of the language the user chose: every menu, dialog
// template and string comes in Japanese and in English under the same id, each tagged with its
// language, and is found by that language (FindResourceEx), never by the thread's.
#pragma once
#include <windows.h>

// The language of the resources to show now: Japanese or English, by the user's Language
// option and the display language.
LANGID uiLanguage();
// Gives the profiles' fallback names in that language; on the main thread, which alone lists
// and loads profiles, before it does.
void useUserLanguage();

// A string of the string table; texts are shorter than this.
struct Text {
  wchar_t s[512];
};
Text text(UINT id);

HMENU loadMenuText(UINT id);
// A dialog template by id (MAKEINTRESOURCEW) or name, for the ...Indirect dialog functions.
const DLGTEMPLATE* dialogTemplate(const wchar_t* name);
