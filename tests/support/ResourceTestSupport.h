#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "gui/toolkit/Colour.h"
#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/Tga.h"

namespace zt::ge::test {

// Pixels of a width x height image in the surface format, from a function of x and y.
inline std::vector<uint8_t> MakePixels(int32_t width, int32_t height,
                                       const std::function<SColour(int32_t, int32_t)>& at)
{
    std::vector<uint8_t> pixels(std::size_t(width) * std::size_t(height) * 4);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const SColour c = at(x, y);
            uint8_t* p = &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
            p[3] = c.a;
        }
    return pixels;
}

inline std::vector<uint8_t> MakeTga(int32_t width, int32_t height, const std::function<SColour(int32_t, int32_t)>& at,
                                    tga::SEncodeOptions options = {})
{
    const std::vector<uint8_t> pixels = MakePixels(width, height, at);
    return tga::Encode(pixels.data(), width, height, options);
}

inline std::vector<uint8_t> SolidTga(int32_t width, int32_t height, SColour colour)
{
    return MakeTga(width, height, [colour](int32_t, int32_t) { return colour; });
}

// A font strip of glyphs for the codes 32 .. 32 + widths.size() - 1, each
// glyph widths[i] columns wide and fully covered below the marker row.
// Metrics: 7 (baseline) and 12 (line height).
inline std::vector<uint8_t> MakeFontStrip(const std::vector<int32_t>& widths, int32_t height = 10)
{
    int32_t width = 0;
    for (int32_t w : widths)
        width += w;
    std::vector<uint8_t> pixels = MakePixels(width, height, [](int32_t, int32_t y) {
        const uint8_t coverage = y == 0 ? 0 : 255;
        return SColour{coverage, coverage, coverage, 255};
    });
    int32_t last = -1;
    for (int32_t w : widths) {
        last += w;
        pixels[std::size_t(last) * 4 + 3] = 128 + 2;                         // first offset +2
        pixels[(std::size_t(width) + std::size_t(last)) * 4 + 3] = 128 - 3;  // second offset -3
    }
    const std::size_t first = std::size_t(widths.front() - 1);
    pixels[(std::size_t(height - 2) * std::size_t(width) + first) * 4 + 3] = 7;
    pixels[(std::size_t(height - 1) * std::size_t(width) + first) * 4 + 3] = 12;
    return tga::Encode(pixels.data(), width, height, {});
}

// A resource file of the given entries, built as the skin generator builds it.
struct SResource {
    int32_t id;
    uint32_t kind;
    std::vector<uint8_t> bytes;
};

inline std::vector<uint8_t> MakeResourceFile(const std::vector<SResource>& resources)
{
    CResourceFileWriter writer;
    for (const SResource& r : resources)
        writer.Add(r.id, r.kind, r.bytes);
    return writer.Build();
}

}  // namespace zt::ge::test

#include "gui/toolkit/Control.h"
#include "gui/toolkit/DrawContext.h"

namespace zt::ge::test {

// Fills its rectangle with one colour: a known background for pixel checks.
class CProbeFill : public CControl {
public:
    static constexpr SColour kColour = SColour::FromRGB(17, 34, 51);
    explicit CProbeFill(const SRect& rect) : CControl(rect) {}
    void Draw(IDrawContext& context) override
    {
        context.GetPrimitives().FillRect(GetAbsoluteRect(), kColour, GetAbsoluteRect());
    }
};

}  // namespace zt::ge::test
