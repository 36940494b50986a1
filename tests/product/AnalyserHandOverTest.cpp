// What the engine hands to the analyser: the input or the output, to the feed of the
// selected size only, at the engine rate, and nothing with the analyser off.
#include "product/engine/QuillstripDSP.h"
#include "tests/support/PlugInHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace quillstrip;
using zt::dspe::CAnalyserFeed;

namespace {

constexpr int32_t kRate = 8000;  // small blocks: 2048, 1024 and 256 points

struct SteppedClock : zt::dspe::IMillisecondClock {
    uint32_t now = 1000;
    uint32_t NowMs() const override { return now; }
};

// One feed per size option, built as the editor builds them, attached to the plug-in.
struct AttachedFeeds {
    SteppedClock clock;
    CAnalyserFeed feed[3]{CAnalyserFeed(&clock), CAnalyserFeed(&clock), CAnalyserFeed(&clock)};
    CQuillstripPlugIn::AnalyserFeeds pointers{&feed[0], &feed[1], &feed[2]};
    CQuillstripPlugIn& plugIn;

    explicit AttachedFeeds(CQuillstripPlugIn& p) : plugIn(p)
    {
        for (int32_t i = 0; i < 3; ++i)
            EXPECT_TRUE(feed[i].Init(plugIn.GetEngineRate(), 2, i));
        plugIn.AttachAnalyser(&pointers);
    }
    ~AttachedFeeds() { plugIn.DetachAnalyser(); }
};

std::vector<float> Spectrum(CAnalyserFeed& feed)
{
    feed.Update(true);
    return std::vector<float>(feed.GetSpectrum(), feed.GetSpectrum() + feed.GetBins());
}

// The spectrum a fresh feed shows for these channels.
std::vector<float> Reference(int32_t rate, int32_t size, const std::vector<std::vector<float>>& channels)
{
    CAnalyserFeed feed;
    EXPECT_TRUE(feed.Init(rate, static_cast<int32_t>(channels.size()), size));
    const float* ch[2] = {channels[0].data(), channels.back().data()};
    feed.PushAudio(ch, static_cast<int32_t>(channels[0].size()));
    return Spectrum(feed);
}

bool AllZero(const std::vector<float>& v)
{
    return std::all_of(v.begin(), v.end(), [](float x) { return x == 0.0f; });
}

void SetPlugIn(PlugInHarness& h, int32_t number, float value)
{
    h.parameters().SetValue(false, number, value, kSetPlugIn);
}

// A 12 dB bell, so that the output differs from the input.
void Boost(PlugInHarness& h)
{
    auto& pm = h.parameters();
    pm.SetValue(false, kBandType, 4, kSetProcessing);
    pm.SetValue(false, kBandFreq, 1000, kSetProcessing);
    pm.SetValue(false, kBandGain, 12, kSetProcessing);
    pm.SetValue(false, kBandEnable, 1, kSetProcessing);
}

}  // namespace

TEST(AnalyserHandOver, SourceAndSizeChooseWhatGoesWhere)
{
    for (int32_t channels : {2, 1})
        for (int32_t source : {CQuillstripDSP::kAnalyserInput, CQuillstripDSP::kAnalyserOutput})
            for (int32_t size = 0; size < 3; ++size) {
                PlugInHarness h(kRate, channels), plain(kRate, channels);
                Boost(h);
                Boost(plain);
                AttachedFeeds feeds(h.product());
                SetPlugIn(h, kAnalyserSource, float(source));
                SetPlugIn(h, kAnalyserSize, float(size));
                const size_t n = size_t(feeds.feed[size].GetBlockSize());
                std::vector<std::vector<float>> in = {Noise(n, 1), Noise(n, 2)};
                in.resize(size_t(channels));
                const auto out = h.Run(in, channels);
                // Watching changes nothing that is heard.
                EXPECT_EQ(out, plain.Run(in, channels));

                // Mono reads as the channel's own spectrum: the reference feed has one channel.
                const auto& expected = source == CQuillstripDSP::kAnalyserInput ? in : out;
                const auto& other = source == CQuillstripDSP::kAnalyserInput ? out : in;
                const std::vector<float> shown = Spectrum(feeds.feed[size]);
                EXPECT_EQ(shown, Reference(kRate, size, expected)) << channels << source << size;
                EXPECT_NE(shown, Reference(kRate, size, other));
                for (int32_t unused = 0; unused < 3; ++unused) {
                    if (unused == size)
                        continue;
                    EXPECT_TRUE(AllZero(Spectrum(feeds.feed[unused]))) << size << " " << unused;
                }
            }
}

TEST(AnalyserHandOver, OffOrDetachedPushesNothingAndTheDisplayFalls)
{
    PlugInHarness h(kRate);
    AttachedFeeds feeds(h.product());
    CAnalyserFeed& feed = feeds.feed[1];
    const std::vector<std::vector<float>> block = {Noise(1024, 4), Noise(1024, 5)};
    h.Run(block);
    const std::vector<float> shown = Spectrum(feed);
    ASSERT_FALSE(AllZero(shown));

    // Off: blocks go nowhere, so after 2000 ms without one the display falls.
    SetPlugIn(h, kAnalyserSource, CQuillstripDSP::kAnalyserOff);
    for (int32_t i = 0; i < 3; ++i) {
        feeds.clock.now += 1000;
        h.Run(block);
    }
    const std::vector<float> fallen = Spectrum(feed);
    for (size_t k = 0; k < shown.size(); ++k)
        ASSERT_NEAR(fallen[k], shown[k] * std::pow(0.997, 3000), 1e-6 * shown[k] + 1e-30) << k;

    // Detached: the source is back on, but the feeds are no longer reached.
    SetPlugIn(h, kAnalyserSource, CQuillstripDSP::kAnalyserOutput);
    h.product().DetachAnalyser();
    h.Run(block);
    EXPECT_EQ(Spectrum(feed), fallen);
}

TEST(AnalyserHandOver, OversamplingFeedsEngineRateBlocks)
{
    PlugInHarness h(kRate);
    h.parameters().SetValue(false, kOversampleEnable, 1, kSetProcessing);
    ASSERT_EQ(h.product().GetEngineRate(), 2 * kRate);
    AttachedFeeds feeds(h.product());
    CAnalyserFeed& feed = feeds.feed[1];
    ASSERT_EQ(feed.GetBlockSize(), 2048);
    // 1 kHz sits on bin 1000 / 16000 * 2048 = 128 at the engine rate; 1000 host frames
    // are 2000 engine samples, not yet a block.
    auto sine = [](int32_t from, int32_t to) {
        std::vector<float> v;
        for (int32_t i = from; i < to; ++i)
            v.push_back(static_cast<float>(0.5 * std::sin(2.0 * M_PI * 1000.0 * i / kRate)));
        return std::vector<std::vector<float>>{v, v};
    };
    h.Run(sine(0, 1000));
    EXPECT_TRUE(AllZero(Spectrum(feed)));
    h.Run(sine(1000, 1024));
    const std::vector<float> shown = Spectrum(feed);
    EXPECT_EQ(std::max_element(shown.begin(), shown.end()) - shown.begin(), 128);
}
