#include "product/engine/Compressor.h"

#include "dsp/FastCurves.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kLn2 = 0.6931471805599453;
constexpr double kTableScale = 8192.0;
// Envelopes below this are flushed after each block, long before they turn denormal.
constexpr double kDenormalFloor = 0x1p-32;
// The release coefficient's floor keeps 1/time finite.
constexpr double kMinReleaseMs = 0.001;

float Load(const std::atomic<float>& v) { return v.load(std::memory_order_relaxed); }

// One-pole time law: c = 1 - exp(-1 / (ms * 0.001 * fs)).
double OnePole(double ms, int32_t rate) { return 1.0 - std::exp(-1.0 / (ms * 0.001 * double(rate))); }

// ---- Fast curve: the fast log and exp of dsp/FastCurves.h, with the library as reference.
// The curve's power laws are evaluated as exp(y) with y from a table-driven ln, and the
// result is trusted only where that cannot change the gain: the gain is rounded to
// float, so an approximation within relative error e of the exact expression rounds to
// the same float unless it lies within e of a rounding boundary (a midpoint between
// two floats). Those rare values, and anything outside the analysed range, take the
// exact expression.

// x = 2^k m is accepted for 1 < x <= 2^16, so 0 <= ln x <= 11.1. The table's levels
// 2^-13 <= x <= 1 (-9.1 <= ln x <= 0) take their ln from the library, stored; its error
// there is within fastcurves::kLogError as well.
constexpr double kFastMax = fastcurves::kLogMax;
constexpr double kFastMaxLog = fastcurves::kLogMaxLog;
constexpr double kTableMinLog = -9.010913347279288;  // ln 2^-13
constexpr double kLogError = fastcurves::kLogError;
// Relative error of the fast exp and of the library's pow.
constexpr double kExpError = fastcurves::kExpError;
constexpr double kPowError = 0x1p-51;  // two units in the last place
constexpr double kUnit = 0x1p-53;
// The largest |ln(approximation / exact)| a curve may have for the fast path, inside
// what SafeFloat's band around the float midpoints covers.
constexpr double kMaxFastError = 1e-12;
static_assert(kMaxFastError < fastcurves::kSafeFloatError, "the fast path must stay inside SafeFloat's band");
// Exponent range kept far from float overflow and underflow.
constexpr double kMaxExponent = 80.0;
static_assert(kMaxExponent <= fastcurves::kExpMax, "the fast exp is analysed up to its range only");
// Release steps a chain of gains runs before it starts again from the fast log and exp.
constexpr int32_t kChainSteps = 32;

// ln(i/8192), the gain table's levels, by the library (i = 0 gives -inf, never used).
struct SLevelLogs {
    double log[CCompressor::kTableSize];

    SLevelLogs()
    {
        for (int32_t i = 0; i < CCompressor::kTableSize; ++i)
            log[i] = std::log(double(i) / kTableScale);
    }
};
// Filled at load time, never on the audio thread.
const SLevelLogs gLevelLogs;

using fastcurves::SafeFloat;

}  // namespace

// ---------------------------------------------------------------- CCompressor

CCompressor::CCompressor()
{
    table_.fill({1.0f, generation_});
    Refresh(true);
}

void CCompressor::SetSampleRate(int32_t rate)
{
    rate_ = rate;
    detector_.SetSampleRate(rate_);
    Refresh(true);
}

void CCompressor::Reset()
{
    envL_ = 0.0;
    envR_ = 0.0;
}

void CCompressor::SetOutputGainDb(float db)
{
    outputGain_.store(float(std::pow(10.0, double(db) / 20.0)), std::memory_order_relaxed);
}

void CCompressor::Refresh(bool force)
{
    const float t = Load(thresholdDb_), r = Load(ratio_), knee = Load(kneePercent_);
    if (force || t != curveThreshold_ || r != curveRatio_ || knee != curveKnee_) {
        chainStale_ = true;
        curveThreshold_ = t;
        curveRatio_ = r;
        curveKnee_ = knee;
        // Without a ratio the curve is undefined; keep the last one (unity at first).
        if (r != 0.0f)
            BuildCurve(force);
    }
    const float attack = Load(attackMs_), release = Load(releaseMs_);
    if (force || attack != appliedAttackMs_) {
        appliedAttackMs_ = attack;
        attackCoef_ = OnePole(attack, rate_);
    }
    if (force || release != appliedReleaseMs_) {
        appliedReleaseMs_ = release;
        releaseCoef_ = OnePole(std::max(double(release), kMinReleaseMs), rate_);
        chainStale_ = true;
    }
}

void CCompressor::BuildCurve(bool fillTable)
{
    // Gain in the 6-dB scale, with lambda = 6 log2 x and knee width W = 6 + 0.18 knee:
    //   0                                    lambda <= T - W/2
    //   (1/R - 1)(lambda - T + W/2)^2 / (2W)  inside the knee
    //   (1/R - 1)(lambda - T)                 lambda >= T + W/2
    // and g = 2^(gain/6). Expanded in ln x this is the implementation form
    //   knee:  g = x^(K1 ln x - K2) * K3
    //   above: g = x^(1/R - 1) * 2^((T - T/R)/6)
    const double t = curveThreshold_, r = curveRatio_;
    const double w = 6.0 + 0.18 * double(curveKnee_);
    exponentAbove_ = 1.0 / r - 1.0;
    factorAbove_ = std::exp2((t - t / r) / 6.0);
    k1_ = -3.0 * (r - 1.0) / (r * w * kLn2);
    k2_ = -(r - 1.0) * (2.0 * t - w) / (2.0 * r * w);
    k3_ = std::exp2(-(r - 1.0) * (4.0 * t * (t - w) + w * w) / (48.0 * r * w));
    const double lowerLog2 = (t - w / 2.0) / 6.0, upperLog2 = (t + w / 2.0) / 6.0;
    lowerEdge_ = std::exp2(lowerLog2);
    upperEdge_ = std::exp2(upperLog2);
    CheckFastCurve(lowerLog2 * kLn2, upperLog2 * kLn2);
    if (++generation_ == 0) {
        // Wrapped after 2^32 changes: restart so no old mark can look current.
        generation_ = 1;
        for (STableEntry& entry : table_)
            entry.generation = 0;
    }
    if (fillTable) {
        for (int32_t i = 0; i < kTableSize; ++i)
            FillEntry(i);
    }
}

void CCompressor::CheckFastCurve(double lowerLog, double upperLog)
{
    // Bounds on |ln(fast / exact)| over the fast range, from the errors of the two ln
    // values (kLogError each), the roundings of the exponent arithmetic on both sides
    // (kUnit each, times the largest magnitudes involved), pow's and FastExp's own errors
    // and the final products.
    const double u = kUnit * 1.01;
    const double p = std::fabs(exponentAbove_);
    const double above = p * kLogError * 1.01 + u * p * kFastMaxLog + kPowError + kExpError + 4.0 * kUnit;
    fastAbove_ = above <= kMaxFastError;
    aboveError_ = above;

    // The knee's exponent is q = k1 ln x - k2, for |ln x| up to lk. The above bound
    // holds in the table as well: there |ln x| stays below ln 2^13.
    const double a1 = std::fabs(k1_), b = std::fabs(k2_);
    auto kneeError = [&](double lk) {
        const double q = a1 * lk + b;
        return q * kLogError * 1.01 + lk * (2.0 * a1 * kLogError + 2.0 * u * (a1 * lk + q)) + u * q * lk + kPowError
            + kExpError + 4.0 * kUnit;
    };
    // Above full scale the knee lies below upperEdge_, in the table above lowerEdge_ and
    // the lowest nonzero level. The edges' logs come from their exponents; the margin
    // covers the roundings, and a NaN fails the test.
    const double lk = upperEdge_ > 1.0 ? std::min(upperLog, kFastMaxLog) + 1e-9 : 0.0;
    kneeError_ = kneeError(lk);
    kneeLog_ = lk;
    fastKnee_ = kneeError_ <= kMaxFastError;
    const double tableLk = !(lowerEdge_ >= 1.0) ? -std::max(lowerLog, kTableMinLog) + 1e-9 : 0.0;
    fastTableKnee_ = kneeError(tableLk) <= kMaxFastError;
}

inline double CCompressor::FastGain(double x, double lx, bool fastKnee) const
{
    // The curve's branches as CurveGain picks them above lowerEdge_.
    const bool knee = x < upperEdge_;
    const double y = knee ? (lx * k1_ - k2_) * lx : exponentAbove_ * lx;
    if ((knee ? fastKnee : fastAbove_) && std::fabs(y) <= kMaxExponent)
        return SafeFloat(fastcurves::Exp(y) * (knee ? k3_ : factorAbove_));
    return -1.0;
}

inline double CCompressor::AboveFullScale(double x) const
{
    // A NaN fails every test and ends at the formula.
    if (x <= lowerEdge_)
        return 1.0;
    if (x <= kFastMax) {
        const double g = FastGain(x, fastcurves::Log(x), fastKnee_);
        if (g >= 0.0)
            return g;
    }
    return ExactGain(x);
}

double CCompressor::ExactGain(double x) const { return double(float(CurveGain(x))); }

void CCompressor::CheckChain()
{
    chainStale_ = false;
    // A release step makes x' = x d (1 + delta), |delta| <= 2^-53, d the decay factor, so
    // above the knee the gain's exact factor per step is d^p (1 + delta)^p, and in the
    // knee, with L = ln x and c = ln d, exp(K1 (2 L c + c^2) - K2 c) times a factor
    // within |2 K1 L - K2 + 2 K1 c| |delta| of 1, that step factor itself growing by
    // exp(2 K1 c^2) per step. The chain multiplies by the rounded factors from a gain
    // of the fast path (its error within aboveError_ or kneeError_), at most
    // kChainSteps times; the bounds below add the roundings of the factors and products
    // and the deltas over that many steps, and must stay within what SafeFloat allows.
    const double decay = 1.0 - releaseCoef_;
    const double c = std::log(decay);
    releaseLog_ = c;
    chainAbove_ = std::pow(decay, exponentAbove_);
    chainKnee_ = std::exp(2.0 * k1_ * c * c);
    const double u = kUnit * 1.01, steps = double(kChainSteps);
    const double p = std::fabs(exponentAbove_);
    const double aboveBound = aboveError_ + steps * (p * u + kPowError + u);
    chainAboveOk_ = fastAbove_ && aboveBound <= kMaxFastError && std::isnormal(chainAbove_);

    const double a1 = std::fabs(k1_), b = std::fabs(k2_), ac = std::fabs(c), lk = kneeLog_;
    // The step factor at the start: the fast exp of an exponent from the fast log and
    // c, each within its error, and four roundings on terms of these sizes.
    const double first
        = kExpError + 2.0 * a1 * ac * kLogError * 1.01 + 8.0 * u * (2.0 * a1 * lk * ac + a1 * ac * ac + b * ac);
    const double growth = kPowError + 7.0 * u * 2.0 * a1 * ac * ac;  // exp(2 K1 c^2) as computed
    const double perStep = growth + u + 2.0 * a1 * ac * u;
    const double slope = 2.0 * a1 * lk + b + 2.0 * a1 * ac;
    const double kneeBound
        = kneeError_ + steps * first + steps * (steps - 1.0) / 2.0 * perStep + steps * u * (1.0 + slope);
    chainKneeOk_ = fastKnee_ && kneeBound <= kMaxFastError && std::isnormal(chainKnee_) && ac <= 1.0;
}

void CCompressor::AboveFullScale(double* e, int32_t n, double decay)
{
    // One after another, each as AboveFullScale(x) gives it. An envelope that is the one
    // before it times decay, on the same branch of the curve, follows from that one's
    // unrounded fast gain by the chain's factors instead of a log and an exp; a chain
    // starts only from a gain SafeFloat accepted and ends after kChainSteps.
    double gain = 0.0, factor = 0.0;  // the last unrounded gain; in the knee its step factor
    bool knee = false;
    int32_t steps = kChainSteps;  // none running
    double previous = 0.0;
    for (int32_t k = 0; k < n; ++k) {
        const double x = e[k];
        double g = -1.0;
        if (x <= lowerEdge_) {
            g = 1.0;
            steps = kChainSteps;
        } else if (steps < kChainSteps && x == previous * decay && (knee || x >= upperEdge_)) {
            if (knee) {
                gain *= factor;
                factor *= chainKnee_;
            } else {
                gain *= chainAbove_;
            }
            ++steps;
            g = SafeFloat(gain);
        } else if (x <= kFastMax) {
            const double lx = fastcurves::Log(x);
            knee = x < upperEdge_;
            const double y = knee ? (lx * k1_ - k2_) * lx : exponentAbove_ * lx;
            steps = kChainSteps;
            if ((knee ? fastKnee_ : fastAbove_) && std::fabs(y) <= kMaxExponent) {
                gain = fastcurves::Exp(y) * (knee ? k3_ : factorAbove_);
                g = SafeFloat(gain);
                // Only when the next envelope is a release step from this one.
                const bool next = k + 1 < n && e[k + 1] == x * decay;
                if (next && chainStale_)
                    CheckChain();
                if (next && (knee ? chainKneeOk_ : chainAboveOk_)) {
                    const double r = (k1_ * (2.0 * lx + releaseLog_) - k2_) * releaseLog_;
                    if (!knee || std::fabs(r) <= kMaxExponent) {
                        factor = knee ? fastcurves::Exp(r) : 0.0;
                        steps = 0;
                    }
                }
            }
        }
        if (!(g >= 0.0)) {
            g = ExactGain(x);
            steps = kChainSteps;
        }
        e[k] = g;
        previous = x;
    }
}

double CCompressor::FillEntry(int32_t i)
{
    // Entry i holds g(i/8192) rounded to float. Level 0 lies at or below lowerEdge_ (a
    // NaN edge fails the fast path), so that path only sees 2^-13 <= x <= 1.
    const double x = double(i) / kTableScale;
    double g = x <= lowerEdge_ ? 1.0 : FastGain(x, gLevelLogs.log[i], fastTableKnee_);
    if (!(g >= 0.0))
        g = ExactGain(x);
    table_[size_t(i)] = {float(g), generation_};
    return g;
}

double CCompressor::CurveGain(double x) const
{
    if (x <= lowerEdge_)
        return 1.0;
    if (x < upperEdge_)
        return std::pow(x, std::log(x) * k1_ - k2_) * k3_;
    return std::pow(x, exponentAbove_) * factorAbove_;
}

inline double CCompressor::TableGainF(double e)
{
    const int32_t i = int32_t(e * kTableScale);
    const STableEntry entry = table_[size_t(i)];
    return entry.generation == generation_ ? double(entry.gain) : FillEntry(i);
}

double CCompressor::Gain(double e)
{
    // Up to full scale the table, truncating; above it the formulas. A NaN envelope
    // takes the formula path, never an index.
    return e <= 1.0 ? TableGainF(e) : AboveFullScale(e);
}

void CCompressor::Process(double* l, double* r, const double* keyL, const double* keyR, int32_t n)
{
    Refresh(false);
    const int32_t stereoMode = stereoMode_.load(std::memory_order_relaxed);
    const int32_t detection = detection_.load(std::memory_order_relaxed);
    const double out = double(Load(outputGain_));
    CDetector::RunInChunks(n, CDetector::kMaxFrames, inputLevel_, detectedLevel_, minGain_,
                           [&](int32_t done, int32_t m) {
                               ProcessBlock(l + done, r + done, keyL ? keyL + done : nullptr,
                                            keyR ? keyR + done : nullptr, m, stereoMode, detection, out);
                           });
}

void CCompressor::ProcessMono(double* x, const double* key, int32_t n)
{
    Refresh(false);
    const int32_t detection = detection_.load(std::memory_order_relaxed);
    const double out = double(Load(outputGain_));
    CDetector::RunInChunks(
        n, CDetector::kMaxFrames, inputLevel_, detectedLevel_, minGain_,
        [&](int32_t done, int32_t m) { ProcessMonoBlock(x + done, key ? key + done : nullptr, m, detection, out); });
}

void CCompressor::ProcessBlock(double* l, double* r, const double* keyL, const double* keyR, int32_t n,
                               int32_t stereoMode, int32_t detection, double out)
{
    double* const dL = detectorL_;
    double* const dR = detectorR_;
    inputLevel_ = CDetector::RectifyStereo(l, r, keyL, keyR, n, stereoMode, dL, dR);
    detectedLevel_ = detector_.Detect(detection, dL, dR, n);

    // Peak-style envelope per sample, towards d on the way up, towards 0 on the way down:
    //   d <= env: env = env * (1 - c_r);   else env = env + (d - env) * c_a
    // then x = out * g(env) * x.
    // Frames whose envelope is above full scale (or NaN) are done after the loop: their
    // formula gains are independent of one another and overlap there, instead of each
    // waiting in the envelope's loop. The smallest gain does not depend on the order, as
    // std::min never lets a NaN gain in.
    const double ca = attackCoef_, decay = 1.0 - releaseCoef_;
    double minGain = std::numeric_limits<double>::infinity();
    double envL = envL_, envR = envR_;
    int32_t late[CDetector::kMaxFrames];
    double lateL[CDetector::kMaxFrames], lateR[CDetector::kMaxFrames];
    int32_t lateCount = 0;
    if (stereoMode == dynamics::kLinked) {
        for (int32_t i = 0; i < n; ++i) {
            const double d = std::max(dL[i], dR[i]);
            envL = d <= envL ? envL * decay : envL + (d - envL) * ca;
            if (envL <= 1.0) {
                const double g = TableGainF(envL);
                l[i] = out * g * l[i];
                r[i] = out * g * r[i];
                minGain = std::min(minGain, g);
            } else {
                late[lateCount] = i;
                lateL[lateCount++] = envL;
            }
        }
        AboveFullScale(lateL, lateCount, decay);
        for (int32_t k = 0; k < lateCount; ++k) {
            const int32_t i = late[k];
            const double g = lateL[k];
            l[i] = out * g * l[i];
            r[i] = out * g * r[i];
            minGain = std::min(minGain, g);
        }
    } else {
        for (int32_t i = 0; i < n; ++i) {
            envL = dL[i] <= envL ? envL * decay : envL + (dL[i] - envL) * ca;
            envR = dR[i] <= envR ? envR * decay : envR + (dR[i] - envR) * ca;
            if (envL <= 1.0 && envR <= 1.0) {
                const double gl = TableGainF(envL), gr = TableGainF(envR);
                l[i] = out * gl * l[i];
                r[i] = out * gr * r[i];
                minGain = std::min(minGain, std::min(gl, gr));
            } else {
                late[lateCount] = i;
                lateL[lateCount] = envL;
                lateR[lateCount++] = envR;
            }
        }
        for (int32_t k = 0; k < lateCount; ++k) {
            const int32_t i = late[k];
            const double gl = Gain(lateL[k]), gr = Gain(lateR[k]);
            l[i] = out * gl * l[i];
            r[i] = out * gr * r[i];
            minGain = std::min(minGain, std::min(gl, gr));
        }
    }
    envL_ = std::fabs(envL) < kDenormalFloor ? 0.0 : envL;
    envR_ = std::fabs(envR) < kDenormalFloor ? 0.0 : envR;
    minGain_ = minGain;

    if (stereoMode == dynamics::kMidSide)
        CDetector::DecodeMidSide(l, r, n);
}

void CCompressor::ProcessMonoBlock(double* x, const double* key, int32_t n, int32_t detection, double out)
{
    double* const d = detectorL_;
    inputLevel_ = CDetector::RectifyMono(x, key, n, d);
    detectedLevel_ = detector_.Detect(detection, d, nullptr, n);

    // The stereo law on the left envelope alone.
    const double ca = attackCoef_, decay = 1.0 - releaseCoef_;
    double minGain = std::numeric_limits<double>::infinity();
    double env = envL_;
    int32_t late[CDetector::kMaxFrames];
    double lateEnv[CDetector::kMaxFrames];
    int32_t lateCount = 0;
    for (int32_t i = 0; i < n; ++i) {
        env = d[i] <= env ? env * decay : env + (d[i] - env) * ca;
        if (env <= 1.0) {
            const double g = TableGainF(env);
            x[i] = out * g * x[i];
            minGain = std::min(minGain, g);
        } else {
            late[lateCount] = i;
            lateEnv[lateCount++] = env;
        }
    }
    AboveFullScale(lateEnv, lateCount, decay);
    for (int32_t k = 0; k < lateCount; ++k) {
        const int32_t i = late[k];
        const double g = lateEnv[k];
        x[i] = out * g * x[i];
        minGain = std::min(minGain, g);
    }
    envL_ = std::fabs(env) < kDenormalFloor ? 0.0 : env;
    minGain_ = minGain;
}
