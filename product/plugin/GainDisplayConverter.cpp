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
