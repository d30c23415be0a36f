#include "ui/help.h"

#include <shlwapi.h>
#include <cstdio>
#include "resources/names.h"

namespace {
DWORD helpContextOf(const DWORD* table, int controlId) {
  for (; table[0] != 0 || table[1] != 0; table += 2)
    if (table[0] == static_cast<DWORD>(controlId)) return table[1];
  return 0;
}

// The page's anchor: "contents", "index", or "h" and the help context id.
void anchorOf(UINT command, const DWORD* table, int controlId, char* anchor, size_t size) {
  const DWORD context = command == HELP_WM_HELP ? helpContextOf(table, controlId) : 0;
  if (context != 0)
    snprintf(anchor, size, "h%lu", static_cast<unsigned long>(context));
  else
    snprintf(anchor, size, "%s", command == HELP_PARTIALKEY ? "index" : "contents");
}

// A file URL with its anchor survives only when handed to the browser itself: the shell
// drops the anchor of a file it opens by its type.
void openPage(HWND window, UINT command, const DWORD* table, int controlId) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* slash = strrchr(path, '\\');
  if (length == 0 || length >= MAX_PATH || slash == nullptr) return;
  snprintf(slash + 1, MAX_PATH - (slash + 1 - path), "%s", kHelpPage);
  char anchor[32];
  anchorOf(command, table, controlId, anchor, sizeof anchor);
  char url[MAX_PATH + 48];
  int n = snprintf(url, sizeof url, "file:///%s#%s", path, anchor);
  for (int i = 0; i < n; ++i)
    if (url[i] == '\\') url[i] = '/';
  char browser[MAX_PATH] = {};
  DWORD browserSize = MAX_PATH;
  if (AssocQueryStringA(ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE, ".html", "open", browser,
                        &browserSize) == S_OK)
    ShellExecuteA(window, "open", browser, url, nullptr, SW_SHOWNORMAL);
  else
    ShellExecuteA(window, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}
}  // namespace

void showHelp(HWND window, UINT command, const DWORD* table, int controlId) {
  openPage(window, command, table, controlId);
}
