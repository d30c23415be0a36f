// Stands in for the browser in the help tests: writes what it was asked to open into
// help-request.txt beside itself, whole or not at all.
#include <windows.h>
#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* name = strrchr(path, '\\') + 1;
  strcpy(name, "help-request.tmp");
  FILE* f = fopen(path, "wb");
  if (!f) return 1;
  fputs(commandLine, f);
  fclose(f);
  char done[MAX_PATH];
  strcpy(done, path);
  strcpy(done + (name - path), "help-request.txt");
  return MoveFileA(path, done) ? 0 : 1;
}
