// The LV2 bundle as a host meets it: found and instantiated by lilv from the build tree,
// driven through its ports, state and presets only, and held against the VST 3 bundle's
// output for the same settings.
#include "host/quillstrip_lv2/ProductIdentity.h"
#include "product/plugin/QuillstripParameterTable.h"
#include "framework/de/Converters.h"
#include "tools/hosting/ParameterChanges.h"
#include "tools/hosting/Vst3Host.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr double kRate = 48000;
constexpr int kBlock = 512;
constexpr uint32_t kControls = 7;  // audio ports, side-chain and latency come first
using Signal = std::vector<float>;

// The URID features a host provides.
class CUrids {
public:
    LV2_URID Map(const char* uri)
    {
        const auto it = ids_.emplace(uri, static_cast<LV2_URID>(uris_.size() + 1));
        if (it.second)
            uris_.push_back(uri);
        return it.first->second;
    }
    LV2_URID_Map* map() { return &map_; }
    LV2_URID_Unmap* unmap() { return &unmap_; }
    const LV2_Feature* const* features() const { return features_; }

private:
    std::map<std::string, LV2_URID> ids_;
    std::vector<std::string> uris_;
    LV2_URID_Map map_{this, [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<CUrids*>(h)->Map(uri); }};
    LV2_URID_Unmap unmap_{this, [](LV2_URID_Unmap_Handle h, LV2_URID id) {
                              const auto& uris = static_cast<CUrids*>(h)->uris_;
                              return id >= 1 && id <= uris.size() ? uris[id - 1].c_str() : nullptr;
                          }};
    LV2_Feature mapFeature_{LV2_URID__map, &map_}, unmapFeature_{LV2_URID__unmap, &unmap_};
    const LV2_Feature* features_[3] = {&mapFeature_, &unmapFeature_, nullptr};
};

// The specifications from the system and our bundle from the build tree, nothing else.
class CWorld {
public:
    CWorld()
    {
        setenv("LV2_PATH", "/usr/lib/lv2", 1);
        world_ = lilv_world_new();
        lilv_world_load_all(world_);
        LilvNode* bundle = lilv_new_file_uri(world_, nullptr, QS_LV2_BUNDLE "/");
        lilv_world_load_bundle(world_, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = Uri(qs::lv2::kProduct.uri);
        plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri);
        lilv_node_free(uri);
    }
    ~CWorld() { lilv_world_free(world_); }
    LilvWorld* world() const { return world_; }
    const LilvPlugin* plugin() const { return plugin_; }
    LilvNode* Uri(const char* uri) const { return lilv_new_uri(world_, uri); }

private:
    LilvWorld* world_;
    const LilvPlugin* plugin_;
};

// A setting as both formats receive it: the normalized value a VST 3 host sends, and
// the plain value that normalized value means, which an LV2 host writes to the port.
struct SSetting {
    ParamID id;
    double normalized;
    float plain;
};
using Changes = std::map<size_t, std::vector<SSetting>>;  // by block, at its start

std::unique_ptr<zt::de::IConverter> ConverterOf(ParamID id)
{
    const quillstrip::SParameterRow& row = *quillstrip::AutomationOrder()[id];
    const int32_t kind = row.scale == quillstrip::EScale::kLog ? zt::de::IConverter::kLog
        : row.scale == quillstrip::EScale::kTrueLog            ? zt::de::IConverter::kTrueLog
                                                               : zt::de::IConverter::kLinear;
    return zt::de::MakeConverter(kind, row.minimum, row.maximum, row.logBase ? *row.logBase : 0);
}

ParamID IdOf(const std::string& title)
{
    const auto order = quillstrip::AutomationOrder();
    for (size_t i = 0; i < order.size(); ++i)
        if (title == order[i]->name)
            return static_cast<ParamID>(i);
    ADD_FAILURE() << "no parameter " << title;
    return 0;
}

SSetting Setting(const std::string& title, float intended)
{
    const ParamID id = IdOf(title);
    const double n = ConverterOf(id)->ToNormalized(intended);
    return {id, n, ConverterOf(id)->FromNormalized(n)};
}

// Settings that switch every section on, with the side-chains keyed externally.
std::vector<SSetting> EverySection(bool oversample)
{
    std::vector<SSetting> s = {
        Setting("Input Gain", 1.2f),
        Setting("Input Phase", 1),
        Setting("Input Delay", 17),
        Setting("Output Gain", 0.9f),
        Setting("Routing", 0),
        Setting("Gate Enable", 1),
        Setting("Gate Threshold", -30),
        Setting("Gate Mix", 80),
        Setting("Gate SC Enable", 1),
        Setting("Gate SC Input", 1),
        Setting("Comp Enable", 1),
        Setting("Comp Threshold", -24),
        Setting("Comp Ratio", 6),
        Setting("Comp Attack", 3),
        Setting("Comp SC Enable", 1),
        Setting("Comp SC Type", 4),
        Setting("Stereo Enable", 1),
        Setting("Stereo Low", -60),
        Setting("Stereo High", 70),
        Setting("Saturation Enable", 1),
        Setting("Saturation Mode", 1),
        Setting("Saturation Mix", 60),
        Setting("Limiter Enable", 1),
        Setting("Limiter Threshold", -6),
        Setting("Oversample Enable", oversample ? 1.0f : 0.0f),
    };
    for (int b = 1; b <= 6; ++b) {
        const std::string band = "EQ Band " + std::to_string(b) + " ";
        s.push_back(Setting(band + "Enable", 1));
        s.push_back(Setting(band + "Gain", b % 2 ? 4.5f : -3.0f));
    }
    return s;
}

// A second of music-like stereo input and an unrelated side-chain signal.
struct SSignals {
    SSignals()
    {
        uint32_t seed = 7;
        for (auto* v : {&in[0], &in[1], &side[0], &side[1]})
            v->resize(static_cast<size_t>(kRate));
        for (size_t i = 0; i < in[0].size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.2;
            const double t = static_cast<double>(i) / kRate, burst = (i / 6000) % 2 ? 1.0 : 0.05;
            in[0][i] = static_cast<float>(burst * (0.5 * std::sin(2 * M_PI * 110 * t) + noise));
            in[1][i] = static_cast<float>(burst * (0.4 * std::sin(2 * M_PI * 165 * t + 1) - noise));
            side[0][i] = side[1][i] = static_cast<float>(0.8 * std::sin(2 * M_PI * 3 * t));
        }
    }
    Signal Both() const
    {
        Signal both = in[0];
        both.insert(both.end(), in[1].begin(), in[1].end());
        return both;
    }
    Signal in[2], side[2];
};

// One instance with every control port connected to a buffer of its own, at its default.
class CLv2 {
public:
    CLv2(const CWorld& world, const CUrids& urids, const std::vector<SSetting>& settings = {}) : world_(world)
    {
        instance_ = lilv_plugin_instantiate(world.plugin(), kRate, urids.features());
        controls_.resize(lilv_plugin_get_num_ports(world.plugin()));
        lilv_plugin_get_port_ranges_float(world.plugin(), nullptr, nullptr, controls_.data());
        for (const SSetting& s : settings)
            Control(kControls + s.id) = s.plain;
        if (!instance_)
            return;
        lilv_instance_connect_port(instance_, 6, &latency_);
        for (uint32_t p = kControls; p < controls_.size(); ++p)
            lilv_instance_connect_port(instance_, p, &controls_[p]);
    }
    ~CLv2()
    {
        if (instance_ && active_)
            lilv_instance_deactivate(instance_);
        if (instance_)
            lilv_instance_free(instance_);
    }
    LilvInstance* instance() const { return instance_; }
    LV2_Handle handle() const { return lilv_instance_get_handle(instance_); }
    const LV2_State_Interface* state() const
    {
        return static_cast<const LV2_State_Interface*>(
            lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
    }
    void Activate()
    {
        lilv_instance_activate(instance_);
        active_ = true;
    }
    float& Control(uint32_t port) { return controls_[port]; }

    // Block by block through the signals, both channels one after the other;
    // latencies gets the latency port after every run; beforeRun, given, is called with
    // each block's number before its run.
    Signal Render(const SSignals& s, const Changes& changes = {}, std::vector<float>* latencies = nullptr,
                  bool withSide = true, const std::function<void(size_t)>& beforeRun = {})
    {
        const size_t total = s.in[0].size();
        Signal out[2] = {Signal(total), Signal(total)};
        for (size_t at = 0, block = 0; at < total; at += kBlock, ++block) {
            if (changes.count(block))
                for (const SSetting& c : changes.at(block))
                    Control(kControls + c.id) = c.plain;
            for (uint32_t c = 0; c < 2; ++c) {
                lilv_instance_connect_port(instance_, c, const_cast<float*>(s.in[c].data() + at));
                lilv_instance_connect_port(instance_, 2 + c, out[c].data() + at);
                lilv_instance_connect_port(instance_, 4 + c,
                                           withSide ? const_cast<float*>(s.side[c].data() + at) : nullptr);
            }
            if (beforeRun)
                beforeRun(block);
            lilv_instance_run(instance_, static_cast<uint32_t>(std::min<size_t>(kBlock, total - at)));
            if (latencies)
                latencies->push_back(latency_);
        }
        out[0].insert(out[0].end(), out[1].begin(), out[1].end());
        return out[0];
    }

    // lilv's port value callbacks, by symbol.
    static void SetValue(const char* symbol, void* self, const void* value, uint32_t size, uint32_t)
    {
        if (float* port = static_cast<CLv2*>(self)->PortOf(symbol); port && size == sizeof(float))
            std::memcpy(port, value, size);
    }
    static const void* GetValue(const char* symbol, void* self, uint32_t* size, uint32_t* type)
    {
        *size = sizeof(float);
        *type = static_cast<CLv2*>(self)->floatType_;
        return static_cast<CLv2*>(self)->PortOf(symbol);
    }
    void SetFloatType(LV2_URID type) { floatType_ = type; }

private:
    float* PortOf(const char* symbol)
    {
        LilvNode* node = lilv_new_string(world_.world(), symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(world_.plugin(), node);
        lilv_node_free(node);
        return port ? &controls_[lilv_port_get_index(world_.plugin(), port)] : nullptr;
    }

    const CWorld& world_;
    LilvInstance* instance_ = nullptr;
    std::vector<float> controls_;
    float latency_ = -1;
    bool active_ = false;
    LV2_URID floatType_ = 0;
};

// The VST 3 bundle through the same blocks: settings applied before activation, as a
// host restores a project, changes at the start of their block.
Signal RenderVst3(const SSignals& s, const std::vector<SSetting>& settings, const Changes& changes = {},
                  uint32_t* latency = nullptr)
{
    qs::hosting::CVst3Host host;
    EXPECT_TRUE(host.Load(QS_BUNDLE) && host.CreateInstance() && host.SetBuses(2, 2)) << host.error();
    for (const SSetting& c : settings)
        host.SetNormalized(c.id, c.normalized);
    EXPECT_TRUE(host.Setup(kRate, kBlock) && host.SetActive(true));
    if (latency)
        *latency = host.processor()->getLatencySamples();
    const size_t total = s.in[0].size();
    Signal out[2] = {Signal(total), Signal(total)};
    for (size_t at = 0, block = 0; at < total; at += kBlock, ++block) {
        float* in[2] = {const_cast<float*>(s.in[0].data() + at), const_cast<float*>(s.in[1].data() + at)};
        float* side[2] = {const_cast<float*>(s.side[0].data() + at), const_cast<float*>(s.side[1].data() + at)};
        float* o[2] = {out[0].data() + at, out[1].data() + at};
        qs::hosting::CParameterChanges blockChanges;
        if (changes.count(block))
            for (const SSetting& c : changes.at(block))
                blockChanges.Add(c.id, 0, c.normalized);
        host.Process(in, 2, side, 2, o, 2, static_cast<int>(std::min<size_t>(kBlock, total - at)), 0,
                     blockChanges.Empty() ? nullptr : &blockChanges);
    }
    host.SetActive(false);
    out[0].insert(out[0].end(), out[1].begin(), out[1].end());
    return out[0];
}

// Bit for bit: the first differing sample, or -1.
long FirstDifference(const Signal& a, const Signal& b)
{
    if (a.size() != b.size())
        return 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return static_cast<long>(i);
    return -1;
}

class Lv2Bundle : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(world.plugin(), nullptr) << "lilv finds no " << qs::lv2::kProduct.uri; }
    CWorld world;
    CUrids urids;
    SSignals signals;
};

}  // namespace

// Every automated parameter is a control port at its automation index, with the range,
// default and kind the parameter table gives it; the fixed ports say what they are.
TEST_F(Lv2Bundle, PortsFollowTheParameterTable)
{
    const LilvPlugin* plugin = world.plugin();
    const auto order = quillstrip::AutomationOrder();
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), kControls + order.size());
    LilvNode* sideChain = world.Uri(LV2_CORE_PREFIX "isSideChain");
    LilvNode* reportsLatency = world.Uri(LV2_CORE__reportsLatency);
    LilvNode* toggled = world.Uri(LV2_CORE__toggled);
    LilvNode* enumeration = world.Uri(LV2_CORE__enumeration);
    LilvNode* logarithmic = world.Uri("http://lv2plug.in/ns/ext/port-props#logarithmic");
    LilvNode* unit = world.Uri("http://lv2plug.in/ns/extensions/units#unit");
    auto port = [&](uint32_t index) { return lilv_plugin_get_port_by_index(plugin, index); };
    auto unitOf = [&](const std::string& title) {
        LilvNodes* units = lilv_port_get_value(plugin, port(kControls + IdOf(title)), unit);
        const std::string uri = units ? lilv_node_as_uri(lilv_nodes_get_first(units)) : "";
        lilv_nodes_free(units);
        return uri.substr(uri.find('#') + 1);
    };
    EXPECT_TRUE(lilv_port_has_property(plugin, port(4), sideChain)
                && lilv_port_has_property(plugin, port(5), sideChain));
    EXPECT_TRUE(lilv_port_has_property(plugin, port(6), reportsLatency));

    std::vector<float> minimum(kControls + order.size()), maximum(minimum.size()), fallback(minimum.size());
    lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), fallback.data());
    for (size_t i = 0; i < order.size(); ++i) {
        const quillstrip::SParameterRow& row = *order[i];
        const uint32_t index = kControls + static_cast<uint32_t>(i);
        SCOPED_TRACE(row.name);
        LilvNode* name = lilv_port_get_name(plugin, port(index));
        EXPECT_STREQ(lilv_node_as_string(name), row.name);
        lilv_node_free(name);
        EXPECT_EQ(minimum[index], row.minimum);
        EXPECT_EQ(maximum[index], row.maximum);
        EXPECT_EQ(fallback[index], row.defaultValue);
        const bool isSwitch = row.texts == std::string("Off@On"), list = row.scale == quillstrip::EScale::kList;
        EXPECT_EQ(lilv_port_has_property(plugin, port(index), toggled), isSwitch);
        EXPECT_EQ(lilv_port_has_property(plugin, port(index), enumeration), list && !isSwitch);
        EXPECT_EQ(lilv_port_has_property(plugin, port(index), logarithmic),
                  row.scale == quillstrip::EScale::kLog || row.scale == quillstrip::EScale::kTrueLog);
        if (list && !isSwitch) {
            LilvScalePoints* points = lilv_port_get_scale_points(plugin, port(index));
            EXPECT_EQ(lilv_scale_points_size(points), static_cast<unsigned>(row.maximum) + 1);
            lilv_scale_points_free(points);
        }
    }
    // Units as the DSP takes the values, also where the display shows none.
    EXPECT_EQ(unitOf("Comp Threshold"), "db");
    EXPECT_EQ(unitOf("EQ Band 2 Freq"), "hz");
    EXPECT_EQ(unitOf("Comp Knee"), "pc");
    EXPECT_EQ(unitOf("Gate Mix"), "pc");
    EXPECT_EQ(unitOf("Comp Attack"), "ms");
    EXPECT_EQ(unitOf("Input Delay"), "frame");
    for (LilvNode* node : {sideChain, reportsLatency, toggled, enumeration, logarithmic, unit})
        lilv_node_free(node);
}

// With every section off the strip passes its input unchanged, side-chain or none.
TEST_F(Lv2Bundle, AllOffIsBitExact)
{
    for (bool withSide : {true, false}) {
        CLv2 lv2(world, urids);
        ASSERT_NE(lv2.instance(), nullptr);
        lv2.Activate();
        std::vector<float> latencies;
        EXPECT_EQ(FirstDifference(lv2.Render(signals, {}, &latencies, withSide), signals.Both()), -1);
        EXPECT_EQ(latencies.back(), 0.0f);
    }
}

// The same settings give the same output as the VST 3 bundle, sample for sample, with and
// without oversampling, and so does automation that switches oversampling mid-stream;
// the latency port follows at once.
TEST_F(Lv2Bundle, OutputEqualsTheVst3Bundle)
{
    for (bool oversample : {false, true}) {
        SCOPED_TRACE(oversample ? "oversampling" : "host rate");
        uint32_t vst3Latency = 0;
        const Signal vst3 = RenderVst3(signals, EverySection(oversample), {}, &vst3Latency);
        CLv2 lv2(world, urids, EverySection(oversample));
        ASSERT_NE(lv2.instance(), nullptr);
        lv2.Activate();
        std::vector<float> latencies;
        const Signal out = lv2.Render(signals, {}, &latencies);
        EXPECT_EQ(FirstDifference(out, vst3), -1);
        EXPECT_NE(FirstDifference(out, signals.Both()), -1) << "the sections changed nothing";
        EXPECT_EQ(latencies.front(), oversample ? 279.0f : 0.0f);
        EXPECT_EQ(latencies.front(), static_cast<float>(vst3Latency));
    }

    const Changes changes = {
        {20, {Setting("Oversample Enable", 1), Setting("Comp Threshold", -30)}},
        {50, {Setting("Oversample Enable", 0), Setting("EQ Band 3 Gain", 9)}},
    };
    CLv2 lv2(world, urids, EverySection(false));
    lv2.Activate();
    std::vector<float> latencies;
    EXPECT_EQ(
        FirstDifference(lv2.Render(signals, changes, &latencies), RenderVst3(signals, EverySection(false), changes)),
        -1);
    EXPECT_EQ(latencies[19], 0.0f);
    EXPECT_EQ(latencies[20], 279.0f);
    EXPECT_EQ(latencies[49], 279.0f);
    EXPECT_EQ(latencies[50], 0.0f);
}

// A control port the host connects only later takes effect from that run on, as a change
// would; one it disconnects again leaves its last value standing.
TEST_F(Lv2Bundle, ControlPortsConnectedLateOrDisconnected)
{
    const std::vector<SSetting> settings = {Setting("EQ Band 2 Enable", 1)};
    const SSetting gain = Setting("EQ Band 2 Gain", 12);
    CLv2 lv2(world, urids, settings);
    const uint32_t port = kControls + static_cast<uint32_t>(gain.id);
    lilv_instance_connect_port(lv2.instance(), port, nullptr);
    lv2.Activate();
    float held = gain.plain;
    const Signal out = lv2.Render(signals, {}, nullptr, true, [&](size_t block) {
        if (block == 20 || block == 50)
            lilv_instance_connect_port(lv2.instance(), port, block == 20 ? &held : nullptr);
    });
    const Signal expected = RenderVst3(signals, settings, {{20, {gain}}});
    EXPECT_EQ(FirstDifference(out, expected), -1);
    // Against no change at all: the same until the port is connected, and not after.
    const long first = FirstDifference(out, RenderVst3(signals, settings));
    EXPECT_GE(first, 20L * kBlock);
    EXPECT_LT(first, 21L * kBlock);
}

// A state saved through lilv, written out as text and read back, restores into a fresh
// instance whose ports get the saved values and which plays exactly as the original.
TEST_F(Lv2Bundle, StateRoundTripsThroughLilv)
{
    CLv2 original(world, urids, EverySection(true));
    original.SetFloatType(urids.Map(LV2_ATOM__Float));
    original.Activate();
    original.Render(signals);  // the state is taken from a running instance
    LilvState* saved = lilv_state_new_from_instance(world.plugin(), original.instance(), urids.map(), nullptr, nullptr,
                                                    nullptr, nullptr, &CLv2::GetValue, &original,
                                                    LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
    ASSERT_NE(saved, nullptr);
    char* text = lilv_state_to_string(world.world(), urids.map(), urids.unmap(), saved, "urn:quillstrip:test", nullptr);
    lilv_state_free(saved);
    ASSERT_NE(text, nullptr);
    LilvState* loaded = lilv_state_new_from_string(world.world(), urids.map(), text);
    lilv_free(text);
    ASSERT_NE(loaded, nullptr);

    CLv2 restored(world, urids);
    lilv_state_restore(loaded, restored.instance(), &CLv2::SetValue, &restored, 0, nullptr);
    lilv_state_free(loaded);
    for (uint32_t p = kControls; p < lilv_plugin_get_num_ports(world.plugin()); ++p)
        EXPECT_EQ(restored.Control(p), original.Control(p)) << "port " << p;
    CLv2 fresh(world, urids, EverySection(true));
    fresh.Activate();
    restored.Activate();
    EXPECT_EQ(FirstDifference(restored.Render(signals), fresh.Render(signals)), -1);
}

// The state is the VST 3 host state byte for byte: what one format saved, the other
// restores, and it plays the same. A state that is damaged, of another type or missing
// changes nothing.
TEST_F(Lv2Bundle, StateIsTheVst3StateAndBadStatesChangeNothing)
{
    const std::vector<SSetting> settings = EverySection(false);
    qs::hosting::CVst3Host vst3;
    ASSERT_TRUE(vst3.Load(QS_BUNDLE) && vst3.CreateInstance()) << vst3.error();
    for (const SSetting& s : settings)
        vst3.SetNormalized(s.id, s.normalized);
    const std::vector<char> bytes = vst3.GetState();
    ASSERT_FALSE(bytes.empty());

    struct SStore {
        std::vector<char> value;
        LV2_URID key = 0, type = 0;
    };
    auto store = [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t) {
        *static_cast<SStore*>(h)
            = {{static_cast<const char*>(value), static_cast<const char*>(value) + size}, key, type};
        return LV2_STATE_SUCCESS;
    };
    auto retrieve = [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
        auto* s = static_cast<SStore*>(h);
        *size = s->value.size();
        *type = s->type;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return key == s->key ? s->value.data() : nullptr;
    };
    const LV2_URID chunk = urids.Map(LV2_ATOM__Chunk);
    const LV2_URID key = urids.Map((std::string(qs::lv2::kProduct.uri) + "#state").c_str());
    {
        CLv2 lv2(world, urids, settings);
        lv2.Activate();
        SStore saved;
        ASSERT_EQ(lv2.state()->save(lv2.handle(), store, &saved, 0, nullptr), LV2_STATE_SUCCESS);
        EXPECT_EQ(saved.key, key);
        EXPECT_EQ(saved.type, chunk);
        EXPECT_EQ(saved.value, bytes);
    }

    const Signal expected = RenderVst3(signals, settings);
    CLv2 plain(world, urids);
    plain.Activate();
    const Signal untouched = plain.Render(signals);
    const SStore cases[] = {
        {bytes, key, chunk},                                                 // plays as VST 3 does
        {std::vector<char>(bytes.begin(), bytes.begin() + 40), key, chunk},  // cut short
        {std::vector<char>(bytes.size(), 'x'), key, chunk},                  // not a chunk file
        {bytes, key, urids.Map(LV2_ATOM__String)},                           // another type
        {bytes, urids.Map("urn:other"), chunk},                              // no state of ours
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        CLv2 lv2(world, urids);
        SStore given = cases[k];
        EXPECT_EQ(lv2.state()->restore(lv2.handle(), retrieve, &given, 0, nullptr) == LV2_STATE_SUCCESS, k == 0);
        lv2.Activate();
        EXPECT_EQ(FirstDifference(lv2.Render(signals), k == 0 ? expected : untouched), -1);
    }
}

// Every factory preset is in the bundle under its name and sets every processing
// parameter to what the same preset file sets it to in the VST 3 bundle.
TEST_F(Lv2Bundle, EveryFactoryPresetLoads)
{
    const std::string folder = std::string(std::getenv("HOME")) + "/.local/share/Kelmora/Quillstrip Pro/Presets/";
    std::filesystem::create_directories(folder);
    for (const auto& entry : std::filesystem::directory_iterator(QS_PRESET_DIR))
        if (entry.path().extension() == ".preset")
            std::filesystem::copy_file(entry.path(), folder + entry.path().filename().string());
    qs::hosting::CVst3Host vst3;
    ASSERT_TRUE(vst3.Load(QS_BUNDLE) && vst3.CreateInstance()) << vst3.error();
    auto* units = FUnknownPtr<IUnitInfo>(vst3.controller()).getInterface();
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    const ParamID program = static_cast<ParamID>(vst3.controller()->getParameterCount() - 1);

    LilvNode* presetClass = world.Uri(LV2_PRESETS__Preset);
    LilvNode* label = world.Uri("http://www.w3.org/2000/01/rdf-schema#label");
    LilvNodes* presets = lilv_plugin_get_related(world.plugin(), presetClass);
    ASSERT_EQ(lilv_nodes_size(presets), static_cast<unsigned>(list.programCount));
    LILV_FOREACH(nodes, it, presets)
    {
        const LilvNode* preset = lilv_nodes_get(presets, it);
        lilv_world_load_resource(world.world(), preset);
        LilvNode* labelNode = lilv_world_get(world.world(), preset, label, nullptr);
        ASSERT_NE(labelNode, nullptr);
        const std::string name = lilv_node_as_string(labelNode);
        lilv_node_free(labelNode);
        SCOPED_TRACE(name);
        LilvState* state = lilv_state_new_from_world(world.world(), urids.map(), preset);
        ASSERT_NE(state, nullptr);
        CLv2 lv2(world, urids);
        lilv_state_restore(state, lv2.instance(), &CLv2::SetValue, &lv2, 0, nullptr);
        lilv_state_free(state);

        int32 index = -1;
        for (int32 k = 0; k < list.programCount && index < 0; ++k) {
            String128 title = {};
            char ascii[129] = {};
            units->getProgramName(list.id, k, title);
            UString(title, 128).toAscii(ascii, 128);
            index = name == ascii ? k : -1;
        }
        ASSERT_GE(index, 0) << "no VST 3 preset of that name";
        ASSERT_EQ(vst3.controller()->setParamNormalized(program, index / double(list.programCount - 1)), kResultOk);
        for (ParamID id = 1; id < program; ++id)  // every processing parameter (0 is Bypass)
            EXPECT_EQ(ConverterOf(id)->ToNormalized(lv2.Control(kControls + id)), vst3.GetNormalized(id)) << id;
    }
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);
    lilv_node_free(label);
}

// Bad input from the host: NaN is ignored and out-of-range values are clamped, as the
// VST 3 path does; a host without features, unconnected inputs and empty runs are safe.
TEST_F(Lv2Bundle, BadPortValuesAndBuffers)
{
    CLv2 expected(world, urids,
                  {Setting("Comp Enable", 1), Setting("Comp Threshold", -40), Setting("EQ Band 2 Enable", 1),
                   Setting("EQ Band 2 Gain", 18)});
    expected.Activate();
    CLv2 lv2(world, urids, {Setting("Comp Enable", 1), Setting("EQ Band 2 Enable", 1)});
    lv2.Control(kControls + IdOf("Comp Threshold")) = -1e9f;
    lv2.Control(kControls + IdOf("EQ Band 2 Gain")) = std::numeric_limits<float>::infinity();
    lv2.Control(kControls + IdOf("Input Gain")) = std::nanf("");
    lv2.Control(kControls + IdOf("Comp Ratio")) = std::nanf("");
    lv2.Activate();
    lilv_instance_run(lv2.instance(), 0);  // before any buffer is connected
    EXPECT_EQ(FirstDifference(lv2.Render(signals), expected.Render(signals)), -1);

    // A host that offers no features at all (lv2apply) gets an instance without a state.
    LilvInstance* bare = lilv_plugin_instantiate(world.plugin(), kRate, nullptr);
    ASSERT_NE(bare, nullptr);
    auto* bareState
        = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(bare, LV2_STATE__interface));
    EXPECT_NE(bareState->save(lilv_instance_get_handle(bare), nullptr, nullptr, 0, nullptr), LV2_STATE_SUCCESS);
    lilv_instance_free(bare);

    // Main inputs unconnected: silence in, and with every section off, silence out.
    CLv2 empty(world, urids);
    empty.Activate();
    Signal out[2] = {Signal(20000, 1.0f), Signal(20000, 1.0f)};
    for (uint32_t p = 0; p < 6; ++p)
        lilv_instance_connect_port(empty.instance(), p, p == 2 || p == 3 ? out[p - 2].data() : nullptr);
    lilv_instance_run(empty.instance(), 20000);  // longer than the stand-in silence
    lilv_instance_run(empty.instance(), 0);
    for (const Signal& channel : out)
        for (float v : channel)
            ASSERT_EQ(v, 0.0f);
}
