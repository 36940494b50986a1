// What the whole plug-in does with input no channel strip should meet, and with moments
// that used to be heard: non-finite and huge samples, the start from silence, and a
// lowered limiter ceiling while oversampling. And the plug-in at the edges of what a
// host or a user can ask for: every parameter at its minimum and maximum, every pair of
// section switches, the rates and block sizes hosts use, and flush calls without audio;
// the output stays finite and the latency is what the plug-in reports.
#include "product/plugin/QuillstripParameterTable.h"
#include "tests/support/PlugInHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

using namespace quillstrip;

namespace {

using Block = std::vector<std::vector<float>>;

constexpr int32_t kRate = 48000;
constexpr size_t k50Ms = kRate / 20;

// Every section on, keys from the side-chain input when there is one.
void EverySectionOn(PlugInHarness& h, bool oversample, float saturationMode = 2)
{
    h.plugIn().Suspend();
    auto& pm = h.parameters();
    for (int32_t b = 0; b < 6; ++b) {
        pm.SetValue(false, b * kBandStride + kBandEnable, 1, kSetProcessing);
        pm.SetValue(false, b * kBandStride + kBandGain, b % 2 ? 4.0f : -3.0f, kSetProcessing);
    }
    for (const auto& [number, value] :
         std::initializer_list<std::pair<int32_t, float>>{{kGateEnable, 1},
                                                          {kGateThreshold, -50},
                                                          {kGateScEnable, 1},
                                                          {kGateScInput, 1},
                                                          {kCompEnable, 1},
                                                          {kCompThreshold, -24},
                                                          {kCompScEnable, 1},
                                                          {kCompScInput, 1},
                                                          {kStereoEnable, 1},
                                                          {kStereoHigh, 40},
                                                          {kSaturationEnable, 1},
                                                          {kSaturationMode, saturationMode},
                                                          {kLimiterEnable, 1},
                                                          {kLimiterInput, 6},
                                                          {kOversampleEnable, oversample ? 1.0f : 0.0f}})
        pm.SetValue(false, number, value, kSetProcessing);
    h.plugIn().Resume();
}

// Main left and right, then the same as the side-chain key.
Block Program(size_t frames)
{
    std::vector<float> l = Noise(frames, 11), r = Noise(frames, 12);
    for (size_t i = 0; i < frames; ++i) {
        const float swell = static_cast<float>(0.3 + 0.2 * std::sin(double(i) * 0.0005));
        l[i] *= swell;
        r[i] *= swell;
    }
    return {l, r, l, r};
}

// Runs in host blocks of 512 frames.
Block Render(PlugInHarness& h, const Block& in)
{
    Block out(2);
    for (size_t at = 0; at < in[0].size(); at += 512) {
        Block part;
        for (const auto& c : in)
            part.emplace_back(c.begin() + long(at), c.begin() + long(std::min(at + 512, c.size())));
        const Block o = h.Run(part);
        for (size_t c = 0; c < 2; ++c)
            out[c].insert(out[c].end(), o[c].begin(), o[c].end());
    }
    return out;
}

bool AllFinite(const Block& b)
{
    for (const auto& c : b)
        for (float v : c)
            if (!std::isfinite(v))
                return false;
    return true;
}

// Near full scale on every channel.
Block Loud(size_t frames, int channels)
{
    Block in(static_cast<size_t>(channels), std::vector<float>(frames));
    uint32_t seed = 3;
    for (size_t i = 0; i < frames; ++i)
        for (auto& c : in) {
            seed = seed * 1664525u + 1013904223u;
            c[i] = 0.9f * static_cast<float>(std::sin(0.05 * double(i)))
                + 0.1f * static_cast<float>(int32_t(seed)) / 2147483648.0f;
        }
    return in;
}

// The switch of every section (bands 1 to 6, gate, compressor, stereo, saturation and
// limiter), of oversampling and bypass, and the key monitors.
const std::vector<int32_t> kSwitches
    = {kIdxOversample, kIdxBypass, 7, 13, 19, 25, 31, 37, 43, 58, 76, 86, 89, kIdxGateScMonitor, kIdxCompScMonitor};

float Peak(const std::vector<float>& v, size_t from = 0, size_t to = SIZE_MAX)
{
    float peak = 0;
    for (size_t i = from; i < std::min(to, v.size()); ++i)
        peak = std::max(peak, std::fabs(v[i]));
    return peak;
}

}  // namespace

TEST(EngineRecovery, NonFiniteInputIsSilencedAndForgottenWithin50Ms)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const Block clean = Program(kRate);
    const size_t burst = 20000, length = 300;
    for (bool oversample : {false, true}) {
        PlugInHarness reference(kRate, 2, 2);
        EverySectionOn(reference, oversample);
        const Block expected = Render(reference, clean);
        // Main left, main right (one sample), side-chain left.
        for (const auto& [channel, value, samples] :
             {std::tuple<size_t, float, size_t>{0, nan, length}, {1, inf, 1}, {2, nan, length}, {3, -inf, length}}) {
            PlugInHarness h(kRate, 2, 2);
            EverySectionOn(h, oversample);
            Block in = clean;
            std::fill_n(in[channel].begin() + long(burst), samples, value);
            const Block out = Render(h, in);
            const std::string what = "channel " + std::to_string(channel) + (oversample ? ", oversampled" : "");
            ASSERT_TRUE(AllFinite(out)) << what;
            // Up to the burst nothing changes; 50 ms after it the output is the clean one,
            // but for what the detectors still remember of the gap (below -54 dBFS).
            const size_t latency = oversample ? CQuillstripPlugIn::kOversamplingLatency : 0;
            for (size_t c = 0; c < 2; ++c) {
                for (size_t i = 0; i < burst + latency - 400; ++i)
                    ASSERT_EQ(out[c][i], expected[c][i]) << what << " at " << i;
                for (size_t i = burst + samples + latency + k50Ms; i < out[c].size(); ++i)
                    ASSERT_NEAR(out[c][i], expected[c][i], 2e-3f) << what << " at " << i;
            }
        }
    }
}

TEST(EngineRecovery, NonFiniteInputWithEverySectionOffLeavesNothingBehind)
{
    // Every section off passes NaN through as it passes any sample; switching a band on
    // afterwards must work as if the NaN had never come.
    const Block clean = Program(4096);
    PlugInHarness h(kRate), reference(kRate);
    Block poisoned = {clean[0], clean[1]};
    poisoned[0][100] = std::numeric_limits<float>::quiet_NaN();
    const Block passed = h.Run(poisoned);
    EXPECT_TRUE(std::isnan(passed[0][100]));
    EXPECT_EQ(passed[1], poisoned[1]);
    reference.Run({clean[0], clean[1]});
    for (PlugInHarness* p : {&h, &reference}) {
        p->plugIn().SetParameter(kIdxBand1Enable, 1);
        p->plugIn().SetParameter(kIdxInputDelay, 300);
    }
    const Block after = h.Run({clean[0], clean[1]});
    EXPECT_TRUE(AllFinite(after));
    EXPECT_EQ(after, reference.Run({clean[0], clean[1]}));
}

TEST(EngineRecovery, HugeInputNeverBecomesNaN)
{
    // FLT_MAX overflows the converters and, raised by the EQ, the output: silence then,
    // never NaN, and with every section off at least no NaN.
    Block in = Program(kRate / 4);
    for (size_t i = 3000; i < 3300; ++i)
        for (size_t c = 0; c < 4; ++c)
            in[c][i] = (i % 2) ? FLT_MAX : -FLT_MAX;
    for (bool oversample : {false, true}) {
        PlugInHarness h(kRate, 2, 2);
        EverySectionOn(h, oversample);
        EXPECT_TRUE(AllFinite(Render(h, in))) << oversample;
    }
    PlugInHarness off(kRate, 2, 2);
    off.plugIn().SetParameter(kIdxOversample, 1);
    for (const auto& c : Render(off, in))
        for (float v : c)
            ASSERT_FALSE(std::isnan(v));
}

TEST(EngineRecovery, SilenceInIsExactSilenceOut)
{
    // The saturator's even curve turns silence into an offset; its low cut must not
    // let that out as a thump when audio starts.
    const Block silence(4, std::vector<float>(kRate / 2, 0.0f));
    for (float mode : {1.0f, 2.0f})
        for (bool oversample : {false, true}) {
            PlugInHarness h(kRate, 2, 2);
            EverySectionOn(h, oversample, mode);
            const Block out = Render(h, silence);
            EXPECT_EQ(Peak(out[0]), 0.0f) << mode << " " << oversample;
            EXPECT_EQ(Peak(out[1]), 0.0f) << mode << " " << oversample;
        }
}

TEST(EngineRecovery, LoweringTheCeilingWhileOversamplingActsAsWithout)
{
    // 0 dB -> -24 dB under a loud signal: the level follows the same course with and
    // without oversampling (latency aside) and never sinks far below the new ceiling.
    std::vector<float> sine(kRate * 3 / 2);
    for (size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<float>(0.9 * std::sin(2 * M_PI * 1000.0 * double(i) / kRate));
    const Block loud = {sine, sine};
    auto render = [&](bool oversample) {
        PlugInHarness h(kRate);
        h.plugIn().Suspend();
        h.parameters().SetValue(false, kLimiterEnable, 1, kSetProcessing);
        h.parameters().SetValue(false, kLimiterThreshold, 0, kSetProcessing);
        h.parameters().SetValue(false, kOversampleEnable, oversample ? 1.0f : 0.0f, kSetProcessing);
        h.plugIn().Resume();
        const size_t latency = oversample ? CQuillstripPlugIn::kOversamplingLatency : 0;
        Block first = {std::vector<float>(loud[0].begin(), loud[0].begin() + kRate / 2),
                       std::vector<float>(loud[1].begin(), loud[1].begin() + kRate / 2)};
        Block out = h.Run(first);
        h.parameters().SetValue(false, kLimiterThreshold, -24, kSetProcessing);
        const Block rest = Render(h,
                                  {std::vector<float>(loud[0].begin() + kRate / 2, loud[0].end()),
                                   std::vector<float>(loud[1].begin() + kRate / 2, loud[1].end())});
        out[0].insert(out[0].end(), rest[0].begin(), rest[0].end());
        out[0].erase(out[0].begin(), out[0].begin() + long(latency));
        return out[0];
    };
    const std::vector<float> plain = render(false), oversampled = render(true);
    const float ceiling = static_cast<float>(std::pow(10.0, -24.0 / 20.0));
    // 10 ms windows from 10 ms after the change on.
    for (size_t at = kRate / 2 + 480; at + 480 <= oversampled.size(); at += 480) {
        const float a = Peak(plain, at, at + 480), b = Peak(oversampled, at, at + 480);
        ASSERT_NEAR(20 * std::log10(b / a), 0.0, 1.0) << at;
        ASSERT_GT(b, ceiling * 0.5f) << at;
        ASSERT_LE(b, ceiling) << at;
    }
}

// Activation starts everything at the host rate afresh too: the converters' history and
// the ceiling's gains of a loud passage before deactivation are not heard after it.
TEST(EngineRecovery, ActivationForgetsTheHostRateStages)
{
    PlugInHarness h(kRate, 2, 0), fresh(kRate, 2, 0);
    for (PlugInHarness* p : {&h, &fresh}) {
        p->plugIn().SetParameter(kIdxOversample, 1);
        p->plugIn().SetParameter(89, 1);   // "Limiter Enable"
        p->plugIn().SetParameter(90, 12);  // "Limiter Input"
        p->plugIn().Idle();
    }
    std::vector<float> loud(512), quiet(512);
    for (size_t i = 0; i < 512; ++i) {
        loud[i] = (i % 2) ? 1.0f : -1.0f;
        quiet[i] = 0.01f * static_cast<float>(std::sin(0.03 * double(i)));
    }
    for (int k = 0; k < 20; ++k)
        h.Run({loud, loud});
    h.plugIn().Suspend();
    h.plugIn().Resume();
    fresh.plugIn().Suspend();
    fresh.plugIn().Resume();
    EXPECT_EQ(h.Run({quiet, quiet}), fresh.Run({quiet, quiet}));
}

TEST(Extremes, EveryParameterAtEitherEnd)
{
    const std::vector<const SParameterRow*> rows = AutomationOrder();
    for (const bool top : {false, true}) {
        PlugInHarness h(48000, 2, 2);
        for (int32_t id : kSwitches)
            h.plugIn().SetParameter(id, id == kIdxBypass ? 0.0f : 1.0f);
        for (size_t i = 0; i < rows.size(); ++i) {
            const int32_t id = static_cast<int32_t>(i);
            if (id == kIdxBypass)
                continue;
            h.plugIn().SetParameter(id, top ? rows[i]->maximum : rows[i]->minimum);
            h.plugIn().Idle();
            const auto out = h.Run(Loud(300, 4));
            ASSERT_TRUE(AllFinite(out)) << rows[i]->name << (top ? " at its maximum" : " at its minimum");
        }
    }
}

TEST(Extremes, EveryPairOfSectionSwitches)
{
    for (size_t a = 0; a < kSwitches.size(); ++a)
        for (size_t b = a + 1; b < kSwitches.size(); ++b) {
            PlugInHarness h(44100, 2, 2);
            h.plugIn().SetParameter(kSwitches[a], 1.0f);
            h.plugIn().SetParameter(kSwitches[b], 1.0f);
            h.plugIn().Idle();
            ASSERT_TRUE(AllFinite(h.Run(Loud(700, 4)))) << kSwitches[a] << " and " << kSwitches[b];
        }
}

TEST(Extremes, RatesBlocksAndFlushCalls)
{
    for (const int32_t rate : {8000, 22050, 44100, 96000, 192000, 384000}) {
        for (const bool oversample : {false, true}) {
            PlugInHarness h(rate, 2, 0);
            h.plugIn().Suspend();
            h.plugIn().SetMaxBlockSize(8192);
            h.plugIn().SetParameter(kIdxOversample, oversample ? 1.0f : 0.0f);
            for (int32_t id : {7, 43, 58, 76, 86, 89})
                h.plugIn().SetParameter(id, 1.0f);
            h.plugIn().Idle();
            h.plugIn().Resume();
            EXPECT_EQ(h.plugIn().GetLatency(), oversample ? CQuillstripPlugIn::kOversamplingLatency : 0);
            const std::string what = std::to_string(rate) + (oversample ? " Hz, oversampled" : " Hz");
            for (const size_t frames : {size_t(0), size_t(1), size_t(7), size_t(33), size_t(4097), size_t(8192)})
                ASSERT_TRUE(AllFinite(h.Run(Loud(frames, 2)))) << what << ", " << frames << " frames";
            // A flush call: no audio, no buffers.
            h.plugIn().Process(nullptr, nullptr, 0);
            ASSERT_TRUE(AllFinite(h.Run(Loud(64, 2)))) << what << " after a flush";
        }
    }
}
