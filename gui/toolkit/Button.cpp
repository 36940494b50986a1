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

void CButton::SetLatched(bool latched) { latched_ = latched; }
bool CButton::IsLatched() const { return latched_; }
void CButton::SetHandCursor(bool hand) { handCursor_ = hand; }
bool CButton::IsPressed() const { return pressed_; }

void CButton::SetFrameCount(int32_t frames)
{
    frames_ = frames == 1 ? 1 : 2;
    Invalidate();
}

void CButton::Draw(IDrawContext& context)
{
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const bool down = pressed_ || GetValue() > 0.5f;
    const SRect area = GetAbsoluteRect();
    bitmap->DrawFrame(context.GetPrimitives(), down && frames_ > 1 ? 1 : 0, frames_, area.position, area);
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
        pressed_ = true;
        window->CaptureMouse(this);  // the release belongs to us wherever it happens
        Invalidate();
        if (!latched_)
            SendValue();
        return true;
    case kMouseLeftUp: {
        if (!pressed_)
            return false;
        pressed_ = false;
        window->ReleaseMouse(this);
        Invalidate();
        // A press dragged off the button and let go is a change of mind.
        if (!IsInside(point))
            return true;
        if (latched_)
            SendValue();
        Clicked();
        return true;
    }
    case kMouseMove: {
        if (!handCursor_)
            return false;
        const bool inside = IsInside(point);
        if (inside) {
            window->SetCursorShape(kCursorHand);
        } else if (hovering_) {
            window->SetCursorShape(kCursorArrow);
        }
        hovering_ = inside;
        return false;  // hovering takes nothing away from the controls beneath
    }
    default:
        return false;
    }
}

}  // namespace zt::ge
