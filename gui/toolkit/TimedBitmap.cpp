#include "gui/toolkit/TimedBitmap.h"

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CTimedBitmap::CTimedBitmap(const SRect& rect, uint32_t durationMs, int32_t bitmapId, int32_t id)
    : CControl(rect, id), m_duration(durationMs)
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
    m_offTime = window->GetTimeMs() + m_duration;
    if (m_offTime == kNoOffTime)
        --m_offTime;  // the clock's one value that means "none"
    if (!m_on) {
        m_on = true;
        Invalidate();
    }
}

bool CTimedBitmap::IsOn() const { return m_on; }
void CTimedBitmap::SetDuration(uint32_t milliseconds) { m_duration = milliseconds; }
uint32_t CTimedBitmap::GetOffTime() const { return m_offTime; }

void CTimedBitmap::Tick()
{
    CControl::Tick();
    IWindow* window = GetWindow();
    if (m_offTime == kNoOffTime || !window)
        return;
    // Compared as a difference, so the millisecond clock may wrap.
    if (int32_t(window->GetTimeMs() - m_offTime) >= 0) {
        m_offTime = kNoOffTime;
        m_on = false;
        Invalidate();
    }
}

void CTimedBitmap::Draw(IDrawContext& context)
{
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const SRect area = GetAbsoluteRect();
    bitmap->DrawFrame(context.GetPrimitives(), m_on ? 1 : 0, 2, area.position, area);
}

}  // namespace zt::ge
