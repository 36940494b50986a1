#include "gui/toolkit/MultiStateButton.h"

#include <cmath>

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CMultiStateButton::CMultiStateButton(const SRect& rect, int32_t states, int32_t id, int32_t bitmapId)
    : CControl(rect, id), states_(states < 1 ? 1 : states)
{
    SetClamped(false);  // the value is a state index
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
}

CMultiStateButton::~CMultiStateButton() = default;

int32_t CMultiStateButton::GetStateCount() const { return states_; }

int32_t CMultiStateButton::GetState() const
{
    const float v = GetValue();
    if (!(v >= 0.0f))
        return 0;
    const auto state = int32_t(std::trunc(std::fmin(v, float(states_ - 1))));
    return state;
}

void CMultiStateButton::SetCaptureOnPress(bool capture) { captureOnPress_ = capture; }

void CMultiStateButton::Draw(IDrawContext& context)
{
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const SRect area = GetAbsoluteRect();
    bitmap->DrawFrame(context.GetPrimitives(), GetState(), states_, area.position, area);
}

bool CMultiStateButton::Mouse(EMouseEvent event, SPoint point)
{
    if (!TakesInput())
        return false;
    IWindow* window = GetWindow();
    if (!window)
        return false;
    if (event == kMouseLeftUp && captured_) {
        captured_ = false;
        window->ReleaseMouse(this);
        return true;
    }
    if ((event != kMouseLeftDown && event != kMouseLeftDoubleClick) || !IsInside(point))
        return false;
    const float v = GetValue();
    float next = std::isfinite(v) ? std::trunc(v) + 1.0f : 0.0f;
    if (!(next < float(states_)) || next < 0.0f)
        next = 0.0f;
    BeginEdit();
    SetValue(next, true);
    EndEdit();
    if (captureOnPress_) {
        captured_ = true;
        window->CaptureMouse(this);
    }
    return true;
}

}  // namespace zt::ge
