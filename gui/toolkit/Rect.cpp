#include "gui/toolkit/Rect.h"

#include <algorithm>
#include <cstdlib>

#include "gui/toolkit/DrawContext.h"

namespace zt::ge {

CRect::CRect(const SRect& rect, SColour fill, int32_t id) : CControl(rect, id), m_fill(fill) {}
CRect::~CRect() = default;

void CRect::SetFill(SColour colour)
{
    m_fill = colour;
    Invalidate();
}

void CRect::SetOutline(SColour colour)
{
    m_outline = colour;
    m_hasOutline = true;
    Invalidate();
}

void CRect::ClearOutline()
{
    m_hasOutline = false;
    Invalidate();
}

void CRect::Draw(IDrawContext& context)
{
    const SRect area = GetAbsoluteRect();
    IDrawPrimitives& draw = context.GetPrimitives();
    draw.FillRect(area, m_fill, area);
    if (m_hasOutline)
        draw.FrameRect(area, m_outline, area);
}

CLine::CLine(SPoint start, SPoint end, SColour colour, int32_t id)
    : CControl({}, id), m_start(start), m_end(end), m_colour(colour)
{
    Fit();
}

CLine::~CLine() = default;

void CLine::Fit()
{
    // The control covers the line's bounding box, so it invalidates what it draws.
    SetPosition({std::min(m_start.x, m_end.x), std::min(m_start.y, m_end.y)});
    SetSize({std::abs(m_end.x - m_start.x) + 1, std::abs(m_end.y - m_start.y) + 1});
}

void CLine::SetColour(SColour colour)
{
    m_colour = colour;
    Invalidate();
}

void CLine::SetEnd(SPoint end)
{
    m_end = end;
    Fit();
}

void CLine::Draw(IDrawContext& context)
{
    const SPoint offset = GetAbsolutePosition() - GetPosition();
    context.GetPrimitives().DrawLine(m_start + offset, m_end + offset, m_colour, GetAbsoluteRect());
}

}  // namespace zt::ge
