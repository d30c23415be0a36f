#include "settings/user_options.h"

#include <cstdlib>
#include <cstring>

SharedInt32 userPanButton = kPanButtonRight;

namespace {
// The names in a block of the heap of their own size: a program's list is short.
char* leftAlone = nullptr;
uint32_t leftAloneChanges = 0;

// File names compare as the file system does for the letters A to Z; other letters exactly.
bool sameFileName(const char* a, const char* b) {
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  for (; *a && *b; ++a, ++b)
    if (fold(*a) != fold(*b)) return false;
  return *a == *b;
}
}  // namespace

const char* leftAlonePrograms() { return leftAlone ? leftAlone : ""; }

void setLeftAlonePrograms(const char* const* names, int count) {
  size_t bytes = 1;
  for (int i = 0; i < count; ++i) bytes += std::strlen(names[i]) + 1;
  char* block = static_cast<char*>(std::malloc(bytes));
  if (!block) return;  // the list stays as it was
  char* at = block;
  for (int i = 0; i < count; ++i) {
    const size_t n = std::strlen(names[i]) + 1;
    std::memcpy(at, names[i], n);
    at += n;
  }
  *at = 0;
  std::free(leftAlone);
  leftAlone = block;
  ++leftAloneChanges;
}

uint32_t leftAloneListChanges() { return leftAloneChanges; }

bool isLeftAloneProgram(const char* fileName) {
  for (const char* name = leftAlonePrograms(); *name; name += std::strlen(name) + 1)
    if (sameFileName(name, fileName)) return true;
  return false;
}
