// The browser of the help tests: qor_help_probe.exe, beside the test, registered for .html
// pages in the test prefix. nextHelpRequest() gives what the next help command asked it to
// open, this program's folder shown as "<bin>"; "" when nothing came within 30 s.
#pragma once
#include <windows.h>
#include <cstdio>
#include <string>

inline std::string testFolder() {
  char path[MAX_PATH] = {};
  std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return folder.substr(0, folder.rfind('\\'));
}

inline void registerHelpProbe() {
  const std::string command = "\"" + testFolder() + "\\qor_help_probe.exe\" %1";
  RegSetValueA(HKEY_CLASSES_ROOT, ".html", REG_SZ, "QorHelpProbe", 0);
  RegSetValueA(HKEY_CLASSES_ROOT, "QorHelpProbe\\shell\\open\\command", REG_SZ, command.c_str(), 0);
  DeleteFileA((testFolder() + "\\help-request.txt").c_str());
}

inline std::string nextHelpRequest() {
  const std::string file = testFolder() + "\\help-request.txt";
  std::string text, url = "file:///" + testFolder();
  for (int i = 0; i < 600 && text.empty(); ++i, Sleep(50)) {
    if (FILE* f = fopen(file.c_str(), "rb")) {
      char buffer[1024];
      text.assign(buffer, fread(buffer, 1, sizeof buffer, f));
      fclose(f);
    }
  }
  DeleteFileA(file.c_str());
  for (char& c : url) c = c == '\\' ? '/' : c;
  return text.rfind(url, 0) == 0 ? "<bin>" + text.substr(url.size()) : text;
}
