// The 2x oversampling converters on full 32-sample host chunks, once per kernel:
// one channel's round trip (up-sample, restore the zero-stuffing level, down-sample),
// and the stereo pair as the plug-in runs it (two up-samplers with the level folded
// into their taps, two down-samplers), timed per host stereo frame.
#include "dsp/MultirateFir.h"
#include "dsp/OversamplingTaps.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int kChunk = 32;

void Fill(float* x, int n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    for (int i = 0; i < n; ++i)
        x[i] = dist(rng);
}

}  // namespace

static void BM_OversamplingRoundtrip32(benchmark::State& state, MultirateFir::EKernel kernel)
{
    if (!MultirateFir::CpuRuns(kernel)) {
        state.SkipWithError("this CPU cannot run the kernel");
        return;
    }
    MultirateFir up(kOversamplingTaps, kOversamplingTapCount, 2, 0, 1, 0, kChunk, kernel);
    MultirateFir down(kOversamplingTaps, kOversamplingTapCount, 1, 0, 2, 1, 2 * kChunk, kernel);
    float in[kChunk], mid[2 * kChunk], out[kChunk];
    Fill(in, kChunk, 1);

    for (auto _ : state) {
        up.Process(in, mid, kChunk);
        for (float& x : mid)
            x *= 2.0f;
        down.Process(mid, out, 2 * kChunk);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kChunk);
}
BENCHMARK_CAPTURE(BM_OversamplingRoundtrip32, reference, MultirateFir::EKernel::kReference);
BENCHMARK_CAPTURE(BM_OversamplingRoundtrip32, symmetric, MultirateFir::EKernel::kSymmetric);
BENCHMARK_CAPTURE(BM_OversamplingRoundtrip32, symmetric_avx, MultirateFir::EKernel::kSymmetricAvx);
BENCHMARK_CAPTURE(BM_OversamplingRoundtrip32, symmetric_avx2, MultirateFir::EKernel::kSymmetricAvx2);
BENCHMARK_CAPTURE(BM_OversamplingRoundtrip32, symmetric_avx512, MultirateFir::EKernel::kSymmetricAvx512);

// per_frame: nanoseconds per host stereo frame, both channels up and down, the two
// channels of each direction in one call as the plug-in runs them.
static void BM_OversamplingStereo32(benchmark::State& state, MultirateFir::EKernel kernel)
{
    if (!MultirateFir::CpuRuns(kernel)) {
        state.SkipWithError("this CPU cannot run the kernel");
        return;
    }
    std::vector<double> doubled(kOversamplingTaps, kOversamplingTaps + kOversamplingTapCount);
    for (double& t : doubled)
        t *= 2.0;
    std::vector<MultirateFir> up, down;
    for (int c = 0; c < 2; ++c) {
        up.emplace_back(doubled.data(), kOversamplingTapCount, 2, 0, 1, 0, kChunk, kernel);
        down.emplace_back(kOversamplingTaps, kOversamplingTapCount, 1, 0, 2, 1, 2 * kChunk, kernel);
    }
    float in[2][kChunk], mid[2][2 * kChunk], out[2][kChunk];
    Fill(in[0], kChunk, 1);
    Fill(in[1], kChunk, 2);

    for (auto _ : state) {
        MultirateFir::ProcessPair(up[0], in[0], mid[0], up[1], in[1], mid[1], kChunk);
        // Stands in for the engine, so the down-samplers do not see what they saw before.
        benchmark::ClobberMemory();
        MultirateFir::ProcessPair(down[0], mid[0], out[0], down[1], mid[1], out[1], 2 * kChunk);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kChunk,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_OversamplingStereo32, reference, MultirateFir::EKernel::kReference);
BENCHMARK_CAPTURE(BM_OversamplingStereo32, symmetric, MultirateFir::EKernel::kSymmetric);
BENCHMARK_CAPTURE(BM_OversamplingStereo32, symmetric_avx, MultirateFir::EKernel::kSymmetricAvx);
BENCHMARK_CAPTURE(BM_OversamplingStereo32, symmetric_avx2, MultirateFir::EKernel::kSymmetricAvx2);
BENCHMARK_CAPTURE(BM_OversamplingStereo32, symmetric_avx512, MultirateFir::EKernel::kSymmetricAvx512);
