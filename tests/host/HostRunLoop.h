// The part of a Linux VST 3 host an editor view meets: the frame the host hands to
// setFrame, offering the host's run loop, which records what the view registers
// and drives it as a host's loop would (handlers when their descriptor is readable,
// timers at their interval).
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace qs::test {

class CHostRunLoop : public Steinberg::IPlugFrame, public Steinberg::Linux::IRunLoop {
public:
    using Clock = std::chrono::steady_clock;

    // offerRunLoop false: a host whose frame has no run loop. refuseTimers: one
    // whose loop turns every timer down.
    explicit CHostRunLoop(bool offerRunLoop = true, bool refuseTimers = false)
        : offerRunLoop_(offerRunLoop), refuseTimers_(refuseTimers)
    {}

    // What is registered now.
    std::map<Steinberg::Linux::IEventHandler*, int> handlers;
    struct STimer {
        Steinberg::Linux::TimerInterval interval;
        Clock::time_point due;
    };
    std::map<Steinberg::Linux::ITimerHandler*, STimer> timers;
    int handlerRegistrations = 0;
    int handlerRemovals = 0, timerRemovals = 0;
    uint64_t fdDispatches = 0, timerDispatches = 0;

    // Runs the loop for ms milliseconds, or until done says so (checked after
    // every dispatch round). True when done was reached.
    bool Run(int ms, const std::function<bool()>& done = {})
    {
        const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            if (done && done())
                return true;
            const Clock::time_point now = Clock::now();
            if (now >= end)
                return false;
            Clock::time_point wake = end;
            for (const auto& entry : timers)
                wake = std::min(wake, entry.second.due);
            std::vector<pollfd> fds;
            std::vector<Steinberg::Linux::IEventHandler*> owners;
            for (const auto& entry : handlers) {
                fds.push_back({entry.second, POLLIN, 0});
                owners.push_back(entry.first);
            }
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count();
            const int ready = poll(fds.data(), fds.size(), static_cast<int>(std::max<long long>(wait, 0)));
            for (size_t i = 0; ready > 0 && i < fds.size(); ++i)
                if (fds[i].revents && handlers.count(owners[i])) {
                    ++fdDispatches;
                    owners[i]->onFDIsSet(fds[i].fd);
                }
            std::vector<Steinberg::Linux::ITimerHandler*> due;
            for (auto& entry : timers)
                if (Clock::now() >= entry.second.due) {
                    entry.second.due = Clock::now() + std::chrono::milliseconds(entry.second.interval);
                    due.push_back(entry.first);
                }
            for (Steinberg::Linux::ITimerHandler* timer : due)
                if (timers.count(timer)) {
                    ++timerDispatches;
                    timer->onTimer();
                }
        }
    }

    // IPlugFrame
    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView*, Steinberg::ViewRect*) override
    {
        return Steinberg::kResultFalse;
    }

    // IRunLoop
    Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                       Steinberg::Linux::FileDescriptor fd) override
    {
        if (!handler || handlers.count(handler))
            return Steinberg::kInvalidArgument;
        ++handlerRegistrations;
        handlers[handler] = fd;
        handler->addRef();  // as hosts do: a registered handler stays alive
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override
    {
        if (!handlers.erase(handler))
            return Steinberg::kInvalidArgument;
        ++handlerRemovals;
        handler->release();
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval ms) override
    {
        if (!handler || timers.count(handler) || refuseTimers_)
            return Steinberg::kResultFalse;
        timers[handler] = {ms, Clock::now() + std::chrono::milliseconds(ms)};
        handler->addRef();
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override
    {
        if (!timers.erase(handler))
            return Steinberg::kInvalidArgument;
        ++timerRemovals;
        handler->release();
        return Steinberg::kResultOk;
    }

    // FUnknown: lives on the test's stack.
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** object) override
    {
        if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::Linux::IRunLoop::iid) && offerRunLoop_) {
            *object = static_cast<Steinberg::Linux::IRunLoop*>(this);
            addRef();
            return Steinberg::kResultOk;
        }
        if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::IPlugFrame::iid)
            || Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::FUnknown::iid)) {
            *object = static_cast<Steinberg::IPlugFrame*>(this);
            addRef();
            return Steinberg::kResultOk;
        }
        *object = nullptr;
        return Steinberg::kNoInterface;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return ++references; }
    Steinberg::uint32 PLUGIN_API release() override { return --references; }
    int references = 0;

private:
    bool offerRunLoop_, refuseTimers_;
};

}  // namespace qs::test
