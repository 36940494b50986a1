#include "foundation/Timer.h"

#include <chrono>

#include "platform/Platform.h"

namespace zt {
namespace {

// The timer whose loop runs on this thread. Lets a callback's Start or Stop
// recognise itself without touching state another thread may be changing.
thread_local const CTimer* t_loopOwner = nullptr;

}  // namespace

CTimer::CTimer(std::size_t stackBytes) : m_stackBytes(stackBytes) {}

CTimer::~CTimer() { Stop(); }

void CTimer::Destroy() { delete this; }

bool CTimer::Start(ITimerCallback* callback, uint32_t intervalMs, int id)
{
    // Restarting from inside the callback would leave the old loop running.
    if (callback == nullptr || t_loopOwner == this)
        return false;
    CAutoLock lock(m_control);
    Stop();
    {
        std::lock_guard<std::mutex> state(m_stateLock);
        m_id = id;
        m_interval = intervalMs;
        m_stopRequested = false;
        m_running = true;
    }
    m_thread
        = platform::StartThread([this, callback, intervalMs, id] { Loop(callback, intervalMs, id); }, m_stackBytes);
    if (!m_thread) {
        std::lock_guard<std::mutex> state(m_stateLock);
        m_running = false;
        return false;
    }
    return true;
}

void CTimer::Stop()
{
    // The callback may stop its own timer: the loop then ends after it returns
    // and the thread is joined by the next Start, Stop or the destructor. It
    // must not wait for m_control, which a joining Stop may hold.
    if (t_loopOwner == this) {
        RequestStop();
        return;
    }
    CAutoLock lock(m_control);
    RequestStop();
    if (!m_thread)
        return;
    m_thread->Join();
    m_thread.reset();
}

void CTimer::RequestStop()
{
    {
        std::lock_guard<std::mutex> state(m_stateLock);
        m_stopRequested = true;
    }
    m_wake.notify_all();
}

void CTimer::Loop(ITimerCallback* callback, uint32_t intervalMs, int id)
{
    t_loopOwner = this;
    std::unique_lock<std::mutex> state(m_stateLock);
    while (!m_stopRequested) {
        state.unlock();
        callback->OnTimer(id);
        state.lock();
        if (m_wake.wait_for(state, std::chrono::milliseconds(intervalMs), [this] { return m_stopRequested; }))
            break;
    }
    m_running = false;
}

bool CTimer::IsRunning() const
{
    std::lock_guard<std::mutex> state(m_stateLock);
    return m_running;
}

int CTimer::GetId() const
{
    std::lock_guard<std::mutex> state(m_stateLock);
    return m_id;
}

uint32_t CTimer::GetInterval() const
{
    std::lock_guard<std::mutex> state(m_stateLock);
    return m_interval;
}

ITimer* CreateTimer() { return new CTimer(); }

}  // namespace zt
