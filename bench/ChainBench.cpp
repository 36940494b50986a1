// The chain as users run it, in ns per stereo frame at 32-frame chunks, next to a
// textbook reference: twelve fixed-coefficient transposed-direct-form-II biquads per
// channel (what a six-band EQ with two 48 dB cuts amounts to).
#include "Strip.h"
#include "ThreadClock.h"
#include "product/engine/Compressor.h"
#include "dsp/Oversampler.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

using namespace quillstrip;

namespace {

constexpr int kFrames = 32;

void PerFrame(benchmark::State& state)
{
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// y = b0 x + s1; s1 = b1 x - a1 y + s2; s2 = b2 x - a2 y
void BM_ReferenceTwelveBiquads(benchmark::State& state)
{
    struct Section {
        double b0, b1, b2, a1, a2, s1[2], s2[2];
    };
    std::vector<Section> sections(12, Section{0.2, 0.3, 0.2, -0.5, 0.2, {0, 0}, {0, 0}});
    double x[2][kFrames];
    for (int i = 0; i < kFrames; ++i)
        x[0][i] = x[1][i] = std::sin(0.1 * i);
    for (auto _ : state) {
        for (int c = 0; c < 2; ++c) {
            for (Section& s : sections) {
                for (int i = 0; i < kFrames; ++i) {
                    const double in = x[c][i];
                    const double y = s.b0 * in + s.s1[c];
                    s.s1[c] = s.b1 * in - s.a1 * y + s.s2[c];
                    s.s2[c] = s.b2 * in - s.a2 * y;
                    x[c][i] = y;
                }
            }
        }
        benchmark::DoNotOptimize(x);
        benchmark::ClobberMemory();
    }
    PerFrame(state);
}
BENCHMARK(BM_ReferenceTwelveBiquads);

void BM_EqualiserSteady(benchmark::State& state)
{
    bench::CStrip<kFrames> strip(bench::kEqualiser);
    for (auto _ : state)
        strip.Run();
    PerFrame(state);
}
BENCHMARK(BM_EqualiserSteady);

void BM_EqualiserGliding(benchmark::State& state)
{
    bench::CStrip<kFrames> strip(bench::kEqualiser);
    float gain = -4;
    for (auto _ : state) {
        gain = gain == -4 ? -3.5f : -4;  // every chunk redesigns and glides
        strip.Set(2 * kBandStride + kBandGain, gain);
        strip.Run();
    }
    PerFrame(state);
}
BENCHMARK(BM_EqualiserGliding);

void BM_ChainEqWidthSaturation(benchmark::State& state)
{
    bench::CStrip<kFrames> strip(bench::kEqualiser);
    strip.Set(kStereoEnable, 1);
    strip.Set(kSaturationEnable, 1);
    for (auto _ : state)
        strip.Run();
    PerFrame(state);
}
BENCHMARK(BM_ChainEqWidthSaturation);

void BM_WholeChain(benchmark::State& state)
{
    bench::CStrip<kFrames> strip(bench::kEqualiser);
    for (int32_t n : bench::kSectionSwitches)
        strip.Set(n, 1);
    strip.Set(kCompressorType, static_cast<float>(state.range(0)));
    strip.Set(kOversampleEnable, static_cast<float>(state.range(1)));
    for (int i = 0; i < 2000; ++i)
        strip.Run();
    for (auto _ : state)
        strip.Run();
    PerFrame(state);
}
BENCHMARK(BM_WholeChain)->ArgNames({"type", "oversampling"})->Args({0, 0})->Args({1, 0})->Args({0, 1})->Args({1, 1});

// The whole chain with oversampling against the same chain without, measured in one run:
// batches of 64 chunks of each in turn on the thread's own CPU time, so a busy moment on
// the machine falls on both alike. Counters: each one's time per host stereo frame and
// their ratio (with over without). Argument: the compressor type.
void BM_OversamplingCompared(benchmark::State& state)
{
    bench::CStrip<kFrames> plain(bench::kEqualiser), oversampled(bench::kEqualiser);
    for (auto* strip : {&plain, &oversampled}) {
        for (int32_t n : bench::kSectionSwitches)
            strip->Set(n, 1);
        strip->Set(kCompressorType, static_cast<float>(state.range(0)));
    }
    oversampled.Set(kOversampleEnable, 1);
    for (int i = 0; i < 2000; ++i) {
        plain.Run();
        oversampled.Run();
    }
    double seconds[2] = {0.0, 0.0};
    auto batch = [](bench::CStrip<kFrames>& strip) {
        const double start = bench::ThreadSeconds();
        for (int chunk = 0; chunk < 64; ++chunk)
            strip.Run();
        return bench::ThreadSeconds() - start;
    };
    for (auto _ : state) {
        seconds[0] += batch(plain);
        seconds[1] += batch(oversampled);
    }
    const double frames = double(state.iterations()) * 64.0 * kFrames;
    state.counters["off_ns"] = seconds[0] / frames * 1e9;
    state.counters["on_ns"] = seconds[1] / frames * 1e9;
    state.counters["ratio"] = seconds[1] / seconds[0];
}
BENCHMARK(BM_OversamplingCompared)->ArgName("type")->Arg(0)->Arg(1);

void BM_ConvertersStereo(benchmark::State& state)
{
    COversampler os;
    float in[2][kFrames], up[2][2 * kFrames], out[2][kFrames];
    for (int i = 0; i < kFrames; ++i)
        in[0][i] = in[1][i] = static_cast<float>(std::sin(0.1 * i));
    for (auto _ : state) {
        for (int c = 0; c < 2; ++c) {
            os.Up(c, in[c], up[c], kFrames);
            os.Down(c, up[c], out[c], kFrames);
        }
        benchmark::DoNotOptimize(out);
    }
    PerFrame(state);
}
BENCHMARK(BM_ConvertersStereo);

// The worst chunk while threshold and ratio sweep, against a steady chunk. Every
// iteration replays the same sweep; each chunk position keeps its fastest time over
// the iterations, so the figure is the sweep's own cost and not the scheduler's.
void BM_CompressorSweepWorstChunk(benchmark::State& state)
{
    constexpr int kSteps = 64;
    CCompressor c;
    c.SetSampleRate(48000);
    c.SetKneePercent(60);
    c.SetAttackMs(10);
    c.SetReleaseMs(100);
    double l[kFrames], r[kFrames];
    auto fill = [&] {
        for (int i = 0; i < kFrames; ++i)
            l[i] = r[i] = 0.8 * std::sin(0.05 * i);
    };
    auto timed = [&] {
        fill();
        const auto t0 = std::chrono::steady_clock::now();
        c.Process(l, r, nullptr, nullptr, kFrames);
        return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
    };
    std::vector<double> steady(kSteps, 1e30), sweep(kSteps, 1e30);
    for (auto _ : state) {
        c.SetThresholdDb(-20);
        c.SetRatio(4);
        for (int i = 0; i < 8; ++i)  // back to the steady settings
            timed();
        for (int i = 0; i < kSteps; ++i)
            steady[i] = std::min(steady[i], timed());
        for (int i = 0; i < kSteps; ++i) {  // as the smoother delivers a knob turn
            c.SetThresholdDb(-20 - 0.3f * i);
            c.SetRatio(4 + 0.05f * i);
            sweep[i] = std::min(sweep[i], timed());
        }
    }
    state.counters["steady_ns"] = *std::max_element(steady.begin(), steady.end());
    state.counters["worst_sweep_ns"] = *std::max_element(sweep.begin(), sweep.end());
}
BENCHMARK(BM_CompressorSweepWorstChunk)->Iterations(200);

}  // namespace
