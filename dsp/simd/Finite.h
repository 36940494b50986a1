// Block checks for non-finite samples (NaN, infinity), cheap enough to run on every
// block of the audio thread: no branch per sample.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "dsp/simd/Vector.h"

namespace finiteness {

// Whether every x[0..n) is finite: no value has an exponent field of all ones. Whole
// vectors of lanes are tested and the results ORed, so nothing waits on a comparison.
template <class T>
bool AllFinite(const T* x, int32_t n)
{
    static_assert(std::is_same_v<T, float> || std::is_same_v<T, double>);
    using Bits = std::conditional_t<sizeof(T) == 4, int32_t, int64_t>;
    typedef typename simd::SVector<Bits, 16 / sizeof(Bits)>::V Lanes;
    constexpr int32_t kLanes = 16 / sizeof(T);
    const Bits exponent = sizeof(T) == 4 ? Bits(0x7f800000) : Bits(0x7ff0000000000000);
    Lanes odd{};
    int32_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        Lanes v;
        std::memcpy(&v, x + i, sizeof v);
        odd |= (v & exponent) == exponent;
    }
    Bits any = 0;
    for (int32_t k = 0; k < kLanes; ++k)
        any |= odd[k];
    for (; i < n; ++i) {
        Bits v;
        std::memcpy(&v, x + i, sizeof v);
        any |= (v & exponent) == exponent;
    }
    return any == 0;
}

// Every non-finite x[0..n) becomes 0. Meant for the rare block that AllFinite refused.
template <class T>
void ZeroNonFinite(T* x, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
        if (!std::isfinite(x[i]))
            x[i] = T(0);
}

}  // namespace finiteness
