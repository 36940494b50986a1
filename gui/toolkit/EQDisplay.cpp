#include "gui/toolkit/EQDisplay.h"

#include <algorithm>
#include <cmath>

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {
namespace {

// Rounds half away from zero; v must be finite and within int32_t.
inline int32_t RoundHalfAway(double v) { return int32_t(v < 0.0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5)); }

// Rows further outside the display than this are drawn as if here, so a wild
// curve value costs no more than a line across the display.
constexpr float kRowMargin = 2.0f;

}  // namespace

// ---------------------------------------------------------------------------
// CEQHandle

CEQHandle::CEQHandle(CEQDisplay& display, int32_t band, int32_t bitmapId, int32_t frames)
    : CControl({}, IEQDisplay::kHandleIdBase + band), display_(display), band_(band), frames_(frames < 1 ? 1 : frames)
{
    SetClamped(false);  // the value is a packed pixel, not a fraction
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
    FitRect();
}

CEQHandle::~CEQHandle() = default;

SSize CEQHandle::HandleSize()
{
    if (IBitmapResource* bitmap = GetBitmap())
        if (bitmap->GetWidth() > 0 && bitmap->GetHeight() > 0)
            return {bitmap->GetWidth(), bitmap->GetHeight() / frames_};
    return {kSizeWithoutBitmap, kSizeWithoutBitmap};
}

void CEQHandle::FitRect()
{
    const SSize size = HandleSize();
    SetSize(size);
    SetPosition({pixel_.x - size.width / 2, pixel_.y - size.height / 2});
}

void CEQHandle::MoveTo(SPoint pixel)
{
    pixel_ = pixel;
    FitRect();
    StoreValue(CEQDisplay::PackPixel(pixel));
}

void CEQHandle::Draw(IDrawContext& context)
{
    // The bitmap may have become known only now (the window came later).
    FitRect();
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const SRect clip = Intersect(GetAbsoluteRect(), display_.GetAbsoluteRect());
    bitmap->DrawFrame(context.GetPrimitives(), dragging_ ? frames_ - 1 : 0, frames_, GetAbsolutePosition(), clip);
}

void CEQHandle::EndDrag()
{
    dragging_ = false;
    if (IWindow* window = GetWindow())
        window->ReleaseMouse(this);
    EndEdit();
}

bool CEQHandle::Mouse(EMouseEvent event, SPoint point)
{
    IWindow* window = GetWindow();
    if (!window)
        return false;
    FitRect();  // the hit area is the bitmap's, which may have arrived with the window
    switch (event) {
    case kMouseLeftDown:
    case kMouseLeftDoubleClick:
        if (!TakesInput() || !IsInside(point))
            return false;
        if (!dragging_) {
            dragging_ = true;
            grab_ = point - (display_.GetAbsolutePosition() + pixel_);
            window->CaptureMouse(this);
            BeginEdit();
        }
        return true;
    case kMouseMove: {
        if (!dragging_)
            return false;
        if (!TakesInput()) {  // hidden under the pointer: the gesture ends here
            EndDrag();
            return true;
        }
        const SSize size = display_.GetSize();
        const SPoint wanted = point - grab_ - display_.GetAbsolutePosition();
        const SPoint pixel{std::clamp(wanted.x, 0, std::max(0, size.width - 1)),
                           std::clamp(wanted.y, 0, std::max(0, size.height - 1))};
        if (pixel != pixel_) {
            MoveTo(pixel);
            ValueChangedByUser();
        }
        return true;
    }
    case kMouseLeftUp:
        if (!dragging_)
            return false;
        EndDrag();
        return true;
    default:
        return dragging_;
    }
}

bool CEQHandle::Wheel(SPoint point, float notches)
{
    FitRect();
    if (!TakesInput() || !IsInside(point) || !std::isfinite(notches))
        return false;
    display_.HandleWheel(band_, notches);
    return true;
}

// ---------------------------------------------------------------------------
// CEQDisplay

CEQDisplay::CEQDisplay(const SRect& rect, int32_t id) : CPane(rect, id) {}

CEQDisplay::~CEQDisplay() = default;

void CEQDisplay::AddHandle(int32_t bitmapId, int32_t frames)
{
    auto* handle = new CEQHandle(*this, int32_t(handles_.size()), bitmapId, frames);
    handles_.push_back(handle);
    AddChild(handle);
    handle->AddReceiver(this);
    handle->MoveTo({0, std::max(0, GetSize().height - 1)});
}

CEQHandle* CEQDisplay::GetHandle(int32_t band) const
{
    return band >= 0 && std::size_t(band) < handles_.size() ? handles_[std::size_t(band)] : nullptr;
}

SPoint CEQDisplay::PixelOf(float x, float y) const
{
    const SSize size = GetSize();
    const double columns = double(std::max(0, size.width - 1));
    const double rows = double(std::max(0, size.height - 1));
    // Outside [0, 1] the point is kept on the display's edge.
    const double cx = std::clamp(double(x), 0.0, 1.0), cy = std::clamp(double(y), 0.0, 1.0);
    return {RoundHalfAway(columns * cx), RoundHalfAway(rows * (1.0 - cy))};
}

void CEQDisplay::PointOf(SPoint pixel, float& x, float& y) const
{
    const SSize size = GetSize();
    x = size.width > 1 ? float(pixel.x) / float(size.width - 1) : 0.0f;
    y = size.height > 1 ? 1.0f - float(pixel.y) / float(size.height - 1) : 1.0f;
}

SPoint CEQDisplay::UnpackPixel(float value)
{
    if (!(value >= 0.0f) || value >= 2147483648.0f)
        return {};
    const auto packed = int64_t(value);
    return {int32_t(packed >> 16), int32_t(packed & 0xFFFF)};
}

void CEQDisplay::PlaceHandle(int32_t band, float x, float y)
{
    CEQHandle* handle = GetHandle(band);
    if (!handle || std::isnan(x) || std::isnan(y))
        return;
    handle->MoveTo(PixelOf(x, y));
    Invalidate();
}

void CEQDisplay::ShowHandle(int32_t band, bool shown)
{
    if (CEQHandle* handle = GetHandle(band))
        handle->SetVisible(shown);
}

void CEQDisplay::SetCurve(const float* y, int32_t count)
{
    if (!y || count < 0)
        count = 0;
    curve_.assign(y, y + count);
    Invalidate();
}

void CEQDisplay::SetCurveColour(SColour colour)
{
    curveColour_ = colour;
    Invalidate();
}

void CEQDisplay::SetCallback(IEQDisplayCallback* callback) { callback_ = callback; }

void CEQDisplay::OnBeginEdit(IControl* control)
{
    if (callback_)
        callback_->OnEQBegin(control->GetId() - kHandleIdBase);
}

void CEQDisplay::OnEndEdit(IControl* control)
{
    if (callback_)
        callback_->OnEQEnd(control->GetId() - kHandleIdBase);
}

void CEQDisplay::OnValueChanged(IControl* control)
{
    const int32_t band = control->GetId() - kHandleIdBase;
    const CEQHandle* handle = GetHandle(band);
    // The handle's own pixel, not its packed value: see CEQHandle.
    const SPoint pixel = handle == control ? handle->GetPixel() : UnpackPixel(control->GetValue());
    float x = 0.0f, y = 0.0f;
    PointOf(pixel, x, y);
    if (callback_) {
        callback_->OnEQChange({kEQEventChange, band, kEQAxisX, x});
        callback_->OnEQChange({kEQEventChange, band, kEQAxisY, y});
    }
    Invalidate();
}

void CEQDisplay::HandleWheel(int32_t band, float notches)
{
    if (callback_)
        callback_->OnEQChange({kEQEventChange, band, kEQAxisThird, notches * kThirdValuePerNotch});
}

void CEQDisplay::DrawBackground(IDrawContext& context)
{
    CPerfMon::CScope timing(perf_);
    DrawCurve(context);
}

void CEQDisplay::Cover(int32_t column, int32_t row, float coverage)
{
    if (column < 0 || row < 0 || column >= scratchSize_.width || row >= scratchSize_.height)
        return;
    const auto k = uint16_t(std::lround(std::clamp(coverage, 0.0f, 1.0f) * 256.0f));
    if (k == 0)
        return;
    uint16_t& cell = coverage_[std::size_t(row) * std::size_t(scratchSize_.width) + std::size_t(column)];
    if (k > cell)
        cell = k;
    touchedTop_[std::size_t(column)] = std::min(touchedTop_[std::size_t(column)], row);
    touchedBottom_[std::size_t(column)] = std::max(touchedBottom_[std::size_t(column)], row);
}

void CEQDisplay::DrawCurve(IDrawContext& context)
{
    const SSize size = GetSize();
    if (size.width < 1 || size.height < 1 || curve_.empty())
        return;
    if (scratchSize_ != size) {
        scratchSize_ = size;
        coverage_.assign(std::size_t(size.width) * std::size_t(size.height), 0);
        touchedTop_.assign(std::size_t(size.width), INT32_MAX);
        touchedBottom_.assign(std::size_t(size.width), -1);
    }
    const int32_t columns = std::min(size.width, int32_t(std::min<std::size_t>(curve_.size(), INT32_MAX)));
    const float rows = float(size.height - 1);
    auto rowOf = [&](int32_t c, float& row) {
        const float y = curve_[std::size_t(c)];
        if (std::isnan(y))
            return false;  // a hole; an infinite value (a notch's zero) runs off the edge instead
        row = std::clamp(rows * (1.0f - y), -kRowMargin, rows + kRowMargin);
        return true;
    };

    // A Wu line through one point per column: each point shares itself
    // between the two rows astride it, and where the curve climbs more than a
    // row between two columns, each row crossed shares itself between the two
    // columns astride the crossing.
    for (int32_t c = 0; c < columns; ++c) {
        float row = 0.0f;
        if (!rowOf(c, row))
            continue;
        const float top = std::floor(row), below = row - top;
        Cover(c, int32_t(top), 1.0f - below);
        Cover(c, int32_t(top) + 1, below);
        float next = 0.0f;
        if (c + 1 >= columns || !rowOf(c + 1, next))
            continue;
        const float rise = next - row;
        if (std::fabs(rise) <= 1.0f)
            continue;
        const float low = std::min(row, next), high = std::max(row, next);
        for (auto r = int32_t(std::floor(low)) + 1; float(r) < high; ++r) {
            const float t = (float(r) - row) / rise;  // how far across, 0 .. 1
            Cover(c, r, 1.0f - t);
            Cover(c + 1, r, t);
        }
    }

    // Blend the curve colour with weight k / 256 where the window shows the
    // display, and leave the scratch clean for the next draw.
    IDC& dc = context.GetDC();
    const SPoint origin = GetAbsolutePosition();
    const SRect visible = Intersect(GetAbsoluteRect(), SRect({0, 0}, dc.GetSize()));
    uint8_t* bits = dc.GetBits();
    const int32_t stride = dc.GetStride();
    const int32_t colour[3] = {curveColour_.b, curveColour_.g, curveColour_.r};
    for (int32_t c = 0; c < size.width; ++c) {
        int32_t& first = touchedTop_[std::size_t(c)];
        int32_t& last = touchedBottom_[std::size_t(c)];
        const int64_t x = int64_t(origin.x) + c;
        for (int32_t r = first; r <= last; ++r) {
            uint16_t& cell = coverage_[std::size_t(r) * std::size_t(size.width) + std::size_t(c)];
            const int32_t k = cell;
            cell = 0;
            const int64_t y = int64_t(origin.y) + r;
            if (k == 0 || !bits || x < visible.Left() || x > visible.Right() || y < visible.Top()
                || y > visible.Bottom())
                continue;
            uint8_t* p = bits + y * stride + x * 4;
            for (int channel = 0; channel < 3; ++channel)
                p[channel] = uint8_t((int32_t(p[channel]) * (256 - k) + colour[channel] * k + 128) >> 8);
        }
        first = INT32_MAX;
        last = -1;
    }
}

}  // namespace zt::ge
