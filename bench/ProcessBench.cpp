// Cost of a host block through the plug-in object with every section off: the
// baseline the sections add to. Reported per stereo frame.
#include "NullHost.h"
#include "product/plugin/QuillstripPlugIn.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

void ProcessStereo(benchmark::State& state)
{
    const auto frames = static_cast<int32_t>(state.range(0));
    NullHost host;
    CQuillstripPlugIn plugIn(&host);
    plugIn.Open();
    plugIn.SetChannelConfig(2, 2, 0);
    plugIn.SetMaxBlockSize(frames);
    plugIn.SetSampleRate(48000);
    plugIn.Resume();

    std::vector<float> l(static_cast<size_t>(frames)), r(static_cast<size_t>(frames));
    for (int32_t i = 0; i < frames; ++i) {
        l[static_cast<size_t>(i)] = static_cast<float>(std::sin(0.01 * i));
        r[static_cast<size_t>(i)] = static_cast<float>(std::cos(0.013 * i));
    }
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {l.data(), r.data()};
    for (auto _ : state) {
        plugIn.Process(out, in, frames);
        benchmark::ClobberMemory();
    }
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(ProcessStereo)->Arg(32)->Arg(512);
