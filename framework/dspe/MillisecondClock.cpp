#include "framework/dspe/MillisecondClock.h"

#include <chrono>

namespace zt::dspe {

uint32_t CSteadyMillisecondClock::NowMs() const
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

const CSteadyMillisecondClock& CSteadyMillisecondClock::Instance()
{
    static const CSteadyMillisecondClock clock;
    return clock;
}

}  // namespace zt::dspe
