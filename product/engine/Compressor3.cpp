#include "product/engine/Compressor3.h"

#include "dsp/simd/Pair.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace {

constexpr float kMinAttackMs = 5.0f;
constexpr float kMinReleaseMs = 20.0f;
// Gain floor, -40 dB.
constexpr double kGainFloor = double(0.01f);
// Keeps the detector above zero so a silent key still counts as an attack.
constexpr double kDetectorBias = double(1e-35f);
constexpr double kBiasInvisible = 0x1p-60;
static_assert(kDetectorBias < 0x1p-60 * 0x1p-54, "below half a unit in the last place from 2^-60 up");
// Decayed envelopes below this are dropped at once.
constexpr double kEnvelopeFloor = double(1e-22f);
// Denormal guard after each block.
constexpr double kDenormalFloor = 0x1p-32;

float Load(const std::atomic<float>& v) { return v.load(std::memory_order_relaxed); }

// Per-sample factor that falls by 40 dB in `seconds`.
double Decay40dB(double seconds, int32_t rate) { return std::pow(10.0, -2.0 / (seconds * double(rate))); }

}  // namespace

CCompressor3::CCompressor3() { Refresh(true); }

void CCompressor3::SetSampleRate(int32_t rate)
{
    rate_ = rate;
    Refresh(true);
}

void CCompressor3::Reset() { env_[0] = env_[1] = SPairSection{}; }

void CCompressor3::SetThresholdDb(float db)
{
    inverseThreshold_.store(float(std::pow(10.0, -double(db) / 20.0)), std::memory_order_relaxed);
}

void CCompressor3::SetRatio(float ratio)
{
    slope_.store(float((double(ratio) - 0.99) / 12.0), std::memory_order_relaxed);
}

void CCompressor3::SetAttackMs(float ms) { attackMs_.store(std::max(ms, kMinAttackMs), std::memory_order_relaxed); }

void CCompressor3::SetReleaseMs(float ms) { releaseMs_.store(std::max(ms, kMinReleaseMs), std::memory_order_relaxed); }

void CCompressor3::SetOutputGainDb(float db)
{
    outputGain_.store(float(std::pow(10.0, double(db) / 20.0)), std::memory_order_relaxed);
}

void CCompressor3::Refresh(bool force)
{
    const float attack = Load(attackMs_), release = Load(releaseMs_);
    if (force) {
        detector_.SetSampleRate(rate_);
        fastDecay_ = Decay40dB(0.032, rate_);
    }
    if (force || attack != appliedAttackMs_) {
        appliedAttackMs_ = attack;
        // Attack sections: A at 750 / attack Hz, alpha = sin(w) / 1.24 (Q 0.62);
        // B at 6000 / attack Hz, alpha = sin(w) / 1.0 (Q 0.5).
        attackDesignA_.DesignHighCut12(rate_, 750.0 / double(attack), 0.62);
        attackDesignB_.DesignHighCut12(rate_, 6000.0 / double(attack), 0.5);
        // b0 b1 b2 a1 a2 lead each design's set.
        const double* a = attackDesignA_.Target().data();
        const double* b = attackDesignB_.Target().data();
        attack_.b0 = pairs::Pair{a[0], b[0]};
        attack_.b1 = pairs::Pair{a[1], b[1]};
        attack_.b2 = pairs::Pair{a[2], b[2]};
        attack_.a1 = pairs::Pair{a[3], b[3]};
        attack_.a2 = pairs::Pair{a[4], b[4]};
    }
    if (force || release != appliedReleaseMs_) {
        appliedReleaseMs_ = release;
        slowDecay_ = Decay40dB(double(release) * 0.001, rate_);
    }
}

CCompressor3::SLevels CCompressor3::LoadLevels() const
{
    return {double(Load(slope_)), double(Load(inverseThreshold_)), double(Load(outputGain_))};
}

namespace {

// The class's envelope set and paired coefficients, for the step function below.
using SPairSection = biquad::SSection<pairs::Pair>;
using SPairBiquad = biquad::SCoefficients<pairs::Pair>;

// The denormal guard of an envelope set after each block: every part and section memory
// below the floor in magnitude becomes 0 (a NaN stays).
pairs::Pair Flushed(pairs::Pair v) { return pairs::Pair(pairs::PairBits(v) & ~(pairs::AbsPair(v) < kDenormalFloor)); }

SPairSection Flushed(const SPairSection& s) { return {Flushed(s.x1), Flushed(s.x2), Flushed(s.y1), Flushed(s.y2)}; }

// One sample of one envelope set; returns the gain for this sample.
//   g = max(0.01, 1 - k (e1 + e2)); the detector sees the compressed level
//   d = invT * dv * g. Rising: both sections run towards d. Falling: e1 loses 40 dB in
//   32 ms, e2 40 dB in the release time, and both sections settle at the decayed values
//   so the next attack starts from there.
inline __attribute__((always_inline)) double Step(double dv, double k, double invThreshold, pairs::Pair decay,
                                                  const SPairBiquad& c, SPairSection& s)
{
    const double sum = s.y1[0] + s.y1[1];
    const double g = std::max(kGainFloor, 1.0 - k * sum);
    // The bias is below half a unit in the last place of any level from 2^-60 up, so
    // adding it leaves such a level as it is; skipped there, the add stays off the
    // feedback path.
    const double level = invThreshold * dv * g;
    const double d = __builtin_expect(level >= kBiasInvisible, 1) ? level : level + kDetectorBias;
    if (d > sum) {
        biquad::Section(c, s, pairs::Pair{d, d});
    } else {
        pairs::Pair e = s.y1 * decay;
        // A part below the floor becomes 0; a NaN stays, as the scalar test leaves it.
        // Rarely taken, so the decayed pair goes on to the next sample without waiting
        // for the test.
        const pairs::PairBits dropped = e < kEnvelopeFloor;
        if (_mm_movemask_pd(__m128d(dropped)))
            e = pairs::Pair(pairs::PairBits(e) & ~dropped);
        s.x1 = s.x2 = s.y1 = s.y2 = e;
    }
    return g;
}

}  // namespace

void CCompressor3::Process(double* l, double* r, const double* keyL, const double* keyR, int32_t n)
{
    Refresh(false);
    const int32_t stereoMode = stereoMode_.load(std::memory_order_relaxed);
    const int32_t detection = detection_.load(std::memory_order_relaxed);
    const SLevels levels = LoadLevels();
    CDetector::RunInChunks(n, CDetector::kMaxFrames, inputLevel_, detectedLevel_, minGain_,
                           [&](int32_t done, int32_t m) {
                               ProcessBlock(l + done, r + done, keyL ? keyL + done : nullptr,
                                            keyR ? keyR + done : nullptr, m, stereoMode, detection, levels);
                           });
}

void CCompressor3::ProcessMono(double* x, const double* key, int32_t n)
{
    Refresh(false);
    const int32_t detection = detection_.load(std::memory_order_relaxed);
    const SLevels levels = LoadLevels();
    CDetector::RunInChunks(
        n, CDetector::kMaxFrames, inputLevel_, detectedLevel_, minGain_,
        [&](int32_t done, int32_t m) { ProcessMonoBlock(x + done, key ? key + done : nullptr, m, detection, levels); });
}

void CCompressor3::ProcessBlock(double* l, double* r, const double* keyL, const double* keyR, int32_t n,
                                int32_t stereoMode, int32_t detection, const SLevels& v)
{
    double* const dL = detectorL_;
    double* const dR = detectorR_;
    inputLevel_ = CDetector::RectifyStereo(l, r, keyL, keyR, n, stereoMode, dL, dR);
    detectedLevel_ = detector_.Detect(detection, dL, dR, n);

    // Local copies so the envelope sets and coefficients stay in registers.
    const SPairBiquad c = attack_;
    const pairs::Pair decay = {fastDecay_, slowDecay_};
    const double k = v.k, invThreshold = v.invThreshold, out = v.out;
    double minGain = std::numeric_limits<double>::infinity();
    SPairSection s0 = env_[0];
    if (stereoMode == dynamics::kLinked) {
        // One state set for both channels, driven by the louder one: x = out * g * x.
        for (int32_t i = 0; i < n; ++i) {
            const double g = Step(std::max(dL[i], dR[i]), k, invThreshold, decay, c, s0);
            l[i] = out * g * l[i];
            r[i] = out * g * r[i];
            minGain = std::min(minGain, g);
        }
    } else {
        SPairSection s1 = env_[1];
        for (int32_t i = 0; i < n; ++i) {
            const double gl = Step(dL[i], k, invThreshold, decay, c, s0);
            const double gr = Step(dR[i], k, invThreshold, decay, c, s1);
            l[i] = out * gl * l[i];
            r[i] = out * gr * r[i];
            minGain = std::min(minGain, std::min(gl, gr));
        }
        env_[1] = Flushed(s1);
    }
    env_[0] = Flushed(s0);
    minGain_ = minGain;

    if (stereoMode == dynamics::kMidSide)
        CDetector::DecodeMidSide(l, r, n);
}

void CCompressor3::ProcessMonoBlock(double* x, const double* key, int32_t n, int32_t detection, const SLevels& v)
{
    double* const d = detectorL_;
    inputLevel_ = CDetector::RectifyMono(x, key, n, d);
    detectedLevel_ = detector_.Detect(detection, d, nullptr, n);

    const SPairBiquad c = attack_;
    const pairs::Pair decay = {fastDecay_, slowDecay_};
    const double k = v.k, invThreshold = v.invThreshold, out = v.out;
    double minGain = std::numeric_limits<double>::infinity();
    SPairSection s = env_[0];
    for (int32_t i = 0; i < n; ++i) {
        const double g = Step(d[i], k, invThreshold, decay, c, s);
        x[i] = out * g * x[i];
        minGain = std::min(minGain, g);
    }
    env_[0] = Flushed(s);
    minGain_ = minGain;
}
