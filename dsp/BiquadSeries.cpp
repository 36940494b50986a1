#include "dsp/BiquadSeries.h"

#include "dsp/simd/Cpu.h"
#include "dsp/simd/Vector.h"

#include "dsp/BiquadKernel.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <utility>

namespace biquad {
namespace {

// Frames per pass through the interleaved buffer.
constexpr int32_t kBlock = 64;

// ---- Pairs: Stages stages sample by sample, both channels in one Pair. Running the
// stages together rather than block after block lets their feedback chains overlap.
// The samples come from and go back to an interleaved buffer or the two channels.
struct SInterleaved {
    Pair* x;
    Pair Load(int32_t i) const { return x[i]; }
    void Store(int32_t i, Pair v) const { x[i] = v; }
};

struct SChannels {
    double* left;
    double* right;
    Pair Load(int32_t i) const { return Pair{left[i], right[i]}; }
    void Store(int32_t i, Pair v) const { left[i] = v[0], right[i] = v[1]; }
};

// Floats in, floats out, each side scaled by its gain: x[i] = inGain · double(in[i]) and
// out[i] = float(outGain · y[i]), the products rounded in double as the separate
// conversions round them. The outputs are scanned in double as they are stored.
struct SFloatChannels {
    const float* inLeft;
    const float* inRight;
    float* outLeft;
    float* outRight;
    Pair inGain;
    Pair outGain;
    Pair peak{};     // largest |outGain · y| per channel; peak < v ? v : peak passes NaNs over
    PairBits nan{};  // a NaN seen, per channel

    Pair Load(int32_t i) const { return inGain * Pair{double(inLeft[i]), double(inRight[i])}; }
    void Store(int32_t i, Pair v)
    {
        const Pair y = outGain * v;
        outLeft[i] = static_cast<float>(y[0]), outRight[i] = static_cast<float>(y[1]);
        const Pair magnitude = pairs::AbsPair(y);
        peak = peak < magnitude ? magnitude : peak;
        nan |= y != y;
    }
};

template <int32_t Stages, typename Samples>
void RunPairs(const SStereoBiquad* stages, Samples&& x, int32_t n)
{
    SCoefficients<Pair> c[Stages];
    SSection<Pair> s[Stages];
    for (int32_t k = 0; k < Stages; ++k) {
        c[k] = SCoefficients<Pair>(stages[k].coefficients);
        s[k] = LoadSection(stages[k].left, stages[k].right);
    }
    // A copy the loop can keep in registers; what Store gathers goes back at the end.
    std::remove_reference_t<Samples> samples = x;
    for (int32_t i = 0; i < n; ++i) {
        Pair v = samples.Load(i);
#pragma GCC unroll 4
        for (int32_t k = 0; k < Stages; ++k)
            v = Section(c[k], s[k], v);
        samples.Store(i, v);
    }
    x = samples;
    for (int32_t k = 0; k < Stages; ++k)
        StoreSection(s[k], stages[k].left, stages[k].right);
}

// The last one to three stages of a series.
template <typename Samples>
void RunRest(const SStereoBiquad* stages, int32_t count, Samples&& x, int32_t n)
{
    switch (count) {
    case 3:
        RunPairs<3>(stages, x, n);
        break;
    case 2:
        RunPairs<2>(stages, x, n);
        break;
    case 1:
        RunPairs<1>(stages, x, n);
        break;
    default:
        break;
    }
}

// ---- Skewed: stages side by side in wide vectors, W stages (both channels each) per
// vector of 2W doubles, NV vectors, S = W·NV stages.
//
// Stage s runs two samples behind stage s − 1: at step t it takes sample t − 2s, whose
// value stage s − 1 produced two steps earlier. A step then waits on the step before
// only through each stage's own feedback, not through the whole cascade, and W stages
// cost one vector section. Over the n + 2(S − 1) steps every stage computes every time;
// stage s works on real samples from step 2s to step n − 1 + 2s, so its state is put
// back to where it was when it starts, and taken when it ends.
//
// Instantiated only inside functions built for AVX-512F (narrower vectors gained little
// over the pairs once the ramps are paid for). Nothing is contracted (AVX-512F includes
// fused multiply-add, but every target builds with -ffp-contract=off), so every lane
// still rounds each product and each sum.
template <int32_t W>
struct SWide {
    typedef typename simd::SVector<double, 2 * W>::V Vec;
    typedef typename simd::SVector<int64_t, 2 * W>::V Bits;
};

template <int32_t W, int32_t NV>
struct SSkewed {
    using Vec = typename SWide<W>::Vec;
    using VecBits = typename SWide<W>::Bits;
    static constexpr int32_t kStages = W * NV, kLanes = 2 * W, kSpan = 2 * (kStages - 1);

    // The state of every stage: x[n−1], x[n−2], y[n−1], y[n−2].
    struct SState {
        Vec x1[NV], x2[NV], y1[NV], y2[NV];
    };

    Vec b0[NV], b1[NV], b2[NV], a1[NV], a2[NV];
    SState now, start, end;
    // Each stage's outputs of the last two steps.
    Vec last[NV], earlier[NV];
    // Lane l of a vector's input is lane l − 2 of (earlier outputs of the vector before,
    // earlier outputs of this one): each stage takes the previous stage's output.
    VecBits shift;

    __attribute__((always_inline)) void Load(const SStereoBiquad* stages)
    {
        for (int32_t j = 0; j < NV; ++j) {
            for (int32_t l = 0; l < kLanes; ++l) {
                const SStereoBiquad& stage = stages[W * j + l / 2];
                const double* c = stage.coefficients;
                const double* v = l % 2 ? stage.right : stage.left;
                b0[j][l] = c[0], b1[j][l] = c[1], b2[j][l] = c[2], a1[j][l] = c[3], a2[j][l] = c[4];
                now.x1[j][l] = v[0], now.x2[j][l] = v[1], now.y1[j][l] = v[2], now.y2[j][l] = v[3];
                last[j][l] = earlier[j][l] = 0.0;
            }
        }
        start = now;
        for (int32_t l = 0; l < kLanes; ++l)
            shift[l] = l + kLanes - 2;
    }

    __attribute__((always_inline)) void Store(const SStereoBiquad* stages) const
    {
        for (int32_t j = 0; j < NV; ++j) {
            for (int32_t l = 0; l < kLanes; ++l) {
                const SStereoBiquad& stage = stages[W * j + l / 2];
                double* v = l % 2 ? stage.right : stage.left;
                v[0] = end.x1[j][l], v[1] = end.x2[j][l], v[2] = end.y1[j][l], v[3] = end.y2[j][l];
            }
        }
    }

    // Stage S's lanes of from copied into to, as one two-source shuffle per vector.
    template <int32_t S>
    __attribute__((always_inline)) static void CopyStage(SState& to, const SState& from)
    {
        constexpr int32_t j = S / W, first = 2 * (S % W);
        VecBits pick;
        for (int32_t l = 0; l < kLanes; ++l)
            pick[l] = l == first || l == first + 1 ? l + kLanes : l;
        simd::Shuffle(to.x1[j], to.x1[j], from.x1[j], pick);
        simd::Shuffle(to.x2[j], to.x2[j], from.x2[j], pick);
        simd::Shuffle(to.y1[j], to.y1[j], from.y1[j], pick);
        simd::Shuffle(to.y2[j], to.y2[j], from.y2[j], pick);
    }

    // Ramp-up step T: stage s starts at step 2s from its stored state.
    template <int32_t T>
    __attribute__((always_inline)) void RampUp(const Pair* x)
    {
        if constexpr (T % 2 == 0 && T > 0)
            CopyStage<T / 2>(now, start);
        Step(x[T]);
    }

    // Ramp-down step D after the last sample: stage s ends after step n − 1 + 2s.
    template <int32_t D>
    __attribute__((always_inline)) void RampDown(Pair* x, int32_t n)
    {
        x[n - kSpan + D] = Step(Pair{0.0, 0.0});
        if constexpr (D % 2 == 1)
            CopyStage<(D + 1) / 2>(end, now);
    }

    template <int32_t... T>
    __attribute__((always_inline)) void RunRamps(const SStereoBiquad* stages, Pair* x, int32_t n,
                                                 std::integer_sequence<int32_t, T...>)
    {
        Load(stages);
        (RampUp<T>(x), ...);
        CopyStage<kStages - 1>(now, start);
        for (int32_t t = kSpan; t < n; ++t)
            x[t - kSpan] = Step(x[t]);
        end = now;
        (RampDown<T>(x, n), ...);
        Store(stages);
    }

    // One step; returns the last stage's output.
    __attribute__((always_inline)) Pair Step(const Pair& in)
    {
        Vec head{};
        head[kLanes - 2] = in[0];
        head[kLanes - 1] = in[1];
        Vec input[NV];
        simd::Shuffle(input[0], head, earlier[0], shift);
#pragma GCC unroll 4
        for (int32_t j = 1; j < NV; ++j)
            simd::Shuffle(input[j], earlier[j - 1], earlier[j], shift);
#pragma GCC unroll 4
        for (int32_t j = 0; j < NV; ++j) {
            // y = b0·in + b1·x1 + b2·x2 − a1·y1 − a2·y2, left to right, in every lane.
            const Vec y
                = b0[j] * input[j] + b1[j] * now.x1[j] + b2[j] * now.x2[j] - a1[j] * now.y1[j] - a2[j] * now.y2[j];
            now.x2[j] = now.x1[j];
            now.x1[j] = input[j];
            now.y2[j] = now.y1[j];
            now.y1[j] = y;
            earlier[j] = last[j];
            last[j] = y;
        }
        return Pair{last[NV - 1][kLanes - 2], last[NV - 1][kLanes - 1]};
    }

    // n > kSpan.
    __attribute__((always_inline)) void Run(const SStereoBiquad* stages, Pair* x, int32_t n)
    {
        RunRamps(stages, x, n, std::make_integer_sequence<int32_t, kSpan>());
    }
};

template <int32_t W, int32_t NV>
__attribute__((always_inline)) inline void RunSkewed(const SStereoBiquad* stages, Pair* x, int32_t n)
{
    if (n <= SSkewed<W, NV>::kSpan) {
        for (int32_t s = 0; s < W * NV; ++s)
            RunPairs<1>(stages + s, SInterleaved{x}, n);
        return;
    }
    SSkewed<W, NV> run;
    run.Run(stages, x, n);
}

// Twelve, eight or four stages, four per 8-double vector: the longer the group, the
// fewer ramp steps per stage.
__attribute__((target("avx512f"))) void RunOctetsTwelve(const SStereoBiquad* stages, Pair* x, int32_t n)
{
    RunSkewed<4, 3>(stages, x, n);
}

__attribute__((target("avx512f"))) void RunOctetsEight(const SStereoBiquad* stages, Pair* x, int32_t n)
{
    RunSkewed<4, 2>(stages, x, n);
}

__attribute__((target("avx512f"))) void RunOctetsFour(const SStereoBiquad* stages, Pair* x, int32_t n)
{
    RunSkewed<4, 1>(stages, x, n);
}

}  // namespace

bool CpuRuns(ESeriesKernel kernel)
{
    switch (kernel) {
    case ESeriesKernel::kOctets:
        return simd::HasAvx512f();
    default:
        return true;
    }
}

void RunSeries(const SStereoBiquad* stages, int32_t count, double* left, double* right, int32_t n, ESeriesKernel kernel)
{
    // Fewer than four stages run straight on the channels.
    if (count < 4) {
        RunRest(stages, count, SChannels{left, right}, n);
        return;
    }
    if (kernel == ESeriesKernel::kBest)
        kernel = simd::HasAvx512f() ? ESeriesKernel::kOctets : ESeriesKernel::kPairs;
    Pair x[kBlock];
    for (int32_t start = 0; start < n; start += kBlock) {
        const int32_t m = std::min(kBlock, n - start);
        for (int32_t i = 0; i < m; ++i)
            x[i] = Pair{left[start + i], right[start + i]};
        int32_t k = 0;
        for (; kernel == ESeriesKernel::kOctets && count - k >= 12; k += 12)
            RunOctetsTwelve(stages + k, x, m);
        for (; kernel == ESeriesKernel::kOctets && count - k >= 8; k += 8)
            RunOctetsEight(stages + k, x, m);
        for (; kernel == ESeriesKernel::kOctets && count - k >= 4; k += 4)
            RunOctetsFour(stages + k, x, m);
        for (; count - k >= 4; k += 4)
            RunPairs<4>(stages + k, SInterleaved{x}, m);
        RunRest(stages + k, count - k, SInterleaved{x}, m);
        for (int32_t i = 0; i < m; ++i) {
            left[start + i] = x[i][0];
            right[start + i] = x[i][1];
        }
    }
}

SThroughScan RunSeriesThrough(const SStereoBiquad* stages, int32_t count, const float* const* in, double inGain,
                              float* const* out, double outGain, int32_t n)
{
    SFloatChannels x{in[0], in[1], out[0], out[1], Pair{inGain, inGain}, Pair{outGain, outGain}};
    if (count == 4)
        RunPairs<4>(stages, x, n);
    else
        RunRest(stages, count, x, n);
    // |float(d)| is float(|d|), and rounding keeps order: the largest output in float is
    // the largest in double, rounded. Infinity there or a NaN anywhere: not finite.
    const float peaks[2] = {static_cast<float>(x.peak[0]), static_cast<float>(x.peak[1])};
    const bool finite = std::isfinite(peaks[0]) && std::isfinite(peaks[1]) && (x.nan[0] | x.nan[1]) == 0;
    return {{peaks[0], peaks[1]}, finite};
}

}  // namespace biquad
