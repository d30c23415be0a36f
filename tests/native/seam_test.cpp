// The seam's promises kept by the fake the other native tests stand on.
#include "tests/common/seam_contract.h"
#include "tests/fake/fakeos.h"

HWND seamWindow(const char* title) {
  HWND window = fake::addWindow(nullptr, "QorSeamContract", {0, 0, 100, 100});
  fake::window(window).title = title;
  return window;
}
void seamDestroy(HWND window) { fake::destroyWindow(window); }
DWORD seamProcess(std::string* image) {
  *image = fake::processImages[fake::kApplicationProcess] = "C:\\Program Files\\Tool\\tool.exe";
  return fake::kApplicationProcess;
}

TEST(Seam, TheFakeKeepsWhatTheSeamPromises) {
  fake::reset();
  checkSeam();
}
