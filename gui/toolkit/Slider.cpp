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
    : CControl(SRect(position, SliderSize(handle, travel, orientation)), id), m_handle(handle), m_travel(travel),
      m_orientation(orientation == kVertical ? kVertical : kHorizontal)
{
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
}

CSlider::~CSlider() = default;

void CSlider::SetSensitivity(float sensitivity) { m_sensitivity = sensitivity; }
float CSlider::GetSensitivity() const { return m_sensitivity; }
int32_t CSlider::GetTravel() const { return m_travel; }
int32_t CSlider::GetOrientation() const { return m_orientation; }
bool CSlider::IsDragging() const { return m_drag.IsDragging(); }

SRect CSlider::GetHandleRect() const
{
    const SRect r = GetAbsoluteRect();
    const float v = std::clamp(GetValue(), 0.0f, 1.0f);
    if (m_orientation == kVertical) {
        const int32_t room = r.size.height - m_handle.height;
        return SRect(r.position.x, r.position.y + int32_t(std::lround((1.0f - v) * float(room))), m_handle.width,
                     m_handle.height);
    }
    const int32_t room = r.size.width - m_handle.width;
    return SRect(r.position.x + int32_t(std::lround(v * float(room))), r.position.y, m_handle.width, m_handle.height);
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
    if (const std::optional<bool> handled = DragPressOrRelease(event, point, m_drag))
        return *handled;
    if (event != kMouseMove || !m_drag.IsDragging())
        return false;
    SetValue(m_drag.Move(point, GetValue(), window->IsFineKeyDown(), CValueDrag::UnitsPerStep(m_sensitivity, m_travel),
                         m_orientation == kVertical),
             true);
    return true;
}

}  // namespace zt::ge
