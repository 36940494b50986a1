#include "product/editor/FFT.h"

#include "framework/de/Converters.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

#include <algorithm>
#include <cmath>

using namespace zt::ge;

namespace {

// The analyser's frequency axis: constant ratio per pixel over 16 .. 20480 Hz.
const zt::de::CConverterTrueLog& FrequencyAxis()
{
    static const zt::de::CConverterTrueLog axis(CFFT::kLowestHz, CFFT::kHighestHz);
    return axis;
}

}  // namespace

CFFT::CFFT(const SRect& rect, int32_t id) : CControl(rect, id) { SetSize(rect.size); }

CFFT::~CFFT() = default;

void CFFT::SetSize(SSize size)
{
    CControl::SetSize(size);
    const auto columns = std::size_t(std::max(0, size.width));
    if (display_.size() != columns) {
        peak_.assign(columns, 0.0f);
        display_.assign(columns, 0.0f);
        flag_.assign(columns, 0);
    }
}

void CFFT::Forget()
{
    std::fill(peak_.begin(), peak_.end(), 0.0f);
    std::fill(display_.begin(), display_.end(), 0.0f);
    std::fill(flag_.begin(), flag_.end(), uint8_t(0));
    drawnBefore_ = false;
}

void CFFT::SetFeed(const zt::dspe::CAnalyserFeed* feed, int32_t sampleRate)
{
    feed_ = feed;
    sampleRate_ = sampleRate;
    Forget();
    Invalidate();
}

float CFFT::Level(float magnitude) { return ((20.0f * std::log10(50.0f * magnitude) + 50.0f) / 50.0f) * 0.75f; }

float CFFT::BinsPerHz() const
{
    if (!feed_ || sampleRate_ <= 0 || feed_->GetBlockSize() <= 0)
        return 0.0f;
    return float(feed_->GetBlockSize()) / float(sampleRate_);
}

int32_t CFFT::FirstBin() const { return int32_t(kLowestHz * BinsPerHz()); }

int32_t CFFT::ColumnOf(int32_t bin) const
{
    const float r = BinsPerHz();
    const auto columns = int32_t(display_.size());
    if (r <= 0.0f)
        return -1;
    const float f = float(bin) * (kHighestHz / (kHighestHz * r));
    // Bin 0 (0 Hz) lies at minus infinity on the axis: not finite, not drawn.
    const double at = FrequencyAxis().ToNormalized(f) * double(columns);
    if (!(at > 0.0) || !(at < double(columns)))
        return -1;
    const auto c = int32_t(std::lround(at));  // half away from zero
    return c > 0 && c < columns ? c : -1;
}

void CFFT::Draw(IDrawContext& context)
{
    IWindow* window = GetWindow();
    if (!IsShown() || !window)
        return;
    const float r = BinsPerHz();
    const auto columns = int32_t(display_.size());
    if (r <= 0.0f || columns != GetSize().width)
        return;
    const SRect clip = GetAbsoluteRect();

    // The feed is written and read on this thread only (the audio thread's hand-over
    // never touches the spectrum), so the spectrum needs no lock here.
    const float* spectrum = feed_->GetSpectrum();
    const int32_t bins = feed_->GetBins();

    const uint32_t now = window->GetTimeMs();
    const uint32_t elapsed = now - lastDrawMs_;  // wraps with the clock
    // The first draw shows the spectrum as it is.
    const float a = drawnBefore_ ? float(std::pow(kFallPerMs, double(elapsed))) : 0.0f;
    lastDrawMs_ = now;
    drawnBefore_ = true;

    std::fill(peak_.begin(), peak_.end(), 0.0f);
    std::fill(flag_.begin(), flag_.end(), uint8_t(0));

    const float lastBinBound = kHighestHz * r;
    for (int32_t i = FirstBin(); float(i) < lastBinBound && i < bins; ++i) {
        const int32_t c = ColumnOf(i);
        if (c < 0)
            continue;
        float level = Level(spectrum[i]);
        if (level > kLevelCeiling)
            level = kLevelCeiling;
        if (level > peak_[std::size_t(c)])  // a NaN level never wins
            peak_[std::size_t(c)] = level;
        float& shown = display_[std::size_t(c)];
        shown = peak_[std::size_t(c)] * (1.0f - a) + a * shown;
        flag_[std::size_t(c)] = 1;
    }

    IDrawPrimitives& draw = context.GetPrimitives();
    const float bottom = float(int64_t(clip.position.y) + clip.size.height);
    bool havePrevious = false;
    SPoint previous;
    for (int32_t c = 1; c < columns; ++c) {
        if (!flag_[std::size_t(c)])
            continue;
        const SPoint point{clip.position.x + c,
                           int32_t(std::lround(bottom - kPixelsPerLevel * display_[std::size_t(c)]))};
        if (havePrevious)
            draw.DrawLine(previous, point, kColour, clip);
        previous = point;
        havePrevious = true;
    }
}
