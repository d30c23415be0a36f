// The help page's address, a rule of its own so that it is tested without Windows.
#pragma once
#include <cstddef>

// The help page's address for the browser: "file:///", the page's full path (UTF-8) with
// forward slashes, every byte but letters, digits and -._~/: percent-encoded (spaces, non-ASCII
// names), then "#" and anchor. False when it does not fit.
bool helpPageUrl(const char* path, const char* anchor, char* url, size_t size);
