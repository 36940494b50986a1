// Two doubles side by side, for the sections' inner loops: a stereo sample {left, right}
// or two neighbouring values. Element-wise operations on a Pair are the scalar IEEE
// operations, so each lane holds exactly what the scalar code would compute. The
// library is built for baseline x86-64, which has no fused multiply-add, so products and
// sums round separately, as written. Internal to the dsp library.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

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

// out[i] = double(in[i]) and out[i] = float(in[i]), two at a time (a plain loop stays
// scalar at the optimisation level the library builds with).
inline void ToDoubles(const float* in, double* out, int32_t n)
{
    using Floats = float __attribute__((vector_size(8)));
    int32_t i = 0;
    for (; i + 2 <= n; i += 2) {
        Floats v;
        std::memcpy(&v, in + i, sizeof v);
        StorePair(out + i, __builtin_convertvector(v, Pair));
    }
    for (; i < n; ++i)
        out[i] = double(in[i]);
}

inline void ToFloats(const double* in, float* out, int32_t n)
{
    using Floats = float __attribute__((vector_size(8)));
    int32_t i = 0;
    for (; i + 2 <= n; i += 2) {
        const Floats v = __builtin_convertvector(LoadPair(in + i), Floats);
        std::memcpy(out + i, &v, sizeof v);
    }
    for (; i < n; ++i)
        out[i] = static_cast<float>(in[i]);
}

}  // namespace pairs
