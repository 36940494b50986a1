// Filter designs as values: each EQ filter type's coefficients from rate, frequency, Q
// and gain, and the magnitude response of the result. No state and no side effects, so
// a design can be computed, compared and measured on its own; CIIR stores the result and
// runs it.
//
// Preconditions of every design (checked with assert in debug builds):
//   rate > 0;  freq > 0 and finite (audio designs hold it below 20/21 of the Nyquist
//   frequency themselves);  q > 0 and finite;  gainDb finite.
// The display design also needs freq <= kDisplayMaxFreq.
#pragma once

#include <array>
#include <cstdint>

// The names the designs and the filter that runs them share. CIIR derives from this, so
// CIIR::kBell and the like read as they always have.
struct SFilterTerms {
    // Values of the "EQ Band %d Type" parameter.
    enum EType : int32_t {
        kLowCut12 = 0,
        kLowCut18,
        kLowCut36,
        kLowShelf,
        kBell,
        kHighShelf,
        kHighCut12,
        kHighCut18,
        kHighCut36,
        kBandPass,
        kBandStop,
        kLowCut48,
        kHighCut48,
        kTypeCount
    };

    // Stage modes: how the one designed biquad is run.
    enum EStageMode : int32_t { kSingle = 0, kWithFirstOrder = 1, kThreeStages = 2, kFourStages = 3 };

    // b0, b1, b2, a1, a2 (a0 normalised to 1) and c, the one-pole coefficient of the
    // 18 dB types (1.0 otherwise).
    enum ECoefficient : int32_t { kB0 = 0, kB1, kB2, kA1, kA2, kC };
    using Coefficients = std::array<double, 6>;
};

// A frequency as the magnitude response sees it: cos and sin of w and 2w, where
// w = 2*pi*f/rate, in single precision.
struct SResponsePoint {
    float cos1, sin1, cos2, sin2;

    // rate > 0, freq >= 0.
    static SResponsePoint At(int32_t rate, double freq);
};

// One design: the biquad (run once or as identical stages in series), and for the
// 18 dB types the one-pole after it.
struct SFilterDesign : SFilterTerms {
    // b0 b1 b2 a1 a2 and c; c is 1.0 unless the stage mode is kWithFirstOrder (and in
    // display designs, which draw the one-pole from onePoleSection instead).
    Coefficients coefficients = {1.0, 0.0, 0.0, 0.0, 0.0, 1.0};
    EStageMode stageMode = kSingle;
    // kWithFirstOrder: the one-pole's output is x - s (low cut) rather than s (high cut).
    bool onePoleHighPass = false;
    // kWithFirstOrder: a Q 0.5 section at the one-pole's corner, limited like the
    // biquad's. Such a section is two coincident first-order sections, so the square
    // root of its magnitude draws the one-pole. The identity otherwise.
    Coefficients onePoleSection = {1.0, 0.0, 0.0, 0.0, 0.0, 1.0};

    // |H| at the point in single precision: the biquad's magnitude, cubed or to the
    // fourth power for the steep cuts, times the square root of onePoleSection's for the
    // 18 dB types. This is what the display draws.
    float Magnitude(const SResponsePoint& point) const;
    float Magnitude(int32_t rate, double freq) const { return Magnitude(SResponsePoint::At(rate, freq)); }
};

namespace filter {

// The display draws every design at this rate, whatever the audio rate.
constexpr int32_t kDisplayRate = 44100;
// The highest frequency the display design takes: 20/21 of the display rate's Nyquist
// frequency, where the designs at kDisplayRate stop anyway.
constexpr double kDisplayMaxFreq = 21000.0;

// The framework's one-pole law, 1 - exp(-6.283 f / rate), used by the 18 dB cuts'
// one-pole and the glide, writes 2*pi as 6.283. The value is part of every output, so it
// stays 6.283.
constexpr double kOnePoleTwoPi = 6.283;

SFilterDesign Flat();
SFilterDesign LowCut12(int32_t rate, double freq, double q);
SFilterDesign LowCut18(int32_t rate, double freq, double q);
SFilterDesign LowCut36(int32_t rate, double freq, double q);
SFilterDesign LowCut48(int32_t rate, double freq, double q);
SFilterDesign HighCut12(int32_t rate, double freq, double q);
SFilterDesign HighCut18(int32_t rate, double freq, double q);
SFilterDesign HighCut36(int32_t rate, double freq, double q);
SFilterDesign HighCut48(int32_t rate, double freq, double q);
SFilterDesign BandPass(int32_t rate, double freq, double q);
SFilterDesign BandStop(int32_t rate, double freq, double q);
SFilterDesign LowShelf(int32_t rate, double freq, double gainDb, double q);
SFilterDesign Bell(int32_t rate, double freq, double gainDb, double q);
SFilterDesign HighShelf(int32_t rate, double freq, double gainDb, double q);

// The Q a bell at this rate and frequency really uses: q, unless the bandwidth it asks
// for is wider than the bell's limit.
double BellQ(int32_t rate, double freq, double q);

// The design of an EType value (any other value designs flat); gain is ignored by the
// types that have none. The one place that maps types to designs.
SFilterDesign OfType(int32_t type, int32_t rate, double freq, double gainDb, double q);

// What the display draws for the type: the same design at kDisplayRate, with Q capped
// where a narrower shape would fall between the display's grid points, and the bell's
// bandwidth limited as it is at the audio rate (rate), the only use of rate. c is 1.0.
SFilterDesign ForDisplay(int32_t type, int32_t rate, double freq, double gainDb, double q);

}  // namespace filter
