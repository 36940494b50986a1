// CWidth: three-band stereo width. Two one-pole crossovers split each channel into
// low, mid and high; each band's side (L - R) is scaled by its width factor and its
// mid (L + R) by its mid gain, then the bands are summed. With every width at 0 %,
// auto gain off and no solo the bands add back up to the input. Stereo only: a mono
// signal has no side to widen, so the engine skips this section in mono.
//
// Threads: the setters may run on any thread while audio runs. Each stores one atomic
// (relaxed); Process reads them once per block, recomputes the crossover coefficients
// when the rate or a frequency changed and the band factors when a band setting did.
// Nothing allocates, locks or waits.
#pragma once

#include <atomic>
#include <cstdint>

class CWidth {
public:
    enum EBand : int32_t { kLow = 0, kMid, kHigh, kBandCount };

    CWidth();
    virtual ~CWidth() = default;

    // Engine rate in Hz; the crossover coefficients follow from the next block on.
    void SetSampleRate(int32_t rate) { rate_.store(rate, std::memory_order_relaxed); }
    // Crossover frequencies in Hz (1000 each until set).
    void SetCrossoverLow(float hz) { crossoverLow_.store(hz, std::memory_order_relaxed); }
    void SetCrossoverHigh(float hz) { crossoverHigh_.store(hz, std::memory_order_relaxed); }
    // Width of one band in percent, -100 (mono) .. 0 (unchanged) .. 100 (widest).
    void SetWidth(EBand band, float percent) { widthSetting_[band].store(percent, std::memory_order_relaxed); }
    // Compensates each band's mid for its width, up to +10 dB.
    void SetAutoGain(bool on) { autoGain_.store(on, std::memory_order_relaxed); }
    // While any band is soloed, the bands that are not are silent.
    void SetSolo(EBand band, bool on) { solo_[band].store(on, std::memory_order_relaxed); }

    // Clears the crossover memories.
    void Reset();

    // In place, any n.
    void Process(double* left, double* right, int32_t n);

private:
    // Audio thread: picks up the settings written since the last block.
    void ApplySettings();

    // Settings, written by the setters.
    std::atomic<int32_t> rate_{44100};
    std::atomic<float> crossoverLow_{1000.0f};
    std::atomic<float> crossoverHigh_{1000.0f};
    std::atomic<float> widthSetting_[kBandCount] = {};
    std::atomic<bool> autoGain_{false};
    std::atomic<bool> solo_[kBandCount] = {};

    // Audio side: what the coefficients were computed from, the coefficients, the
    // band factors and the split state [channel].
    int32_t appliedRate_;
    float appliedLow_;
    float appliedHigh_;
    double coefficientLow_;
    double coefficientHigh_;
    double widthFactor_[kBandCount];
    double midGain_[kBandCount];
    // The band settings the factors were built from; none until the first block.
    bool bandsApplied_ = false;
    bool appliedAutoGain_ = false;
    float appliedWidth_[kBandCount] = {};
    bool appliedSolo_[kBandCount] = {};
    double lowPass1_[2] = {};
    double lowPass2_[2] = {};
};
