// Ends a running Qor as its installer does: sets the end request that Qor's main window holds
// (duplicated out of process, which must have been opened with PROCESS_DUP_HANDLE), then
// closes the window; a WM_CLOSE alone ends nothing.
#pragma once
#include <windows.h>
#include "rules/app_rules.h"

inline bool requestQorEnd(HANDLE process, HWND main) {
  HANDLE request = nullptr;
  if (!DuplicateHandle(process, GetPropA(main, END_REQUEST_PROPERTY), GetCurrentProcess(),
                       &request, EVENT_MODIFY_STATE, FALSE, 0))
    return false;
  SetEvent(request);
  CloseHandle(request);
  return PostMessageA(main, WM_CLOSE, 0, 0) != 0;
}
