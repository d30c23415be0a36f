// Starts the test application as a process of its own and finds its windows; for the
// Windows tests. Header-only: each test executable includes it once per file that needs it.
#pragma once
#include <windows.h>

#include <cstdio>

#include "tests/testapp/testapp.h"

struct TestAppProcess {
  PROCESS_INFORMATION process = {};
  HWND main = nullptr;
  HWND plain = nullptr;
  HWND wheelViews[kWheelViewCount] = {};  // none in a second application
  HWND editView = nullptr;
};

// Starts the program at path, with arguments after its name on the command line (UTF-8: of any
// characters). A null process handle on failure.
inline PROCESS_INFORMATION launch(const char* path, const char* arguments) {
  char commandLine[2 * MAX_PATH];
  wsprintfA(commandLine, "\"%s\" %s", path, arguments);
  wchar_t wide[2 * MAX_PATH];
  MultiByteToWideChar(CP_UTF8, 0, commandLine, -1, wide, 2 * MAX_PATH);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, wide, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    std::fprintf(stderr, "launch: CreateProcess of %s failed with error %lu\n", path,
                 static_cast<unsigned long>(GetLastError()));
  return process;
}

// Starts a program built beside the test executables.
inline PROCESS_INFORMATION launchBeside(const char* program, const char* arguments) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  while (n > 0 && path[n - 1] != '\\' && path[n - 1] != '/') --n;
  lstrcpynA(path + n, program, MAX_PATH - n);
  return launch(path, arguments);
}

// A top-level window of class className that belongs to process processId; null if none.
inline HWND windowOfProcess(const char* className, DWORD processId) {
  for (HWND w = FindWindowExA(nullptr, nullptr, className, nullptr); w;
       w = FindWindowExA(nullptr, w, className, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == processId) return w;
  }
  return nullptr;
}

// The test application; arguments such as TESTAPP_STAND_INS or TESTAPP_SECOND; program: a copy
// of it under another name beside it. Null windows on failure.
inline TestAppProcess startTestApp(const char* arguments = "",
                                   const char* program = "qor_testapp.exe") {
  TestAppProcess app;
  app.process = launchBeside(program, arguments);
  if (!app.process.hProcess) return app;
  WaitForInputIdle(app.process.hProcess, 10000);
  for (int i = 0; i < 200 && !(app.main && app.plain); ++i) {
    app.main = windowOfProcess(TESTAPP_CLASS, app.process.dwProcessId);
    app.plain = windowOfProcess(TESTAPP_PLAIN_CLASS, app.process.dwProcessId);
    if (!(app.main && app.plain)) Sleep(50);
  }
  // Made before the main window.
  for (int i = 0; i < kWheelViewCount; ++i)
    app.wheelViews[i] = windowOfProcess(kTestWheelViewClasses[i], app.process.dwProcessId);
  app.editView = windowOfProcess("Edit", app.process.dwProcessId);
  return app;
}

inline void stopTestApp(TestAppProcess& app) {
  if (app.main) PostMessageA(app.main, WM_CLOSE, 0, 0);
  if (app.process.hProcess) {
    if (WaitForSingleObject(app.process.hProcess, 5000) != WAIT_OBJECT_0)
      TerminateProcess(app.process.hProcess, 1);
    CloseHandle(app.process.hProcess);
    CloseHandle(app.process.hThread);
  }
  app = TestAppProcess{};
}
