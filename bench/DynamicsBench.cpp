// Cost of one engine chunk (32 stereo frames) through the gate and each compressor type,
// of a type "1" chunk whose threshold moves every chunk (a smoothed ramp rebuilds the
// gain table each time), and of the limiter's compressor stage driven past full scale.
#include "product/engine/Compressor.h"
#include "product/engine/Compressor3.h"
#include "product/engine/Gate.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kRate = 48000;

// A 32-frame stereo chunk of a sine that swings between loud and quiet, so the
// dynamics keep working instead of settling.
struct SChunkSource {
    double x[2][32 * 64];

    SChunkSource()
    {
        for (int i = 0; i < 32 * 64; ++i) {
            const double level = (i / 512) % 2 ? 0.9 : 0.01;
            x[0][i] = level * std::sin(6.283185307179586 * 440.0 * i / kRate);
            x[1][i] = 0.8 * x[0][i];
        }
    }
};

// The limiter stage's input after the engine's +6 dB: a sine whose peak swings between
// 0.4 and 2.4 over 0.68 s, so the stage's envelope spends about half the time above full
// scale (the curve's formula path rather than its table).
struct SLoudSource {
    static constexpr int kChunks = 1024;
    double x[2][32 * kChunks];

    SLoudSource()
    {
        for (int i = 0; i < 32 * kChunks; ++i) {
            const double level = 2.0 * (0.7 + 0.5 * std::sin(6.283185307179586 * i / (32.0 * kChunks)));
            x[0][i] = level * std::sin(6.283185307179586 * 440.0 * i / kRate);
            x[1][i] = 0.8 * x[0][i];
        }
    }
};

template <class Source = SChunkSource, int Chunks = 64, class Process>
void RunChunks(benchmark::State& state, Process process)
{
    static const Source source;
    double work[2][32];
    int chunk = 0;
    for (auto _ : state) {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 32; ++i)
                work[c][i] = source.x[c][chunk * 32 + i];
        chunk = (chunk + 1) % Chunks;
        process(work[0], work[1]);
        benchmark::DoNotOptimize(work);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 32);
}

template <class C>
void Setup(C& c, int detection, int stereoMode)
{
    c.SetThresholdDb(-20);
    c.SetRatio(4);
    c.SetKneePercent(60);
    c.SetAttackMs(10);
    c.SetReleaseMs(120);
    c.SetOutputGainDb(3);
    c.SetDetectionMode(detection);
    c.SetStereoMode(stereoMode);
    c.SetSampleRate(kRate);
    c.Reset();
}

void BM_GateStereo(benchmark::State& state)
{
    CGate gate;
    gate.SetThresholdDb(-30);
    gate.SetDetectionMode(int(state.range(0)));
    gate.SetSampleRate(kRate);
    gate.Reset();
    RunChunks(state, [&](double* l, double* r) { gate.Process(l, r, nullptr, nullptr, 32, 1.0); });
}
BENCHMARK(BM_GateStereo)->Arg(CGate::kPeak)->Arg(CGate::kPower);

void BM_CompressorStereo(benchmark::State& state)
{
    CCompressor c;
    Setup(c, int(state.range(0)), int(state.range(1)));
    RunChunks(state, [&](double* l, double* r) { c.Process(l, r, nullptr, nullptr, 32); });
}
BENCHMARK(BM_CompressorStereo)
    ->Args({dynamics::kPeak, dynamics::kLinked})
    ->Args({dynamics::kPower, dynamics::kMidSide});

void BM_Compressor3Stereo(benchmark::State& state)
{
    CCompressor3 c;
    Setup(c, int(state.range(0)), int(state.range(1)));
    RunChunks(state, [&](double* l, double* r) { c.Process(l, r, nullptr, nullptr, 32); });
}
BENCHMARK(BM_Compressor3Stereo)
    ->Args({dynamics::kPeak, dynamics::kLinked})
    ->Args({dynamics::kPower, dynamics::kMidSide});

// Threshold ramping by one smoother step per chunk: every chunk rebuilds the table.
void BM_CompressorStereoThresholdRamp(benchmark::State& state)
{
    CCompressor c;
    Setup(c, dynamics::kPeak, dynamics::kLinked);
    float threshold = -20.0f;
    RunChunks(state, [&](double* l, double* r) {
        threshold = threshold < -39.0f ? -20.0f : threshold - 0.0267f;
        c.SetThresholdDb(threshold);
        c.Process(l, r, nullptr, nullptr, 32);
    });
}
BENCHMARK(BM_CompressorStereoThresholdRamp);

// The limiter's compressor stage as the engine sets it up (ratio 20, knee 100 %, attack
// 49 ms, release 260 - 100 ms, peak, linked, threshold 6 dB under the ceiling), fed the
// loud source. Argument: the ceiling in tenths of a dB. At -0.3 dB the envelope above
// full scale lies inside the knee; at -12 dB it lies above the knee.
void BM_LimiterStage(benchmark::State& state)
{
    CCompressor c;
    c.SetAttackMs(49.0f);
    c.SetDetectionMode(dynamics::kPeak);
    c.SetKneePercent(100.0f);
    c.SetOutputGainDb(0.0f);
    c.SetRatio(20.0f);
    c.SetStereoMode(dynamics::kLinked);
    c.SetSampleRate(kRate);
    c.SetThresholdDb(float(state.range(0)) / 10.0f - 6.0f);
    c.SetReleaseMs(160.0f);
    c.Reset();
    RunChunks<SLoudSource, SLoudSource::kChunks>(state,
                                                 [&](double* l, double* r) { c.Process(l, r, nullptr, nullptr, 32); });
}
BENCHMARK(BM_LimiterStage)->Arg(-3)->Arg(-120);

}  // namespace
