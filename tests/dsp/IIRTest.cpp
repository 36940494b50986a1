// The EQ filter: responses measured with sines, the glide, the denormal guard, the
// display curve, stability at the edges of the parameter ranges, and the fast paths
// against the plain definition, bit for bit.
#include "dsp/IIR.h"
#include "dsp/IIRSeries.h"

#include <gtest/gtest.h>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
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

bool AllZero(const double* x, int n)
{
    return std::all_of(x, x + n, [](double v) { return v == 0.0; });
}

// Bit for bit, except that any NaN matches any NaN.
bool Same(const double* a, const double* b, int n)
{
    for (int i = 0; i < n; ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(double)) != 0 && !(std::isnan(a[i]) && std::isnan(b[i])))
            return false;
    return true;
}

// The filter exactly as defined, written the plain way: per block n glide steps of
// the five (18 dB: six) coefficients and the guards, then each stage over the whole
// block, the one-pole, and the denormal guard over all state. CIIR's shortcuts (fused
// stages, paired channels, skipped settled glides and identity sections, guarding only
// what changed) must reproduce it bit for bit.
struct SPlainFilter {
    CIIR::Coefficients cur, tgt;
    double g = 0, s[2][4][4] = {}, fo[2] = {};
    int stages = 1;
    bool firstOrder = false, highPass = false;

    explicit SPlainFilter(const CIIR& f) : cur(f.Current()) { Follow(f, -1); }
    void Follow(const CIIR& f, int type)
    {
        tgt = f.Target();
        g = f.GetGlide();
        stages = f.GetStageMode() == CIIR::kThreeStages ? 3 : f.GetStageMode() == CIIR::kFourStages ? 4 : 1;
        firstOrder = f.GetStageMode() == CIIR::kWithFirstOrder;
        if (firstOrder)
            highPass = type == CIIR::kLowCut18;
    }
    void Prime(double v)
    {
        std::fill(&s[0][0][0], &s[0][0][0] + 32, v);
        fo[0] = fo[1] = v;
        cur = tgt;
    }
    void Glide(int count, int steps)
    {
        for (int i = 0; i < steps; ++i)
            for (int k = 0; k < count; ++k)
                cur[k] += (tgt[k] - cur[k]) * g;
        for (int k = 0; k < count; ++k) {
            Flush(cur[k]);
            if (std::fabs(cur[k] - tgt[k]) < 1e-11)
                cur[k] = tgt[k];
        }
    }
    static void Flush(double& v)
    {
        if (std::fabs(v) < 0x1p-32)
            v = 0.0;
    }
    void FlushAll()
    {
        std::for_each(&s[0][0][0], &s[0][0][0] + 32, Flush);
        Flush(fo[0]);
        Flush(fo[1]);
    }
    static double Biquad(const CIIR::Coefficients& c, double* st, double x)
    {
        const double y = c[0] * x + c[1] * st[0] + c[2] * st[1] - c[3] * st[2] - c[4] * st[3];
        st[1] = st[0];
        st[0] = x;
        st[3] = st[2];
        st[2] = y;
        return y;
    }
    void Block(double* const* x, int channels, int n)
    {
        Glide(firstOrder ? 6 : 5, n);
        for (int c = 0; c < channels; ++c) {
            for (int k = 0; k < stages; ++k)
                for (int i = 0; i < n; ++i)
                    x[c][i] = Biquad(cur, s[c][k], x[c][i]);
            for (int i = 0; firstOrder && i < n; ++i) {
                fo[c] += (x[c][i] - fo[c]) * cur[CIIR::kC];
                x[c][i] = highPass ? x[c][i] - fo[c] : fo[c];
            }
        }
        FlushAll();
    }
    double Sample(double x)
    {
        Glide(5, 1);
        return Biquad(cur, s[0][0], x);
    }
    void Fixed(double* const* x, int channels, int n)
    {
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < n; ++i)
                x[c][i] = Biquad(tgt, s[c][0], x[c][i]);
        FlushAll();
    }
};

// One block (n <= 64) of in[0] (and in[1]) through both, ProcessMono or ProcessStereo
// (fixed: the Fixed paths); true when the outputs and the current sets agree.
bool Alike(CIIR& f, SPlainFilter& p, const double (*in)[64], int channels, int n, bool fixed = false)
{
    double a[2][64], e[2][64];
    std::copy(&in[0][0], &in[0][0] + 64 * channels, &a[0][0]);
    std::copy(&in[0][0], &in[0][0] + 64 * channels, &e[0][0]);
    double* pe[2] = {e[0], e[1]};
    if (channels == 1)
        fixed ? f.ProcessMonoFixed(a[0], n) : f.ProcessMono(a[0], n);
    else
        fixed ? f.ProcessStereoFixed(a[0], a[1], n) : f.ProcessStereo(a[0], a[1], n);
    fixed ? p.Fixed(pe, channels, n) : p.Block(pe, channels, n);
    return Same(a[0], e[0], n) && Same(a[1], e[1], channels == 2 ? n : 0) && Same(f.Current().data(), p.cur.data(), 6);
}

}  // namespace

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
    // A 12 dB section peaks at Q (linear) at its corner (Butterworth: the design tests):
    // Q 2 +6 dB.
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
                    const double db
                        = 20 * std::log10(std::abs((c[0] + c[1] * z + c[2] * z * z) / (1.0 + c[3] * z + c[4] * z * z)));
                    (std::fabs(db) > std::fabs(0.875 * gain) ? inside : outside) = m;
                }
                return inside;
            };
            const double w0 = kTwoPi * 1000 / kR;
            EXPECT_NEAR((edge(w0, 3.1) - edge(w0, 1e-4)) * kR / kTwoPi, 1000 / (2 * q), 0.01);
        }
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

// Random designs (a quarter of them flat, a third of the bells and shelves at 0 dB),
// held for a few blocks or long enough to settle, fed noise, +0 and −0 silence, zeros
// inside noise and values in the flushed range, in blocks of 0 to 64 frames, with
// Prime, per-sample and fixed calls mixed in.
TEST(IIRExactness, EveryPathMatchesThePlainFilterBitForBit)
{
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    static const int kSizes[] = {0, 1, 2, 3, 17, 32, 32, 32, 64};
    for (int rate : {44100, 96000}) {
        SCOPED_TRACE(rate);
        CIIR stereo, mono;
        SPlainFilter plainStereo(stereo), plainMono(mono);
        int settledFlat = 0;
        // The hidden state, compared through its effect: copies switched to a 48 dB
        // cut (all four stages) and then an 18 dB cut (the one-pole) go on alike.
        auto probe = [&](CIIR f, SPlainFilter p, int channels) {
            double in[2][64];
            for (int i = 0; i < 64; ++i)
                in[0][i] = in[1][i] = std::sin(i + 1.0);
            for (int type : {int(CIIR::kLowCut48), int(CIIR::kHighCut18)}) {
                f.Design(type, rate, 3000, 0, 2);
                p.Follow(f, type);
                ASSERT_TRUE(Alike(f, p, in, channels, 16)) << "state, channels " << channels;
            }
        };
        for (int episode = 0; episode < 24; ++episode) {
            const bool hold = episode % 4 == 0;
            const int type = hold && episode % 8 == 0 ? -1 : int(gen() % 17) - 4;  // < 0: flat
            const double freq = 16 * std::pow(1275.0, u(gen)), q = 0.1 * std::pow(1000.0, u(gen));
            const double gain = gen() % 3 == 0 ? 0.0 : -24 + 42 * u(gen);
            stereo.Design(type, rate, freq, gain, q);
            mono.Design(type, rate, freq, gain, q);
            plainStereo.Follow(stereo, type);
            plainMono.Follow(mono, type);
            if (gen() % 4 == 0) {
                const double level[] = {0.0, -0.0, 1e-12, 0.3};
                const double v = level[gen() % 4];
                stereo.Prime(v), mono.Prime(v), plainStereo.Prime(v), plainMono.Prime(v);
            }
            for (int b = 0, blocks = hold ? 5000 * rate / 44100 : 30; b < blocks; ++b) {
                const int n = kSizes[gen() % 9], kind = int(gen() % 6);
                double in[2][64] = {};
                for (int c = 0; c < 2; ++c)
                    for (int i = 0; i < n; ++i) {
                        const double v = 2 * u(gen) - 1, zero = gen() % 2 ? 0.0 : -0.0;
                        in[c][i] = kind == 0 ? v
                            : kind == 1      ? 0.0
                            : kind == 2      ? -0.0
                            : kind == 3      ? (gen() % 4 == 0 ? zero : v)
                            : kind == 4      ? v * 1e-12
                                             : v * 1e6;
                    }
                // Every 50th block takes the detectors' fixed path or the per-sample one.
                ASSERT_TRUE(Alike(stereo, plainStereo, in, 2, n, b % 50 == 7)) << "stereo " << b;
                if (b % 50 == 13) {
                    for (int i = 0; i < n; ++i)
                        ASSERT_EQ(mono.ProcessSample(in[0][i]), plainMono.Sample(in[0][i]));
                    mono.FlushState();
                    plainMono.FlushAll();
                } else {
                    ASSERT_TRUE(Alike(mono, plainMono, in, 1, n)) << "mono " << b;
                }
                if ((n == 1 && b % 4 == 0) || b % 25 == 0) {
                    probe(stereo, plainStereo, 2);
                    probe(mono, plainMono, 1);
                }
            }
            if (plainStereo.cur == plainStereo.tgt && plainStereo.tgt[0] == 1.0 && plainStereo.tgt[4] == 0.0)
                ++settledFlat;
        }
        EXPECT_GE(settledFlat, 3);  // the identity shortcut really ran
    }
}

// The EQ runs its bands as one series: with either kernel, the output and every band's
// state must be those of the plain filters run one after another.
TEST(IIRExactness, FiltersInSeriesMatchThePlainFiltersOneAfterAnother)
{
    static const int kSizes[] = {1, 2, 5, 6, 7, 12, 13, 32, 32, 64};
    for (auto kernel : {biquad::ESeriesKernel::kPairs, biquad::ESeriesKernel::kOctets}) {
        if (!biquad::CpuRuns(kernel))
            continue;
        SCOPED_TRACE(int(kernel));
        std::mt19937 gen(5);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        std::vector<CIIR> bands(6);
        std::vector<SPlainFilter> plain;
        for (const CIIR& b : bands)
            plain.emplace_back(b);
        int longest = 0;
        for (int episode = 0; episode < 60; ++episode) {
            // Mostly steep cuts and bells, sometimes flat bands, 18 dB cuts or a redesign
            // of one band so that it glides.
            for (int k = 0; k < 6; ++k) {
                if (episode > 0 && gen() % 3 != 0)
                    continue;
                const int roll = int(gen() % 10);
                const int type = roll < 4 ? (gen() % 2 ? CIIR::kLowCut48 : CIIR::kHighCut36)
                    : roll < 7            ? CIIR::kBell
                    : roll < 8            ? -1
                                          : int(gen() % CIIR::kTypeCount);
                bands[k].Design(type, kR, 30 * std::pow(600.0, u(gen)), -12 + 24 * u(gen), 0.3 + 3 * u(gen));
                plain[k].Follow(bands[k], type);
            }
            for (int block = 0; block < 20; ++block) {
                const int n = kSizes[gen() % 10];
                double a[2][64], e[2][64];
                for (int c = 0; c < 2; ++c)
                    for (int i = 0; i < n; ++i)
                        a[c][i] = e[c][i] = (2 * u(gen) - 1) * (block % 5 == 4 ? 0.0 : 1.0);
                // Soloing skips bands, as the EQ does.
                const int skip = episode % 4 == 3 ? int(gen() % 6) : -1;
                CIIRSeries series(a[0], a[1], n, kernel);
                int stages = 0;
                double* pe[2] = {e[0], e[1]};
                for (int k = 0; k < 6; ++k) {
                    if (k == skip)
                        continue;
                    series.Add(bands[k]);
                    plain[k].Block(pe, 2, n);
                    stages += plain[k].stages;
                }
                series.Finish();
                longest = std::max(longest, stages);
                ASSERT_TRUE(Same(a[0], e[0], n) && Same(a[1], e[1], n)) << episode << " " << block;
                for (int k = 0; k < 6; ++k)
                    ASSERT_TRUE(Same(bands[k].Current().data(), plain[k].cur.data(), 6)) << k;
            }
        }
        EXPECT_GE(longest, 16);  // long cascades really ran
    }
}

TEST(IIRExactness, NonFiniteInputStuckGlidesSubnormalModesAndTheOnePoleAlone)
{
    double in[2][64];
    auto fill = [&](double v) { std::fill(&in[0][0], &in[0][0] + 128, v); };

    // An infinity poisons the state of any filter, flat included, and keeps doing so.
    CIIR flat;
    flat.Reset();
    SPlainFilter plainFlat(flat);
    for (int b = 0; b < 4; ++b) {
        fill(0.5);
        in[0][5] = in[1][9] = b == 1 ? HUGE_VAL : 0.5;
        ASSERT_TRUE(Alike(flat, plainFlat, in, 2, 32)) << b;
    }
    EXPECT_TRUE(std::isnan(plainFlat.s[0][0][2]));  // y[n-1]: still poisoned

    // At high rates a coefficient near ±2 can stop gliding short of the snap distance
    // (its step rounds away): settled, yet never on the target.
    CIIR stuck;
    stuck.DesignHighCut12(384000, 20, 1);
    SPlainFilter plainStuck(stuck);
    const std::vector<double> noise = Noise(32);
    std::copy(noise.begin(), noise.end(), in[0]);
    for (int b = 0; b < 21000; ++b)
        ASSERT_TRUE(Alike(stuck, plainStuck, in, 1, 32)) << b;
    EXPECT_NE(stuck.Current(), stuck.Target());

#if defined(__SSE2__)
    // Hosts may run the audio thread with flush-to-zero and/or denormals-are-zero; a
    // flat band must then treat subnormal input exactly as the arithmetic would.
    const unsigned csr = _mm_getcsr();
    for (unsigned mode : {0x8000u, 0x0040u, 0x8040u}) {
        _mm_setcsr(csr | mode);
        CIIR f;
        f.Reset();
        SPlainFilter p(f);
        for (int b = 0; b < 3; ++b) {
            fill(0.5);
            in[0][3] = in[1][4] = b == 1 ? 1e-310 : -1e-310;
            EXPECT_TRUE(Alike(f, p, in, 2, 32)) << std::hex << mode;
        }
    }
    _mm_setcsr(csr);
#endif

    // Above 20/21 of Nyquist only the one-pole moves: the per-sample path (five
    // coefficients) finds the biquad settled, and the block path must still glide c.
    CIIR f;
    f.DesignHighCut18(32000, 16000, 1);
    f.Reset();
    f.DesignHighCut18(32000, 20000, 1);
    SPlainFilter p(f);
    fill(0.25);
    for (int b = 0; b < 3; ++b) {
        ASSERT_EQ(f.ProcessSample(0.25), p.Sample(0.25));
        ASSERT_TRUE(Alike(f, p, in, 1, 32));
    }
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
                        firstOrder ? 1.0 : 0.01 + 0.002 * std::fabs(out[i]))
                << type << " @" << i;
        }
    }
    // At 32 kHz the audio resonance is held at 20/21 of Nyquist; the display (the same
    // for any audio rate, the design tests) still draws it at 18 kHz.
    f.DesignHighCut12(32000, 18000, 4);
    EXPECT_NEAR(GainDb(f, 32000, 32000 * 0.5 * 20 / 21), 12.04, 0.01);
    f.DesignDisplay(CIIR::kHighCut12, 32000, 18000, 0, 4);
    f.GetDisplayResponse(out.data(), CIIR::kDisplayPoints);
    const auto peak = std::max_element(out.begin(), out.end()) - out.begin();
    EXPECT_NEAR(CIIR::DisplayFrequency(int(peak)), 18000, 18000 * 0.02);
    EXPECT_NEAR(out[peak], 12.04, 0.3);  // the grid steps 1.5 % past a narrow peak

    // Only the first n points become dB; the rest stay linear.
    f.DesignDisplay(CIIR::kLowCut48, 44100, 800, 0, 0.5);
    f.GetDisplayResponse(out.data(), CIIR::kDisplayPoints);
    f.GetDisplayResponse(other.data(), 10);
    EXPECT_EQ(other[9], out[9]);
    EXPECT_LT(other[9], -60);
    EXPECT_GT(other[10], 0.0f);
    EXPECT_NEAR(other[300], std::pow(10.0f, out[300] / 20), 1e-5 * other[300]);  // at -8.6 dB
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
