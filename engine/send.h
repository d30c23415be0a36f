// Sends from the engine to other windows. Every mouse event of the desktop waits while the
// hook thread sends, so no send may hold it up for long: all sends of one event (or tick)
// together wait at most kEventSendBudgetMs, a window the system already knows as hung answers
// at once, and a window that left a send unanswered is not sent to again for a while.
#pragma once
#include <cstdint>
#include "os/os.h"

enum : UINT { kEventSendBudgetMs = 100 };

// Starts the send budget of one event or tick; answers the budget it replaces (a nested event
// has one of its own), to give back with endSendBudget.
uint32_t beginSendBudget();
void endSendBudget(uint32_t replaced);
// Whether at least ms of the budget are left (always where none runs).
bool sendBudgetLeft(UINT ms);

// A send within the budget; how it ended, with the answer in *answer (0 without one). Nothing
// is sent (kSendSkipped) once the budget is spent, to no window, or while the window backs off.
SendStatus sendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer);

// The window's answer to a bounded send; 0 when it gave none.
inline LRESULT askWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  sendBounded(window, message, wParam, lParam, &answer);
  return answer;
}

// A process that left a hit test unanswered may still write its record late: it gets no more
// hit tests while it is remembered (the least recently met are forgotten first).
void leaveProcessAlone(DWORD processId);
bool processLeftAlone(DWORD processId);
// Forgets every back-off (at exit).
void forgetBackOffs();
