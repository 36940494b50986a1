#include "foundation/Timer.h"

#include <chrono>

#include "platform/Platform.h"

namespace zt {
namespace {

// The timer whose loop runs on this thread. Lets a callback's Start or Stop
// recognise itself without touching state another thread may be changing.
thread_local const CTimer* t_loopOwner = nullptr;

}  // namespace

CTimer::CTimer(std::size_t stackBytes) : stackBytes_(stackBytes) {}

CTimer::~CTimer() { Stop(); }

void CTimer::Destroy() { delete this; }

bool CTimer::Start(ITimerCallback* callback, uint32_t intervalMs, int id)
{
    // Restarting from inside the callback would leave the old loop running.
    if (callback == nullptr || t_loopOwner == this)
        return false;
    CAutoLock lock(control_);
    Stop();
    {
        std::lock_guard<std::mutex> state(stateLock_);
        id_ = id;
        interval_ = intervalMs;
        stopRequested_ = false;
        running_ = true;
    }
    thread_ = platform::StartThread([this, callback, intervalMs, id] { Loop(callback, intervalMs, id); }, stackBytes_);
    if (!thread_) {
        std::lock_guard<std::mutex> state(stateLock_);
        running_ = false;
        return false;
    }
    return true;
}

void CTimer::Stop()
{
    // The callback may stop its own timer: the loop then ends after it returns
    // and the thread is joined by the next Start, Stop or the destructor. It
    // must not wait for control_, which a joining Stop may hold.
    if (t_loopOwner == this) {
        RequestStop();
        return;
    }
    CAutoLock lock(control_);
    RequestStop();
    if (!thread_)
        return;
    thread_->Join();
    thread_.reset();
}

void CTimer::RequestStop()
{
    {
        std::lock_guard<std::mutex> state(stateLock_);
        stopRequested_ = true;
    }
    wake_.notify_all();
}

void CTimer::Loop(ITimerCallback* callback, uint32_t intervalMs, int id)
{
    t_loopOwner = this;
    std::unique_lock<std::mutex> state(stateLock_);
    while (!stopRequested_) {
        state.unlock();
        callback->OnTimer(id);
        state.lock();
        if (wake_.wait_for(state, std::chrono::milliseconds(intervalMs), [this] { return stopRequested_; }))
            break;
    }
    running_ = false;
}

bool CTimer::IsRunning() const
{
    std::lock_guard<std::mutex> state(stateLock_);
    return running_;
}

int CTimer::GetId() const
{
    std::lock_guard<std::mutex> state(stateLock_);
    return id_;
}

uint32_t CTimer::GetInterval() const
{
    std::lock_guard<std::mutex> state(stateLock_);
    return interval_;
}

ITimer* CreateTimer() { return new CTimer(); }

}  // namespace zt
