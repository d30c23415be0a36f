// What the fuzz targets share: the input read a byte at a time (zeros once it runs out), and
// a check that names the broken rule before it aborts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

struct FuzzInput {
  const uint8_t* data;
  size_t size;
  uint8_t byte() {
    if (!size) return 0;
    --size;
    return *data++;
  }
};

#define check(ok) checkRule(ok, #ok, __LINE__, __FILE__)
inline void checkRule(bool ok, const char* rule, int line, const char* file) {
  if (ok) return;
  std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, rule);
  std::abort();
}
