// The analyser display behind the EQ curve: the spectrum of one analyser feed as a
// line over a logarithmic frequency axis, rising at once to a new peak and falling
// by 0.998 per millisecond.
#pragma once

#include "framework/dspe/AnalyserFeed.h"
#include "gui/toolkit/Colour.h"
#include "gui/toolkit/Control.h"

#include <cstdint>
#include <vector>

class IFFT : public virtual zt::ge::IControl {
public:
    // The feed to draw (not owned; null draws nothing) and the rate of the samples it
    // receives (the engine's). The editor updates the feed and invalidates the control;
    // the control only reads the feed's spectrum when it draws. Forgets what was shown.
    virtual void SetFeed(const zt::dspe::CAnalyserFeed* feed, int32_t sampleRate) = 0;
    virtual const zt::dspe::CAnalyserFeed* GetFeed() const = 0;
};

class CFFT : public virtual IFFT, public zt::ge::CControl {
public:
    static constexpr float kLowestHz = 16.0f;
    static constexpr float kHighestHz = 20480.0f;
    static constexpr double kFallPerMs = 0.998;
    static constexpr float kPixelsPerLevel = 150.0f;  // a level of 1 lies this far above the bottom edge
    static constexpr zt::ge::SColour kColour = zt::ge::SColour::FromRGB(208, 239, 179);
    // Levels are held below this, far above any display, so an infinite magnitude
    // draws a line off the top instead of poisoning the smoothing.
    static constexpr float kLevelCeiling = 16.0f;

    explicit CFFT(const zt::ge::SRect& rect, int32_t id = -1);

    void SetFeed(const zt::dspe::CAnalyserFeed* feed, int32_t sampleRate) override;
    const zt::dspe::CAnalyserFeed* GetFeed() const override { return feed_; }

    void SetSize(zt::ge::SSize size) override;
    void Draw(zt::ge::IDrawContext& context) override;

    // The level a magnitude shows at: ((20 log10(50 m) + 50) / 50) * 0.75, so 1/50 gives
    // 0.75 and 50 dB less gives 0.
    static float Level(float magnitude);
    // What each column shows now (0 for columns never drawn).
    const std::vector<float>& GetDisplay() const { return display_; }
    // The first bin the draw reads and the column a bin lands in (-1 outside 1 .. width - 1).
    int32_t FirstBin() const;
    int32_t ColumnOf(int32_t bin) const;

protected:
    ~CFFT() override;

private:
    float BinsPerHz() const;
    void Forget();

    const zt::dspe::CAnalyserFeed* feed_ = nullptr;
    int32_t sampleRate_ = 0;
    // One entry per pixel column, sized with the control, so a draw allocates nothing.
    std::vector<float> peak_;
    std::vector<float> display_;
    std::vector<uint8_t> flag_;
    uint32_t lastDrawMs_ = 0;
    bool drawnBefore_ = false;
};
