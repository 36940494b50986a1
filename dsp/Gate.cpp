#include "dsp/Gate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// An envelope this close to 1 is fully open (0.9999 as a float).
constexpr double kOpen = double(0.9999f);
// A closing envelope below this is closed.
constexpr double kClosed = 1e-20;

float Load(const std::atomic<float>& v) { return v.load(std::memory_order_relaxed); }

// Per-sample factor that falls by 40 dB in ms, as a float.
double Decay40dB(float ms, int32_t rate)
{
    return double(float(std::pow(10.0, -2.0 / (double(ms) * 0.001 * double(rate)))));
}

} // namespace

CGate::CGate()
{
    SetSampleRate(rate_);
}

void CGate::SetSampleRate(int32_t rate)
{
    rate_ = rate;
    // Cookbook low-passes: Power 100 Hz with alpha = sin(w) / 1.0 (Q 0.5), C-165 2.1 Hz
    // with alpha = sin(w) / 1.24 (Q 0.62).
    power_.DesignHighCut12(rate_, 100.0, 0.5);
    c165_.DesignHighCut12(rate_, 2.1, 0.62);
    Refresh(true);
}

void CGate::Reset()
{
    envelope_ = 0.0;
    holdCounter_ = 0;
}

void CGate::Refresh(bool force)
{
    const float threshold = Load(thresholdDb_);
    if (force || threshold != appliedThresholdDb_) {
        appliedThresholdDb_ = threshold;
        threshold_ = double(float(std::pow(10.0, double(threshold) / 20.0)));
    }
    const float attack = Load(attackMs_);
    if (force || attack != appliedAttackMs_) {
        appliedAttackMs_ = attack;
        // 1 - c per sample left to go: 1 - c = 10^(-2 / samples) leaves 1 % after the time.
        attackCoef_ = 1.0 - Decay40dB(attack, rate_);
    }
    const float release = Load(releaseMs_);
    if (force || release != appliedReleaseMs_) {
        appliedReleaseMs_ = release;
        releaseFactor_ = Decay40dB(release, rate_);
    }
    const float hold = Load(holdMs_);
    if (force || hold != appliedHoldMs_) {
        appliedHoldMs_ = hold;
        holdLength_ = int32_t(std::floor(double(hold) * 0.001 * double(rate_)));
    }
}

void CGate::Process(double* l, double* r, const double* keyL, const double* keyR, int32_t n, double mix)
{
    Refresh(false);
    const int32_t detection = detection_.load(std::memory_order_relaxed);
    const double* kl = keyL ? keyL : l;
    const double* kr = keyL ? keyR : r;
    double input = 0.0, detected = 0.0, minGain = std::numeric_limits<double>::infinity();
    for (int32_t done = 0; done < n; done += kMaxFrames) {
        const int32_t m = std::min(n - done, kMaxFrames);
        // Rectify; the input level is taken before the detector.
        double dL[kMaxFrames], dR[kMaxFrames];
        for (int32_t i = 0; i < m; ++i) {
            dL[i] = std::fabs(kl[done + i]);
            dR[i] = std::fabs(kr[done + i]);
            input = std::max(input, (dL[i] + dR[i]) / 2.0);
        }
        if (detection == kPower)
            power_.ProcessStereoFixed(dL, dR, m);
        else if (detection == kC165)
            c165_.ProcessStereoFixed(dL, dR, m);
        Run(l + done, r + done, dL, dR, m, mix);
        detected = std::max(detected, detectedLevel_);
        minGain = std::min(minGain, minGain_);
    }
    inputLevel_ = input;
    detectedLevel_ = detected;
    minGain_ = n > 0 ? minGain : 1.0;
}

void CGate::ProcessMono(double* x, const double* key, int32_t n, double mix)
{
    Refresh(false);
    const int32_t detection = detection_.load(std::memory_order_relaxed);
    const double* k = key ? key : x;
    double input = 0.0, detected = 0.0, minGain = std::numeric_limits<double>::infinity();
    for (int32_t done = 0; done < n; done += kMaxFrames) {
        const int32_t m = std::min(n - done, kMaxFrames);
        double d[kMaxFrames];
        for (int32_t i = 0; i < m; ++i) {
            d[i] = std::fabs(k[done + i]);
            input = std::max(input, d[i]);
        }
        if (detection == kPower)
            power_.ProcessMonoFixed(d, m);
        else if (detection == kC165)
            c165_.ProcessMonoFixed(d, m);
        Run(x + done, nullptr, d, nullptr, m, mix);
        detected = std::max(detected, detectedLevel_);
        minGain = std::min(minGain, minGain_);
    }
    inputLevel_ = input;
    detectedLevel_ = detected;
    minGain_ = n > 0 ? minGain : 1.0;
}

void CGate::Run(double* l, double* r, const double* dL, const double* dR, int32_t n, double mix)
{
    // Per sample, with level = (dL + dR)/2 as a float (mono: dL):
    //   level > threshold: hold counter = 0, else + 1
    //   counter >= hold length (closing): env = env * release, 0 below 1e-20
    //   otherwise (open or holding):      env = env + (1 - env) * attack, 1 from 0.9999
    //   gain = env * mix + (1 - mix)
    double env = envelope_, detected = 0.0, minEnv = std::numeric_limits<double>::infinity();
    int32_t counter = holdCounter_;
    for (int32_t i = 0; i < n; ++i) {
        const double level = double(float(dR ? (dL[i] + dR[i]) / 2.0 : dL[i]));
        detected = std::max(detected, level);
        if (level > threshold_)
            counter = 0;
        else if (counter < std::numeric_limits<int32_t>::max())
            ++counter;  // saturates instead of wrapping after hours of silence
        if (counter >= holdLength_) {
            env *= releaseFactor_;
            if (std::fabs(env) < kClosed)
                env = 0.0;
        } else {
            env += (1.0 - env) * attackCoef_;
            if (env >= kOpen)
                env = 1.0;
        }
        const double gain = env * mix + (1.0 - mix);
        l[i] = gain * l[i];
        if (r)
            r[i] = gain * r[i];
        minEnv = std::min(minEnv, env);
    }
    envelope_ = env;
    holdCounter_ = counter;
    detectedLevel_ = detected;
    minGain_ = minEnv;
}
