// Cost of a host block through the plug-in object with every section off, and with one
// EQ band on: the baseline the sections add to, on every track of a mix. And with every
// section off but oversampling on: what the converters and their handling cost. Reported per
// stereo frame. Fresh input every block (a slow sine pair read from a longer source), so
// nothing settles into a shortcut a real track would not take.
#include "NullHost.h"
#include "product/plugin/QuillstripParameterIds.h"
#include "product/plugin/QuillstripPlugIn.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

using namespace quillstrip;

namespace {

// Arguments: frames per host block; 0 every section off, 1 one bell band on (+3 dB at 1 kHz),
// 2 every section off with oversampling, 3 the same with an unused side-chain.
void ProcessStereo(benchmark::State& state)
{
    const auto frames = static_cast<int32_t>(state.range(0));
    NullHost host;
    CQuillstripPlugIn plugIn(&host);
    plugIn.Open();
    // Setting 3 connects a side-chain bus that no section listens to.
    plugIn.SetChannelConfig(2, 2, state.range(1) == 3 ? 2 : 0);
    plugIn.SetMaxBlockSize(frames);
    if (state.range(1) == 1) {
        plugIn.GetParameterManager()->SetValue(false, 2 * kBandStride + kBandEnable, 1.0f, kSetProcessing);
        plugIn.GetParameterManager()->SetValue(false, 2 * kBandStride + kBandGain, 3.0f, kSetProcessing);
        plugIn.GetParameterManager()->SetValue(false, 2 * kBandStride + kBandFreq, 1000.0f, kSetProcessing);
    }
    if (state.range(1) >= 2)
        plugIn.GetParameterManager()->SetValue(false, kOversampleEnable, 1.0f, kSetProcessing);
    plugIn.SetSampleRate(48000);
    plugIn.Resume();

    constexpr int32_t kSource = 4096;
    std::vector<float> l(kSource + 512), r(kSource + 512), outL(512), outR(512);
    for (size_t i = 0; i < l.size(); ++i) {
        l[i] = static_cast<float>(0.5 * std::sin(0.01 * double(i)));
        r[i] = static_cast<float>(0.5 * std::cos(0.013 * double(i)));
    }
    float* out[2] = {outL.data(), outR.data()};
    int32_t start = 0;
    auto run = [&] {
        float* in[4] = {l.data() + start, r.data() + start, l.data() + start, r.data() + start};
        plugIn.Process(out, in, frames);
        start = (start + frames) % kSource;
    };
    for (int i = 0; i < 48000 / frames; ++i)  // one second: every glide settled
        run();
    for (auto _ : state) {
        run();
        benchmark::ClobberMemory();
    }
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(ProcessStereo)->ArgNames({"frames", "setting"})->ArgsProduct({{32, 512}, {0, 1, 2, 3}});
