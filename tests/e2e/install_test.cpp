// The installer and the uninstaller under Wine, run silently: what they put in place and
// take away, a running Qor that each ends first, and a library that other processes still map.
#include <shlobj.h>

#include <cstring>
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
const std::string kLibrary = kInstalled + "\\" QOR_LIBRARY_FILE;
const std::string kEarlierLibrary = kInstalled + "\\Qordll-0.dll";  // an earlier build's
const char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != ~0u; }

// The next logon, for Qor's part: the shell deletes the RunOnce value and runs its command.
void logOn() {
  char command[2 * MAX_PATH] = {};
  DWORD size = sizeof command;
  RegGetValueA(HKEY_CURRENT_USER, kRunOnceKey, "Qor", RRF_RT_REG_SZ, nullptr, command, &size);
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunOnceKey, "Qor");
  char* arguments = std::strstr(command, "\" ");  // after the program's path in quotes
  ASSERT_TRUE(arguments);
  *arguments = 0;
  PROCESS_INFORMATION shell = launch(command + 1, arguments + 2);
  EXPECT_EQ(waitForExit(shell), 0u);
}

// The files, the shortcut and the Run value: all there, or none, nor the folder.
void expectInstalled(bool installed) {
  for (const char* file : {"Qor.exe", QOR_LIBRARY_FILE, kHelpPage, "readme.txt", "uninstall.exe"})
    EXPECT_EQ(exists(kInstalled + "\\" + file), installed) << file;
  EXPECT_EQ(exists(folderOf(CSIDL_PROGRAMS) + "\\Qor.lnk"), installed);
  char run[MAX_PATH] = {};
  DWORD size = sizeof run;
  RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Qor",
               RRF_RT_REG_SZ, nullptr, run, &size);
  EXPECT_EQ(run, installed ? "\"" + kQor + "\"" : "");
  EXPECT_EQ(exists(kInstalled), installed);
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
}

// Ended before the installer or uninstaller returned, as its Exit item ends it.
void expectEnded(QorProcess& qor) {
  EXPECT_EQ(WaitForSingleObject(qor.process.hProcess, 0), WAIT_OBJECT_0);
  EXPECT_EQ(waitForExit(qor.process), 0u);
}
}  // namespace

// Over a running earlier build, whose library another process maps on, the new library goes
// beside it under its own name; the earlier one goes at a start of Qor once nothing maps it.
TEST(Installer, InstallsOverARunningEarlierBuildAndUninstallsWithOrWithoutTheProfiles) {
  storeProfile(testSettings());
  install();
  expectInstalled(true);
  for (const std::string file : {"Qor.exe", "Qordll-0.dll"})  // the tests' build makes them
    ASSERT_TRUE(CopyFileA(("earlier\\" + file).c_str(), (kInstalled + "\\" + file).c_str(), FALSE));
  QorProcess qor = startQor("5", false, kQor.c_str());
  EXPECT_TRUE(waitFor([&] { return hooksInstalled(qor, "Qordll-0.dll"); }));
  HMODULE held = LoadLibraryExA(kEarlierLibrary.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  install();
  expectEnded(qor);
  expectInstalled(true);
  qor = startQor("5", true, kQor.c_str());  // hooks with this build's library
  EXPECT_TRUE(exists(kEarlierLibrary)) << "still mapped, yet deleted";
  FreeLibrary(held);
  EXPECT_EQ(endQor(qor), 0u);
  qor = startQor("5", true, kQor.c_str());
  EXPECT_FALSE(exists(kEarlierLibrary)) << "nothing maps it any more: gone as Qor started";
  HMODULE last = LoadLibraryExA(kLibrary.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  uninstall("/S");
  expectEnded(qor);
  EXPECT_TRUE(exists(kLibrary)) << "still mapped, yet deleted";
  FreeLibrary(last);
  logOn();
  expectInstalled(false);
  EXPECT_FALSE(storedRecord().empty());
  install();
  uninstall("/S /REMOVEPROFILES");
  expectInstalled(false);
  EXPECT_TRUE(storedRecord().empty());
}
