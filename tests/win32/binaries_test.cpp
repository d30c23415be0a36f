// The two deliverables as files: their version resources, and the hook library's exports and
// the absence of any section that processes share.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {
struct VersionString {
  const char* name;
  const char* value;
};

// Checks the Japanese string table (0411, code page 1200) and the fixed part of file's
// version resource.
void expectVersion(const char* file, const std::vector<VersionString>& strings, DWORD fileMS,
                   DWORD fileLS, DWORD fileType) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(file, &ignored);
  ASSERT_GT(size, 0u) << file;
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(file, 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, fileMS) << file;
  EXPECT_EQ(fixed->dwFileVersionLS, fileLS) << file;
  EXPECT_EQ(fixed->dwFileOS, DWORD(VOS_NT_WINDOWS32)) << file;
  EXPECT_EQ(fixed->dwFileType, fileType) << file;
  DWORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(*translation, DWORD(0x04b00411)) << file;
  for (const VersionString& s : strings) {
    char* value = nullptr;
    std::string path = std::string("\\StringFileInfo\\041104b0\\") + s.name;
    EXPECT_TRUE(VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        << file << " " << s.name;
    EXPECT_STREQ(value ? value : "", s.value) << file << " " << s.name;
  }
}

const IMAGE_NT_HEADERS* headersOf(HMODULE module) {
  const BYTE* base = reinterpret_cast<const BYTE*>(module);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
}
}  // namespace

TEST(Binaries, VersionResources) {
  expectVersion("Qor.exe",
                {{"FileDescription", "Qor95 For WIN95"}, {"FileVersion", "1. 0, 0, 1"},
                 {"ProductVersion", "1, 0, 0, 1"}, {"InternalName", "Qor"},
                 {"OriginalFilename", "Qor.exe"}},
                0x00010000, 0x00000001, VFT_APP);
  expectVersion(QOR_LIBRARY_FILE,
                {{"FileVersion", "1, 0, 0, 0"}, {"ProductVersion", "1, 0, 0, 0"},
                 {"FileDescription", "Qordll"}, {"InternalName", "Qordll"},
                 {"ProductName", "Qordll"}, {"OriginalFilename", "Qordll.dll"},
                 {"Comments", "Qor95 Ver1.0用のメッセージフックを行うダイナミックリンケージライブラリー"}},
                0x00010000, 0x00000000, VFT_DLL);
}

TEST(Binaries, HookLibraryExportsAndNoSharedSection) {
  HMODULE library = LoadLibraryA(QOR_LIBRARY_FILE);
  ASSERT_TRUE(library);
  FARPROC mouse = GetProcAddress(library, "MouseFunc");
  FARPROC filter = GetProcAddress(library, "CallWndProcFunc");
  EXPECT_TRUE(mouse && filter);
  EXPECT_EQ(GetProcAddress(library, MAKEINTRESOURCEA(2)), mouse);
  EXPECT_EQ(GetProcAddress(library, MAKEINTRESOURCEA(3)), filter);

  const BYTE* base = reinterpret_cast<const BYTE*>(library);
  const IMAGE_NT_HEADERS* nt = headersOf(library);
  const IMAGE_EXPORT_DIRECTORY* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
      base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
  EXPECT_STREQ(reinterpret_cast<const char*>(base + exports->Name), "QorDLL.dll");
  EXPECT_EQ(exports->Base, 2u);
  EXPECT_EQ(exports->NumberOfNames, 2u);

  // Nothing that one process writes into the library reaches another: no section is shared.
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
    EXPECT_EQ(section->Characteristics & IMAGE_SCN_MEM_SHARED, 0u) << section->Name;
  FreeLibrary(library);
}
