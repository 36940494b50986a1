// Type "1" compressor: feed-forward, with its static curve (threshold, ratio, soft knee)
// held in a gain table and a peak-style envelope. The limiter's first stage is another
// instance with fixed settings, so nothing here assumes the compressor section.
//
// Levels on the curve use a decibel scale in which a factor of 2 is exactly 6 dB:
// lambda(x) = 6 * log2(x).
//
// Threads: every setter stores one atomic value and may run on any thread while audio
// runs. A process call reads each setting once at its start and recomputes what depends
// on it (curve constants, coefficients) there, so a block never sees half of a change.
// SetSampleRate and Reset run while audio is stopped. Nothing allocates.
//
// The gain table is filled completely in set-up. A curve change while audio runs (the
// smoother moves threshold and ratio every chunk) only marks the whole table stale, by
// a generation count; an entry is recomputed when it is first read, so a block costs at
// most one curve evaluation per sample instead of 8193. Entries read equal the full
// rebuild exactly. An entry holds the gain already rounded to float, as it is applied,
// so it may come from the fast log/exp wherever that provably rounds the same. Above full
// scale the same holds for gains along a release, which follow one from another by a
// constant factor (the limiter's stage spends much of its time there).
#pragma once

#include "product/engine/Detector.h"

#include <array>
#include <atomic>
#include <cstdint>

// Compressor type "1" of "Compressor Type", and the limiter's first stage.
class CCompressor {
public:
    static constexpr int32_t kTableSize = 8193;  // gain at level i/8192, i = 0..8192

    CCompressor();
    virtual ~CCompressor() = default;

    // Set-up: stores the rate, designs the detectors and re-applies every setting.
    void SetSampleRate(int32_t rate);
    // Envelopes to 0; the detection filters keep their state.
    void Reset();

    // Threshold in dB of the 6-dB-per-doubling scale.
    void SetThresholdDb(float db) { thresholdDb_.store(db, std::memory_order_relaxed); }
    // Ratio to 1. While it is 0 (as constructed) no curve exists and the gain is 1.
    void SetRatio(float ratio) { ratio_.store(ratio, std::memory_order_relaxed); }
    // "Comp Knee" in percent: knee width = 6 + 0.18 * percent dB.
    void SetKneePercent(float percent) { kneePercent_.store(percent, std::memory_order_relaxed); }
    void SetAttackMs(float ms) { attackMs_.store(ms, std::memory_order_relaxed); }
    void SetReleaseMs(float ms) { releaseMs_.store(ms, std::memory_order_relaxed); }
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

    // Results of the last process call: largest mean rectified key before the M/S
    // transform and the detector, the same after the detector, smallest gain applied
    // (linear, 1 = none; 1 for an empty call).
    double GetInputLevel() const { return inputLevel_; }
    double GetDetectedLevel() const { return detectedLevel_; }
    double GetMinGain() const { return minGain_; }

private:
    // Picks up changed settings: the curve when threshold, ratio or knee moved (not while
    // the ratio is 0), the coefficients when the times moved.
    void Refresh(bool force);
    // Curve constants from the applied threshold, ratio and knee; the table either filled
    // (set-up) or marked stale (audio thread).
    void BuildCurve(bool fillTable);
    // Recomputes table entry i for the current curve and returns it.
    double FillEntry(int32_t i);
    // Static curve at linear level x by formula.
    double CurveGain(double x) const;
    // Gain for envelope e, rounded to float as the gain is applied.
    double Gain(double e);
    // That gain for 0 <= e <= 1 (the table).
    double TableGainF(double e);
    // That gain for e > 1: the formulas, evaluated fast where that provably gives the
    // same float.
    double AboveFullScale(double x) const;
    // The float gain at x > lowerEdge_ from lx, ln x within the log error bound, and the
    // fast exp, or a negative value where that cannot be trusted; fastKnee tells whether
    // the knee's power law may use it over the range x comes from.
    double FastGain(double x, double lx, bool fastKnee) const;
    // The same in place over e[0..n), the envelopes above full scale of one block in
    // their order. An envelope that is the one before it times decay (a release step)
    // takes its gain from that one's by a constant factor where CheckChain allows.
    void AboveFullScale(double* e, int32_t n, double decay);
    // The formula, out of line for the rare values the fast evaluation leaves.
    double ExactGain(double x) const;
    // Whether each power law of the current curve is close enough to its fast
    // evaluation to be used, from the natural logs of lowerEdge_ and upperEdge_.
    void CheckFastCurve(double lowerLog, double upperLog);
    // Factors and permissions of the release-step chain, from the curve and the release
    // coefficient; run when a chain would first start after either changed, so a curve
    // that moves every chunk without reaching above full scale never pays for it.
    void CheckChain();
    // At most CDetector::kMaxFrames; settings as read at the start of the call.
    void ProcessBlock(double* l, double* r, const double* keyL, const double* keyR, int32_t n, int32_t stereoMode,
                      int32_t detection, double out);
    void ProcessMonoBlock(double* x, const double* key, int32_t n, int32_t detection, double out);

    // Settings as written by any thread.
    std::atomic<float> thresholdDb_{0.0f};
    std::atomic<float> ratio_{0.0f};
    std::atomic<float> kneePercent_{0.0f};
    std::atomic<float> attackMs_{0.0f};
    std::atomic<float> releaseMs_{0.0f};
    std::atomic<float> outputGain_{1.0f};  // linear
    std::atomic<int32_t> stereoMode_{dynamics::kLinked};
    std::atomic<int32_t> detection_{dynamics::kPeak};

    // Audio side: the settings the derived values were computed from.
    int32_t rate_ = 44100;
    float curveThreshold_ = 0.0f, curveRatio_ = 0.0f, curveKnee_ = 0.0f;
    float appliedAttackMs_ = 0.0f, appliedReleaseMs_ = 0.0f;

    double envL_ = 0.0, envR_ = 0.0;
    double attackCoef_ = 1.0, releaseCoef_ = 1.0;
    // Neutral until a ratio arrives: every branch of the curve gives 1.
    double exponentAbove_ = 0.0;  // 1/R - 1
    double factorAbove_ = 1.0;    // 2^((T - T/R)/6)
    double k1_ = 0.0, k2_ = 0.0, k3_ = 1.0;
    double lowerEdge_ = 1.0, upperEdge_ = 1.0;
    // As CheckFastCurve finds for the neutral curve; fastKnee_ covers the knee above full
    // scale, fastTableKnee_ the knee within the table.
    bool fastAbove_ = true, fastKnee_ = false, fastTableKnee_ = false;
    // Their error bounds above full scale, which the chain adds to.
    double aboveError_ = 0.0, kneeError_ = 0.0;
    double kneeLog_ = 0.0;  // the largest ln x the knee covers above full scale
    // Release steps: ln of the decay factor; the gain's factor per step above the knee;
    // in the knee the factor by which the step's own factor grows; whether each holds.
    double releaseLog_ = 0.0, chainAbove_ = 1.0, chainKnee_ = 1.0;
    bool chainAboveOk_ = false, chainKneeOk_ = false, chainStale_ = true;

    // Gain and its generation side by side: a read touches one cache line.
    struct STableEntry {
        float gain;
        uint32_t generation;  // valid when equal to generation_
    };
    std::array<STableEntry, kTableSize> table_;
    uint32_t generation_ = 0;
    CDetector detector_;
    // The rectified, filtered key of the current call.
    alignas(64) double detectorL_[CDetector::kMaxFrames] = {};
    alignas(64) double detectorR_[CDetector::kMaxFrames] = {};

    double inputLevel_ = 0.0, detectedLevel_ = 0.0, minGain_ = 1.0;
};
