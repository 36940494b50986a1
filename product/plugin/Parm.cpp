#include "product/plugin/Parm.h"

#include <algorithm>
#include <cmath>

CParm::CParm(zt::de::IParameterManagerCallback* owner, int32_t set, int32_t number, float defaultValue, float minimum,
             float maximum, int32_t decimals)
    : owner_(owner), set_(set), number_(number), default_(Constrain(defaultValue, minimum, maximum, decimals)),
      value_(default_), min_(minimum), max_(maximum), decimals_(decimals)
{}

float CParm::Constrain(float value, float minimum, float maximum, int32_t decimals)
{
    value = std::clamp(value, minimum, maximum);
    if (decimals < 0)
        return value;
    const double scale = std::pow(10.0, decimals);
    return static_cast<float>(std::round(double(value) * scale) / scale);  // std::round: half away from zero
}

void CParm::SetValue(float value, bool round)
{
    if (std::isnan(value))
        return;
    value_.store(Constrain(value, min_, max_, round ? decimals_ : -1), std::memory_order_relaxed);
}

void CParm::Apply()
{
    if (owner_)
        owner_->OnParameterChanged(set_, number_, GetValue());
}

zt::de::IParameter* CParm::Clone() const
{
    auto* copy = new CParm(owner_, set_, number_, default_, min_, max_, decimals_);
    copy->SetValue(GetValue(), false);
    return copy;
}
