// Stands in for the browser in the help tests: writes what it was asked to open into
// help-request.txt beside itself, whole or not at all.
#include <windows.h>
#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  char path[MAX_PATH] = {};
  std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  folder.resize(folder.rfind('\\'));
  FILE* f = fopen((folder + "\\help-request.tmp").c_str(), "wb");
  if (!f || fputs(commandLine, f) < 0 || fclose(f) != 0) return 1;
  return !MoveFileA((folder + "\\help-request.tmp").c_str(), (folder + "\\help-request.txt").c_str());
}
