#include "gui/toolkit/HBS.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "gui/toolkit/DrawContext.h"

namespace zt::ge {
namespace {

constexpr int32_t kMax = 255;         // of every component
constexpr int32_t kSixth = kMax / 6;  // 42: one sixth of the hue circle
constexpr int32_t kUndefinedHue = kMax + 1;

// trunc(v) limited to 0..255; NaN gives 0.
inline int32_t LimitComponent(double v)
{
    if (!(v >= 0.0))
        return 0;
    if (v >= double(kMax))
        return kMax;
    return int32_t(v);
}

inline int32_t WrapHue(int32_t h)
{
    if (h < 0)
        return h + kMax;
    if (h > kMax)
        return h - kMax;
    return h;
}

inline int32_t ChannelOf(int32_t m1, int32_t m2, int32_t h)
{
    h = WrapHue(h);
    int32_t v = m1;
    if (h < kSixth)
        v = m1 + ((m2 - m1) * h + kSixth / 2) / kSixth;
    else if (h <= 126)
        v = m2;
    else if (h < 170)
        v = m1 + ((m2 - m1) * (170 - h) + kSixth / 2) / kSixth;
    v = (v * kMax + kMax / 2) / kMax;
    // On a 0..255 scale the falling edge spans 43 hue steps, one more than
    // the 42 it is divided by, so a hue of 127 can overshoot m2 by up to a
    // 42nd of m2 - m1: keep such a channel at full rather than let the byte wrap.
    return std::clamp(v, 0, kMax);
}

}  // namespace

SHLS ToHLS(SColour pixel)
{
    const int32_t r = pixel.r, g = pixel.g, b = pixel.b;
    const int32_t high = std::max({r, g, b}), low = std::min({r, g, b});
    SHLS hls;
    hls.l = ((high + low) * kMax + kMax) / (2 * kMax);
    if (high == low) {
        hls.s = 0;
        hls.h = kUndefinedHue;
        return hls;
    }
    const int32_t d = high - low;
    if (hls.l < 128)
        hls.s = (d * kMax + (high + low) / 2) / (high + low);
    else
        hls.s = (d * kMax + (2 * kMax - high - low) / 2) / (2 * kMax - high - low);
    const int32_t rd = ((high - r) * kSixth + d / 2) / d;
    const int32_t gd = ((high - g) * kSixth + d / 2) / d;
    const int32_t bd = ((high - b) * kSixth + d / 2) / d;
    if (r == high)
        hls.h = bd - gd;
    else if (g == high)
        hls.h = kMax / 3 + rd - bd;
    else
        hls.h = 2 * kMax / 3 + gd - rd;
    hls.h = WrapHue(hls.h);
    return hls;
}

SColour FromHLS(SHLS hls, uint8_t fourth)
{
    if (hls.s == 0) {
        const auto v = uint8_t(hls.l);
        return SColour{v, v, v, fourth};
    }
    const int32_t l = hls.l, s = hls.s;
    const auto m2 = uint8_t(l < 128 ? (l * (kMax + s) + kMax / 2) / kMax : l + s - (l * s + kMax / 2) / kMax);
    const auto m1 = uint8_t(2 * l - m2);
    SColour out;
    out.r = uint8_t(ChannelOf(m1, m2, hls.h + kMax / 3));
    out.g = uint8_t(ChannelOf(m1, m2, hls.h));
    out.b = uint8_t(ChannelOf(m1, m2, hls.h - kMax / 3));
    out.a = fourth;
    return out;
}

SHLS AdjustHLS(SHLS hls, float hue, float brightness, float saturation)
{
    SHLS out;
    out.h = LimitComponent(double(hls.h) * (1.0 + double(hue) / 90.0));
    out.l = LimitComponent(double(hls.l) * (1.0 + double(brightness) * 0.01));
    out.s = LimitComponent(double(hls.s) * (1.0 + double(saturation) * 0.01));
    return out;
}

SColour RecolourPixel(SColour pixel, float hue, float brightness, float saturation)
{
    return FromHLS(AdjustHLS(ToHLS(pixel), hue, brightness, saturation), pixel.a);
}

CHBS::CHBS(const SRect& rect, int32_t id) : CControl(rect, id) {}

CHBS::~CHBS() = default;

void CHBS::Adjusted()
{
    cacheValid_ = false;
    Invalidate();
}

void CHBS::SetHue(float hue)
{
    hue_ = hue;
    Adjusted();
}

void CHBS::SetBrightness(float brightness)
{
    brightness_ = brightness;
    Adjusted();
}

void CHBS::SetSaturation(float saturation)
{
    saturation_ = saturation;
    Adjusted();
}

void CHBS::Draw(IDrawContext& context)
{
    if (!IsShown())
        return;
    IDC& dc = context.GetDC();
    uint8_t* bits = dc.GetBits();
    const SRect whole = GetAbsoluteRect();
    const SRect area = Intersect(whole, SRect({0, 0}, dc.GetSize()));
    if (!bits || area.IsEmpty() || SurfaceBytes(whole.size) == 0)
        return;
    if (cacheSize_ != whole.size || !cache_) {
        cache_.reset(new (std::nothrow) uint8_t[SurfaceBytes(whole.size)]);
        cacheSize_ = cache_ ? whole.size : SSize{};
        cacheValid_ = false;
        if (!cache_)
            return;  // no room: the panel shows unrecoloured rather than not at all
    }
    const int32_t stride = dc.GetStride();
    const std::size_t cacheStride = std::size_t(whole.size.width) * 4;
    const std::size_t run = std::size_t(area.size.width) * 4;
    const std::size_t cacheColumn = std::size_t(area.Left() - whole.Left()) * 4;
    if (cacheValid_) {
        for (int64_t y = area.Top(); y <= area.Bottom(); ++y)
            std::memcpy(bits + y * stride + area.Left() * 4,
                        cache_.get() + std::size_t(y - whole.Top()) * cacheStride + cacheColumn, run);
        return;
    }
    // Panels are mostly runs of one colour: remember the last conversion.
    SColour lastIn{}, lastOut = RecolourPixel(lastIn, hue_, brightness_, saturation_);
    for (int64_t y = area.Top(); y <= area.Bottom(); ++y) {
        uint8_t* p = bits + y * stride + area.Left() * 4;
        uint8_t* cached = cache_.get() + std::size_t(y - whole.Top()) * cacheStride + cacheColumn;
        for (int32_t i = 0; i < area.size.width; ++i, p += 4, cached += 4) {
            SColour in;
            std::memcpy(&in, p, 4);
            if (in != lastIn) {
                lastIn = in;
                lastOut = RecolourPixel(in, hue_, brightness_, saturation_);
            }
            std::memcpy(p, &lastOut, 4);
            std::memcpy(cached, &lastOut, 4);
        }
    }
    // Only a pass over every pixel leaves a cache that can stand for the panel.
    cacheValid_ = area == whole;
}

}  // namespace zt::ge
