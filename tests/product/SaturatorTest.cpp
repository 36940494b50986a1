// Saturator: the curves' values worked out by hand, the low cut on the offset modes
// only, the dry path, the mix, and extreme inputs.
#include "product/engine/Saturator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kRate = 48000;

// One mode at kRate, as the engine leaves it after set-up.
struct Section : CSaturator {
    explicit Section(int mode)
    {
        SetSampleRate(kRate);
        SetMode(mode);
        Reset();
    }
};

std::vector<double> Mono(CSaturator& sat, std::vector<double> x, double mix)
{
    sat.ProcessMono(x.data(), mix, int32_t(x.size()));
    return x;
}

}  // namespace

TEST(Saturator, CurvesMatchHandValues)
{
    const std::vector<double> x = {0.5, -0.5, 0.9, 1.0, 1.5, -2.0, 0.0};
    // s = 1.5x - 0.5x^3 inside +-1, else x;  e = x + (2x^2 - 1) / 4;  (e + s) / 2.
    const std::vector<double> wet[3] = {{0.6875, -0.6875, 0.9855, 1.0, 1.5, -2.0, 0.0},
                                        {0.375, -0.625, 1.055, 1.25, 2.375, -0.25, -0.25},
                                        {0.53125, -0.65625, 1.02025, 1.125, 1.9375, -1.125, -0.125}};
    for (int mode = 0; mode < 3; ++mode) {
        // The offset modes' wet path goes through a 12 dB low cut at 10 Hz, Q 0.5 that
        // starts settled on the offset of silence: being linear and blind to DC, it
        // gives what a cleared low cut gives for the wet signal less that offset.
        std::vector<double> expected = wet[mode];
        if (mode != 0) {
            const double offset = wet[mode].back();
            for (double& v : expected)
                v -= offset;
            CIIR lowCut;
            lowCut.DesignLowCut12(kRate, 10.0, 0.5);
            lowCut.Reset();
            lowCut.ProcessMono(expected.data(), int32_t(expected.size()));
        }
        Section sat(mode);
        const std::vector<double> out = Mono(sat, x, 1.0);
        for (size_t i = 0; i < x.size(); ++i)
            EXPECT_NEAR(out[i], expected[i], 1e-12) << "mode " << mode << " at " << x[i];
    }
}

TEST(Saturator, OnlyTheWetOffsetIsRemoved)
{
    // Silence is exactly silence in the offset modes, from the start (no thump) and
    // again after Reset, whatever played before.
    for (int mode : {CSaturator::kMode2, CSaturator::kMode3}) {
        Section sat(mode);
        const std::vector<double> silence(kRate / 10, 0.0);
        EXPECT_EQ(Mono(sat, silence, 0.8), silence) << mode;
        std::vector<double> l(kRate / 10, 0.7), r(kRate / 10, -0.4);
        sat.Process(l.data(), r.data(), 1.0, int32_t(l.size()));
        EXPECT_NE(Mono(sat, silence, 1.0), silence);  // the low cut rings after the steps
        sat.Reset();
        EXPECT_EQ(Mono(sat, silence, 1.0), silence) << mode;
    }

    // DC at half mix in mode 2: the dry half keeps its DC, the wet half loses it.
    Section mode3(CSaturator::kMode3);
    EXPECT_NEAR(Mono(mode3, std::vector<double>(kRate, 0.5), 0.5).back(), 0.25, 1e-9);
    // Mode 0 makes no offset and is not filtered: DC stays s(0.5).
    Section mode1(CSaturator::kMode1);
    EXPECT_EQ(Mono(mode1, std::vector<double>(kRate, 0.5), 1.0).back(), 0.6875);
}

TEST(Saturator, MixChannelsAndExtremes)
{
    std::vector<double> x(100);  // -3..3, longer than one chunk
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = 3 * std::sin(0.1 * double(i * i));
    for (int mode = 0; mode < 3; ++mode) {
        // Mix 0 is the dry signal bit for bit.
        Section dry(mode);
        std::vector<double> l = x, r = x;
        dry.Process(l.data(), r.data(), 0.0, int32_t(x.size()));
        EXPECT_EQ(l, x);
        EXPECT_EQ(r, x);

        // Full scale beside silence: each channel is filtered on its own, so the left
        // matches a mono run of the same signal; nothing leaves the finite range.
        Section stereo(mode), mono(mode);
        std::vector<double> full(4096), quiet(4096, 0.0);
        for (size_t i = 0; i < full.size(); ++i)
            full[i] = (i % 3) ? 1.0 : -1.0;
        const std::vector<double> reference = Mono(mono, full, 1.0);
        stereo.Process(full.data(), quiet.data(), 1.0, int32_t(full.size()));
        EXPECT_EQ(full, reference);
        for (size_t i = 0; i < full.size(); ++i)
            ASSERT_TRUE(std::fabs(full[i]) < 4 && std::fabs(quiet[i]) < 1) << i;  // false for NaN
    }
}
