// The framework's plug-in object with a product of its own making: more automated
// parameters than any fixed-size bookkeeping would hold.
#include "framework/de/ParameterManager.h"
#include "framework/ztpi/BasePlugIn.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using zt::ztpi::SEvent;

class CPlainParameter final : public zt::de::IParameter {
public:
    CPlainParameter(zt::de::IParameterManagerCallback* owner, int32_t number) : owner_(owner), number_(number) {}
    int32_t GetNumber() const override { return number_; }
    float GetDefault() const override { return 0.0f; }
    float GetValue() const override { return value_; }
    void SetValue(float value, bool) override { value_ = value; }
    float GetMinimum() const override { return 0.0f; }
    float GetMaximum() const override { return 1.0f; }
    void Apply() override { owner_->OnParameterChanged(0, number_, value_); }
    IParameter* Clone() const override { return new CPlainParameter(*this); }

private:
    zt::de::IParameterManagerCallback* owner_;
    int32_t number_;
    float value_ = 0.0f;
};

class CSilentEngine final : public zt::dspe::CBaseDSPEngine {
public:
    void Process(float**, float**, int32_t) override {}
    void Reset() override {}
    void Suspend(int32_t) override {}
};

struct SQuietHost : zt::ztpi::IHost {
    void BeginEdit(int32_t) override {}
    void ParameterChanged(int32_t) override {}
    void EndEdit(int32_t) override {}
    void GetHostName(char*) override {}
    void GetHostVendor(char*) override {}
    void LatencyChanged() override {}
};

// Every parameter change waits for the UI thread (ApplyRealTime says so by default).
class CWidePlugIn final : public zt::ztpi::CBasePlugIn {
public:
    static constexpr int32_t kCount = 300;

    explicit CWidePlugIn(zt::ztpi::IHost* host) : CBasePlugIn(host, "Test Vendor", "Wide", 32)
    {
        engine_ = std::make_unique<CSilentEngine>();
    }
    std::vector<std::pair<int32_t, float>> applied;

protected:
    void DefineParameters() override
    {
        parameters_->SetNumberOfSets(1);
        for (int32_t i = 0; i < kCount; ++i)
            parameters_->AddParameter(new CPlainParameter(this, i), 0);
    }
    void DefineAutomation() override
    {
        for (int32_t i = 0; i < kCount; ++i)
            AddAutomationParameter(0, i, "P", 2, "");
    }
    void ApplyParameter(int32_t, int32_t number, float value) override { applied.emplace_back(number, value); }
};

SEvent Change(int32_t index, float plain)
{
    SEvent event;
    event.type = SEvent::kParameterChange;
    event.data[0] = index;
    std::memcpy(&event.data[1], &plain, sizeof plain);
    return event;
}

TEST(BasePlugIn, AudioThreadChangesReachTheUiThreadForEveryAutomationIndex)
{
    SQuietHost host;
    CWidePlugIn plugIn(&host);
    ASSERT_TRUE(plugIn.Open());
    ASSERT_EQ(plugIn.GetNumParameters(), CWidePlugIn::kCount);
    plugIn.applied.clear();

    // Indices past the first 128, the last one, and out of range (ignored).
    const SEvent events[] = {Change(3, 0.25f), Change(130, 0.5f), Change(CWidePlugIn::kCount - 1, 0.75f),
                             Change(CWidePlugIn::kCount, 1.0f), Change(-1, 1.0f)};
    plugIn.AddEvents(events, 5);
    plugIn.Process(nullptr, nullptr, 0);  // a flush call: the events apply without audio

    EXPECT_TRUE(plugIn.applied.empty());  // nothing of the UI-thread part on the audio thread

    plugIn.Idle();
    EXPECT_FLOAT_EQ(plugIn.GetParameter(130), 0.5f);
    EXPECT_FLOAT_EQ(plugIn.GetParameter(CWidePlugIn::kCount - 1), 0.75f);
    const std::vector<std::pair<int32_t, float>> expected = {{3, 0.25f}, {130, 0.5f}, {CWidePlugIn::kCount - 1, 0.75f}};
    EXPECT_EQ(plugIn.applied, expected);

    plugIn.applied.clear();
    plugIn.Idle();  // taken once
    EXPECT_TRUE(plugIn.applied.empty());
}

}  // namespace
