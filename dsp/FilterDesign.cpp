#include "dsp/FilterDesign.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace filter {
namespace {

using Coefficients = SFilterTerms::Coefficients;

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

// Audio designs stay below 20/21 of Nyquist, where the bilinear warping still leaves
// a usable shape.
constexpr double kNyquistFraction = 0.9523809523809523;
static_assert(kDisplayRate * 0.5 * kNyquistFraction == kDisplayMaxFreq, "the display's limit is the designs' own");

// The Q parameter's range, held as floats as the parameter's converter holds them.
constexpr float kQMin = 0.1f;
constexpr float kQMax = 100.0f;

// The steep cuts pull the user's Q towards 0.5 (two coincident real poles per stage, so
// no stage resonates), because every stage's resonance adds up. The pull is a weighted
// geometric mean in the Q parameter's log domain: equal weights for three stages, 1.333
// on the 0.5 side for four.
constexpr double kSteepCutQ = 0.5;
constexpr double kFourStageWeight = 1.333;
constexpr double kFourStageWeightSum = 1.0 + kFourStageWeight;
static_assert(kFourStageWeightSum == 2.333, "the four-stage mean divides by 2.333 exactly");

// Shelf slope S from Q: S = Q up to 1 (S = 1 is the steepest shelf without overshoot),
// then growing by up to 0.7 over the rest of the Q range. S stays at most 1.7, which
// keeps the square root in beta real for gains within about +-26.7 dB, wider than the
// gain range.
constexpr double kShelfPlainSlopeQ = 1.0;
constexpr double kShelfExtraSlope = 0.7;

// Bell bandwidth: Q measures the band between the points where the gain is 0.875 of
// the peak (in dB). The bandwidth as a fraction of pi, fn/Q, is held at 0.78 at most:
// the design takes tan(pi*fn/(2Q)), which grows without bound towards 1.
constexpr double kBellEdgeFraction = 0.875;
constexpr double kBellMaxBandwidth = 0.78;

// The display caps Q where a narrower shape would fall between its grid points, which
// lie 1.5 % apart: band-pass and notch at Q 50 (a band-pass is f/Q wide), the bell at
// Q 25 (f/(2Q) between its edges), both about 2 % of f. The shelves take the band-pass
// cap, which draws their slope at S 1.35 at most.
constexpr double kDisplayMaxQ = 50.0;
constexpr double kDisplayMaxBellQ = 25.0;

// A Q 0.5 section is two coincident first-order sections.
constexpr double kOnePoleSectionQ = 0.5;

constexpr Coefficients kIdentity = {1.0, 0.0, 0.0, 0.0, 0.0, 1.0};

void CheckInputs([[maybe_unused]] int32_t rate, [[maybe_unused]] double freq, [[maybe_unused]] double q)
{
    assert(rate > 0);
    assert(freq > 0.0 && std::isfinite(freq));
    assert(q > 0.0 && std::isfinite(q));
}

void CheckInputs(int32_t rate, double freq, [[maybe_unused]] double gainDb, double q)
{
    CheckInputs(rate, freq, q);
    assert(std::isfinite(gainDb));
}

double AudioFrequency(int32_t rate, double freq) { return std::min(freq, double(rate) * 0.5 * kNyquistFraction); }

double AudioAngle(int32_t rate, double freq) { return kTwoPi * AudioFrequency(rate, freq) / double(rate); }

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
Coefficients BandPassSection(double w, double q)
{
    const double cw = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    return Normalised(alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * cw, 1.0 - alpha);
}

Coefficients BandStopSection(double w, double q)
{
    const double cw = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    return Normalised(1.0, -2.0 * cw, 1.0, 1.0 + alpha, -2.0 * cw, 1.0 - alpha);
}

// Shelves with A = 10^(gain/40) and slope S from Q;
// beta = sin w * sqrt((A^2 + 1)/S - (A - 1)^2), i.e. 2*sqrt(A)*alpha.
Coefficients Shelf(bool low, double w, double gainDb, double q)
{
    if (gainDb == 0.0)
        return kIdentity;
    const double a = std::pow(10.0, gainDb / 40.0);
    const double s = q <= kShelfPlainSlopeQ ? q : 1.0 + kShelfExtraSlope * q / double(kQMax);
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
// fn = f/fs; the bandwidth dw = pi*fn/Q; q returns the Q actually used.
Coefficients BellSection(double fn, double gainDb, double& q)
{
    double r = fn / q;
    if (r > kBellMaxBandwidth) {
        q = fn / kBellMaxBandwidth;
        r = kBellMaxBandwidth;
    }
    if (gainDb == 0.0)
        return kIdentity;

    const double w0 = kTwoPi * fn;
    const double dw = kPi * r;
    const double g = std::pow(10.0, gainDb / 20.0);
    const double gbRoot = std::pow(10.0, kBellEdgeFraction * gainDb / 20.0);
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

// The Q parameter's true-log mapping over its range.
double QNorm(double q)
{
    const double lo = double(kQMin), hi = double(kQMax);
    return std::log(double(float(q)) / lo) / std::log(hi / lo);
}

float QFromNorm(double t)
{
    const double lo = double(kQMin), hi = double(kQMax);
    return float(lo * std::exp(std::log(hi / lo) * t));
}

double ThreeStageQ(double q) { return QFromNorm((QNorm(kSteepCutQ) + QNorm(q)) * 0.5); }
double FourStageQ(double q)
{
    return QFromNorm((QNorm(kSteepCutQ) * kFourStageWeight + QNorm(q)) / kFourStageWeightSum);
}

SFilterDesign Section(const Coefficients& coefficients, SFilterTerms::EStageMode mode)
{
    SFilterDesign d;
    d.coefficients = coefficients;
    d.stageMode = mode;
    return d;
}

// The 18 dB cuts: the 12 dB section and a one-pole, s += (x - s)*c, whose corner is the
// set frequency itself: its law needs no limit (c only approaches 1).
SFilterDesign WithOnePole(int32_t rate, double freq, const Coefficients& section, const Coefficients& onePoleSection,
                          bool highPass)
{
    SFilterDesign d = Section(section, SFilterTerms::kWithFirstOrder);
    d.coefficients[SFilterTerms::kC] = 1.0 - std::exp(-kOnePoleTwoPi * freq / double(rate));
    d.onePoleHighPass = highPass;
    d.onePoleSection = onePoleSection;
    return d;
}

// |H(e^jw)| of one biquad, single precision:
//   N = b0 + b1 e^-jw + b2 e^-j2w,  D = 1 + a1 e^-jw + a2 e^-j2w.
float SectionMagnitude(const Coefficients& c, const SResponsePoint& p)
{
    const float b0 = float(c[SFilterTerms::kB0]), b1 = float(c[SFilterTerms::kB1]), b2 = float(c[SFilterTerms::kB2]);
    const float a1 = float(c[SFilterTerms::kA1]), a2 = float(c[SFilterTerms::kA2]);
    const float nr = b0 + b1 * p.cos1 + b2 * p.cos2;
    const float ni = -b1 * p.sin1 - b2 * p.sin2;
    const float dr = 1.0f + a1 * p.cos1 + a2 * p.cos2;
    const float di = -a1 * p.sin1 - a2 * p.sin2;
    return std::sqrt((nr * nr + ni * ni) / (dr * dr + di * di));
}

}  // namespace

SFilterDesign Flat() { return SFilterDesign(); }

SFilterDesign LowCut12(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    return Section(HighPass(AudioAngle(rate, freq), q), SFilterTerms::kSingle);
}

SFilterDesign LowCut18(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    const double w = AudioAngle(rate, freq);
    return WithOnePole(rate, freq, HighPass(w, q), HighPass(w, kOnePoleSectionQ), true);
}

SFilterDesign LowCut36(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    return Section(HighPass(AudioAngle(rate, freq), ThreeStageQ(q)), SFilterTerms::kThreeStages);
}

SFilterDesign LowCut48(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    return Section(HighPass(AudioAngle(rate, freq), FourStageQ(q)), SFilterTerms::kFourStages);
}

SFilterDesign HighCut12(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    return Section(LowPass(AudioAngle(rate, freq), q), SFilterTerms::kSingle);
}

SFilterDesign HighCut18(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    const double w = AudioAngle(rate, freq);
    return WithOnePole(rate, freq, LowPass(w, q), LowPass(w, kOnePoleSectionQ), false);
}

SFilterDesign HighCut36(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    return Section(LowPass(AudioAngle(rate, freq), ThreeStageQ(q)), SFilterTerms::kThreeStages);
}

SFilterDesign HighCut48(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    return Section(LowPass(AudioAngle(rate, freq), FourStageQ(q)), SFilterTerms::kFourStages);
}

SFilterDesign BandPass(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    return Section(BandPassSection(AudioAngle(rate, freq), q), SFilterTerms::kSingle);
}

SFilterDesign BandStop(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    return Section(BandStopSection(AudioAngle(rate, freq), q), SFilterTerms::kSingle);
}

SFilterDesign LowShelf(int32_t rate, double freq, double gainDb, double q)
{
    CheckInputs(rate, freq, gainDb, q);
    return Section(Shelf(true, AudioAngle(rate, freq), gainDb, q), SFilterTerms::kSingle);
}

SFilterDesign HighShelf(int32_t rate, double freq, double gainDb, double q)
{
    CheckInputs(rate, freq, gainDb, q);
    return Section(Shelf(false, AudioAngle(rate, freq), gainDb, q), SFilterTerms::kSingle);
}

SFilterDesign Bell(int32_t rate, double freq, double gainDb, double q)
{
    CheckInputs(rate, freq, gainDb, q);
    const double fn = AudioFrequency(rate, freq) / double(rate);
    return Section(BellSection(fn, gainDb, q), SFilterTerms::kSingle);
}

double BellQ(int32_t rate, double freq, double q)
{
    CheckInputs(rate, freq, q);
    BellSection(AudioFrequency(rate, freq) / double(rate), 0.0, q);
    return q;
}

SFilterDesign OfType(int32_t type, int32_t rate, double freq, double gainDb, double q)
{
    switch (type) {
    case SFilterTerms::kLowCut12:
        return LowCut12(rate, freq, q);
    case SFilterTerms::kLowCut18:
        return LowCut18(rate, freq, q);
    case SFilterTerms::kLowCut36:
        return LowCut36(rate, freq, q);
    case SFilterTerms::kLowShelf:
        return LowShelf(rate, freq, gainDb, q);
    case SFilterTerms::kBell:
        return Bell(rate, freq, gainDb, q);
    case SFilterTerms::kHighShelf:
        return HighShelf(rate, freq, gainDb, q);
    case SFilterTerms::kHighCut12:
        return HighCut12(rate, freq, q);
    case SFilterTerms::kHighCut18:
        return HighCut18(rate, freq, q);
    case SFilterTerms::kHighCut36:
        return HighCut36(rate, freq, q);
    case SFilterTerms::kBandPass:
        return BandPass(rate, freq, q);
    case SFilterTerms::kBandStop:
        return BandStop(rate, freq, q);
    case SFilterTerms::kLowCut48:
        return LowCut48(rate, freq, q);
    case SFilterTerms::kHighCut48:
        return HighCut48(rate, freq, q);
    default:
        return Flat();
    }
}

SFilterDesign ForDisplay(int32_t type, int32_t rate, double freq, double gainDb, double q)
{
    assert(freq <= kDisplayMaxFreq);
    double qDisplay = q;
    switch (type) {
    case SFilterTerms::kBandPass:
    case SFilterTerms::kBandStop:
    case SFilterTerms::kLowShelf:
    case SFilterTerms::kHighShelf:
        qDisplay = std::min(q, kDisplayMaxQ);
        break;
    case SFilterTerms::kBell:
        qDisplay = std::min(BellQ(rate, freq, q), kDisplayMaxBellQ);
        break;
    default:
        break;
    }
    SFilterDesign d = OfType(type, kDisplayRate, freq, gainDb, qDisplay);
    d.coefficients[SFilterTerms::kC] = 1.0;
    return d;
}

}  // namespace filter

SResponsePoint SResponsePoint::At(int32_t rate, double freq)
{
    assert(rate > 0 && freq >= 0.0);
    const double w = filter::kTwoPi * freq / double(rate);
    return {float(std::cos(w)), float(std::sin(w)), float(std::cos(2.0 * w)), float(std::sin(2.0 * w))};
}

float SFilterDesign::Magnitude(const SResponsePoint& point) const
{
    float m = filter::SectionMagnitude(coefficients, point);
    switch (stageMode) {
    case kWithFirstOrder:
        m *= std::sqrt(filter::SectionMagnitude(onePoleSection, point));
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
    return m;
}
