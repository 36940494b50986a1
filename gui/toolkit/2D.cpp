#include "gui/toolkit/2D.h"

#include <utility>

namespace zt::ge {

C2D::C2D(const SRect& rect, int32_t id, FDraw draw) : CControl(rect, id), draw_(std::move(draw)) {}

void C2D::SetDrawFunction(FDraw draw)
{
    draw_ = std::move(draw);
    Invalidate();
}

void C2D::Draw(IDrawContext& context)
{
    if (draw_)
        draw_(context.GetPrimitives(), GetAbsoluteRect());
}

}  // namespace zt::ge
