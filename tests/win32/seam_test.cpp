// The seam's promises kept by its Win32 side, by the rows the fake keeps natively.
#include "tests/common/seam_contract.h"

HWND seamWindow(const char* title) {
  static const WNDCLASSW kClass = {0, DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, L"QorSeamContract"};
  static const ATOM registered = RegisterClassW(&kClass);
  wchar_t wide[64] = {};
  MultiByteToWideChar(CP_UTF8, 0, title, -1, wide, 64);
  return registered ? CreateWindowExW(0, L"QorSeamContract", wide, WS_POPUP, 0, 0, 100, 100,
                                      nullptr, nullptr, nullptr, nullptr) : nullptr;
}
void seamDestroy(HWND window) { DestroyWindow(window); }
DWORD seamProcess(std::string* image) {
  wchar_t path[MAX_PATH];
  char utf8[kPathBytes] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8, sizeof utf8, nullptr, nullptr);
  *image = utf8;
  return GetCurrentProcessId();
}

TEST(RealSeam, TheWin32SideKeepsWhatTheSeamPromises) {
  checkSeam();
  RegDeleteKeyA(HKEY_CURRENT_USER, kSeamKey);
}
