#include "gui/toolkit/ScrollBar.h"

#include <algorithm>
#include <cmath>

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CScrollBar::CScrollBar(const SRect& rect, int32_t orientation, int32_t id, int32_t trackBitmapId, int32_t thumbBitmapId)
    : CControl(rect, id), orientation_(orientation == kHorizontal ? kHorizontal : kVertical)
{
    if (trackBitmapId >= 0)
        SetBitmapId(trackBitmapId);
    SetThumbBitmapId(thumbBitmapId);
}

CScrollBar::~CScrollBar() = default;

void CScrollBar::SetThumbBitmapId(int32_t resourceId)
{
    thumb_.Reset();
    thumbId_ = resourceId;
    Invalidate();
}

IBitmapResource* CScrollBar::Thumb()
{
    if (!thumb_ && thumbId_ >= 0) {
        IWindow* window = GetWindow();
        if (IResourceManager* resources = window ? window->GetResourceManager() : nullptr) {
            thumb_ = TResourceRef<IBitmapResource>::Adopt(resources->GetBitmap(thumbId_));
            thumbId_ = -1;
        }
    }
    return thumb_.Get();
}

void CScrollBar::SetThumbLength(int32_t pixels)
{
    thumbLength_ = std::max(1, pixels);
    Invalidate();
}

void CScrollBar::SetPage(float page) { page_ = std::clamp(page, 0.0f, 1.0f); }
bool CScrollBar::IsDragging() const { return drag_.IsDragging(); }

int32_t CScrollBar::Travel() const
{
    const SSize size = GetSize();
    return std::max(0, (orientation_ == kVertical ? size.height : size.width) - thumbLength_);
}

SRect CScrollBar::GetThumbRect() const
{
    const SRect r = GetAbsoluteRect();
    const auto offset = int32_t(std::lround(std::clamp(GetValue(), 0.0f, 1.0f) * float(Travel())));
    if (orientation_ == kVertical)
        return SRect(r.position.x, r.position.y + offset, r.size.width, thumbLength_);
    return SRect(r.position.x + offset, r.position.y, thumbLength_, r.size.height);
}

void CScrollBar::Draw(IDrawContext& context)
{
    const SRect area = GetAbsoluteRect();
    IDrawPrimitives& draw = context.GetPrimitives();
    if (IBitmapResource* track = GetBitmap()) {
        // The ends as they are, the middle repeated: the skin's track fits any length.
        const SPixelView view = track->GetView();
        const bool vertical = orientation_ == kVertical;
        const int32_t length = vertical ? area.size.height : area.size.width;
        const int32_t own = vertical ? view.size.height : view.size.width;
        const int32_t end = std::min(own / 2, length / 2);
        const SRect first
            = vertical ? SRect(area.position, {area.size.width, end}) : SRect(area.position, {end, area.size.height});
        track->DrawFrame(draw, 0, 1, area.position, Intersect(first, area));
        const SPoint lastAt = vertical ? SPoint{area.position.x, area.position.y + length - own}
                                       : SPoint{area.position.x + length - own, area.position.y};
        const SRect last = vertical ? SRect(area.position.x, area.position.y + length - end, area.size.width, end)
                                    : SRect(area.position.x + length - end, area.position.y, end, area.size.height);
        track->DrawFrame(draw, 0, 1, lastAt, Intersect(last, area));
        if (own > 0) {
            SPixelView middle = view;
            if (vertical) {
                middle.bits += std::size_t(own / 2) * std::size_t(view.stride);
                middle.size.height = 1;
            } else {
                middle.bits += std::size_t(own / 2) * 4;
                middle.size.width = 1;
            }
            for (int32_t i = end; i < length - end; ++i) {
                const SPoint at = vertical ? SPoint{area.position.x, area.position.y + i}
                                           : SPoint{area.position.x + i, area.position.y};
                if (track->IsOpaque())
                    draw.CopyPixels(middle, at, area);
                else
                    draw.BlendPixels(middle, at, area);
            }
        }
    }
    if (IBitmapResource* thumb = Thumb())
        thumb->DrawFrame(draw, 0, 1, GetThumbRect().position, area);
}

bool CScrollBar::Mouse(EMouseEvent event, SPoint point)
{
    if (!TakesInput())
        return false;
    IWindow* window = GetWindow();
    if (!window)
        return false;
    const bool vertical = orientation_ == kVertical;
    switch (event) {
    case kMouseLeftDown:
    case kMouseLeftDoubleClick: {
        if (!IsInside(point))
            return false;
        const SRect thumb = GetThumbRect();
        BeginEdit();
        if (!thumb.Contains(point)) {
            const bool before = vertical ? point.y < thumb.position.y : point.x < thumb.position.x;
            SetValue(GetValue() + (before ? -page_ : page_), true);
            EndEdit();
            return true;
        }
        // Dragging down (right) adds, so the pointer's vertical sense is turned round.
        drag_.Start(vertical ? SPoint{point.x, -point.y} : point, GetValue(), window->IsFineKeyDown());
        window->CaptureMouse(this);
        return true;
    }
    case kMouseLeftUp:
        if (!drag_.IsDragging())
            return false;
        drag_.Stop();
        EndEdit();
        window->ReleaseMouse(this);
        return true;
    case kMouseMove:
        if (!drag_.IsDragging())
            return false;
        SetValue(drag_.Move(vertical ? SPoint{point.x, -point.y} : point, GetValue(), window->IsFineKeyDown(),
                            CValueDrag::UnitsPerStep(-1.0f, Travel()), vertical),
                 true);
        return true;
    default:
        return false;
    }
}

bool CScrollBar::Wheel(SPoint point, float notches)
{
    if (!TakesInput() || !IsInside(point))
        return false;
    SetValue(GetValue() - notches * page_ / 10.0f, true);
    return true;
}

}  // namespace zt::ge
