#include "product/engine/Width.h"

#include "dsp/simd/Cpu.h"
#include "dsp/simd/Vector.h"

#include "dsp/simd/Pair.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The framework's one-pole law, with its 6.283 rather than 2*pi.
double OnePole(float hz, int32_t rate) { return 1.0 - std::exp(-6.283 * double(hz) / double(rate)); }

// Split states below this magnitude are zeroed after each block, so a decaying tail
// never reaches the denormal range.
constexpr double kDenormalFloor = 0x1p-32;

// Auto gain stops at w = 10^(-10/20): at most 10 dB of mid boost.
constexpr double kMinAutoGainWidth = 0.31622776601683794;

double Flushed(double v) { return std::fabs(v) < kDenormalFloor ? 0.0 : v; }

// Both channels of one frame in the crossovers; W frames of one channel in the band
// sums. Every lane runs the scalar expression's operations in the scalar order, so
// each lane's result is the scalar result.
using pairs::Pair;

template <int W>
struct SFrames {
    typedef typename simd::SVector<double, W>::V V;
};

struct SBandFactors {
    double cLow, cHigh, wLow, wMid, wHigh, mLow, mMid, mHigh;
};

// Frames [0, count), count a multiple of W. The crossovers are the only recursion:
// they run frame by frame on both channels at once, and the band sums of W frames
// then go as vectors over time, filling the gaps the crossovers' latency leaves.
template <int W>
__attribute__((always_inline)) inline void Frames(double* left, double* right, int32_t count,
                                                  const SBandFactors& factors, Pair& lp1Io, Pair& lp2Io)
{
    using V = typename SFrames<W>::V;
    const SBandFactors f = factors;  // locals: the stores below cannot alias them
    Pair lp1 = lp1Io, lp2 = lp2Io;
    for (int32_t i = 0; i < count; i += W) {
        Pair low[W], mid[W];
#pragma GCC unroll 4
        for (int32_t k = 0; k < W; ++k) {
            const Pair x = {left[i + k], right[i + k]};
            lp1 += (x - lp1) * f.cLow;
            lp2 += ((x - lp1) - lp2) * f.cHigh;
            low[k] = lp1, mid[k] = lp2;
        }
        V lowL, lowR, midL, midR;
        if constexpr (W == 2) {
            lowL = __builtin_shufflevector(low[0], low[1], 0, 2), lowR = __builtin_shufflevector(low[0], low[1], 1, 3);
            midL = __builtin_shufflevector(mid[0], mid[1], 0, 2), midR = __builtin_shufflevector(mid[0], mid[1], 1, 3);
        } else {
            static_assert(W == 4);
            const V low02 = __builtin_shufflevector(low[0], low[2], 0, 1, 2, 3);
            const V low13 = __builtin_shufflevector(low[1], low[3], 0, 1, 2, 3);
            const V mid02 = __builtin_shufflevector(mid[0], mid[2], 0, 1, 2, 3);
            const V mid13 = __builtin_shufflevector(mid[1], mid[3], 0, 1, 2, 3);
            lowL = __builtin_shufflevector(low02, low13, 0, 4, 2, 6);
            lowR = __builtin_shufflevector(low02, low13, 1, 5, 3, 7);
            midL = __builtin_shufflevector(mid02, mid13, 0, 4, 2, 6);
            midR = __builtin_shufflevector(mid02, mid13, 1, 5, 3, 7);
        }
        V xL, xR;
        std::memcpy(&xL, left + i, sizeof xL);
        std::memcpy(&xR, right + i, sizeof xR);
        const V highL = (xL - lowL) - midL, highR = (xR - lowR) - midR;
        const V sLow = (lowL - lowR) / 2.0 * f.wLow, mLowPart = (lowL + lowR) / 2.0 * f.mLow;
        const V sMid = (midL - midR) / 2.0 * f.wMid, mMidPart = (midL + midR) / 2.0 * f.mMid;
        const V sHigh = (highL - highR) / 2.0 * f.wHigh, mHighPart = (highL + highR) / 2.0 * f.mHigh;
        const V outL = (mLowPart + sLow) + (mMidPart + sMid) + (mHighPart + sHigh);
        const V outR = (mLowPart - sLow) + (mMidPart - sMid) + (mHighPart - sHigh);
        std::memcpy(left + i, &outL, sizeof outL);
        std::memcpy(right + i, &outR, sizeof outR);
    }
    lp1Io = lp1, lp2Io = lp2;
}

// Four frames to a vector where the CPU has AVX (never FMA: no contraction), else two.
__attribute__((target("avx"))) void FramesAvx(double* left, double* right, int32_t count, const SBandFactors& f,
                                              Pair& lp1, Pair& lp2)
{
    Frames<4>(left, right, count, f, lp1, lp2);
}

void FramesSse2(double* left, double* right, int32_t count, const SBandFactors& f, Pair& lp1, Pair& lp2)
{
    Frames<2>(left, right, count, f, lp1, lp2);
}

}  // namespace

CWidth::CWidth()
    : appliedRate_(44100), appliedLow_(1000.0f), appliedHigh_(1000.0f), coefficientLow_(OnePole(1000.0f, 44100)),
      coefficientHigh_(OnePole(1000.0f, 44100)), widthFactor_{1.0, 1.0, 1.0}, midGain_{1.0, 1.0, 1.0}
{}

void CWidth::Reset()
{
    lowPass1_[0] = lowPass1_[1] = 0.0;
    lowPass2_[0] = lowPass2_[1] = 0.0;
}

void CWidth::ApplySettings()
{
    const int32_t rate = rate_.load(std::memory_order_relaxed);
    const float low = crossoverLow_.load(std::memory_order_relaxed);
    const float high = crossoverHigh_.load(std::memory_order_relaxed);
    // exp() only when something it depends on moved.
    if (rate != appliedRate_ || low != appliedLow_)
        coefficientLow_ = OnePole(low, rate);
    if (rate != appliedRate_ || high != appliedHigh_)
        coefficientHigh_ = OnePole(high, rate);
    appliedRate_ = rate;
    appliedLow_ = low;
    appliedHigh_ = high;

    // Width law per band, v in percent:
    //   w = (v + 100) * 0.01, doubled when above 1:  -100 % -> 0 (mono), 0 % -> 1,
    //   just above 0 % -> just above 2, 100 % -> 4;
    //   m = 1 / max(0.316..., w) with auto gain, else 1;
    //   while any band is soloed, the others get w = m = 0.
    const bool autoGain = autoGain_.load(std::memory_order_relaxed);
    float percent[kBandCount];
    bool solo[kBandCount];
    bool anySolo = false;
    bool changed = !bandsApplied_ || autoGain != appliedAutoGain_;
    for (int32_t b = 0; b < kBandCount; ++b) {
        percent[b] = widthSetting_[b].load(std::memory_order_relaxed);
        solo[b] = solo_[b].load(std::memory_order_relaxed);
        anySolo = anySolo || solo[b];
        changed = changed || percent[b] != appliedWidth_[b] || solo[b] != appliedSolo_[b];
    }
    // The band factors (and their divisions) only when a band setting moved.
    if (!changed)
        return;
    bandsApplied_ = true;
    appliedAutoGain_ = autoGain;
    for (int32_t b = 0; b < kBandCount; ++b) {
        appliedWidth_[b] = percent[b];
        appliedSolo_[b] = solo[b];
        double w = (double(percent[b]) + 100.0) * 0.01;
        if (w > 1.0)
            w = 2.0 * w;
        double m = autoGain ? 1.0 / std::max(kMinAutoGainWidth, w) : 1.0;
        if (anySolo && !solo[b])
            w = m = 0.0;
        widthFactor_[b] = w;
        midGain_[b] = m;
    }
}

void CWidth::Process(double* left, double* right, int32_t n)
{
    ApplySettings();

    const double cLow = coefficientLow_, cHigh = coefficientHigh_;
    const double wLow = widthFactor_[kLow], wMid = widthFactor_[kMid], wHigh = widthFactor_[kHigh];
    const double mLow = midGain_[kLow], mMid = midGain_[kMid], mHigh = midGain_[kHigh];
    double lp1L = lowPass1_[0], lp1R = lowPass1_[1];
    double lp2L = lowPass2_[0], lp2R = lowPass2_[1];

    const SBandFactors factors = {cLow, cHigh, wLow, wMid, wHigh, mLow, mMid, mHigh};
    Pair lp1 = {lp1L, lp1R}, lp2 = {lp2L, lp2R};
    int32_t i = simd::HasAvx() ? n / 4 * 4 : n / 2 * 2;
    if (simd::HasAvx())
        FramesAvx(left, right, i, factors, lp1, lp2);
    else
        FramesSse2(left, right, i, factors, lp1, lp2);
    lp1L = lp1[0], lp1R = lp1[1], lp2L = lp2[0], lp2R = lp2[1];
    for (; i < n; ++i) {
        // Split, per channel:  low  = lp1 += (x - lp1) * cLow
        //                      rest = x - low
        //                      mid  = lp2 += (rest - lp2) * cHigh
        //                      high = rest - mid
        const double xL = left[i], xR = right[i];
        lp1L += (xL - lp1L) * cLow;
        lp1R += (xR - lp1R) * cLow;
        const double restL = xL - lp1L, restR = xR - lp1R;
        lp2L += (restL - lp2L) * cHigh;
        lp2R += (restR - lp2R) * cHigh;
        const double highL = restL - lp2L, highR = restR - lp2R;

        // Per band: S = (bL - bR) / 2 * w, M = (bL + bR) / 2 * m; L += M + S, R += M - S.
        const double sLow = (lp1L - lp1R) / 2.0 * wLow, mLowPart = (lp1L + lp1R) / 2.0 * mLow;
        const double sMid = (lp2L - lp2R) / 2.0 * wMid, mMidPart = (lp2L + lp2R) / 2.0 * mMid;
        const double sHigh = (highL - highR) / 2.0 * wHigh, mHighPart = (highL + highR) / 2.0 * mHigh;
        left[i] = (mLowPart + sLow) + (mMidPart + sMid) + (mHighPart + sHigh);
        right[i] = (mLowPart - sLow) + (mMidPart - sMid) + (mHighPart - sHigh);
    }

    lowPass1_[0] = Flushed(lp1L);
    lowPass1_[1] = Flushed(lp1R);
    lowPass2_[0] = Flushed(lp2L);
    lowPass2_[1] = Flushed(lp2R);
}
