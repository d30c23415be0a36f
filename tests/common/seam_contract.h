// What the seam of os/os.h promises, as rows run over the fake natively and over the Win32 side
// under Wine. The including test makes the world the rows look at. Text is written as bytes:
// the Windows tests' literals are in code page 932.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include "os/os.h"

// A top-level window of class "QorSeamContract" titled title (UTF-8); and its end.
HWND seamWindow(const char* title);
void seamDestroy(HWND window);
// A process whose memory may be opened; *image: its program's path, UTF-8.
DWORD seamProcess(std::string* image);
const char kSeamKey[] = "Software\\Tesk\\QorSeamContract";  // emptied by the including test

#define NIHON "\xe6\x97\xa5\xe6\x9c\xac"  // 日本 in UTF-8; in 932, "\x93\xfa\x96\x7b"

inline void checkTitles() {
  const struct { const char *title, *sought; bool found; } rows[] = {
      {"Program Manager", "Program Manager", true}, {"Program Manager", "PROGRAM manager", true},
      {"Program Manager", "Program", false},        {"Program Manager", "", false},
      {"", "", true},  // the taskbar is sought by its empty title
      {"Program Manager", nullptr, true},           {NIHON, NIHON, true},
  };
  for (auto r : rows) {
    HWND window = seamWindow(r.title);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(osFindWindow("QorSeamContract", r.sought), r.found ? window : nullptr) << r.title;
    EXPECT_EQ(osFindNextWindow(nullptr, "QorSeamContract", r.sought), r.found ? window : nullptr);
    seamDestroy(window);
  }
}

inline void checkCodePages() {
  const struct { UINT codePage; const char* text; int size; const char* written; } rows[] = {
      {932, NIHON, 5, "\x93\xfa\x96\x7b"}, {932, NIHON, 4, nullptr},  // no room for the NUL
      {932, "\xc3\xa9", 8, nullptr},       // é: 932 has no form of it, and none stands in
      {1252, "caf\xc3\xa9", 5, "caf\xe9"}, {1252, NIHON, 8, nullptr},
      {CP_UTF8, NIHON, 7, NIHON},          {CP_UTF8, NIHON, 6, nullptr},
  };
  for (auto r : rows) {
    char buffer[16];
    ASSERT_EQ(osToCodePage(r.codePage, r.text, buffer, r.size), r.written != nullptr) << r.codePage << r.size;
    if (r.written) { EXPECT_STREQ(buffer, r.written) << r.codePage; }
  }
}

// A value written (unless data is null) in one code page and read in another, into room bytes.
inline void checkRegistry() {
  const struct {
    DWORD type;
    const char* data;
    DWORD size;
    UINT writtenIn;
    DWORD room;
    UINT readIn;
    const char* read;  // null: refused
    DWORD readSize;
  } rows[] = {
      {REG_DWORD, "\x01\x02\x03\x04", 4, CP_UTF8, 4, CP_UTF8, "\x01\x02\x03\x04", 4},
      {REG_SZ, "12", 3, CP_UTF8, 4, CP_UTF8, "12", 3},  // the wrong type: the caller's to see
      {REG_BINARY, "12345678", 8, CP_UTF8, 4, CP_UTF8, nullptr, 0},  // too long
      {REG_SZ, nullptr, 0, CP_UTF8, 4, CP_UTF8, nullptr, 0},         // missing
      {REG_SZ, NIHON, 7, CP_UTF8, 5, 932, "\x93\xfa\x96\x7b", 5},
      {REG_SZ, NIHON, 7, CP_UTF8, 6, CP_UTF8, nullptr, 0},
      {REG_MULTI_SZ, "\x93\xfa\x96\x7b\0", 6, 932, 16, CP_UTF8, NIHON "\0", 8},
  };
  HKEY key = osRegCreateKey(kSeamKey);
  ASSERT_NE(key, nullptr);
  for (auto r : rows) {
    osRegDeleteValue(key, "v");
    if (r.data) { ASSERT_TRUE(osRegSetValue(key, "v", r.type, r.data, r.size, r.writtenIn)) << r.data; }
    char buffer[16] = {};
    DWORD size = r.room, type = 0;
    ASSERT_EQ(osRegQueryValue(key, "v", buffer, &size, &type, r.readIn), r.read != nullptr) << r.room;
    if (r.data) { EXPECT_EQ(type, r.type) << r.data; }
    if (r.read) { EXPECT_EQ(std::string(buffer, size), std::string(r.read, r.readSize)); }
  }
  osRegCloseKey(key);
}

// The program's path, whole or not at all; memory read back as written, never through a null
// process or at a zero address.
inline void checkProcess() {
  std::string image;
  const DWORD process = seamProcess(&image);
  const struct { DWORD process, size; bool read; } names[] = {
      {process, DWORD(image.size() + 1), true}, {process, DWORD(image.size()), false},
      {0xFFFFFFF0, 260, false},  // no such process
  };
  for (auto n : names) {
    char buffer[kPathBytes] = {};
    std::memset(buffer, 'x', sizeof buffer - 1);
    EXPECT_EQ(osProcessImageName(n.process, buffer, n.size), n.read) << n.size;
    EXPECT_EQ(buffer, n.read ? image : "") << n.size;
  }
  HANDLE opened = osOpenProcessMemory(process);
  const uint64_t at = osAllocateProcessMemory(opened, 0, 64);
  MemoryStretch stretch;
  ASSERT_TRUE(osQueryProcessMemory(opened, at, &stretch));
  EXPECT_TRUE(stretch.base == at && stretch.allocationBase == at && stretch.size >= 64 &&
              !stretch.free && !stretch.mappedView);
  EXPECT_FALSE(osQueryProcessMemory(nullptr, at, &stretch));
  EXPECT_EQ(osAllocateProcessMemory(nullptr, 0, 64), 0u);
  const struct { HANDLE process; uint64_t address; bool done; } memory[] = {
      {opened, at, true}, {nullptr, at, false}, {opened, 0, false},
  };
  for (auto m : memory) {
    char out[9] = {}, written[9] = "contract";
    EXPECT_EQ(osWriteProcessMemory(m.process, m.address, written, 8), m.done) << m.address;
    EXPECT_EQ(osReadProcessMemory(m.process, m.address, out, 8), m.done) << m.address;
    EXPECT_STREQ(out, m.done ? written : "");
  }
  osFreeProcessMemory(opened, at);
  osCloseProcess(opened);
}
