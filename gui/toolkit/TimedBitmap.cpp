#include "gui/toolkit/TimedBitmap.h"

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CTimedBitmap::CTimedBitmap(const SRect& rect, uint32_t durationMs, int32_t bitmapId, int32_t id)
    : CControl(rect, id), duration_(durationMs)
{
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
}

CTimedBitmap::~CTimedBitmap() = default;

void CTimedBitmap::SwitchOn()
{
    IWindow* window = GetWindow();
    if (!window)
        return;
    offTime_ = window->GetTimeMs() + duration_;
    if (offTime_ == kNoOffTime)
        --offTime_;  // the clock's one value that means "none"
    if (!on_) {
        on_ = true;
        Invalidate();
    }
}

bool CTimedBitmap::IsOn() const { return on_; }
void CTimedBitmap::SetDuration(uint32_t milliseconds) { duration_ = milliseconds; }
uint32_t CTimedBitmap::GetOffTime() const { return offTime_; }

void CTimedBitmap::Tick()
{
    CControl::Tick();
    IWindow* window = GetWindow();
    if (offTime_ == kNoOffTime || !window)
        return;
    // Compared as a difference, so the millisecond clock may wrap.
    if (int32_t(window->GetTimeMs() - offTime_) >= 0) {
        offTime_ = kNoOffTime;
        on_ = false;
        Invalidate();
    }
}

void CTimedBitmap::Draw(IDrawContext& context)
{
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const SRect area = GetAbsoluteRect();
    bitmap->DrawFrame(context.GetPrimitives(), on_ ? 1 : 0, 2, area.position, area);
}

}  // namespace zt::ge
