// Both compressor types: the static curve against the knee formula, the time laws, the
// type "2" feedback level, gain floor and two-part release, stereo modes, meter results
// and the extremes (full scale, silence, NaN-free, flushed detectors).
#include "product/engine/Compressor.h"
#include "tests/support/CookbookLowPass.h"
#include "product/engine/Compressor3.h"

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

template <class C>
void CheckMeterResults()
{
    // Different keys on the two sides. Input level: largest mean of the rectified keys
    // per call, before anything else; detected level: the same after the M/S transform
    // and the mode's low-pass.
    const int rate = 48000, frames = rate / 4;
    const Buffer keyL = Sine(frames, rate, 1000, 0.5), keyR = Sine(frames, rate, 1300, -0.3);
    for (int mode : {dynamics::kLinked, dynamics::kMidSide}) {
        const bool ms = mode == dynamics::kMidSide;
        Buffer dL(frames), dR(frames);
        for (int i = 0; i < frames; ++i) {
            dL[i] = std::fabs(ms ? (keyL[i] + keyR[i]) / 2 : keyL[i]);
            dR[i] = std::fabs(ms ? (keyL[i] - keyR[i]) / 2 : keyR[i]);
        }
        for (int detection : {dynamics::kPeak, dynamics::kPower, dynamics::kC165}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " detection " << detection);
            const bool power = detection == dynamics::kPower;
            Buffer fl = dL, fr = dR;
            if (detection != dynamics::kPeak) {
                fl = CookbookLowPass(dL, rate, power ? 100.0 : 2.1, power ? 1.0 : 1.24);
                fr = CookbookLowPass(dR, rate, power ? 100.0 : 2.1, power ? 1.0 : 1.24);
            }
            SSettings s;
            s.stereoMode = mode;
            s.detection = detection;
            C c;
            Configure(c, rate, s);
            for (int i = 0; i < frames; i += 32) {
                Buffer l(32, 1.0), r = l;
                c.Process(l.data(), r.data(), &keyL[i], &keyR[i], 32);
                double input = 0.0, detected = 0.0;
                for (int j = i; j < i + 32; ++j) {
                    input = std::max(input, (std::fabs(keyL[j]) + std::fabs(keyR[j])) / 2);
                    detected = std::max(detected, (fl[j] + fr[j]) / 2);
                }
                ASSERT_EQ(c.GetInputLevel(), input) << i;
                ASSERT_NEAR(c.GetDetectedLevel(), detected, 1e-9 * detected) << i;
                // On a unit signal without make-up the linked output is the gain.
                if (!ms) {
                    ASSERT_EQ(c.GetMinGain(), *std::min_element(l.begin(), l.end())) << i;
                }
            }

            // A second of full-scale square, six of silence: finite output, and the
            // detector filters flushed to exactly zero rather than left decaying.
            Buffer l(rate * 7, 0.0);
            for (int i = 0; i < rate; ++i)
                l[i] = (i / 20) % 2 ? 1.0 : -1.0;
            Buffer r = l;
            EXPECT_GT(Drive(c, l, r), 0.0);
            EXPECT_TRUE(std::all_of(l.begin(), l.end(), [](double x) { return std::isfinite(x); }));
            EXPECT_TRUE(std::all_of(r.begin(), r.end(), [](double x) { return std::isfinite(x); }));
            EXPECT_EQ(c.GetDetectedLevel(), 0.0);
        }
    }
}

TEST(CompressorMeters, LevelsFollowTheDetectorsAndSettleToZero)
{
    CheckMeterResults<CCompressor>();
    CheckMeterResults<CCompressor3>();
}
