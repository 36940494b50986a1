// Threads with a chosen stack size, which std::thread cannot give.

#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>

#include "platform/Platform.h"

namespace zt::platform {
namespace {

class CThread : public IThread {
public:
    ~CThread() override
    {
        if (started_ && !joined_)
            pthread_detach(thread_);
    }

    bool Start(std::function<void()> body, std::size_t stackBytes)
    {
        // The thread owns its body, so it stays valid even if this handle is
        // dropped (detached) while the thread still runs.
        auto owned = std::make_unique<std::function<void()>>(std::move(body));
        pthread_attr_t attr;
        if (pthread_attr_init(&attr) != 0)
            return false;
        std::size_t minimum = static_cast<std::size_t>(PTHREAD_STACK_MIN);
        long page = sysconf(_SC_PAGESIZE);
        std::size_t size = std::max(stackBytes, minimum);
        if (page > 0)
            size = (size + page - 1) / page * page;  // some systems insist on whole pages
        bool ok
            = pthread_attr_setstacksize(&attr, size) == 0 && pthread_create(&thread_, &attr, &Run, owned.get()) == 0;
        pthread_attr_destroy(&attr);
        if (ok)
            owned.release();  // now the thread's
        started_ = ok;
        return ok;
    }

    void Join() override
    {
        if (started_ && !joined_ && !IsCurrent()) {
            pthread_join(thread_, nullptr);
            joined_ = true;
        }
    }

    bool IsCurrent() const override { return started_ && pthread_equal(thread_, pthread_self()) != 0; }

private:
    static void* Run(void* arg)
    {
        std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
        (*body)();
        return nullptr;
    }

    pthread_t thread_{};
    bool started_ = false;
    bool joined_ = false;
};

}  // namespace

std::unique_ptr<IThread> StartThread(std::function<void()> body, std::size_t stackBytes)
{
    if (!body)
        return nullptr;
    auto thread = std::make_unique<CThread>();
    if (!thread->Start(std::move(body), stackBytes))
        return nullptr;
    return thread;
}

}  // namespace zt::platform
