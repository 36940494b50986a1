#include "dsp/BiquadSeries.h"

#include "dsp/BiquadKernel.h"

#include <algorithm>

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

template <int32_t Stages, typename Samples>
void RunPairs(const SStereoBiquad* stages, Samples x, int32_t n)
{
    SCoefficients<Pair> c[Stages];
    SSection<Pair> s[Stages];
    for (int32_t k = 0; k < Stages; ++k) {
        c[k] = SCoefficients<Pair>(stages[k].coefficients);
        s[k] = LoadSection(stages[k].left, stages[k].right);
    }
    for (int32_t i = 0; i < n; ++i) {
        Pair v = x.Load(i);
#pragma GCC unroll 4
        for (int32_t k = 0; k < Stages; ++k)
            v = Section(c[k], s[k], v);
        x.Store(i, v);
    }
    for (int32_t k = 0; k < Stages; ++k)
        StoreSection(s[k], stages[k].left, stages[k].right);
}

// The last one to three stages of a series.
template <typename Samples>
void RunRest(const SStereoBiquad* stages, int32_t count, Samples x, int32_t n)
{
    switch (count) {
    case 3: RunPairs<3>(stages, x, n); break;
    case 2: RunPairs<2>(stages, x, n); break;
    case 1: RunPairs<1>(stages, x, n); break;
    default: break;
    }
}

// ---- Quads: four stages as two pairs of stages, each pair in one 4-double vector
// {stage L, stage R, next stage L, next stage R}.
//
// Stage s runs two samples behind stage s − 1: at step t it takes sample t − 2s, whose
// value stage s − 1 produced two steps earlier. A step then waits on the step before
// only through each stage's own feedback, not through the whole cascade, and four
// stages cost two vector sections. During the first and last 6 steps a stage only
// advances while its sample lies in 0..n−1: the others compute but keep their state.
//
// Built for AVX without FMA, so every lane still rounds each product and each sum.

using Quad = double __attribute__((vector_size(32)));
using QuadBits = int64_t __attribute__((vector_size(32)));

constexpr int32_t kQuadSpan = 6;  // stage 3 runs 6 samples behind stage 0

#define QS_AVX __attribute__((target("avx"), always_inline)) inline

QS_AVX Quad Join(Pair low, Pair high) { return Quad{low[0], low[1], high[0], high[1]}; }
QS_AVX Pair Low(Quad v) { return Pair{v[0], v[1]}; }
QS_AVX Pair High(Quad v) { return Pair{v[2], v[3]}; }

// Two neighbouring stages side by side.
struct STwoStages {
    Quad b0, b1, b2, a1, a2, x1, x2, y1, y2;
};

QS_AVX STwoStages LoadTwo(const SStereoBiquad* s)
{
    const double *c = s[0].coefficients, *d = s[1].coefficients;
    const double *l = s[0].left, *r = s[0].right, *m = s[1].left, *q = s[1].right;
    return {Quad{c[0], c[0], d[0], d[0]}, Quad{c[1], c[1], d[1], d[1]}, Quad{c[2], c[2], d[2], d[2]},
            Quad{c[3], c[3], d[3], d[3]}, Quad{c[4], c[4], d[4], d[4]}, Quad{l[0], r[0], m[0], q[0]},
            Quad{l[1], r[1], m[1], q[1]}, Quad{l[2], r[2], m[2], q[2]}, Quad{l[3], r[3], m[3], q[3]}};
}

QS_AVX void StoreTwo(const STwoStages& v, const SStereoBiquad* s)
{
    const Quad* values[4] = {&v.x1, &v.x2, &v.y1, &v.y2};
    for (int32_t j = 0; j < 4; ++j) {
        const Quad q = *values[j];
        s[0].left[j] = q[0];
        s[0].right[j] = q[1];
        s[1].left[j] = q[2];
        s[1].right[j] = q[3];
    }
}

// y = b0·in + b1·x1 + b2·x2 − a1·y1 − a2·y2, left to right, in every lane.
QS_AVX Quad Output(const STwoStages& v, Quad in)
{
    return v.b0 * in + v.b1 * v.x1 + v.b2 * v.x2 - v.a1 * v.y1 - v.a2 * v.y2;
}

QS_AVX void Advance(STwoStages& v, Quad in, Quad y)
{
    v.x2 = v.x1;
    v.x1 = in;
    v.y2 = v.y1;
    v.y1 = y;
}

QS_AVX void AdvanceWhere(STwoStages& v, Quad in, Quad y, QuadBits on)
{
    v.x2 = on ? v.x1 : v.x2;
    v.x1 = on ? in : v.x1;
    v.y2 = on ? v.y1 : v.y2;
    v.y1 = on ? y : v.y1;
}

// The four stages and the outputs of the last two steps: stage s takes stage s − 1's
// output from two steps back.
struct SFourStages {
    STwoStages a, b;
    Quad lastA, lastB, earlierA, earlierB;
};

// One step t. Edge steps advance a stage only where its sample t − 2s is a real one.
template <bool Edge>
QS_AVX void Step(SFourStages& v, Pair* x, int32_t t, int32_t n)
{
    const Pair in = t < n ? x[t] : Pair{0.0, 0.0};
    const Quad inA = Join(in, Low(v.earlierA));
    const Quad inB = Join(High(v.earlierA), Low(v.earlierB));
    const Quad yA = Output(v.a, inA);
    const Quad yB = Output(v.b, inB);
    if (Edge) {
        const Quad now = Quad{} + double(t), frames = Quad{} + double(n);
        const Quad delayA{0, 0, 2, 2}, delayB{4, 4, 6, 6};
        AdvanceWhere(v.a, inA, yA, (now >= delayA) & (now < delayA + frames));
        AdvanceWhere(v.b, inB, yB, (now >= delayB) & (now < delayB + frames));
    } else {
        Advance(v.a, inA, yA);
        Advance(v.b, inB, yB);
    }
    v.earlierA = v.lastA;
    v.earlierB = v.lastB;
    v.lastA = yA;
    v.lastB = yB;
    if (t >= kQuadSpan)
        x[t - kQuadSpan] = High(yB);
}

__attribute__((target("avx"))) void RunQuads(const SStereoBiquad* stages, Pair* x, int32_t n)
{
    SFourStages v{LoadTwo(stages), LoadTwo(stages + 2), Quad{}, Quad{}, Quad{}, Quad{}};
    const int32_t fill = std::min(kQuadSpan, n);
    int32_t t = 0;
    for (; t < fill; ++t)
        Step<true>(v, x, t, n);
    for (; t < n; ++t)
        Step<false>(v, x, t, n);
    for (; t < n + kQuadSpan; ++t)
        Step<true>(v, x, t, n);
    StoreTwo(v.a, stages);
    StoreTwo(v.b, stages + 2);
}

#undef QS_AVX

const bool kCpuHasAvx = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
}();

} // namespace

bool CpuRuns(ESeriesKernel kernel)
{
    return kernel != ESeriesKernel::kQuads || kCpuHasAvx;
}

void RunSeries(const SStereoBiquad* stages, int32_t count, double* left, double* right, int32_t n,
               ESeriesKernel kernel)
{
    // Fewer than four stages run straight on the channels.
    if (count < 4) {
        RunRest(stages, count, SChannels{left, right}, n);
        return;
    }
    const bool quads = kernel == ESeriesKernel::kQuads || (kernel == ESeriesKernel::kBest && kCpuHasAvx);
    Pair x[kBlock];
    for (int32_t start = 0; start < n; start += kBlock) {
        const int32_t m = std::min(kBlock, n - start);
        for (int32_t i = 0; i < m; ++i)
            x[i] = Pair{left[start + i], right[start + i]};
        int32_t k = 0;
        for (; quads && count - k >= 4; k += 4)
            RunQuads(stages + k, x, m);
        for (; count - k >= 4; k += 4)
            RunPairs<4>(stages + k, SInterleaved{x}, m);
        RunRest(stages + k, count - k, SInterleaved{x}, m);
        for (int32_t i = 0; i < m; ++i) {
            left[start + i] = x[i][0];
            right[start + i] = x[i][1];
        }
    }
}

} // namespace biquad
