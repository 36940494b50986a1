// Framework base of a DSP engine: sample rate, bypass flag and the meter slots.
#pragma once

#include <atomic>
#include <cstdint>

namespace zt::dspe {

// Meters are written by the audio thread and read-and-reset by the editor without a
// lock; a value may be lost between a read and its reset, never torn.
class CBaseDSPEngine {
public:
    static constexpr int32_t kMeterSlots = 8;

    CBaseDSPEngine();
    virtual ~CBaseDSPEngine() = default;

    virtual void SetBlockSize(int32_t frames) { blockSize_ = frames; }
    virtual bool IsReady() { return true; }
    virtual void SetSampleRate(int32_t rate) { sampleRate_ = rate; }
    // frames is at most the maximum sub-block; outputs may alias inputs.
    virtual void Process(float** outputs, float** inputs, int32_t frames) = 0;
    virtual void Reset() = 0;
    virtual void Suspend(int32_t) = 0;

    float GetPeak(int32_t slot) const { return peak_[slot].load(std::memory_order_relaxed); }
    float GetGainReduction(int32_t slot) const { return gainReduction_[slot].load(std::memory_order_relaxed); }
    // Returns the extreme held since the previous take and restarts the hold.
    float TakePeak(int32_t slot) { return peak_[slot].exchange(0.0f, std::memory_order_relaxed); }
    float TakeGainReduction(int32_t slot) { return gainReduction_[slot].exchange(1.0f, std::memory_order_relaxed); }

    void SetBypass(bool bypassed) { bypassed_.store(bypassed, std::memory_order_relaxed); }
    bool IsBypassed() const { return bypassed_.load(std::memory_order_relaxed); }

    int32_t GetSampleRate() const { return sampleRate_; }
    int32_t GetBlockSize() const { return blockSize_; }

protected:
    // Fold a block's extreme into a slot: peaks keep the maximum, gains the minimum.
    void HoldPeak(int32_t slot, float value);
    void HoldGainReduction(int32_t slot, float gain);

    int32_t blockSize_ = 0;
    int32_t sampleRate_ = 0;
    std::atomic<bool> bypassed_{true};
    std::atomic<float> peak_[kMeterSlots];
    std::atomic<float> gainReduction_[kMeterSlots];
};

}  // namespace zt::dspe
