#include "framework/de/TypedNumber.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

namespace zt::de {

namespace {

const char* SkipSpaces(const char* p)
{
    while (*p && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    return p;
}

// The rest of the text, without trailing spaces, is empty or one of units.
bool RestIsUnit(const char* p, const char* const* units)
{
    p = SkipSpaces(p);
    std::string rest(p);
    while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back())))
        rest.pop_back();
    if (rest.empty())
        return true;
    for (; units && *units; ++units)
        if (**units && strcasecmp(rest.c_str(), *units) == 0)
            return true;
    return false;
}

}  // namespace

bool ParseTypedNumber(const char* text, const char* const* units, double& value)
{
    if (!text)
        return false;
    const char* p = SkipSpaces(text);
    if (strncasecmp(p, "-Inf", 4) == 0 && RestIsUnit(p + 4, units)) {
        value = -INFINITY;
        return true;
    }
    // Only plain decimal notation: strtod alone would also take "nan", "inf", hex and
    // exponents.
    const char* q = p;
    if (*q == '+' || *q == '-')
        ++q;
    const char* digits = q;
    while (std::isdigit(static_cast<unsigned char>(*q)))
        ++q;
    bool any = q != digits;
    if (*q == '.') {
        ++q;
        const char* fraction = q;
        while (std::isdigit(static_cast<unsigned char>(*q)))
            ++q;
        any = any || q != fraction;
    }
    if (!any)
        return false;
    const std::string number(p, q);
    double parsed = std::strtod(number.c_str(), nullptr);
    q = SkipSpaces(q);
    // "K" for thousands, unless the whole rest is a unit that starts with K.
    if ((*q == 'K' || *q == 'k') && !RestIsUnit(q, units)) {
        parsed *= 1000.0;
        ++q;
    }
    if (!RestIsUnit(q, units) || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

}  // namespace zt::de
