// The meters' fall and the clip and limiter lights, fed from an engine whose meter
// slots the test fills.
#include "product/editor/MeterFeed.h"

#include "framework/dspe/BaseDSPEngine.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/PeakMeter.h"
#include "gui/toolkit/TimedBitmap.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace zt::ge;

namespace {

class MeterEngine : public zt::dspe::CBaseDSPEngine {
public:
    void Process(float**, float**, int32_t) override {}
    void Reset() override {}
    void Suspend(int32_t) override {}
    void Peak(int32_t slot, float value) { HoldPeak(slot, value); }
    void Gain(int32_t slot, float value) { HoldGainReduction(slot, value); }
};

TEST(MeterFeed, FallsSixtyDecibelsInFourAndAHalfSecondsWhateverTheTickRate)
{
    EXPECT_NEAR(std::pow(CMeterFeed::Decay(50), 90.0), 0.001, 1e-6);  // -0.67 dB per 50 ms tick
    EXPECT_NEAR(CMeterFeed::Decay(100), CMeterFeed::Decay(50) * CMeterFeed::Decay(50), 1e-6);
    EXPECT_EQ(CMeterFeed::Decay(0), 1.0f);
    // 0 dBFS at 0.707 of the meter, +12 dBFS at the top, nothing for nothing.
    EXPECT_NEAR(CMeterFeed::LevelReading(1.0f), 0.70710678f, 1e-6);
    EXPECT_NEAR(CMeterFeed::LevelReading(4.0f), 1.0f, 1e-6);
    EXPECT_NEAR(CMeterFeed::LevelReading(0.25f), 0.5f * 0.70710678f, 1e-6);
    EXPECT_EQ(CMeterFeed::LevelReading(0.0f), 0.0f);
    EXPECT_EQ(CMeterFeed::LevelReading(NAN), 0.0f);
}

TEST(MeterFeed, DrivesMetersClipLightsAndTheLimiterLight)
{
    COffscreenWindow window({780, 500});
    window.SetTimeMs(10000);
    IPane& root = *window.GetRootPane();
    CMeterFeed::STargets targets;
    auto* input = new CPeakMeter({0, 0, 8, 200}, 0, 0, 0);
    auto* gateReduction = new CPeakMeter({20, 0, 140, 8}, 3, 0, 0);
    auto* clip = new CTimedBitmap({40, 0, 32, 11}, 2000);
    auto* limiter = new CTimedBitmap({80, 0, 32, 11}, 400);
    for (IControl* c : std::initializer_list<IControl*>{input, gateReduction, clip, limiter})
        root.AddChild(c);
    targets.io[0] = input;
    targets.gateReduction = gateReduction;
    targets.clip[0] = clip;
    targets.limiterLight = limiter;
    MeterEngine engine;
    CMeterFeed feed(targets, window.GetTimeMs());

    auto tick = [&](uint32_t ms) {
        window.AdvanceTimeMs(ms);
        feed.Tick(engine, window.GetTimeMs());
        root.Tick();
    };
    engine.Peak(0, 0.25f);
    engine.Gain(0, 0.25f);  // a gain of 0.25 reads 1 - 0.5
    tick(50);
    EXPECT_NEAR(input->GetValue(), 0.5f * 0.70710678f, 1e-5);
    EXPECT_NEAR(gateReduction->GetValue(), 0.5f, 1e-5);
    EXPECT_FALSE(clip->IsOn());
    EXPECT_FALSE(limiter->IsOn());
    // Nothing new: one tick's fall.
    tick(50);
    EXPECT_NEAR(input->GetValue(), 0.5f * 0.70710678f * CMeterFeed::Decay(50), 1e-5);

    // A peak of exactly full scale lights the clip light for 2 s; a second clip 1.5 s
    // later keeps it on until 2 s after that one.
    engine.Peak(0, 1.0f);
    tick(50);
    EXPECT_TRUE(clip->IsOn());
    for (int i = 0; i < 30; ++i)
        tick(50);
    EXPECT_TRUE(clip->IsOn());
    engine.Peak(0, 1.0f);
    tick(50);
    for (int i = 0; i < 30; ++i)
        tick(50);
    EXPECT_TRUE(clip->IsOn());  // 3.05 s after the first clip
    for (int i = 0; i < 12; ++i)
        tick(50);
    EXPECT_FALSE(clip->IsOn());

    engine.Gain(2, 0.99f);
    tick(50);
    EXPECT_TRUE(limiter->IsOn());
}

}  // namespace
