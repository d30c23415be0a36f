#include "rules/help_url.h"

#include <cstring>

bool helpPageUrl(const char* path, const char* anchor, char* url, size_t size) {
  static const char kHex[] = "0123456789ABCDEF";
  size_t n = 0;
  auto put = [&](char c) {
    if (n + 1 < size) url[n] = c;
    ++n;
  };
  for (const char* c = "file:///"; *c; ++c) put(*c);
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p; ++p) {
    const unsigned char c = *p == '\\' ? '/' : *p;
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       std::strchr("-._~/:", c);
    if (plain) {
      put(char(c));
    } else {
      put('%');
      put(kHex[c >> 4]);
      put(kHex[c & 0xF]);
    }
  }
  put('#');
  for (const char* c = anchor; *c; ++c) put(*c);
  if (n >= size) return false;
  url[n] = 0;
  return true;
}
