#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "foundation/Interface.h"
#include "foundation/Mutex.h"

namespace zt {

namespace platform {
class IThread;
}

class ITimerCallback : public virtual IInterface {
public:
    // Runs on the timer's own thread.
    virtual void OnTimer(int id) = 0;
};

// A repeating timer with its own thread.
class ITimer : public virtual IDestructable {
public:
    // Starts a thread that calls callback->OnTimer(id), sleeps intervalMs and
    // repeats until Stop. A running timer is stopped first. False when callback
    // is null, when called from the timer's own callback, or when no thread
    // could be started.
    virtual bool Start(ITimerCallback* callback, uint32_t intervalMs, int id) = 0;
    // Returns once the thread has left its loop (a callback in progress
    // finishes first). From inside the callback it only requests the stop.
    virtual void Stop() = 0;
    virtual bool IsRunning() const = 0;
    virtual int GetId() const = 0;             // -1 until first started
    virtual uint32_t GetInterval() const = 0;  // 0 until first started
};

class CTimer : public virtual ITimer {
public:
    // Timer threads only call back into the product, so they get a small stack.
    static constexpr std::size_t kDefaultStackBytes = 8192;

    explicit CTimer(std::size_t stackBytes = kDefaultStackBytes);
    // Stops the timer; must not run inside the timer's own callback.
    ~CTimer() override;
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;

    void Destroy() override;
    bool Start(ITimerCallback* callback, uint32_t intervalMs, int id) override;
    void Stop() override;
    bool IsRunning() const override;
    int GetId() const override;
    uint32_t GetInterval() const override;

private:
    void Loop(ITimerCallback* callback, uint32_t intervalMs, int id);
    void RequestStop();

    const std::size_t stackBytes_;
    CMutex control_;  // serialises Start and Stop
    std::unique_ptr<platform::IThread> thread_;

    mutable std::mutex stateLock_;  // guards the fields below; also the sleep's lock
    std::condition_variable wake_;  // ends the sleep early when a stop is requested
    bool stopRequested_ = false;
    bool running_ = false;
    int id_ = -1;
    uint32_t interval_ = 0;
};

ITimer* CreateTimer();

}  // namespace zt
