#include "dsp/Oversampler.h"

#include "dsp/OversamplingTaps.h"

#include <cstddef>

static_assert(COversampler::kDownSpan * 2 == kOversamplingTapCount, "the down-sampler spans its taps");

COversampler::COversampler()
{
    up_.reserve(kInputs);
    down_.reserve(kOutputs);
    // Doubling the up-samplers' taps restores the level exactly (it only shifts
    // exponents) and saves a pass over the output.
    std::vector<double> doubled(kOversamplingTaps, kOversamplingTaps + kOversamplingTapCount);
    for (double& t : doubled)
        t *= 2.0;
    // Up: each input at the even position of a pair. Down: keep the odd sample of
    // each pair, which makes the total delay (2 * 279 + 1) / 2 host samples exact.
    for (int32_t c = 0; c < kInputs; ++c)
        up_.emplace_back(doubled.data(), kOversamplingTapCount, 2, 0, 1, 0, kMaxChunk);
    for (int32_t c = 0; c < kOutputs; ++c)
        down_.emplace_back(kOversamplingTaps, kOversamplingTapCount, 1, 0, 2, 1, 2 * kMaxChunk);
}

void COversampler::Up(int32_t channel, const float* in, float* out, int32_t n)
{
    up_[static_cast<size_t>(channel)].Process(in, out, n);
}

void COversampler::Down(int32_t channel, const float* in, float* out, int32_t n)
{
    down_[static_cast<size_t>(channel)].Process(in, out, 2 * n);
}

void COversampler::UpPair(int32_t first, const float* const* in, float* const* out, int32_t n)
{
    const auto c = static_cast<size_t>(first);
    MultirateFir::ProcessPair(up_[c], in[0], out[0], up_[c + 1], in[1], out[1], n);
}

void COversampler::DownPair(int32_t first, const float* const* in, float* const* out, int32_t n)
{
    const auto c = static_cast<size_t>(first);
    MultirateFir::ProcessPair(down_[c], in[0], out[0], down_[c + 1], in[1], out[1], 2 * n);
}

void COversampler::SkipUp(int32_t channel, const float* in, int32_t n)
{
    up_[static_cast<size_t>(channel)].Skip(in, n);
}

void COversampler::Reset()
{
    for (auto& f : up_)
        f.Reset();
    for (auto& f : down_)
        f.Reset();
}

void COversampler::ResetUp(int32_t channel) { up_[static_cast<size_t>(channel)].Reset(); }

void COversampler::ResetDown(int32_t channel) { down_[static_cast<size_t>(channel)].Reset(); }
