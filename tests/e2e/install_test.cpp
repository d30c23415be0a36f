// The installer and the uninstaller under Wine, run silently as a user would script them:
// what they put in place and take away, and a running Qor that each ends first.
#include <shlobj.h>

#include <string>

#include "tests/e2e/e2e_support.h"

namespace {
using namespace e2e;

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string folderOf(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
  return path;
}
const std::string kInstalled = folderOf(CSIDL_LOCAL_APPDATA) + "\\Programs\\Qor";
const std::string kShortcut = folderOf(CSIDL_PROGRAMS) + "\\Qor.lnk";
const char* const kInstalledFiles[] = {"Qor.exe", "Qordll.dll", kHelpPage, "readme.txt",
                                       "uninstall.exe"};

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string runValue() {
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, "Qor", RRF_RT_REG_SZ, nullptr, value, &size))
    return "";
  return value;
}

bool profilesStored() {
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kStoreKey, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The installer beside the tests, silently; its exit code.
DWORD install() {
  PROCESS_INFORMATION setup = launchBeside("QorSetup-x64.exe", "/S");
  return waitForExit(setup);
}

// The uninstaller, run as it runs itself: a copy outside the folder, told where Qor lies.
void uninstall(const std::string& options) {
  const std::string copy = folderOf(CSIDL_LOCAL_APPDATA) + "\\qor-uninstall.exe";
  ASSERT_TRUE(CopyFileA((kInstalled + "\\uninstall.exe").c_str(), copy.c_str(), FALSE));
  PROCESS_INFORMATION setup = launch(copy.c_str(), (options + " _?=" + kInstalled).c_str());
  EXPECT_EQ(waitForExit(setup), 0u);
  DeleteFileA(copy.c_str());
  EXPECT_FALSE(exists(kInstalled));
}

void expectInstalled() {
  for (const char* file : kInstalledFiles) EXPECT_TRUE(exists(kInstalled + "\\" + file)) << file;
  EXPECT_TRUE(exists(kShortcut));
  EXPECT_EQ(runValue(), "\"" + kInstalled + "\\Qor.exe\"");
}

void expectRemoved() {
  for (const char* file : kInstalledFiles) EXPECT_FALSE(exists(kInstalled + "\\" + file)) << file;
  EXPECT_FALSE(exists(kShortcut));
  EXPECT_EQ(runValue(), "");
}

// Qor started from the installed folder, its hook window answering.
QorProcess startInstalledQor() {
  return startQor("5", true, (kInstalled + "\\Qor.exe").c_str());
}

bool hasEnded(QorProcess& qor, DWORD* exitCode) {
  return WaitForSingleObject(qor.process.hProcess, 0) == WAIT_OBJECT_0 &&
         GetExitCodeProcess(qor.process.hProcess, exitCode);
}
}  // namespace

TEST(Installer, InstallsRunsReinstallsOverARunningQorAndUninstallsKeepingTheProfiles) {
  storeProfile(testSettings());
  ASSERT_EQ(install(), 0u);
  expectInstalled();

  QorProcess qor = startInstalledQor();
  ASSERT_TRUE(qor.hook);
  ASSERT_EQ(install(), 0u);
  DWORD code = 999;
  EXPECT_TRUE(hasEnded(qor, &code)) << "the installer did not wait for Qor to end";
  EXPECT_EQ(code, 0u) << "Qor was not ended as its Exit item ends it";
  waitForExit(qor.process);
  expectInstalled();

  qor = startInstalledQor();
  uninstall("/S");
  EXPECT_TRUE(hasEnded(qor, &code));
  waitForExit(qor.process);
  expectRemoved();
  EXPECT_TRUE(profilesStored());
}

TEST(Installer, UninstallingWithTheRemovalOptionRemovesTheProfilesToo) {
  storeProfile(testSettings());
  ASSERT_EQ(install(), 0u);
  uninstall("/S /REMOVEPROFILES");
  expectRemoved();
  EXPECT_FALSE(profilesStored());
}
