// One round of every gesture a user makes, driven through the engine's public operations:
// standby feedback, a left click (which reloads the cursor handles), a pan click with moves
// in two directions and a timer tick, the click that ends it, and an extended scroll on a
// vertical scroll-bar control with a repeat. Shared by the native and the Windows leak tests;
// the caller supplies the windows and keeps standby on.
#pragma once
#include "engine/gesture.h"
#include "engine/scroll.h"

inline void runGestureCycle(HWND client, POINT c, HWND scrollBar, POINT v) {
  struct Step {
    HWND window;
    UINT message;
    int32_t hit;
    POINT at;
  } const steps[] = {
      {client, WM_MOUSEMOVE, HTCLIENT, c},
      {client, WM_LBUTTONDOWN, HTCLIENT, c},
      {client, WM_LBUTTONUP, HTCLIENT, c},
      {client, WM_MOUSEMOVE, HTCLIENT, {c.x + 1, c.y}},
      {client, WM_RBUTTONDOWN, HTCLIENT, {c.x + 1, c.y}},
      {client, WM_RBUTTONUP, HTCLIENT, {c.x + 1, c.y}},
      {client, WM_MOUSEMOVE, HTCLIENT, {c.x + 1, c.y - 30}},
      {nullptr, 0, 0, {0, 0}},  // a timer tick
      {client, WM_MOUSEMOVE, HTCLIENT, {c.x - 29, c.y - 30}},
      {client, WM_RBUTTONDOWN, HTCLIENT, {c.x - 29, c.y - 30}},
      {client, WM_RBUTTONUP, HTCLIENT, {c.x - 29, c.y - 30}},
      {scrollBar, WM_MOUSEMOVE, HTCLIENT, v},
      {scrollBar, WM_RBUTTONDOWN, HTCLIENT, v},
      {scrollBar, WM_RBUTTONUP, HTCLIENT, v},
      {scrollBar, WM_LBUTTONDOWN, HTCLIENT, v},
      {scrollBar, WM_LBUTTONUP, HTCLIENT, v},
      {client, WM_MOUSEMOVE, HTCLIENT, c},
  };
  for (const Step& s : steps) {
    if (s.message) engineMouseEvent(s.window, s.message, s.hit, s.at.x, s.at.y);
    else engineTick();
  }
}
