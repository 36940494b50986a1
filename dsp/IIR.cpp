#include "dsp/IIR.h"

#include "dsp/BiquadKernel.h"
#include "dsp/IIRSeries.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

// Below this magnitude states and gliding coefficients are zeroed: keeps decaying
// feedback out of the denormal range long before it gets there.
constexpr double kDenormalFloor = 0x1p-32;  // 2.3283064365386963e-10
// A gliding coefficient this close to its target is put on it, so a settled filter
// runs exactly the designed set (and flat is bit-exact).
constexpr double kSnap = 1e-11;

// Audio designs stay below 20/21 of Nyquist, where the bilinear warping still leaves
// a usable shape.
constexpr double kNyquistFraction = 0.9523809523809523;
// Display designs of most types stop at 21 kHz, just under the 44.1 kHz Nyquist.
constexpr double kDisplayMaxFreq = 21000.0;

constexpr int32_t kBiquadCount = 5;  // b0 b1 b2 a1 a2
constexpr int32_t kWithFirstOrderCount = 6;

using Coefficients = CIIR::Coefficients;

constexpr Coefficients kIdentity = {1.0, 0.0, 0.0, 0.0, 0.0, 1.0};

double GlideFactor(int32_t rate)
{
    // One-pole at 2.5 Hz with the framework's 6.283 constant.
    return 1.0 - std::exp(-6.283 * 2.5 / double(rate));
}

double AudioFrequency(int32_t rate, double freq) { return std::min(freq, double(rate) * 0.5 * kNyquistFraction); }

double AudioAngle(int32_t rate, double freq) { return kTwoPi * AudioFrequency(rate, freq) / double(rate); }

double DisplayAngle(double freq) { return kTwoPi * freq / double(CIIR::kDisplayRate); }

Coefficients Normalised(double b0, double b1, double b2, double a0, double a1, double a2)
{
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0, 1.0};
}

// Cookbook sections at angle w, alpha = sin w / (2Q).
Coefficients HighPass(double w, double q)
{
    const double cw = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    const double b0 = (1.0 + cw) / 2.0;
    return Normalised(b0, -(1.0 + cw), b0, 1.0 + alpha, -2.0 * cw, 1.0 - alpha);
}

Coefficients LowPass(double w, double q)
{
    const double cw = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    const double b0 = (1.0 - cw) / 2.0;
    return Normalised(b0, 1.0 - cw, b0, 1.0 + alpha, -2.0 * cw, 1.0 - alpha);
}

// Peak gain 1 at w.
Coefficients BandPass(double w, double q)
{
    const double cw = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    return Normalised(alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * cw, 1.0 - alpha);
}

Coefficients BandStop(double w, double q)
{
    const double cw = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    return Normalised(1.0, -2.0 * cw, 1.0, 1.0 + alpha, -2.0 * cw, 1.0 - alpha);
}

// Shelves with A = 10^(gain/40) and slope S from Q (S = Q up to 1, then 1..1.7 over
// Q 1..100); beta = sin w * sqrt((A^2 + 1)/S - (A - 1)^2), i.e. 2*sqrt(A)*alpha.
Coefficients Shelf(bool low, double w, double gainDb, double q)
{
    if (gainDb == 0.0)
        return kIdentity;
    const double a = std::pow(10.0, gainDb / 40.0);
    const double s = q <= 1.0 ? q : 1.0 + 0.7 * q / 100.0;
    const double cw = std::cos(w);
    const double beta = std::sin(w) * std::sqrt((a * a + 1.0) / s - (a - 1.0) * (a - 1.0));
    if (low)
        return Normalised(a * ((a + 1.0) - (a - 1.0) * cw + beta), 2.0 * a * ((a - 1.0) - (a + 1.0) * cw),
                          a * ((a + 1.0) - (a - 1.0) * cw - beta), (a + 1.0) + (a - 1.0) * cw + beta,
                          -2.0 * ((a - 1.0) + (a + 1.0) * cw), (a + 1.0) + (a - 1.0) * cw - beta);
    return Normalised(a * ((a + 1.0) + (a - 1.0) * cw + beta), -2.0 * a * ((a - 1.0) + (a + 1.0) * cw),
                      a * ((a + 1.0) + (a - 1.0) * cw - beta), (a + 1.0) - (a - 1.0) * cw + beta,
                      2.0 * ((a - 1.0) - (a + 1.0) * cw), (a + 1.0) - (a - 1.0) * cw - beta);
}

// Orfanidis' peaking section with prescribed Nyquist gain (reference gain 1).
// fn = f/fs; the bandwidth dw = pi*fn/Q is measured where the gain is 0.875 of the peak
// in dB. Bandwidth ratios above 0.78 are limited (tan(dw/2) explodes towards 1); q
// returns the Q actually used.
Coefficients BellSection(double fn, double gainDb, double& q)
{
    double r = fn / q;
    if (r > 0.78) {
        q = fn / 0.78;
        r = 0.78;
    }
    if (gainDb == 0.0)
        return kIdentity;

    const double w0 = kTwoPi * fn;
    const double dw = kPi * r;
    const double g = std::pow(10.0, gainDb / 20.0);
    const double gbRoot = std::pow(10.0, 0.875 * gainDb / 20.0);
    const double gb2 = gbRoot * gbRoot;
    const double g2 = g * g;

    const double f = std::fabs(g2 - gb2);
    const double g00 = std::fabs(g2 - 1.0);
    const double f00 = std::fabs(gb2 - 1.0);
    const double p = (w0 * w0 - kPi * kPi) * (w0 * w0 - kPi * kPi);
    // Nyquist gain G1 of the analogue prototype.
    const double g1 = std::sqrt((g2 * kPi * kPi * f00 * dw * dw / f + p) / (f00 * kPi * kPi * dw * dw / f + p));
    const double g11 = std::fabs(g2 - g1 * g1);
    const double f11 = std::fabs(gb2 - g1 * g1);
    const double g01 = std::fabs(g2 - g1);
    const double f01 = std::fabs(gb2 - g1);
    const double t = std::tan(w0 / 2.0);
    const double w2 = std::sqrt(g11 / g00) * t * t;
    const double dW = (1.0 + std::sqrt(f00 / f11) * w2) * std::tan(dw / 2.0);
    const double c = f11 * dW * dW - 2.0 * w2 * (f01 - std::sqrt(f00 * f11));
    const double d = 2.0 * w2 * (g01 - std::sqrt(g00 * g11));
    const double a = std::sqrt((c + d) / f);
    const double b = std::sqrt((g2 * c + gb2 * d) / f);
    return Normalised(g1 + w2 + b, -2.0 * (g1 - w2), g1 + w2 - b, 1.0 + w2 + a, -2.0 * (1.0 - w2), 1.0 + w2 - a);
}

// The Q parameter's true-log mapping over 0.1..100 (bounds held as floats, as the
// parameter's converter holds them). The steep cuts pull the user's Q towards 0.5 in
// this domain (a weighted geometric mean), because every stage's resonance adds up.
double QNorm(double q)
{
    const double lo = double(0.1f), hi = double(100.0f);
    return std::log(double(float(q)) / lo) / std::log(hi / lo);
}

float QFromNorm(double t)
{
    const double lo = double(0.1f), hi = double(100.0f);
    return float(lo * std::exp(std::log(hi / lo) * t));
}

double ThreeStageQ(double q) { return QFromNorm((QNorm(0.5) + QNorm(q)) * 0.5); }
double FourStageQ(double q) { return QFromNorm((QNorm(0.5) * 1.333 + QNorm(q)) / 2.333); }

// The single display grid shared by every instance (it depends on nothing).
struct SDisplayGrid {
    float cos1[CIIR::kDisplayPoints];
    float sin1[CIIR::kDisplayPoints];
    float cos2[CIIR::kDisplayPoints];
    float sin2[CIIR::kDisplayPoints];

    SDisplayGrid()
    {
        for (int32_t i = 0; i < CIIR::kDisplayPoints; ++i) {
            const double w = DisplayAngle(CIIR::DisplayFrequency(i));
            cos1[i] = float(std::cos(w));
            sin1[i] = float(std::sin(w));
            cos2[i] = float(std::cos(2.0 * w));
            sin2[i] = float(std::sin(2.0 * w));
        }
    }
};

const SDisplayGrid& DisplayGrid()
{
    static const SDisplayGrid grid;
    return grid;
}

// |H(e^jw)| of one biquad, single precision, at grid point i:
//   N = b0 + b1 e^-jw + b2 e^-j2w,  D = 1 + a1 e^-jw + a2 e^-j2w.
float Magnitude(const Coefficients& c, const SDisplayGrid& g, int32_t i)
{
    const float b0 = float(c[CIIR::kB0]), b1 = float(c[CIIR::kB1]), b2 = float(c[CIIR::kB2]);
    const float a1 = float(c[CIIR::kA1]), a2 = float(c[CIIR::kA2]);
    const float nr = b0 + b1 * g.cos1[i] + b2 * g.cos2[i];
    const float ni = -b1 * g.sin1[i] - b2 * g.sin2[i];
    const float dr = 1.0f + a1 * g.cos1[i] + a2 * g.cos2[i];
    const float di = -a1 * g.sin1[i] - a2 * g.sin2[i];
    return std::sqrt((nr * nr + ni * ni) / (dr * dr + di * di));
}

inline void FlushValue(double& v)
{
    if (std::fabs(v) < kDenormalFloor)
        v = 0.0;
}

bool SameBits(double a, double b)
{
    uint64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

using biquad::LoadPair;
using biquad::LoadSection;
using biquad::Pair;
using biquad::PairBits;
using biquad::Section;
using biquad::SSection;
using biquad::StorePair;
using biquad::StoreSection;
template <typename T>
using SBiquad = biquad::SCoefficients<T>;

// Stages identical sections in series (1, 3 or 4), each with its own memory, in place
// over a block. The stages run sample by sample rather than block by block: every
// stage still sees exactly the same input sequence, but their feedback chains now
// overlap instead of waiting for one another.
template <int32_t Stages, typename T>
struct SCascade {
    static_assert(Stages == 1 || Stages == 3 || Stages == 4, "stage modes run 1, 3 or 4 sections");
    SSection<T> s0{}, s1{}, s2{}, s3{};

    T Run(const SBiquad<T>& c, T v)
    {
        v = Section(c, s0, v);
        if constexpr (Stages >= 3) {
            v = Section(c, s1, v);
            v = Section(c, s2, v);
        }
        if constexpr (Stages == 4)
            v = Section(c, s3, v);
        return v;
    }

    template <typename F>
    void ForEach(F&& f)
    {
        f(s0, 0);
        if constexpr (Stages >= 3) {
            f(s1, 1);
            f(s2, 2);
        }
        if constexpr (Stages == 4)
            f(s3, 3);
    }
};

// s points at the first stage's state; the stages follow each other.
template <int32_t Stages>
void RunMono(const Coefficients& coefficients, double (*s)[4], double* x, int32_t n)
{
    const SBiquad<double> c(coefficients.data());
    SCascade<Stages, double> cascade;
    cascade.ForEach([&](SSection<double>& v, int32_t k) { v = LoadSection(s[k]); });
    for (int32_t i = 0; i < n; ++i)
        x[i] = cascade.Run(c, x[i]);
    cascade.ForEach([&](SSection<double>& v, int32_t k) { StoreSection(v, s[k]); });
}

// Both channels at once with shared coefficients: left in lane 0, right in lane 1.
template <int32_t Stages>
void RunStereo(const Coefficients& coefficients, double (*sl)[4], double (*sr)[4], double* l, double* r, int32_t n)
{
    const SBiquad<Pair> c(coefficients.data());
    SCascade<Stages, Pair> cascade;
    cascade.ForEach([&](SSection<Pair>& v, int32_t k) { v = LoadSection(sl[k], sr[k]); });
    for (int32_t i = 0; i < n; ++i) {
        const Pair y = cascade.Run(c, Pair{l[i], r[i]});
        l[i] = y[0];
        r[i] = y[1];
    }
    cascade.ForEach([&](SSection<Pair>& v, int32_t k) { StoreSection(v, sl[k], sr[k]); });
}

// One-pole after the biquad of the 18 dB types, in place:
//   s += (x − s)·c;  low-pass y = s,  high-pass y = x − s.
inline void RunFirstOrder(double c, bool highPass, double& state, double* x, int32_t n)
{
    double s = state;
    if (highPass) {
        for (int32_t i = 0; i < n; ++i) {
            s += (x[i] - s) * c;
            x[i] = x[i] - s;
        }
    } else {
        for (int32_t i = 0; i < n; ++i) {
            s += (x[i] - s) * c;
            x[i] = s;
        }
    }
    state = s;
}

// ---- Identity sections.
// With b0 = 1 and the rest ±0, y = x + 0·x1 + 0·x2 − 0·y1 − 0·y2 is x bit for bit as
// long as every product is a zero (finite state and input) and x is +0 or normal: a −0
// input can come out as +0, depending on the signs of the state, and a subnormal one
// as 0 when the host runs the audio thread with flush-to-zero or denormals-are-zero.
// Blocks that meet these conditions skip the arithmetic; any other block runs it.

bool IsIdentity(const Coefficients& c)
{
    return c[CIIR::kB0] == 1.0 && c[CIIR::kB1] == 0.0 && c[CIIR::kB2] == 0.0 && c[CIIR::kA1] == 0.0
        && c[CIIR::kA2] == 0.0;
}

// Nonzero where a value is non-finite: x − x is +0 (all bits clear) for every finite x
// and NaN otherwise.
inline PairBits NonFinite(Pair v) { return PairBits(v - v); }

// Nonzero where a value is non-finite, −0 or subnormal: of the values below the
// smallest normal in magnitude, only +0 has no bit set.
inline PairBits Unusual(Pair v)
{
    constexpr double kMin = std::numeric_limits<double>::min();
    return NonFinite(v) | (PairBits(pairs::AbsPair(v) < Pair{kMin, kMin}) & PairBits(v));
}

// Every value +0 or normal.
bool Ordinary(const double* x, int32_t n)
{
    PairBits odd = {0, 0};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4)
        odd |= Unusual(LoadPair(x + i)) | Unusual(LoadPair(x + i + 2));
    for (; i + 2 <= n; i += 2)
        odd |= Unusual(LoadPair(x + i));
    if (i < n)
        odd |= Unusual(Pair{x[i], 1.0});
    return (odd[0] | odd[1]) == 0;
}

// A section's four state values all finite (a −0 there only flips zero products).
bool FiniteState(const double* s)
{
    const PairBits odd = NonFinite(LoadPair(s)) | NonFinite(LoadPair(s + 2));
    return (odd[0] | odd[1]) == 0;
}

// The state an identity section leaves after passing x[0..n): its last two inputs,
// which are also its last two outputs.
void AdvanceIdentity(double* s, const double* x, int32_t n)
{
    if (n >= 2) {
        s[0] = s[2] = x[n - 1];
        s[1] = s[3] = x[n - 2];
    } else if (n == 1) {
        s[1] = s[0];
        s[3] = s[2];
        s[0] = s[2] = x[0];
    }
}

// ---- Glide.

// The guards applied after the glide steps: |cur| < 2^-32 -> 0, then
// |cur − target| < 1e-11 -> target.
inline double Guarded(double c, double t)
{
    FlushValue(c);
    return std::fabs(c - t) < kSnap ? t : c;
}

// The per-sample one-pole glide applied per block, `steps` times:
//   cur += (target − cur)·g
// then the guards to the first `count` coefficients. All six advance in three pairs
// held in registers, so their dependency chains overlap and never pass through memory;
// each lane sees exactly the scalar sequence of operations, and a sixth coefficient
// outside `count` is computed but not stored.
void GlideSteps(double* cur, const double* target, double g, int32_t count, int32_t steps)
{
    Pair c[3] = {LoadPair(cur), LoadPair(cur + 2), LoadPair(cur + 4)};
    const Pair t[3] = {LoadPair(target), LoadPair(target + 2), LoadPair(target + 4)};
    const Pair gg = {g, g};
    for (int32_t i = 0; i < steps; ++i) {
        c[0] += (t[0] - c[0]) * gg;
        c[1] += (t[1] - c[1]) * gg;
        c[2] += (t[2] - c[2]) * gg;
    }
    for (int32_t k = 0; k < count; ++k)
        cur[k] = Guarded(c[k / 2][k % 2], target[k]);
}

// A coefficient that one glide step and the guards leave exactly as it is stays there
// for any number of further steps, until the target or the factor changes. (Close is
// not enough: only an exact fixed point keeps the output unchanged.)
bool AtFixedPoint(double c, double t, double g) { return SameBits(c + (t - c) * g, c) && SameBits(Guarded(c, t), c); }

}  // namespace

CIIR::CIIR()
    : target_(kIdentity), current_(kIdentity), glide_(GlideFactor(44100)), display_(kIdentity),
      firstOrderDisplay_(kIdentity)
{}

double CIIR::DisplayFrequency(int32_t i)
{
    // 16 Hz .. 16 * 1275 = 20400 Hz.
    return 16.0 * std::exp((double(i) / double(kDisplayPoints - 1)) * std::log(1275.0));
}

// ---------------------------------------------------------------- audio designs

void CIIR::SetTarget(int32_t rate, const Coefficients& biquad, int32_t stageMode)
{
    target_ = biquad;
    target_[kC] = 1.0;
    stageMode_ = stageMode;
    glide_ = GlideFactor(rate);
    settled_ = 0;
}

void CIIR::SetTarget18(int32_t rate, double freq, const Coefficients& biquad, bool highPass)
{
    SetTarget(rate, biquad, kWithFirstOrder);
    // The one-pole uses the unclamped frequency.
    target_[kC] = 1.0 - std::exp(-6.283 * freq / double(rate));
    firstOrderHighPass_ = highPass;
}

void CIIR::DesignFlat(int32_t rate) { SetTarget(rate, kIdentity, kSingle); }

void CIIR::DesignLowCut12(int32_t rate, double freq, double q)
{
    SetTarget(rate, HighPass(AudioAngle(rate, freq), q), kSingle);
}

void CIIR::DesignLowCut18(int32_t rate, double freq, double q)
{
    SetTarget18(rate, freq, HighPass(AudioAngle(rate, freq), q), true);
}

void CIIR::DesignLowCut36(int32_t rate, double freq, double q)
{
    SetTarget(rate, HighPass(AudioAngle(rate, freq), ThreeStageQ(q)), kThreeStages);
}

void CIIR::DesignLowCut48(int32_t rate, double freq, double q)
{
    SetTarget(rate, HighPass(AudioAngle(rate, freq), FourStageQ(q)), kFourStages);
}

void CIIR::DesignHighCut12(int32_t rate, double freq, double q)
{
    SetTarget(rate, LowPass(AudioAngle(rate, freq), q), kSingle);
}

void CIIR::DesignHighCut18(int32_t rate, double freq, double q)
{
    SetTarget18(rate, freq, LowPass(AudioAngle(rate, freq), q), false);
}

void CIIR::DesignHighCut36(int32_t rate, double freq, double q)
{
    SetTarget(rate, LowPass(AudioAngle(rate, freq), ThreeStageQ(q)), kThreeStages);
}

void CIIR::DesignHighCut48(int32_t rate, double freq, double q)
{
    SetTarget(rate, LowPass(AudioAngle(rate, freq), FourStageQ(q)), kFourStages);
}

void CIIR::DesignBandPass(int32_t rate, double freq, double q)
{
    SetTarget(rate, BandPass(AudioAngle(rate, freq), q), kSingle);
}

void CIIR::DesignBandStop(int32_t rate, double freq, double q)
{
    SetTarget(rate, BandStop(AudioAngle(rate, freq), q), kSingle);
}

void CIIR::DesignLowShelf(int32_t rate, double freq, double gainDb, double q)
{
    SetTarget(rate, Shelf(true, AudioAngle(rate, freq), gainDb, q), kSingle);
}

void CIIR::DesignHighShelf(int32_t rate, double freq, double gainDb, double q)
{
    SetTarget(rate, Shelf(false, AudioAngle(rate, freq), gainDb, q), kSingle);
}

void CIIR::DesignBell(int32_t rate, double freq, double gainDb, double q)
{
    const double fn = AudioFrequency(rate, freq) / double(rate);
    SetTarget(rate, BellSection(fn, gainDb, q), kSingle);
}

void CIIR::Design(int32_t type, int32_t rate, double freq, double gainDb, double q)
{
    switch (type) {
    case kLowCut12:
        DesignLowCut12(rate, freq, q);
        break;
    case kLowCut18:
        DesignLowCut18(rate, freq, q);
        break;
    case kLowCut36:
        DesignLowCut36(rate, freq, q);
        break;
    case kLowShelf:
        DesignLowShelf(rate, freq, gainDb, q);
        break;
    case kBell:
        DesignBell(rate, freq, gainDb, q);
        break;
    case kHighShelf:
        DesignHighShelf(rate, freq, gainDb, q);
        break;
    case kHighCut12:
        DesignHighCut12(rate, freq, q);
        break;
    case kHighCut18:
        DesignHighCut18(rate, freq, q);
        break;
    case kHighCut36:
        DesignHighCut36(rate, freq, q);
        break;
    case kBandPass:
        DesignBandPass(rate, freq, q);
        break;
    case kBandStop:
        DesignBandStop(rate, freq, q);
        break;
    case kLowCut48:
        DesignLowCut48(rate, freq, q);
        break;
    case kHighCut48:
        DesignHighCut48(rate, freq, q);
        break;
    default:
        DesignFlat(rate);
        break;
    }
}

// ---------------------------------------------------------------- display

void CIIR::DesignDisplayFlat()
{
    display_ = kIdentity;
    firstOrderDisplay_ = kIdentity;
    displayStageMode_ = kSingle;
}

void CIIR::DesignDisplay(int32_t type, int32_t rate, double freq, double gainDb, double q)
{
    // Most types are drawn up to 21 kHz; the high cuts and the bell follow the set
    // frequency all the way.
    const double wClamped = DisplayAngle(std::min(freq, kDisplayMaxFreq));
    const double wFree = DisplayAngle(freq);
    // Very high Q would only draw a needle the grid cannot resolve.
    const double qCapped = std::min(q, 50.0);

    firstOrderDisplay_ = kIdentity;
    displayStageMode_ = kSingle;
    switch (type) {
    case kLowCut12:
        display_ = HighPass(wClamped, q);
        break;
    case kLowCut18:
        display_ = HighPass(wClamped, q);
        // A Q = 0.5 biquad is two coincident first-order sections: its square root
        // draws the one-pole.
        firstOrderDisplay_ = HighPass(wClamped, 0.5);
        displayStageMode_ = kWithFirstOrder;
        break;
    case kLowCut36:
        display_ = HighPass(wClamped, ThreeStageQ(q));
        displayStageMode_ = kThreeStages;
        break;
    case kLowCut48:
        display_ = HighPass(wClamped, FourStageQ(q));
        displayStageMode_ = kFourStages;
        break;
    case kHighCut12:
        display_ = LowPass(wFree, q);
        break;
    case kHighCut18:
        display_ = LowPass(wFree, q);
        firstOrderDisplay_ = LowPass(wClamped, 0.5);
        displayStageMode_ = kWithFirstOrder;
        break;
    case kHighCut36:
        display_ = LowPass(wFree, ThreeStageQ(q));
        displayStageMode_ = kThreeStages;
        break;
    case kHighCut48:
        display_ = LowPass(wFree, FourStageQ(q));
        displayStageMode_ = kFourStages;
        break;
    case kBandPass:
        display_ = BandPass(wClamped, qCapped);
        break;
    case kBandStop:
        display_ = BandStop(wClamped, qCapped);
        break;
    case kLowShelf:
        display_ = Shelf(true, wClamped, gainDb, qCapped);
        break;
    case kHighShelf:
        display_ = Shelf(false, wClamped, gainDb, qCapped);
        break;
    case kBell: {
        // The display inherits the audio design's bandwidth limit, then applies its
        // own at 44.1 kHz with Q at most 25.
        double qAudio = q;
        BellSection(AudioFrequency(rate, freq) / double(rate), 0.0, qAudio);
        double qDisplay = std::min(qAudio, 25.0);
        display_ = BellSection(freq / double(kDisplayRate), gainDb, qDisplay);
        break;
    }
    default:
        DesignDisplayFlat();
        break;
    }
}

void CIIR::GetDisplayResponse(float* out, int32_t n) const
{
    const SDisplayGrid& grid = DisplayGrid();
    for (int32_t i = 0; i < kDisplayPoints; ++i) {
        float m = Magnitude(display_, grid, i);
        switch (displayStageMode_) {
        case kWithFirstOrder:
            m *= std::sqrt(Magnitude(firstOrderDisplay_, grid, i));
            break;
        case kThreeStages:
            m = m * m * m;
            break;
        case kFourStages:
            m = m * m * m * m;
            break;
        default:
            break;
        }
        out[i] = m;
    }
    for (int32_t i = 0; i < n; ++i)
        out[i] = 20.0f * std::log10(out[i]);
}

// ---------------------------------------------------------------- processing

void CIIR::Reset() { Prime(0.0); }

void CIIR::Prime(double v)
{
    for (auto& channel : state_)
        for (auto& stage : channel)
            std::fill(std::begin(stage), std::end(stage), v);
    firstOrderState_[0] = firstOrderState_[1] = v;
    current_ = target_;
    settled_ = 0;
    dirty_ = kAllSlots;
}

void CIIR::Settle(double input)
{
    current_ = target_;
    const double gain = (target_[kB0] + target_[kB1] + target_[kB2]) / (1.0 + target_[kA1] + target_[kA2]);
    for (auto& channel : state_) {
        double level = input;
        for (auto& stage : channel) {
            stage[0] = stage[1] = level;
            level *= gain;
            stage[2] = stage[3] = level;
        }
    }
    // The one-pole (18 dB types, after their one biquad) settles with its state at its
    // input.
    firstOrderState_[0] = firstOrderState_[1] = input * gain;
    settled_ = 0;
    dirty_ = kAllSlots;
}

void CIIR::FlushState()
{
    dirty_ = kAllSlots;
    FlushDirty();
}

uint32_t CIIR::BlockSlots(int32_t channels) const
{
    // Channel 1's slots are channel 0's shifted by kMaxStages; the one-pole slots sit
    // above all stage slots, one per channel.
    const uint32_t stages = (1u << StageCount()) - 1u;
    const uint32_t firstOrder = stageMode_ == kWithFirstOrder ? FirstOrderSlot(0) : 0u;
    return channels == 1 ? stages | firstOrder : stages | (stages << kMaxStages) | firstOrder | (firstOrder << 1);
}

void CIIR::FlushDirty()
{
    // Two values at a time; the same test as FlushValue (NaN compares false and stays).
    // Clean slots already hold flushed values, and flushing is idempotent.
    auto flush = [](double* p) {
        const Pair v = LoadPair(p);
        const PairBits tiny = PairBits(pairs::AbsPair(v) < Pair{kDenormalFloor, kDenormalFloor});
        StorePair(p, Pair(PairBits(v) & ~tiny));
    };
    uint32_t stages = dirty_ & ((1u << (2 * kMaxStages)) - 1u);
    while (stages != 0) {
        const int32_t slot = __builtin_ctz(stages);
        stages &= stages - 1u;
        double* state = state_[slot / kMaxStages][slot % kMaxStages];
        flush(state);
        flush(state + 2);
    }
    if (dirty_ & (FirstOrderSlot(0) | FirstOrderSlot(1)))
        flush(firstOrderState_);
    dirty_ = 0;
}

void CIIR::Glide(int32_t count, int32_t steps)
{
    if (settled_ >= count)
        return;
    GlideSteps(current_.data(), target_.data(), glide_, count, steps);
    for (int32_t k = 0; k < count; ++k)
        if (!AtFixedPoint(current_[k], target_[k], glide_))
            return;
    settled_ = count;
}

int32_t CIIR::StageCount() const
{
    // Identical sections in series, each with its own memory.
    return stageMode_ == kThreeStages ? 3 : stageMode_ == kFourStages ? 4 : 1;
}

bool CIIR::OrdinaryBlock(const double* left, const double* right, int32_t n)
{
    return Ordinary(left, n) && (right == nullptr || Ordinary(right, n));
}

bool CIIR::PassIdentity(double* left, double* right, int32_t n, int8_t* ordinary)
{
    if (!IsIdentity(current_))
        return false;
    const int32_t stages = StageCount(), channels = right ? 2 : 1;
    for (int32_t c = 0; c < channels; ++c)
        for (int32_t s = 0; s < stages; ++s)
            if (!FiniteState(state_[c][s]))
                return false;
    int8_t known = ordinary ? *ordinary : int8_t(-1);
    if (known < 0)
        known = OrdinaryBlock(left, right, n) ? 1 : 0;
    if (ordinary)
        *ordinary = known;
    if (known == 0)
        return false;
    for (int32_t c = 0; c < channels; ++c)
        for (int32_t s = 0; s < stages; ++s)
            AdvanceIdentity(state_[c][s], c == 0 ? left : right, n);
    return true;
}

double CIIR::ProcessSample(double x)
{
    Glide(kBiquadCount, 1);
    dirty_ |= StageSlot(0, 0);
    RunMono<1>(current_, state_[0], &x, 1);
    return x;
}

void CIIR::PrepareBlock(int32_t channels, int32_t n)
{
    Glide(stageMode_ == kWithFirstOrder ? kWithFirstOrderCount : kBiquadCount, n);
    dirty_ |= BlockSlots(channels);
}

bool CIIR::CurrentIsIdentity() const { return IsIdentity(current_); }

void CIIR::RunFirstOrderStereo(double* left, double* right, int32_t n)
{
    RunFirstOrder(current_[kC], firstOrderHighPass_, firstOrderState_[0], left, n);
    RunFirstOrder(current_[kC], firstOrderHighPass_, firstOrderState_[1], right, n);
}

void CIIR::ProcessMono(double* x, int32_t n)
{
    PrepareBlock(1, n);
    if (!PassIdentity(x, nullptr, n)) {
        switch (StageCount()) {
        case 3:
            RunMono<3>(current_, state_[0], x, n);
            break;
        case 4:
            RunMono<4>(current_, state_[0], x, n);
            break;
        default:
            RunMono<1>(current_, state_[0], x, n);
            break;
        }
    }
    if (stageMode_ == kWithFirstOrder)
        RunFirstOrder(current_[kC], firstOrderHighPass_, firstOrderState_[0], x, n);
    FlushDirty();
}

void CIIR::ProcessStereo(double* left, double* right, int32_t n)
{
    CIIRSeries series(left, right, n);
    series.Add(*this);
    series.Finish();
}

double CIIR::ProcessSampleFixed(double x)
{
    dirty_ |= StageSlot(0, 0);
    RunMono<1>(target_, state_[0], &x, 1);
    return x;
}

void CIIR::ProcessMonoFixed(double* x, int32_t n)
{
    dirty_ |= StageSlot(0, 0);
    RunMono<1>(target_, state_[0], x, n);
    FlushDirty();
}

void CIIR::ProcessSampleStereoFixed(double* left, double* right)
{
    dirty_ |= StageSlot(0, 0) | StageSlot(1, 0);
    RunMono<1>(target_, state_[0], left, 1);
    RunMono<1>(target_, state_[1], right, 1);
}

void CIIR::ProcessStereoFixed(double* left, double* right, int32_t n)
{
    dirty_ |= StageSlot(0, 0) | StageSlot(1, 0);
    RunStereo<1>(target_, state_[0], state_[1], left, right, n);
    FlushDirty();
}
