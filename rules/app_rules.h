// Decisions of the application shell that need no window: the integrity Qor may run at, the
// single copy, the command line, the choice of the settings dialog's size and the event-slot
// block's security; and the names a running copy's main window is found and addressed by (a
// second start, the installer and the tests use them).
#pragma once
#include <cstdint>
#include "os/winapi.h"

// The hidden main window's class: a window of it means a copy of Qor runs.
#define MAIN_WINDOW_CLASS "QorWClass"
// The main window's property that holds, as a handle of Qor's process, the event a process
// that may duplicate Qor's handles sets before it sends WM_CLOSE: only then does Qor end.
#define END_REQUEST_PROPERTY "QorEndRequest"

// What a second start of Qor posts the running copy, wParam and lParam 0: show the settings
// dialog, or bring it to the front. WM_APP + 101, spelt out for the native build.
enum { openSettingsMessage = 0x8000 + 101 };

// Whether Qor runs at a higher integrity than the user's shell (without a shell: than medium).
// So started it must not run: its hooks would reach the elevated applications, whose events
// the processes of the user's own level can write into the block and send to its windows.
bool runsAboveTheShell();

// The first step of a start, once the block of event slots has named the process of a copy
// that runs (0: none): false while one runs, which is asked to show its settings dialog (the
// user started Qor to reach it) only when it runs the Qor.exe this start runs, at this
// integrity, and is otherwise undisturbed. Otherwise the user's own cursors come back before
// anything else, in case an earlier copy ended without restoring them (killed mid-gesture).
bool startAsOnlyCopy(DWORD runningCopy);

// The hook timer period from the command-line tail: a decimal number, default 10, kept
// within 1..1000.
int32_t parseTimerPeriod(const char* commandTail);
// The dialogSize setting (0 small, 1 large, 2 automatic) as 0 or 1; automatic picks the
// large dialog on a desktop wider than 800 pixels, and any other value the small one.
int32_t chooseDialogSize(int32_t dialogSize);

// The security descriptor, as text, of the event-slot block or of the namespace that holds it,
// for the user whose SID is userSid: owner the user, access the user and SYSTEM alone, and a
// label that keeps every process of lower integrity from writing, reading (a reader could
// replay live tickets) or, for the block, mapping it for execution. False when the SID does
// not fit.
bool eventSlotsSecurityText(const char* userSid, bool ofNamespace, char (&text)[512]);
