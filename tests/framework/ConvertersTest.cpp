// Plain <-> normalized converters and the numeric display rule.
#include "framework/de/Converters.h"
#include "framework/de/DisplayConverter.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace zt::de;

TEST(Converters, LinearEndsAndMidpoints)
{
    CConverterLinear c(-40, 0);
    EXPECT_DOUBLE_EQ(c.ToNormalized(-20), 0.5);
    EXPECT_FLOAT_EQ(c.FromNormalized(0.25), -30.0f);
    EXPECT_DOUBLE_EQ(c.ToNormalized(-40), 0.0);
    EXPECT_FLOAT_EQ(c.FromNormalized(1.0), 0.0f);
}

TEST(Converters, LogWithCurveBase)
{
    CConverterLog c(10, 5000, 500);
    EXPECT_NEAR(c.ToNormalized(10), 0.0, 1e-12);
    EXPECT_NEAR(c.ToNormalized(5000), 1.0, 1e-12);
    EXPECT_NEAR(c.FromNormalized(0.5), 10 + 4990 * (std::sqrt(500.0) - 1) / 499, 1e-3);
    EXPECT_EQ(c.FromNormalized(1.0), 5000.0f);  // snapped onto the maximum
    EXPECT_EQ(c.FromNormalized(0.9999999), 5000.0f);
    for (float v : {12.0f, 120.0f, 999.0f, 4321.0f})
        EXPECT_NEAR(c.FromNormalized(c.ToNormalized(v)), v, v * 1e-5);
}

TEST(Converters, TrueLog)
{
    CConverterTrueLog c(16, 20400);
    EXPECT_NEAR(c.FromNormalized(0.5), std::sqrt(16.0 * 20400.0), 0.01);
    EXPECT_NEAR(c.ToNormalized(16), 0.0, 1e-12);
    EXPECT_NEAR(c.ToNormalized(20400), 1.0, 1e-7);
    for (float v : {20.0f, 1000.0f, 15000.0f})
        EXPECT_NEAR(c.FromNormalized(c.ToNormalized(v)), v, v * 1e-5);
}

TEST(Converters, CubicBelowPivotFourthPowerAbove)
{
    // Decade 0: M = 1, pivot = (1 / 16)^(1/4) = 0.5.
    CConverterX3 c(0, 16, 0);
    EXPECT_DOUBLE_EQ(c.ToNormalized(0), 0.0);
    EXPECT_NEAR(c.ToNormalized(1), 0.5, 1e-12);        // the pivot maps M
    EXPECT_NEAR(c.ToNormalized(16), 1.0, 1e-12);       // and the top maps the maximum
    EXPECT_NEAR(c.FromNormalized(0.25), 0.125, 1e-7);  // (0.25 / 0.5)^3
    EXPECT_NEAR(c.FromNormalized(0.75), std::pow(1.5, 4), 1e-5);
    for (float v : {0.001f, 0.3f, 2.0f, 9.0f})
        EXPECT_NEAR(c.FromNormalized(c.ToNormalized(v)), v, v * 1e-5);
}

TEST(Converters, MadeFromAutomationKind)
{
    EXPECT_EQ(MakeConverter(IConverter::kLog, 10, 5000, 500)->GetKind(), IConverter::kLog);
    EXPECT_EQ(MakeConverter(IConverter::kTrueLog, 16, 20400, 0)->GetKind(), IConverter::kTrueLog);
    EXPECT_TRUE(MakeConverter(IConverter::kLinear, 0, 1, 0)->IsLinear());
}

TEST(DisplayFormat, RoundingWidthAndCarry)
{
    EXPECT_EQ(CDisplayConverter::FormatNumber(-16.0, 1, 32), "-16.0");
    EXPECT_EQ(CDisplayConverter::FormatNumber(0.125, 2, 32), "0.13");  // half away from zero
    EXPECT_EQ(CDisplayConverter::FormatNumber(-0.125, 2, 32), "-0.13");
    EXPECT_EQ(CDisplayConverter::FormatNumber(-0.04, 1, 32), "0.0");  // no "-0.0"
    EXPECT_EQ(CDisplayConverter::FormatNumber(7.0, 0, 32), "7");
    // The width leaves room for sign and integer part first; decimals only fit when
    // "." and at least one digit do.
    EXPECT_EQ(CDisplayConverter::FormatNumber(-12.04, 1, 4), "-12");
    EXPECT_EQ(CDisplayConverter::FormatNumber(-6.2, 1, 4), "-6.2");
    EXPECT_EQ(CDisplayConverter::FormatNumber(1.234, 3, 4), "1.23");
    EXPECT_EQ(CDisplayConverter::FormatNumber(123456.0, 1, 4), "123456");
    // A digit that rounds to ten carries into the integer part.
    EXPECT_EQ(CDisplayConverter::FormatNumber(9.996, 3, 4), "10.00");
}

TEST(DisplayFormat, FrequencyRangesAndUnits)
{
    CDisplayConverter f(0, 32);
    f.SetRanges(CDisplayConverter::FrequencyRanges(1));
    char text[32];
    f.Format(999.94f, text, sizeof text);
    EXPECT_STREQ(text, "999.9");
    f.Format(1000.0f, text, sizeof text);
    EXPECT_STREQ(text, "1.0K");
    f.Format(20400.0f, text, sizeof text);
    EXPECT_STREQ(text, "20K");
    f.SetPrefix("~");
    f.SetUnit("Hz");
    f.Format(2500.0f, text, sizeof text);
    EXPECT_STREQ(text, "~2.5KHz");
    f.Format(2500.0f, text, 4);  // a short buffer is cut, never overrun
    EXPECT_STREQ(text, "~2.");
}
