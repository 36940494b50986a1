// The 2x oversampling filter: the tap table's response, and the resampler that
// runs it.
#include "dsp/MultirateFir.h"
#include "dsp/OversamplingTaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace {

constexpr int N = kOversamplingTapCount;
const double kPi = std::acos(-1.0);

// |H| in dB at f, in units of the host rate fs; the filter runs at 2*fs.
double ResponseDb(double f)
{
    std::complex<double> sum = 0.0;
    for (int k = 0; k < N; ++k)
        sum += kOversamplingTaps[k] * std::polar(1.0, -kPi * f * k);
    return 20.0 * std::log10(std::abs(sum));
}

std::vector<float> Noise(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> v(n);
    for (float& x : v)
        x = dist(rng);
    return v;
}

// The resampler's definition evaluated directly, in double: zero-stuff by L at
// phase a, convolve with h, keep every M-th sample from phase b.
std::vector<double> Reference(const std::vector<float>& x, const std::vector<double>& h, int L, int a, int M, int b)
{
    std::vector<double> u(x.size() * L, 0.0);
    for (size_t q = 0; q < x.size(); ++q)
        u[q * L + a] = x[q];
    std::vector<double> y;
    for (size_t j = b; j < u.size(); j += M) {
        double v = 0.0;
        for (size_t k = 0; k < h.size() && k <= j; ++k)
            v += h[k] * u[j - k];
        y.push_back(v);
    }
    return y;
}

// Host-rate signal in, host-rate signal out: up-sample, restore the level lost to
// zero-stuffing, down-sample.
class Roundtrip {
public:
    explicit Roundtrip(int maxHost)
        : up_(kOversamplingTaps, N, 2, 0, 1, 0, maxHost), down_(kOversamplingTaps, N, 1, 0, 2, 1, 2 * maxHost),
          mid_(2 * maxHost)
    {}
    void Process(const float* in, float* out, int n)
    {
        EXPECT_EQ(up_.Process(in, mid_.data(), n), 2 * n);
        for (int i = 0; i < 2 * n; ++i)
            mid_[i] *= 2.0f;
        EXPECT_EQ(down_.Process(mid_.data(), out, 2 * n), n);
    }
    std::vector<float> Run(const std::vector<float>& in, int chunk)
    {
        std::vector<float> out(in.size());
        for (size_t i = 0; i < in.size(); i += chunk)
            Process(in.data() + i, out.data() + i, static_cast<int>(std::min<size_t>(chunk, in.size() - i)));
        return out;
    }

private:
    MultirateFir up_, down_;
    std::vector<float> mid_;
};

// x through the filter in calls of the given sizes, cycling through them.
std::vector<float> RunInCalls(MultirateFir& fir, const std::vector<float>& x, const std::vector<int>& sizes)
{
    std::vector<float> y, out(2 * x.size());
    for (size_t i = 0, s = 0; i < x.size(); s = (s + 1) % sizes.size()) {
        const int n = static_cast<int>(std::min<size_t>(sizes[s], x.size() - i));
        const int produced = fir.Process(x.data() + i, out.data(), n);
        y.insert(y.end(), out.begin(), out.begin() + produced);
        i += static_cast<size_t>(n);
    }
    return y;
}

}  // namespace

TEST(OversamplingTaps, SymmetricUnityDcAndEqualPolyphaseHalves)
{
    long double even = 0, odd = 0;
    for (int k = 0; k < N; ++k) {
        EXPECT_EQ(kOversamplingTaps[k], kOversamplingTaps[N - 1 - k]) << "k=" << k;
        (k % 2 == 0 ? even : odd) += kOversamplingTaps[k];
    }
    EXPECT_NEAR(static_cast<double>(even + odd), 1.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(even), 0.5, 1e-15);
    EXPECT_NEAR(static_cast<double>(odd), 0.5, 1e-15);
    EXPECT_EQ(std::max_element(kOversamplingTaps, kOversamplingTaps + N) - kOversamplingTaps, 279);
}

TEST(OversamplingTaps, PassbandFlatAndStopbandDeep)
{
    // About 70 points per stop-band side lobe (lobes are 2/560 fs wide).
    double worstPass = 0.0, loudestStop = -1000.0;
    for (int i = 0; i <= 10000; ++i) {
        worstPass = std::max(worstPass, std::fabs(ResponseDb(0.45 * i / 10000)));
        loudestStop = std::max(loudestStop, ResponseDb(0.5 + 0.5 * i / 10000));
    }
    EXPECT_LE(worstPass, 0.00001);
    EXPECT_LE(loudestStop, -163.5);
}

// Each level is crossed within 0.0002 fs of the listed frequency: the listed
// figures are rounded to 0.0001 fs. The fall is checked to be monotonic, so the
// bracket holds the only crossing.
TEST(OversamplingTaps, TransitionBandCrossesLevelsWhereListed)
{
    const struct {
        double db, f;
    } kTable[] = {{-0.01, 0.461}, {-0.1, 0.4646}, {-1, 0.4698},   {-3, 0.4733},  {-6, 0.4762},
                  {-20, 0.4829},  {-60, 0.4915},  {-100, 0.4962}, {-140, 0.4990}};
    constexpr double kTolerance = 0.0002;
    for (const auto& row : kTable) {
        EXPECT_GT(ResponseDb(row.f - kTolerance), row.db) << row.db << " dB";
        EXPECT_LT(ResponseDb(row.f + kTolerance), row.db) << row.db << " dB";
    }
    double previous = ResponseDb(0.455);
    for (double f = 0.4551; f <= 0.5; f += 0.0001) {
        const double db = ResponseDb(f);
        ASSERT_LT(db, previous) << "f=" << f;
        previous = db;
    }
}

// Random signals and taps against the definition: the two oversampling
// converters, and factor pairs whose periods span several outputs and inputs.
TEST(OversamplingFir, MatchesDirectDefinition)
{
    const struct {
        int L, a, M, b;
    } kConfigs[] = {{2, 0, 1, 0}, {1, 0, 2, 1}, {3, 1, 2, 1}, {2, 1, 3, 0}};
    std::vector<double> taps(37);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    for (double& t : taps)
        t = dist(rng);
    const std::vector<float> x = Noise(600, 1);
    for (const auto& c : kConfigs) {
        MultirateFir fir(taps.data(), static_cast<int>(taps.size()), c.L, c.a, c.M, c.b, 60);
        const std::vector<double> want = Reference(x, taps, c.L, c.a, c.M, c.b);
        std::vector<float> got;
        float out[120];
        for (size_t i = 0; i < x.size(); i += 60) {
            const int produced = fir.Process(x.data() + i, out, 60);
            got.insert(got.end(), out, out + produced);
        }
        ASSERT_EQ(got.size(), want.size()) << c.L << "/" << c.M;
        for (size_t m = 0; m < want.size(); ++m)
            ASSERT_NEAR(got[m], want[m], 4e-5) << c.L << "/" << c.M << " output " << m;
    }
}

// The symmetric kernels on the oversampling taps and on a short random symmetric
// set, in whole and in ragged calls (partial vectors, history moved back) after a reset
// that must leave no trace of the whole run.
// Noise: within a few float roundings of the output peak of the exact result, and
// of the reference kernel, whose own rounding over 560 terms reaches about ten.
// An impulse: each output is one tap, so a tap lost or misplaced shows however
// small it is; a tap rebuilt from the half sum and difference of its pair keeps
// the larger one's precision. Kernels doing the same operations in the same order
// must agree exactly: across call sizes, SSE with AVX, and AVX2 with AVX-512.
TEST(OversamplingFir, SymmetricKernelsMatchReference)
{
    using K = MultirateFir::EKernel;
    std::vector<double> shortTaps(36);
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    for (size_t k = 0; k < 18; ++k)
        shortTaps[k] = shortTaps[35 - k] = dist(rng);
    const std::vector<double> longTaps(kOversamplingTaps, kOversamplingTaps + N);

    const struct {
        int L, a, M, b;
        std::vector<int> ragged;
    } kConfigs[] = {{2, 0, 1, 0, {1, 31, 7, 32, 16, 3, 17, 9}}, {1, 0, 2, 1, {2, 62, 14, 64, 32, 6, 34, 18}}};
    const std::vector<float> noise = Noise(3000, 5);
    std::vector<float> impulse(1500, 0.0f);
    impulse[3] = 1.0f;
    const std::vector<double>* const kTapSets[] = {&longTaps, &shortTaps};
    for (const std::vector<double>* taps : kTapSets) {
        const int count = static_cast<int>(taps->size());
        for (const auto& c : kConfigs) {
            const int maxIn = 32 * c.M;
            const std::vector<double> exact = Reference(noise, *taps, c.L, c.a, c.M, c.b);
            double peak = 0.0;
            for (double v : exact)
                peak = std::max(peak, std::fabs(v));
            const double ulp = FLT_EPSILON * peak;
            MultirateFir reference(taps->data(), count, c.L, c.a, c.M, c.b, maxIn, K::kReference);
            const std::vector<float> scalar = RunInCalls(reference, noise, {maxIn});
            reference.Reset();
            const std::vector<float> scalarImpulse = RunInCalls(reference, impulse, {maxIn});

            std::vector<float> fused, unfused;
            for (K kernel : {K::kSymmetric, K::kSymmetricAvx, K::kSymmetricAvx2, K::kSymmetricAvx512}) {
                if (!MultirateFir::CpuRuns(kernel))
                    continue;
                SCOPED_TRACE(testing::Message()
                             << count << " taps, " << c.L << "/" << c.M << ", kernel " << static_cast<int>(kernel));
                MultirateFir fir(taps->data(), count, c.L, c.a, c.M, c.b, maxIn, kernel);
                ASSERT_EQ(fir.GetKernel(), kernel);
                const std::vector<float> whole = RunInCalls(fir, noise, {maxIn});
                fir.Reset();
                const std::vector<float> pieces = RunInCalls(fir, noise, c.ragged);
                ASSERT_EQ(whole.size(), scalar.size());
                ASSERT_EQ(pieces, whole);
                for (size_t i = 0; i < whole.size(); ++i) {
                    ASSERT_NEAR(whole[i], exact[i], 4 * ulp) << i;
                    ASSERT_NEAR(whole[i], scalar[i], 16 * ulp) << i;
                }
                std::vector<float>& same = kernel == K::kSymmetric || kernel == K::kSymmetricAvx ? unfused : fused;
                if (same.empty())
                    same = whole;
                EXPECT_EQ(whole, same);

                fir.Reset();
                const std::vector<float> got = RunInCalls(fir, impulse, c.ragged);
                for (size_t i = 0; i < got.size(); ++i)
                    ASSERT_NEAR(got[i], scalarImpulse[i], 1e-4 * std::fabs(scalarImpulse[i])) << i;
            }
        }
    }
}

TEST(Oversampling, ImpulseComesOutAt279WithUnityDcGain)
{
    std::vector<float> x(1024, 0.0f);
    x[0] = 1.0f;
    const std::vector<float> y = Roundtrip(32).Run(x, 32);
    auto absLess = [](float p, float q) { return std::fabs(p) < std::fabs(q); };
    EXPECT_EQ(std::max_element(y.begin(), y.end(), absLess) - y.begin(), 279);
    double sum = 0.0;
    for (int m = 0; m < 1024; ++m) {
        sum += y[m];
        if (m <= 279) {  // linear phase: ringing is symmetric about the peak
            EXPECT_NEAR(y[279 - m], y[279 + m], 1e-7) << m;
        }
    }
    EXPECT_NEAR(sum, 1.0, 1e-6);
    EXPECT_EQ(y[279 + 280], 0.0f);  // both filters have run out

    const std::vector<float> dc = Roundtrip(32).Run(std::vector<float>(1024, 0.25f), 32);
    for (int m = 559; m < 1024; ++m)
        ASSERT_NEAR(dc[m], 0.25f, 1e-6f) << m;
}

// A sine at 0.45 fs keeps its level within 0.01 dB and comes out 279 samples late:
// fit amplitude and phase over the settled part of the output.
TEST(Oversampling, SineAtPassbandEdgeKeepsLevelAndDelay)
{
    constexpr int kLength = 4096;
    const double w = 2.0 * kPi * 0.45;
    std::vector<float> x(kLength);
    for (int m = 0; m < kLength; ++m)
        x[m] = static_cast<float>(0.5 * std::sin(w * m));
    const std::vector<float> y = Roundtrip(32).Run(x, 32);

    double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
    for (int m = 1024; m < kLength; ++m) {
        const double s = std::sin(w * (m - 279)), c = std::cos(w * (m - 279));
        ss += s * s;
        sc += s * c;
        cc += c * c;
        ys += y[m] * s;
        yc += y[m] * c;
    }
    const double det = ss * cc - sc * sc;
    const double inPhase = (ys * cc - yc * sc) / det;  // coefficient of the delayed sine
    const double quadrature = (yc * ss - ys * sc) / det;
    EXPECT_LT(std::fabs(20.0 * std::log10(std::hypot(inPhase, quadrature) / 0.5)), 0.01);
    EXPECT_NEAR(std::atan2(quadrature, inPhase), 0.0, 1e-4);
}

// The oversampler's two converters (up by 2, down by 2 keeping the odd samples), each
// with call sizes that start and end inside vector tiles.
struct SConverter {
    int L, a, M, b;
    std::vector<int> sizes;
    int MaxInput() const { return 32 * M; }
    MultirateFir Make(MultirateFir::EKernel kernel) const
    {
        return MultirateFir(kOversamplingTaps, N, L, a, M, b, MaxInput(), kernel);
    }
};
const SConverter kConverters[] = {{2, 0, 1, 0, {32, 1, 31, 7, 32, 16, 3}}, {1, 0, 2, 1, {64, 2, 62, 14, 64, 32, 6}}};

// f(converter, kernel) for both converters and every kernel this CPU runs.
template <class F>
void ForEachConverterAndKernel(F f)
{
    using K = MultirateFir::EKernel;
    for (const SConverter& c : kConverters)
        for (K kernel : {K::kReference, K::kSymmetric, K::kSymmetricAvx, K::kSymmetricAvx2, K::kSymmetricAvx512}) {
            if (!MultirateFir::CpuRuns(kernel))
                continue;
            SCOPED_TRACE(testing::Message() << c.L << "/" << c.M << ", kernel " << static_cast<int>(kernel));
            f(c, kernel);
        }
}

// Two channels in one call give each channel exactly what a call of its own gives, in
// whole and ragged calls, with the two channels' histories at different places (one
// reset halfway), for every kernel.
TEST(OversamplingFir, PairsGiveEachChannelItsOwnResult)
{
    const std::vector<float> left = Noise(2400, 7), right = Noise(2400, 8);
    ForEachConverterAndKernel([&](const SConverter& c, MultirateFir::EKernel kernel) {
        const int maxIn = c.MaxInput();
        auto make = [&] { return c.Make(kernel); };
        MultirateFir pairL = make(), pairR = make(), soloL = make(), soloR = make();
        std::vector<float> outs[4];
        std::vector<float> buffer[4];
        for (auto& b : buffer)
            b.resize(2 * static_cast<size_t>(maxIn));
        for (size_t i = 0, s = 0, call = 0; i < left.size(); s = (s + 1) % c.sizes.size(), ++call) {
            const int n = static_cast<int>(std::min<size_t>(c.sizes[s], left.size() - i));
            if (call == 40) {
                pairR.Reset();
                soloR.Reset();
            }
            MultirateFir::ProcessPair(pairL, &left[i], buffer[0].data(), pairR, &right[i], buffer[1].data(), n);
            const int produced = soloL.Process(&left[i], buffer[2].data(), n);
            soloR.Process(&right[i], buffer[3].data(), n);
            for (int k = 0; k < 4; ++k)
                outs[k].insert(outs[k].end(), buffer[k].begin(), buffer[k].begin() + produced);
            i += static_cast<size_t>(n);
        }
        EXPECT_EQ(outs[0], outs[2]);
        EXPECT_EQ(outs[1], outs[3]);
    });
}

// A converter that only took a stretch of calls into its history (long enough for the
// history to move back in its buffer) goes on exactly as one that converted them.
TEST(OversamplingFir, SkippedCallsLeaveTheHistoryAsConvertingDoes)
{
    const std::vector<float> x = Noise(12000, 9);
    ForEachConverterAndKernel([&](const SConverter& c, MultirateFir::EKernel kernel) {
        const int maxIn = c.MaxInput();
        MultirateFir converting = c.Make(kernel), skipping = c.Make(kernel);
        std::vector<float> a(2 * static_cast<size_t>(maxIn)), b(a.size());
        int compared = 0;
        for (size_t i = 0, s = 0, call = 0; i < x.size(); s = (s + 1) % c.sizes.size(), ++call) {
            const int n = static_cast<int>(std::min<size_t>(c.sizes[s], x.size() - i));
            const int produced = converting.Process(&x[i], a.data(), n);
            if (call >= 10 && call < 130) {
                skipping.Skip(&x[i], n);
            } else {
                ASSERT_EQ(skipping.Process(&x[i], b.data(), n), produced);
                ASSERT_TRUE(std::equal(a.begin(), a.begin() + produced, b.begin())) << call;
                compared += produced;
            }
            i += static_cast<size_t>(n);
        }
        EXPECT_GT(compared, 1000);
    });
}
