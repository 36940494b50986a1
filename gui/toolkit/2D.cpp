#include "gui/toolkit/2D.h"

#include <utility>

namespace zt::ge {

C2D::C2D(const SRect& rect, int32_t id, FDraw draw) : CControl(rect, id), m_draw(std::move(draw)) {}

void C2D::SetDrawFunction(FDraw draw)
{
    m_draw = std::move(draw);
    Invalidate();
}

void C2D::Draw(IDrawContext& context)
{
    if (m_draw)
        m_draw(context.GetPrimitives(), GetAbsoluteRect());
}

}  // namespace zt::ge
