#include "gui/toolkit/Slider.h"

#include <algorithm>
#include <cmath>

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {
namespace {

SSize SliderSize(SSize handle, int32_t travel, int32_t orientation)
{
    return orientation == kVertical ? SSize{handle.width, std::max(travel, handle.height)}
                                    : SSize{std::max(travel, handle.width), handle.height};
}

}  // namespace

CSlider::CSlider(SPoint position, SSize handle, int32_t travel, int32_t orientation, int32_t id, int32_t bitmapId)
    : CControl(SRect(position, SliderSize(handle, travel, orientation)), id), handle_(handle), travel_(travel),
      orientation_(orientation == kVertical ? kVertical : kHorizontal)
{
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
}

CSlider::~CSlider() = default;

void CSlider::SetSensitivity(float sensitivity) { sensitivity_ = sensitivity; }
float CSlider::GetSensitivity() const { return sensitivity_; }
int32_t CSlider::GetTravel() const { return travel_; }
int32_t CSlider::GetOrientation() const { return orientation_; }
bool CSlider::IsDragging() const { return drag_.IsDragging(); }

SRect CSlider::GetHandleRect() const
{
    const SRect r = GetAbsoluteRect();
    const float v = std::clamp(GetValue(), 0.0f, 1.0f);
    if (orientation_ == kVertical) {
        const int32_t room = r.size.height - handle_.height;
        return SRect(r.position.x, r.position.y + int32_t(std::lround((1.0f - v) * float(room))), handle_.width,
                     handle_.height);
    }
    const int32_t room = r.size.width - handle_.width;
    return SRect(r.position.x + int32_t(std::lround(v * float(room))), r.position.y, handle_.width, handle_.height);
}

void CSlider::Draw(IDrawContext& context)
{
    IBitmapResource* handle = GetBitmap();
    if (!handle)
        return;
    handle->DrawFrame(context.GetPrimitives(), 0, 1, GetHandleRect().position, GetAbsoluteRect());
}

bool CSlider::Mouse(EMouseEvent event, SPoint point)
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
    SetValue(drag_.Move(point, GetValue(), window->IsFineKeyDown(), CValueDrag::UnitsPerStep(sensitivity_, travel_),
                        orientation_ == kVertical),
             true);
    return true;
}

}  // namespace zt::ge
