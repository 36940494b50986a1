// The EQ filter: responses measured with sines, the glide, the denormal guard, the
// display curve and stability at the edges of the parameter ranges.
#include "dsp/IIR.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kR = 48000;

// Steady-state gain (dB) of a sine run through ProcessStereo in uneven chunks, from a
// least-squares sin/cos fit after `settle` samples. The right channel gets the sine at
// a quarter of the level and must see the same gain; a mono copy must match exactly.
double GainDb(CIIR& f, int rate, double freq, int settle = 8192)
{
    static const int kChunks[] = {32, 5, 17, 1, 32, 29};
    const int total = settle + 8192;
    std::vector<double> l(total), r(total);
    for (int i = 0; i < total; ++i)
        r[i] = 0.25 * (l[i] = std::sin(kTwoPi * freq * i / rate));
    std::vector<double> m = l;
    f.Reset();
    CIIR mono = f;
    for (int i = 0, k = 0, n = 0; i < total; i += n, k = (k + 1) % 6) {
        n = std::min(kChunks[k], total - i);
        f.ProcessStereo(&l[i], &r[i], n);
        mono.ProcessMono(&m[i], n);
    }
    EXPECT_EQ(m, l) << "mono differs at " << freq;
    auto fitDb = [&](const std::vector<double>& y) {
        double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
        for (int i = settle; i < total; ++i) {
            const double s = std::sin(kTwoPi * freq * i / rate), c = std::cos(kTwoPi * freq * i / rate);
            ss += s * s, sc += s * c, cc += c * c, ys += y[i] * s, yc += y[i] * c;
        }
        const double det = ss * cc - sc * sc;
        return 20 * std::log10(std::hypot((ys * cc - yc * sc) / det, (yc * ss - ys * sc) / det));
    };
    const double left = fitDb(l);
    EXPECT_NEAR(fitDb(r) + 20 * std::log10(4.0), left, 1e-4) << "channels differ at " << freq;
    return left;
}

std::vector<double> Noise(int n)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> v(n);
    for (double& x : v)
        x = u(gen);
    return v;
}

bool AllZero(const double* x, int n) { return std::all_of(x, x + n, [](double v) { return v == 0.0; }); }

} // namespace

TEST(IIRResponse, CutsHaveTheirCornerAndSlope)
{
    CIIR f;
    const double order[CIIR::kTypeCount] = {12, 18, 36, 0, 0, 0, 12, 18, 36, 0, 0, 48, 48};
    for (int type = 0; type < CIIR::kTypeCount; ++type) {
        if (order[type] == 0)
            continue;
        const bool low = type <= CIIR::kLowCut36 || type == CIIR::kLowCut48;
        const double fc = low ? 2000 : 500, step = low ? 0.5 : 2;
        f.Design(type, kR, fc, 0, 0.7071);
        // Slope two to three octaves into the stop band; the pass band three octaves
        // out (where the 18 dB cut's one-pole still droops about 1.2 dB).
        const double near = GainDb(f, kR, fc * step * step);
        EXPECT_NEAR(near - GainDb(f, kR, fc * step * step * step), order[type], 1.5) << type;
        EXPECT_GT(GainDb(f, kR, fc / (step * step * step)), -1.5) << type;
    }
    // A 12 dB section peaks at Q (linear) at its corner: Butterworth -3 dB, Q 2 +6 dB.
    f.DesignLowCut12(kR, 1000, 0.7071);
    EXPECT_NEAR(GainDb(f, kR, 1000), -3.01, 0.01);
    f.DesignHighCut12(kR, 1000, 2);
    EXPECT_NEAR(GainDb(f, kR, 1000), 6.02, 0.01);
    // The steep cuts pull Q towards 0.5: 36 dB uses sqrt(Q/2) per stage (Q 0.5 -> 0.5,
    // Q 2 -> 1); 48 dB keeps Q 0.5 and maps Q 100 to 0.1*(5^1.333*1000)^(1/2.333).
    f.DesignLowCut36(kR, 1000, 0.5);
    EXPECT_NEAR(GainDb(f, kR, 1000), 3 * -6.0206, 0.01);
    f.DesignHighCut36(kR, 1000, 2);
    EXPECT_NEAR(GainDb(f, kR, 1000), 0.0, 0.01);
    f.DesignLowCut48(kR, 1000, 0.5);
    EXPECT_NEAR(GainDb(f, kR, 1000), 4 * -6.0206, 0.01);
    f.DesignHighCut48(kR, 1000, 100);
    const double q4 = 0.1 * std::pow(std::pow(5.0, 1.333) * 1000, 1 / 2.333);
    EXPECT_NEAR(GainDb(f, kR, 1000, kR), 80 * std::log10(q4), 0.01);
}

TEST(IIRResponse, BellReachesItsGainOverTheStatedBandwidth)
{
    CIIR f;
    for (double gain : {-24.0, -6.0, 6.0, 18.0}) {
        for (double q : {0.5, 2.0, 10.0}) {
            f.DesignBell(kR, 1000, gain, q);
            EXPECT_NEAR(GainDb(f, kR, 1000), gain, 1e-3) << gain << " " << q;
            // The edges, where the gain is 0.875 of the peak in dB, lie f/(2Q) apart.
            // Bisection on H(e^jw) evaluated from the coefficients.
            const auto& c = f.Target();
            auto edge = [&](double inside, double outside) {
                for (int k = 0; k < 60; ++k) {
                    const double m = 0.5 * (inside + outside);
                    const std::complex<double> z = std::polar(1.0, -m);
                    const double db = 20 * std::log10(std::abs((c[0] + c[1] * z + c[2] * z * z) /
                                                               (1.0 + c[3] * z + c[4] * z * z)));
                    (std::fabs(db) > std::fabs(0.875 * gain) ? inside : outside) = m;
                }
                return inside;
            };
            const double w0 = kTwoPi * 1000 / kR;
            EXPECT_NEAR((edge(w0, 3.1) - edge(w0, 1e-4)) * kR / kTwoPi, 1000 / (2 * q), 0.01);
        }
    }
}

TEST(IIRResponse, ShelvesBandPassAndNotch)
{
    CIIR f;
    for (double gain : {-12.0, 12.0}) {
        // Full gain far out, half of it (in dB) at the corner, nothing on the other side.
        f.DesignLowShelf(kR, 200, gain, 1);
        EXPECT_NEAR(GainDb(f, kR, 20, kR), gain, 0.02);
        EXPECT_NEAR(GainDb(f, kR, 200), gain / 2, 0.001);
        EXPECT_NEAR(GainDb(f, kR, 20000), 0.0, 0.02);
        f.DesignHighShelf(kR, 5000, gain, 1);
        EXPECT_NEAR(GainDb(f, kR, 20, kR), 0.0, 0.02);
        EXPECT_NEAR(GainDb(f, kR, 5000), gain / 2, 0.001);
        EXPECT_NEAR(GainDb(f, kR, 22000), gain, 0.02);
    }
    f.DesignLowShelf(kR, 200, 12, 100);  // the steepest slope overshoots below 0 dB
    EXPECT_LT(GainDb(f, kR, 600), -0.3);

    f.DesignBandPass(kR, 1000, 1);
    EXPECT_NEAR(GainDb(f, kR, 1000), 0.0, 1e-6);
    EXPECT_LT(GainDb(f, kR, 100), -19.0);
    f.DesignBandStop(kR, 1000, 1);
    EXPECT_LT(GainDb(f, kR, 1000, kR), -100.0);
    EXPECT_NEAR(GainDb(f, kR, 10000), 0.0, 0.05);
}

TEST(IIRResponse, FlatAndZeroGainDesignsAreExactlyTransparent)
{
    const std::vector<double> in = Noise(4096);
    for (int type : {-1, int(CIIR::kBell), int(CIIR::kLowShelf), int(CIIR::kHighShelf)}) {
        CIIR f;
        f.Design(type, kR, 1000, 0.0, 1);  // -1: flat
        f.Reset();
        std::vector<double> l = in, r = in, m = in;
        for (size_t i = 0; i < in.size(); i += 32) {
            f.ProcessStereo(&l[i], &r[i], 32);
            f.ProcessMono(&m[i], 32);
        }
        EXPECT_TRUE(l == in && r == in && m == in) << type;
    }
}

TEST(IIRGlide, DesignChangesGlideExponentiallyAndSettleExactly)
{
    CIIR f;
    f.DesignBell(kR, 1000, 12, 2);
    const CIIR::Coefficients bell = f.Target();
    f.Reset();
    f.DesignFlat(kR);  // switching the band off
    CIIR mono = f;
    // 2.5 Hz one-pole with the 6.283 constant: after t seconds e^(-6.283*2.5*t) of the
    // way is left, whatever the chunking.
    double l[32] = {}, r[32] = {};
    for (int block = 1, done = 0; block <= 4000; ++block) {
        const int n = block % 3 == 0 ? 7 : 32;
        f.ProcessStereo(l, r, n);
        mono.ProcessMono(l, n);
        done += n;
        const double remaining = std::exp(-6.283 * 2.5 * done / kR);
        ASSERT_EQ(f.Current(), mono.Current());
        for (int k = CIIR::kB0; k <= CIIR::kA2; ++k) {
            const double cur = f.Current()[k], tgt = f.Target()[k];
            // Never lingering in the denormal-prone band or just off the target.
            EXPECT_TRUE(cur == tgt || (std::fabs(cur) >= 0x1p-32 && std::fabs(cur - tgt) >= 1e-11));
            if (std::fabs(bell[k] - tgt) * remaining > 1e-9) {
                EXPECT_NEAR((cur - tgt) / (bell[k] - tgt), remaining, 1e-9) << k << " " << done;
            }
        }
    }
    EXPECT_EQ(f.Current(), f.Target());  // settled: exactly flat again

    // Per-sample gliding advances like the block glide.
    CIIR a;
    a.DesignBell(44100, 300, -9, 1);
    CIIR b = a;
    for (int i = 0; i < 32; ++i)
        a.ProcessSample(0.0);
    b.ProcessMono(l, 32);
    for (int k = CIIR::kB0; k <= CIIR::kA2; ++k)
        EXPECT_NEAR(a.Current()[k], b.Current()[k], 1e-15);
}

TEST(IIRState, DenormalGuardPrimeAndFixedPaths)
{
    CIIR f;
    f.DesignHighCut36(kR, 200, 0.7071);  // unity gain at DC
    double l[32], r[32];
    for (double level : {1e-10, 1e-6}) {
        f.Prime(level);
        std::fill(l, l + 32, 0.0);
        std::fill(r, r + 32, 0.0);
        f.ProcessStereo(l, r, 32);
        EXPECT_NE(l[0], 0.0);  // the primed state is really there
        std::fill(l, l + 32, 0.0);
        std::fill(r, r + 32, 0.0);
        f.ProcessStereo(l, r, 32);
        // State below 2^-32 is gone after the block; larger state keeps ringing.
        EXPECT_EQ(AllZero(l, 32) && AllZero(r, 32), level < 0x1p-32) << level;
    }
    // Prime settles a unity-gain filter at the level: no transient when fed that level.
    f.DesignHighCut48(kR, 50, 1);
    f.Prime(0.5);
    std::fill(l, l + 32, 0.5);
    f.ProcessMono(l, 32);
    for (double v : l)
        EXPECT_NEAR(v, 0.5, 1e-12);

    // The fixed paths run the target biquad without glide, sample or block alike.
    CIIR block;
    block.DesignHighCut12(kR, 100, 0.62);  // a detector low-pass; current stays flat
    CIIR sample = block, stereo = block;
    const std::vector<double> in = Noise(256);
    std::vector<double> a = in, sl = in, sr = in;
    for (size_t i = 0; i < in.size(); i += 32)
        block.ProcessMonoFixed(&a[i], 32);
    std::vector<double> s(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        s[i] = sample.ProcessSampleFixed(in[i]);
        stereo.ProcessSampleStereoFixed(&sl[i], &sr[i]);
    }
    EXPECT_TRUE(s == a && sl == a && sr == a);
    EXPECT_LT(std::fabs(a[255]) + std::fabs(a[254]), 0.2);  // smoothed, not passed through
    EXPECT_EQ(block.Current()[CIIR::kB0], 1.0);
}

TEST(IIRDisplay, DrawsTheDesignAt44100WhateverTheAudioRate)
{
    // Each type's curve matches the audio filter measured at 44.1 kHz. The 18 dB types
    // draw their one-pole as half a Q 0.5 biquad, close but not equal; deep stop bands
    // lose a little to single precision.
    std::vector<float> out(CIIR::kDisplayPoints), other(CIIR::kDisplayPoints);
    CIIR f;
    for (int type = 0; type < CIIR::kTypeCount; ++type) {
        f.Design(type, 44100, 1000, 9, 1.5);
        f.DesignDisplay(type, 44100, 1000, 9, 1.5);
        f.GetDisplayResponse(out.data(), CIIR::kDisplayPoints);
        const bool firstOrder = type == CIIR::kLowCut18 || type == CIIR::kHighCut18;
        for (int i : {60, 200, 270, 280, 350, 472}) {
            if (out[i] < -100)
                continue;  // beyond what a sine measurement resolves
            EXPECT_NEAR(out[i], GainDb(f, 44100, CIIR::DisplayFrequency(i)),
                        firstOrder ? 1.0 : 0.01 + 0.002 * std::fabs(out[i])) << type << " @" << i;
        }
    }
    // At 32 kHz the audio resonance is held at 20/21 of Nyquist; the display still
    // draws it at 18 kHz, the same for any audio rate.
    f.DesignHighCut12(32000, 18000, 4);
    EXPECT_NEAR(GainDb(f, 32000, 32000 * 0.5 * 20 / 21), 12.04, 0.01);
    f.DesignDisplay(CIIR::kHighCut12, 32000, 18000, 0, 4);
    f.GetDisplayResponse(out.data(), CIIR::kDisplayPoints);
    f.DesignDisplay(CIIR::kHighCut12, 96000, 18000, 0, 4);
    f.GetDisplayResponse(other.data(), CIIR::kDisplayPoints);
    EXPECT_EQ(out, other);
    const auto peak = std::max_element(out.begin(), out.end()) - out.begin();
    EXPECT_NEAR(CIIR::DisplayFrequency(int(peak)), 18000, 18000 * 0.02);
    EXPECT_NEAR(out[peak], 12.04, 0.3);  // the grid steps 1.5 % past a narrow peak

    // Four stages draw four times the single stage's dB; only the first n become dB.
    f.DesignDisplay(CIIR::kLowCut48, 44100, 800, 0, 0.5);
    f.GetDisplayResponse(out.data(), CIIR::kDisplayPoints);
    f.DesignDisplay(CIIR::kLowCut12, 44100, 800, 0, 0.5);
    f.GetDisplayResponse(other.data(), CIIR::kDisplayPoints);
    for (int i = 0; i < CIIR::kDisplayPoints; ++i)
        EXPECT_NEAR(out[i], 4 * other[i], 1e-3 + 1e-4 * std::fabs(out[i])) << i;
    f.GetDisplayResponse(other.data(), 10);
    EXPECT_NEAR(other[100], std::pow(10.0f, out[100] / 80), 1e-5);
    EXPECT_LT(other[9], -60);
}

TEST(IIRStability, ExtremeSettingsStayFiniteAndBounded)
{
    const std::vector<double> noise = Noise(16384);
    auto peak = [&](CIIR& f) {  // NaN fails every bound below
        std::vector<double> l = noise, r = noise;
        double p = 0;
        for (size_t i = 0; i < l.size(); i += 32) {
            f.ProcessStereo(&l[i], &r[i], 32);
            for (size_t k = i; k < i + 32; ++k)
                p = std::max({p, std::fabs(l[k]), std::fabs(r[k])});
        }
        return p;
    };
    std::vector<float> curve(CIIR::kDisplayPoints);
    // Every combination of rate {44.1k, 384k}, type, frequency {16, 20400}, Q {0.1, 100}
    // and gain {-24, +18}.
    for (int c = 0; c < 2 * CIIR::kTypeCount * 8; ++c) {
        const int rate = c & 1 ? 384000 : 44100, type = (c >> 1) % CIIR::kTypeCount, corner = c / 26;
        const double freq = corner & 1 ? 20400 : 16, q = corner & 2 ? 100 : 0.1, gain = corner & 4 ? 18 : -24;
        SCOPED_TRACE(::testing::Message() << type << " " << rate << " " << freq << " " << q << " " << gain);
        CIIR f;
        f.Design(type, rate, freq, gain, q);
        f.Reset();
        EXPECT_TRUE(peak(f) < 1e3);
        // Gliding across the whole range at once: the moving resonance of the steep
        // cuts rings loudly, but it must stay finite.
        f.Design(type, rate, freq < 1000 ? 20400.0 : 16.0, -gain, q);
        EXPECT_TRUE(peak(f) < 1e9);
        f.DesignDisplay(type, rate, freq, gain, q);
        f.GetDisplayResponse(curve.data(), CIIR::kDisplayPoints);
        EXPECT_TRUE(std::none_of(curve.begin(), curve.end(), [](float v) { return std::isnan(v); }));
    }
}
