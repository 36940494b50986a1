// The dynamics sections on their own. Both compressor types: the static curve against
// the knee formula, the time laws, the type "2" feedback level, gain floor and two-part
// release, stereo modes. The gate: 40 dB attack and release laws, hold, threshold, mix
// and stereo link. For all three: meter results and the extremes (full scale, silence,
// NaN-free, flushed detectors).
#include "product/engine/Compressor.h"
#include "product/engine/Compressor3.h"
#include "product/engine/Gate.h"
#include "tests/support/CookbookLowPass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;
using Buffer = std::vector<double>;

struct SSettings {
    float thresholdDb = -20, ratio = 4, knee = 50, attackMs = 10, releaseMs = 100, outputDb = 0;
    int stereoMode = dynamics::kLinked, detection = dynamics::kPeak;
};

template <class C>
void Configure(C& c, int rate, const SSettings& s)
{
    c.SetThresholdDb(s.thresholdDb);
    c.SetRatio(s.ratio);
    c.SetKneePercent(s.knee);
    c.SetAttackMs(s.attackMs);
    c.SetReleaseMs(s.releaseMs);
    c.SetOutputGainDb(s.outputDb);
    c.SetStereoMode(s.stereoMode);
    c.SetDetectionMode(s.detection);
    c.SetSampleRate(rate);
    c.Reset();
}

// 32-frame calls over whole buffers; null keys detect on the signal. Returns the
// smallest gain reported.
template <class C>
double Drive(C& c, Buffer& l, Buffer& r, const Buffer* keyL = nullptr, const Buffer* keyR = nullptr)
{
    double minGain = 1.0;
    for (size_t i = 0; i < l.size(); i += 32) {
        c.Process(&l[i], &r[i], keyL ? &(*keyL)[i] : nullptr, keyR ? &(*keyR)[i] : nullptr,
                  int(std::min<size_t>(32, l.size() - i)));
        minGain = std::min(minGain, c.GetMinGain());
    }
    return minGain;
}

Buffer Sine(int frames, int rate, double freq, double amplitude)
{
    Buffer b(frames);
    for (int i = 0; i < frames; ++i)
        b[i] = amplitude * std::sin(kTwoPi * freq * i / rate);
    return b;
}

double Peak(const Buffer& x, size_t from)
{
    double p = 0.0;
    for (size_t i = from; i < x.size(); ++i)
        p = std::max(p, std::fabs(x[i]));
    return p;
}

using testref::CookbookLowPass;

void Configure(CGate& gate, int rate, float thresholdDb, float attackMs, float releaseMs, float holdMs,
               int detection = CGate::kPeak)
{
    gate.SetThresholdDb(thresholdDb);
    gate.SetAttackMs(attackMs);
    gate.SetReleaseMs(releaseMs);
    gate.SetHoldMs(holdMs);
    gate.SetDetectionMode(detection);
    gate.SetSampleRate(rate);
    gate.Reset();
}

// The gate with a mix, as above.
void Drive(CGate& gate, Buffer& l, Buffer& r, const Buffer* keyL, const Buffer* keyR, double mix)
{
    for (size_t i = 0; i < l.size(); i += 32)
        gate.Process(&l[i], &r[i], keyL ? &(*keyL)[i] : nullptr, keyR ? &(*keyR)[i] : nullptr,
                     int(std::min<size_t>(32, l.size() - i)), mix);
}

// The gate fully wet, called as the compressors are.
struct SWetGate : CGate {
    void Process(double* l, double* r, const double* keyL, const double* keyR, int n)
    {
        CGate::Process(l, r, keyL, keyR, n, 1.0);
    }
};

// The static curve as written, in the scale where a doubling is 6 dB: 0 below the knee,
// (1/R - 1)(lambda - T + W/2)^2 / (2W) inside, (1/R - 1)(lambda - T) above, W = 6 + 0.18
// knee. Returns the linear gain 2^(gain/6).
double KneeGain(double x, double t, double r, double knee)
{
    const double w = 6.0 + 0.18 * knee, lambda = 6.0 * std::log2(x);
    double gain = 0.0;
    if (lambda >= t + w / 2)
        gain = (1 / r - 1) * (lambda - t);
    else if (lambda > t - w / 2)
        gain = (1 / r - 1) * (lambda - t + w / 2) * (lambda - t + w / 2) / (2 * w);
    return std::exp2(gain / 6.0);
}

// The same curve in long double.
long double LongKneeGain(double x, float threshold, float ratio, float knee)
{
    const long double w = 6.0L + 0.18L * knee, t = threshold, slope = 1.0L / ratio - 1.0L;
    const long double lambda = 6.0L * std::log2((long double)x);
    long double gain = 0.0L;
    if (lambda >= t + w / 2)
        gain = slope * (lambda - t);
    else if (lambda > t - w / 2)
        gain = slope * (lambda - t + w / 2) * (lambda - t + w / 2) / (2 * w);
    return std::exp2(gain / 6.0L);
}

// Whether g lies so close to a midpoint between two floats that the implementation's
// own rounding may decide which float it becomes.
bool NearFloatMidpoint(long double g)
{
    const float f = float(g);
    const long double up = (f + (long double)std::nextafter(f, 1e30f)) / 2;
    const long double down = (f + (long double)std::nextafter(f, 0.0f)) / 2;
    return std::fabs(g - up) < 1e-12L * g || std::fabs(g - down) < 1e-12L * g;
}

// With a zero attack the envelope after a reset is the key itself, so a unit sample
// comes out as the gain at the key's level.
double GainAt(CCompressor& c, double level)
{
    double signal = 1.0;
    c.Reset();
    c.ProcessMono(&signal, &level, 1);
    return signal;
}

// A curve with a zero attack at 48 kHz.
struct SCurve {
    float threshold, ratio, knee, releaseMs = 100;
};

void Configure(CCompressor& c, const SCurve& k)
{
    SSettings s;
    s.thresholdDb = k.threshold, s.ratio = k.ratio, s.knee = k.knee, s.attackMs = 0, s.releaseMs = k.releaseMs;
    Configure(c, 48000, s);
}

// GainAt each level against the curve in long double rounded to float, except near a
// float midpoint; returns how many levels were compared.
int CompareWithCurve(CCompressor& c, const SCurve& k, const std::vector<double>& levels)
{
    int compared = 0;
    for (double x : levels) {
        const long double g = LongKneeGain(x, k.threshold, k.ratio, k.knee);
        if (NearFloatMidpoint(g))
            continue;
        EXPECT_EQ(GainAt(c, x), double(float(g)))
            << "T " << k.threshold << " R " << k.ratio << " knee " << k.knee << " level " << x;
        ++compared;
    }
    return compared;
}

}  // namespace

TEST(CompressorCurve, SteadySinesGetTheKneeFormulaGain)
{
    // An attack far shorter than a period and a long release keep the envelope on the
    // sine's peaks; the gain is read at a peak sample. Settings change between calls.
    const int rate = 48000;
    SSettings s;
    s.attackMs = 0.001f;
    s.releaseMs = 5000;
    s.outputDb = 3;
    CCompressor c;
    Configure(c, rate, s);
    for (float knee : {0.0f, 50.0f, 100.0f}) {
        for (float threshold : {-20.0f, -31.0f}) {
            c.SetKneePercent(knee);
            c.SetThresholdDb(threshold);
            const double w = 6.0 + 0.18 * knee;
            for (double lambda : {threshold - w / 2 - 1, threshold - w / 4, double(threshold), threshold + w / 4,
                                  threshold + w / 2 + 2, 3.0}) {
                SCOPED_TRACE(testing::Message() << "knee " << knee << " T " << threshold << " level " << lambda);
                // Up to full scale the curve is read from a table in steps of 1/8192,
                // truncating: put the peak mid-step and expect the curve at the step.
                double peak = std::exp2(lambda / 6.0), level = peak;
                if (peak <= 1.0) {
                    level = std::floor(peak * 8192) / 8192;
                    peak = level + 0.5 / 8192;
                }
                c.Reset();
                Buffer l = Sine(rate / 4, rate, 1000, peak), r = l;
                const Buffer in = l;
                Drive(c, l, r);
                const size_t at = l.size() - 48 + 12;  // a peak of the 1 kHz sine
                const double gain = l[at] / in[at] / std::pow(10.0, 3 / 20.0);
                EXPECT_NEAR(gain, KneeGain(level, threshold, s.ratio, knee), 1e-6 * gain);
            }
        }
    }
}

TEST(CompressorCurve, GainAboveFullScaleIsTheCurveRoundedToFloat)
{
    // Above full scale the gain comes from the formulas, not the table, and is applied
    // rounded to float.
    std::vector<double> levels;
    for (int i = 1; i <= 3000; ++i)
        levels.push_back(std::exp2(i * (8.0 / 3000.0) + 1e-7 * (i % 7)));  // (1, 256]
    for (const SCurve& k : {SCurve{-6.3f, 20, 100}, SCurve{-20, 4, 60}, SCurve{-1, 1.5f, 0}, SCurve{-30, 30, 100},
                            SCurve{0, 1.01f, 50}, SCurve{-12, 0.5f, 30}}) {
        CCompressor c;
        Configure(c, k);
        EXPECT_GT(CompareWithCurve(c, k, levels), 2990);
    }
}

TEST(CompressorCurve, GainsAlongAReleaseAboveFullScaleAreTheCurveRoundedToFloat)
{
    // A key far above full scale, then silence: the envelope falls by the release factor
    // each sample, through the formula's upper branch, the knee and into the table. Each
    // gain must be the curve at that envelope rounded to float, as for a single level.
    for (const SCurve& k : {SCurve{-6.3f, 20, 100, 160}, SCurve{-20, 4, 60, 5}, SCurve{-1, 1.5f, 0, 40},
                            SCurve{-30, 30, 100, 1000}, SCurve{-12, 0.5f, 30, 20}}) {
        const int rate = 48000;
        CCompressor c;
        Configure(c, k);
        const double decay = 1.0 - (1.0 - std::exp(-1.0 / (k.releaseMs * 0.001 * rate)));  // as the section forms it
        const int frames = int(std::log(1.0 / 3000.0) / std::log(decay)) + 64;
        Buffer l(size_t(frames), 1.0), r = l, key(size_t(frames), 0.0);
        key[0] = 3000.0;
        Drive(c, l, r, &key, &key);
        double envelope = 3000.0;
        int compared = 0;
        for (int i = 1; i < frames && envelope * decay > 1.0; ++i) {
            envelope *= decay;
            const long double g = LongKneeGain(envelope, k.threshold, k.ratio, k.knee);
            if (NearFloatMidpoint(g))
                continue;
            ASSERT_EQ(l[size_t(i)], double(float(g))) << "T " << k.threshold << " R " << k.ratio << " sample " << i;
            ++compared;
        }
        EXPECT_GT(compared, 40);
    }
}

TEST(CompressorCurve, TableHoldsTheCurveRoundedToFloatAtEveryLevel)
{
    // Every table level, for curves whose knee reaches deep below full scale, both as
    // filled at set-up and as refilled entry by entry after a change while running.
    std::vector<double> levels;
    for (int i = 0; i <= 8192; ++i)
        levels.push_back(i / 8192.0);
    for (SCurve k : {SCurve{-40, 30, 100}, SCurve{-60, 1.01f, 100}, SCurve{-40, 4, 0}, SCurve{-20, 2.5f, 60},
                     SCurve{0, 20, 100}, SCurve{-10, 0.5f, 30}}) {
        CCompressor c;
        const float running = k.threshold;
        k.threshold += 0.5f;
        Configure(c, k);
        EXPECT_GT(CompareWithCurve(c, k, levels), 8150);
        c.SetThresholdDb(running);
        k.threshold = running;
        EXPECT_GT(CompareWithCurve(c, k, levels), 8150);
    }
}

TEST(CompressorTimes, EnvelopeRisesAndDecaysByOnePoleLaws)
{
    // Key 4 (above full scale, so the curve is the formula) for 100 ms, then 2. Above the
    // knee g = C e^(1/R - 1) with C = 2^((T - T/R)/6); with R = 2 the envelope is (C/g)^2.
    for (int rate : {44100, 96000}) {
        SCOPED_TRACE(rate);
        SSettings s;
        s.thresholdDb = -40;
        s.ratio = 2;
        CCompressor c;
        Configure(c, rate, s);
        const int rise = rate / 10;
        const double tauA = 0.010 * rate, tauR = 0.100 * rate, factor = std::exp2(-20.0 / 6.0);
        Buffer l(2 * rise, 1.0), r = l, key(2 * rise, 2.0);
        std::fill(key.begin(), key.begin() + rise, 4.0);
        Drive(c, l, r, &key, &key);
        auto envelope = [&](int i) { return (factor / l[i]) * (factor / l[i]); };
        // Rising towards the key with time constant attack; falling towards zero (not
        // towards the new key level) with time constant release.
        for (int n : {int(tauA), int(2 * tauA)})
            EXPECT_NEAR(envelope(n - 1) / (4.0 * (1.0 - std::exp(-n / tauA))), 1.0, 1e-5) << n;
        const double top = 4.0 * (1.0 - std::exp(-rise / tauA));
        for (int n : {int(0.5 * tauR), int(0.6 * tauR)})
            EXPECT_NEAR(envelope(rise - 1 + n) / (top * std::exp(-n / tauR)), 1.0, 1e-5) << n;
    }
}

TEST(Compressor3Gain, FeedbackLevelFloorAndTwoPartRelease)
{
    const int rate = 48000;
    SSettings s;
    s.attackMs = 5;
    s.releaseMs = 200;
    s.outputDb = 6;
    CCompressor3 c;
    Configure(c, rate, s);
    // Steady key dv: the envelope settles where it equals the detector, e = invT dv g,
    // so g = 1 - k e gives g = 1 / (1 + k invT dv), k = (R - 0.99)/12.
    for (float threshold : {-20.0f, -10.0f}) {
        for (float ratio : {2.0f, 4.0f}) {
            for (double dv : {0.2, 1.0}) {
                SCOPED_TRACE(testing::Message() << "T " << threshold << " R " << ratio << " key " << dv);
                c.SetThresholdDb(threshold);
                c.SetRatio(ratio);
                c.Reset();
                Buffer l(rate / 2, 1.0), r = l;
                const Buffer key(l.size(), dv);
                Drive(c, l, r, &key, &key);
                const double k = (ratio - 0.99) / 12, invT = std::pow(10.0, -threshold / 20.0);
                EXPECT_NEAR(l.back() / std::pow(10.0, 6 / 20.0), 1 / (1 + k * invT * dv), 0.005);
            }
        }
    }

    // First attack step from rest: e1 and e2 take b0 = (1 - cos w)/2/(1 + alpha) of the
    // detector value, for sections at 750/attack Hz (alpha = sin w / 1.24) and 6000/attack
    // Hz (alpha = sin w / 1.0): the second gain is 1 - k invT dv (b0A + b0B). An attack
    // of 2 ms counts as the 5 ms floor.
    s.attackMs = 2;
    s.outputDb = 0;
    Configure(c, rate, s);
    Buffer l(32, 1.0), r = l;
    const Buffer step(32, 0.2);
    c.Process(l.data(), r.data(), step.data(), step.data(), 32);
    auto b0 = [&](double f, double div) {
        const double w = kTwoPi * f / rate;
        return (1 - std::cos(w)) / 2 / (1 + std::sin(w) / div);
    };
    EXPECT_NEAR((1 - l[1]) / ((4 - 0.99) / 12 * 10.0 * 0.2 * (b0(150, 1.24) + b0(1200, 1.0))), 1.0, 1e-6);

    // Heavy drive: the gain stops at 0.01 (-40 dB) and reaches it.
    s.thresholdDb = -40;
    s.ratio = 30;
    Configure(c, rate, s);
    l = Sine(rate / 2, rate, 1000, 100.0);
    r = l;
    EXPECT_EQ(Drive(c, l, r), double(0.01f));

    // Release: g = 1 - k (e1 + e2), e1 falling 40 dB in 32 ms, e2 40 dB in the release
    // time. From the gain at the drop and long after it (e1 gone), predict it in between.
    // A second burst then continues from the decayed level without a jump.
    s.thresholdDb = -20;
    s.ratio = 4;
    s.attackMs = 5;
    s.releaseMs = 500;
    Configure(c, rate, s);
    const int drop = rate / 5, again = drop + rate / 2;
    l.assign(again + rate / 10, 1.0);
    r = l;
    Buffer key(l.size(), 0.2);
    std::fill(key.begin() + drop, key.begin() + again, 0.0);
    Drive(c, l, r, &key, &key);
    const double k = double(float((4.0 - 0.99) / 12.0));
    auto sum = [&](int j) { return (1.0 - l[drop + j]) / k; };
    auto fast = [&](int j) { return std::pow(10.0, -2.0 * j / (0.032 * rate)); };
    auto slow = [&](int j) { return std::pow(10.0, -2.0 * j / (0.5 * rate)); };
    const int late = int(0.3 * rate);
    const double e2 = sum(late) / slow(late), e1 = sum(0) - e2;
    ASSERT_GT(e1, 0.01 * sum(0));  // the fast part is there to see
    for (int j : {int(0.016 * rate), int(0.032 * rate), int(0.1 * rate)})
        EXPECT_NEAR(sum(j) / (e1 * fast(j) + e2 * slow(j)), 1.0, 1e-6) << j;
    EXPECT_NEAR(l[again + 1], l[again - 1], 0.01);
    EXPECT_LT(l[again + rate / 20], l[again - 1] - 0.1);
}

template <class C>
void CheckStereoModes()
{
    const int rate = 48000, frames = rate / 4;
    SSettings s;
    s.thresholdDb = -30;
    s.ratio = 8;
    s.attackMs = 1;
    s.stereoMode = dynamics::kMidSide;
    s.detection = dynamics::kPower;
    // M/S with identical channels: S is 0 and both outputs are the mono result.
    C stereo, mono;
    Configure(stereo, rate, s);
    Configure(mono, rate, s);
    Buffer l = Sine(frames, rate, 220, 0.8), r = l, m = l;
    EXPECT_LT(Drive(stereo, l, r), 0.5);
    for (size_t i = 0; i < m.size(); i += 32)
        mono.ProcessMono(&m[i], nullptr, 32);
    EXPECT_EQ(l, m);
    EXPECT_EQ(r, m);
    // A quiet mid and a loud side: only the side is turned down.
    const Buffer mid = Sine(frames, rate, 300, 0.001), side = Sine(frames, rate, 500, 0.5);
    for (int i = 0; i < frames; ++i) {
        l[i] = mid[i] + side[i];
        r[i] = mid[i] - side[i];
    }
    C fresh;  // a reset keeps the detector filters, still full of the loud mid above
    Configure(fresh, rate, s);
    Drive(fresh, l, r);
    Buffer midOut(frames), sideOut(frames);
    for (int i = 0; i < frames; ++i) {
        midOut[i] = (l[i] + r[i]) / 2;
        sideOut[i] = (l[i] - r[i]) / 2;
    }
    EXPECT_NEAR(Peak(midOut, frames / 2), 0.001, 1e-4);
    EXPECT_LT(Peak(sideOut, frames / 2), 0.25);

    // Linked: the louder key sets one gain for both channels. Stereo: each channel
    // follows its own key and the quiet one is untouched.
    const Buffer in = Sine(frames, rate, 220, 0.5), loud = Sine(frames, rate, 1000, 0.9);
    const Buffer silent(frames, 0.0), half = Sine(frames, rate, 1000, 0.45);
    s.detection = dynamics::kPeak;
    s.stereoMode = dynamics::kLinked;
    Buffer l2 = in, r2 = in;
    l = r = in;
    Configure(stereo, rate, s);
    EXPECT_LT(Drive(stereo, l, r, &loud, &silent), 0.5);
    Configure(stereo, rate, s);
    Drive(stereo, l2, r2, &loud, &half);
    EXPECT_EQ(r, l);
    EXPECT_EQ(l2, l);
    s.stereoMode = dynamics::kStereo;
    Configure(stereo, rate, s);
    l = r = in;
    EXPECT_LT(Drive(stereo, l, r, &silent, &loud), 0.5);
    EXPECT_EQ(l, in);
    EXPECT_LT(Peak(r, frames / 2), 0.25);
}

TEST(CompressorStereo, MidSideLinkedAndIndependentModes)
{
    CheckStereoModes<CCompressor>();
    CheckStereoModes<CCompressor3>();
}

// Different keys on the two sides. Input level: largest mean of the rectified keys per
// call, before anything else; detected level: the same after the M/S transform and the
// mode's low-pass. Then a second of full-scale square and six of silence: finite output,
// and the detector filters flushed to exactly zero rather than left decaying. Returns the
// smallest gain reported over the square and the silence.
template <class C>
double CheckMeters(C& c, bool ms, int detection, double tolerance)
{
    const int rate = 48000, frames = rate / 4;
    const Buffer keyL = Sine(frames, rate, 1000, 0.5), keyR = Sine(frames, rate, 1300, -0.3);
    Buffer dL(frames), dR(frames);
    for (int i = 0; i < frames; ++i) {
        dL[i] = std::fabs(ms ? (keyL[i] + keyR[i]) / 2 : keyL[i]);
        dR[i] = std::fabs(ms ? (keyL[i] - keyR[i]) / 2 : keyR[i]);
    }
    const bool power = detection == dynamics::kPower;
    if (detection != dynamics::kPeak) {
        dL = CookbookLowPass(dL, rate, power ? 100.0 : 2.1, power ? 1.0 : 1.24);
        dR = CookbookLowPass(dR, rate, power ? 100.0 : 2.1, power ? 1.0 : 1.24);
    }
    for (int i = 0; i < frames; i += 32) {
        Buffer l(32, 1.0), r = l;
        c.Process(l.data(), r.data(), &keyL[i], &keyR[i], 32);
        double input = 0.0, detected = 0.0;
        for (int j = i; j < i + 32; ++j) {
            input = std::max(input, (std::fabs(keyL[j]) + std::fabs(keyR[j])) / 2);
            detected = std::max(detected, (dL[j] + dR[j]) / 2);
        }
        EXPECT_EQ(c.GetInputLevel(), input) << i;
        EXPECT_NEAR(c.GetDetectedLevel(), detected, tolerance * detected) << i;
        // On a unit signal without make-up the linked output is the gain.
        if (!ms) {
            EXPECT_EQ(c.GetMinGain(), *std::min_element(l.begin(), l.end())) << i;
        }
        if (testing::Test::HasFailure())
            return 0.0;
    }
    Buffer l(rate * 7, 0.0);
    for (int i = 0; i < rate; ++i)
        l[i] = (i / 20) % 2 ? 1.0 : -1.0;
    Buffer r = l;
    const double smallest = Drive(c, l, r);
    EXPECT_TRUE(std::all_of(l.begin(), l.end(), [](double x) { return std::isfinite(x); }));
    EXPECT_TRUE(std::all_of(r.begin(), r.end(), [](double x) { return std::isfinite(x); }));
    EXPECT_EQ(c.GetDetectedLevel(), 0.0);
    return smallest;
}

template <class C>
void CheckMeterResults()
{
    for (int mode : {dynamics::kLinked, dynamics::kMidSide})
        for (int detection : {dynamics::kPeak, dynamics::kPower, dynamics::kC165}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " detection " << detection);
            SSettings s;
            s.stereoMode = mode;
            s.detection = detection;
            C c;
            Configure(c, 48000, s);
            EXPECT_GT(CheckMeters(c, mode == dynamics::kMidSide, detection, 1e-9), 0.0);
        }
}

TEST(CompressorMeters, LevelsFollowTheDetectorsAndSettleToZero)
{
    CheckMeterResults<CCompressor>();
    CheckMeterResults<CCompressor3>();
}

TEST(GateTiming, OpensAndClosesBy40dBInTheSetTimesAfterTheHold)
{
    for (int rate : {44100, 96000}) {
        SCOPED_TRACE(rate);
        CGate gate;
        Configure(gate, rate, -20, 10, 50, 1);
        const int attack = rate / 100, release = rate / 20, open = rate / 5;
        // Unit DC signal, so the output is the gain; the key is loud, then silent.
        Buffer l(2 * open, 1.0), r = l, key(2 * open, 0.0);
        std::fill(key.begin(), key.begin() + open, 0.5);
        Drive(gate, l, r, &key, &key, 1.0);
        EXPECT_EQ(gate.GetMinGain(), *std::min_element(l.end() - 32, l.end()));

        // Opening from closed: 1 - 10^(-2 t / attack), 99 % (40 dB) in the attack time.
        for (int t : {attack / 4, attack / 2, attack})
            EXPECT_NEAR(l[t - 1], 1.0 - std::pow(10.0, -2.0 * t / attack), 2e-5) << t;
        // Holding until the key has been below for the hold length (1 ms: 44 samples
        // at 44.1 kHz), then 10^(-2 t / release), 40 dB in the release time.
        const int hold = rate == 44100 ? 44 : 96;
        EXPECT_EQ(*std::min_element(l.begin() + open - 100, l.begin() + open + hold - 1), 1.0);
        EXPECT_LT(l[open + hold - 1], 1.0);
        for (int t : {release / 2, release})
            EXPECT_NEAR(l[open + hold - 2 + t] / std::pow(10.0, -2.0 * t / release), 1.0, 1e-3) << t;
    }
}

TEST(GateTiming, KeyAtThresholdIsBelowAndResetStartsAHoldPeriod)
{
    // A full-scale key against a 0 dB threshold is not above it: the gate opens during
    // the hold period after the reset, then closes fully (flushed to exactly 0).
    CGate gate;
    Configure(gate, 44100, 0, 0.5f, 10, 1);
    Buffer l(44100, 1.0), r = l;
    const Buffer key(44100, 1.0);
    Drive(gate, l, r, &key, &key, 1.0);
    EXPECT_GT(l[42], 0.99);
    EXPECT_LT(l[43], l[42]);
    EXPECT_EQ(l.back(), 0.0);

    // Just below the key it stays open (a setting changed between calls).
    gate.SetThresholdDb(-0.1f);
    gate.Reset();
    std::fill(l.begin(), l.end(), 1.0);
    Drive(gate, l, r, &key, &key, 1.0);
    EXPECT_EQ(*std::min_element(l.begin() + 100, l.end()), 1.0);
}

TEST(GateTiming, HoldEndsOnItsSampleWhateverTheCallSizes)
{
    // Instant attack and release: the gain is exactly 1 while the key has been above the
    // threshold within the hold length, else 0, however the stream is cut into calls.
    Buffer key(6000);
    for (size_t i = 0, run = 0; i < key.size(); ++run)
        for (size_t k = 0; k <= run % 71 && i < key.size(); ++k, ++i)
            key[i] = run % 2 ? 0.0 : 0.5;
    for (int hold : {0, 1, 5, 31, 32, 33, 64}) {
        Buffer expected(key.size());
        for (size_t i = 0, below = 0; i < key.size(); ++i) {
            below = key[i] > 0.1 ? 0 : below + 1;
            expected[i] = int(below) < hold ? 1.0 : 0.0;
        }
        for (int chunk : {1, 2, 3, 7, 31, 32, 45}) {
            CGate gate;
            Configure(gate, 48000, -20, 0, 0, (float(hold) + 0.5f) / 48.0f);
            Buffer l(key.size(), 1.0), r = l;
            for (size_t i = 0; i < l.size(); i += size_t(chunk))
                gate.Process(&l[i], &r[i], &key[i], &key[i], int(std::min<size_t>(size_t(chunk), l.size() - i)), 1.0);
            ASSERT_EQ(l, expected) << "hold " << hold << ", calls of " << chunk;
        }
    }
}

TEST(GateMixAndLink, MixBlendsDryAndOneGainServesBothChannels)
{
    CGate gate;
    Configure(gate, 48000, -20, 1, 10, 1);
    const Buffer signal = Sine(48000, 48000, 440, 0.7);
    const Buffer silent(signal.size(), 0.0);

    // Closed gate: mix 0 returns the dry signal bit for bit, mix 0.25 keeps 75 %.
    Buffer l = signal, r = signal;
    Drive(gate, l, r, &silent, &silent, 0.0);
    EXPECT_EQ(l, signal);
    Drive(gate, l, r, &silent, &silent, 0.25);
    EXPECT_NEAR(l.back() / signal.back(), 0.75, 1e-12);
    EXPECT_EQ(gate.GetMinGain(), 0.0);  // the envelope, not the mixed gain

    // The level is the mean of both keys: 0.15 on one side opens a 0.1 threshold, 0.075
    // would not; the other channel gets the same gain.
    for (double keyLevel : {0.3, 0.15}) {
        gate.Reset();
        const Buffer keyL(signal.size(), keyLevel);
        l = signal;
        r = signal;
        for (double& x : r)
            x *= 0.5;
        Drive(gate, l, r, &keyL, &silent, 1.0);
        for (size_t i = 0; i < l.size(); i += 97)
            ASSERT_DOUBLE_EQ(r[i], 0.5 * l[i]) << i;
        EXPECT_NEAR(l.back() / signal.back(), keyLevel > 0.2 ? 1.0 : 0.0, 1e-9);
    }
}

TEST(GateDetectors, LevelsFollowTheDetectorLowPassesAndSettleToZero)
{
    for (int mode : {CGate::kPeak, CGate::kPower, CGate::kC165}) {
        SCOPED_TRACE(mode);
        SWetGate gate;
        Configure(gate, 48000, -60, 0.5f, 10, 1, mode);
        CheckMeters(gate, false, mode, 1e-7);
        EXPECT_EQ(gate.GetMinGain(), 0.0);  // the envelope flushed too
    }
}
