#include "dsp/Width.h"

#include <algorithm>
#include <cmath>

namespace {

// The framework's one-pole law, with its 6.283 rather than 2*pi.
double OnePole(float hz, int32_t rate) { return 1.0 - std::exp(-6.283 * double(hz) / double(rate)); }

// Split states below this magnitude are zeroed after each block, so a decaying tail
// never reaches the denormal range.
constexpr double kDenormalFloor = 0x1p-32;

// Auto gain stops at w = 10^(-10/20): at most 10 dB of mid boost.
constexpr double kMinAutoGainWidth = 0.31622776601683794;

double Flushed(double v) { return std::fabs(v) < kDenormalFloor ? 0.0 : v; }

} // namespace

CWidth::CWidth()
    : appliedRate_(44100), appliedLow_(1000.0f), appliedHigh_(1000.0f),
      coefficientLow_(OnePole(1000.0f, 44100)), coefficientHigh_(OnePole(1000.0f, 44100)),
      widthFactor_{1.0, 1.0, 1.0}, midGain_{1.0, 1.0, 1.0}
{
}

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
    bool solo[kBandCount];
    bool anySolo = false;
    for (int32_t b = 0; b < kBandCount; ++b) {
        solo[b] = solo_[b].load(std::memory_order_relaxed);
        anySolo = anySolo || solo[b];
    }
    for (int32_t b = 0; b < kBandCount; ++b) {
        double w = (double(widthSetting_[b].load(std::memory_order_relaxed)) + 100.0) * 0.01;
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

    for (int32_t i = 0; i < n; ++i) {
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
