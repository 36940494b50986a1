// A stored parameter: range, default and rounding to a number of decimals.
#pragma once

#include "framework/de/ParameterInterfaces.h"

#include <atomic>

// Values are read by the host's threads while the UI thread writes them: one atomic each.
class CParm final : public zt::de::IParameter {
public:
    // decimals < 0: no rounding. The default is clamped and rounded like any value.
    CParm(zt::de::IParameterManagerCallback* owner, int32_t set, int32_t number, float defaultValue, float minimum,
          float maximum, int32_t decimals);

    int32_t GetNumber() const override { return number_; }
    int32_t GetSet() const { return set_; }
    float GetDefault() const override { return default_; }
    float GetValue() const override { return value_.load(std::memory_order_relaxed); }
    void SetValue(float value, bool round) override;
    float GetMinimum() const override { return min_; }
    float GetMaximum() const override { return max_; }
    int32_t GetDecimals() const { return decimals_; }
    void Apply() override;
    IParameter* Clone() const override;

    // Clamp to [minimum, maximum], then round half away from zero to decimals.
    static float Constrain(float value, float minimum, float maximum, int32_t decimals);

private:
    zt::de::IParameterManagerCallback* owner_;
    int32_t set_;
    int32_t number_;
    float default_;
    std::atomic<float> value_;
    float min_;
    float max_;
    int32_t decimals_;
};
