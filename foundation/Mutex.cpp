#include "foundation/Mutex.h"

namespace zt {

CMutex::CMutex() : owner_(std::thread::id()), depth_(0) {}
CMutex::~CMutex() = default;

void CMutex::Lock()
{
    mutex_.lock();
    Acquired();
}

bool CMutex::TryLock()
{
    if (!mutex_.try_lock())
        return false;
    Acquired();
    return true;
}

void CMutex::Acquired()
{
    owner_.store(std::this_thread::get_id());
    depth_.fetch_add(1);
}

void CMutex::Unlock()
{
    if (owner_.load() != std::this_thread::get_id() || depth_.load() == 0)
        return;
    // Clear the owner before the final release, while this thread still holds it.
    if (depth_.fetch_sub(1) == 1)
        owner_.store(std::thread::id());
    mutex_.unlock();
}

int CMutex::Depth() const { return depth_.load(); }

CAutoLock::CAutoLock(CMutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
CAutoLock::~CAutoLock() { mutex_.Unlock(); }

}  // namespace zt
