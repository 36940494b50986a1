// The plug-in object as the audio thread meets it: the chain with every section off,
// sub-blocks, smoothing, oversampling rate and latency, the inactive rule and meters.
#include "tests/support/PlugInHarness.h"

#include "product/engine/QuillstripDSP.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quillstrip;

namespace {
using Block = std::vector<std::vector<float>>;

Block Stereo(size_t frames, uint32_t seed) { return {Noise(frames, seed), Noise(frames, seed + 99)}; }

// Runs the plug-in in host blocks of the given sizes and joins the output.
Block RunInBlocks(PlugInHarness& h, const Block& in, std::initializer_list<size_t> sizes)
{
    Block out(in.size());
    size_t at = 0;
    for (size_t n : sizes) {
        Block part;
        for (const auto& c : in)
            part.emplace_back(c.begin() + static_cast<long>(at), c.begin() + static_cast<long>(at + n));
        Block o = h.Run(part);
        for (size_t c = 0; c < o.size(); ++c)
            out[c].insert(out[c].end(), o[c].begin(), o[c].end());
        at += n;
    }
    return out;
}
}  // namespace

TEST(PlugInProcess, EverySectionOffIsBitExact)
{
    for (int32_t channels : {1, 2}) {
        PlugInHarness h(44100, channels);
        Block in = channels == 2 ? Stereo(1000, 1) : Block{Noise(1000, 1)};
        in[0][3] = 1e-38f;  // a denormal-sized sample passes unchanged too
        in[0][4] = -0.0f;
        EXPECT_EQ(h.Run(in, channels), in) << channels << " channel(s)";
    }
}

TEST(PlugInProcess, BypassIsBitExactWhateverTheSettings)
{
    PlugInHarness h;
    h.plugIn().SetParameter(kIdxInputGain, 0.3f);
    h.plugIn().SetParameter(kIdxInputPhase, 1);
    h.plugIn().SetParameter(kIdxInputDelay, 100);
    h.plugIn().SetParameter(kIdxBypass, 1);
    const Block in = Stereo(300, 2);
    EXPECT_EQ(h.Run(in), in);
    // Meters still follow in bypass.
    EXPECT_GT(h.product().GetEngine()->TakePeak(CQuillstripDSP::kPeakInL), 0.9f);
}

TEST(PlugInProcess, InputGainPhaseAndDelay)
{
    PlugInHarness h;
    auto& p = h.plugIn();
    p.SetParameter(kIdxInputGain, 1.4142135f);  // fader top: v^4 = 4, +12.04 dB
    p.SetParameter(kIdxInputPhase, 1);
    p.SetParameter(kIdxInputDelay, 5);
    p.Suspend();  // snap the gain ramp, as a new activation does
    p.Resume();
    Block in = {std::vector<float>(64, 0.0f), std::vector<float>(64, 0.0f)};
    in[0][0] = 0.25f;
    in[1][10] = -0.125f;
    const Block out = h.Run(in);
    for (size_t i = 0; i < 64; ++i) {
        const float l = i == 5 ? -0.25f * 4.0f : 0.0f;
        const float r = i == 15 ? 0.125f * 4.0f : 0.0f;
        ASSERT_NEAR(out[0][i], l, 1e-6f) << i;
        ASSERT_NEAR(out[1][i], r, 1e-6f) << i;
    }
    EXPECT_NEAR(20 * std::log10(std::fabs(out[0][5] / in[0][0])), 12.04, 0.005);
}

TEST(PlugInProcess, SubBlocksMatchOneLongBlock)
{
    // A gain ramp is running, so where the chunks fall matters to the output.
    PlugInHarness a, b;
    const Block in = Stereo(100, 3);
    for (PlugInHarness* h : {&a, &b})
        h->plugIn().SetParameter(kIdxOutputGain, 0.5f);
    const Block whole = a.Run(in);
    const Block parts = RunInBlocks(b, in, {32, 32, 32, 4});
    EXPECT_EQ(whole, parts);
    EXPECT_NE(whole[0], in[0]);
}

TEST(PlugInProcess, GainRampReachesItsTargetAfterTheRampTimeAndNotBefore)
{
    // 1.0 -> 0.5 moves at 0.002 per ms: 250 ms of processed audio, chunk by chunk.
    PlugInHarness h(48000);
    h.plugIn().SetParameter(kIdxInputGain, 0.5f);
    const auto& dz = h.product().GetDezipper();
    EXPECT_EQ(dz.GetCurrent(kInputGain), 1.0f);                                            // no processing, no movement
    const Block silence = {std::vector<float>(480, 0.0f), std::vector<float>(480, 0.0f)};  // 10 ms
    for (int i = 0; i < 24; ++i)
        h.Run(silence);
    EXPECT_GT(dz.GetCurrent(kInputGain), 0.5f);  // 240 ms: not there yet
    EXPECT_NEAR(dz.GetCurrent(kInputGain), 0.52f, 1e-3f);
    h.Run(silence);
    h.Run(silence);
    EXPECT_EQ(dz.GetCurrent(kInputGain), 0.5f);
    // The engine applies the square law below unity.
    const Block out = h.Run({std::vector<float>(32, 1.0f), std::vector<float>(32, 1.0f)});
    EXPECT_FLOAT_EQ(out[0][31], 0.25f);
}

TEST(PlugInProcess, OversamplingDoublesTheEngineRateAndReportsLatency)
{
    PlugInHarness h(48000);
    auto& p = h.plugIn();
    EXPECT_EQ(p.GetLatency(), 0);
    p.Suspend();
    p.SetParameter(kIdxOversample, 1);
    EXPECT_EQ(p.GetLatency(), 279);
    EXPECT_EQ(h.host.latencyChanges, 1);
    EXPECT_EQ(h.product().GetEngine()->GetSampleRate(), 96000);
    p.SetSampleRate(44100);  // a new host rate keeps the factor
    EXPECT_EQ(h.product().GetEngine()->GetSampleRate(), 88200);
    EXPECT_EQ(h.host.latencyChanges, 1);  // nothing new to report
    p.SetParameter(kIdxOversample, 0);
    EXPECT_EQ(p.GetLatency(), 0);
    EXPECT_EQ(h.host.latencyChanges, 2);
    EXPECT_EQ(h.product().GetEngine()->GetSampleRate(), 44100);
}

TEST(PlugInProcess, RateChangeWhileRunningWaitsForTheNextBlock)
{
    PlugInHarness h(48000);
    h.plugIn().SetParameter(kIdxOversample, 1);
    EXPECT_EQ(h.product().GetEngine()->GetSampleRate(), 48000);  // audio thread has not seen it
    h.Run(Stereo(16, 4));
    EXPECT_EQ(h.product().GetEngine()->GetSampleRate(), 96000);
}

TEST(PlugInProcess, BeforeResumeOnlyTheFirstSampleIsWritten)
{
    RecordingHost host;
    CQuillstripPlugIn p(&host);
    p.Open();
    p.SetSampleRate(48000);
    std::vector<float> l(8, 5.0f), r(8, 5.0f), in(8, 1.0f);
    float* outs[2] = {l.data(), r.data()};
    float* ins[2] = {in.data(), in.data()};
    p.Process(outs, ins, 8);
    EXPECT_EQ(l, (std::vector<float>{0, 5, 5, 5, 5, 5, 5, 5}));
    EXPECT_EQ(r, l);
    p.Process(outs, ins, 0);  // an empty block writes nothing at all
}

TEST(PlugInProcess, MetersHoldTheirExtremesUntilTaken)
{
    PlugInHarness h;
    auto* engine = h.product().GetEngine();
    h.Run({{0.1f, -0.8f}, {0.2f, 0.3f}});
    h.Run({{0.5f, 0.0f}, {0.1f, 0.0f}});
    EXPECT_FLOAT_EQ(engine->GetPeak(CQuillstripDSP::kPeakInL), 0.8f);
    EXPECT_FLOAT_EQ(engine->TakePeak(CQuillstripDSP::kPeakInR), 0.3f);
    EXPECT_FLOAT_EQ(engine->TakePeak(CQuillstripDSP::kPeakInR), 0.0f);
    EXPECT_FLOAT_EQ(engine->TakePeak(CQuillstripDSP::kPeakOutL), 0.8f);
    EXPECT_FLOAT_EQ(engine->TakeGainReduction(CQuillstripDSP::kGainLimiter), 1.0f);
    EXPECT_FLOAT_EQ(engine->GetPeak(6), 0.0f);

    PlugInHarness mono(48000, 1);
    mono.Run({{0.4f, -0.6f}}, 1);
    EXPECT_FLOAT_EQ(mono.product().GetEngine()->GetPeak(CQuillstripDSP::kPeakInR), 0.6f);
    EXPECT_FLOAT_EQ(mono.product().GetEngine()->GetPeak(CQuillstripDSP::kPeakOutR), 0.6f);
}

TEST(PlugInProcess, KeyMonitorsInterlockAndTellTheHost)
{
    PlugInHarness h;
    auto& p = h.plugIn();
    p.SetParameter(kIdxGateScMonitor, 1);
    EXPECT_EQ(p.GetParameter(kIdxGateScEnable), 1.0f);
    EXPECT_EQ(h.host.changed, (std::vector<int32_t>{kIdxGateScEnable}));
    h.host.changed.clear();
    p.SetParameter(kIdxCompScMonitor, 1);
    EXPECT_EQ(p.GetParameter(kIdxGateScMonitor), 0.0f);
    EXPECT_EQ(p.GetParameter(kIdxCompScEnable), 1.0f);
    EXPECT_EQ(h.host.changed, (std::vector<int32_t>{kIdxGateScMonitor, kIdxCompScEnable}));
    // Host changes themselves are not echoed back.
    h.host.changed.clear();
    p.SetParameter(kIdxInputPhase, 1);
    EXPECT_TRUE(h.host.changed.empty());
}
