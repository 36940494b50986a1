#include "product/engine/Detector.h"

#include "dsp/simd/Pair.h"

#include <algorithm>
#include <cmath>

namespace {

// Level maxima, two neighbouring values at once. Levels are never -0 and a NaN never
// enters a running maximum, so lanes that each keep their own agree with one pass.
using pairs::AbsPair;
using pairs::LoadPair;
using pairs::MaxOf;
using pairs::MaxPair;
using pairs::Pair;
using pairs::StorePair;

}  // namespace

CDetector::CDetector() { SetSampleRate(44100); }

void CDetector::SetSampleRate(int32_t rate)
{
    // Cookbook low-passes: Power 100 Hz with alpha = sin(w) / 1.0 (Q 0.5), C-165 2.1 Hz
    // with alpha = sin(w) / 1.24 (Q 0.62); CIIR keeps both below 20/21 of Nyquist.
    power_.DesignHighCut12(rate, 100.0, 0.5);
    c165_.DesignHighCut12(rate, 2.1, 0.62);
}

double CDetector::RectifyStereo(double* l, double* r, const double* keyL, const double* keyR, int32_t n,
                                int32_t stereoMode, double* dL, double* dR)
{
    const double* kl = keyL ? keyL : l;
    const double* kr = keyL ? keyR : r;
    Pair levels = {0.0, 0.0};
    int32_t i = 0;
    for (; i + 2 <= n; i += 2) {
        const Pair a = AbsPair(LoadPair(kl + i)), b = AbsPair(LoadPair(kr + i));
        StorePair(dL + i, a);
        StorePair(dR + i, b);
        levels = MaxPair(levels, (a + b) / 2.0);
    }
    double level = MaxOf(levels);
    for (; i < n; ++i) {
        dL[i] = std::fabs(kl[i]);
        dR[i] = std::fabs(kr[i]);
        level = std::max(level, (dL[i] + dR[i]) / 2.0);
    }
    if (stereoMode == dynamics::kMidSide) {
        // Both key values are read before the signal is written, so a key that is the
        // signal itself still sees the original L and R.
        for (int32_t i = 0; i < n; ++i) {
            const double a = kl[i], b = kr[i];
            dL[i] = std::fabs((a + b) / 2.0);
            dR[i] = std::fabs((a - b) / 2.0);
            const double left = l[i], right = r[i];
            l[i] = (left + right) / 2.0;
            r[i] = (left - right) / 2.0;
        }
    }
    return level;
}

double CDetector::RectifyMono(const double* x, const double* key, int32_t n, double* d)
{
    const double* k = key ? key : x;
    Pair levels = {0.0, 0.0};
    int32_t i = 0;
    for (; i + 2 <= n; i += 2) {
        const Pair a = AbsPair(LoadPair(k + i));
        StorePair(d + i, a);
        levels = MaxPair(levels, a);
    }
    double level = MaxOf(levels);
    for (; i < n; ++i) {
        d[i] = std::fabs(k[i]);
        level = std::max(level, d[i]);
    }
    return level;
}

void CDetector::DecodeMidSide(double* l, double* r, int32_t n)
{
    for (int32_t i = 0; i < n; ++i) {
        const double m = l[i], s = r[i];
        l[i] = m + s;
        r[i] = m - s;
    }
}

void CDetector::Filter(int32_t mode, double* dL, double* dR, int32_t n)
{
    // The fixed-coefficient block calls flush states below 2^-32 themselves.
    CIIR* filter = mode == dynamics::kPower ? &power_ : mode == dynamics::kC165 ? &c165_ : nullptr;
    if (filter == nullptr)
        return;
    if (dR == nullptr)
        filter->ProcessMonoFixed(dL, n);
    else
        filter->ProcessStereoFixed(dL, dR, n);
}

double CDetector::Detect(int32_t mode, double* dL, double* dR, int32_t n)
{
    Filter(mode, dL, dR, n);
    Pair levels = {0.0, 0.0};
    int32_t i = 0;
    if (dR == nullptr) {
        for (; i + 2 <= n; i += 2)
            levels = MaxPair(levels, LoadPair(dL + i));
        double level = MaxOf(levels);
        for (; i < n; ++i)
            level = std::max(level, dL[i]);
        return level;
    }
    for (; i + 2 <= n; i += 2)
        levels = MaxPair(levels, (LoadPair(dL + i) + LoadPair(dR + i)) / 2.0);
    double level = MaxOf(levels);
    for (; i < n; ++i)
        level = std::max(level, (dL[i] + dR[i]) / 2.0);
    return level;
}
