// One channel of the 2x oversampling round trip on a full 32-sample host chunk:
// up-sample, restore the zero-stuffing level, down-sample.
#include "dsp/MultirateFir.h"
#include "dsp/OversamplingTaps.h"

#include <benchmark/benchmark.h>

#include <random>

static void BM_OversamplingRoundtrip32(benchmark::State& state)
{
    MultirateFir up(kOversamplingTaps, kOversamplingTapCount, 2, 0, 1, 0, 32);
    MultirateFir down(kOversamplingTaps, kOversamplingTapCount, 1, 0, 2, 1, 64);
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
BENCHMARK(BM_OversamplingRoundtrip32);
