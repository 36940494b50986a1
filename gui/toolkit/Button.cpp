#include "gui/toolkit/Button.h"

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CButton::CButton(const SRect& rect, int32_t id, int32_t bitmapId) : CControl(rect, id)
{
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
}

CButton::~CButton() = default;

void CButton::SetLatched(bool latched) { m_latched = latched; }
bool CButton::IsLatched() const { return m_latched; }
void CButton::SetHandCursor(bool hand) { m_handCursor = hand; }
bool CButton::IsPressed() const { return m_pressed; }

void CButton::SetFrameCount(int32_t frames)
{
    m_frames = frames == 1 ? 1 : 2;
    Invalidate();
}

void CButton::Draw(IDrawContext& context)
{
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const bool down = m_pressed || GetValue() > 0.5f;
    const SRect area = GetAbsoluteRect();
    bitmap->DrawFrame(context.GetPrimitives(), down && m_frames > 1 ? 1 : 0, m_frames, area.position, area);
}

void CButton::SendValue()
{
    BeginEdit();
    SetValue(0.0f, true);
    EndEdit();
}

bool CButton::Mouse(EMouseEvent event, SPoint point)
{
    if (!TakesInput())
        return false;
    IWindow* window = GetWindow();
    if (!window)
        return false;
    switch (event) {
    case kMouseLeftDown:
    case kMouseLeftDoubleClick:
        if (!IsInside(point))
            return false;
        m_pressed = true;
        window->CaptureMouse(this);  // the release belongs to us wherever it happens
        Invalidate();
        if (!m_latched)
            SendValue();
        return true;
    case kMouseLeftUp: {
        if (!m_pressed)
            return false;
        m_pressed = false;
        window->ReleaseMouse(this);
        Invalidate();
        // A press dragged off the button and let go is a change of mind.
        if (!IsInside(point))
            return true;
        if (m_latched)
            SendValue();
        Clicked();
        return true;
    }
    case kMouseMove: {
        if (!m_handCursor)
            return false;
        const bool inside = IsInside(point);
        if (inside) {
            window->SetCursorShape(kCursorHand);
        } else if (m_hovering) {
            window->SetCursorShape(kCursorArrow);
        }
        m_hovering = inside;
        return false;  // hovering takes nothing away from the controls beneath
    }
    default:
        return false;
    }
}

}  // namespace zt::ge
