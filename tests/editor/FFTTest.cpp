// The analyser display drawing a feed's spectrum, offscreen.
#include "product/editor/FFT.h"

#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/Rect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace zt::ge;
using zt::dspe::CAnalyserFeed;

namespace {

constexpr SColour kBlack = SColour::FromRGB(0, 0, 0);
const SRect kArea{144, 35, 492, 141};  // where the product puts it

struct SteppedClock : zt::dspe::IMillisecondClock {
    uint32_t now = 1000;
    uint32_t NowMs() const override { return now; }
};

class FFTTest : public ::testing::Test {
protected:
    FFTTest() : window({780, 200})
    {
        window.GetRootPane()->AddChild(new CRect({0, 0, 780, 200}, kBlack));
        fft = new CFFT(kArea);
        window.GetRootPane()->AddChild(fft);
    }
    // One block of both channels, analysed.
    void Feed(const std::vector<float>& block)
    {
        const float* channels[2] = {block.data(), block.data()};
        feed.PushAudio(channels, int32_t(block.size()));
        feed.Update(true);
    }
    std::vector<float> Sine(int32_t bin, float amplitude) const
    {
        const int32_t n = feed.GetBlockSize();
        std::vector<float> block(std::size_t(n), 0.0f);
        for (int32_t i = 0; i < n; ++i)
            block[std::size_t(i)] = amplitude * float(std::sin(2.0 * M_PI * double(bin) * i / n));
        return block;
    }
    void DrawAt(uint32_t ms)
    {
        window.SetTimeMs(ms);
        fft->Invalidate();
        window.Paint();
    }
    bool Drawn(int32_t column, int32_t row) const
    {
        return window.GetPixel({kArea.position.x + column, kArea.position.y + row}) == CFFT::kColour;
    }

    SteppedClock clock;
    CAnalyserFeed feed{&clock};
    COffscreenWindow window;
    CFFT* fft = nullptr;
};

TEST_F(FFTTest, ALevelFallsByPointNineNineEightPerMillisecondWithoutNewPeaks)
{
    ASSERT_TRUE(feed.Init(44100, 2, 0));  // 16384 points
    fft->SetFeed(&feed, 44100);
    const int32_t bin = 40;  // 107.7 Hz: one bin per column down here
    const double hz = bin * 44100.0 / 16384.0;
    const auto column = int32_t(std::lround(std::log(hz / 16.0) / std::log(1280.0) * 492.0));
    Feed(Sine(bin, 0.08f));  // magnitude 0.02: level 0.75, 112.5 pixels up
    DrawAt(5000);
    EXPECT_FLOAT_EQ(fft->GetDisplay()[std::size_t(column)], 0.75f);
    EXPECT_TRUE(Drawn(column, 141 - 112));  // 28.5 rounded away from zero

    Feed(std::vector<float>(16384, 0.0f));
    DrawAt(5050);
    const double expected = 0.75 * std::pow(0.998, 50.0);  // about 0.679, 101.8 pixels up
    EXPECT_NEAR(fft->GetDisplay()[std::size_t(column)], expected, 1e-6);
    EXPECT_TRUE(Drawn(column, 141 - 102));
    EXPECT_FALSE(Drawn(column, 141 - 112));
}

TEST_F(FFTTest, ColumnZeroIsNeverDrawnAndTheSpectrumStartsAtTheBinOfSixteenHertz)
{
    ASSERT_TRUE(feed.Init(44100, 2, 0));  // 16384 points
    // At 43.8 kHz bin 6 lies at 16.04 Hz, in column 0; bin 5 (the first, 16 * 0.374 = 5.99)
    // lies below the axis.
    fft->SetFeed(&feed, 43800);
    EXPECT_EQ(fft->FirstBin(), 5);
    std::vector<float> impulse(16384, 0.0f);
    impulse[8192] = 0.04f * 16384.0f;  // flat magnitude 0.04: level 0.84, 126 pixels up
    Feed(impulse);
    DrawAt(100);
    for (int32_t row = 0; row < kArea.size.height; ++row)
        EXPECT_FALSE(Drawn(0, row)) << row;
    EXPECT_EQ(fft->GetDisplay()[0], 0.0f);
    EXPECT_TRUE(Drawn(491, 141 - 126));

    CAnalyserFeed wide(&clock);
    ASSERT_TRUE(wide.Init(96000, 2, 2));  // 4096 points
    fft->SetFeed(&wide, 48000);           // 16 Hz * 4096 / 48000 = 1.37
    EXPECT_EQ(fft->FirstBin(), 1);
    ASSERT_TRUE(wide.Init(44100, 2, 2));  // 2048 points: bin 0, at minus infinity on the axis
    fft->SetFeed(&wide, 44100);
    EXPECT_EQ(fft->FirstBin(), 0);
    DrawAt(200);
}

TEST_F(FFTTest, HugeAndNonFiniteMagnitudesStayInsideTheControl)
{
    ASSERT_TRUE(feed.Init(44100, 2, 2));
    fft->SetFeed(&feed, 44100);
    Feed(Sine(100, 400.0f));  // level about 1.9: far above the top
    // The feed cleans non-finite values itself; these stand for a source that would not.
    auto* spectrum = const_cast<float*>(feed.GetSpectrum());
    spectrum[200] = INFINITY;
    spectrum[300] = std::nanf("");
    for (uint32_t ms : {100u, 100u, 150u}) {  // the second with no time passed
        DrawAt(ms);
        for (float v : fft->GetDisplay())
            ASSERT_TRUE(std::isfinite(v));
    }
    bool inside = false;
    for (int32_t x = 0; x < 780; ++x) {
        EXPECT_NE(window.GetPixel({x, kArea.position.y - 1}), CFFT::kColour) << x;
        EXPECT_NE(window.GetPixel({x, kArea.position.y + kArea.size.height}), CFFT::kColour) << x;
        for (int32_t y = 0; y < kArea.size.height && !inside; ++y)
            inside = Drawn(x - kArea.position.x, y);
    }
    EXPECT_TRUE(inside);  // the lines up to the peak cross the control
}

}  // namespace
