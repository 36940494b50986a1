#include "product/plugin/GainDisplayConverter.h"

#include <cmath>

void CGainDisplayConverter::Format(float value, char* text, int32_t size) const
{
    if (value <= 0.0f) {
        zt::de::CopyText("-Inf", text, size);
        return;
    }
    zt::de::CopyText(Compose(20.0 * std::log10(GainOf(value)), GetDecimals(), GetWidth()), text, size);
}

bool CGainDisplayConverter::FromShown(double shown, float& plain) const
{
    if (std::isnan(shown) || shown == INFINITY)
        return false;
    if (shown == -INFINITY) {
        plain = 0.0f;
        return true;
    }
    const double gain = std::pow(10.0, shown / 20.0);
    plain = static_cast<float>(gain < 1.0 ? std::sqrt(gain) : std::sqrt(std::sqrt(gain)));
    return true;
}
