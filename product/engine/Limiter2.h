// The final ceiling: an instantaneous gain limiter per channel. A sample that would
// pass the ceiling pulls that channel's gain down to land exactly on it; the gain then
// recovers at a constant rate.
#pragma once

#include <atomic>
#include <cstdint>

// The limiter's second stage, its ceiling (the first is a CCompressor in the engine).
class CLimiter2 {
public:
    virtual ~CLimiter2() = default;

    // Returns at once when nothing changed. Recovery step per sample =
    // (0.004 / recoveryTime) * 44100 / rate: with 100 that is 1.764 / fs, about 0.567 s
    // from full reduction back to unity at any rate.
    void Setup(int32_t channels, float sampleRate, float recoveryTime);
    // Output ceiling in dB; written by the UI thread, read once per block.
    void SetThreshold(float dB);
    void SetCeiling(float linear) { ceiling_.store(linear, std::memory_order_relaxed); }
    void Reset();
    // In place; every output sample stays at or below the ceiling. Returns the smallest
    // gain used in the block (1 when n < 1).
    float ProcessStereo(double* left, double* right, int32_t n);
    float ProcessMono(double* x, int32_t n);

    // Whether both gains rest at 1: then a block under the ceiling passes unchanged.
    bool RestsAtUnity() const { return gainLeft_ == 1.0f && gainRight_ == 1.0f; }
    float GetCeiling() const { return ceiling_.load(std::memory_order_relaxed); }
    float GetRecoveryStep() const { return recoveryStep_; }

private:
    // One channel's samples with its own gain; returns the smallest gain.
    float Run(double* x, int32_t n, float& gain, float ceiling) const;
    // Both channels, each with its own gain; returns the smallest gain of either.
    float RunStereo(double* left, double* right, int32_t n, float ceiling);

    int32_t channels_ = 0;
    float sampleRate_ = 0.0f;
    float recoveryTime_ = 0.0f;
    float recoveryStep_ = 0.0f;
    std::atomic<float> ceiling_{1.0f};
    float gainLeft_ = 1.0f;
    float gainRight_ = 1.0f;
};
