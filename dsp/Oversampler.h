// Converters that take host-rate chunks to twice the rate and back: one up-sampler
// per input channel (main and side-chain, so a key stays aligned with the signal)
// and one down-sampler per output channel. All share one 560-tap linear-phase FIR;
// up and down together delay by exactly kLatency host samples.
#pragma once

#include "dsp/MultirateFir.h"

#include <cstdint>
#include <vector>

class COversampler {
public:
    static constexpr int32_t kMaxChunk = 32;  // host frames per call
    static constexpr int32_t kLatency = 279;  // host samples, up + down
    static constexpr int32_t kInputs = 4;     // main L, R, side-chain L, R
    static constexpr int32_t kOutputs = 2;
    // Host samples before a down-sampled one that it still depends on (the FIR's span).
    static constexpr int32_t kDownSpan = 280;

    COversampler();

    // n host samples of input channel `channel` -> 2n samples at twice the rate.
    // Zero-stuffing halves the level, so the result is scaled by 2.
    void Up(int32_t channel, const float* in, float* out, int32_t n);
    // 2n samples at twice the rate -> n host samples of output channel `channel`.
    void Down(int32_t channel, const float* in, float* out, int32_t n);
    // Up or Down for channels `first` and first + 1 in one call: the same results, the
    // two channels' filters overlapping (see MultirateFir::ProcessPair).
    void UpPair(int32_t first, const float* const* in, float* const* out, int32_t n);
    void DownPair(int32_t first, const float* const* in, float* const* out, int32_t n);
    // Takes n host samples into input channel `channel`'s history without converting
    // them, for a channel nothing listens to now, so that converting it again later
    // joins without a seam.
    void SkipUp(int32_t channel, const float* in, int32_t n);
    // Forgets every history, so nothing from an earlier rate plays out.
    void Reset();
    // Forgets one converter's history (one that went non-finite).
    void ResetUp(int32_t channel);
    void ResetDown(int32_t channel);

private:
    std::vector<MultirateFir> up_;
    std::vector<MultirateFir> down_;
};
