// The parameter store's change notifications.
#include "product/plugin/Parm.h"
#include "framework/de/ParameterManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

using namespace zt::de;

namespace {

struct Recorder : IParameterManagerCallback {
    std::vector<std::tuple<int32_t, int32_t, float>> changed, notified;
    void OnParameterChanged(int32_t set, int32_t number, float value) override
    {
        changed.emplace_back(set, number, value);
    }
    void OnParameterNotify(int32_t set, int32_t number, float value) override
    {
        notified.emplace_back(set, number, value);
    }
};

class ParameterManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pm.SetCallback(&rec);
        pm.SetNumberOfSets(2);
        pm.AddParameter(new CParm(&rec, 0, 0, 0.5f, 0, 1, 2), 0);
        pm.AddParameter(new CParm(&rec, 0, 1, 3, 0, 12, 0), 0);
        pm.AddParameter(new CParm(&rec, 1, 0, 0, -1, 1, -1), 1);
    }
    Recorder rec;
    CParameterManager pm;
};

}  // namespace

TEST_F(ParameterManagerTest, EchoOnlyWhenAsked)
{
    pm.SetValue(false, 1, 5.4f, 0);
    ASSERT_EQ(rec.changed.size(), 1u);
    EXPECT_EQ(rec.changed[0], std::make_tuple(0, 1, 5.0f));  // the stored, rounded value
    EXPECT_TRUE(rec.notified.empty());

    pm.SetValue(true, 0, 0.25f, 0);
    ASSERT_EQ(rec.notified.size(), 1u);
    EXPECT_EQ(rec.notified[0], std::make_tuple(0, 0, 0.25f));
}

TEST_F(ParameterManagerTest, SameValueCallsNothingUnlessForced)
{
    pm.SetValue(true, 0, 0.5f, 0);
    EXPECT_TRUE(rec.changed.empty());
    EXPECT_TRUE(rec.notified.empty());
    pm.SetValue(false, 0, 0.5f, 0, true);
    EXPECT_EQ(rec.changed.size(), 1u);
    pm.SetValue(false, 0, std::nanf(""), 0, true);  // NaN is never stored
    EXPECT_EQ(rec.changed.size(), 1u);
    EXPECT_FLOAT_EQ(pm.GetValue(0, 0), 0.5f);
}

TEST_F(ParameterManagerTest, ResendAllAndBulkAccess)
{
    pm.ResendAll();
    ASSERT_EQ(rec.changed.size(), 3u);
    EXPECT_EQ(rec.changed[2], std::make_tuple(1, 0, 0.0f));

    const float values[2] = {2.0f, 11.6f};
    pm.SetValues(0, 2, values, 0, false);
    float back[2];
    pm.GetValues(back, 0, 0, 2);
    EXPECT_FLOAT_EQ(back[0], 1.0f);   // clamped
    EXPECT_FLOAT_EQ(back[1], 12.0f);  // rounded
}

TEST(Parm, DefaultIsClampedAndRoundedAndCloneKeepsTheValue)
{
    CParm p(nullptr, 0, 3, 0.456f, 0, 0.4f, 1);
    EXPECT_FLOAT_EQ(p.GetDefault(), 0.4f);
    CParm q(nullptr, 0, 4, 0.25f, 0, 1, 1);
    EXPECT_FLOAT_EQ(q.GetDefault(), 0.3f);  // half away from zero
    q.SetValue(-0.25f, true);
    EXPECT_FLOAT_EQ(q.GetValue(), 0.0f);
    q.SetValue(0.77f, false);
    std::unique_ptr<IParameter> copy(q.Clone());
    EXPECT_FLOAT_EQ(copy->GetValue(), 0.77f);
    EXPECT_EQ(copy->GetNumber(), 4);
}
