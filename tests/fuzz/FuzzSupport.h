// What the fuzz targets share: a scratch home folder, checks that stop the run with the
// input kept, and a bound on the largest single allocation an input may cause.
#pragma once

#include "tests/support/TestSupport.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace qs::fuzz {

// A broken promise aborts: libFuzzer saves the input, the replay driver fails the test.
inline void Require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// One scratch HOME for the whole run; preference and preset files land there.
inline const zt::test::CTempDir& Home()
{
    static zt::test::CTempDir home;
    static const bool set = [] {
        Require(home.Valid(), "a scratch home folder");
        setenv("HOME", home.Path().c_str(), 1);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DOCUMENTS_DIR"})
            unsetenv(name);
        return true;
    }();
    (void)set;
    return home;
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    zt::test::WriteBytes(path, std::vector<uint8_t>(data, data + size));
}

// Largest single allocation while armed, seen through AddressSanitizer's allocator
// hooks; without AddressSanitizer nothing is measured.
#if defined(__SANITIZE_ADDRESS__)
#define QS_FUZZ_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QS_FUZZ_ASAN 1
#endif
#endif

// Only the thread that runs the input is measured.
inline thread_local bool g_armed = false;
inline std::atomic<size_t> g_largest{0};
inline std::atomic<size_t> g_limit{0};

#ifdef QS_FUZZ_ASAN
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
extern "C" void __sanitizer_print_stack_trace();
inline void OnMalloc(const volatile void*, size_t size)
{
    if (!g_armed)
        return;
    if (size > g_limit.load(std::memory_order_relaxed)) {
        std::fprintf(stderr, "allocation of %zu bytes, bound %zu, from:\n", size, g_limit.load());
        __sanitizer_print_stack_trace();
    }
    size_t seen = g_largest.load(std::memory_order_relaxed);
    while (size > seen && !g_largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {}
}
inline void OnFree(const volatile void*) {}
inline const int g_hooks = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
#endif

// Fails the input when anything allocated more than limit bytes at once while in scope.
class CAllocationBound {
public:
    explicit CAllocationBound(size_t limit) : limit_(limit)
    {
        g_largest = 0;
        g_limit = limit;
        g_armed = true;
    }
    ~CAllocationBound()
    {
        g_armed = false;
        if (g_largest > limit_) {
            std::fprintf(stderr, "allocation of %zu bytes, bound %zu\n", g_largest.load(), limit_);
            Require(false, "no allocation beyond the input's size plus a constant");
        }
    }
    CAllocationBound(const CAllocationBound&) = delete;
    CAllocationBound& operator=(const CAllocationBound&) = delete;

private:
    size_t limit_;
};

}  // namespace qs::fuzz
