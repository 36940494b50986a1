// Typed values: the number reader and the per-parameter reading never accept NaN, and a
// value they accept lies in the parameter's range. The first byte picks the parameter.
#include "PlugInSupport.h"

#include "framework/de/TypedNumber.h"
#include "framework/ztpi/ParameterText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qs::fuzz;
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);  // to its first NUL

    auto& p = Plug().plugIn();
    CAllocationBound bound(size + 4096);
    static const char* const units[] = {"dB", "Hz", "ms", "%", "", nullptr};
    double number = 1.5;
    if (zt::de::ParseTypedNumber(text.c_str(), units, number))
        Require(!std::isnan(number) && number != HUGE_VAL, "a typed number is a number");

    zt::ztpi::SAutomationInfo info;
    p.GetAutomationInfo(data[0] % p.GetNumParameters(), &info);
    float plain = 12345.0f;
    if (zt::ztpi::PlainFromText(info, text.c_str(), plain)) {
        // The display rounds at the ends: allow a little beyond them.
        const float slack = 0.01f * (info.maximum - info.minimum) + 0.01f;
        Require(plain >= info.minimum - slack && plain <= info.maximum + slack, "a typed value in range");
    } else {
        Require(plain == 12345.0f, "a refused text leaves the value alone");
    }
    return 0;
}
