// Shared by the engine's native tests: a clean engine over the fake window system, the
// pictures each cursor set shows, and the scroll messages windows received.
#pragma once
#include <ostream>
#include <string>
#include <vector>
#include "engine/cursor.h"
#include "engine/gesture.h"
#include "engine/hit_test.h"
#include "engine/scroll.h"
#include "engine/shell_windows.h"
#include "settings/settings.h"
#include "settings/user_options.h"
#include "tests/fake/fakeos.h"

namespace engine_test {

// The pictures shown as arrow, I-beam and cross by set 3..15.
inline std::vector<std::string> setImages(int set) {
  std::vector<std::string> images;
  for (int i = 0; i < 3; ++i) images.push_back("res:" + std::to_string(cursorSetPictures(set)[i]));
  return images;
}

inline std::vector<std::string> shownImages() {
  return {fake::shownCursor(OCR_NORMAL), fake::shownCursor(OCR_IBEAM),
          fake::shownCursor(OCR_CROSS)};
}

// Forgets the previous test's cursor handles and gesture, then starts as the program does:
// handles loaded, the user's cursors shown (the standard ones: no files), nothing running.
inline void freshEngine() {
  releaseCursors();
  releaseHitTestBuffers();
  fake::reset();
  taskbarWindow = startButton = desktopHost = nullptr;
  copySettings(currentSettings, defaultSettings);
  loadUserOptions();  // none stored: the right button, click-pan, no program with a profile
  setLeftAlonePrograms("");
  ::resetEngine();
  loadCursors();
  showCursorSet(kCursorVertical);
  restoreUserCursors();
  gesture.wantedCursor = gesture.appliedCursor = kCursorUser;
  fake::cursorRestores = 0;
}

// The hardware's left button follows the events the engine is given, as when none is missed.
inline void followLeftButton(UINT message) {
  if (message == WM_LBUTTONDOWN || message == WM_NCLBUTTONDOWN || message == WM_LBUTTONDBLCLK ||
      message == WM_NCLBUTTONDBLCLK)
    fake::keysDown = {VK_LBUTTON};
  if (message == WM_LBUTTONUP || message == WM_NCLBUTTONUP) fake::keysDown.clear();
}

// The scroll messages sent, in order.
inline std::vector<SentMessage> scrollMessages() {
  std::vector<SentMessage> out;
  for (const SentMessage& m : fake::sent)
    if (m.message == WM_VSCROLL || m.message == WM_HSCROLL) out.push_back(m);
  return out;
}

// count pairs of (line, SB_ENDSCROLL) to one destination.
inline std::vector<SentMessage> pairs(HWND to, UINT message, WPARAM line, int count,
                                      LPARAM lParam = 0) {
  std::vector<SentMessage> out;
  for (int i = 0; i < count; ++i) {
    out.push_back({to, message, line, lParam});
    out.push_back({to, message, SB_ENDSCROLL, lParam});
  }
  return out;
}

inline std::vector<SentMessage> operator+(std::vector<SentMessage> a,
                                          const std::vector<SentMessage>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace engine_test

inline std::ostream& operator<<(std::ostream& os, const SentMessage& m) {
  return os << "{" << m.window << " " << m.message << " " << m.wParam << " " << m.lParam << "}";
}
