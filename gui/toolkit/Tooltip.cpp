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
    const SRect old = m_box;
    m_owner = owner;
    m_lines = SplitLines(text);
    const int32_t lineHeight = renderer ? renderer->GetLineHeight() : kFallbackLineHeight;
    int32_t textWidth = 0;
    for (const std::string& line : m_lines) {
        const int32_t w
            = renderer ? renderer->GetTextWidth(line.data(), line.size()) : int32_t(line.size()) * kFallbackCharWidth;
        textWidth = std::max(textWidth, w);
    }
    const SSize size{textWidth + 2 * kPadding + 2, int32_t(m_lines.size()) * lineHeight + 2 * kPadding + 2};
    SPoint topLeft{anchor.x, anchor.y - size.height + 1};
    // Keep the box inside the window where it fits; the top-left corner wins otherwise.
    topLeft.x = std::max(0, std::min(topLeft.x, client.width - size.width));
    topLeft.y = std::max(0, std::min(topLeft.y, client.height - size.height));
    m_box = SRect(topLeft, size);
    return Union(old, m_box);
}

SRect CTooltip::Hide()
{
    const SRect old = m_box;
    m_owner = nullptr;
    m_lines.clear();
    m_box = {};
    return old;
}

void CTooltip::Draw(IDrawContext& context, ITextRenderer* renderer) const
{
    if (!IsShowing())
        return;
    IDrawPrimitives& draw = context.GetPrimitives();
    draw.FillRect(m_box, kFill, m_box);
    draw.FrameRect(m_box, kBorder, m_box);
    if (!renderer)
        return;
    const int32_t lineHeight = renderer->GetLineHeight();
    const SRect inside(m_box.position.x + 1, m_box.position.y + 1, m_box.size.width - 2, m_box.size.height - 2);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const SPoint at{inside.position.x + kPadding, inside.position.y + kPadding + int32_t(i) * lineHeight};
        renderer->DrawText(context, at, m_lines[i].data(), m_lines[i].size(), inside);
    }
}

}  // namespace zt::ge
