// Cost of one engine chunk (32 stereo frames) through the gate and each compressor type,
// of a type "1" chunk whose threshold moves every chunk (a smoothed ramp rebuilds the
// gain table each time), of the limiter's compressor stage driven past full scale, and
// of the whole limiter (input gain, that stage and the ceiling) on program material.
#include "product/engine/Compressor.h"
#include "product/engine/Compressor3.h"
#include "product/engine/Gate.h"
#include "ThreadClock.h"
#include "product/engine/Limiter2.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>
#include <vector>

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

// The limiter's compressor stage as the engine sets it up: ratio 20, knee 100 %, attack
// 49 ms, peak, linked, threshold 6 dB under the ceiling, release 100 ms under the
// limiter's; then reset.
void SetUpLimiterStage(CCompressor& c, float ceilingDb, float releaseMs)
{
    c.SetAttackMs(49.0f);
    c.SetDetectionMode(dynamics::kPeak);
    c.SetKneePercent(100.0f);
    c.SetOutputGainDb(0.0f);
    c.SetRatio(20.0f);
    c.SetStereoMode(dynamics::kLinked);
    c.SetSampleRate(kRate);
    c.SetThresholdDb(ceilingDb - 6.0f);
    c.SetReleaseMs(releaseMs - 100.0f);
    c.Reset();
}

// The limiter's compressor stage (release 260 ms), fed the loud source. Argument: the
// ceiling in tenths of a dB. At -0.3 dB the envelope above full scale lies inside the
// knee; at -12 dB it lies above the knee.
void BM_LimiterStage(benchmark::State& state)
{
    CCompressor c;
    SetUpLimiterStage(c, float(state.range(0)) / 10.0f, 260.0f);
    RunChunks<SLoudSource, SLoudSource::kChunks>(state,
                                                 [&](double* l, double* r) { c.Process(l, r, nullptr, nullptr, 32); });
}
BENCHMARK(BM_LimiterStage)->Arg(-3)->Arg(-120);

// Program-like material for the whole limiter at unit level: five tones from 55 Hz to
// 5.2 kHz, each with its own slow swell, a decaying 60 Hz kick every half second, panned
// differently on the two sides, and an overall level that moves by +-drift.
struct SProgram {
    static constexpr int kFrames = 32 * 2048;  // 1.37 s
    std::vector<double> x[2];

    explicit SProgram(double drift)
    {
        constexpr double kTwoPi = 6.283185307179586;
        const double tone[5] = {55.0, 220.0, 660.5, 1870.0, 5230.0};
        const double amplitude[5] = {0.30, 0.20, 0.12, 0.06, 0.03};
        const double swell[5] = {0.7, 1.3, 2.1, 3.7, 5.3};
        const double pan[5] = {0.5, 0.3, 0.7, 0.2, 0.8};
        for (std::vector<double>& channel : x)
            channel.resize(kFrames);
        for (int i = 0; i < kFrames; ++i) {
            const double t = double(i) / kRate;
            double l = 0.0, r = 0.0;
            for (int k = 0; k < 5; ++k) {
                const double v = amplitude[k] * (0.6 + 0.4 * std::sin(kTwoPi * swell[k] * t + k))
                    * std::sin(kTwoPi * tone[k] * t + 0.3 * k);
                l += (1.0 - pan[k]) * 2.0 * v;
                r += pan[k] * 2.0 * v;
            }
            const double beat = std::fmod(t, 0.5);
            const double kick = 0.5 * std::exp(-beat / 0.06) * std::sin(kTwoPi * 60.0 * beat);
            const double level = 1.0 + drift * std::sin(kTwoPi * 0.73 * t);
            x[0][i] = level * (l + kick);
            x[1][i] = level * (r + kick);
        }
    }

    // The material at a level, as the engine holds it: host floats widened to double.
    SProgram Scaled(double level) const
    {
        SProgram s = *this;
        for (std::vector<double>& channel : s.x)
            for (double& v : channel)
                v = double(float(level * v));
        return s;
    }
};

// The limiter as the engine sets it up and runs it with its default controls: input
// +6 dB, threshold -0.3 dB (the stage's threshold 6 dB lower), release 260 ms (the
// stage's 160 ms).
struct SLimiter {
    CCompressor stage;
    CLimiter2 ceiling;
    double input = double(float(std::pow(10.0, 6.0 / 20.0)));

    SLimiter()
    {
        SetUpLimiterStage(stage, -0.3f, 260.0f);
        ceiling.Setup(2, float(kRate), 100.0f);
        ceiling.SetThreshold(-0.3f);
        ceiling.Reset();
    }

    // One chunk in the engine's order; returns the ceiling's smallest gain.
    float Process(double* l, double* r, int n)
    {
        for (double* x : {l, r})
            for (int i = 0; i < n; ++i)
                x[i] *= input;
        stage.Process(l, r, nullptr, nullptr, n);
        return ceiling.ProcessStereo(l, r, n);
    }
};

// A fresh limiter over the material twice, the second pass measured: the reduction,
// 10 log10 of the energy after the input gain over the energy out, in dB. Counts the
// output samples above the ceiling in both passes into over.
double Reduction(const SProgram& program, double& over)
{
    SLimiter check;
    const float ceiling = check.ceiling.GetCeiling();
    double in = 0.0, out = 0.0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int at = 0; at < SProgram::kFrames; at += 32) {
            double work[2][32];
            for (int k = 0; k < 2; ++k)
                std::copy_n(&program.x[k][size_t(at)], 32, work[k]);
            check.Process(work[0], work[1], 32);
            for (int k = 0; k < 2; ++k)
                for (int i = 0; i < 32; ++i) {
                    const double before = program.x[k][size_t(at + i)] * check.input;
                    in += pass ? before * before : 0.0;
                    out += pass ? work[k][i] * work[k][i] : 0.0;
                    over += std::fabs(float(work[k][i])) > ceiling ? 1.0 : 0.0;
                }
        }
    }
    return 10.0 * std::log10(in / out);
}

// Both limiter stages on program material set to the level at which they reduce it by a
// given amount. Arguments: the overall level's drift in percent and the reduction in dB.
// At 6 dB the stage's envelope hardly leaves its table; at 10 dB it spends most of the
// time above full scale, on its formula path. Counters: the measured reduction and the
// samples found above the ceiling over two passes (must be 0).
void BM_LimiterProgram(benchmark::State& state)
{
    const SProgram unit(double(state.range(0)) / 100.0);
    // The reduction grows with the level: bisect for the target.
    const double target = double(state.range(1));
    double low = 0.25, high = 8.0, over = 0.0;
    for (int step = 0; step < 16; ++step) {
        const double mid = std::sqrt(low * high);
        (Reduction(unit.Scaled(mid), over) < target ? low : high) = mid;
    }
    const SProgram program = unit.Scaled(std::sqrt(low * high));
    over = 0.0;
    const double reductionDb = Reduction(program, over);

    SLimiter limiter;
    float smallest = 1.0f;
    double work[2][32];
    int at = 0;
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k)
            std::copy_n(&program.x[k][size_t(at)], 32, work[k]);
        at = (at + 32) % SProgram::kFrames;
        smallest = std::min(smallest, limiter.Process(work[0], work[1], 32));
        benchmark::DoNotOptimize(work);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(smallest);
    state.SetItemsProcessed(state.iterations() * 32);
    state.counters["per_frame"] = benchmark::Counter(double(state.iterations()) * 32.0,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["reduction_dB"] = reductionDb;
    state.counters["over_ceiling"] = over;
}
BENCHMARK(BM_LimiterProgram)->Args({45, 6})->Args({5, 6})->Args({45, 10})->Args({5, 10});

// Type "2" against type "1" with the same settings and material, measured in one run:
// batches of 64 chunks of each in turn, so a busy moment on the machine falls on both
// alike. Counters: each type's CPU time per stereo frame (the thread's own, so time spent
// descheduled counts for neither) and their ratio (type "2" over type "1").
void BM_CompressorTypesCompared(benchmark::State& state)
{
    static const SChunkSource source;
    // Compressors and buffers on the heap, as the engine has them.
    auto oneOwner = std::make_unique<CCompressor>();
    auto twoOwner = std::make_unique<CCompressor3>();
    CCompressor& one = *oneOwner;
    CCompressor3& two = *twoOwner;
    Setup(one, int(state.range(0)), int(state.range(1)));
    Setup(two, int(state.range(0)), int(state.range(1)));
    auto now = bench::ThreadSeconds;
    double seconds[2] = {0.0, 0.0};
    struct SWork {
        double x[2][32];
    };
    const auto workOwner = std::make_unique<SWork>();
    auto& work = workOwner->x;
    auto batch = [&](auto& c) {
        const double start = now();
        for (int chunk = 0; chunk < 64; ++chunk) {
            for (int k = 0; k < 2; ++k)
                std::copy_n(&source.x[k][chunk * 32], 32, work[k]);
            c.Process(work[0], work[1], nullptr, nullptr, 32);
            benchmark::DoNotOptimize(work);
            benchmark::ClobberMemory();
        }
        return now() - start;
    };
    for (auto _ : state) {
        seconds[0] += batch(one);
        seconds[1] += batch(two);
    }
    const double frames = double(state.iterations()) * 64.0 * 32.0;
    state.counters["type1_ns"] = seconds[0] / frames * 1e9;
    state.counters["type2_ns"] = seconds[1] / frames * 1e9;
    state.counters["ratio"] = seconds[1] / seconds[0];
}
BENCHMARK(BM_CompressorTypesCompared)
    ->Args({dynamics::kPeak, dynamics::kLinked})
    ->Args({dynamics::kPower, dynamics::kMidSide});

}  // namespace
