#include "gui/toolkit/Knob.h"

#include <cmath>

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CKnob::CKnob(const SRect& rect, int32_t id, int32_t bitmapId, int32_t frames)
    : CControl(rect, id), frames_(frames < 1 ? 1 : frames)
{
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
}

CKnob::~CKnob() = default;

void CKnob::SetFrameCount(int32_t frames)
{
    frames_ = frames < 1 ? 1 : frames;
    Invalidate();
}

int32_t CKnob::GetFrameCount() const { return frames_; }

void CKnob::SetHorizontalStrip(bool horizontal)
{
    horizontal_ = horizontal;
    Invalidate();
}

int32_t CKnob::GetFrameIndex() const { return int32_t(std::round(float(frames_ - 1) * GetValue())); }

bool CKnob::IsDragging() const { return drag_.IsDragging(); }

void CKnob::Draw(IDrawContext& context)
{
    IBitmapResource* strip = GetBitmap();
    if (!strip)
        return;
    const SRect area = GetAbsoluteRect();
    const int32_t frame = GetFrameIndex();
    if (!horizontal_) {
        strip->DrawFrame(context.GetPrimitives(), frame, frames_, area.position, area);
        return;
    }
    // Frames side by side: shift the strip left so the frame lands on the control.
    const SSize size = GetSize();
    const SPoint origin{area.position.x - frame * size.width, area.position.y};
    if (strip->IsOpaque())
        context.GetPrimitives().CopyPixels(strip->GetView(), origin, area);
    else
        context.GetPrimitives().BlendPixels(strip->GetView(), origin, area);
}

float CKnob::CircularValue(SPoint centre, SPoint point)
{
    // The constants are the arc's own: a 270-degree arc from down-left through
    // up to down-right, with the dead zone below jumping to the nearer end.
    float a = std::atan2(float(centre.y - point.y), float(centre.x - point.x)) - 1.57f;
    if (a < -3.14f)
        a += 6.28f;
    const float t = (a + 3.14f) / 6.28f;
    if (t >= 0.5f)
        return std::fmin(1.0f, 0.5f + (t - 0.5f) / 0.75f);
    return 0.5f - (0.5f - t) / 0.75f;
}

bool CKnob::Mouse(EMouseEvent event, SPoint point)
{
    if (!TakesInput())
        return false;
    IWindow* window = GetWindow();
    if (!window)
        return false;
    if (const std::optional<bool> handled = DragPressOrRelease(event, point, drag_))
        return *handled;
    if (event != kMouseMove || !drag_.IsDragging())
        return false;
    if (window->GetOptions().knobMode == kModeCircular) {
        const SRect r = GetAbsoluteRect();
        const SPoint centre{r.position.x + r.size.width / 2, r.position.y + r.size.height / 2};
        SetValue(CircularValue(centre, point), true);
        return true;
    }
    const float units = CValueDrag::UnitsPerStep(kLinearSensitivity, 0);
    SetValue(drag_.Move(point, GetValue(), window->IsFineKeyDown(), units, true), true);
    return true;
}

bool CKnob::Wheel(SPoint point, float notches)
{
    if (!TakesInput() || !IsInside(point))
        return false;
    IWindow* window = GetWindow();
    const bool fine = window && window->IsShiftDown();
    SetValue(GetValue() + notches / (fine ? kFineNotchesPerRange : kNotchesPerRange), true);
    return true;
}

}  // namespace zt::ge
