#include "foundation/Mutex.h"

namespace zt {

CMutex::CMutex() : m_owner(std::thread::id()), m_depth(0) {}
CMutex::~CMutex() = default;

void CMutex::Lock()
{
    m_mutex.lock();
    Acquired();
}

bool CMutex::TryLock()
{
    if (!m_mutex.try_lock())
        return false;
    Acquired();
    return true;
}

void CMutex::Acquired()
{
    m_owner.store(std::this_thread::get_id());
    m_depth.fetch_add(1);
}

void CMutex::Unlock()
{
    if (m_owner.load() != std::this_thread::get_id() || m_depth.load() == 0)
        return;
    // Clear the owner before the final release, while this thread still holds it.
    if (m_depth.fetch_sub(1) == 1)
        m_owner.store(std::thread::id());
    m_mutex.unlock();
}

int CMutex::Depth() const { return m_depth.load(); }

CAutoLock::CAutoLock(CMutex& mutex) : m_mutex(mutex) { m_mutex.Lock(); }
CAutoLock::~CAutoLock() { m_mutex.Unlock(); }

}  // namespace zt
