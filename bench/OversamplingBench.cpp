// One channel of the 2x oversampling round trip on a full 32-sample host chunk:
// up-sample, restore the zero-stuffing level, down-sample; once per kernel.
#include "dsp/MultirateFir.h"
#include "dsp/OversamplingTaps.h"

#include <benchmark/benchmark.h>

#include <random>

static void BM_OversamplingRoundtrip32(benchmark::State& state, MultirateFir::EKernel kernel)
{
    if (!MultirateFir::CpuRuns(kernel)) {
        state.SkipWithError("this CPU cannot run the kernel");
        return;
    }
    MultirateFir up(kOversamplingTaps, kOversamplingTapCount, 2, 0, 1, 0, 32, kernel);
    MultirateFir down(kOversamplingTaps, kOversamplingTapCount, 1, 0, 2, 1, 64, kernel);
    float in[32], mid[64], out[32];
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    for (float& x : in)
        x = dist(rng);

    for (auto _ : state) {
        up.Process(in, mid, 32);
        for (float& x : mid)
            x *= 2.0f;
        down.Process(mid, out, 64);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 32);
}
BENCHMARK_CAPTURE(BM_OversamplingRoundtrip32, reference, MultirateFir::EKernel::kReference);
BENCHMARK_CAPTURE(BM_OversamplingRoundtrip32, symmetric, MultirateFir::EKernel::kSymmetric);
BENCHMARK_CAPTURE(BM_OversamplingRoundtrip32, symmetric_avx2, MultirateFir::EKernel::kSymmetricAvx2);
BENCHMARK_CAPTURE(BM_OversamplingRoundtrip32, symmetric_avx512, MultirateFir::EKernel::kSymmetricAvx512);
