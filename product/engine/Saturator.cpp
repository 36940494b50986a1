#include "product/engine/Saturator.h"

#include "dsp/simd/Cpu.h"
#include "dsp/simd/Vector.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr double kLowCutHz = 10.0;
constexpr double kLowCutQ = 0.5;

// Soft curve: s(x) = 1.5x - 0.5x^3 for |x| < 1, else x. Flattens towards +-1 and
// leaves larger values alone.
double Soft(double x) { return std::fabs(x) < 1.0 ? 1.5 * x - 0.5 * x * x * x : x; }

// Even curve: e(x) = x + (2x^2 - 1) / 4, x plus a quarter of the second Chebyshev
// polynomial: second harmonic, and -0.25 of DC at silence.
double Even(double x) { return x + (2.0 * x * x - 1.0) / 4.0; }

// The helpers below take and return vectors but are always inlined, so no wide vector
// ever crosses a call and the ABI note about passing them does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

// W consecutive samples. Each lane performs the scalar operations in the scalar
// order, so it holds exactly the scalar result.
template <int W>
struct SLanes {
    typedef typename simd::SVector<double, W>::V V;
    typedef typename simd::SVector<int64_t, W>::V M;
};

template <class V>
__attribute__((always_inline)) inline V Load(const double* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class V>
__attribute__((always_inline)) inline void Store(double* p, V v)
{
    std::memcpy(p, &v, sizeof v);
}

template <class V, class M>
__attribute__((always_inline)) inline V SoftLanes(V x)
{
    const V magnitude = V(M(x) & INT64_MAX);
    return magnitude < 1.0 ? 1.5 * x - 0.5 * x * x * x : x;
}

template <class V>
__attribute__((always_inline)) inline V EvenLanes(V x)
{
    return x + (2.0 * x * x - 1.0) / 4.0;
}

// w = s(x), e(x) or (e(x) + s(x)) / 2 for one sample or W of them.
template <int32_t Mode, class V, class M>
__attribute__((always_inline)) inline V Wet(V x)
{
    if constexpr (Mode == 0)
        return SoftLanes<V, M>(x);
    else if constexpr (Mode == 1)
        return EvenLanes(x);
    else
        return (EvenLanes(x) + SoftLanes<V, M>(x)) / 2.0;
}

template <int32_t Mode>
double Wet(double x)
{
    if constexpr (Mode == 0)
        return Soft(x);
    else if constexpr (Mode == 1)
        return Even(x);
    else
        return (Even(x) + Soft(x)) / 2.0;
}

// out = x * (1 - mix) + w * mix
template <class T>
__attribute__((always_inline)) inline T Mixed(T x, T w, double dry, double mix)
{
    return x * dry + w * mix;
}

// Wet copy of x into w; in place of x the finished output instead when the mode needs
// no low cut (Direct).
template <int W, int32_t Mode, bool Direct>
__attribute__((always_inline)) inline void Shape(double* x, double* w, int32_t n, double dry, double mix)
{
    using V = typename SLanes<W>::V;
    using M = typename SLanes<W>::M;
    int32_t i = 0;
    for (; i + W <= n; i += W) {
        const V v = Load<V>(x + i);
        if constexpr (Direct)
            Store(x + i, Mixed(v, Wet<Mode, V, M>(v), dry, mix));
        else
            Store(w + i, Wet<Mode, V, M>(v));
    }
    for (; i < n; ++i) {
        if constexpr (Direct)
            x[i] = Mixed(x[i], Wet<Mode>(x[i]), dry, mix);
        else
            w[i] = Wet<Mode>(x[i]);
    }
}

template <int W>
__attribute__((always_inline)) inline void ShapeMode(int32_t mode, double* x, double* w, int32_t n, double dry,
                                                     double mix)
{
    switch (mode) {
    case CSaturator::kMode1:
        Shape<W, 0, true>(x, w, n, dry, mix);
        break;
    case CSaturator::kMode2:
        Shape<W, 1, false>(x, w, n, dry, mix);
        break;
    default:
        Shape<W, 2, false>(x, w, n, dry, mix);
        break;
    }
}

template <int W>
__attribute__((always_inline)) inline void MixWet(double* x, const double* w, int32_t n, double dry, double mix)
{
    using V = typename SLanes<W>::V;
    int32_t i = 0;
    for (; i + W <= n; i += W)
        Store(x + i, Mixed(Load<V>(x + i), Load<V>(w + i), dry, mix));
    for (; i < n; ++i)
        x[i] = Mixed(x[i], w[i], dry, mix);
}

// Four samples to a vector where the CPU has AVX (never FMA: no contraction), else two.
__attribute__((target("avx"))) void ShapeAvx(int32_t mode, double* x, double* w, int32_t n, double dry, double mix)
{
    ShapeMode<4>(mode, x, w, n, dry, mix);
}

void ShapeSse2(int32_t mode, double* x, double* w, int32_t n, double dry, double mix)
{
    ShapeMode<2>(mode, x, w, n, dry, mix);
}

__attribute__((target("avx"))) void MixAvx(double* x, const double* w, int32_t n, double dry, double mix)
{
    MixWet<4>(x, w, n, dry, mix);
}

void MixSse2(double* x, const double* w, int32_t n, double dry, double mix) { MixWet<2>(x, w, n, dry, mix); }

}  // namespace

CSaturator::CSaturator() { Reset(); }

void CSaturator::ApplyRate()
{
    const int32_t rate = rate_.load(std::memory_order_relaxed);
    if (rate == designedRate_)
        return;
    lowCut_.SetSampleRate(rate);
    lowCut_.DesignLowCut12(rate, kLowCutHz, kLowCutQ);
    designedRate_ = rate;
}

void CSaturator::Reset()
{
    // A pending design first, so the cleared filter starts on it instead of gliding.
    ApplyRate();
    // Silence still shapes to the even curve's offset, w(0) = -0.25 or -0.125. The low
    // cut starts where that constant leaves it (output exactly 0), so silence in is
    // silence out: from a cleared state the offset would leak out as a step decaying
    // over some 100 ms, a thump whenever audio starts.
    switch (mode_.load(std::memory_order_relaxed)) {
    case kMode2:
        lowCut_.Settle(Wet<1>(0.0));
        break;
    case kMode3:
        lowCut_.Settle(Wet<2>(0.0));
        break;
    default:
        lowCut_.Reset();
        break;
    }
}

void CSaturator::Process(double* left, double* right, double mix, int32_t n)
{
    for (int32_t start = 0; start < n; start += kMaxFrames) {
        double* channels[2] = {left + start, right + start};
        ProcessBlock(channels, 2, mix, std::min(kMaxFrames, n - start));
    }
}

void CSaturator::ProcessMono(double* x, double mix, int32_t n)
{
    for (int32_t start = 0; start < n; start += kMaxFrames) {
        double* channels[1] = {x + start};
        ProcessBlock(channels, 1, mix, std::min(kMaxFrames, n - start));
    }
}

void CSaturator::ProcessBlock(double* const* channels, int32_t channelCount, double mix, int32_t n)
{
    ApplyRate();
    const int32_t mode = mode_.load(std::memory_order_relaxed);

    // Wet copy: w = s(x), e(x) or (e(x) + s(x)) / 2. The soft curve alone has no
    // offset and needs no low cut, so it mixes straight into the output.
    const double dry = 1.0 - mix;
    double w[2][kMaxFrames];
    for (int32_t c = 0; c < channelCount; ++c) {
        if (simd::HasAvx())
            ShapeAvx(mode, channels[c], w[c], n, dry, mix);
        else
            ShapeSse2(mode, channels[c], w[c], n, dry, mix);
    }
    if (mode == kMode1)
        return;

    // The even curve's offset comes out of the wet path only.
    if (channelCount == 2)
        lowCut_.ProcessStereo(w[0], w[1], n);
    else
        lowCut_.ProcessMono(w[0], n);

    for (int32_t c = 0; c < channelCount; ++c) {
        if (simd::HasAvx())
            MixAvx(channels[c], w[c], n, dry, mix);
        else
            MixSse2(channels[c], w[c], n, dry, mix);
    }
}
