// A millisecond clock that tests can step. Times are 32-bit and wrap after about 49
// days; callers compare them by unsigned difference.
#pragma once

#include <cstdint>

namespace zt::dspe {

class IMillisecondClock {
public:
    virtual ~IMillisecondClock() = default;
    // Safe on the audio thread: no lock, no allocation, no system call on Linux (vDSO).
    virtual uint32_t NowMs() const = 0;
};

// The system's steady clock.
class CSteadyMillisecondClock final : public IMillisecondClock {
public:
    uint32_t NowMs() const override;
    // One shared instance; it holds no state.
    static const CSteadyMillisecondClock& Instance();
};

}  // namespace zt::dspe
