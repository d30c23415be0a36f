// For the Windows tests: answers every box of this thread that carries a given caption (a
// message box, the About box) with a button, and notes what the last one showed, read as UTF-16.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct BoxWatch {
  std::wstring caption;  // the boxes to answer
  int answer;            // the button that answers them
  int count;             // how many came
  std::vector<std::wstring> texts;  // the last one's texts, in order, icons and empty ones left out
  HWND owner;
  bool ownerDisabled, yesNo;
};
inline BoxWatch boxWatch;
inline HHOOK boxHook = nullptr;

inline BOOL CALLBACK noteBoxText(HWND child, LPARAM) {
  wchar_t name[16], text[256];
  GetClassNameW(child, name, 16);
  const bool icon = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
  if (lstrcmpiW(name, L"Static") == 0 && !icon && GetWindowTextW(child, text, 256) > 0)
    boxWatch.texts.push_back(text);
  return TRUE;
}

inline LRESULT CALLBACK answerBox(int code, WPARAM wParam, LPARAM lParam) {
  HWND box = reinterpret_cast<HWND>(wParam);
  wchar_t caption[64] = {};
  if (code == HCBT_ACTIVATE && GetWindowTextW(box, caption, 64) && boxWatch.caption == caption) {
    ++boxWatch.count;
    boxWatch.texts.clear();
    EnumChildWindows(box, noteBoxText, 0);
    boxWatch.owner = GetWindow(box, GW_OWNER);
    boxWatch.ownerDisabled = !IsWindowEnabled(boxWatch.owner);
    boxWatch.yesNo = GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) && !GetDlgItem(box, IDOK);
    PostMessageW(box, WM_COMMAND, boxWatch.answer, 0);
  }
  return CallNextHookEx(boxHook, code, wParam, lParam);
}

// From now on, boxes captioned caption are answered with answer; nothing is noted yet.
inline void watchBoxes(const wchar_t* caption, int answer) {
  boxWatch = {caption, answer, 0, {}, nullptr, false, false};
  if (!boxHook) boxHook = SetWindowsHookExW(WH_CBT, answerBox, nullptr, GetCurrentThreadId());
}
inline void stopWatchingBoxes() {
  if (boxHook) UnhookWindowsHookEx(boxHook);
  boxHook = nullptr;
}
