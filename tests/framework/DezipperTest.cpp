// Linear parameter ramps.
#include "framework/dspe/BaseDezipper.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using zt::dspe::CBaseDezipper;

namespace {
struct Recorder : zt::dspe::IBaseDezipperCallback {
    std::vector<std::pair<int32_t, float>> values;
    void OnSmoothedValue(int32_t id, float value) override { values.emplace_back(id, value); }
};
}  // namespace

TEST(Dezipper, RampsLinearlyAtFixedSpeed)
{
    CBaseDezipper dz;
    Recorder rec;
    dz.SetCallback(&rec);
    dz.AddParameter(78, 0, 1, 1, 500);  // 0.002 per ms
    dz.AddParameter(39, 1.01f, 30, 4.5f, 1000);
    dz.SetTarget(78, 0.5f);
    ASSERT_EQ(rec.values.size(), 1u);  // the current value, reported once
    EXPECT_EQ(rec.values[0], std::make_pair(78, 1.0f));
    rec.values.clear();

    dz.Tick(100.0f);
    EXPECT_NEAR(dz.GetCurrent(78), 0.8f, 1e-6f);
    ASSERT_EQ(rec.values.size(), 1u);  // the ramp at rest is not reported
    // A new target mid-ramp continues from where the ramp is, at the same speed.
    dz.SetTarget(78, 1.2f);
    dz.Tick(100.0f);
    EXPECT_NEAR(dz.GetCurrent(78), 1.0f, 1e-6f);
    dz.Tick(1000.0f);
    EXPECT_EQ(dz.GetCurrent(78), 1.2f);  // never past the target

    dz.SetTarget(39, 30.0f);
    dz.Tick(500.0f);
    EXPECT_NEAR(dz.GetCurrent(39), 4.5f + 28.99f / 2, 1e-4f);
}

TEST(Dezipper, SnapAllReportsOnlyMovingRamps)
{
    CBaseDezipper dz;
    Recorder rec;
    dz.AddParameter(1, 0, 1, 0, 500);
    dz.AddParameter(2, 0, 1, 0, 500);
    dz.SetTarget(2, 1.0f);
    dz.SetCallback(&rec);
    dz.SnapAll();
    EXPECT_EQ(rec.values, (std::vector<std::pair<int32_t, float>>{{2, 1.0f}}));
    EXPECT_EQ(dz.GetCurrent(2), 1.0f);
}

TEST(Dezipper, UnknownIdsAndNoCallbackAreHarmless)
{
    CBaseDezipper dz;
    dz.AddParameter(1, 0, 1, 0, 500);
    dz.SetTarget(99, 1.0f);
    float out[4] = {-1, -1, -1, -1};
    dz.FillRamp(99, out, 4, 48000);
    EXPECT_EQ(out[0], -1.0f);
    dz.SetTarget(1, 1.0f);
    dz.Tick(250.0f);
    EXPECT_NEAR(dz.GetCurrent(1), 0.5f, 1e-6f);

    // Sample by sample at 1 kHz: 1 ms, i.e. 0.002, per sample.
    dz.FillRamp(1, out, 4, 1000);
    EXPECT_NEAR(out[0], 0.502f, 1e-6f);
    EXPECT_NEAR(out[3], 0.508f, 1e-6f);
    dz.Advance(1, 1000, 1000);
    EXPECT_EQ(dz.GetCurrent(1), 1.0f);
}
