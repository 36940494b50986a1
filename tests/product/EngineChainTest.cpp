// The engine's chain through the plug-in object: what reaches the output of the
// equaliser, its key filters and the dynamics sections, measured with sines, and their
// meters, the limiter's ceiling and the external key.
#include "tests/support/PlugInHarness.h"
#include "product/engine/QuillstripDSP.h"

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

float Peak(const std::vector<float>& v, size_t from = 0)
{
    float peak = 0;
    for (size_t i = from; i < v.size(); ++i)
        peak = std::max(peak, std::fabs(v[i]));
    return peak;
}

using Settings = std::initializer_list<std::pair<int32_t, float>>;

void Set(PlugInHarness& h, Settings values)
{
    for (const auto& [number, value] : values)
        h.parameters().SetValue(false, number, value, kSetProcessing);
}

// Settings made before the plug-in is activated are in force from the first sample
// (ramps snapped, sections fresh).
void SetAll(PlugInHarness& h, Settings values)
{
    h.plugIn().Suspend();
    Set(h, values);
    h.plugIn().Resume();
}

// Gain in dB of a steady sine through the plug-in, after the filters have settled
// (coefficients glide, and a low bell needs them very close to their targets).
double GainDb(PlugInHarness& h, double freq, bool stereo = true)
{
    const std::vector<float> in = Sine(freq, 96000);
    const auto out = stereo ? h.Run({in, in}) : h.Run({in}, 1);
    return 20.0 * std::log10(Peak(out[0], 72000) / Peak(in, 72000));
}

// Band b (0-based) as a bell at freq with gain.
void Bell(PlugInHarness& h, int32_t b, float freq, float gain)
{
    const int32_t n = b * kBandStride;
    Set(h,
        {{n + kBandType, 4}, {n + kBandFreq, freq}, {n + kBandQ, 2.0f}, {n + kBandGain, gain}, {n + kBandEnable, 1}});
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
        Set(h, {{2 * kBandStride + kBandEnable, 0}});
        EXPECT_NEAR(GainDb(h, 1000, stereo), 0.0, 0.01);
        // The EQ section switch turns enabled bands off too, and back on.
        Set(h, {{2 * kBandStride + kBandEnable, 1}, {kEqSection, 0}});
        EXPECT_NEAR(GainDb(h, 1000, stereo), 0.0, 0.01);
        Set(h, {{kEqSection, 1}});
        EXPECT_NEAR(GainDb(h, 1000, stereo), 12.0, 0.1);
    }
}

TEST(EngineChain, SoloedBandsAloneShapeTheSound)
{
    PlugInHarness h(kRate);
    Bell(h, 0, 200, -12);
    Bell(h, 3, 4000, 9);
    EXPECT_NEAR(GainDb(h, 200), -12.0, 0.2);
    Set(h, {{3 * kBandStride + kBandSolo, 1}});
    EXPECT_NEAR(GainDb(h, 200), 0.0, 0.3);
    EXPECT_NEAR(GainDb(h, 4000), 9.0, 0.2);
    // A soloed band that is off still runs, flat.
    Set(h, {{5 * kBandStride + kBandSolo, 1}});
    EXPECT_NEAR(GainDb(h, 4000), 9.0, 0.2);
    Set(h, {{3 * kBandStride + kBandSolo, 0}, {5 * kBandStride + kBandSolo, 0}});
    EXPECT_NEAR(GainDb(h, 200), -12.0, 0.2);
}

TEST(EngineChain, MonitoredKeyIsTheFilteredKeyTimesTheOutputGain)
{
    // "Dynamics To EQ" with the compressor key monitored: band pass at 1 kHz on the
    // key, +6 dB key output; the EQ band (+12 dB) must not run.
    PlugInHarness h(kRate);
    auto& pm = h.parameters();
    Bell(h, 2, 1000, 12);
    Set(h,
        {{kRouting, 1}, {kCompScType, 9}, {kCompScFreq, 1000}, {kCompScQ, 2}, {kCompScOutput, 6}, {kCompScMonitor, 1}});
    EXPECT_EQ(pm.GetValue(kCompScEnable, kSetProcessing), 1.0f);  // the monitor turned the filter on
    EXPECT_NEAR(GainDb(h, 1000), 6.0, 0.1);
    EXPECT_LT(GainDb(h, 100), -10.0);
    // Monitoring the gate key instead turns the compressor monitor off.
    Set(h, {{kGateScType, 9}, {kGateScFreq, 1000}, {kGateScMonitor, 1}});
    EXPECT_EQ(pm.GetValue(kCompScMonitor, kSetProcessing), 0.0f);
    EXPECT_NEAR(GainDb(h, 1000), 12.0, 0.1);  // gate key output defaults to +12 dB
}

TEST(EngineChain, ExternalKeyReplacesTheSignalWhileMonitored)
{
    PlugInHarness h(kRate, 2, 2);
    Set(h,
        {{kGateScType, 9 /* band pass */},
         {kGateScFreq, 500},
         {kGateScOutput, 0},
         {kGateScInput, 1},
         {kGateScMonitor, 1}});
    const std::vector<float> main = Sine(3000, 96000), key = Sine(500, 96000, 0.5);
    const auto out = h.Run({main, main, key, key});
    EXPECT_NEAR(Peak(out[1], 72000), 0.5f, 0.01f);  // the external key at 0 dB, not the 3 kHz signal
}

TEST(EngineChain, WidthAndSaturationSitBehindTheirSwitches)
{
    // Width at -100 % on every band folds stereo to mono; a mono engine is untouched.
    PlugInHarness h(kRate);
    SetAll(h, {{kStereoLow, -100}, {kStereoMid, -100}, {kStereoHigh, -100}});
    const std::vector<float> l = Noise(4096, 5), r = Noise(4096, 6);
    auto out = h.Run({l, r});
    EXPECT_EQ(out[0], l);  // switched off: untouched
    Set(h, {{kStereoEnable, 1}});
    out = h.Run({l, r});
    for (size_t i = 0; i < l.size(); ++i)
        ASSERT_NEAR(out[0][i], out[1][i], 1e-6f) << i;

    PlugInHarness mono(kRate, 1);
    Set(mono, {{kStereoEnable, 1}});
    EXPECT_EQ(mono.Run({l}, 1)[0], l);

    // Saturation with its mix at 0 passes the dry signal; at 100 % "Mode 1" bends a
    // sine by its soft curve, 1.5x - 0.5x^3: a peak of 0.5 comes out at 0.6875.
    PlugInHarness s(kRate);
    SetAll(s, {{kSaturationEnable, 1}, {kSaturationMix, 0}});
    EXPECT_EQ(s.Run({l, r})[0], l);
    SetAll(s, {{kSaturationMix, 100}, {kSaturationMode, 0}});
    const std::vector<float> sine = Sine(100, 960, 0.5);  // 480 samples a period
    const auto bent = s.Run({sine, sine});
    EXPECT_NEAR(bent[0][120], 0.6875f, 1e-6f);
    EXPECT_NEAR(bent[1][360], -0.6875f, 1e-6f);
}

TEST(EngineDynamics, CompressorReducesLoudSignalsAndShowsIt)
{
    PlugInHarness h(kRate);
    SetAll(h,
           {{kCompEnable, 1},
            {kCompThreshold, -24},
            {kCompRatio, 8},
            {kCompKnee, 0},
            {kCompAttack, 1},
            {kCompRelease, 50}});
    const auto loud = Sine(200, 48000, 0.9);
    const auto out = h.Run({loud, loud});
    EXPECT_LT(Peak(out[0], 24000), 0.5f);
    auto* engine = h.product().GetEngine();
    EXPECT_LT(engine->TakeGainReduction(CQuillstripDSP::kGainComp), 0.5f);
    EXPECT_GT(engine->TakePeak(CQuillstripDSP::kPeakComp), 0.5f);
    // Quiet signals pass: well below the threshold nothing changes.
    const auto quiet = Sine(200, 48000, 0.01);
    const auto same = h.Run({quiet, quiet});
    EXPECT_NEAR(Peak(same[0], 40000), 0.01f, 1e-4f);

    // Type "2" gets the same settings and compresses too.
    SetAll(h, {{kCompressorType, 1}});
    EXPECT_LT(Peak(h.Run({loud, loud})[0], 24000), 0.6f);
}

TEST(EngineDynamics, GateClosesOnSilenceAndFollowsAnExternalKey)
{
    PlugInHarness h(kRate, 2, 2);
    SetAll(h, {{kGateEnable, 1}, {kGateThreshold, -40}, {kGateAttack, 0.5f}, {kGateRelease, 10}, {kGateHold, 1}});
    const auto signal = Sine(300, 24000, 0.5);
    const std::vector<float> silence(24000, 0.0f);
    // Own key: the signal is loud, the gate stays open.
    auto out = h.Run({signal, signal, silence, silence});
    EXPECT_NEAR(Peak(out[0], 12000), 0.5f, 0.01f);
    // External key that is silent: the gate shuts the signal down. The key source counts
    // only with the key filter on (here a cut far below anything heard, at 0 dB).
    SetAll(h, {{kGateScInput, 1}, {kGateScEnable, 1}, {kGateScType, 0}, {kGateScFreq, 16}, {kGateScOutput, 0}});
    out = h.Run({signal, signal, silence, silence});
    EXPECT_LT(Peak(out[0], 12000), 1e-3f);
    EXPECT_LT(h.product().GetEngine()->TakeGainReduction(CQuillstripDSP::kGainGate), 0.01f);
    // A loud external key opens it again.
    out = h.Run({signal, signal, signal, signal});
    EXPECT_NEAR(Peak(out[0], 12000), 0.5f, 0.01f);
}

TEST(EngineDynamics, ExternalKeyStaysAlignedWhileOversampling)
{
    // A key equal to the main input must gate exactly as the internal key does, also
    // when the external key is chosen in the middle of a burst: the side-chain's
    // converters, idle until then, must already hold the signal's history.
    enum { kInternal, kExternal, kChosenLater };
    auto render = [](int key) {
        PlugInHarness h(kRate, 2, 2);
        SetAll(h,
               {{kOversampleEnable, 1},
                {kGateEnable, 1},
                {kGateThreshold, -14},
                {kGateAttack, 0.5f},
                {kGateRelease, 20},
                {kGateHold, 1},
                {kGateScEnable, 1},
                {kGateScType, 0},
                {kGateScFreq, 16},
                {kGateScOutput, 0},
                {kGateScInput, key == kExternal ? 1.0f : 0.0f}});
        std::vector<float> bursts(24000, 0.0f);
        for (size_t i = 0; i < bursts.size(); ++i)
            if ((i / 3000) % 2 == 0)
                bursts[i] = static_cast<float>(0.5 * std::sin(0.05 * double(i)));
        const size_t at = key == kChosenLater ? 13500 : bursts.size();
        const std::vector<float> before(bursts.begin(), bursts.begin() + static_cast<std::ptrdiff_t>(at));
        const std::vector<float> after(bursts.begin() + static_cast<std::ptrdiff_t>(at), bursts.end());
        auto out = h.Run({before, before, before, before})[0];
        Set(h, {{kGateScInput, 1.0f}});
        const auto rest = h.Run({after, after, after, after})[0];
        out.insert(out.end(), rest.begin(), rest.end());
        return out;
    };
    const auto internal = render(kInternal);
    for (int key : {kExternal, kChosenLater}) {
        const auto keyed = render(key);
        ASSERT_EQ(internal.size(), keyed.size());
        for (size_t i = 0; i < internal.size(); ++i)
            ASSERT_EQ(internal[i], keyed[i]) << key << " " << i;
    }
}

TEST(EngineDynamics, LimiterKeepsEverySampleUnderTheCeiling)
{
    for (bool stereo : {true, false}) {
        PlugInHarness h(kRate, stereo ? 2 : 1);
        SetAll(h, {{kLimiterEnable, 1}, {kLimiterInput, 24}, {kLimiterThreshold, -6}, {kLimiterRelease, 100}});
        const float ceiling = static_cast<float>(std::pow(10.0, -6.0 / 20.0));
        const auto noise = Noise(48000, 3);
        const auto out = stereo ? h.Run({noise, Noise(48000, 4)}) : h.Run({noise}, 1);
        for (const auto& channel : out)
            EXPECT_LE(Peak(channel), ceiling);
        EXPECT_GT(Peak(out[0]), ceiling * 0.95f);
        EXPECT_LT(h.product().GetEngine()->TakeGainReduction(CQuillstripDSP::kGainLimiter), 0.2f);
    }
    // With oversampling the down-sampler would ring above a limited peak; the ceiling
    // holds at the host rate as well.
    PlugInHarness os(kRate);
    SetAll(os, {{kOversampleEnable, 1}, {kLimiterEnable, 1}, {kLimiterInput, 24}, {kLimiterThreshold, -6}});
    const float ceiling = static_cast<float>(std::pow(10.0, -6.0 / 20.0));
    const auto loud = os.Run({Noise(48000, 5), Noise(48000, 6)});
    EXPECT_LE(Peak(loud[0]), ceiling);
    EXPECT_LE(Peak(loud[1]), ceiling);
    EXPECT_GT(Peak(loud[0]), ceiling * 0.95f);

    // Quiet material below the compressor stage's knee passes both stages unchanged.
    PlugInHarness q(kRate);
    SetAll(q, {{kLimiterEnable, 1}, {kLimiterInput, 0}, {kLimiterThreshold, -0.3f}});
    const float knee = static_cast<float>(std::pow(2.0, (-0.3 - 6.0 - 18.0) / 6.0));
    const auto quiet = Sine(440, 4800, knee * 0.9);
    EXPECT_EQ(q.Run({quiet, quiet})[0], quiet);
}
