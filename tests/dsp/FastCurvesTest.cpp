// The fast log and exp against long-double references over the ranges their error
// bounds are stated for, and SafeFloat: an approximation it accepts rounds to the same
// float as the exact value, including exact values on a float midpoint.
#include "dsp/FastCurves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

TEST(FastCurves, LogAndExpStayWithinTheirBounds)
{
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> octave(0.0, 16.0), exponent(-fastcurves::kExpMax, fastcurves::kExpMax);
    // Log over 1 < x <= 2^16, log-uniform, with the ends and the table's interval starts.
    auto checkLog = [](double x) {
        const long double error = std::fabs((long double)fastcurves::Log(x) - std::log((long double)x));
        ASSERT_LE(error, (long double)fastcurves::kLogError) << x;
    };
    checkLog(std::nextafter(1.0, 2.0));
    checkLog(fastcurves::kLogMax);
    for (int j = 0; j < fastcurves::kLogEntries; ++j)
        checkLog(32768.0 * (1.0 + j / double(fastcurves::kLogEntries)));
    for (int i = 0; i < 200000; ++i)
        checkLog(std::exp2(octave(rng)));

    // Exp over |y| <= 80, relative.
    auto checkExp = [](double y) {
        const long double exact = std::exp((long double)y);
        ASSERT_LE(std::fabs(((long double)fastcurves::Exp(y) - exact) / exact), (long double)fastcurves::kExpError)
            << y;
    };
    for (double y : {0.0, fastcurves::kExpMax, -fastcurves::kExpMax, 0.6931471805599453 / 256.0})
        checkExp(y);
    for (int i = 0; i < 200000; ++i)
        checkExp(exponent(rng));
}

TEST(FastCurves, SafeFloatAcceptsOnlyWhatRoundsAsTheExactValue)
{
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> octave(-120.0, 120.0), offset(-1.0, 1.0);
    int accepted = 0, refused = 0;
    for (int i = 0; i < 400000; ++i) {
        // Exact values anywhere, and every fourth one on a float midpoint.
        double exact = std::exp2(octave(rng));
        if (i % 4 == 0) {
            const float below = float(exact);
            exact = (double(below) + double(std::nextafter(below, 2.0f * below))) / 2.0;
        }
        // An approximation within the relative error SafeFloat is stated for.
        const double approximation = exact * (1.0 + 0.999 * fastcurves::kSafeFloatError * offset(rng));
        const double f = fastcurves::SafeFloat(approximation);
        if (f < 0.0) {
            ++refused;
            continue;
        }
        ++accepted;
        ASSERT_EQ(f, double(float(exact))) << exact << " " << approximation;
    }
    // Most values are decided; those near a midpoint are not.
    EXPECT_GT(accepted, 250000);
    EXPECT_GT(refused, 90000);

    // Outside the normal float range, negative or NaN: never decided.
    for (double g : {0x1p-127, 0x1p128, -0.5, 0.0, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_LT(fastcurves::SafeFloat(g), 0.0) << g;
}
