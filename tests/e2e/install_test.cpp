// The installer and the uninstaller under Wine, run silently: what they put in place and
// take away, and a running Qor that each ends first.
#include <shlobj.h>

#include <string>

#include "tests/e2e/e2e_support.h"

namespace {
using namespace e2e;

std::string folderOf(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return path;
}
const std::string kInstalled = folderOf(CSIDL_LOCAL_APPDATA) + "\\Programs\\Qor";
const std::string kQor = kInstalled + "\\Qor.exe";

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != ~0u; }

// The files, the shortcut and the Run value: all there, or none.
void expectInstalled(bool installed) {
  for (const char* file : {"Qor.exe", "Qordll.dll", kHelpPage, "readme.txt", "uninstall.exe"})
    EXPECT_EQ(exists(kInstalled + "\\" + file), installed) << file;
  EXPECT_EQ(exists(folderOf(CSIDL_PROGRAMS) + "\\Qor.lnk"), installed);
  char run[MAX_PATH] = {};
  DWORD size = sizeof run;
  RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Qor",
               RRF_RT_REG_SZ, nullptr, run, &size);
  EXPECT_EQ(run, installed ? "\"" + kQor + "\"" : "");
}

void install() {
  PROCESS_INFORMATION setup = launchBeside("QorSetup-x64.exe", "/S");
  EXPECT_EQ(waitForExit(setup), 0u);
}

// As the uninstaller runs itself: a copy outside the folder, told where Qor lies.
void uninstall(const std::string& options) {
  const std::string copy = folderOf(CSIDL_LOCAL_APPDATA) + "\\qor-uninstall.exe";
  ASSERT_TRUE(CopyFileA((kInstalled + "\\uninstall.exe").c_str(), copy.c_str(), FALSE));
  PROCESS_INFORMATION setup = launch(copy.c_str(), (options + " _?=" + kInstalled).c_str());
  EXPECT_EQ(waitForExit(setup), 0u);
  DeleteFileA(copy.c_str());
  EXPECT_FALSE(exists(kInstalled));
}

// Ended before the installer or uninstaller returned, as its Exit item ends it.
void expectEnded(QorProcess& qor) {
  EXPECT_EQ(WaitForSingleObject(qor.process.hProcess, 0), WAIT_OBJECT_0);
  EXPECT_EQ(waitForExit(qor.process), 0u);
}
}  // namespace

TEST(Installer, InstallsReinstallsOverARunningQorAndUninstallsWithOrWithoutTheProfiles) {
  storeProfile(testSettings());
  install();
  expectInstalled(true);
  QorProcess qor = startQor("5", false, kQor.c_str());
  install();
  expectEnded(qor);
  expectInstalled(true);
  qor = startQor("5", false, kQor.c_str());
  uninstall("/S");
  expectEnded(qor);
  expectInstalled(false);
  EXPECT_FALSE(storedRecord().empty());
  install();
  uninstall("/S /REMOVEPROFILES");
  expectInstalled(false);
  EXPECT_TRUE(storedRecord().empty());
}
