// A pointer that the UI thread hands to the audio thread without a lock, and takes
// back knowing when the audio thread can no longer be using it.
//
// The audio thread brackets each use in Enter/Leave; an epoch counter is odd while it
// is inside. Publish stores the new pointer and then reads the epoch: even means no
// block is under way, and any later one reads the new pointer; odd means a block may
// hold the old pointer, so it waits for the epoch to move on, which that block does
// when it leaves. Both sides order the store before the load (sequentially consistent),
// so one of them always sees the other's. The wait lasts at most one audio block and
// ends at once while audio is stopped.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace zt::dspe {

template <class T>
class CPublishedPointer {
public:
    // UI thread: from the next Enter on, the audio thread sees p (null: nothing). On
    // return the previous pointer is no longer in use and its object may go.
    void Publish(T* p)
    {
        pointer_.store(p, std::memory_order_seq_cst);
        const uint32_t epoch = epoch_.load(std::memory_order_seq_cst);
        if ((epoch & 1u) == 0)
            return;
        while (epoch_.load(std::memory_order_acquire) == epoch)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }

    // Audio thread, at the start of a block: the published pointer or null. Nothing else
    // is done while none is published. A non-null result must be matched by Leave.
    T* Enter()
    {
        if (pointer_.load(std::memory_order_relaxed) == nullptr)
            return nullptr;
        epoch_.fetch_add(1, std::memory_order_seq_cst);
        T* p = pointer_.load(std::memory_order_seq_cst);
        if (p == nullptr)
            epoch_.fetch_add(1, std::memory_order_release);
        return p;
    }
    // Audio thread: done with the pointer Enter gave.
    void Leave() { epoch_.fetch_add(1, std::memory_order_release); }

    // Any thread: what is published now.
    T* Get() const { return pointer_.load(std::memory_order_acquire); }

private:
    std::atomic<T*> pointer_{nullptr};
    std::atomic<uint32_t> epoch_{0};
};

}  // namespace zt::dspe
