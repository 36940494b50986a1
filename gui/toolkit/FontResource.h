#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "gui/toolkit/Colour.h"
#include "gui/native/DC.h"
#include "gui/toolkit/Resource.h"
#include "gui/toolkit/TextRenderer.h"

namespace zt::ge {

// A bitmap font: one TGA strip holding the glyphs of consecutive character
// codes from space on, side by side. The top row's fourth byte marks the
// last column of every glyph (a value below 255); the coverage of each
// pixel is its blue byte, which decoding moves into the fourth byte while
// the text colour, fixed at load, fills the other three.
class IFontResource : public virtual IResource, public virtual ITextRenderer {
public:
    static constexpr int32_t kFirstCharacter = 32;

    virtual int32_t GetGlyphCount() const = 0;
    virtual SColour GetColour() const = 0;
    virtual int32_t GetHeight() const = 0;  // of the strip
    // Per character code; zero for characters outside the glyph range.
    virtual int32_t GetGlyphStart(uint8_t character) const = 0;
    virtual int32_t GetGlyphWidth(uint8_t character) const = 0;
    virtual int32_t GetGlyphOffset1(uint8_t character) const = 0;
    virtual int32_t GetGlyphOffset2(uint8_t character) const = 0;
    // The two font-wide numbers the strip carries (index 0 or 1).
    virtual int32_t GetMetric(int32_t index) const = 0;
    // The glyph's pixels: colour in the first three bytes, coverage in the fourth.
    virtual SPixelView GetGlyph(uint8_t character) const = 0;
};

class CFontResource : public virtual IFontResource, public CResource {
public:
    CFontResource(int32_t id, std::vector<uint8_t> data, SColour colour);

    // Decodes the strip; undecoded fonts measure and draw nothing.
    bool Decode();

    int32_t GetGlyphCount() const override;
    SColour GetColour() const override;
    int32_t GetHeight() const override;
    int32_t GetGlyphStart(uint8_t character) const override;
    int32_t GetGlyphWidth(uint8_t character) const override;
    int32_t GetGlyphOffset1(uint8_t character) const override;
    int32_t GetGlyphOffset2(uint8_t character) const override;
    int32_t GetMetric(int32_t index) const override;
    SPixelView GetGlyph(uint8_t character) const override;

    int32_t GetTextWidth(const char* text, std::size_t length) override;
    // The second metric when the strip gives a sensible one, else the strip's height.
    int32_t GetLineHeight() override;
    // Blends each glyph's coverage a into the surface: for blue, green and red
    // out = (colour * a) >> 8 + (destination * (255 - a)) >> 8.
    void DrawText(IDrawContext& context, SPoint topLeft, const char* text, std::size_t length,
                  const SRect& clip) override;

protected:
    ~CFontResource() override;

private:
    SColour colour_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t glyphCount_ = 0;
    std::array<int32_t, 256> start_{};
    std::array<int32_t, 256> glyphWidth_{};
    std::array<int32_t, 256> offset1_{};
    std::array<int32_t, 256> offset2_{};
    std::array<int32_t, 2> metrics_{};
    std::vector<uint8_t> pixels_;
};

}  // namespace zt::ge
