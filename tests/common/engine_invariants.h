// What holds of the engine's state after any stream of events, whatever it held: shared by
// the randomized test and the fuzz target. Answers the broken rule, or null.
#pragma once
#include "engine/classify.h"
#include "engine/cursor.h"
#include "engine/gesture.h"
#include "engine/scroll.h"
#include "tests/fake/fakeos.h"

inline const char* brokenEngineInvariant() {
  if (panState < kPanOff || panState > kPanPanning) return "panState out of range";
  if (extScrollState < kExtScrollOff || extScrollState > kExtScrollArming)
    return "extScrollState out of range";
  if (chordAction < kChordNone || chordAction > kChordStandbyOn) return "chordAction out of range";
  if (leftButtonDown != 0 && leftButtonDown != 1) return "leftButtonDown out of range";
  if ((currentKind < 0 || currentKind > kKindOutOfReach) && currentKind != kKindNotYetSeen)
    return "currentKind out of range";
  if (wantedCursor < kCursorUnknown || wantedCursor > kCursorDownRight)
    return "wantedCursor out of range";
  if (fake::cursorMisuse != 0) return "a cursor handle was misused";
  if (panState == kPanOff && extScrollState == kExtScrollOff &&
      (scrollRepeat.hOn != 0 || scrollRepeat.vOn != 0))
    return "a repeat runs with both states off";
  return nullptr;
}
