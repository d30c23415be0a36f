// Cursor handles made by the seam's loads and copies and not yet destroyed or handed to the
// system: counted by the fake, and by the Win32 side built for the leak tests.
#pragma once

int liveCursorHandles();
