// Process must not allocate: this binary counts every allocation made while a block
// is processed, with every parameter changing between blocks.
#include "tests/support/PlugInHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
void Count()
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#define QS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QS_ASAN 1
#endif
#endif

#ifdef QS_ASAN
// AddressSanitizer owns malloc and operator new, so replacing them cannot work; its
// allocator reports every allocation, new included, to hooks instead.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
namespace {
void OnMalloc(const volatile void*, size_t) { Count(); }
void OnFree(const volatile void*) {}
const int hooksInstalled = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
}  // namespace
#else
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);

extern "C" void* malloc(size_t n)
{
    Count();
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t m)
{
    Count();
    return __libc_calloc(n, m);
}
extern "C" void* realloc(void* p, size_t n)
{
    Count();
    return __libc_realloc(p, n);
}
void* operator new(size_t n)
{
    Count();
    if (void* p = __libc_malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t) noexcept { __libc_free(p); }
#endif

TEST(RealTime, ProcessAllocatesNothing)
{
    for (int32_t sidechain : {0, 2}) {
        PlugInHarness h(48000, 2, sidechain);
        auto& p = h.plugIn();
        std::vector<std::vector<float>> in;
        for (int32_t c = 0; c < 2 + sidechain; ++c)
            in.push_back(Noise(700, static_cast<uint32_t>(c + 1)));
        std::vector<std::vector<float>> out(2, std::vector<float>(700));
        std::vector<float*> inPtr, outPtr;
        for (auto& c : in)
            inPtr.push_back(c.data());
        for (auto& c : out)
            outPtr.push_back(c.data());

        int total = 0;
        for (int block = 0; block < 40; ++block) {
            // Every automated parameter moves (oversampling stays as it is: switching
            // it reconfigures the engine, which is set-up work).
            for (int32_t i = 0; i < p.GetNumParameters(); ++i) {
                if (i == kIdxOversample)
                    continue;
                zt::ztpi::SAutomationInfo info;
                p.GetAutomationInfo(i, &info);
                const float t = static_cast<float>((block * 7 + i) % 11) / 10.0f;
                p.SetParameter(i, info.minimum + (info.maximum - info.minimum) * t);
            }
            const int32_t frames = block % 2 ? 700 : 1 + block;
            counting = true;
            p.Process(outPtr.data(), inPtr.data(), frames);
            counting = false;
            total += allocations.exchange(0);
        }
        EXPECT_EQ(total, 0) << "side-chain channels " << sidechain;
    }
}

TEST(RealTime, TheCounterSeesAllocations)
{
#ifdef QS_ASAN
    ASSERT_NE(hooksInstalled, 0);
#endif
    counting = true;
    auto* v = new std::vector<int>(100);
    void* volatile m = std::malloc(16);
    counting = false;
    std::free(m);
    delete v;
    EXPECT_GE(allocations.exchange(0), 3);
}
