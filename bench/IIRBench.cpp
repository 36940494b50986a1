// Cost of one engine chunk (32 stereo frames) through an EQ filter, glide included.
#include "dsp/BiquadSeries.h"
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

// Twelve different biquads in series (an EQ with two 48 dB cuts and four bells), per
// kernel: the stages' channels side by side in pairs, or four stages per AVX-512 vector.
void BM_BiquadSeriesTwelve(benchmark::State& state)
{
    const auto kernel = static_cast<biquad::ESeriesKernel>(state.range(0));
    if (!biquad::CpuRuns(kernel)) {
        state.SkipWithError("this CPU does not run the kernel");
        return;
    }
    CIIR designs[6];
    designs[0].DesignLowCut48(48000, 40.0, 0.7071);
    designs[5].DesignHighCut48(48000, 15000.0, 0.7071);
    for (int b = 1; b < 5; ++b)
        designs[b].DesignBell(48000, 300.0 * b, 3.0, 1.0);
    double state_[12][2][4] = {};
    SStereoBiquad stages[12];
    for (int k = 0; k < 12; ++k) {
        const CIIR& d = designs[k < 4 ? 0 : k < 8 ? k - 3 : 5];
        stages[k] = {d.Target().data(), state_[k][0], state_[k][1]};
    }
    double source[2][32], work[2][32];
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (auto& channel : source)
        for (double& x : channel)
            x = u(gen);
    for (auto _ : state) {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 32; ++i)
                work[c][i] = source[c][i];
        biquad::RunSeries(stages, 12, work[0], work[1], 32, kernel);
        benchmark::DoNotOptimize(work);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 32);
}
BENCHMARK(BM_BiquadSeriesTwelve)
    ->ArgName("kernel")
    ->Arg(int(biquad::ESeriesKernel::kPairs))
    ->Arg(int(biquad::ESeriesKernel::kOctets));

}  // namespace
