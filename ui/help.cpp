#include "ui/help.h"

#include <shlwapi.h>
#include <cwchar>
#include "resources/names.h"

namespace {
DWORD helpContextOf(const DWORD* table, int controlId) {
  for (; table[0] != 0 || table[1] != 0; table += 2)
    if (table[0] == static_cast<DWORD>(controlId)) return table[1];
  return 0;
}

// The page's anchor: "contents", "index", or "h" and the help context id.
void anchorOf(UINT command, const DWORD* table, int controlId, wchar_t (&anchor)[32]) {
  const DWORD context = command == HELP_WM_HELP ? helpContextOf(table, controlId) : 0;
  if (context != 0)
    wsprintfW(anchor, L"h%lu", static_cast<unsigned long>(context));
  else
    lstrcpyW(anchor, command == HELP_PARTIALKEY ? L"index" : L"contents");
}

// A file URL with its anchor survives only when handed to the browser itself: the shell
// drops the anchor of a file it opens by its type. Wide throughout: the folder may have any
// name.
void openPage(HWND window, UINT command, const DWORD* table, int controlId) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  wchar_t* slash = wcsrchr(path, L'\\');
  if (length == 0 || length >= MAX_PATH || slash == nullptr) return;
  const int room = static_cast<int>(MAX_PATH - (slash + 1 - path));
  if (!MultiByteToWideChar(CP_UTF8, 0, kHelpPage, -1, slash + 1, room)) return;
  wchar_t anchor[32];
  anchorOf(command, table, controlId, anchor);
  wchar_t url[MAX_PATH + 48];
  const int n = wsprintfW(url, L"file:///%s#%s", path, anchor);
  for (int i = 0; i < n; ++i)
    if (url[i] == L'\\') url[i] = L'/';
  wchar_t browser[MAX_PATH] = {};
  DWORD browserSize = MAX_PATH;
  if (AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE, L".html", L"open", browser,
                        &browserSize) == S_OK)
    ShellExecuteW(window, L"open", browser, url, nullptr, SW_SHOWNORMAL);
  else
    ShellExecuteW(window, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
}
}  // namespace

void showHelp(HWND window, UINT command, const DWORD* table, int controlId) {
  openPage(window, command, table, controlId);
}
