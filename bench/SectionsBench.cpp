// Cost of one engine chunk (32 stereo frames) through the width and saturation sections,
// a settled gate and the final ceiling.
#include "product/engine/Gate.h"
#include "product/engine/Limiter2.h"
#include "product/engine/Saturator.h"
#include "product/engine/Width.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

namespace {

// Fresh noise each chunk so the filter states never decay into the flushed range.
template <typename Section>
void RunStereoChunk(benchmark::State& state, Section&& process)
{
    double source[2][32];
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (auto& channel : source)
        for (double& x : channel)
            x = u(gen);

    double work[2][32];
    for (auto _ : state) {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 32; ++i)
                work[c][i] = source[c][i];
        process(work[0], work[1]);
        benchmark::DoNotOptimize(work);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 32);
}

void BM_WidthStereo(benchmark::State& state)
{
    CWidth width;
    width.SetSampleRate(48000);
    width.SetCrossoverLow(800.0f);
    width.SetCrossoverHigh(4000.0f);
    width.SetWidth(CWidth::kLow, -40.0f);
    width.SetWidth(CWidth::kHigh, 25.0f);
    width.SetAutoGain(true);
    RunStereoChunk(state, [&](double* l, double* r) { width.Process(l, r, 32); });
}
BENCHMARK(BM_WidthStereo);

void BM_SaturatorStereo(benchmark::State& state)
{
    CSaturator saturator;
    saturator.SetSampleRate(48000);
    saturator.SetMode(static_cast<int32_t>(state.range(0)));
    saturator.Reset();
    RunStereoChunk(state, [&](double* l, double* r) { saturator.Process(l, r, 0.7, 32); });
}
BENCHMARK(BM_SaturatorStereo)->DenseRange(0, 2);

// A gate that has settled: 0 fully open on noise far above the threshold, 1 fully
// closed with the threshold above the noise.
void BM_GateSettledStereo(benchmark::State& state)
{
    CGate gate;
    gate.SetThresholdDb(state.range(0) ? 6.0f : -60.0f);
    gate.SetDetectionMode(CGate::kPeak);
    gate.SetSampleRate(48000);
    gate.Reset();
    RunStereoChunk(state, [&](double* l, double* r) { gate.Process(l, r, nullptr, nullptr, 32, 1.0); });
}
BENCHMARK(BM_GateSettledStereo)->DenseRange(0, 1);

// 0: the noise stays under the ceiling, as it does behind the limiter's own stage;
// 1: it keeps crossing it, so the gain lands and recovers all the time.
void BM_Limiter2Stereo(benchmark::State& state)
{
    CLimiter2 limiter;
    limiter.Setup(2, 48000.0f, 100.0f);
    limiter.SetThreshold(state.range(0) ? -3.0f : 0.0f);
    float smallest = 1.0f;
    RunStereoChunk(state,
                   [&](double* l, double* r) { smallest = std::min(smallest, limiter.ProcessStereo(l, r, 32)); });
    benchmark::DoNotOptimize(smallest);
}
BENCHMARK(BM_Limiter2Stereo)->DenseRange(0, 1);

}  // namespace
