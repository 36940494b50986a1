#include "gui/toolkit/PeakMeter.h"

#include <algorithm>
#include <cmath>

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"

namespace zt::ge {

CPeakMeter::CPeakMeter(const SRect& rect, int32_t mode, int32_t startMargin, int32_t endMargin, int32_t bitmapId,
                       int32_t id)
    : CControl(rect, id), mode_(mode >= 0 && mode <= 3 ? mode : 0), startMargin_(startMargin), endMargin_(endMargin)
{
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
}

CPeakMeter::~CPeakMeter() = default;

int32_t CPeakMeter::BitmapLength()
{
    if (IBitmapResource* bitmap = GetBitmap())
        length_ = IsVertical() ? bitmap->GetHeight() : bitmap->GetWidth();
    return length_;
}

int32_t CPeakMeter::GetLitLength() const { return std::max(0, length_ - startMargin_ - endMargin_); }

int32_t CPeakMeter::GetLitPixels() const
{
    return int32_t(std::lround(std::clamp(GetValue(), 0.0f, 1.0f) * float(GetLitLength())));
}

SRect CPeakMeter::GetLitRect()
{
    BitmapLength();
    const int32_t lit = GetLitPixels();
    if (lit <= 0)
        return {};
    const int32_t unlit = GetLitLength() - lit;
    // Where the lit run starts, along the meter, from the bitmap's start.
    const int32_t from = (mode_ == 0 || mode_ == 2) ? startMargin_ + unlit : startMargin_;
    const SRect r = GetAbsoluteRect();
    return IsVertical() ? SRect(r.position.x, r.position.y + from, r.size.width, lit)
                        : SRect(r.position.x + from, r.position.y, lit, r.size.height);
}

void CPeakMeter::Update(float reading, float decay)
{
    level_ *= decay;
    if (reading > level_)
        level_ = reading;
    SetValue(level_, false);
}

void CPeakMeter::SetValue(float value, bool notify)
{
    if (std::fabs(LimitValue(value) - GetValue()) <= 1e-6f)
        return;
    const SRect before = GetLitRect();
    StoreValue(value);
    if (notify)
        ValueChangedByUser();
    if (GetLitRect() != before)
        Invalidate();
}

void CPeakMeter::Draw(IDrawContext& context)
{
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const SRect lit = Intersect(GetLitRect(), GetAbsoluteRect());
    if (lit.IsEmpty())
        return;
    bitmap->DrawFrame(context.GetPrimitives(), 0, 1, GetAbsolutePosition(), lit);
}

}  // namespace zt::ge
