#include "dsp/Oversampler.h"

#include "dsp/OversamplingTaps.h"

#include <cstddef>

COversampler::COversampler()
{
    up_.reserve(kInputs);
    down_.reserve(kOutputs);
    // Up: each input at the even position of a pair. Down: keep the odd sample of
    // each pair, which makes the total delay (2 * 279 + 1) / 2 host samples exact.
    for (int32_t c = 0; c < kInputs; ++c)
        up_.emplace_back(kOversamplingTaps, kOversamplingTapCount, 2, 0, 1, 0, kMaxChunk);
    for (int32_t c = 0; c < kOutputs; ++c)
        down_.emplace_back(kOversamplingTaps, kOversamplingTapCount, 1, 0, 2, 1, 2 * kMaxChunk);
}

void COversampler::Up(int32_t channel, const float* in, float* out, int32_t n)
{
    up_[static_cast<size_t>(channel)].Process(in, out, n);
    for (int32_t i = 0; i < 2 * n; ++i)
        out[i] *= 2.0f;
}

void COversampler::Down(int32_t channel, const float* in, float* out, int32_t n)
{
    down_[static_cast<size_t>(channel)].Process(in, out, 2 * n);
}

void COversampler::Reset()
{
    for (auto& f : up_)
        f.Reset();
    for (auto& f : down_)
        f.Reset();
}
