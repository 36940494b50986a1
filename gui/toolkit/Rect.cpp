#include "gui/toolkit/Rect.h"

#include <algorithm>
#include <cstdlib>

#include "gui/toolkit/DrawContext.h"

namespace zt::ge {

CRect::CRect(const SRect& rect, SColour fill, int32_t id) : CControl(rect, id), fill_(fill) {}
CRect::~CRect() = default;

void CRect::SetFill(SColour colour)
{
    fill_ = colour;
    Invalidate();
}

void CRect::SetOutline(SColour colour)
{
    outline_ = colour;
    hasOutline_ = true;
    Invalidate();
}

void CRect::ClearOutline()
{
    hasOutline_ = false;
    Invalidate();
}

void CRect::Draw(IDrawContext& context)
{
    const SRect area = GetAbsoluteRect();
    IDrawPrimitives& draw = context.GetPrimitives();
    draw.FillRect(area, fill_, area);
    if (hasOutline_)
        draw.FrameRect(area, outline_, area);
}

CLine::CLine(SPoint start, SPoint end, SColour colour, int32_t id)
    : CControl({}, id), start_(start), end_(end), colour_(colour)
{
    Fit();
}

CLine::~CLine() = default;

void CLine::Fit()
{
    // The control covers the line's bounding box, so it invalidates what it draws.
    SetPosition({std::min(start_.x, end_.x), std::min(start_.y, end_.y)});
    SetSize({std::abs(end_.x - start_.x) + 1, std::abs(end_.y - start_.y) + 1});
}

void CLine::SetColour(SColour colour)
{
    colour_ = colour;
    Invalidate();
}

void CLine::SetEnd(SPoint end)
{
    end_ = end;
    Fit();
}

void CLine::Draw(IDrawContext& context)
{
    const SPoint offset = GetAbsolutePosition() - GetPosition();
    context.GetPrimitives().DrawLine(start_ + offset, end_ + offset, colour_, GetAbsoluteRect());
}

}  // namespace zt::ge
