// The page of the programs Qor leaves alone: the edited list, and a name to add, typed or
// picked from the programs that show windows now.
#include <cstring>
#include "settings/settings_pages.h"
#include "resources/resource.h"
#include "settings/user_options.h"
#include "ui/texts.h"

namespace {
void fillList(HWND page) {
  HWND list = GetDlgItem(page, IDC_LEFT_ALONE_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const char* name = leftAloneEdits(); *name; name += std::strlen(name) + 1) {
    wchar_t text[kMaxProgramNameChars + 1];
    if (MultiByteToWideChar(CP_UTF8, 0, name, -1, text, ARRAYSIZE(text)))
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
}

// The file name of the program of window's process into path; null for one of Qor's own
// windows or a process that may not be asked.
const wchar_t* programOfWindow(HWND window, wchar_t (&path)[MAX_PATH]) {
  DWORD processId = 0;
  if (!GetWindowThreadProcessId(window, &processId) || processId == GetCurrentProcessId())
    return nullptr;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return nullptr;
  DWORD length = MAX_PATH;
  const bool named = QueryFullProcessImageNameW(process, 0, path, &length);
  CloseHandle(process);
  if (!named) return nullptr;
  const wchar_t* slash = wcsrchr(path, L'\\');
  return slash ? slash + 1 : path;
}

// The file name of every other process that shows a top-level window, each once.
BOOL CALLBACK addProgramOfWindow(HWND window, LPARAM names) {
  wchar_t path[MAX_PATH];
  const wchar_t* name = IsWindowVisible(window) ? programOfWindow(window, path) : nullptr;
  HWND box = reinterpret_cast<HWND>(names);
  if (name && SendMessageW(box, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(name)) == CB_ERR)
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  return TRUE;
}

// Holds the mouse until the next click and answers the window under it; null when the user
// pressed Esc or the right button, or another window took the mouse.
HWND windowClicked(HWND page) {
  SetCapture(page);
  const HCURSOR cross = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515));  // IDC_CROSS, wide
  const HCURSOR before = SetCursor(cross);
  HWND clicked = nullptr;
  MSG msg;
  while (GetCapture() == page && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_LBUTTONUP) {
      POINT at;
      GetCursorPos(&at);
      clicked = WindowFromPoint(at);
      break;
    }
    if (msg.message == WM_RBUTTONDOWN || (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE))
      break;
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) continue;  // the pick's own
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));
  ReleaseCapture();
  SetCursor(before);
  return clicked;
}

void fillProgramsShowingWindows(HWND page) {
  HWND box = GetDlgItem(page, IDC_LEFT_ALONE_NAME);
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  EnumWindows(addProgramOfWindow, reinterpret_cast<LPARAM>(box));
}

// The typed name without a path (a typed path names its program too) and the spaces around
// it. A name listed already is selected; what cannot be listed is said.
BOOL onAdd(HWND page) {
  wchar_t typed[MAX_PATH + 2] = {};
  GetDlgItemTextW(page, IDC_LEFT_ALONE_NAME, typed, ARRAYSIZE(typed));
  wchar_t* name = typed;
  for (wchar_t* at = typed; *at; ++at)
    if (*at == L'\\' || *at == L'/') name = at + 1;
  while (*name == L' ') ++name;
  for (size_t n = wcslen(name); n > 0 && name[n - 1] == L' '; --n) name[n - 1] = 0;
  HWND list = GetDlgItem(page, IDC_LEFT_ALONE_LIST);
  const LRESULT listed =
      *name ? SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(name))
            : LB_ERR;
  if (listed != LB_ERR) {
    SendMessageW(list, LB_SETCURSEL, WPARAM(listed), 0);
    return TRUE;
  }
  if (SendMessageW(list, LB_GETCOUNT, 0, 0) >= kMaxLeftAloneNames) {
    MessageBoxW(GetParent(page), text(IDS_LEFT_ALONE_FULL).s, L"Qor", MB_ICONWARNING | MB_OK);
    return TRUE;
  }
  char utf8[3 * ARRAYSIZE(typed)];
  if (!*name || !WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof utf8, nullptr, nullptr) ||
      !addLeftAloneEdit(utf8)) {
    MessageBoxW(GetParent(page), text(IDS_NAME_REFUSED).s, L"Qor", MB_ICONWARNING | MB_OK);
    return TRUE;
  }
  fillList(page);
  SetDlgItemTextW(page, IDC_LEFT_ALONE_NAME, L"");
  return TRUE;
}

// The program of the window the user clicks next, as the engine sees it: the one that hosts
// it (its root owner's), added as a typed name would be.
BOOL onPick(HWND page) {
  HWND clicked = windowClicked(page);
  wchar_t path[MAX_PATH];
  const wchar_t* name = clicked ? programOfWindow(GetAncestor(clicked, GA_ROOTOWNER), path) : nullptr;
  if (!name) return TRUE;
  SetDlgItemTextW(page, IDC_LEFT_ALONE_NAME, name);
  return onAdd(page);
}

BOOL onRemove(HWND page) {
  const LRESULT selected = SendDlgItemMessageW(page, IDC_LEFT_ALONE_LIST, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return TRUE;
  removeLeftAloneEdit(static_cast<int>(selected));
  fillList(page);
  SendDlgItemMessageW(page, IDC_LEFT_ALONE_LIST, LB_SETCURSEL, WPARAM(selected), 0);
  return TRUE;
}
}  // namespace

void fillLeftAlonePage(HWND page) {
  fillList(page);
  SendDlgItemMessageW(page, IDC_LEFT_ALONE_NAME, CB_LIMITTEXT, MAX_PATH, 0);
}

BOOL onLeftAloneCommand(HWND page, int id, WORD code) {
  switch (id) {
    case IDC_LEFT_ALONE_ADD: return code == BN_CLICKED ? onAdd(page) : TRUE;
    case IDC_LEFT_ALONE_REMOVE: return code == BN_CLICKED ? onRemove(page) : TRUE;
    case IDC_LEFT_ALONE_PICK: return code == BN_CLICKED ? onPick(page) : TRUE;
    case IDC_LEFT_ALONE_NAME:
      if (code == CBN_DROPDOWN) fillProgramsShowingWindows(page);
      return TRUE;
    case IDC_LEFT_ALONE_LIST: return TRUE;
    default: return FALSE;
  }
}
