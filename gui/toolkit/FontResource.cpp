#include "gui/toolkit/FontResource.h"

#include <algorithm>
#include <utility>

#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Tga.h"

namespace zt::ge {

CFontResource::CFontResource(int32_t id, std::vector<uint8_t> data, SColour colour)
    : CResource(id, kResourceFont, std::move(data)), colour_(colour)
{}

CFontResource::~CFontResource() = default;

bool CFontResource::Decode()
{
    if (IsDecoded())
        return true;
    tga::SImage image;
    if (!tga::Decode(GetData(), GetSize(), image))
        return false;
    // The markers need the top row, the glyph offsets the row below it.
    if (image.width < 1 || image.height < 2)
        return false;
    const int32_t width = image.width, height = image.height;
    const std::size_t stride = std::size_t(width) * 4;
    const uint8_t* row0 = image.pixels.data();
    const uint8_t* row1 = row0 + stride;

    int32_t count = 0, previous = -1, firstMarker = -1;
    for (int32_t x = 0; x < width && count < 256 - kFirstCharacter; ++x) {
        const uint8_t alpha = row0[std::size_t(x) * 4 + 3];
        if (alpha >= 255)
            continue;
        const std::size_t c = std::size_t(kFirstCharacter + count);
        start_[c] = previous + 1;
        glyphWidth_[c] = x - previous;
        offset1_[c] = int32_t(alpha) - 128;
        offset2_[c] = int32_t(row1[std::size_t(x) * 4 + 3]) - 128;
        if (firstMarker < 0)
            firstMarker = x;
        previous = x;
        ++count;
    }
    if (firstMarker >= 0) {
        metrics_[0] = image.pixels[std::size_t(height - 2) * stride + std::size_t(firstMarker) * 4 + 3];
        metrics_[1] = image.pixels[std::size_t(height - 1) * stride + std::size_t(firstMarker) * 4 + 3];
    }
    for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
        uint8_t* p = &image.pixels[i];
        p[3] = p[0];  // coverage
        p[0] = colour_.b;
        p[1] = colour_.g;
        p[2] = colour_.r;
    }
    width_ = width;
    height_ = height;
    glyphCount_ = count;
    pixels_ = std::move(image.pixels);
    MarkDecoded();
    return true;
}

int32_t CFontResource::GetGlyphCount() const { return glyphCount_; }
SColour CFontResource::GetColour() const { return colour_; }
int32_t CFontResource::GetHeight() const { return height_; }
int32_t CFontResource::GetGlyphStart(uint8_t character) const { return start_[character]; }
int32_t CFontResource::GetGlyphWidth(uint8_t character) const { return glyphWidth_[character]; }
int32_t CFontResource::GetGlyphOffset1(uint8_t character) const { return offset1_[character]; }
int32_t CFontResource::GetGlyphOffset2(uint8_t character) const { return offset2_[character]; }
int32_t CFontResource::GetMetric(int32_t index) const
{
    return index == 0 || index == 1 ? metrics_[std::size_t(index)] : 0;
}

SPixelView CFontResource::GetGlyph(uint8_t character) const
{
    if (pixels_.empty() || glyphWidth_[character] == 0)
        return {};
    return {pixels_.data() + std::size_t(start_[character]) * 4, {glyphWidth_[character], height_}, width_ * 4};
}

int32_t CFontResource::GetTextWidth(const char* text, std::size_t length)
{
    if (!text)
        return 0;
    int32_t width = 0;
    for (std::size_t i = 0; i < length; ++i)
        width += glyphWidth_[uint8_t(text[i])];
    return width;
}

int32_t CFontResource::GetLineHeight()
{
    const int32_t line = metrics_[1];
    return line > 0 && line <= 2 * height_ ? line : height_;
}

void CFontResource::DrawText(IDrawContext& context, SPoint topLeft, const char* text, std::size_t length,
                             const SRect& clip)
{
    IDC& dc = context.GetDC();
    uint8_t* bits = dc.GetBits();
    if (!text || !bits || pixels_.empty())
        return;
    const SRect limit = Intersect(clip, SRect({0, 0}, dc.GetSize()));
    const int32_t stride = dc.GetStride();
    int64_t penX = topLeft.x;
    for (std::size_t i = 0; i < length; ++i) {
        const uint8_t c = uint8_t(text[i]);
        const int32_t w = glyphWidth_[c];
        if (w == 0)
            continue;
        const SRect area
            = Intersect(SRect(int32_t(std::clamp<int64_t>(penX, INT32_MIN, INT32_MAX)), topLeft.y, w, height_), limit);
        for (int64_t y = area.Top(); y <= area.Bottom(); ++y) {
            const uint8_t* s = pixels_.data() + std::size_t(y - topLeft.y) * std::size_t(width_) * 4
                + std::size_t(start_[c] + (area.Left() - penX)) * 4;
            uint8_t* d = bits + y * stride + area.Left() * 4;
            for (int32_t x = 0; x < area.size.width; ++x, s += 4, d += 4) {
                const uint32_t a = s[3];
                if (a == 0)
                    continue;
                for (int k = 0; k < 3; ++k)
                    d[k] = uint8_t(((s[k] * a) >> 8) + ((d[k] * (255 - a)) >> 8));
            }
        }
        penX += w;
    }
}

}  // namespace zt::ge
