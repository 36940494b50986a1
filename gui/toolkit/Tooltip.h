#pragma once

#include <string>
#include <vector>

#include "gui/toolkit/Colour.h"
#include "gui/native/Geometry.h"

namespace zt::ge {

class IControl;
class IDrawContext;
class ITextRenderer;

// The window's one tooltip box: light yellow, a one-pixel border, one text
// line per line of the control's text. Its bottom-left corner sits at the
// anchor, moved inside the window where it would stick out.
class CTooltip {
public:
    static constexpr std::size_t kMaxLines = 16;
    static constexpr int32_t kPadding = 3;
    // Measures used while no font is set: the box keeps its size, the text is missing.
    static constexpr int32_t kFallbackCharWidth = 6;
    static constexpr int32_t kFallbackLineHeight = 13;
    static constexpr SColour kFill = SColour::FromRGB(255, 255, 225);
    static constexpr SColour kBorder = SColour::FromRGB(0, 0, 0);

    // Both return the area that needs painting (the old box and the new one).
    SRect Show(IControl* owner, const char* text, SPoint anchor, ITextRenderer* renderer, SSize client);
    SRect Hide();

    bool IsShowing() const { return owner_ != nullptr; }
    IControl* GetOwner() const { return owner_; }
    const SRect& GetBox() const { return box_; }
    const std::vector<std::string>& GetLines() const { return lines_; }

    void Draw(IDrawContext& context, ITextRenderer* renderer) const;

private:
    IControl* owner_ = nullptr;
    std::vector<std::string> lines_;
    SRect box_;
};

}  // namespace zt::ge
