// The ceiling at the host rate, after the down-sampler, while the engine runs at twice
// the rate: down-sampling can ring a little above a limited peak, and this catches it.
//
// It limits to the highest ceiling the engine used over the samples the down-sampler's
// output still depends on (the block and the span before it). A lowered ceiling so
// applies here only once every sample in the converter was limited at it; applied at
// once, it would pull the older, louder samples down by the whole step, and the gain
// would take its recovery time (some 0.5 s) to come back, far below the new ceiling.
//
// Audio thread only; nothing allocates.
#pragma once

#include "product/engine/Limiter2.h"

#include <array>
#include <cstdint>

class CHostCeiling {
public:
    // span: host samples before a block that its down-sampled output depends on.
    static constexpr int32_t kMaxSpan = 512;

    void Setup(int32_t channels, float hostRate, int32_t span);
    void Reset();
    // In place on the host's samples; ceiling is what the engine limited this block's
    // samples to (linear). right is null for mono. Returns the smallest gain used (1 when
    // n < 1).
    float Process(float* left, float* right, int32_t n, float ceiling);

private:
    struct SBlock {
        float ceiling;
        int32_t frames;
    };
    // The limiter's work in double precision, in pieces of at most kPiece frames.
    static constexpr int32_t kPiece = 64;
    float Limit(float* left, float* right, int32_t n);

    // One entry per block, oldest first from first_; blocks have at least one frame.
    static constexpr int32_t kMaxBlocks = kMaxSpan + 2;
    // An index below 2 * kMaxBlocks back into the ring (a remainder by this size would
    // take a division for every entry read).
    static int32_t Wrap(int32_t i) { return i >= kMaxBlocks ? i - kMaxBlocks : i; }

    CLimiter2 limiter_;
    int32_t span_ = 0;
    std::array<SBlock, kMaxBlocks> blocks_{};
    int32_t first_ = 0;
    int32_t count_ = 0;
    int32_t frames_ = 0;  // frames of all entries together
};
