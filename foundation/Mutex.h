#pragma once

#include <atomic>
#include <mutex>
#include <thread>

namespace zt {

// Recursive lock that knows how deep its owner holds it.
class CMutex {
public:
    CMutex();
    ~CMutex();
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    void Lock();
    bool TryLock();
    // Ignored unless the calling thread holds the lock, so a stray unlock
    // cannot release another thread's lock.
    void Unlock();
    // How many times the owner holds the lock; 0 when free.
    int Depth() const;

private:
    void Acquired();

    std::recursive_mutex mutex_;
    std::atomic<std::thread::id> owner_;
    std::atomic<int> depth_;
};

// Holds a CMutex for the rest of the scope: zt::CAutoLock lock(mutex);
class CAutoLock {
public:
    explicit CAutoLock(CMutex& mutex);
    ~CAutoLock();
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CMutex& mutex_;
};

}  // namespace zt
