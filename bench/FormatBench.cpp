// The LV2 bundle's run() against the VST 3 bundle's process() with every section off or on,
// both loaded from the build tree as a host loads them: what each adapter adds to the
// same plug-in object. Reported per stereo frame.
#include "product/plugin/QuillstripParameterTable.h"
#include "framework/de/Converters.h"
#include "tools/hosting/Vst3Host.h"

#include "lv2/core/lv2.h"
#include "lv2/urid/urid.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

// Argument 0: every section off (as loaded). 1: every section on, the side-chains keyed
// externally. 2: the same with oversampling.
std::vector<std::pair<std::string, float>> Settings(int64_t setting)
{
    if (setting == 0)
        return {};
    const bool oversample = setting == 2;
    std::vector<std::pair<std::string, float>> s = {
        {"Input Gain", 1.2f},      {"Input Delay", 17},
        {"Gate Enable", 1},        {"Gate Threshold", -30},
        {"Gate SC Enable", 1},     {"Gate SC Input", 1},
        {"Comp Enable", 1},        {"Comp Threshold", -24},
        {"Comp SC Enable", 1},     {"Stereo Enable", 1},
        {"Stereo Low", -60},       {"Saturation Enable", 1},
        {"Saturation Mix", 60},    {"Limiter Enable", 1},
        {"Limiter Threshold", -6}, {"Oversample Enable", oversample ? 1.0f : 0.0f},
    };
    for (int b = 1; b <= 6; ++b) {
        s.emplace_back("EQ Band " + std::to_string(b) + " Enable", 1.0f);
        s.emplace_back("EQ Band " + std::to_string(b) + " Gain", b % 2 ? 4.5f : -3.0f);
    }
    return s;
}

// Automation index and converter of a parameter title.
struct SParameter {
    int32_t index = -1;
    std::unique_ptr<zt::de::IConverter> converter;
};

SParameter Find(const std::string& title)
{
    const auto order = quillstrip::AutomationOrder();
    for (size_t i = 0; i < order.size(); ++i)
        if (title == order[i]->name) {
            const auto& row = *order[i];
            const int32_t kind = row.scale == quillstrip::EScale::kLog ? zt::de::IConverter::kLog
                : row.scale == quillstrip::EScale::kTrueLog            ? zt::de::IConverter::kTrueLog
                                                                       : zt::de::IConverter::kLinear;
            return {static_cast<int32_t>(i),
                    zt::de::MakeConverter(kind, row.minimum, row.maximum, row.logBase ? *row.logBase : 0)};
        }
    return {};
}

struct SSignal {
    explicit SSignal(int32_t frames)
    {
        for (auto* v : {&l, &r, &side, &outL, &outR})
            v->resize(static_cast<size_t>(frames));
        for (int32_t i = 0; i < frames; ++i) {
            l[static_cast<size_t>(i)] = static_cast<float>(0.5 * std::sin(0.01 * i));
            r[static_cast<size_t>(i)] = static_cast<float>(0.5 * std::cos(0.013 * i));
            side[static_cast<size_t>(i)] = static_cast<float>(0.3 * std::sin(0.002 * i));
        }
    }
    std::vector<float> l, r, side, outL, outR;
};

void Vst3Process(benchmark::State& state)
{
    const auto frames = static_cast<int32_t>(state.range(0));
    qs::hosting::CVst3Host host;
    if (!host.Load(QS_BUNDLE) || !host.CreateInstance() || !host.SetBuses(2, 2)) {
        state.SkipWithError(host.error().c_str());
        return;
    }
    for (const auto& [title, value] : Settings(state.range(1))) {
        const SParameter p = Find(title);
        host.SetNormalized(static_cast<Steinberg::Vst::ParamID>(p.index), p.converter->ToNormalized(value));
    }
    host.Setup(48000, frames);
    host.SetActive(true);
    SSignal s(frames);
    float* in[2] = {s.l.data(), s.r.data()};
    float* side[2] = {s.side.data(), s.side.data()};
    float* out[2] = {s.outL.data(), s.outR.data()};
    for (auto _ : state) {
        host.Process(in, 2, side, 2, out, 2, frames);
        benchmark::ClobberMemory();
    }
    host.SetActive(false);
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The URID map an LV2 host provides.
struct SUrids {
    std::map<std::string, LV2_URID> ids;
    LV2_URID_Map map{this, [](LV2_URID_Map_Handle h, const char* uri) {
                         auto& ids = static_cast<SUrids*>(h)->ids;
                         return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
                     }};
    LV2_Feature feature{LV2_URID__map, &map};
    const LV2_Feature* features[2] = {&feature, nullptr};
};

void Lv2Run(benchmark::State& state)
{
    const auto frames = static_cast<int32_t>(state.range(0));
    void* library = dlopen(QS_LV2_BUNDLE "/quillstrip-pro-small.so", RTLD_NOW | RTLD_LOCAL);
    auto entry = library ? reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor")) : nullptr;
    const LV2_Descriptor* descriptor = entry ? entry(0) : nullptr;
    SUrids urids;
    LV2_Handle instance
        = descriptor ? descriptor->instantiate(descriptor, 48000, QS_LV2_BUNDLE, urids.features) : nullptr;
    if (!instance) {
        state.SkipWithError("cannot instantiate the LV2 bundle");
        return;
    }
    const size_t count = quillstrip::AutomationOrder().size();
    std::vector<float> controls(count);
    for (size_t i = 0; i < count; ++i)
        controls[i] = quillstrip::AutomationOrder()[i]->defaultValue;
    for (const auto& [title, value] : Settings(state.range(1))) {
        const SParameter p = Find(title);
        controls[static_cast<size_t>(p.index)] = p.converter->FromNormalized(p.converter->ToNormalized(value));
    }
    SSignal s(frames);
    float latency = 0;
    descriptor->connect_port(instance, 0, s.l.data());
    descriptor->connect_port(instance, 1, s.r.data());
    descriptor->connect_port(instance, 2, s.outL.data());
    descriptor->connect_port(instance, 3, s.outR.data());
    descriptor->connect_port(instance, 4, s.side.data());
    descriptor->connect_port(instance, 5, s.side.data());
    descriptor->connect_port(instance, 6, &latency);
    for (size_t i = 0; i < count; ++i)
        descriptor->connect_port(instance, static_cast<uint32_t>(7 + i), &controls[i]);
    descriptor->activate(instance);
    for (auto _ : state) {
        descriptor->run(instance, static_cast<uint32_t>(frames));
        benchmark::ClobberMemory();
    }
    descriptor->deactivate(instance);
    descriptor->cleanup(instance);
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

// Arguments: frames per block, the settings above.
BENCHMARK(Vst3Process)->ArgNames({"frames", "setting"})->ArgsProduct({{32, 512}, {0, 1, 2}});
BENCHMARK(Lv2Run)->ArgNames({"frames", "setting"})->ArgsProduct({{32, 512}, {0, 1, 2}});
