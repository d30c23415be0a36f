// Sends from the engine to other windows. Every mouse event of the desktop waits while the
// hook thread sends, so no send may hold it up for long; a window the system already knows
// as hung answers at once.
#pragma once
#include "os/os.h"

enum : UINT { kSendTimeoutMs = 250 };

// A send that waits at most kSendTimeoutMs; how it ended, with the answer in *answer.
inline SendStatus sendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT* answer) {
  return osSendMessage(window, message, wParam, lParam, kSendTimeoutMs, answer);
}

// The window's answer to a bounded send; 0 when it gave none.
inline LRESULT askWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  sendBounded(window, message, wParam, lParam, &answer);
  return answer;
}
