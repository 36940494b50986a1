// Type "2" compressor: a feedback design after an analogue circuit. The detector sees
// the compressed level; the gain falls linearly with a two-part envelope (a fast part
// that recovers 40 dB in 32 ms and a slow part that recovers 40 dB in the release time)
// and never below 0.01 (-40 dB). It has no knee.
//
// Shares the detection front end (key, "Comp Mode", detector: CDetector) with CCompressor,
// and the same setters so the engine can give every setting to both types.
//
// Threads: as CCompressor: one atomic per setting, read at the start of each process
// call; filters and decay factors are redesigned there when a time changed.
#pragma once

#include "dsp/BiquadKernel.h"

#include "dsp/IIR.h"
#include "product/engine/Detector.h"

#include <atomic>
#include <cstdint>

// Compressor type "2" of "Compressor Type" (the 3 in its name is not the type).
class CCompressor3 {
public:
    CCompressor3();
    virtual ~CCompressor3() = default;

    // Set-up: stores the rate, designs every filter and recomputes the decay factors.
    void SetSampleRate(int32_t rate);
    // Envelopes to 0 and attack filters cleared; the detection filters keep their state.
    void Reset();

    // Threshold in dB (20 * log10 scale); kept as its inverse linear factor.
    void SetThresholdDb(float db);
    // Ratio to 1; kept as the gain slope k = (R - 0.99) / 12.
    void SetRatio(float ratio);
    // Accepted so both types take the same settings; this design has no knee.
    void SetKneePercent(float) {}
    // Milliseconds; floored at 5.
    void SetAttackMs(float ms);
    // Milliseconds; floored at 20.
    void SetReleaseMs(float ms);
    // Make-up gain in dB (20 * log10 scale).
    void SetOutputGainDb(float db);
    // dynamics::EStereoMode; mono processing ignores it.
    void SetStereoMode(int32_t mode) { stereoMode_.store(mode, std::memory_order_relaxed); }
    // dynamics::EDetection.
    void SetDetectionMode(int32_t mode) { detection_.store(mode, std::memory_order_relaxed); }

    // In place. keyL/keyR: side-chain key, or both null to detect on the signal.
    void Process(double* l, double* r, const double* keyL, const double* keyR, int32_t n);
    // One channel with the left-hand state; key null detects on the signal.
    void ProcessMono(double* x, const double* key, int32_t n);

    // Results of the last process call, as CCompressor's.
    double GetInputLevel() const { return inputLevel_; }
    double GetDetectedLevel() const { return detectedLevel_; }
    double GetMinGain() const { return minGain_; }

private:
    // The level settings as one process call uses them.
    struct SLevels {
        double k, invThreshold, out;
    };
    // Both attack sections side by side, A in the first lane, B in the second: the block
    // loops run the two sections of an envelope set at once, and every lane operation is
    // the scalar one, so each lane holds exactly what the scalar step computes. They run
    // here rather than through CIIR so one envelope set stays in registers across a block.
    using SPairBiquad = biquad::SCoefficients<pairs::Pair>;
    // One envelope set, kept as the block loops hold it: lane 0 section A, whose last
    // output is the fast part e1; lane 1 section B, whose last output is the slow part e2.
    // An attack makes each part its section's output; a release settles each section at
    // its part.
    using SPairSection = biquad::SSection<pairs::Pair>;

    void Refresh(bool force);
    SLevels LoadLevels() const;
    // At most CDetector::kMaxFrames.
    void ProcessBlock(double* l, double* r, const double* keyL, const double* keyR, int32_t n, int32_t stereoMode,
                      int32_t detection, const SLevels& v);
    void ProcessMonoBlock(double* x, const double* key, int32_t n, int32_t detection, const SLevels& v);

    // Settings as written by any thread.
    std::atomic<float> inverseThreshold_{1.0f};
    std::atomic<float> slope_{0.0f};  // no reduction until a ratio arrives
    std::atomic<float> outputGain_{1.0f};
    std::atomic<float> attackMs_{5.0f};
    std::atomic<float> releaseMs_{20.0f};
    std::atomic<int32_t> stereoMode_{dynamics::kLinked};
    std::atomic<int32_t> detection_{dynamics::kPeak};

    // Audio side.
    int32_t rate_ = 44100;
    float appliedAttackMs_ = 0.0f, appliedReleaseMs_ = 0.0f;
    CIIR attackDesignA_, attackDesignB_;  // designs only; the state lives in env_
    SPairBiquad attack_{};
    SPairSection env_[2] = {};  // [0] left, mid, linked or mono; [1] right or side
    double fastDecay_ = 1.0, slowDecay_ = 1.0;
    CDetector detector_;
    // The rectified, filtered key of the current call.
    alignas(64) double detectorL_[CDetector::kMaxFrames] = {};
    alignas(64) double detectorR_[CDetector::kMaxFrames] = {};

    double inputLevel_ = 0.0, detectedLevel_ = 0.0, minGain_ = 1.0;
};
