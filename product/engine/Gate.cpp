#include "product/engine/Gate.h"

#include "dsp/simd/Pair.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>
#include <limits>

namespace {

// An envelope this close to 1 is fully open (0.9999 as a float).
constexpr double kOpen = double(0.9999f);
// A closing envelope below this is closed.
constexpr double kClosed = 1e-20;

float Load(const std::atomic<float>& v) { return v.load(std::memory_order_relaxed); }

// Two consecutive samples at a time.
using pairs::LoadPair;
using pairs::Pair;
using pairs::StorePair;

// The value as it is, through a step the compiler cannot speculate: a rarely taken
// snap stays a branch instead of becoming a select on the sample-to-sample chain.
double Opaque(double v)
{
    asm volatile("" : "+x"(v));
    return v;
}

// Per-sample factor that falls by 40 dB in ms, as a float.
double Decay40dB(float ms, int32_t rate)
{
    return double(float(std::pow(10.0, -2.0 / (double(ms) * 0.001 * double(rate)))));
}

}  // namespace

CGate::CGate() { SetSampleRate(rate_); }

void CGate::SetSampleRate(int32_t rate)
{
    rate_ = rate;
    detector_.SetSampleRate(rate_);
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
    CDetector::RunInChunks(n, kMaxFrames, inputLevel_, detectedLevel_, minGain_, [&](int32_t done, int32_t m) {
        // The input level is taken before the detector. No M/S: the gate is linked.
        double* const dL = detectorL_;
        double* const dR = detectorR_;
        inputLevel_ = CDetector::RectifyStereo(l + done, r + done, keyL ? keyL + done : nullptr,
                                               keyR ? keyR + done : nullptr, m, dynamics::kLinked, dL, dR);
        detector_.Filter(detection, dL, dR, m);
        Run(l + done, r + done, dL, dR, m, mix);
    });
}

void CGate::ProcessMono(double* x, const double* key, int32_t n, double mix)
{
    Refresh(false);
    const int32_t detection = detection_.load(std::memory_order_relaxed);
    CDetector::RunInChunks(n, kMaxFrames, inputLevel_, detectedLevel_, minGain_, [&](int32_t done, int32_t m) {
        double* const d = detectorL_;
        inputLevel_ = CDetector::RectifyMono(x + done, key ? key + done : nullptr, m, d);
        detector_.Filter(detection, d, nullptr, m);
        Run(x + done, nullptr, d, nullptr, m, mix);
    });
}

void CGate::Run(double* l, double* r, const double* dL, const double* dR, int32_t n, double mix)
{
    // Per sample, with level = (dL + dR)/2 as a float (mono: dL):
    //   level > threshold: hold counter = 0, else + 1
    //   counter >= hold length (closing): env = env * release, 0 below 1e-20
    //   otherwise (open or holding):      env = env + (1 - env) * attack, 1 from 0.9999
    //   gain = env * mix + (1 - mix)
    // Only the envelope is recursive: levels and gains go two samples at a time, the
    // envelope alone sample by sample.
    double* const level = level_;
    Pair detectedPair = {0.0, 0.0};
    int32_t i = 0;
    for (; i + 2 <= n; i += 2) {
        Pair v = LoadPair(dL + i);
        if (dR)
            v = (v + LoadPair(dR + i)) / 2.0;
        v = _mm_cvtps_pd(_mm_cvtpd_ps(v));
        StorePair(level + i, v);
        detectedPair = pairs::MaxPair(detectedPair, v);
    }
    double detected = 0.0;
    for (; i < n; ++i) {
        level[i] = double(float(dR ? (dL[i] + dR[i]) / 2.0 : dL[i]));
        detected = std::max(detected, level[i]);
    }
    detected = std::max(detected, pairs::MaxOf(detectedPair));

    // A closed envelope stays 0 and an open one stays 1 while the factors are finite,
    // so those samples skip the arithmetic and the chain from sample to sample.
    const bool releaseFinite = std::isfinite(releaseFactor_), attackFinite = std::isfinite(attackCoef_);
    double env = envelope_, minEnv = std::numeric_limits<double>::infinity();
    int32_t counter = holdCounter_;
    const double threshold = threshold_, attack = attackCoef_, release = releaseFactor_;
    const int32_t holdLength = holdLength_;
    const double dry = 1.0 - mix;

    // Whole blocks that leave the envelope where it is: open with no sample able to
    // reach the end of the hold, or closed past the hold with no level above the
    // threshold (the block's largest level is above it exactly when some level is).
    bool settled = false;
    if (env == 1.0 && attackFinite && int64_t(counter) + n < holdLength) {
        int32_t last = n - 1;
        while (last >= 0 && !(level[last] > threshold))
            --last;
        counter = last >= 0 ? n - 1 - last : counter + n;
        settled = true;
    } else if (env == 0.0 && releaseFinite && counter >= holdLength && !(detected > threshold)) {
        counter = int32_t(std::min<int64_t>(int64_t(counter) + n, std::numeric_limits<int32_t>::max()));
        env = 0.0;
        settled = true;
    }
    if (settled) {
        const double gain = env * mix + dry;
        for (i = 0; i + 2 <= n; i += 2) {
            StorePair(l + i, gain * LoadPair(l + i));
            if (r)
                StorePair(r + i, gain * LoadPair(r + i));
        }
        for (; i < n; ++i) {
            l[i] = gain * l[i];
            if (r)
                r[i] = gain * r[i];
        }
        envelope_ = env;
        holdCounter_ = counter;
        detectedLevel_ = detected;
        minGain_ = n > 0 ? env : minEnv;
        return;
    }

    auto step = [&](double level) {
        if (level > threshold)
            counter = 0;
        else if (counter < std::numeric_limits<int32_t>::max())
            ++counter;  // saturates instead of wrapping after hours of silence
        if (counter >= holdLength) {
            if (env == 0.0 && releaseFinite) {
                env = 0.0;
            } else {
                env *= release;
                if (std::fabs(env) < kClosed)
                    env = Opaque(0.0);
            }
        } else if (!(env == 1.0 && attackFinite)) {
            env += (1.0 - env) * attack;
            if (env >= kOpen)
                env = Opaque(1.0);
        }
        minEnv = std::min(minEnv, env);
        return env;
    };
    // The gains of each pair go as one vector right behind the envelope, so they fill
    // the gaps its latency leaves.
    for (i = 0; i + 2 <= n; i += 2) {
        const double first = step(level[i]);
        const double second = step(level[i + 1]);
        const Pair gain = Pair{first, second} * mix + dry;
        StorePair(l + i, gain * LoadPair(l + i));
        if (r)
            StorePair(r + i, gain * LoadPair(r + i));
    }
    if (i < n) {
        const double gain = step(level[i]) * mix + dry;
        l[i] = gain * l[i];
        if (r)
            r[i] = gain * r[i];
    }
    envelope_ = env;
    holdCounter_ = counter;
    detectedLevel_ = detected;
    minGain_ = minEnv;
}
