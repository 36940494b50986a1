// Fifty strips on fifty tracks: every instance (every section on, its own input) takes
// one 64-frame block in turn, as a host runs a mix, against one instance alone. The
// per-instance cost per frame of the two, measured in the same run, shows what the
// instances' working sets cost each other in the caches. Memory per instance is what
// creating one takes from the heap.
#include "Strip.h"
#include "ThreadClock.h"

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

// The same two, measured in one run: one instance taking 50 blocks, then fifty taking one
// each, in turn, on the thread's own CPU time. Counters: each one's time per instance and
// frame, and their ratio (fifty over one).
void BM_InstancesCompared(benchmark::State& state)
{
    constexpr size_t kCount = 50;
    std::unique_ptr<CStrip> alone = EverySection();
    std::vector<std::unique_ptr<CStrip>> strips;
    for (size_t i = 0; i < kCount; ++i)
        strips.push_back(EverySection());
    double seconds[2] = {0.0, 0.0};
    for (auto _ : state) {
        double start = bench::ThreadSeconds();
        for (size_t i = 0; i < kCount; ++i)
            alone->Run();
        seconds[0] += bench::ThreadSeconds() - start;
        start = bench::ThreadSeconds();
        for (auto& strip : strips)
            strip->Run();
        seconds[1] += bench::ThreadSeconds() - start;
    }
    const double frames = double(state.iterations()) * double(kCount) * kFrames;
    state.counters["one_ns"] = seconds[0] / frames * 1e9;
    state.counters["fifty_ns"] = seconds[1] / frames * 1e9;
    state.counters["ratio"] = seconds[1] / seconds[0];
}
BENCHMARK(BM_InstancesCompared);

}  // namespace
