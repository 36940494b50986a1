#include "gui/toolkit/DrawPrimitives.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace zt::ge {
namespace {

inline uint8_t* PixelAt(IDC& dc, int64_t x, int64_t y) { return dc.GetBits() + y * dc.GetStride() + x * 4; }

inline uint8_t BlendChannel(uint8_t colour, uint8_t destination, uint32_t alpha)
{
    return uint8_t((colour * alpha + destination * (255 - alpha)) >> 8);
}

inline void Put(uint8_t* p, SColour c)
{
    if (c.a == 255) {
        std::memcpy(p, &c, 4);
        return;
    }
    p[0] = BlendChannel(c.b, p[0], c.a);
    p[1] = BlendChannel(c.g, p[1], c.a);
    p[2] = BlendChannel(c.r, p[2], c.a);
}

// Weight 0 gives the colour, 255 keeps the destination; the sum is a divide
// by 255 with rounding.
inline uint8_t WeighChannel(uint8_t colour, uint8_t destination, int32_t weight)
{
    const int32_t d = (int32_t(destination) - int32_t(colour)) * weight;
    const int32_t v = int32_t(colour) + ((d + (d >> 8) + 128) >> 8);
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

inline void PutWeighted(uint8_t* p, SColour c, int32_t weight)
{
    p[0] = WeighChannel(c.b, p[0], weight);
    p[1] = WeighChannel(c.g, p[1], weight);
    p[2] = WeighChannel(c.r, p[2], weight);
}

inline uint8_t Mix(uint8_t first, uint8_t second, float t)
{
    return uint8_t(float(first) * (1.0f - t) + float(second) * t + 0.5f);
}

// colour * alpha / 255 + destination * (1 - alpha / 255), rounded.
inline uint8_t BlendRounded(uint8_t colour, uint8_t destination, uint32_t alpha)
{
    return uint8_t((colour * alpha + destination * (255 - alpha) + 127) / 255);
}

// The steps k of a line from `from` (moving by `step`, ±1) whose major
// coordinate lies in [low, high]; so huge lines cost only their visible part.
inline bool VisibleSteps(int64_t from, int64_t step, int64_t steps, int64_t low, int64_t high, int64_t& first,
                         int64_t& last)
{
    first = step > 0 ? low - from : from - high;
    last = step > 0 ? high - from : from - low;
    if (first < 0)
        first = 0;
    if (last > steps)
        last = steps;
    return first <= last;
}

}  // namespace

CDrawPrimitives::CDrawPrimitives(IDC& dc)
    : dc_(dc), perfGradientLine_("Primitive DrawLineVertGradiant"),
      perfGradientLine2_("Primitive DrawLineVertGradiant 2"), perfLine_("Primitive DrawLine"),
      perfRectGradient_("Primitive DrawRectGradiant")
{}

std::vector<const CPerfMon*> CDrawPrimitives::GetPerfMons() const
{
    return {&perfGradientLine_, &perfGradientLine2_, &perfLine_, &perfRectGradient_};
}

SRect CDrawPrimitives::Limit(const SRect& clip) const
{
    if (dc_.GetBits() == nullptr)
        return {};
    return Intersect(clip, SRect({0, 0}, dc_.GetSize()));
}

void CDrawPrimitives::FillRect(const SRect& rect, SColour colour, const SRect& clip)
{
    const SRect area = Intersect(rect, Limit(clip));
    if (area.IsEmpty())
        return;
    for (int64_t y = area.Top(); y <= area.Bottom(); ++y) {
        uint8_t* p = PixelAt(dc_, area.Left(), y);
        for (int32_t i = 0; i < area.size.width; ++i, p += 4)
            Put(p, colour);
    }
}

void CDrawPrimitives::FrameRect(const SRect& rect, SColour colour, const SRect& clip)
{
    if (rect.IsEmpty())
        return;
    const auto left = int32_t(rect.Left()), top = int32_t(rect.Top());
    const auto right = int32_t(rect.Right()), bottom = int32_t(rect.Bottom());
    DrawLine({left, top}, {right, top}, colour, clip);
    if (bottom == top)
        return;
    DrawLine({left, bottom}, {right, bottom}, colour, clip);
    if (bottom - top < 2)
        return;
    // The sides leave out the corners, so a translucent frame blends each pixel once.
    DrawLine({left, top + 1}, {left, bottom - 1}, colour, clip);
    if (right != left)
        DrawLine({right, top + 1}, {right, bottom - 1}, colour, clip);
}

void CDrawPrimitives::DrawLine(SPoint from, SPoint to, SColour colour, const SRect& clip)
{
    CPerfMon::CScope timing(perfLine_);
    const SRect area = Limit(clip);
    if (area.IsEmpty())
        return;
    const int64_t dx = int64_t(to.x) - from.x, dy = int64_t(to.y) - from.y;
    const bool alongX = std::llabs(dx) >= std::llabs(dy);
    const int64_t steps = alongX ? std::llabs(dx) : std::llabs(dy);
    const int64_t majorStep = (alongX ? dx : dy) < 0 ? -1 : 1;
    const float slope = steps == 0 ? 0.0f : float(alongX ? dy : dx) / float(steps);
    const int64_t major0 = alongX ? from.x : from.y;
    const float minor0 = float(alongX ? from.y : from.x);
    int64_t first = 0, last = 0;
    if (!VisibleSteps(major0, majorStep, steps, alongX ? area.Left() : area.Top(),
                      alongX ? area.Right() : area.Bottom(), first, last))
        return;
    for (int64_t k = first; k <= last; ++k) {
        const int64_t major = major0 + k * majorStep;
        const auto m = int64_t(std::floor(minor0 + slope * float(k) + 0.5f));
        const SPoint p = alongX ? SPoint{int32_t(major), int32_t(m)} : SPoint{int32_t(m), int32_t(major)};
        if (area.Contains(p))
            Put(PixelAt(dc_, p.x, p.y), colour);
    }
}

void CDrawPrimitives::DrawLineAA(SPoint from, SPoint to, SColour colour, const SRect& clip)
{
    if (from.x == to.x || from.y == to.y) {
        DrawLine(from, to, SColour{colour.b, colour.g, colour.r, 255}, clip);
        return;
    }
    const SRect area = Limit(clip);
    if (area.IsEmpty())
        return;
    const int64_t dx = int64_t(to.x) - from.x, dy = int64_t(to.y) - from.y;
    const bool alongX = std::llabs(dx) >= std::llabs(dy);
    const int64_t steps = alongX ? std::llabs(dx) : std::llabs(dy);
    const int64_t majorStep = (alongX ? dx : dy) < 0 ? -1 : 1;
    const int64_t slope = (alongX ? dy : dx) * 65536 / steps;  // 16.16, truncated towards zero
    const int64_t major0 = alongX ? from.x : from.y;
    const int64_t position0 = int64_t(alongX ? from.y : from.x) * 65536;
    int64_t first = 0, last = 0;
    if (!VisibleSteps(major0, majorStep, steps, alongX ? area.Left() : area.Top(),
                      alongX ? area.Right() : area.Bottom(), first, last))
        return;
    for (int64_t k = first; k <= last; ++k) {
        const int64_t major = major0 + k * majorStep;
        const int64_t position = position0 + k * slope;
        const int64_t nearPixel = position >> 16;  // at or above the exact position
        const auto weight = int32_t((position >> 8) & 0xFF);
        for (int32_t side = 0; side < 2; ++side) {
            const int64_t m = nearPixel + side;
            const SPoint p = alongX ? SPoint{int32_t(major), int32_t(m)} : SPoint{int32_t(m), int32_t(major)};
            if (area.Contains(p))
                PutWeighted(PixelAt(dc_, p.x, p.y), colour, side == 0 ? weight : 255 - weight);
        }
    }
}

void CDrawPrimitives::Gradient(SPoint top, int32_t height, SColour first, SColour second, bool alphaRuns,
                               const SRect& area)
{
    // area is the column's (or rectangle's) visible part; rows outside it are skipped.
    for (int64_t y = area.Top(); y <= area.Bottom(); ++y) {
        const float t = float(y - top.y) / float(height);
        const uint8_t b = Mix(first.b, second.b, t), g = Mix(first.g, second.g, t), r = Mix(first.r, second.r, t);
        const uint32_t alpha = alphaRuns ? Mix(first.a, second.a, t) : first.a;
        uint8_t* p = PixelAt(dc_, area.Left(), y);
        if (alpha == 255) {
            const SColour c{b, g, r, 255};
            for (int32_t i = 0; i < area.size.width; ++i, p += 4)
                std::memcpy(p, &c, 4);
            continue;
        }
        for (int32_t i = 0; i < area.size.width; ++i, p += 4) {
            p[0] = BlendRounded(b, p[0], alpha);
            p[1] = BlendRounded(g, p[1], alpha);
            p[2] = BlendRounded(r, p[2], alpha);
        }
    }
}

void CDrawPrimitives::DrawLineVertGradient(SPoint top, int32_t height, SColour first, SColour second, const SRect& clip)
{
    CPerfMon::CScope timing(perfGradientLine_);
    const SRect area = Intersect(SRect(top, {1, height}), Limit(clip));
    if (!area.IsEmpty())
        Gradient(top, height, first, second, false, area);
}

void CDrawPrimitives::DrawLineVertGradient2(SPoint top, int32_t height, SColour first, SColour second,
                                            const SRect& clip)
{
    CPerfMon::CScope timing(perfGradientLine2_);
    const SRect area = Intersect(SRect(top, {1, height}), Limit(clip));
    if (!area.IsEmpty())
        Gradient(top, height, first, second, true, area);
}

void CDrawPrimitives::DrawRectGradient(const SRect& rect, SColour first, SColour second, const SRect& clip)
{
    CPerfMon::CScope timing(perfRectGradient_);
    const SRect area = Intersect(rect, Limit(clip));
    if (!area.IsEmpty())
        Gradient(rect.position, rect.size.height, first, second, false, area);
}

void CDrawPrimitives::CopyPixels(const SPixelView& source, SPoint destination, const SRect& clip)
{
    if (source.bits == nullptr)
        return;
    const SRect area = Intersect(SRect(destination, source.size), Limit(clip));
    if (area.IsEmpty())
        return;
    for (int64_t y = area.Top(); y <= area.Bottom(); ++y) {
        const uint8_t* s = source.bits + (y - destination.y) * source.stride + (area.Left() - destination.x) * 4;
        std::memcpy(PixelAt(dc_, area.Left(), y), s, std::size_t(area.size.width) * 4);
    }
}

void CDrawPrimitives::BlendPixels(const SPixelView& source, SPoint destination, const SRect& clip)
{
    if (source.bits == nullptr)
        return;
    const SRect area = Intersect(SRect(destination, source.size), Limit(clip));
    if (area.IsEmpty())
        return;
    for (int64_t y = area.Top(); y <= area.Bottom(); ++y) {
        const uint8_t* s = source.bits + (y - destination.y) * source.stride + (area.Left() - destination.x) * 4;
        uint8_t* p = PixelAt(dc_, area.Left(), y);
        for (int32_t i = 0; i < area.size.width; ++i, p += 4, s += 4) {
            // A transparent skin pixel must not touch what lies beneath.
            if (s[3] != 0)
                Put(p, SColour{s[0], s[1], s[2], s[3]});
        }
    }
}

}  // namespace zt::ge
