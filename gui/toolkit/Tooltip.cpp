#include "gui/toolkit/Tooltip.h"

#include <algorithm>

#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/TextRenderer.h"

namespace zt::ge {
namespace {

std::vector<std::string> SplitLines(const char* text)
{
    std::vector<std::string> lines(1);
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '\r')
            continue;
        if (*p != '\n') {
            lines.back() += *p;
        } else if (lines.size() < CTooltip::kMaxLines) {
            lines.emplace_back();
        } else {
            break;
        }
    }
    return lines;
}

}  // namespace

SRect CTooltip::Show(IControl* owner, const char* text, SPoint anchor, ITextRenderer* renderer, SSize client)
{
    const SRect old = box_;
    owner_ = owner;
    lines_ = SplitLines(text);
    const int32_t lineHeight = renderer ? renderer->GetLineHeight() : kFallbackLineHeight;
    int32_t textWidth = 0;
    for (const std::string& line : lines_) {
        const int32_t w
            = renderer ? renderer->GetTextWidth(line.data(), line.size()) : int32_t(line.size()) * kFallbackCharWidth;
        textWidth = std::max(textWidth, w);
    }
    const SSize size{textWidth + 2 * kPadding + 2, int32_t(lines_.size()) * lineHeight + 2 * kPadding + 2};
    SPoint topLeft{anchor.x, anchor.y - size.height + 1};
    // Keep the box inside the window where it fits; the top-left corner wins otherwise.
    topLeft.x = std::max(0, std::min(topLeft.x, client.width - size.width));
    topLeft.y = std::max(0, std::min(topLeft.y, client.height - size.height));
    box_ = SRect(topLeft, size);
    return Union(old, box_);
}

SRect CTooltip::Hide()
{
    const SRect old = box_;
    owner_ = nullptr;
    lines_.clear();
    box_ = {};
    return old;
}

void CTooltip::Draw(IDrawContext& context, ITextRenderer* renderer) const
{
    if (!IsShowing())
        return;
    IDrawPrimitives& draw = context.GetPrimitives();
    draw.FillRect(box_, kFill, box_);
    draw.FrameRect(box_, kBorder, box_);
    if (!renderer)
        return;
    const int32_t lineHeight = renderer->GetLineHeight();
    const SRect inside(box_.position.x + 1, box_.position.y + 1, box_.size.width - 2, box_.size.height - 2);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const SPoint at{inside.position.x + kPadding, inside.position.y + kPadding + int32_t(i) * lineHeight};
        renderer->DrawText(context, at, lines_[i].data(), lines_[i].size(), inside);
    }
}

}  // namespace zt::ge
