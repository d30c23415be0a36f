// The named profiles in the registry, under HKEY_CURRENT_USER kProfileStoreKey.
#pragma once
#include <cstdint>
#include "os/winapi.h"
#include "settings/settings.h"

inline constexpr char kProfileStoreKey[] = "software\\Tesk\\Qor";

// The store's text is code page 932, whatever the system's: names are kProfileNameBytes of it,
// as Qor has always stored them.
enum { kProfileCodePage = 932 };

// As many profiles as the menus list. A stored count is taken within 0 to this on load (a
// hostile one must not make menus or a delete run for ever), and no profile is added beyond it:
// it would be filed where no list shows it.
enum { kMaxListedProfiles = 256 };

// Called after every profile load; the main window sets it to setCaption.
extern void (*onProfileLoaded)();
// The names (UTF-8) of a profile whose own cannot be read: the only profile's, and one of
// several. The user interface gives them in the user's language.
extern const char* profileFallbackNames[2];

void loadProfiles();
// Whether the menus list as many profiles as they can: Add is refused then.
bool profileListFull();
void reloadCurrentProfile();
void saveCurrentProfile();
// Does nothing while no profile is stored (profileCount < 1) or the index is out of range.
void deleteCurrentProfile();

// Hands add each listed profile's index (0 up to profileCount or kMaxListedProfiles) and
// name (code page 932) in order, with context; a profile without a name, or a store that cannot be opened,
// gives the fallback name. The store is opened once for the whole listing.
void listProfileNames(void (*add)(void* context, int32_t index, const char* name), void* context);

// Profile index's stored settings into to; false, to unchanged, when they cannot be read.
bool readStoredSettings(int32_t index, ProfileSettings& to);

// text (UTF-8) in the stored names' form: code page 932, NUL-terminated, zeros after it. False,
// name unchanged, when a character has no form in code page 932 or it takes over 255 bytes.
bool storableProfileName(const char* text, char (&name)[kProfileNameBytes]);

// Leading white space, an optional sign, then digits up to the first non-digit, within
// length bytes; no digits give 0, and values beyond 32 bits saturate.
int32_t parseDecimal(const char* text, int length);
