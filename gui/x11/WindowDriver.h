#pragma once

#include <cstdint>
#include <functional>

#include "gui/native/RunLoopClient.h"

namespace zt::ge::x11 {

// Drives a window the way a host's run loop does, for tests and tools: polls
// the window's descriptor with a timeout up to the next 50 ms tick, calls
// OnEventsReady when it is readable and OnTimerTick when a tick is due. All
// on the calling thread; a plug-in inside a host never uses this.
class CWindowDriver {
public:
    explicit CWindowDriver(IRunLoopClient& window);

    void RunFor(uint32_t milliseconds);
    // Runs until done() returns true (asked after every wake-up) or the time is
    // up. True when done() said so.
    bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs);

    uint32_t GetTickCount() const { return ticks_; }

private:
    IRunLoopClient& window_;
    uint32_t ticks_ = 0;
    bool watchDescriptor_ = true;
};

}  // namespace zt::ge::x11
