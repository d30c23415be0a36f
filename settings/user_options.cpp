#include "settings/user_options.h"

SharedInt32 userPanButton = kPanButtonRight;

namespace {
std::vector<std::string> leftAlone;
uint32_t leftAloneChanges = 0;

// File names compare as the file system does for the letters A to Z; other letters exactly.
bool sameFileName(const char* a, const char* b) {
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  for (; *a && *b; ++a, ++b)
    if (fold(*a) != fold(*b)) return false;
  return *a == *b;
}
}  // namespace

const std::vector<std::string>& leftAlonePrograms() { return leftAlone; }

void setLeftAlonePrograms(const std::vector<std::string>& names) {
  leftAlone = names;
  ++leftAloneChanges;
}

uint32_t leftAloneListChanges() { return leftAloneChanges; }

bool isLeftAloneProgram(const char* fileName) {
  for (const std::string& name : leftAlone)
    if (sameFileName(name.c_str(), fileName)) return true;
  return false;
}
