// The arithmetic of one direct-form-I biquad, shared by the filter class and the runner
// of biquads in series, as scalars (mono) or Pairs (stereo). Internal to the dsp library.
#pragma once

#include "dsp/simd/Pair.h"

#include <cstdint>

namespace biquad {

using pairs::LoadPair;
using pairs::Pair;
using pairs::PairBits;
using pairs::StorePair;

template <typename T>
T Splat(double v);
template <>
inline double Splat<double>(double v)
{
    return v;
}
template <>
inline Pair Splat<Pair>(double v)
{
    return Pair{v, v};
}

// One biquad's coefficients b0 b1 b2 a1 a2 (a0 = 1) as scalars (mono) or broadcast
// pairs (stereo).
template <typename T>
struct SCoefficients {
    T b0, b1, b2, a1, a2;

    SCoefficients() = default;
    explicit SCoefficients(const double* c)
        : b0(Splat<T>(c[0])), b1(Splat<T>(c[1])), b2(Splat<T>(c[2])), a1(Splat<T>(c[3])), a2(Splat<T>(c[4]))
    {}
};

// {x[n−1], x[n−2], y[n−1], y[n−2]} of one section, held in registers over a block.
template <typename T>
struct SSection {
    T x1, x2, y1, y2;
};

inline SSection<double> LoadSection(const double* s) { return {s[0], s[1], s[2], s[3]}; }

inline void StoreSection(const SSection<double>& v, double* s)
{
    s[0] = v.x1;
    s[1] = v.x2;
    s[2] = v.y1;
    s[3] = v.y2;
}

inline SSection<Pair> LoadSection(const double* l, const double* r)
{
    return {Pair{l[0], r[0]}, Pair{l[1], r[1]}, Pair{l[2], r[2]}, Pair{l[3], r[3]}};
}

inline void StoreSection(const SSection<Pair>& v, double* l, double* r)
{
    l[0] = v.x1[0], l[1] = v.x2[0], l[2] = v.y1[0], l[3] = v.y2[0];
    r[0] = v.x1[1], r[1] = v.x2[1], r[2] = v.y1[1], r[3] = v.y2[1];
}

// Direct form I, one sample:
//   y[n] = b0·x[n] + b1·x[n−1] + b2·x[n−2] − a1·y[n−1] − a2·y[n−2]
// evaluated left to right, as written.
template <typename T>
inline T Section(const SCoefficients<T>& c, SSection<T>& s, T in)
{
    const T y = c.b0 * in + c.b1 * s.x1 + c.b2 * s.x2 - c.a1 * s.y1 - c.a2 * s.y2;
    s.x2 = s.x1;
    s.x1 = in;
    s.y2 = s.y1;
    s.y1 = y;
    return y;
}

}  // namespace biquad
