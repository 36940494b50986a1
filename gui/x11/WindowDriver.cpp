#include "gui/x11/WindowDriver.h"

#include <poll.h>

#include <chrono>

namespace zt::ge::x11 {

CWindowDriver::CWindowDriver(IRunLoopClient& window) : window_(window) {}

void CWindowDriver::RunFor(uint32_t milliseconds)
{
    RunUntil([] { return false; }, milliseconds);
}

bool CWindowDriver::RunUntil(const std::function<bool()>& done, uint32_t timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto tick = std::chrono::milliseconds(IRunLoopClient::kTickIntervalMs);
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto nextTick = Clock::now() + tick;
    for (;;) {
        if (done())
            return true;
        const auto now = Clock::now();
        if (now >= end)
            return false;
        const auto wait = std::min(nextTick, end) - now;
        pollfd watched{watchDescriptor_ ? window_.GetEventFileDescriptor() : -1, POLLIN, 0};
        const int waitMs = int(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
        // A negative descriptor is skipped by poll, which then only waits.
        const int ready = poll(&watched, 1, waitMs);
        if (ready > 0 && (watched.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            watchDescriptor_ = false;  // a dead connection would wake us forever
        } else if (ready > 0 && (watched.revents & POLLIN)) {
            window_.OnEventsReady();
        }
        if (Clock::now() >= nextTick) {
            window_.OnTimerTick();
            ++ticks_;
            nextTick += tick;
            if (nextTick < Clock::now())
                nextTick = Clock::now() + tick;  // fell behind: no burst of ticks
        }
    }
}

}  // namespace zt::ge::x11
