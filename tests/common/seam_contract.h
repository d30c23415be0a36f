// What the seam of os/os.h promises, as rows run over the fake natively and over the Win32 side
// under Wine; the including test makes the world they look at. Text is written as bytes: the
// Windows tests' literals are in code page 932.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include "os/os.h"

// A top-level window of class "QorSeamContract" titled title (UTF-8), and its end; a process
// whose memory may be opened, and its program's path (UTF-8).
HWND seamWindow(const char* title);
void seamDestroy(HWND window);
DWORD seamProcess(std::string* image);
const char kSeamKey[] = "Software\\Tesk\\QorSeamContract";  // the including test removes it
#define NIHON "\xe6\x97\xa5\xe6\x9c\xac"  // 日本 in UTF-8; "\x93\xfa\x96\x7b" in 932

inline void checkTitles() {  // the taskbar is sought by its empty title, the desktop by its own
  const struct { const char *title, *sought; bool found; } rows[] = {
      {"Program Manager", "PROGRAM manager", true}, {"Program Manager", "Program", false},
      {"Program Manager", "", false}, {"", "", true}, {"Program Manager", nullptr, true},
      {NIHON, NIHON, true}};
  for (auto r : rows) {
    HWND window = seamWindow(r.title);
    ASSERT_NE(window, nullptr);
    for (HWND found : {osFindWindow("QorSeamContract", r.sought),
                       osFindNextWindow(nullptr, "QorSeamContract", r.sought)})
      EXPECT_EQ(found, r.found ? window : nullptr) << r.title << "/" << (r.sought ? r.sought : "-");
    seamDestroy(window);
  }
}

inline void checkCodePages() {  // written: null when refused (no form there, or no room)
  const struct { UINT codePage; const char* text; int size; const char* written; } rows[] = {
      {932, NIHON, 5, "\x93\xfa\x96\x7b"}, {932, NIHON, 4, nullptr}, {932, "\xc3\xa9", 8, nullptr},
      {1252, "caf\xc3\xa9", 5, "caf\xe9"}, {1252, NIHON, 8, nullptr}, {CP_UTF8, NIHON, 7, NIHON},
      {CP_UTF8, NIHON, 6, nullptr}};
  for (auto r : rows) {
    char buffer[16];
    ASSERT_EQ(osToCodePage(r.codePage, r.text, buffer, r.size), r.written != nullptr) << r.codePage;
    if (r.written) { EXPECT_STREQ(buffer, r.written) << r.codePage; }
  }
}

// A value written (data null: not at all) in one code page and read in another into room bytes.
inline void checkRegistry() {
  const struct { DWORD type; const char* data; DWORD size; UINT in; DWORD room; UINT out;
                 const char* read; DWORD readSize; } rows[] = {  // read null: refused
      {REG_DWORD, "\x01\x02\x03\x04", 4, CP_UTF8, 4, CP_UTF8, "\x01\x02\x03\x04", 4},
      {REG_SZ, "12", 3, CP_UTF8, 4, CP_UTF8, "12", 3},  // the wrong type: the caller's to see
      {REG_BINARY, "12345678", 8, CP_UTF8, 4, CP_UTF8, nullptr, 0},
      {REG_SZ, nullptr, 0, CP_UTF8, 4, CP_UTF8, nullptr, 0},
      {REG_SZ, NIHON, 7, CP_UTF8, 5, 932, "\x93\xfa\x96\x7b", 5},
      {REG_SZ, NIHON, 7, CP_UTF8, 6, CP_UTF8, nullptr, 0},
      {REG_MULTI_SZ, "\x93\xfa\x96\x7b\0", 6, 932, 16, CP_UTF8, NIHON "\0", 8}};
  HKEY key = osRegCreateKey(kSeamKey);
  for (auto r : rows) {
    osRegDeleteValue(key, "v");
    if (r.data) { ASSERT_TRUE(osRegSetValue(key, "v", r.type, r.data, r.size, r.in)); }
    char buffer[16] = {};
    DWORD size = r.room, type = 0;
    ASSERT_EQ(osRegQueryValue(key, "v", buffer, &size, &type, r.out), r.read != nullptr) << r.room;
    EXPECT_EQ(type, r.data ? r.type : 0) << r.room;
    if (r.read) { EXPECT_EQ(std::string(buffer, size), std::string(r.read, r.readSize)); }
  }
  osRegCloseKey(key);
}

// The program's path whole or not at all; memory as written, never through a null process or
// at address 0.
inline void checkProcess() {
  std::string image;
  const DWORD process = seamProcess(&image);
  for (DWORD size : {DWORD(image.size() + 1), DWORD(image.size()), DWORD(0)}) {
    char buffer[kPathBytes] = {};
    std::memset(buffer, 'x', sizeof buffer - 1);
    EXPECT_EQ(osProcessImageName(size ? process : 0xFFFFFFF0, buffer, size ? size : 260),
              size > image.size());  // 0: no such process
    EXPECT_EQ(buffer, size > image.size() ? image : "") << size;
  }
  HANDLE opened = osOpenProcessMemory(process);
  const uint64_t at = osAllocateProcessMemory(opened, 0, 64);
  MemoryStretch s;
  ASSERT_TRUE(osQueryProcessMemory(opened, at, &s));
  EXPECT_TRUE(s.base == at && s.allocationBase == at && s.size >= 64 && !s.free && !s.mappedView);
  EXPECT_FALSE(osQueryProcessMemory(nullptr, at, &s) || osAllocateProcessMemory(nullptr, 0, 64));
  const struct { HANDLE process; uint64_t address; } rows[] = {{opened, at}, {nullptr, at}, {opened, 0}};
  for (auto r : rows) {
    char out[9] = {};
    const bool done = r.process && r.address;
    EXPECT_EQ(osWriteProcessMemory(r.process, r.address, "contract", 8), done);
    EXPECT_EQ(osReadProcessMemory(r.process, r.address, out, 8), done);
    EXPECT_STREQ(out, done ? "contract" : "");
  }
  osFreeProcessMemory(opened, at);
  osCloseProcess(opened);
}

inline void checkSeam() {
  checkTitles();
  checkCodePages();
  checkRegistry();
  checkProcess();
}
