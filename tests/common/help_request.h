// The browser of the help tests: qor_help_probe.exe, beside the test, registered for .html
// pages while a HelpProbe lives. nextRequest() gives what the next help command asked it to
// open, with the folder of this program shown as "<bin>".
#pragma once
#include <windows.h>
#include <cstdio>
#include <string>

class HelpProbe {
 public:
  HelpProbe() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    folder_.assign(path, strrchr(path, '\\') - path);
    LONG size = sizeof saved_;
    hadAssociation_ = RegQueryValueA(HKEY_CLASSES_ROOT, ".html", saved_, &size) == ERROR_SUCCESS;
    const std::string command = "\"" + folder_ + "\\qor_help_probe.exe\" %1";
    RegSetValueA(HKEY_CLASSES_ROOT, ".html", REG_SZ, "QorHelpProbe", 0);
    RegSetValueA(HKEY_CLASSES_ROOT, "QorHelpProbe\\shell\\open\\command", REG_SZ, command.c_str(), 0);
    DeleteFileA(requestFile().c_str());
  }
  ~HelpProbe() {
    if (hadAssociation_) RegSetValueA(HKEY_CLASSES_ROOT, ".html", REG_SZ, saved_, 0);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "QorHelpProbe");
  }
  // Waits for the probe to record (at most 30 s, then "" means it never ran).
  std::string nextRequest() {
    std::string text;
    for (int i = 0; i < 600 && text.empty(); ++i) {
      Sleep(50);
      if (FILE* f = fopen(requestFile().c_str(), "rb")) {
        char buffer[1024] = {};
        text.assign(buffer, fread(buffer, 1, sizeof buffer - 1, f));
        fclose(f);
      }
    }
    DeleteFileA(requestFile().c_str());
    std::string url = "file:///" + folder_;
    for (char& c : url) c = c == '\\' ? '/' : c;
    if (text.compare(0, url.size(), url) == 0) text.replace(0, url.size(), "<bin>");
    return text;
  }

 private:
  std::string requestFile() const { return folder_ + "\\help-request.txt"; }
  std::string folder_;
  char saved_[MAX_PATH] = {};
  bool hadAssociation_ = false;
};
