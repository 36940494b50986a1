#include "gui/toolkit/Bitmap.h"

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"

namespace zt::ge {

CBitmap::CBitmap(const SRect& rect, int32_t bitmapId, int32_t id) : CControl(rect, id)
{
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
}

CBitmap::~CBitmap() = default;

void CBitmap::SetFrame(int32_t index, int32_t frameCount)
{
    if (index == m_frame && frameCount == m_frames)
        return;
    m_frames = frameCount < 1 ? 1 : frameCount;
    m_frame = index < 0 ? 0 : index >= m_frames ? m_frames - 1 : index;
    Invalidate();
}

int32_t CBitmap::GetFrame() const { return m_frame; }

void CBitmap::Draw(IDrawContext& context)
{
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const SRect area = GetAbsoluteRect();
    bitmap->DrawFrame(context.GetPrimitives(), m_frame, m_frames, area.position, area);
}

}  // namespace zt::ge
