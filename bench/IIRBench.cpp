// Cost of one engine chunk (32 stereo frames) through an EQ filter, glide included.
#include "dsp/IIR.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

// beforeChunk runs ahead of every chunk, inside the timing.
template <typename F>
void RunStereoChunk(benchmark::State& state, CIIR& filter, F beforeChunk)
{
    double source[2][32];
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (auto& channel : source)
        for (double& x : channel)
            x = u(gen);

    double work[2][32];
    for (auto _ : state) {
        beforeChunk();
        // Fresh noise each chunk so the state never decays into the flushed range.
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 32; ++i)
                work[c][i] = source[c][i];
        filter.ProcessStereo(work[0], work[1], 32);
        benchmark::DoNotOptimize(work);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 32);
}

void RunStereoChunk(benchmark::State& state, CIIR& filter)
{
    RunStereoChunk(state, filter, [] {});
}

void BM_IIRStereoBell(benchmark::State& state)
{
    CIIR filter;
    filter.DesignBell(48000, 1000.0, 6.0, 1.0);
    filter.Reset();
    RunStereoChunk(state, filter);
}
BENCHMARK(BM_IIRStereoBell);

void BM_IIRStereoLowCut48(benchmark::State& state)
{
    CIIR filter;
    filter.DesignLowCut48(48000, 80.0, 0.7071);
    filter.Reset();
    RunStereoChunk(state, filter);
}
BENCHMARK(BM_IIRStereoLowCut48);

// A band switched off: a flat filter long settled, which passes the block untouched.
void BM_IIRStereoFlat(benchmark::State& state)
{
    CIIR filter;
    filter.DesignFlat(48000);
    filter.Reset();
    RunStereoChunk(state, filter);
}
BENCHMARK(BM_IIRStereoFlat);

// A bell whose gain moves every chunk, so the glide never settles.
void BM_IIRStereoBellGliding(benchmark::State& state)
{
    CIIR filter;
    filter.DesignBell(48000, 1000.0, 6.0, 1.0);
    filter.Reset();
    double gain = 6.0;
    RunStereoChunk(state, filter, [&] {
        gain = gain == 6.0 ? 6.5 : 6.0;
        filter.DesignBell(48000, 1000.0, gain, 1.0);
    });
}
BENCHMARK(BM_IIRStereoBellGliding);

} // namespace
