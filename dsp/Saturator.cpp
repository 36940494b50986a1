#include "dsp/Saturator.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLowCutHz = 10.0;
constexpr double kLowCutQ = 0.5;

// Soft curve: s(x) = 1.5x - 0.5x^3 for |x| < 1, else x. Flattens towards +-1 and
// leaves larger values alone.
double Soft(double x) { return std::fabs(x) < 1.0 ? 1.5 * x - 0.5 * x * x * x : x; }

// Even curve: e(x) = x + (2x^2 - 1) / 4, x plus a quarter of the second Chebyshev
// polynomial: second harmonic, and -0.25 of DC at silence.
double Even(double x) { return x + (2.0 * x * x - 1.0) / 4.0; }

} // namespace

CSaturator::CSaturator()
{
    ApplyRate();
    lowCut_.Reset();
}

void CSaturator::ApplyRate()
{
    const int32_t rate = rate_.load(std::memory_order_relaxed);
    if (rate == designedRate_)
        return;
    lowCut_.SetSampleRate(rate);
    lowCut_.DesignLowCut12(rate, kLowCutHz, kLowCutQ);
    designedRate_ = rate;
}

void CSaturator::Reset()
{
    // A pending design first, so the cleared filter starts on it instead of gliding.
    ApplyRate();
    lowCut_.Reset();
}

void CSaturator::Process(double* left, double* right, double mix, int32_t n)
{
    for (int32_t start = 0; start < n; start += kMaxFrames) {
        double* channels[2] = {left + start, right + start};
        ProcessBlock(channels, 2, mix, std::min(kMaxFrames, n - start));
    }
}

void CSaturator::ProcessMono(double* x, double mix, int32_t n)
{
    for (int32_t start = 0; start < n; start += kMaxFrames) {
        double* channels[1] = {x + start};
        ProcessBlock(channels, 1, mix, std::min(kMaxFrames, n - start));
    }
}

void CSaturator::ProcessBlock(double* const* channels, int32_t channelCount, double mix, int32_t n)
{
    ApplyRate();
    const int32_t mode = mode_.load(std::memory_order_relaxed);

    // Wet copy: w = s(x), e(x) or (e(x) + s(x)) / 2.
    double w[2][kMaxFrames];
    for (int32_t c = 0; c < channelCount; ++c) {
        const double* x = channels[c];
        switch (mode) {
        case kMode1:
            for (int32_t i = 0; i < n; ++i)
                w[c][i] = Soft(x[i]);
            break;
        case kMode2:
            for (int32_t i = 0; i < n; ++i)
                w[c][i] = Even(x[i]);
            break;
        default:
            for (int32_t i = 0; i < n; ++i)
                w[c][i] = (Even(x[i]) + Soft(x[i])) / 2.0;
            break;
        }
    }

    // The even curve's offset comes out of the wet path only.
    if (mode != kMode1) {
        if (channelCount == 2)
            lowCut_.ProcessStereo(w[0], w[1], n);
        else
            lowCut_.ProcessMono(w[0], n);
    }

    // out = x * (1 - mix) + w * mix
    const double dry = 1.0 - mix;
    for (int32_t c = 0; c < channelCount; ++c) {
        double* x = channels[c];
        for (int32_t i = 0; i < n; ++i)
            x[i] = x[i] * dry + w[c][i] * mix;
    }
}
