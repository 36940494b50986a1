#pragma once

#include <cstdint>

namespace zt::ge {

// Something a run loop drives on one thread: a descriptor to watch and a
// periodic tick. The editor window is one; the host's run loop (inside a
// plug-in) or a small poll loop (in tools and tests) drives it.
class IRunLoopClient {
public:
    static constexpr uint32_t kTickIntervalMs = 50;

    virtual ~IRunLoopClient() = default;
    virtual int GetEventFileDescriptor() const = 0;  // -1 when there is none
    virtual void OnEventsReady() = 0;                // the descriptor is readable
    virtual void OnTimerTick() = 0;                  // every kTickIntervalMs
};

}  // namespace zt::ge
