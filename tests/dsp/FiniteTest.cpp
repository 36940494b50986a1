// The block check for non-finite samples: every position of a block, whole vectors and
// the tail, in float and double; huge and tiny finite values are not caught.
#include "dsp/simd/Finite.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

template <class T>
void CheckEveryPosition()
{
    using Limits = std::numeric_limits<T>;
    for (int32_t n : {1, 3, 4, 7, 32, 33}) {
        std::vector<T> x(static_cast<size_t>(n), T(0.25));
        x[0] = Limits::max();
        x[static_cast<size_t>(n - 1)] = -Limits::denorm_min();
        EXPECT_TRUE(finiteness::AllFinite(x.data(), n)) << n;
        for (T odd : {Limits::quiet_NaN(), Limits::infinity(), -Limits::infinity()})
            for (int32_t at = 0; at < n; ++at) {
                std::vector<T> y = x;
                y[static_cast<size_t>(at)] = odd;
                EXPECT_FALSE(finiteness::AllFinite(y.data(), n)) << n << " " << at;
                finiteness::ZeroNonFinite(y.data(), n);
                std::vector<T> expected = x;
                expected[static_cast<size_t>(at)] = T(0);
                EXPECT_EQ(y, expected) << n << " " << at;
            }
    }
}

}  // namespace

TEST(Finite, EveryPositionOfABlockIsLookedAt)
{
    CheckEveryPosition<float>();
    CheckEveryPosition<double>();
}
