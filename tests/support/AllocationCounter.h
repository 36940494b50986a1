// Counts every allocation and every free made on a watched thread: malloc, calloc,
// realloc, the aligned allocations, free, operator new and delete replaced, or under
// AddressSanitizer (which owns all of them) its allocator's hooks. A thread is watched
// while its t_watched is set. Defines the replacements, so include it from exactly one
// file of a test binary.
#pragma once

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>  // declared before they are replaced
#include <new>

namespace {
thread_local bool t_watched = false;
std::atomic<int> allocations{0}, frees{0};
void CountAllocation()
{
    if (t_watched)
        allocations.fetch_add(1, std::memory_order_relaxed);
}
void CountFree(const volatile void* p)
{
    if (t_watched && p)
        frees.fetch_add(1, std::memory_order_relaxed);
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
// allocator reports every allocation and free, new and delete included, to hooks instead.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
namespace {
void OnMalloc(const volatile void*, size_t) { CountAllocation(); }
void OnFree(const volatile void* p) { CountFree(p); }
const int hooksInstalled = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
}  // namespace
#else
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);
extern "C" void* __libc_memalign(size_t, size_t);

extern "C" void* malloc(size_t n)
{
    CountAllocation();
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t m)
{
    CountAllocation();
    return __libc_calloc(n, m);
}
extern "C" void* realloc(void* p, size_t n)
{
    CountAllocation();
    return __libc_realloc(p, n);
}
// Aligned allocations too: libstdc++'s aligned new comes through aligned_alloc.
extern "C" void* aligned_alloc(size_t alignment, size_t n)
{
    CountAllocation();
    return __libc_memalign(alignment, n);
}
extern "C" int posix_memalign(void** p, size_t alignment, size_t n)
{
    CountAllocation();
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    *p = __libc_memalign(alignment, n);
    return *p ? 0 : ENOMEM;
}
extern "C" void free(void* p)
{
    CountFree(p);
    __libc_free(p);
}
void* operator new(size_t n)
{
    CountAllocation();
    if (void* p = __libc_malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
#endif
