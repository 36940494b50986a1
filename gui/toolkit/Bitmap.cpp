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
    if (index == frame_ && frameCount == frames_)
        return;
    frames_ = frameCount < 1 ? 1 : frameCount;
    frame_ = index < 0 ? 0 : index >= frames_ ? frames_ - 1 : index;
    Invalidate();
}

int32_t CBitmap::GetFrame() const { return frame_; }

void CBitmap::Draw(IDrawContext& context)
{
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const SRect area = GetAbsoluteRect();
    bitmap->DrawFrame(context.GetPrimitives(), frame_, frames_, area.position, area);
}

}  // namespace zt::ge
