// The page of the programs Qor leaves alone or runs with a profile of their own: the edited
// rows, the choice for the selected row (or the next one added), and a name to add, typed or
// picked from the programs that show windows now.
#include <cstring>
#include "ui/settings_pages.h"
#include "resources/resource.h"
#include "settings/profile_store.h"
#include "settings/user_options.h"
#include "ui/texts.h"

namespace {
// Where the rows' choice column starts, and the choice list's width, in dialog units.
const int kChoiceColumn = 58, kChoiceWidth = 120;

// A row's program name and its profile title (empty for a program left alone), as UTF-16.
struct RowText {
  wchar_t name[kMaxProgramNameChars + 1];
  wchar_t title[kProfileNameBytes];
};
RowText rowText(const char* row) {
  RowText text = {};
  const char* tab = std::strchr(row, '\t');
  const int nameBytes = tab ? int(tab - row) : int(std::strlen(row));
  MultiByteToWideChar(CP_UTF8, 0, row, nameBytes, text.name, kMaxProgramNameChars);
  if (tab) MultiByteToWideChar(CP_UTF8, 0, tab + 1, -1, text.title, kProfileNameBytes - 1);
  return text;
}

// The choice's entry for a title: 0 for none (left alone), a stored profile's entry, or -1
// when no stored profile has it.
LRESULT choiceOf(HWND page, const wchar_t* title) {
  if (!*title) return 0;
  HWND box = GetDlgItem(page, IDC_PROGRAM_PROFILE);
  const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
  for (LRESULT entry = 1; entry < count; ++entry) {
    wchar_t text[kProfileNameBytes];
    if (SendMessageW(box, CB_GETLBTEXTLEN, entry, 0) < kProfileNameBytes &&
        SendMessageW(box, CB_GETLBTEXT, entry, reinterpret_cast<LPARAM>(text)) != CB_ERR &&
        wcscmp(text, title) == 0)
      return entry;
  }
  return -1;
}

// Each row: the program, then 除外 or the profile's title, saying so where it is gone. The list
// scrolls sideways as far as its longest row.
void fillList(HWND page) {
  HWND list = GetDlgItem(page, IDC_LEFT_ALONE_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  HDC dc = GetDC(list);
  HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
  RECT column = {0, 0, kChoiceColumn, 0};
  MapDialogRect(page, &column);
  const int tabStop = column.right;
  LONG widest = 0;
  // A row whose profile is gone runs with the current one, which its text says first so
  // that it shows in the column however long the title.
  const Text left = text(IDS_CHOICE_LEFT_ALONE), gone = text(IDS_PROFILE_GONE);
  for (const char* row = programEdits(); *row; row += std::strlen(row) + 1) {
    const RowText parts = rowText(row);
    wchar_t choice[ARRAYSIZE(parts.title) + ARRAYSIZE(gone.s)];
    if (choiceOf(page, parts.title) < 0)
      wsprintfW(choice, gone.s, parts.title);
    else
      lstrcpyW(choice, *parts.title ? parts.title : left.s);
    wchar_t shown[ARRAYSIZE(parts.name) + ARRAYSIZE(choice)];
    wsprintfW(shown, L"%s\t%s", parts.name, choice);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown));
    const LONG width = LOWORD(GetTabbedTextExtentW(dc, shown, lstrlenW(shown), 1, &tabStop));
    if (width > widest) widest = width;
  }
  SelectObject(dc, font);
  ReleaseDC(list, dc);
  SendMessageW(list, LB_SETHORIZONTALEXTENT, WPARAM(widest + 4), 0);
}

// 除外, then the stored profiles by their titles, in a list as wide as the rows' choice column.
void fillChoices(HWND page) {
  HWND box = GetDlgItem(page, IDC_PROGRAM_PROFILE);
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text(IDS_CHOICE_LEFT_ALONE).s));
  listProfileNames(addProfileName, box);
  SendMessageW(box, CB_SETCURSEL, 0, 0);
  RECT width = {0, 0, kChoiceWidth, 0};
  MapDialogRect(page, &width);
  SendMessageW(box, CB_SETDROPPEDWIDTH, WPARAM(width.right), 0);
}

// The chosen title as a row holds it (UTF-8), or false for 除外 or no choice.
bool chosenTitle(HWND page, char (&title)[3 * kProfileNameBytes]) {
  HWND box = GetDlgItem(page, IDC_PROGRAM_PROFILE);
  const LRESULT entry = SendMessageW(box, CB_GETCURSEL, 0, 0);
  wchar_t text[kProfileNameBytes];
  return entry > 0 && SendMessageW(box, CB_GETLBTEXTLEN, entry, 0) < kProfileNameBytes &&
         SendMessageW(box, CB_GETLBTEXT, entry, reinterpret_cast<LPARAM>(text)) != CB_ERR &&
         WideCharToMultiByte(CP_UTF8, 0, text, -1, title, sizeof title, nullptr, nullptr) > 0;
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

void selectRow(HWND page, int row) {
  SendDlgItemMessageW(page, IDC_LEFT_ALONE_LIST, LB_SETCURSEL, WPARAM(row), 0);
}

// The typed name without a path (a typed path names its program too) and the spaces around
// it, with the chosen 除外 or profile. A name listed already is selected; what cannot be
// listed is said.
BOOL onAdd(HWND page) {
  wchar_t typed[MAX_PATH + 2] = {};
  GetDlgItemTextW(page, IDC_LEFT_ALONE_NAME, typed, ARRAYSIZE(typed));
  wchar_t* name = typed;
  for (wchar_t* at = typed; *at; ++at)
    if (*at == L'\\' || *at == L'/') name = at + 1;
  while (*name == L' ') ++name;
  for (size_t n = wcslen(name); n > 0 && name[n - 1] == L' '; --n) name[n - 1] = 0;
  char utf8[3 * ARRAYSIZE(typed)];
  const bool converted =
      *name && WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof utf8, nullptr, nullptr);
  const int listed = converted ? programEditIndex(utf8) : -1;
  if (listed >= 0) {
    selectRow(page, listed);
    return TRUE;
  }
  char title[3 * kProfileNameBytes];
  const bool withProfile = chosenTitle(page, title);
  if (programEditsFull(withProfile)) {
    MessageBoxW(GetParent(page), text(IDS_LEFT_ALONE_FULL).s, L"Qor", MB_ICONWARNING | MB_OK);
    return TRUE;
  }
  if (!converted || !addProgramEdit(utf8, withProfile ? title : nullptr)) {
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

LRESULT selectedRow(HWND page) {
  return SendDlgItemMessageW(page, IDC_LEFT_ALONE_LIST, LB_GETCURSEL, 0, 0);
}

BOOL onRemove(HWND page) {
  const LRESULT selected = selectedRow(page);
  if (selected == LB_ERR) return TRUE;
  removeProgramEdit(static_cast<int>(selected));
  fillList(page);
  selectRow(page, int(selected));
  return TRUE;
}

// A row selected: the choice shows what it runs with (nothing for a profile that is gone).
BOOL onRowSelected(HWND page) {
  const LRESULT selected = selectedRow(page);
  const char* row = programEdits();
  for (LRESULT i = 0; i < selected && *row; ++i) row += std::strlen(row) + 1;
  if (selected == LB_ERR || !*row) return TRUE;
  SendDlgItemMessageW(page, IDC_PROGRAM_PROFILE, CB_SETCURSEL,
                      WPARAM(choiceOf(page, rowText(row).title)), 0);
  return TRUE;
}

// A choice made: the selected row takes it.
BOOL onChoice(HWND page) {
  const LRESULT selected = selectedRow(page);
  char title[3 * kProfileNameBytes];
  if (selected == LB_ERR) return TRUE;
  if (!setProgramEditChoice(int(selected), chosenTitle(page, title) ? title : nullptr)) {
    MessageBoxW(GetParent(page), text(IDS_LEFT_ALONE_FULL).s, L"Qor", MB_ICONWARNING | MB_OK);
    onRowSelected(page);
    return TRUE;
  }
  fillList(page);
  selectRow(page, int(selected));
  return TRUE;
}
}  // namespace

void fillLeftAlonePage(HWND page) {
  fillChoices(page);
  const int tabStop = kChoiceColumn;
  SendDlgItemMessageW(page, IDC_LEFT_ALONE_LIST, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
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
    case IDC_LEFT_ALONE_LIST: return code == LBN_SELCHANGE ? onRowSelected(page) : TRUE;
    case IDC_PROGRAM_PROFILE: return code == CBN_SELCHANGE ? onChoice(page) : TRUE;
    default: return FALSE;
  }
}
