#include "gui/toolkit/FontResource.h"

#include <algorithm>
#include <utility>

#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Tga.h"

namespace zt::ge {

CFontResource::CFontResource(int32_t id, std::vector<uint8_t> data, SColour colour)
    : CResource(id, kResourceFont, std::move(data)), m_colour(colour)
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
        m_start[c] = previous + 1;
        m_glyphWidth[c] = x - previous;
        m_offset1[c] = int32_t(alpha) - 128;
        m_offset2[c] = int32_t(row1[std::size_t(x) * 4 + 3]) - 128;
        if (firstMarker < 0)
            firstMarker = x;
        previous = x;
        ++count;
    }
    if (firstMarker >= 0) {
        m_metrics[0] = image.pixels[std::size_t(height - 2) * stride + std::size_t(firstMarker) * 4 + 3];
        m_metrics[1] = image.pixels[std::size_t(height - 1) * stride + std::size_t(firstMarker) * 4 + 3];
    }
    for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
        uint8_t* p = &image.pixels[i];
        p[3] = p[0];  // coverage
        p[0] = m_colour.b;
        p[1] = m_colour.g;
        p[2] = m_colour.r;
    }
    m_width = width;
    m_height = height;
    m_glyphCount = count;
    m_pixels = std::move(image.pixels);
    MarkDecoded();
    return true;
}

int32_t CFontResource::GetGlyphCount() const { return m_glyphCount; }
SColour CFontResource::GetColour() const { return m_colour; }
int32_t CFontResource::GetHeight() const { return m_height; }
int32_t CFontResource::GetGlyphStart(uint8_t character) const { return m_start[character]; }
int32_t CFontResource::GetGlyphWidth(uint8_t character) const { return m_glyphWidth[character]; }
int32_t CFontResource::GetGlyphOffset1(uint8_t character) const { return m_offset1[character]; }
int32_t CFontResource::GetGlyphOffset2(uint8_t character) const { return m_offset2[character]; }
int32_t CFontResource::GetMetric(int32_t index) const
{
    return index == 0 || index == 1 ? m_metrics[std::size_t(index)] : 0;
}

SPixelView CFontResource::GetGlyph(uint8_t character) const
{
    if (m_pixels.empty() || m_glyphWidth[character] == 0)
        return {};
    return {m_pixels.data() + std::size_t(m_start[character]) * 4, {m_glyphWidth[character], m_height}, m_width * 4};
}

int32_t CFontResource::GetTextWidth(const char* text, std::size_t length)
{
    if (!text)
        return 0;
    int32_t width = 0;
    for (std::size_t i = 0; i < length; ++i)
        width += m_glyphWidth[uint8_t(text[i])];
    return width;
}

int32_t CFontResource::GetLineHeight()
{
    const int32_t line = m_metrics[1];
    return line > 0 && line <= 2 * m_height ? line : m_height;
}

void CFontResource::DrawText(IDrawContext& context, SPoint topLeft, const char* text, std::size_t length,
                             const SRect& clip)
{
    IDC& dc = context.GetDC();
    uint8_t* bits = dc.GetBits();
    if (!text || !bits || m_pixels.empty())
        return;
    const SRect limit = Intersect(clip, SRect({0, 0}, dc.GetSize()));
    const int32_t stride = dc.GetStride();
    int64_t penX = topLeft.x;
    for (std::size_t i = 0; i < length; ++i) {
        const uint8_t c = uint8_t(text[i]);
        const int32_t w = m_glyphWidth[c];
        if (w == 0)
            continue;
        const SRect area
            = Intersect(SRect(int32_t(std::clamp<int64_t>(penX, INT32_MIN, INT32_MAX)), topLeft.y, w, m_height), limit);
        for (int64_t y = area.Top(); y <= area.Bottom(); ++y) {
            const uint8_t* s = m_pixels.data() + std::size_t(y - topLeft.y) * std::size_t(m_width) * 4
                + std::size_t(m_start[c] + (area.Left() - penX)) * 4;
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
