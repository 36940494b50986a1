// The engine's chain with its equaliser and key filters: what reaches the output,
// measured with sines through the plug-in object.
#include "tests/support/PlugInHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace quillstrip;

namespace {

constexpr int32_t kRate = 48000;

std::vector<float> Sine(double freq, size_t frames, double amplitude = 0.25)
{
    std::vector<float> v(frames);
    for (size_t i = 0; i < frames; ++i)
        v[i] = static_cast<float>(amplitude * std::sin(2.0 * M_PI * freq * double(i) / kRate));
    return v;
}

// Gain in dB of a steady sine through the plug-in, after the filters have settled
// (coefficients glide, and a low bell needs them very close to their targets).
double GainDb(PlugInHarness& h, double freq, bool stereo = true)
{
    const std::vector<float> in = Sine(freq, 96000);
    const auto out = stereo ? h.Run({in, in}) : h.Run({in}, 1);
    float peakIn = 0, peakOut = 0;
    for (size_t i = 72000; i < in.size(); ++i) {
        peakIn = std::max(peakIn, std::fabs(in[i]));
        peakOut = std::max(peakOut, std::fabs(out[0][i]));
    }
    return 20.0 * std::log10(peakOut / peakIn);
}

// Band b (0-based) as a bell at freq with gain.
void Bell(PlugInHarness& h, int32_t b, float freq, float gain)
{
    auto& pm = h.parameters();
    const int32_t n = b * kBandStride;
    pm.SetValue(false, n + kBandType, 4, kSetProcessing);
    pm.SetValue(false, n + kBandFreq, freq, kSetProcessing);
    pm.SetValue(false, n + kBandQ, 2.0f, kSetProcessing);
    pm.SetValue(false, n + kBandGain, gain, kSetProcessing);
    pm.SetValue(false, n + kBandEnable, 1, kSetProcessing);
}

}  // namespace

TEST(EngineChain, EnabledBandsShapeTheSoundAndOffBandsAreFlat)
{
    for (bool stereo : {true, false}) {
        PlugInHarness h(kRate, stereo ? 2 : 1);
        Bell(h, 2, 1000, 12);
        EXPECT_NEAR(GainDb(h, 1000, stereo), 12.0, 0.1);
        EXPECT_NEAR(GainDb(h, 12000, stereo), 0.0, 0.3);
        // Off: the band glides back to flat.
        h.parameters().SetValue(false, 2 * kBandStride + kBandEnable, 0, kSetProcessing);
        EXPECT_NEAR(GainDb(h, 1000, stereo), 0.0, 0.01);
        // The EQ section switch turns enabled bands off too, and back on.
        h.parameters().SetValue(false, 2 * kBandStride + kBandEnable, 1, kSetProcessing);
        h.parameters().SetValue(false, kEqSection, 0, kSetProcessing);
        EXPECT_NEAR(GainDb(h, 1000, stereo), 0.0, 0.01);
        h.parameters().SetValue(false, kEqSection, 1, kSetProcessing);
        EXPECT_NEAR(GainDb(h, 1000, stereo), 12.0, 0.1);
    }
}

TEST(EngineChain, SoloedBandsAloneShapeTheSound)
{
    PlugInHarness h(kRate);
    Bell(h, 0, 200, -12);
    Bell(h, 3, 4000, 9);
    EXPECT_NEAR(GainDb(h, 200), -12.0, 0.2);
    h.parameters().SetValue(false, 3 * kBandStride + kBandSolo, 1, kSetProcessing);
    EXPECT_NEAR(GainDb(h, 200), 0.0, 0.3);
    EXPECT_NEAR(GainDb(h, 4000), 9.0, 0.2);
    // A soloed band that is off still runs, flat.
    h.parameters().SetValue(false, 5 * kBandStride + kBandSolo, 1, kSetProcessing);
    EXPECT_NEAR(GainDb(h, 4000), 9.0, 0.2);
    h.parameters().SetValue(false, 3 * kBandStride + kBandSolo, 0, kSetProcessing);
    h.parameters().SetValue(false, 5 * kBandStride + kBandSolo, 0, kSetProcessing);
    EXPECT_NEAR(GainDb(h, 200), -12.0, 0.2);
}

TEST(EngineChain, MonitoredKeyIsTheFilteredKeyTimesTheOutputGain)
{
    // "Dynamics To EQ" with the compressor key monitored: band pass at 1 kHz on the
    // key, +6 dB key output; the EQ band (+12 dB) must not run.
    PlugInHarness h(kRate);
    auto& pm = h.parameters();
    Bell(h, 2, 1000, 12);
    pm.SetValue(false, kRouting, 1, kSetProcessing);
    pm.SetValue(false, kCompScType, 9, kSetProcessing);
    pm.SetValue(false, kCompScFreq, 1000, kSetProcessing);
    pm.SetValue(false, kCompScQ, 2, kSetProcessing);
    pm.SetValue(false, kCompScOutput, 6, kSetProcessing);
    pm.SetValue(false, kCompScMonitor, 1, kSetProcessing);
    EXPECT_EQ(pm.GetValue(kCompScEnable, kSetProcessing), 1.0f);  // the monitor turned the filter on
    EXPECT_NEAR(GainDb(h, 1000), 6.0, 0.1);
    EXPECT_LT(GainDb(h, 100), -10.0);
    // Monitoring the gate key instead turns the compressor monitor off.
    pm.SetValue(false, kGateScType, 9, kSetProcessing);
    pm.SetValue(false, kGateScFreq, 1000, kSetProcessing);
    pm.SetValue(false, kGateScMonitor, 1, kSetProcessing);
    EXPECT_EQ(pm.GetValue(kCompScMonitor, kSetProcessing), 0.0f);
    EXPECT_NEAR(GainDb(h, 1000), 12.0, 0.1);  // gate key output defaults to +12 dB
}

TEST(EngineChain, ExternalKeyReplacesTheSignalWhileMonitored)
{
    PlugInHarness h(kRate, 2, 2);
    auto& pm = h.parameters();
    pm.SetValue(false, kGateScType, 9, kSetProcessing);  // band pass
    pm.SetValue(false, kGateScFreq, 500, kSetProcessing);
    pm.SetValue(false, kGateScOutput, 0, kSetProcessing);
    pm.SetValue(false, kGateScInput, 1, kSetProcessing);
    pm.SetValue(false, kGateScMonitor, 1, kSetProcessing);
    const std::vector<float> main = Sine(3000, 96000), key = Sine(500, 96000, 0.5);
    const auto out = h.Run({main, main, key, key});
    float peak = 0;
    for (size_t i = 72000; i < key.size(); ++i)
        peak = std::max(peak, std::fabs(out[1][i]));
    EXPECT_NEAR(peak, 0.5f, 0.01f);  // the external key at 0 dB, not the 3 kHz signal
}

TEST(EngineChain, WidthAndSaturationSitBehindTheirSwitches)
{
    // Width at -100 % on every band folds stereo to mono; a mono engine is untouched.
    PlugInHarness h(kRate);
    auto& pm = h.parameters();
    for (int32_t n : {kStereoLow, kStereoMid, kStereoHigh})
        pm.SetValue(false, n, -100, kSetProcessing);
    h.plugIn().Suspend();  // snap the width ramps
    h.plugIn().Resume();
    const std::vector<float> l = Noise(4096, 5), r = Noise(4096, 6);
    auto out = h.Run({l, r});
    EXPECT_EQ(out[0], l);  // switched off: untouched
    pm.SetValue(false, kStereoEnable, 1, kSetProcessing);
    out = h.Run({l, r});
    for (size_t i = 0; i < l.size(); ++i)
        ASSERT_NEAR(out[0][i], out[1][i], 1e-6f) << i;

    PlugInHarness mono(kRate, 1);
    mono.parameters().SetValue(false, kStereoEnable, 1, kSetProcessing);
    EXPECT_EQ(mono.Run({l}, 1)[0], l);

    // Saturation with its mix at 0 passes the dry signal; at 100 % "Mode 1" bends a
    // sine by its soft curve, 1.5x - 0.5x^3: a peak of 0.5 comes out at 0.6875.
    PlugInHarness s(kRate);
    s.parameters().SetValue(false, kSaturationEnable, 1, kSetProcessing);
    s.parameters().SetValue(false, kSaturationMix, 0, kSetProcessing);
    s.plugIn().Suspend();
    s.plugIn().Resume();
    EXPECT_EQ(s.Run({l, r})[0], l);
    s.parameters().SetValue(false, kSaturationMix, 100, kSetProcessing);
    s.parameters().SetValue(false, kSaturationMode, 0, kSetProcessing);
    s.plugIn().Suspend();
    s.plugIn().Resume();
    const std::vector<float> sine = Sine(100, 960, 0.5);  // 480 samples a period
    const auto bent = s.Run({sine, sine});
    EXPECT_NEAR(bent[0][120], 0.6875f, 1e-6f);
    EXPECT_NEAR(bent[1][360], -0.6875f, 1e-6f);
}
