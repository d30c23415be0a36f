// The user's own options beside the profiles: the same whichever profile is current, and no
// part of any profile's stored record. Stored per user under kProfileStoreKey.
#pragma once
#include <cstdint>
#include "os/shared_word.h"
#include "settings/settings.h"

// Which button pans: the right (as always) or the middle one.
enum PanButton : int32_t { kPanButtonRight = 0, kPanButtonMiddle = 1 };
extern SharedInt32 userPanButton;  // a PanButton; the hook thread reads it

// Whether a right-click (a click of the pan button) starts a pan, as it always did; with 0 only
// a drag pans and a click reaches the window under the pointer.
extern SharedInt32 userClickPan;  // 1 or 0; the hook thread reads it

// Program file names ("notepad.exe", UTF-8) over whose windows Qor does nothing, as one block
// of names each ended by a NUL, the last followed by another: at most this many names of at
// most this many characters.
enum { kMaxLeftAloneNames = 256, kMaxProgramNameChars = 260 };
const char* leftAlonePrograms();
// Takes a copy of the block names. Only under the engine's lock (changeEngine), since the hook
// thread reads the list; each change of it counts.
void setLeftAlonePrograms(const char* names);
uint32_t leftAloneListChanges();
// Whether fileName (no path) is a listed program's, compared without case.
bool isLeftAloneProgram(const char* fileName);

// Programs whose gestures run with a profile of their own: a block as above of entries
// "name.exe" TAB profile title, at most this many.
enum { kMaxProgramProfiles = 256 };
const char* programProfiles();
// The settings a gesture over fileName's windows runs with: its profile's, or the current
// profile's for a program without one or whose profile is gone (deleted, renamed).
const ProfileSettings& programSettings(const char* fileName);
// Counts every change of what the two functions above and isLeftAloneProgram answer.
uint32_t programRulesChanges();
// The store's profiles changed (loaded, saved, deleted, another made current): the programs'
// profiles are read anew. Main thread.
void followProfiles();

// Runs a change of the live options; Qor makes it one under the engine's lock. Null: at once.
extern void (*changeLiveOptions)(void (*change)());

// The live options from the store: "PanButton" a REG_DWORD, 0 right and 1 middle; "ClickPan" a
// REG_DWORD, 0 off; "LeaveAlone" and "ProgramProfiles" REG_MULTI_SZ. A value of another type or
// size, or not ended as its type says, gives right, click-pan and the empty list, and stays in
// the store as it is; an entry of "ProgramProfiles" without its TAB, or of a program listed
// before (left alone first), is passed over. A "LeaveAlone" never written gives the programs
// that take the mouse for another computer.
void loadUserOptions();

// The settings dialog's working copies, as editSettings is the profile's. The programs are one
// list of rows: "name.exe" for a program left alone, "name.exe" TAB title for one with a profile.
extern int32_t editPanButton;
extern int32_t editClickPan;
const char* programEdits();
int programEditIndex(const char* name);  // the row of name (without case); -1 when not listed
// A row for name (UTF-8) at the end, left alone when title is null; false when name is empty,
// longer than a program name may be, listed already, or its kind of row is full.
bool addProgramEdit(const char* name, const char* title);
// Whether the rows left alone (withProfile false) or those with a profile are as many as may be.
bool programEditsFull(bool withProfile);
// Row index left alone (title null) or given the profile title, in its place; false when that
// kind of row is full.
bool setProgramEditChoice(int index, const char* title);
void removeProgramEdit(int index);  // an index outside the list changes nothing
void takeLiveOptionsAsEdits();
bool optionEditsDiffer();  // from the options as stored
// The edits become live; with store, they are written first, each value only when it differs
// from what the store gave (a value Qor could not read stays until the user changes it).
void applyOptionEdits(bool store);
// The options as stored become live again: the dialog's Cancel, and the end of a test.
void makeStoredOptionsLive();

// Whether the user has seen Qor's welcome ("Welcomed" a REG_DWORD 1), and the note that they have.
bool userWelcomed();
void markUserWelcomed();
