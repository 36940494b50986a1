// Two doubles side by side, for the sections' inner loops: a stereo sample {left, right}
// or two neighbouring values. Element-wise operations on a Pair are the scalar IEEE
// operations, so each lane holds exactly what the scalar code would compute. The
// library is built for baseline x86-64, which has no fused multiply-add, so products and
// sums round separately, as written. Internal to the dsp library.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

namespace pairs {

using Pair = double __attribute__((vector_size(16)));
using PairBits = int64_t __attribute__((vector_size(16)));

inline Pair LoadPair(const double* p)
{
    Pair v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void StorePair(double* p, Pair v) { std::memcpy(p, &v, sizeof v); }

inline Pair AbsPair(Pair v) { return Pair(PairBits(v) & PairBits{INT64_MAX, INT64_MAX}); }

// std::max(level, v) in each lane: a NaN v never replaces the level. A running maximum
// taken this way ignores NaNs, so splitting it into lanes and combining them at the end
// gives the value of one pass.
inline Pair MaxPair(Pair level, Pair v) { return level < v ? v : level; }
inline double MaxOf(Pair level) { return std::max(level[0], level[1]); }

// Four floats as two Pairs and back, with SSE2's two-lane conversions (a conversion of
// a two-float vector becomes two scalar ones at the level the library builds with).
inline void LoadFloats(const float* p, Pair& low, Pair& high)
{
    const __m128 v = _mm_loadu_ps(p);
    low = Pair(_mm_cvtps_pd(v));
    high = Pair(_mm_cvtps_pd(_mm_movehl_ps(v, v)));
}

inline void StoreFloats(float* p, Pair low, Pair high)
{
    _mm_storeu_ps(p, _mm_movelh_ps(_mm_cvtpd_ps(__m128d(low)), _mm_cvtpd_ps(__m128d(high))));
}

// out[i] = gain · double(in[i]), four at a time.
inline void ScaleToDoubles(const float* in, double gain, double* out, int32_t n)
{
    const Pair g = {gain, gain};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        Pair low, high;
        LoadFloats(in + i, low, high);
        StorePair(out + i, g * low);
        StorePair(out + i + 2, g * high);
    }
    for (; i < n; ++i)
        out[i] = gain * double(in[i]);
}

// out[i] = float(gain · in[i]), four at a time.
inline void ScaleToFloats(const double* in, double gain, float* out, int32_t n)
{
    const Pair g = {gain, gain};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4)
        StoreFloats(out + i, g * LoadPair(in + i), g * LoadPair(in + i + 2));
    for (; i < n; ++i)
        out[i] = static_cast<float>(gain * in[i]);
}

}  // namespace pairs
