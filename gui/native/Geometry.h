#pragma once

#include <algorithm>
#include <cstdint>

namespace zt::ge {

struct SPoint {
    int32_t x = 0;
    int32_t y = 0;
};

inline bool operator==(SPoint a, SPoint b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(SPoint a, SPoint b) { return !(a == b); }
inline SPoint operator+(SPoint a, SPoint b) { return {a.x + b.x, a.y + b.y}; }
inline SPoint operator-(SPoint a, SPoint b) { return {a.x - b.x, a.y - b.y}; }

struct SSize {
    int32_t width = 0;
    int32_t height = 0;
};

inline bool operator==(SSize a, SSize b) { return a.width == b.width && a.height == b.height; }
inline bool operator!=(SSize a, SSize b) { return !(a == b); }

// A position and an extent, not two corners: the last column inside is
// x + width - 1. Edges are computed in 64 bits so absurd extents cannot overflow.
struct SRect {
    SPoint position;
    SSize size;

    SRect() = default;
    SRect(SPoint p, SSize s) : position(p), size(s) {}
    SRect(int32_t x, int32_t y, int32_t width, int32_t height) : position{x, y}, size{width, height} {}

    int64_t Left() const { return position.x; }
    int64_t Top() const { return position.y; }
    int64_t Right() const { return int64_t(position.x) + size.width - 1; }
    int64_t Bottom() const { return int64_t(position.y) + size.height - 1; }
    bool IsEmpty() const { return size.width < 1 || size.height < 1; }
    bool Contains(SPoint p) const
    {
        return !IsEmpty() && p.x >= Left() && p.x <= Right() && p.y >= Top() && p.y <= Bottom();
    }
};

inline bool operator==(const SRect& a, const SRect& b) { return a.position == b.position && a.size == b.size; }
inline bool operator!=(const SRect& a, const SRect& b) { return !(a == b); }

// Builds a rectangle from inclusive edges; an inverted pair gives an empty one.
inline SRect RectFromEdges(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    if (right < left || bottom < top)
        return {};
    auto clamp = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return SRect(clamp(left), clamp(top), clamp(right - left + 1), clamp(bottom - top + 1));
}

inline SRect Intersect(const SRect& a, const SRect& b)
{
    if (a.IsEmpty() || b.IsEmpty())
        return {};
    return RectFromEdges(std::max(a.Left(), b.Left()), std::max(a.Top(), b.Top()), std::min(a.Right(), b.Right()),
                         std::min(a.Bottom(), b.Bottom()));
}

// The smallest rectangle holding both; an empty operand adds nothing.
inline SRect Union(const SRect& a, const SRect& b)
{
    if (a.IsEmpty())
        return b.IsEmpty() ? SRect() : b;
    if (b.IsEmpty())
        return a;
    return RectFromEdges(std::min(a.Left(), b.Left()), std::min(a.Top(), b.Top()), std::max(a.Right(), b.Right()),
                         std::max(a.Bottom(), b.Bottom()));
}

}  // namespace zt::ge
