// The browser of the help tests: qor_help_probe.exe, beside the test, registered for .html
// pages in the test prefix. nextHelpRequest() gives what the next help command asked it to
// open, this program's folder shown as "<bin>", and the quotes of its one argument taken off
// (an address that came unquoted reads "unquoted: …"); "" when nothing came within 30 s.
#pragma once
#include <windows.h>
#include <cstdio>
#include <string>

inline const std::string kTestFolder = [] {
  char path[MAX_PATH] = {};
  std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return folder.substr(0, folder.rfind('\\'));
}();
inline const std::string kHelpRequestFile = kTestFolder + "\\help-request.txt";

inline void registerHelpProbe() {
  const std::string command = "\"" + kTestFolder + "\\qor_help_probe.exe\" %1";
  RegSetValueA(HKEY_CLASSES_ROOT, ".html", REG_SZ, "QorHelpProbe", 0);
  RegSetValueA(HKEY_CLASSES_ROOT, "QorHelpProbe\\shell\\open\\command", REG_SZ, command.c_str(), 0);
  DeleteFileA(kHelpRequestFile.c_str());
}

inline std::string nextHelpRequest() {
  char text[1024] = {};
  for (int i = 0; i < 600 && !text[0]; ++i, Sleep(50)) {
    if (FILE* f = fopen(kHelpRequestFile.c_str(), "rb")) {
      fread(text, 1, sizeof text - 1, f);
      fclose(f);
    }
  }
  DeleteFileA(kHelpRequestFile.c_str());
  std::string url = "file:///" + kTestFolder, request = text;
  for (char& c : url) c = c == '\\' ? '/' : c;
  if (request.size() < 2 || request.front() != '"' || request.back() != '"')
    return request.empty() ? request : "unquoted: " + request;
  request = request.substr(1, request.size() - 2);
  return request.rfind(url, 0) == 0 ? "<bin>" + request.substr(url.size()) : request;
}
