#include "framework/de/DisplayConverter.h"

#include <cmath>
#include <cstring>

namespace zt::de {

std::string CDisplayConverter::FormatNumber(double value, int32_t decimals, int32_t width)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? "NaN" : (value < 0 ? "-Inf" : "Inf");

    // Round half away from zero to the displayed decimals.
    const double scale = std::pow(10.0, decimals);
    // + 0.0 turns a negative zero into zero, so nothing rounds to "-0".
    double v = std::trunc(value * scale + (value < 0 ? -0.5 : 0.5)) / scale + 0.0;

    std::string text;
    if (v < 0) {
        text += '-';
        v = -v;
    }
    double integerPart = std::floor(v);
    const double fraction = v - integerPart;

    // Room for "." and digits after sign and integer part. The integer part is always
    // written in full, even when it exceeds the width.
    const int32_t integerDigits = integerPart < 1.0 ? 1 : static_cast<int32_t>(std::floor(std::log10(integerPart))) + 1;
    const int32_t remaining = width - static_cast<int32_t>(text.size()) - integerDigits;

    std::string fractionDigits;
    if (decimals > 0 && remaining >= 2) {
        const int32_t count = std::min(decimals, remaining - 1);
        // Digits are truncated except the last, which is rounded half up; a rounded
        // last digit of 10 carries into the ones before it and into the integer part.
        const double digitScale = std::pow(10.0, count);
        auto digits = static_cast<long long>(std::floor(fraction * digitScale + 0.5));
        if (digits >= static_cast<long long>(digitScale)) {
            digits -= static_cast<long long>(digitScale);
            integerPart += 1.0;
        }
        fractionDigits = std::to_string(digits);
        fractionDigits.insert(0, static_cast<size_t>(count) - fractionDigits.size(), '0');
    }

    char integerText[32];
    std::snprintf(integerText, sizeof integerText, "%.0f", integerPart);
    text += integerText;
    if (!fractionDigits.empty())
        text += '.' + fractionDigits;
    return text;
}

std::string CDisplayConverter::Compose(double value, int32_t decimals, int32_t width) const
{
    const char* suffix = "";
    for (const SRange& range : ranges_) {
        if (value < range.upperBound) {
            if (range.divisor != -1.0f)
                value /= range.divisor;
            decimals = range.decimals;
            suffix = range.suffix;
            break;
        }
    }
    return prefix_ + FormatNumber(value, decimals, width) + suffix + unit_;
}

void CDisplayConverter::Format(float value, char* text, int32_t size) const
{
    CopyText(Compose(value, decimals_, width_), text, size);
}

bool CDisplayConverter::FromShown(double shown, float& plain) const
{
    if (!std::isfinite(shown))
        return false;
    plain = static_cast<float>(shown);
    return true;
}

std::vector<CDisplayConverter::SRange> CDisplayConverter::FrequencyRanges(int32_t decimalsBelow1k)
{
    return {{1000.0f, "", decimalsBelow1k, -1.0f}, {10000.0f, "K", 1, 1000.0f}, {100000.0f, "K", 0, 1000.0f}};
}

void CopyText(const std::string& text, char* destination, int32_t size)
{
    if (size <= 0)
        return;
    const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(destination, text.data(), n);
    destination[n] = '\0';
}

}  // namespace zt::de
