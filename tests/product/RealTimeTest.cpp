// Process must not allocate, free or wait on a lock: this binary counts every allocation,
// every free and every blocking mutex acquisition made on the thread that runs Process
// (and queues the block's automation), with every section on, the side-chain keyed,
// the analyser attached and automation arriving, oversampling switching among it.
#include "tests/support/AllocationCounter.h"
#include "tests/support/PlugInHarness.h"

#include "foundation/Mutex.h"

#include <gtest/gtest.h>
#include <dlfcn.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>

// Only the audio thread, and only inside Process, is watched: the test thread plays the
// UI thread between blocks, and other threads (the preference timer) may do as they like.
namespace {
std::atomic<int> locks{0};
}  // namespace

// Every blocking acquisition of a pthread mutex or rwlock (std::mutex, std::recursive_mutex
// and so zt::CMutex, std::shared_mutex) goes through these, then on to the C library's
// (looked up once; the C library's own locking does not come back here). A try-lock
// never waits and is not counted.
namespace {
template <typename Lock>
int CountedLock(const char* name, Lock* lock)
{
    using Function = int (*)(Lock*);
    static std::atomic<Function> next{nullptr};
    Function f = next.load(std::memory_order_relaxed);
    if (!f) {
        f = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
        next.store(f, std::memory_order_relaxed);
    }
    if (t_watched)
        locks.fetch_add(1, std::memory_order_relaxed);
    return f(lock);
}
}  // namespace
extern "C" int pthread_mutex_lock(pthread_mutex_t* m) { return CountedLock("pthread_mutex_lock", m); }
extern "C" int pthread_rwlock_rdlock(pthread_rwlock_t* l) { return CountedLock("pthread_rwlock_rdlock", l); }
extern "C" int pthread_rwlock_wrlock(pthread_rwlock_t* l) { return CountedLock("pthread_rwlock_wrlock", l); }

namespace {

struct SCounts {
    int allocations, frees, locks;
};

// Runs f as the watched audio thread and returns what it did.
template <typename F>
SCounts Watched(F&& f)
{
    allocations = frees = locks = 0;
    t_watched = true;
    f();
    t_watched = false;
    return {allocations.exchange(0), frees.exchange(0), locks.exchange(0)};
}

zt::ztpi::SEvent Change(int32_t index, int32_t offset, float plain)
{
    zt::ztpi::SEvent e;
    e.type = zt::ztpi::SEvent::kParameterChange;
    e.offset = offset;
    e.data[0] = index;
    std::memcpy(&e.data[1], &plain, sizeof plain);
    return e;
}

}  // namespace

TEST(RealTime, ProcessNeitherAllocatesNorFreesNorLocks)
{
    using zt::dspe::CAnalyserFeed;
    for (int32_t sidechain : {0, 2}) {
        PlugInHarness h(48000, 2, sidechain);
        auto& p = h.plugIn();

        // Every section on, bypass off; the analyser's feeds built and attached as the
        // editor does.
        std::vector<zt::ztpi::SAutomationInfo> info(static_cast<size_t>(p.GetNumParameters()));
        for (int32_t i = 0; i < p.GetNumParameters(); ++i) {
            p.GetAutomationInfo(i, &info[static_cast<size_t>(i)]);
            const std::string name = info[static_cast<size_t>(i)].name;
            if (name.size() > 7 && name.compare(name.size() - 7, 7, " Enable") == 0)
                p.SetParameter(i, 1.0f);
        }
        ASSERT_EQ(std::string(info[kIdxBypass].name), "Bypass");
        ASSERT_EQ(std::string(info[kIdxOversample].name), "Oversample Enable");
        p.SetParameter(kIdxBypass, 0.0f);
        CAnalyserFeed feeds[3];
        CQuillstripPlugIn::AnalyserFeeds pointers{&feeds[0], &feeds[1], &feeds[2]};
        for (int32_t i = 0; i < 3; ++i)
            ASSERT_TRUE(feeds[i].Init(h.product().GetEngineRate(), 2, i));
        h.product().AttachAnalyser(&pointers);

        std::vector<std::vector<float>> in;
        for (int32_t c = 0; c < 2 + sidechain; ++c)
            in.push_back(Noise(700, static_cast<uint32_t>(c + 1)));
        std::vector<std::vector<float>> out(2, std::vector<float>(700));
        std::vector<float*> inPtr, outPtr;
        for (auto& c : in)
            inPtr.push_back(c.data());
        for (auto& c : out)
            outPtr.push_back(c.data());

        SCounts total{0, 0, 0};
        int oversampled = 0;
        std::vector<zt::ztpi::SEvent> events;
        for (int block = 0; block < 48; ++block) {
            const int32_t frames = block % 2 ? 700 : 1 + block;
            // Automation with the block: every parameter but the section switches and
            // bypass moves, and oversampling switches on or off every third block.
            events.clear();
            for (int32_t i = 0; i < p.GetNumParameters(); ++i) {
                const auto& a = info[static_cast<size_t>(i)];
                const std::string name = a.name;
                float plain;
                if (i == kIdxOversample)
                    plain = (block / 3) % 2 ? 1.0f : 0.0f;
                else if (i == kIdxBypass || (name.size() > 7 && name.compare(name.size() - 7, 7, " Enable") == 0))
                    continue;
                else
                    plain = a.minimum + (a.maximum - a.minimum) * static_cast<float>((block * 7 + i) % 11) / 10.0f;
                events.push_back(Change(i, (i * 13) % frames, plain));
            }
            const SCounts c = Watched([&] {
                p.AddEvents(events.data(), static_cast<int32_t>(events.size()));
                p.Process(outPtr.data(), inPtr.data(), frames);
            });
            total = {total.allocations + c.allocations, total.frees + c.frees, total.locks + c.locks};
            oversampled += h.product().GetEngineRate() == 96000;
            // The UI thread's share: deferred changes (latency, stored values) and the display.
            p.Idle();
            if (block % 4 == 0)
                for (auto& feed : feeds)
                    feed.Update(true);
        }
        h.product().DetachAnalyser();
        bool fed = false;
        for (auto& feed : feeds) {
            feed.Update(true);
            fed = fed
                || std::any_of(feed.GetSpectrum(), feed.GetSpectrum() + feed.GetBins(), [](float v) { return v > 0; });
        }
        EXPECT_TRUE(fed) << "the analyser was never fed";
        EXPECT_EQ(total.allocations, 0) << "side-chain channels " << sidechain;
        EXPECT_EQ(total.frees, 0) << "side-chain channels " << sidechain;
        EXPECT_EQ(total.locks, 0) << "side-chain channels " << sidechain;
        EXPECT_GT(oversampled, 0) << "automation never switched oversampling on";
        EXPECT_LT(oversampled, 48) << "automation never switched oversampling off";
    }
}

// The counters themselves: each kind of event the test above must never see is seen.
TEST(RealTime, TheCountersSeeAllocationsFreesAndLocks)
{
#ifdef QS_ASAN
    ASSERT_NE(hooksInstalled, 0);
#endif
    std::mutex plain;
    zt::CMutex framework;
    const SCounts c = Watched([&] {
        struct alignas(64) SWide {
            float lanes[16];
        };
        std::vector<int>* volatile v = new std::vector<int>(100);
        SWide* volatile w = new SWide();
        void* volatile m = std::malloc(16);
        std::free(m);
        delete w;
        delete v;
        {
            std::lock_guard<std::mutex> guard(plain);
        }
        {
            zt::CAutoLock guard(framework);
        }
    });
    EXPECT_GE(c.allocations, 4);
    EXPECT_GE(c.frees, 4);
    EXPECT_GE(c.locks, 2);
    // Another thread's work is not counted, even while the audio thread is watched.
    std::atomic<bool> go{false};
    std::thread other([&] {
        while (!go.load())
            std::this_thread::yield();
        delete new int(1);
        std::lock_guard<std::mutex> guard(plain);
    });
    const SCounts none = Watched([&] {
        go = true;
        other.join();
    });
    EXPECT_EQ(none.allocations + none.frees + none.locks, 0);
}
