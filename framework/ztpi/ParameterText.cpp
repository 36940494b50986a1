#include "framework/ztpi/ParameterText.h"

#include "framework/de/ParameterInterfaces.h"
#include "framework/de/TypedNumber.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

namespace zt::ztpi {

namespace {

// Entry k of the "@"-separated texts, or empty.
std::string Entry(const char* texts, int64_t k)
{
    const char* entry = texts;
    while (k-- > 0 && (entry = std::strchr(entry, '@')) != nullptr)
        ++entry;
    if (!entry)
        return {};
    const char* end = std::strchr(entry, '@');
    return std::string(entry, end ? size_t(end - entry) : std::strlen(entry));
}

}  // namespace

bool PlainFromText(const SAutomationInfo& info, const char* text, float& plain)
{
    if (!text)
        return false;
    std::string typed(text);
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    typed.erase(typed.begin(), std::find_if(typed.begin(), typed.end(), notSpace));
    typed.erase(std::find_if(typed.rbegin(), typed.rend(), notSpace).base(), typed.end());

    if (info.kind == SAutomationInfo::kList) {
        const int64_t first = static_cast<int64_t>(info.minimum + 0.5f);
        const int64_t last = static_cast<int64_t>(info.maximum + 0.5f);
        // An entry by its text first: some lists name their entries with numbers.
        for (int64_t k = first; k <= last; ++k) {
            const std::string entry = Entry(info.valueTexts, k);
            if (!entry.empty() && strcasecmp(entry.c_str(), typed.c_str()) == 0) {
                plain = static_cast<float>(k);
                return true;
            }
        }
        // Then an entry by its number.
        if (typed.empty() || typed.size() > 9 || !std::all_of(typed.begin(), typed.end(), ::isdigit))
            return false;
        const int64_t k = std::atoll(typed.c_str());
        if (k < first || k > last)
            return false;
        plain = static_cast<float>(k);
        return true;
    }

    const char* units[] = {info.unit, info.displayConverter ? info.displayConverter->GetUnit() : "", nullptr};
    double shown = 0.0;
    if (!zt::de::ParseTypedNumber(typed.c_str(), units, shown))
        return false;
    float value = 0.0f;
    if (info.displayConverter) {
        if (!info.displayConverter->FromShown(shown, value))
            return false;
    } else {
        if (!std::isfinite(shown))
            return false;
        value = static_cast<float>(shown);
    }
    // The ends of the range, typed as the display prints them, may miss them by a rounding
    // of the display ("1.0" for a minimum of 1.01).
    float slack = (info.maximum - info.minimum) * 1e-5f;
    if (!info.displayConverter)
        slack = std::max(slack, 0.5f * std::pow(10.0f, -static_cast<float>(info.displayDecimals)));
    if (!(value >= info.minimum - slack && value <= info.maximum + slack))
        return false;
    plain = std::clamp(value, info.minimum, info.maximum);
    return true;
}

}  // namespace zt::ztpi
