#include "ui/help.h"

#include <shlwapi.h>
#include "ui/beside_program.h"
#include "rules/help_url.h"
#include "ui/texts.h"

namespace {
DWORD helpContextOf(const DWORD* table, int controlId) {
  for (; table[0] != 0 || table[1] != 0; table += 2)
    if (table[0] == static_cast<DWORD>(controlId)) return table[1];
  return 0;
}

// The page's anchor: "contents", "index", or "h" and the help context id.
void anchorOf(UINT command, const DWORD* table, int controlId, char (&anchor)[32]) {
  const DWORD context = command == HELP_WM_HELP ? helpContextOf(table, controlId) : 0;
  if (context != 0)
    wsprintfA(anchor, "h%lu", static_cast<unsigned long>(context));
  else
    lstrcpyA(anchor, command == HELP_PARTIALKEY ? "index" : "contents");
}

// A file URL with its anchor survives only when handed to the browser itself: the shell
// drops the anchor of a file it opens by its type.
void openPage(HWND window, UINT command, const DWORD* table, int controlId) {
  wchar_t path[MAX_PATH] = {}, file[MAX_PATH];
  const char* page = PRIMARYLANGID(uiLanguage()) == LANG_JAPANESE ? kHelpPage : kEnglishHelpPage;
  if (!MultiByteToWideChar(CP_UTF8, 0, page, -1, file, MAX_PATH) || !besideProgram(file, path))
    return;
  char anchor[32];
  anchorOf(command, table, controlId, anchor);
  // The address percent-encoded (a space or a name in any script would split it or go astray)
  // and quoted, as the browser's one argument.
  char utf8Path[MAX_PATH * 3], utf8Url[MAX_PATH * 9 + 48];
  wchar_t url[MAX_PATH * 9 + 48];
  if (!WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8Path, sizeof utf8Path, nullptr, nullptr) ||
      !helpPageUrl(utf8Path, anchor, utf8Url + 1, sizeof utf8Url - 2))
    return;
  utf8Url[0] = '"';
  lstrcatA(utf8Url, "\"");
  if (!MultiByteToWideChar(CP_UTF8, 0, utf8Url, -1, url, sizeof url / sizeof url[0])) return;
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
