// What a typed text means for one automated parameter: the reading every way in shares
// (a host's generic editor, the renderer, preset descriptions).
#pragma once

#include "framework/ztpi/PlugInInterfaces.h"

namespace zt::ztpi {

// The plain value text means for the parameter info describes: for a list, an entry by
// its text (case ignored) or by its number; otherwise a number as the display shows it
// (through the info's display converter when it has one), with or without the unit, a
// "K" for thousands, "-Inf". Spaces around are ignored. False, and plain untouched, for
// anything else, NaN, or a value outside the parameter's range (beyond the rounding of
// the display at its ends).
bool PlainFromText(const SAutomationInfo& info, const char* text, float& plain);

}  // namespace zt::ztpi
