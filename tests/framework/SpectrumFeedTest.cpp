// The analyser's window, transform and feed: levels, the ring's overflow, the decay
// and hold laws with a stepped clock, and the audio thread racing the display.
#include "framework/dspe/FFTWin.h"
#include "framework/dspe/SpectrumFeed.h"
#include "framework/dspe/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using zt::dspe::CFFTWin;
using zt::dspe::CSpectrumFeed;
using zt::dspe::CWindow;

namespace {

struct SteppedClock : zt::dspe::IMillisecondClock {
    uint32_t now = 1000;
    uint32_t NowMs() const override { return now; }
};

std::vector<float> BinSine(int32_t n, int32_t bin, size_t frames)
{
    std::vector<float> v(frames);
    for (size_t i = 0; i < frames; ++i)
        v[i] = static_cast<float>(std::sin(2.0 * M_PI * bin * double(i % size_t(n)) / n));
    return v;
}

void Push(CSpectrumFeed& feed, const std::vector<float>& left, const std::vector<float>& right, int32_t piece)
{
    for (size_t at = 0; at < left.size(); at += size_t(piece)) {
        const float* ch[2] = {left.data() + at, right.data() + at};
        feed.PushAudio(ch, std::min(piece, static_cast<int32_t>(left.size() - at)));
    }
}

}  // namespace

TEST(SpectrumWindow, PeriodicHannAndBlackmanHarris)
{
    CWindow hann, bh, none;
    hann.Init(CWindow::kHann, 0, 16);
    bh.Init(CWindow::kBlackmanHarris, 0, 16);
    none.Init(7, 0, 16);
    // Periodic: zero at 0, the peak at N/2, and sums of N times the constant term.
    EXPECT_EQ(hann.GetData()[0], 0.0f);
    EXPECT_FLOAT_EQ(hann.GetData()[8], 1.0f);
    EXPECT_FLOAT_EQ(hann.GetData()[4], 0.5f);
    EXPECT_NEAR(bh.GetData()[0], 0.00006f, 1e-7f);
    EXPECT_FLOAT_EQ(bh.GetData()[8], 1.0f);
    double sumHann = 0, sumBh = 0;
    for (int32_t i = 0; i < 16; ++i) {
        sumHann += hann.GetData()[i];
        sumBh += bh.GetData()[i];
        EXPECT_EQ(none.GetData()[i], 0.0f);
    }
    EXPECT_NEAR(sumHann, 8.0, 1e-6);
    EXPECT_NEAR(sumBh, 16 * 0.35875, 1e-6);
}

TEST(SpectrumTransform, ScaledMagnitudesAndTheTailKept)
{
    constexpr int32_t n = 1024, bin = 37;
    CWindow hann;
    hann.Init(CWindow::kHann, 0, n);
    CFFTWin fft;
    ASSERT_TRUE(fft.Init(10));
    std::vector<float> x = BinSine(n, bin, n);
    hann.Apply(x.data());
    const std::vector<float> windowed = x;
    fft.Transform(x.data());
    // Hann spreads a bin-centre sine of amplitude 1 over three bins: 1/4, 1/8 beside.
    EXPECT_NEAR(x[bin], 0.25f, 1e-6f);
    EXPECT_NEAR(x[bin - 1], 0.125f, 1e-6f);
    EXPECT_NEAR(x[bin + 1], 0.125f, 1e-6f);
    EXPECT_LT(x[bin + 3], 1e-6f);
    EXPECT_LT(x[0], 1e-6f);
    for (int32_t i = n / 2 + 1; i < n; ++i)
        ASSERT_EQ(x[i], windowed[i]) << i;

    // A constant, unwindowed: everything in bin 0, at its own level.
    std::vector<float> dc(n, 0.5f);
    fft.Transform(dc.data());
    EXPECT_FLOAT_EQ(dc[0], 0.5f);
    EXPECT_LT(dc[n / 2], 1e-7f);
}

TEST(SpectrumFeed, BlockSizeFollowsRateAndOption)
{
    for (int32_t rate : {44100, 48000}) {
        EXPECT_EQ(CSpectrumFeed::BlockSize(rate, 0), 16384);
        EXPECT_EQ(CSpectrumFeed::BlockSize(rate, 1), 8192);
        EXPECT_EQ(CSpectrumFeed::BlockSize(rate, 2), 2048);
    }
    for (int32_t rate : {88200, 96000}) {
        EXPECT_EQ(CSpectrumFeed::BlockSize(rate, 0), 32768);
        EXPECT_EQ(CSpectrumFeed::BlockSize(rate, 1), 16384);
        EXPECT_EQ(CSpectrumFeed::BlockSize(rate, 2), 4096);
    }
}

TEST(SpectrumFeed, WholeBlocksOnlyAndTheMeanOfTheChannels)
{
    SteppedClock clock;
    CSpectrumFeed feed(&clock);
    ASSERT_TRUE(feed.Init(8000, 2, 1));
    const int32_t n = feed.GetBlockSize(), bin = 100;
    ASSERT_EQ(n, 1024);
    const std::vector<float> sine = BinSine(n, bin, size_t(n)), silence(size_t(n), 0.0f);

    // Pieces that do not divide the block; one sample short leaves the display as it was.
    std::vector<float> shortL(sine.begin(), sine.end() - 1), shortR = shortL;
    Push(feed, shortL, shortR, 100);
    feed.Update(true);
    EXPECT_EQ(feed.GetSpectrum()[bin], 0.0f);
    const float* tail[2] = {&sine.back(), &sine.back()};
    feed.PushAudio(tail, 1);
    feed.Update(true);
    EXPECT_NEAR(feed.GetSpectrum()[bin], 0.25f, 1e-6f);
    EXPECT_EQ(feed.GetPeak()[bin], feed.GetSpectrum()[bin]);

    Push(feed, sine, silence, 333);
    feed.Update(true);
    EXPECT_NEAR(feed.GetSpectrum()[bin], 0.125f, 1e-6f);
    EXPECT_NEAR(feed.GetPeak()[bin], 0.25f, 1e-6f);
}

TEST(SpectrumFeed, KeepsOnlyTheNewest31Blocks)
{
    // Block b of `total` holds the constant total - b, which reads (total - b) / 2 in
    // bin 0 through Hann: the peak tells the oldest block analysed, the spectrum the newest.
    for (int32_t total : {31, 32, 40}) {
        SteppedClock clock;
        CSpectrumFeed feed(&clock);
        ASSERT_TRUE(feed.Init(8000, 2, 2));
        const int32_t n = feed.GetBlockSize();
        for (int32_t b = 0; b < total; ++b) {
            const std::vector<float> block(size_t(n), float(total - b));
            Push(feed, block, block, 64);
        }
        feed.Update(true);
        EXPECT_NEAR(feed.GetPeak()[0], 31 / 2.0f, 1e-4f) << total;
        EXPECT_NEAR(feed.GetSpectrum()[0], 1 / 2.0f, 1e-5f) << total;
    }
}

TEST(SpectrumFeed, DecayAndPeakHoldLaws)
{
    SteppedClock clock;
    CSpectrumFeed feed(&clock);
    ASSERT_TRUE(feed.Init(8000, 2, 2));
    const int32_t n = feed.GetBlockSize(), bin = 20;
    const std::vector<float> sine = BinSine(n, bin, size_t(n));
    Push(feed, sine, sine, n);
    feed.Update(false);
    const float level = feed.GetSpectrum()[bin];
    ASSERT_NEAR(level, 0.25f, 1e-6f);

    // Stopped host: every tick decays. The spectrum falls by 0.997 per ms; the peak
    // stands for 2000 ms after its last rise, then falls by 0.999 per ms.
    for (int32_t tick = 1; tick <= 60; ++tick) {
        clock.now += 50;
        feed.Update(false);
        const int32_t ms = 50 * tick;
        EXPECT_NEAR(feed.GetSpectrum()[bin] / level, std::pow(0.997, ms), 1e-4) << ms;
        const double held = ms < 2000 ? 1.0 : std::pow(0.999, ms - 1950);
        ASSERT_NEAR(feed.GetPeak()[bin] / level, held, 1e-4) << ms;
    }
    // A new block as loud as the fallen peak raises it and holds it again.
    Push(feed, sine, sine, n);
    feed.Update(false);
    EXPECT_EQ(feed.GetPeak()[bin], level);
    clock.now += 1950;
    feed.Update(false);
    EXPECT_EQ(feed.GetPeak()[bin], level);
    EXPECT_LT(feed.GetSpectrum()[bin], level * 0.01f);
}

TEST(SpectrumFeed, StandsWhileTheSourceIsLiveAndFallsOnceItIsSilent)
{
    SteppedClock clock;
    CSpectrumFeed feed(&clock);
    ASSERT_TRUE(feed.Init(8000, 2, 2));
    const int32_t n = feed.GetBlockSize(), bin = 20;
    const std::vector<float> sine = BinSine(n, bin, size_t(n));
    Push(feed, sine, sine, n);
    feed.Update(true);
    const float level = feed.GetSpectrum()[bin];
    // No new block, but a push within 2000 ms: the display stands, peak hold included.
    while (clock.now < 3000) {
        clock.now += 50;
        feed.Update(true);
        ASSERT_EQ(feed.GetSpectrum()[bin], level) << clock.now;
        ASSERT_EQ(feed.GetPeak()[bin], level) << clock.now;
    }
    // Silent now: spectrum and peak fall for all the time since the last block.
    clock.now += 50;
    feed.Update(true);
    EXPECT_NEAR(feed.GetSpectrum()[bin] / level, std::pow(0.997, 2050), 1e-4);
    EXPECT_NEAR(feed.GetPeak()[bin] / level, std::pow(0.999, 2050), 1e-4);
}

// The audio thread laps the display while it copies: a block the audio thread began to
// overwrite must be dropped, not analysed half old and half new. Every block is one
// constant, which Hann leaves in bins 0 and 1 only; a torn block spreads over all bins.
TEST(SpectrumFeed, BlocksOverwrittenWhileCopiedAreDropped)
{
    CSpectrumFeed feed;
    ASSERT_TRUE(feed.Init(8000, 2, 2));
    const int32_t n = feed.GetBlockSize();
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<float> block(static_cast<size_t>(n));
        for (int32_t b = 0; b < 200000; ++b) {
            std::fill(block.begin(), block.end(), float(1 + b % 7));
            Push(feed, block, block, 32);
        }
        done = true;
    });
    int32_t updates = 0;
    while (!done) {
        feed.Update(true);
        ++updates;
    }
    audio.join();
    // Every analysed block left its mark in the peaks (held far longer than this runs).
    float worst = 0.0f;
    for (int32_t k = 3; k < feed.GetBins(); ++k)
        worst = std::max(worst, feed.GetPeak()[k]);
    EXPECT_GT(updates, 1);
    EXPECT_LT(worst, 1e-5f);
}
