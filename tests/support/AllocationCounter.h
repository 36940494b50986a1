// Counts every allocation the process makes while `counting` is set: malloc and operator
// new replaced, or under AddressSanitizer (which owns both) its allocator's hooks.
// Defines the replacements, so include it from exactly one file of a test binary.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>  // declared before they are replaced
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
