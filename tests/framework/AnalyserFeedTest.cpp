// The analyser's window, transform and feed: levels, the ring's overflow, the decay
// and hold laws with a stepped clock, and the audio thread racing the display.
#include "framework/dspe/FFTWin.h"
#include "framework/dspe/PublishedPointer.h"
#include "framework/dspe/AnalyserFeed.h"
#include "framework/dspe/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using zt::dspe::CAnalyserFeed;
using zt::dspe::CWindow;

namespace {

struct SteppedClock : zt::dspe::IMillisecondClock {
    uint32_t now = 1000;
    uint32_t NowMs() const override { return now; }
};

std::vector<float> BinSine(int32_t n, int32_t bin)
{
    std::vector<float> v(static_cast<size_t>(n));
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<float>(std::sin(2.0 * M_PI * bin * double(i) / n));
    return v;
}

void Push(CAnalyserFeed& feed, const std::vector<float>& left, const std::vector<float>& right, int32_t piece)
{
    for (size_t at = 0; at < left.size(); at += size_t(piece)) {
        const float* ch[2] = {left.data() + at, right.data() + at};
        feed.PushAudio(ch, std::min(piece, static_cast<int32_t>(left.size() - at)));
    }
}

}  // namespace

TEST(AnalyserFeed, WindowsAndTransformLevels)
{
    CWindow hann, bh;
    hann.Init(CWindow::kHann, 0, 16);
    bh.Init(CWindow::kBlackmanHarris, 0, 16);
    // Periodic: the peak at N/2, and sums of N times the constant term.
    EXPECT_EQ(hann.GetData()[0], 0.0f);
    EXPECT_FLOAT_EQ(hann.GetData()[8], 1.0f);
    EXPECT_FLOAT_EQ(bh.GetData()[8], 1.0f);
    double sumHann = 0, sumBh = 0;
    for (int32_t i = 0; i < 16; ++i) {
        sumHann += hann.GetData()[i];
        sumBh += bh.GetData()[i];
    }
    EXPECT_NEAR(sumHann, 8.0, 1e-6);
    EXPECT_NEAR(sumBh, 16 * 0.35875, 1e-6);

    // Through Hann, a full-scale sine at the centre of bin k reads 1/4 there and 1/8
    // beside; past N/2 the windowed samples stay.
    constexpr int32_t n = 1024, bin = 37;
    zt::dspe::CFFTWin fft;
    ASSERT_TRUE(fft.Init(10));
    hann.Init(CWindow::kHann, 0, n);
    std::vector<float> x = BinSine(n, bin);
    hann.Apply(x.data());
    const std::vector<float> windowed = x;
    fft.Transform(x.data());
    EXPECT_NEAR(x[bin], 0.25f, 1e-6f);
    EXPECT_NEAR(x[bin + 1], 0.125f, 1e-6f);
    EXPECT_LT(x[bin + 3] + x[0], 1e-6f);
    EXPECT_TRUE(std::equal(x.begin() + n / 2 + 1, x.end(), windowed.begin() + n / 2 + 1));
}

TEST(AnalyserFeed, BlockSizeFollowsRateAndOption)
{
    const int32_t expected[2][3] = {{16384, 8192, 2048}, {32768, 16384, 4096}};
    for (int32_t rate : {44100, 48000, 88200, 96000})
        for (int32_t option = 0; option < 3; ++option)
            EXPECT_EQ(CAnalyserFeed::BlockSize(rate, option), expected[rate > 48000][option]) << rate;
}

TEST(AnalyserFeed, WholeBlocksOnlyAndTheMeanOfTheChannels)
{
    SteppedClock clock;
    CAnalyserFeed feed(&clock);
    ASSERT_TRUE(feed.Init(8000, 2, 1));
    const int32_t n = feed.GetBlockSize(), bin = 100;
    const std::vector<float> sine = BinSine(n, bin), silence(size_t(n), 0.0f);
    // Pieces that do not divide the block; one sample short leaves the display as it was.
    const std::vector<float> most(sine.begin(), sine.end() - 1);
    Push(feed, most, most, 100);
    feed.Update(true);
    EXPECT_EQ(feed.GetSpectrum()[bin], 0.0f);
    const float* last[2] = {&sine.back(), &sine.back()};
    feed.PushAudio(last, 1);
    feed.Update(true);
    EXPECT_NEAR(feed.GetSpectrum()[bin], 0.25f, 1e-6f);

    Push(feed, sine, silence, 333);
    feed.Update(true);
    EXPECT_NEAR(feed.GetSpectrum()[bin], 0.125f, 1e-6f);
    EXPECT_NEAR(feed.GetPeak()[bin], 0.25f, 1e-6f);
}

TEST(AnalyserFeed, KeepsOnlyTheNewest31Blocks)
{
    // Block b of `total` holds the constant total - b, which reads (total - b) / 2 in
    // bin 0 through Hann: the peak tells the oldest block analysed, the spectrum the newest.
    for (int32_t total : {31, 32, 40}) {
        CAnalyserFeed feed;
        ASSERT_TRUE(feed.Init(8000, 2, 2));
        for (int32_t b = 0; b < total; ++b) {
            const std::vector<float> block(size_t(feed.GetBlockSize()), float(total - b));
            Push(feed, block, block, 64);
        }
        feed.Update(true);
        EXPECT_NEAR(feed.GetPeak()[0], 31 / 2.0f, 1e-4f) << total;
        EXPECT_NEAR(feed.GetSpectrum()[0], 1 / 2.0f, 1e-5f) << total;
    }
}

TEST(AnalyserFeed, DecayAndPeakHoldLaws)
{
    for (bool active : {false, true}) {
        SteppedClock clock;
        CAnalyserFeed feed(&clock);
        ASSERT_TRUE(feed.Init(8000, 2, 2));
        const int32_t bin = 20;
        const std::vector<float> sine = BinSine(feed.GetBlockSize(), bin);
        Push(feed, sine, sine, 256);
        feed.Update(active);
        const float level = feed.GetSpectrum()[bin];
        ASSERT_NEAR(level, 0.25f, 1e-6f);
        for (int32_t ms = 50; ms <= 3000; ms += 50) {
            clock.now += 50;
            feed.Update(active);
            // Stopped host: the spectrum falls by 0.997 per ms; the peak stands for
            // 2000 ms after its last rise, then falls by 0.999 per ms. Running host: the
            // last push is recent enough for the display to stand until 2000 ms, and then
            // both fall for all the time since the block.
            const double spectrum = !active || ms > 2000 ? std::pow(0.997, ms) : 1.0;
            const double peak
                = active ? (ms > 2000 ? std::pow(0.999, ms) : 1.0) : (ms >= 2000 ? std::pow(0.999, ms - 1950) : 1.0);
            ASSERT_NEAR(feed.GetSpectrum()[bin] / level, spectrum, 1e-4) << active << " " << ms;
            ASSERT_NEAR(feed.GetPeak()[bin] / level, peak, 1e-4) << active << " " << ms;
        }
        // A block as loud as the fallen peak raises it and holds it again.
        Push(feed, sine, sine, 256);
        feed.Update(active);
        clock.now += 1950;
        feed.Update(false);
        EXPECT_EQ(feed.GetPeak()[bin], level);
    }
}

// The audio thread laps the display while it copies: a block it began to overwrite must
// be dropped, not analysed half old and half new. Every block is one constant, which
// Hann leaves in bins 0 and 1 only; a torn block would leave a peak in every bin. How
// often the threads overlap is up to the scheduler, so a fault shows in some runs only.
TEST(AnalyserFeed, BlocksOverwrittenWhileCopiedAreDropped)
{
    CAnalyserFeed feed;
    ASSERT_TRUE(feed.Init(8000, 2, 2));
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<float> block(static_cast<size_t>(feed.GetBlockSize()));
        for (int32_t b = 0; b < 200000; ++b) {
            std::fill(block.begin(), block.end(), float(1 + b % 7));
            Push(feed, block, block, 32);
        }
        done = true;
    });
    while (!done)
        feed.Update(true);
    audio.join();
    EXPECT_LT(*std::max_element(feed.GetPeak() + 3, feed.GetPeak() + feed.GetBins()), 1e-5f);
}

// Publishing returns only once no reader can still hold the old pointer: the object is
// marked dead right after, and a reader must never see that.
TEST(AnalyserFeed, PublishWaitsForTheBlockHoldingTheOldPointer)
{
    zt::dspe::CPublishedPointer<std::atomic<int>> published;
    std::atomic<bool> done{false};
    std::atomic<int> deadSeen{0}, held{0};
    std::thread audio([&] {
        while (!done) {
            if (std::atomic<int>* p = published.Enter()) {
                for (int i = 0; i < 200; ++i)
                    deadSeen += p->load() == 0;
                ++held;
                published.Leave();
            }
        }
    });
    for (int round = 0; round < 2000; ++round) {
        std::atomic<int> object{1};
        published.Publish(&object);
        while (held.load() == 0 && round == 0)
            std::this_thread::yield();
        published.Publish(nullptr);
        object = 0;
    }
    done = true;
    audio.join();
    EXPECT_GT(held.load(), 0);
    EXPECT_EQ(deadSeen.load(), 0);
}
