// Stands in for the browser in the help tests: writes what it was asked to open into the
// help tests' request file beside itself, whole or not at all.
#include "tests/common/help_request.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const std::string partial = kTestFolder + "\\help-request.tmp";
  FILE* f = fopen(partial.c_str(), "wb");
  if (!f || fputs(commandLine, f) < 0 || fclose(f) != 0) return 1;
  return !MoveFileA(partial.c_str(), kHelpRequestFile.c_str());
}
