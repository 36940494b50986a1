// The editor's text colours, shared by its panes.
#pragma once

#include "gui/toolkit/Colour.h"

namespace editor_style {

constexpr zt::ge::SColour kText = zt::ge::SColour::FromRGB(218, 224, 233);
constexpr zt::ge::SColour kDim = zt::ge::SColour::FromRGB(138, 147, 163);
constexpr zt::ge::SColour kAccent = zt::ge::SColour::FromRGB(53, 180, 240);
constexpr zt::ge::SColour kCurve = zt::ge::SColour::FromRGB(120, 210, 255);

}  // namespace editor_style
