#include "dsp/Compressor.h"

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
double OnePole(double ms, int32_t rate)
{
    return 1.0 - std::exp(-1.0 / (ms * 0.001 * double(rate)));
}

} // namespace

// ---------------------------------------------------------------- shared front end

namespace dynamics {

void DesignDetectors(CIIR& power, CIIR& c165, int32_t rate)
{
    // alpha = sin(w) / (2Q): Q 0.5 gives sin(w) / 1.0, Q 0.62 gives sin(w) / 1.24.
    power.DesignHighCut12(rate, 100.0, 0.5);
    c165.DesignHighCut12(rate, 2.1, 0.62);
}

double RectifyStereo(double* l, double* r, const double* keyL, const double* keyR, int32_t n,
                     int32_t stereoMode, double* dL, double* dR)
{
    const double* kl = keyL ? keyL : l;
    const double* kr = keyL ? keyR : r;
    double level = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        dL[i] = std::fabs(kl[i]);
        dR[i] = std::fabs(kr[i]);
        level = std::max(level, (dL[i] + dR[i]) / 2.0);
    }
    if (stereoMode == kMidSide) {
        // Both key values are read before the signal is written, so a key that is the
        // signal itself still sees the original L and R.
        for (int32_t i = 0; i < n; ++i) {
            const double a = kl[i], b = kr[i];
            dL[i] = std::fabs((a + b) / 2.0);
            dR[i] = std::fabs((a - b) / 2.0);
            const double left = l[i], right = r[i];
            l[i] = (left + right) / 2.0;
            r[i] = (left - right) / 2.0;
        }
    }
    return level;
}

double RectifyMono(const double* x, const double* key, int32_t n, double* d)
{
    const double* k = key ? key : x;
    double level = 0.0;
    for (int32_t i = 0; i < n; ++i) {
        d[i] = std::fabs(k[i]);
        level = std::max(level, d[i]);
    }
    return level;
}

double Detect(int32_t mode, CIIR& power, CIIR& c165, double* dL, double* dR, int32_t n)
{
    // The fixed-coefficient block calls flush states below 2^-32 themselves.
    CIIR* filter = mode == kPower ? &power : mode == kC165 ? &c165 : nullptr;
    double level = 0.0;
    if (dR == nullptr) {
        if (filter)
            filter->ProcessMonoFixed(dL, n);
        for (int32_t i = 0; i < n; ++i)
            level = std::max(level, dL[i]);
        return level;
    }
    if (filter)
        filter->ProcessStereoFixed(dL, dR, n);
    for (int32_t i = 0; i < n; ++i)
        level = std::max(level, (dL[i] + dR[i]) / 2.0);
    return level;
}

void DecodeMidSide(double* l, double* r, int32_t n)
{
    for (int32_t i = 0; i < n; ++i) {
        const double m = l[i], s = r[i];
        l[i] = m + s;
        r[i] = m - s;
    }
}

} // namespace dynamics

// ---------------------------------------------------------------- CCompressor

CCompressor::CCompressor()
{
    table_.fill(1.0);
    tableGeneration_.fill(generation_);
    dynamics::DesignDetectors(power_, c165_, rate_);
    Refresh(true);
}

void CCompressor::SetSampleRate(int32_t rate)
{
    rate_ = rate;
    dynamics::DesignDetectors(power_, c165_, rate_);
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
    lowerEdge_ = std::exp2((t - w / 2.0) / 6.0);
    upperEdge_ = std::exp2((t + w / 2.0) / 6.0);
    if (++generation_ == 0) {
        // Wrapped after 2^32 changes: restart so no old mark can look current.
        generation_ = 1;
        tableGeneration_.fill(0);
    }
    if (fillTable) {
        for (int32_t i = 0; i < kTableSize; ++i)
            TableGain(i);
    }
}

double CCompressor::TableGain(int32_t i)
{
    // Entry i holds g(i/8192).
    double& g = table_[size_t(i)];
    uint32_t& mark = tableGeneration_[size_t(i)];
    if (mark != generation_) {
        g = CurveGain(double(i) / kTableScale);
        mark = generation_;
    }
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

double CCompressor::Gain(double e)
{
    // Up to full scale the table, truncating; above it the formulas. A NaN envelope
    // takes the formula path, never an index.
    const double g = e <= 1.0 ? TableGain(int32_t(e * kTableScale)) : CurveGain(e);
    return double(float(g));
}

void CCompressor::Process(double* l, double* r, const double* keyL, const double* keyR, int32_t n)
{
    Refresh(false);
    const int32_t stereoMode = stereoMode_.load(std::memory_order_relaxed);
    const int32_t detection = detection_.load(std::memory_order_relaxed);
    const double out = double(Load(outputGain_));
    dynamics::RunInChunks(n, inputLevel_, detectedLevel_, minGain_, [&](int32_t done, int32_t m) {
        ProcessBlock(l + done, r + done, keyL ? keyL + done : nullptr, keyR ? keyR + done : nullptr, m,
                     stereoMode, detection, out);
    });
}

void CCompressor::ProcessMono(double* x, const double* key, int32_t n)
{
    Refresh(false);
    const int32_t detection = detection_.load(std::memory_order_relaxed);
    const double out = double(Load(outputGain_));
    dynamics::RunInChunks(n, inputLevel_, detectedLevel_, minGain_, [&](int32_t done, int32_t m) {
        ProcessMonoBlock(x + done, key ? key + done : nullptr, m, detection, out);
    });
}

void CCompressor::ProcessBlock(double* l, double* r, const double* keyL, const double* keyR,
                               int32_t n, int32_t stereoMode, int32_t detection, double out)
{
    double dL[dynamics::kMaxFrames], dR[dynamics::kMaxFrames];
    inputLevel_ = dynamics::RectifyStereo(l, r, keyL, keyR, n, stereoMode, dL, dR);
    detectedLevel_ = dynamics::Detect(detection, power_, c165_, dL, dR, n);

    // Peak-style envelope per sample, towards d on the way up, towards 0 on the way down:
    //   d <= env: env = env * (1 - c_r);   else env = env + (d - env) * c_a
    // then x = out * g(env) * x.
    const double ca = attackCoef_, decay = 1.0 - releaseCoef_;
    double minGain = std::numeric_limits<double>::infinity();
    double envL = envL_, envR = envR_;
    if (stereoMode == dynamics::kLinked) {
        for (int32_t i = 0; i < n; ++i) {
            const double d = std::max(dL[i], dR[i]);
            envL = d <= envL ? envL * decay : envL + (d - envL) * ca;
            const double g = Gain(envL);
            l[i] = out * g * l[i];
            r[i] = out * g * r[i];
            minGain = std::min(minGain, g);
        }
    } else {
        for (int32_t i = 0; i < n; ++i) {
            envL = dL[i] <= envL ? envL * decay : envL + (dL[i] - envL) * ca;
            envR = dR[i] <= envR ? envR * decay : envR + (dR[i] - envR) * ca;
            const double gl = Gain(envL), gr = Gain(envR);
            l[i] = out * gl * l[i];
            r[i] = out * gr * r[i];
            minGain = std::min(minGain, std::min(gl, gr));
        }
    }
    envL_ = std::fabs(envL) < kDenormalFloor ? 0.0 : envL;
    envR_ = std::fabs(envR) < kDenormalFloor ? 0.0 : envR;
    minGain_ = minGain;

    if (stereoMode == dynamics::kMidSide)
        dynamics::DecodeMidSide(l, r, n);
}

void CCompressor::ProcessMonoBlock(double* x, const double* key, int32_t n, int32_t detection,
                                   double out)
{
    double d[dynamics::kMaxFrames];
    inputLevel_ = dynamics::RectifyMono(x, key, n, d);
    detectedLevel_ = dynamics::Detect(detection, power_, c165_, d, nullptr, n);

    // The stereo law on the left envelope alone.
    const double ca = attackCoef_, decay = 1.0 - releaseCoef_;
    double minGain = std::numeric_limits<double>::infinity();
    double env = envL_;
    for (int32_t i = 0; i < n; ++i) {
        env = d[i] <= env ? env * decay : env + (d[i] - env) * ca;
        const double g = Gain(env);
        x[i] = out * g * x[i];
        minGain = std::min(minGain, g);
    }
    envL_ = std::fabs(env) < kDenormalFloor ? 0.0 : env;
    minGain_ = minGain;
}
