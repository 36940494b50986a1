// The spectrum analyser's cost: what the audio thread pays to hand blocks over (per
// stereo frame), and one display update that analyses a block at the largest size.
#include "NullHost.h"
#include "framework/dspe/AnalyserFeed.h"
#include "product/plugin/QuillstripPlugIn.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int32_t kRate = 48000;

std::vector<float> Sine(size_t frames, double step)
{
    std::vector<float> v(frames);
    for (size_t i = 0; i < frames; ++i)
        v[i] = static_cast<float>(std::sin(step * double(i)));
    return v;
}

void PerFrame(benchmark::State& state, int64_t frames)
{
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * double(frames),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// PushAudio alone, in host-sized pieces.
void AnalyserPush(benchmark::State& state)
{
    const auto frames = static_cast<int32_t>(state.range(0));
    zt::dspe::CAnalyserFeed feed;
    feed.Init(kRate, 2, 0);
    const std::vector<float> l = Sine(size_t(frames), 0.01), r = Sine(size_t(frames), 0.013);
    const float* ch[2] = {l.data(), r.data()};
    for (auto _ : state) {
        feed.PushAudio(ch, frames);
        benchmark::ClobberMemory();
    }
    PerFrame(state, frames);
}

// The whole plug-in with every section off and the output handed to attached feeds:
// against ProcessStereo, the analyser's share of a block.
void ProcessStereoWithAnalyser(benchmark::State& state)
{
    const auto frames = static_cast<int32_t>(state.range(0));
    NullHost host;
    CQuillstripPlugIn plugIn(&host);
    plugIn.Open();
    plugIn.SetChannelConfig(2, 2, 0);
    plugIn.SetMaxBlockSize(frames);
    plugIn.SetSampleRate(kRate);
    plugIn.Resume();
    zt::dspe::CAnalyserFeed feeds[3];
    for (int32_t i = 0; i < 3; ++i)
        feeds[i].Init(kRate, 2, i);
    const CQuillstripPlugIn::AnalyserFeeds pointers{&feeds[0], &feeds[1], &feeds[2]};
    plugIn.AttachAnalyser(&pointers);

    std::vector<float> l = Sine(size_t(frames), 0.01), r = Sine(size_t(frames), 0.013);
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {l.data(), r.data()};
    for (auto _ : state) {
        plugIn.Process(out, in, frames);
        benchmark::ClobberMemory();
    }
    plugIn.DetachAnalyser();
    PerFrame(state, frames);
}

// One display update that windows and transforms one new block of both channels at
// size option 0 (16384 points at 48 kHz), with the decay of every bin.
void AnalyserUpdate(benchmark::State& state)
{
    zt::dspe::CAnalyserFeed feed;
    feed.Init(kRate, 2, 0);
    const int32_t n = feed.GetBlockSize();
    const std::vector<float> l = Sine(size_t(n), 0.01), r = Sine(size_t(n), 0.013);
    const float* ch[2] = {l.data(), r.data()};
    for (auto _ : state) {
        state.PauseTiming();
        feed.PushAudio(ch, n);
        state.ResumeTiming();
        feed.Update(true);
        benchmark::DoNotOptimize(feed.GetSpectrum()[1]);
    }
}

}  // namespace

BENCHMARK(AnalyserPush)->Arg(32)->Arg(512);
BENCHMARK(ProcessStereoWithAnalyser)->Arg(32)->Arg(512);
BENCHMARK(AnalyserUpdate)->Unit(benchmark::kMicrosecond);
