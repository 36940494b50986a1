#pragma once

#include <cstdint>
#include <memory>

#include "gui/toolkit/Colour.h"
#include "gui/toolkit/Control.h"

namespace zt::ge {

// Hue, lightness and saturation on a 0..255 scale; hue 256 means undefined (a grey).
struct SHLS {
    int32_t h = 0;
    int32_t l = 0;
    int32_t s = 0;
};

inline bool operator==(SHLS a, SHLS b) { return a.h == b.h && a.l == b.l && a.s == b.s; }

// The integer conversions of the skin recolouring, every division rounded by
// adding half the divisor first. The fourth byte is carried through.
SHLS ToHLS(SColour pixel);
SColour FromHLS(SHLS hls, uint8_t fourth = 255);
// Scales each component: h * (1 + hue / 90), l * (1 + brightness / 100),
// s * (1 + saturation / 100), truncated and limited to 0..255.
SHLS AdjustHLS(SHLS hls, float hue, float brightness, float saturation);
// All three steps: what the recolouring control makes of one pixel.
SColour RecolourPixel(SColour pixel, float hue, float brightness, float saturation);

// Recolours whatever lies beneath it in the window (a skin panel: it is added
// right after the panel's bitmap) by hue, brightness and saturation.
//
// The recoloured pixels are cached after the first paint that covers the
// whole control, and from then on copied. Only a change of an adjustment
// invalidates the cache, so anything that changes must be drawn after
// (above) this control, never beneath it.
class IHBS : public virtual IControl {
public:
    // Each stores the adjustment, drops the cache and invalidates the control.
    virtual void SetHue(float hue) = 0;                // -180 .. 180
    virtual void SetBrightness(float brightness) = 0;  // -100 .. 100
    virtual void SetSaturation(float saturation) = 0;  // -100 .. 100
    virtual float GetHue() const = 0;
    virtual float GetBrightness() const = 0;
    virtual float GetSaturation() const = 0;
    virtual bool IsCacheValid() const = 0;
};

class CHBS : public virtual IHBS, public CControl {
public:
    // Until the editor sets them from the preferences.
    static constexpr float kInitialHue = 0.0f;
    static constexpr float kInitialBrightness = 0.5f;
    static constexpr float kInitialSaturation = 0.5f;

    explicit CHBS(const SRect& rect, int32_t id = -1);

    void SetHue(float hue) override;
    void SetBrightness(float brightness) override;
    void SetSaturation(float saturation) override;
    float GetHue() const override { return hue_; }
    float GetBrightness() const override { return brightness_; }
    float GetSaturation() const override { return saturation_; }
    bool IsCacheValid() const override { return cacheValid_; }

    void Draw(IDrawContext& context) override;

protected:
    ~CHBS() override;

private:
    void Adjusted();

    float hue_ = kInitialHue;
    float brightness_ = kInitialBrightness;
    float saturation_ = kInitialSaturation;
    std::unique_ptr<uint8_t[]> cache_;  // width * height pixels, rows top down
    SSize cacheSize_;
    bool cacheValid_ = false;
};

}  // namespace zt::ge
