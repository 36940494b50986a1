// The filter designs on their own: what each shape does at the frequencies that define
// it, the magnitude response against a double-precision evaluation, the audio limit,
// and the display path against the audio path.
#include "dsp/FilterDesign.h"
#include "dsp/IIR.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kButterworthQ = 0.7071067811865476;

double Db(double magnitude) { return 20.0 * std::log10(magnitude); }

// |H(e^jw)| of a section in double precision.
double SectionMagnitude(const SFilterTerms::Coefficients& c, int rate, double freq)
{
    const std::complex<double> z = std::polar(1.0, -kTwoPi * freq / rate);
    return std::abs((c[0] + c[1] * z + c[2] * z * z) / (1.0 + c[3] * z + c[4] * z * z));
}

// The design's magnitude in double precision: the section once, cubed or to the fourth
// power, and for the 18 dB types times the square root of the Q 0.5 section that stands
// for the one-pole.
double Magnitude(const SFilterDesign& d, int rate, double freq)
{
    const double m = SectionMagnitude(d.coefficients, rate, freq);
    switch (d.stageMode) {
    case SFilterTerms::kWithFirstOrder:
        return m * std::sqrt(SectionMagnitude(d.onePoleSection, rate, freq));
    case SFilterTerms::kThreeStages:
        return m * m * m;
    case SFilterTerms::kFourStages:
        return m * m * m * m;
    default:
        return m;
    }
}

}  // namespace

TEST(FilterDesign, ShapesMeetTheirDefiningPoints)
{
    for (int rate : {44100, 96000}) {
        SCOPED_TRACE(rate);
        for (double gain : {-24.0, -3.0, 6.0, 18.0}) {
            for (double q : {0.3, 1.0, 8.0})
                EXPECT_NEAR(Db(Magnitude(filter::Bell(rate, 1000, gain, q), rate, 1000)), gain, 1e-9)
                    << gain << " " << q;
            // Full gain far from the corner, half of it (in dB) at the corner, none on the
            // other side.
            const SFilterDesign low = filter::LowShelf(rate, 300, gain, 1),
                                high = filter::HighShelf(rate, 3000, gain, 1);
            EXPECT_NEAR(Db(Magnitude(low, rate, 16)), gain, 0.02) << gain;
            EXPECT_NEAR(Db(Magnitude(low, rate, 300)), gain / 2, 2e-3) << gain;
            EXPECT_NEAR(Db(Magnitude(low, rate, 20000)), 0.0, 0.02) << gain;
            EXPECT_NEAR(Db(Magnitude(high, rate, 20000)), gain, 0.05) << gain;
            EXPECT_NEAR(Db(Magnitude(high, rate, 3000)), gain / 2, 2e-3) << gain;
            EXPECT_NEAR(Db(Magnitude(high, rate, 16)), 0.0, 0.02) << gain;
        }
        // Butterworth 12 dB cuts are 3.01 dB down at the corner; the 18 dB cuts add the
        // 3.01 dB of their one-pole there.
        const double halfPowerDb = 10 * std::log10(0.5);
        for (double fc : {40.0, 1000.0, 15000.0}) {
            const auto cornerDb = [&](const SFilterDesign& d) { return Db(Magnitude(d, rate, fc)); };
            EXPECT_NEAR(cornerDb(filter::LowCut12(rate, fc, kButterworthQ)), halfPowerDb, 1e-9) << fc;
            EXPECT_NEAR(cornerDb(filter::HighCut12(rate, fc, kButterworthQ)), halfPowerDb, 1e-9) << fc;
            EXPECT_NEAR(cornerDb(filter::LowCut18(rate, fc, kButterworthQ)), 2 * halfPowerDb, 1e-9) << fc;
            EXPECT_NEAR(cornerDb(filter::HighCut18(rate, fc, kButterworthQ)), 2 * halfPowerDb, 1e-9) << fc;
        }
        // The steepest shelf overshoots below 0 dB; band pass and notch at and away
        // from their centre.
        EXPECT_LT(Db(Magnitude(filter::LowShelf(rate, 200, 12, 100), rate, 600)), -0.3);
        EXPECT_NEAR(Db(Magnitude(filter::BandPass(rate, 2000, 3), rate, 2000)), 0.0, 1e-9);
        EXPECT_LT(Db(Magnitude(filter::BandPass(rate, 1000, 1), rate, 100)), -19.0);
        EXPECT_LT(Db(Magnitude(filter::BandStop(rate, 2000, 3), rate, 2000)), -200.0);
        EXPECT_NEAR(Db(Magnitude(filter::BandStop(rate, 1000, 1), rate, 10000)), 0.0, 0.05);
    }
}

// The type values are those of the band type parameter, which presets store.
TEST(FilterDesign, TypeValuesMapToTheirDesigns)
{
    const auto same = [](const SFilterDesign& a, const SFilterDesign& b) {
        return a.coefficients == b.coefficients && a.stageMode == b.stageMode && a.onePoleHighPass == b.onePoleHighPass
            && a.onePoleSection == b.onePoleSection;
    };
    const int r = 48000;
    const double f = 900, g = 4, q = 1.3;
    const SFilterDesign byValue[SFilterTerms::kTypeCount]
        = {filter::LowCut12(r, f, q),    filter::LowCut18(r, f, q),  filter::LowCut36(r, f, q),
           filter::LowShelf(r, f, g, q), filter::Bell(r, f, g, q),   filter::HighShelf(r, f, g, q),
           filter::HighCut12(r, f, q),   filter::HighCut18(r, f, q), filter::HighCut36(r, f, q),
           filter::BandPass(r, f, q),    filter::BandStop(r, f, q),  filter::LowCut48(r, f, q),
           filter::HighCut48(r, f, q)};
    for (int type = 0; type < SFilterTerms::kTypeCount; ++type)
        EXPECT_TRUE(same(filter::OfType(type, r, f, g, q), byValue[type])) << type;
}

// Exactly the identity, which the filter passes bit for bit (its exactness tests).
TEST(FilterDesign, FlatAndZeroGainAreExactlyOne)
{
    for (int type : {-1, int(SFilterTerms::kTypeCount), int(SFilterTerms::kLowShelf), int(SFilterTerms::kBell),
                     int(SFilterTerms::kHighShelf)}) {
        const SFilterDesign d = filter::OfType(type, 48000, 1000, 0.0, 2);
        EXPECT_EQ(d.stageMode, SFilterTerms::kSingle) << type;
        EXPECT_EQ(d.coefficients, (SFilterTerms::Coefficients{1.0, 0.0, 0.0, 0.0, 0.0, 1.0})) << type;
        for (double f : {0.0, 16.0, 1000.0, 12345.0, 23999.0})
            EXPECT_EQ(d.Magnitude(48000, f), 1.0f) << type << " @" << f;
    }
}

// The single-precision response, as drawn, against the double-precision one.
TEST(FilterDesign, MagnitudeCoversEveryStageMode)
{
    for (int type = 0; type < SFilterTerms::kTypeCount; ++type) {
        const SFilterDesign d = filter::OfType(type, 48000, 700, 5, 1.7);
        for (double f : {50.0, 700.0, 5000.0}) {
            const double expected = Magnitude(d, 48000, f);
            EXPECT_NEAR(d.Magnitude(48000, f), expected, 1e-3 * expected + 1e-6) << type << " @" << f;
        }
    }
}

TEST(FilterDesign, AudioDesignsStopBelowNyquist)
{
    // Above 20/21 of Nyquist (22857 Hz at 48 kHz) every frequency gives the same section;
    // the one-pole of the 18 dB types keeps following the set frequency.
    for (int type = 0; type < SFilterTerms::kTypeCount; ++type) {
        const SFilterDesign at = filter::OfType(type, 48000, 23000, 6, 2),
                            above = filter::OfType(type, 48000, 40000, 6, 2);
        const SFilterDesign below = filter::OfType(type, 48000, 22000, 6, 2);
        for (int k = SFilterTerms::kB0; k <= SFilterTerms::kA2; ++k)
            EXPECT_EQ(at.coefficients[k], above.coefficients[k]) << type;
        EXPECT_EQ(at.onePoleSection, above.onePoleSection) << type;
        EXPECT_NE(at.coefficients, below.coefficients) << type;
        if (at.stageMode == SFilterTerms::kWithFirstOrder) {
            EXPECT_LT(at.coefficients[SFilterTerms::kC], above.coefficients[SFilterTerms::kC]) << type;
        }
    }
}

TEST(FilterDesign, DisplayUsesTheAudioDesignsAt44100)
{
    std::vector<float> drawn(CIIR::kDisplayPoints);
    for (int type = -1; type <= SFilterTerms::kTypeCount; ++type) {
        for (double freq : {30.0, 1000.0, 18000.0}) {
            // Within the display's Q caps the display design is the audio design at
            // 44.1 kHz, only without the one-pole's coefficient (it is drawn instead).
            CIIR audio, display;
            audio.Design(type, 44100, freq, -7, 3);
            display.DesignDisplay(type, 96000, freq, -7, 3);
            SFilterDesign expected = filter::OfType(type, 44100, freq, -7, 3);
            for (int k = SFilterTerms::kB0; k <= SFilterTerms::kA2; ++k)
                EXPECT_EQ(display.Display()[k], audio.Target()[k]) << type << " " << freq;
            EXPECT_EQ(display.Display()[SFilterTerms::kC], 1.0);
            EXPECT_EQ(display.GetDisplayStageMode(), audio.GetStageMode());
            EXPECT_EQ(display.FirstOrderDisplay(), expected.onePoleSection);

            // The drawn curve is the design's magnitude on the grid.
            expected.coefficients[SFilterTerms::kC] = 1.0;
            display.GetDisplayResponse(drawn.data(), 0);
            for (int i = 0; i < CIIR::kDisplayPoints; i += 59)
                EXPECT_EQ(drawn[i], expected.Magnitude(44100, CIIR::DisplayFrequency(i))) << type << " @" << i;
        }
    }
    // Beyond what the grid resolves, band-pass, notch and shelves draw Q 50 and the bell
    // Q 25.
    EXPECT_EQ(filter::ForDisplay(SFilterTerms::kBandPass, 48000, 500, 0, 90).coefficients,
              filter::OfType(SFilterTerms::kBandPass, 44100, 500, 0, 50).coefficients);
    EXPECT_EQ(filter::ForDisplay(SFilterTerms::kBell, 48000, 500, 9, 90).coefficients,
              filter::OfType(SFilterTerms::kBell, 44100, 500, 9, 25).coefficients);
}
