#pragma once

#include <vector>

#include "foundation/Interface.h"
#include "gui/toolkit/Colour.h"
#include "gui/native/DC.h"
#include "gui/native/Geometry.h"
#include "gui/toolkit/PerfMon.h"

namespace zt::ge {

// Lines, rectangles, gradients and pixel copies on a surface. Every primitive
// draws only inside the clip rectangle it is given (and inside the surface).
// A colour with alpha 255 is written as it is; a smaller alpha a blends every
// channel as (colour * a + destination * (255 - a)) >> 8 unless said otherwise.
class IDrawPrimitives : public virtual IInterface {
public:
    virtual void FillRect(const SRect& rect, SColour colour, const SRect& clip) = 0;
    // A one-pixel outline made of four lines.
    virtual void FrameRect(const SRect& rect, SColour colour, const SRect& clip) = 0;
    // Both end points included. Steps one pixel along the longer axis and
    // moves the other coordinate by the slope, rounding to the nearest pixel.
    virtual void DrawLine(SPoint from, SPoint to, SColour colour, const SRect& clip) = 0;
    // Anti-aliased in 16.16 fixed point: at each step the two pixels astride
    // the exact position share the colour. The colour's alpha is not used.
    // Horizontal and vertical lines are drawn by DrawLine.
    virtual void DrawLineAA(SPoint from, SPoint to, SColour colour, const SRect& clip) = 0;
    // height pixels down from top, running from first (top row) towards second:
    // row r gets first * (1 - r / height) + second * (r / height). The first
    // colour's alpha, when below 255, blends the whole line by alpha / 255.
    virtual void DrawLineVertGradient(SPoint top, int32_t height, SColour first, SColour second, const SRect& clip) = 0;
    // The same, with the alpha running from first's to second's as well.
    virtual void DrawLineVertGradient2(SPoint top, int32_t height, SColour first, SColour second, const SRect& clip)
        = 0;
    // Every column of rect as DrawLineVertGradient.
    virtual void DrawRectGradient(const SRect& rect, SColour first, SColour second, const SRect& clip) = 0;
    // Copies source (top-left at destination) as it is, fourth byte included.
    virtual void CopyPixels(const SPixelView& source, SPoint destination, const SRect& clip) = 0;
    // Blends source by each pixel's fourth byte: 255 copies, 0 leaves the
    // destination alone, anything between blends as above.
    virtual void BlendPixels(const SPixelView& source, SPoint destination, const SRect& clip) = 0;
};

class CDrawPrimitives : public virtual IDrawPrimitives {
public:
    explicit CDrawPrimitives(IDC& dc);

    void FillRect(const SRect& rect, SColour colour, const SRect& clip) override;
    void FrameRect(const SRect& rect, SColour colour, const SRect& clip) override;
    void DrawLine(SPoint from, SPoint to, SColour colour, const SRect& clip) override;
    void DrawLineAA(SPoint from, SPoint to, SColour colour, const SRect& clip) override;
    void DrawLineVertGradient(SPoint top, int32_t height, SColour first, SColour second, const SRect& clip) override;
    void DrawLineVertGradient2(SPoint top, int32_t height, SColour first, SColour second, const SRect& clip) override;
    void DrawRectGradient(const SRect& rect, SColour first, SColour second, const SRect& clip) override;
    void CopyPixels(const SPixelView& source, SPoint destination, const SRect& clip) override;
    void BlendPixels(const SPixelView& source, SPoint destination, const SRect& clip) override;

    std::vector<const CPerfMon*> GetPerfMons() const;

private:
    SRect Limit(const SRect& clip) const;  // clip within the surface
    void Gradient(SPoint top, int32_t height, SColour first, SColour second, bool alphaRuns, const SRect& area);

    IDC& dc_;
    CPerfMon perfGradientLine_;
    CPerfMon perfGradientLine2_;
    CPerfMon perfLine_;
    CPerfMon perfRectGradient_;
};

}  // namespace zt::ge
