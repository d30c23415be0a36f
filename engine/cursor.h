// Cursor feedback: the three replaced system cursors (arrow, I-beam, cross).
#pragma once
#include <cstdint>

// 0 load, 1 the user's own, 2 release every handle, 3..15 gesture sets; anything else nothing.
void applyCursorSet(int32_t mode);
