// Fifty strips on fifty tracks: every instance (every section on, its own input) takes
// one 64-frame block in turn, as a host runs a mix, against one instance alone. The
// per-instance cost per frame of the two, measured in the same run, shows what the
// instances' working sets cost each other in the caches. Memory per instance is what
// creating one takes from the heap.
#include "Strip.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <vector>

namespace {

constexpr int kFrames = 64;
using CStrip = bench::CStrip<kFrames>;

std::unique_ptr<CStrip> EverySection()
{
    auto strip = std::make_unique<CStrip>(bench::kEqualiser);
    for (int32_t n : bench::kSectionSwitches)
        strip->Set(n, 1);
    for (int i = 0; i < 1000; ++i)  // the switched sections settle too
        strip->Run();
    return strip;
}

void BM_Instances(benchmark::State& state)
{
    const auto count = static_cast<size_t>(state.range(0));
    std::vector<std::unique_ptr<CStrip>> strips;
    const size_t heapBefore = mallinfo2().uordblks;
    for (size_t i = 0; i < count; ++i)
        strips.push_back(EverySection());
    const size_t heapAfter = mallinfo2().uordblks;
    for (auto _ : state)
        for (auto& strip : strips)
            strip->Run();
    state.counters["per_instance_frame"]
        = benchmark::Counter(static_cast<double>(state.iterations()) * double(count) * kFrames,
                             benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["heap_bytes_per_instance"] = double(heapAfter - heapBefore) / double(count);
}
BENCHMARK(BM_Instances)->ArgName("instances")->Arg(1)->Arg(50);

}  // namespace
