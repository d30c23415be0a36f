// What holds of the engine's state after any stream of events, whatever it held: shared by
// the randomized test and the fuzz target. Answers the broken rule, or null.
#pragma once
#include "engine/classify.h"
#include "engine/cursor.h"
#include "engine/gesture.h"
#include "engine/scroll.h"
#include "tests/fake/fakeos.h"

inline const char* brokenEngineInvariant() {
  const GestureState& g = gesture;
  if (g.panState < kPanOff || g.panState > kPanPanning) return "panState out of range";
  if (g.extScrollState < kExtScrollOff || g.extScrollState > kExtScrollArming)
    return "extScrollState out of range";
  if (g.chordAction < kChordNone || g.chordAction > kChordStandbyOn)
    return "chordAction out of range";
  if (g.leftButtonDown != 0 && g.leftButtonDown != 1) return "leftButtonDown out of range";
  if ((g.currentKind < 0 || g.currentKind > kKindOutOfReach) && g.currentKind != kKindNotYetSeen)
    return "currentKind out of range";
  if (g.wantedCursor < kCursorUnknown || g.wantedCursor > kCursorDownRight)
    return "wantedCursor out of range";
  if (fake::cursorMisuse != 0) return "a cursor handle was misused";
  if (g.panState == kPanOff && g.extScrollState == kExtScrollOff &&
      (scrollRepeat.axis[kAxisHorizontal].on != 0 || scrollRepeat.axis[kAxisVertical].on != 0))
    return "a repeat runs with both states off";
  return nullptr;
}
