#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/Mutex.h"
#include "foundation/RefCountable.h"
#include "foundation/Timer.h"

namespace {

bool LockableElsewhere(zt::CMutex& mutex)
{
    bool locked = false;
    std::thread([&] {
        locked = mutex.TryLock();
        if (locked)
            mutex.Unlock();
    }).join();
    return locked;
}

TEST(Mutex, IsRecursiveAndCountsDepth)
{
    zt::CMutex mutex;
    EXPECT_EQ(mutex.Depth(), 0);
    {
        zt::CAutoLock outer(mutex);
        zt::CAutoLock inner(mutex);
        EXPECT_EQ(mutex.Depth(), 2);
        EXPECT_FALSE(LockableElsewhere(mutex));
    }
    EXPECT_EQ(mutex.Depth(), 0);
    EXPECT_TRUE(LockableElsewhere(mutex));
}

TEST(Mutex, StrayUnlocksAreIgnored)
{
    zt::CMutex mutex;
    mutex.Unlock();  // not held
    EXPECT_EQ(mutex.Depth(), 0);
    mutex.Lock();
    std::thread([&] { mutex.Unlock(); }).join();  // not the owner
    EXPECT_EQ(mutex.Depth(), 1);
    EXPECT_FALSE(LockableElsewhere(mutex));
    mutex.Unlock();
    EXPECT_TRUE(LockableElsewhere(mutex));
}

// Counts calls and lets a test wait for a number of them.
class CCounter : public zt::ITimerCallback {
public:
    void OnTimer(int id) override
    {
        std::lock_guard<std::mutex> lock(lock_);
        ids_.push_back(id);
        thread_ = std::this_thread::get_id();
        if (onCall_)
            onCall_();
        changed_.notify_all();
    }
    bool WaitFor(std::size_t calls)
    {
        std::unique_lock<std::mutex> lock(lock_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return ids_.size() >= calls; });
    }
    std::size_t Calls()
    {
        std::lock_guard<std::mutex> lock(lock_);
        return ids_.size();
    }

    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<int> ids_;
    std::thread::id thread_;
    std::function<void()> onCall_;
};

TEST(Timer, RepeatsOnItsOwnThreadUntilStopped)
{
    zt::CTimer timer;
    EXPECT_FALSE(timer.IsRunning());
    CCounter counter;
    ASSERT_TRUE(timer.Start(&counter, 1, 17));
    ASSERT_TRUE(counter.WaitFor(3));
    timer.Stop();
    EXPECT_FALSE(timer.IsRunning());

    std::size_t calls = counter.Calls();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.Calls(), calls);  // nothing after Stop returned
    EXPECT_NE(counter.thread_, std::this_thread::get_id());
    for (int id : counter.ids_)
        EXPECT_EQ(id, 17);

    EXPECT_FALSE(timer.Start(nullptr, 1, 1));
    timer.Stop();  // stopping a stopped timer is harmless
}

TEST(Timer, StopInterruptsALongSleepAndRestarts)
{
    zt::CTimer timer;
    CCounter counter;
    ASSERT_TRUE(timer.Start(&counter, 3600 * 1000, 1));
    ASSERT_TRUE(counter.WaitFor(1));
    timer.Stop();  // would hang the test for an hour if the sleep were not interrupted
    ASSERT_TRUE(timer.Start(&counter, 3600 * 1000, 2));
    ASSERT_TRUE(counter.WaitFor(2));
    EXPECT_EQ(counter.ids_.back(), 2);
}

TEST(Timer, CallbackMayStopItsOwnTimer)
{
    zt::ITimer* timer = zt::CreateTimer();
    CCounter counter;
    bool restarted = true;
    counter.onCall_ = [&] {
        restarted = timer->Start(&counter, 1, 5);
        timer->Stop();
    };
    ASSERT_TRUE(timer->Start(&counter, 1, 4));
    ASSERT_TRUE(counter.WaitFor(1));
    for (int i = 0; i < 1000 && timer->IsRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(timer->IsRunning());
    EXPECT_FALSE(restarted);
    EXPECT_EQ(counter.Calls(), 1u);
    timer->Destroy();
}

class CTracked : public zt::CRefCountable {
public:
    explicit CTracked(bool& deleted) : deleted_(deleted) {}
    ~CTracked() override { deleted_ = true; }

private:
    bool& deleted_;
};

TEST(RefCountable, LastReleaseDeletesEvenUnderContention)
{
    bool deleted = false;
    auto* object = new CTracked(deleted);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([object] {
            for (int i = 0; i < 10000; ++i) {
                object->AddRef();
                object->Release();
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(object->GetRefCount(), 1);
    EXPECT_EQ(object->AddRef(), 2);
    EXPECT_EQ(object->Release(), 1);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_TRUE(deleted);
}

}  // namespace
