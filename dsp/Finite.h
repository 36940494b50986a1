// Block checks for non-finite samples (NaN, infinity), cheap enough to run on every
// block of the audio thread: no branch per sample.
#pragma once

#include <cmath>
#include <cstdint>

namespace finiteness {

// Whether every x[0..n) is finite. x - x is exactly 0 for a finite x and NaN for any
// other, so each running sum stays exactly 0 until a non-finite sample comes; four
// sums keep the additions independent.
template <class T>
bool AllFinite(const T* x, int32_t n)
{
    T sum[4] = {};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4)
        for (int32_t k = 0; k < 4; ++k)
            sum[k] += x[i + k] - x[i + k];
    for (; i < n; ++i)
        sum[0] += x[i] - x[i];
    return (sum[0] + sum[1]) + (sum[2] + sum[3]) == T(0);
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
