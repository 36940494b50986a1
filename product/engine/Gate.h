// The gate: attenuates while the key level stays at or below the threshold, with
// attack, hold and release, a dry/wet mix and three level detectors. Stereo-linked: one
// envelope and one gain serve both channels. The envelope (0 closed .. 1 open) is
// continuous across calls and across setting changes.
//
// Threads: every setter stores one atomic value and may run on any thread while audio
// runs; a process call reads each setting once at its start and recomputes the derived
// threshold, coefficients and hold length there when it changed. SetSampleRate and
// Reset run while audio is stopped. Nothing allocates.
#pragma once

#include "product/engine/Detector.h"

#include <atomic>
#include <cstdint>

class CGate {
public:
    // "Gate Detection Mode": the detector's modes.
    using EDetection = dynamics::EDetection;
    static constexpr EDetection kPeak = dynamics::kPeak, kPower = dynamics::kPower, kC165 = dynamics::kC165;
    // Largest block handled in one pass; longer calls are split.
    static constexpr int32_t kMaxFrames = 32;

    CGate();

    // Set-up: stores the rate, designs the detector and re-applies the time settings.
    void SetSampleRate(int32_t rate);
    // Envelope 0 (closed) and hold counter 0.
    void Reset();

    // dB (20 * log10 scale).
    void SetThresholdDb(float db) { thresholdDb_.store(db, std::memory_order_relaxed); }
    // Milliseconds: the envelope covers 99 % (40 dB) of the way open in this time.
    void SetAttackMs(float ms) { attackMs_.store(ms, std::memory_order_relaxed); }
    // Milliseconds: the closing envelope falls by 40 dB in this time.
    void SetReleaseMs(float ms) { releaseMs_.store(ms, std::memory_order_relaxed); }
    // Milliseconds the gate stays open after the key last exceeded the threshold.
    void SetHoldMs(float ms) { holdMs_.store(ms, std::memory_order_relaxed); }
    // EDetection.
    void SetDetectionMode(int32_t mode) { detection_.store(mode, std::memory_order_relaxed); }

    // In place; keyL/keyR are the key, or both null to detect on the signal. mix is the
    // dry/wet fraction 0..1: gain = envelope * mix + (1 - mix).
    void Process(double* l, double* r, const double* keyL, const double* keyR, int32_t n, double mix);
    // One channel; key null detects on the signal.
    void ProcessMono(double* x, const double* key, int32_t n, double mix);

    // Results of the last process call: largest mean rectified key before the detector,
    // largest detected level, smallest envelope (the gain at full mix; 1 for an empty
    // call).
    double GetInputLevel() const { return inputLevel_; }
    double GetDetectedLevel() const { return detectedLevel_; }
    double GetMinGain() const { return minGain_; }

private:
    void Refresh(bool force);
    // At most kMaxFrames of rectified, filtered detector values in dL (mono: dR null).
    void Run(double* l, double* r, const double* dL, const double* dR, int32_t n, double mix);

    // Settings as written by any thread (parameter defaults until set).
    std::atomic<float> thresholdDb_{-50.0f};
    std::atomic<float> attackMs_{50.0f};
    std::atomic<float> releaseMs_{120.0f};
    std::atomic<float> holdMs_{10.0f};
    std::atomic<int32_t> detection_{kPower};

    // Audio side.
    int32_t rate_ = 44100;
    float appliedThresholdDb_ = 0.0f, appliedAttackMs_ = 0.0f, appliedReleaseMs_ = 0.0f, appliedHoldMs_ = 0.0f;
    CDetector detector_;
    // The rectified, filtered key of the current chunk, and its level per sample.
    alignas(64) double detectorL_[kMaxFrames] = {};
    alignas(64) double detectorR_[kMaxFrames] = {};
    alignas(64) double level_[kMaxFrames] = {};
    int32_t holdCounter_ = 0;
    int32_t holdLength_ = 0;
    double envelope_ = 0.0;
    double threshold_ = 0.0;      // linear
    double attackCoef_ = 0.0;     // fraction of the remaining way to 1 closed per sample
    double releaseFactor_ = 0.0;  // multiplier per sample while closing

    double inputLevel_ = 0.0, detectedLevel_ = 0.0, minGain_ = 1.0;
};
