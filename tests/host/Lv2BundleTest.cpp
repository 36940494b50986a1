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
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using qs::hosting::CVst3Host;

namespace {

constexpr double kRate = 48000;
constexpr int kBlock = 512;
constexpr uint32_t kControls = 7;  // audio ports, side-chain and latency come first

// The URID feature a host provides.
class CUrids {
public:
    CUrids()
    {
        map_ = {this, [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<CUrids*>(h)->Map(uri); }};
        unmap_ = {this, [](LV2_URID_Unmap_Handle h, LV2_URID id) { return static_cast<CUrids*>(h)->Unmap(id); }};
        mapFeature_ = {LV2_URID__map, &map_};
        unmapFeature_ = {LV2_URID__unmap, &unmap_};
    }
    LV2_URID Map(const char* uri)
    {
        const auto it = ids_.find(uri);
        if (it != ids_.end())
            return it->second;
        uris_.push_back(uri);
        return ids_[uri] = static_cast<LV2_URID>(uris_.size());
    }
    const char* Unmap(LV2_URID id) const { return id >= 1 && id <= uris_.size() ? uris_[id - 1].c_str() : nullptr; }
    LV2_URID_Map* map() { return &map_; }
    LV2_URID_Unmap* unmap() { return &unmap_; }
    const LV2_Feature* const* features() { return features_; }

private:
    std::map<std::string, LV2_URID> ids_;
    std::vector<std::string> uris_;
    LV2_URID_Map map_;
    LV2_URID_Unmap unmap_;
    LV2_Feature mapFeature_, unmapFeature_;
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
        LilvNode* uri = lilv_new_uri(world_, qs::lv2::kProduct.uri);
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

// One instance with every port connected to buffers of its own.
class CLv2 {
public:
    CLv2(const CWorld& world, CUrids& urids) : world_(world)
    {
        instance_ = lilv_plugin_instantiate(world.plugin(), kRate, urids.features());
        const uint32_t ports = lilv_plugin_get_num_ports(world.plugin());
        controls_.resize(ports);
        std::vector<float> defaults(ports);
        lilv_plugin_get_port_ranges_float(world.plugin(), nullptr, nullptr, defaults.data());
        for (uint32_t p = kControls; p < ports; ++p)
            controls_[p] = defaults[p];
        if (!instance_)
            return;
        lilv_instance_connect_port(instance_, 6, &latency_);
        for (uint32_t p = kControls; p < ports; ++p)
            lilv_instance_connect_port(instance_, p, &controls_[p]);
    }
    ~CLv2()
    {
        if (instance_) {
            if (active_)
                lilv_instance_deactivate(instance_);
            lilv_instance_free(instance_);
        }
    }
    LilvInstance* instance() const { return instance_; }
    void Activate()
    {
        lilv_instance_activate(instance_);
        active_ = true;
    }
    float& Control(uint32_t port) { return controls_[port]; }
    float latency() const { return latency_; }
    // One run over [start, start + n) of the signals; side null leaves the side-chain
    // unconnected.
    void Run(const std::vector<float>* in, const std::vector<float>* side, std::vector<float>* out, size_t start,
             uint32_t n)
    {
        for (uint32_t c = 0; c < 2; ++c) {
            lilv_instance_connect_port(instance_, c, const_cast<float*>(in[c].data() + start));
            lilv_instance_connect_port(instance_, 2 + c, out[c].data() + start);
            lilv_instance_connect_port(instance_, 4 + c, side ? const_cast<float*>(side[c].data() + start) : nullptr);
        }
        lilv_instance_run(instance_, n);
    }
    const LV2_State_Interface* state() const
    {
        return static_cast<const LV2_State_Interface*>(
            lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
    }

private:
    const CWorld& world_;
    LilvInstance* instance_ = nullptr;
    std::vector<float> controls_;
    float latency_ = -1;
    bool active_ = false;
};

// A second of music-like stereo input and an unrelated side-chain signal.
struct SSignals {
    SSignals()
    {
        uint32_t seed = 7;
        const size_t n = static_cast<size_t>(kRate);
        for (auto* v : {&in[0], &in[1], &side[0], &side[1]})
            v->resize(n);
        for (size_t i = 0; i < n; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.2;
            const double t = static_cast<double>(i) / kRate;
            const double burst = (i / 6000) % 2 ? 1.0 : 0.05;
            in[0][i] = static_cast<float>(burst * (0.5 * std::sin(2 * M_PI * 110 * t) + noise));
            in[1][i] = static_cast<float>(burst * (0.4 * std::sin(2 * M_PI * 165 * t + 1) - noise));
            side[0][i] = side[1][i] = static_cast<float>(0.8 * std::sin(2 * M_PI * 3 * t));
        }
    }
    std::vector<float> in[2], side[2];
};

// A setting as both formats receive it: the normalized value a VST 3 host sends, and
// the plain value that normalized value means, which an LV2 host writes to the port.
struct SSetting {
    ParamID id;
    double normalized;
    float plain;
};

const quillstrip::SParameterRow& RowOf(ParamID id) { return *quillstrip::AutomationOrder()[id]; }

std::unique_ptr<zt::de::IConverter> ConverterOf(ParamID id)
{
    const quillstrip::SParameterRow& row = RowOf(id);
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
    const auto converter = ConverterOf(id);
    const double n = converter->ToNormalized(intended);
    return {id, n, converter->FromNormalized(n)};
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

// The VST 3 bundle through the same blocks: settings applied before activation, as a
// host restores a project; changes[block] arrive with that block at offset 0.
std::vector<float> RenderVst3(const SSignals& signals, const std::vector<SSetting>& settings,
                              const std::map<size_t, std::vector<SSetting>>& changes = {}, uint32_t* latency = nullptr)
{
    CVst3Host host;
    EXPECT_TRUE(host.Load(QS_BUNDLE) && host.CreateInstance()) << host.error();
    EXPECT_TRUE(host.SetBuses(2, 2));
    for (const SSetting& s : settings)
        host.SetNormalized(s.id, s.normalized);
    EXPECT_TRUE(host.Setup(kRate, kBlock));
    EXPECT_TRUE(host.SetActive(true));
    if (latency)
        *latency = host.processor()->getLatencySamples();
    const size_t total = signals.in[0].size();
    std::vector<float> out[2] = {std::vector<float>(total), std::vector<float>(total)};
    for (size_t at = 0, block = 0; at < total; at += kBlock, ++block) {
        const int n = static_cast<int>(std::min<size_t>(kBlock, total - at));
        float* in[2] = {const_cast<float*>(signals.in[0].data() + at), const_cast<float*>(signals.in[1].data() + at)};
        float* side[2]
            = {const_cast<float*>(signals.side[0].data() + at), const_cast<float*>(signals.side[1].data() + at)};
        float* o[2] = {out[0].data() + at, out[1].data() + at};
        qs::hosting::CParameterChanges blockChanges;
        const auto it = changes.find(block);
        if (it != changes.end())
            for (const SSetting& s : it->second)
                blockChanges.Add(s.id, 0, s.normalized);
        host.Process(in, 2, side, 2, o, 2, n, 0, blockChanges.Empty() ? nullptr : &blockChanges);
    }
    host.SetActive(false);
    out[0].insert(out[0].end(), out[1].begin(), out[1].end());
    return out[0];
}

// The same through the LV2 bundle; latencies gets the latency port after every run.
std::vector<float> RenderLv2(CLv2& lv2, const SSignals& signals, const std::map<size_t, std::vector<SSetting>>& changes,
                             std::vector<float>* latencies = nullptr, bool withSide = true)
{
    const size_t total = signals.in[0].size();
    std::vector<float> out[2] = {std::vector<float>(total), std::vector<float>(total)};
    for (size_t at = 0, block = 0; at < total; at += kBlock, ++block) {
        const auto it = changes.find(block);
        if (it != changes.end())
            for (const SSetting& s : it->second)
                lv2.Control(kControls + s.id) = s.plain;
        lv2.Run(signals.in, withSide ? signals.side : nullptr, out, at,
                static_cast<uint32_t>(std::min<size_t>(kBlock, total - at)));
        if (latencies)
            latencies->push_back(lv2.latency());
    }
    out[0].insert(out[0].end(), out[1].begin(), out[1].end());
    return out[0];
}

std::vector<float> RenderLv2(const CWorld& world, CUrids& urids, const SSignals& signals,
                             const std::vector<SSetting>& settings)
{
    CLv2 lv2(world, urids);
    EXPECT_NE(lv2.instance(), nullptr);
    for (const SSetting& s : settings)
        lv2.Control(kControls + s.id) = s.plain;
    lv2.Activate();
    return RenderLv2(lv2, signals, {});
}

// Bit for bit: the first differing sample, or -1.
long FirstDifference(const std::vector<float>& a, const std::vector<float>& b)
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

std::string NodeText(LilvNode* node)
{
    const std::string text = node ? lilv_node_as_string(node) : "";
    lilv_node_free(node);
    return text;
}

}  // namespace

// Every automated parameter is a control port at its automation index, with the range,
// default, kind and unit the parameter table gives it; the fixed ports say what they are.
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
    for (uint32_t p = 4; p < 6; ++p)
        EXPECT_TRUE(lilv_port_has_property(plugin, lilv_plugin_get_port_by_index(plugin, p), sideChain));
    EXPECT_TRUE(lilv_port_has_property(plugin, lilv_plugin_get_port_by_index(plugin, 6), reportsLatency));

    std::vector<float> minimum(kControls + order.size()), maximum(minimum.size()), fallback(minimum.size());
    lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), fallback.data());
    for (size_t i = 0; i < order.size(); ++i) {
        const quillstrip::SParameterRow& row = *order[i];
        const uint32_t index = kControls + static_cast<uint32_t>(i);
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
        SCOPED_TRACE(row.name);
        EXPECT_EQ(NodeText(lilv_port_get_name(plugin, port)), row.name);
        EXPECT_EQ(minimum[index], row.minimum);
        EXPECT_EQ(maximum[index], row.maximum);
        EXPECT_EQ(fallback[index], row.defaultValue);
        const bool isSwitch = row.texts == std::string("Off@On");
        EXPECT_EQ(lilv_port_has_property(plugin, port, toggled), isSwitch);
        EXPECT_EQ(lilv_port_has_property(plugin, port, enumeration),
                  row.scale == quillstrip::EScale::kList && !isSwitch);
        EXPECT_EQ(lilv_port_has_property(plugin, port, logarithmic),
                  row.scale == quillstrip::EScale::kLog || row.scale == quillstrip::EScale::kTrueLog);
        if (row.scale == quillstrip::EScale::kList && !isSwitch) {
            LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
            EXPECT_EQ(lilv_scale_points_size(points), static_cast<unsigned>(row.maximum) + 1);
            lilv_scale_points_free(points);
        }
        LilvNodes* units = lilv_port_get_value(plugin, port, unit);
        const std::string unitUri = units ? lilv_node_as_uri(lilv_nodes_get_first(units)) : "";
        lilv_nodes_free(units);
        const std::string expected = row.unit == std::string("dB") ? "db"
            : row.unit == std::string("Hz")                        ? "hz"
            : row.unit == std::string("%")                         ? "pc"
                                                                   : "";
        if (!expected.empty()) {
            EXPECT_EQ(unitUri, "http://lv2plug.in/ns/extensions/units#" + expected);
        }
    }
    // The times the display shows without a unit are milliseconds to a host.
    LilvNodes* units
        = lilv_port_get_value(plugin, lilv_plugin_get_port_by_index(plugin, kControls + IdOf("Comp Attack")), unit);
    ASSERT_NE(units, nullptr);
    EXPECT_STREQ(lilv_node_as_uri(lilv_nodes_get_first(units)), "http://lv2plug.in/ns/extensions/units#ms");
    lilv_nodes_free(units);
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
        const std::vector<float> out = RenderLv2(lv2, signals, {}, nullptr, withSide);
        std::vector<float> in = signals.in[0];
        in.insert(in.end(), signals.in[1].begin(), signals.in[1].end());
        EXPECT_EQ(FirstDifference(out, in), -1) << (withSide ? "with" : "without") << " a side-chain";
        EXPECT_EQ(lv2.latency(), 0.0f);
    }
}

// The same settings give the same output as the VST 3 bundle, sample for sample, with and
// without oversampling, and so does automation that switches oversampling mid-stream;
// the latency port follows at once.
TEST_F(Lv2Bundle, OutputEqualsTheVst3Bundle)
{
    for (bool oversample : {false, true}) {
        SCOPED_TRACE(oversample ? "oversampling" : "host rate");
        const std::vector<SSetting> settings = EverySection(oversample);
        uint32_t vst3Latency = 0;
        const std::vector<float> vst3 = RenderVst3(signals, settings, {}, &vst3Latency);
        CLv2 lv2(world, urids);
        ASSERT_NE(lv2.instance(), nullptr);
        for (const SSetting& s : settings)
            lv2.Control(kControls + s.id) = s.plain;
        lv2.Activate();
        std::vector<float> latencies;
        const std::vector<float> out = RenderLv2(lv2, signals, {}, &latencies);
        EXPECT_EQ(FirstDifference(out, vst3), -1);
        std::vector<float> in = signals.in[0];
        in.insert(in.end(), signals.in[1].begin(), signals.in[1].end());
        EXPECT_NE(FirstDifference(out, in), -1) << "the sections changed nothing";
        EXPECT_EQ(latencies.front(), oversample ? 279.0f : 0.0f);
        EXPECT_EQ(latencies.front(), static_cast<float>(vst3Latency));
    }

    const std::map<size_t, std::vector<SSetting>> changes = {
        {20, {Setting("Oversample Enable", 1), Setting("Comp Threshold", -30)}},
        {50, {Setting("Oversample Enable", 0), Setting("EQ Band 3 Gain", 9)}},
    };
    const std::vector<float> vst3 = RenderVst3(signals, EverySection(false), changes);
    CLv2 lv2(world, urids);
    ASSERT_NE(lv2.instance(), nullptr);
    for (const SSetting& s : EverySection(false))
        lv2.Control(kControls + s.id) = s.plain;
    lv2.Activate();
    std::vector<float> latencies;
    EXPECT_EQ(FirstDifference(RenderLv2(lv2, signals, changes, &latencies), vst3), -1);
    EXPECT_EQ(latencies[19], 0.0f);
    EXPECT_EQ(latencies[20], 279.0f);
    EXPECT_EQ(latencies[49], 279.0f);
    EXPECT_EQ(latencies[50], 0.0f);
}

// A state saved through lilv, written out as text and read back, restores into a fresh
// instance that then plays exactly as the original; its ports get the saved values.
TEST_F(Lv2Bundle, StateRoundTripsThroughLilv)
{
    CLv2 original(world, urids);
    ASSERT_NE(original.instance(), nullptr);
    for (const SSetting& s : EverySection(true))
        original.Control(kControls + s.id) = s.plain;
    original.Activate();
    RenderLv2(original, signals, {});  // the state is taken from a running instance

    // lilv wants the type of a port value; floats map to atom:Float.
    const LV2_URID floatType = urids.Map(LV2_ATOM__Float);
    std::pair<CLv2*, CWorld*> context{&original, &world};
    auto typedGetValue = [](const char* symbol, void* data, uint32_t* size, uint32_t* type) -> const void* {
        auto* c = static_cast<std::pair<std::pair<CLv2*, CWorld*>*, LV2_URID>*>(data);
        auto* self = c->first;
        LilvNode* node = lilv_new_string(self->second->world(), symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(self->second->plugin(), node);
        lilv_node_free(node);
        *size = sizeof(float);
        *type = c->second;
        return port ? &self->first->Control(lilv_port_get_index(self->second->plugin(), port)) : nullptr;
    };
    std::pair<std::pair<CLv2*, CWorld*>*, LV2_URID> typed{&context, floatType};
    LilvState* saved = lilv_state_new_from_instance(world.plugin(), original.instance(), urids.map(), nullptr, nullptr,
                                                    nullptr, nullptr, typedGetValue, &typed,
                                                    LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
    ASSERT_NE(saved, nullptr);
    char* text = lilv_state_to_string(world.world(), urids.map(), urids.unmap(), saved, "urn:quillstrip:test", nullptr);
    lilv_state_free(saved);
    ASSERT_NE(text, nullptr);
    LilvState* loaded = lilv_state_new_from_string(world.world(), urids.map(), text);
    lilv_free(text);
    ASSERT_NE(loaded, nullptr);

    CLv2 restored(world, urids);
    ASSERT_NE(restored.instance(), nullptr);
    auto setValue = [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t) {
        auto* self = static_cast<std::pair<CLv2*, CWorld*>*>(data);
        LilvNode* node = lilv_new_string(self->second->world(), symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(self->second->plugin(), node);
        lilv_node_free(node);
        if (port && size == sizeof(float))
            std::memcpy(&self->first->Control(lilv_port_get_index(self->second->plugin(), port)), value, size);
    };
    std::pair<CLv2*, CWorld*> target{&restored, &world};
    lilv_state_restore(loaded, restored.instance(), setValue, &target, 0, nullptr);
    lilv_state_free(loaded);
    for (uint32_t p = kControls; p < lilv_plugin_get_num_ports(world.plugin()); ++p)
        EXPECT_EQ(restored.Control(p), original.Control(p)) << "port " << p;

    // Both from the same point: the original returned to the start of its settings.
    CLv2 fresh(world, urids);
    for (const SSetting& s : EverySection(true))
        fresh.Control(kControls + s.id) = s.plain;
    fresh.Activate();
    restored.Activate();
    EXPECT_EQ(FirstDifference(RenderLv2(restored, signals, {}), RenderLv2(fresh, signals, {})), -1);
}

// The state is the VST 3 host state byte for byte: what one format saved, the other
// restores, and it plays the same. A state that is damaged, of another type or missing
// changes nothing.
TEST_F(Lv2Bundle, StateIsTheVst3StateAndBadStatesChangeNothing)
{
    const std::vector<SSetting> settings = EverySection(false);
    CVst3Host vst3;
    ASSERT_TRUE(vst3.Load(QS_BUNDLE) && vst3.CreateInstance()) << vst3.error();
    for (const SSetting& s : settings)
        vst3.SetNormalized(s.id, s.normalized);
    const std::vector<char> bytes = vst3.GetState();
    ASSERT_FALSE(bytes.empty());

    struct SStore {
        std::vector<char> value;
        LV2_URID key = 0, type = 0;
    };
    const LV2_URID chunk = urids.Map(LV2_ATOM__Chunk);
    const LV2_URID key = urids.Map((std::string(qs::lv2::kProduct.uri) + "#state").c_str());
    auto retrieve
        = [](LV2_State_Handle handle, uint32_t k, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
        auto* s = static_cast<SStore*>(handle);
        if (k != s->key)
            return nullptr;
        *size = s->value.size();
        *type = s->type;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return s->value.data();
    };
    auto store = [](LV2_State_Handle handle, uint32_t k, const void* value, size_t size, uint32_t type,
                    uint32_t) -> LV2_State_Status {
        auto* s = static_cast<SStore*>(handle);
        s->key = k;
        s->type = type;
        s->value.assign(static_cast<const char*>(value), static_cast<const char*>(value) + size);
        return LV2_STATE_SUCCESS;
    };

    // LV2 saves what VST 3 saves.
    {
        CLv2 lv2(world, urids);
        for (const SSetting& s : settings)
            lv2.Control(kControls + s.id) = s.plain;
        lv2.Activate();
        SStore saved;
        ASSERT_EQ(lv2.state()->save(lilv_instance_get_handle(lv2.instance()), store, &saved, 0, nullptr),
                  LV2_STATE_SUCCESS);
        EXPECT_EQ(saved.key, key);
        EXPECT_EQ(saved.type, chunk);
        EXPECT_EQ(saved.value, bytes);
    }

    const std::vector<float> expected = RenderVst3(signals, settings);
    const std::vector<float> untouched = RenderLv2(world, urids, signals, {});
    std::vector<char> truncated(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2));
    std::vector<char> garbage(bytes.size(), 'x');
    const SStore cases[] = {
        {bytes, key, chunk},                        // the VST 3 state: plays as VST 3 does
        {truncated, key, chunk},                    // cut short
        {garbage, key, chunk},                      // not a chunk file
        {bytes, key, urids.Map(LV2_ATOM__String)},  // another type
        {bytes, urids.Map("urn:other"), chunk},     // no state of ours
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        CLv2 lv2(world, urids);
        SStore given = cases[k];
        const LV2_State_Status status
            = lv2.state()->restore(lilv_instance_get_handle(lv2.instance()), retrieve, &given, 0, nullptr);
        EXPECT_EQ(status == LV2_STATE_SUCCESS, k == 0);
        lv2.Activate();
        EXPECT_EQ(FirstDifference(RenderLv2(lv2, signals, {}), k == 0 ? expected : untouched), -1);
    }
}

// Every factory preset is in the bundle under its name and sets every processing
// parameter to what the same preset file sets it to in the VST 3 bundle.
TEST_F(Lv2Bundle, EveryFactoryPresetLoads)
{
    const std::string folder = std::string(std::getenv("HOME")) + "/.local/share/Kelmora/Quillstrip Pro/Presets/";
    std::filesystem::create_directories(folder);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QS_PRESET_DIR))
        if (entry.path().extension() == ".preset") {
            std::filesystem::copy_file(entry.path(), folder + entry.path().filename().string());
            ++files;
        }
    CVst3Host vst3;
    ASSERT_TRUE(vst3.Load(QS_BUNDLE) && vst3.CreateInstance()) << vst3.error();
    auto* units = FUnknownPtr<IUnitInfo>(vst3.controller()).getInterface();
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    ASSERT_EQ(static_cast<size_t>(list.programCount), files);
    const ParamID program = static_cast<ParamID>(vst3.controller()->getParameterCount() - 1);
    const size_t automated = quillstrip::AutomationOrder().size();

    LilvNode* presetClass = world.Uri(LV2_PRESETS__Preset);
    LilvNode* label = world.Uri("http://www.w3.org/2000/01/rdf-schema#label");
    LilvNodes* presets = lilv_plugin_get_related(world.plugin(), presetClass);
    ASSERT_EQ(lilv_nodes_size(presets), files);
    LILV_FOREACH(nodes, it, presets)
    {
        const LilvNode* preset = lilv_nodes_get(presets, it);
        lilv_world_load_resource(world.world(), preset);
        LilvNodes* labels = lilv_world_find_nodes(world.world(), preset, label, nullptr);
        ASSERT_NE(labels, nullptr);
        const std::string name = lilv_node_as_string(lilv_nodes_get_first(labels));
        lilv_nodes_free(labels);
        SCOPED_TRACE(name);
        LilvState* state = lilv_state_new_from_world(world.world(), urids.map(), preset);
        ASSERT_NE(state, nullptr);
        EXPECT_EQ(lilv_state_get_num_properties(state), 0u);  // port values only

        CLv2 lv2(world, urids);
        std::pair<CLv2*, CWorld*> target{&lv2, &world};
        lilv_state_restore(
            state, lv2.instance(),
            [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t) {
                auto* self = static_cast<std::pair<CLv2*, CWorld*>*>(data);
                LilvNode* node = lilv_new_string(self->second->world(), symbol);
                const LilvPort* port = lilv_plugin_get_port_by_symbol(self->second->plugin(), node);
                lilv_node_free(node);
                if (port && size == sizeof(float))
                    std::memcpy(&self->first->Control(lilv_port_get_index(self->second->plugin(), port)), value, size);
            },
            &target, 0, nullptr);
        lilv_state_free(state);

        int32 index = -1;
        String128 title = {};
        for (int32 k = 0; k < list.programCount && index < 0; ++k) {
            ASSERT_EQ(units->getProgramName(list.id, k, title), kResultOk);
            char ascii[129] = {};
            UString(title, 128).toAscii(ascii, 128);
            if (name == ascii)
                index = k;
        }
        ASSERT_GE(index, 0) << "no VST 3 preset of that name";
        const double steps = list.programCount > 1 ? list.programCount - 1 : 1;
        ASSERT_EQ(vst3.controller()->setParamNormalized(program, index / steps), kResultOk);
        for (ParamID id = 1; id < automated; ++id)  // every processing parameter (0 is Bypass)
            EXPECT_EQ(ConverterOf(id)->ToNormalized(lv2.Control(kControls + id)), vst3.GetNormalized(id))
                << RowOf(id).name;
    }
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);
    lilv_node_free(label);
}

// Bad input from the host: NaN is ignored and out-of-range values are clamped, as the
// VST 3 path does; unconnected side-chains, unconnected inputs and empty runs are safe.
TEST_F(Lv2Bundle, BadPortValuesAndBuffers)
{
    const std::vector<SSetting> settings = {Setting("Comp Enable", 1), Setting("Comp Threshold", -40),
                                            Setting("EQ Band 2 Enable", 1), Setting("EQ Band 2 Gain", 18)};
    const std::vector<float> expected = RenderLv2(world, urids, signals, settings);

    CLv2 lv2(world, urids);
    lv2.Control(kControls + IdOf("Comp Enable")) = 1;
    lv2.Control(kControls + IdOf("EQ Band 2 Enable")) = 1;
    lv2.Control(kControls + IdOf("Comp Threshold")) = -1e9f;
    lv2.Control(kControls + IdOf("EQ Band 2 Gain")) = std::numeric_limits<float>::infinity();
    lv2.Control(kControls + IdOf("Input Gain")) = std::nanf("");
    lv2.Control(kControls + IdOf("Comp Ratio")) = std::nanf("");
    lv2.Activate();
    lilv_instance_run(lv2.instance(), 0);  // before any buffer is connected
    EXPECT_EQ(FirstDifference(RenderLv2(lv2, signals, {}), expected), -1);

    // A host that offers no features at all (lv2apply) still gets a working instance, one
    // without a state.
    LilvInstance* bare = lilv_plugin_instantiate(world.plugin(), kRate, nullptr);
    ASSERT_NE(bare, nullptr);
    auto* bareState
        = static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(bare, LV2_STATE__interface));
    EXPECT_NE(bareState->save(lilv_instance_get_handle(bare), nullptr, nullptr, 0, nullptr), LV2_STATE_SUCCESS);
    lilv_instance_free(bare);

    // Main inputs unconnected: silence in, and with every section off, silence out.
    CLv2 empty(world, urids);
    empty.Activate();
    std::vector<float> out[2] = {std::vector<float>(20000, 1.0f), std::vector<float>(20000, 1.0f)};
    for (uint32_t p = 0; p < 6; ++p)
        lilv_instance_connect_port(empty.instance(), p, p == 2 || p == 3 ? out[p - 2].data() : nullptr);
    lilv_instance_run(empty.instance(), 20000);  // longer than the stand-in silence
    lilv_instance_run(empty.instance(), 0);
    for (const auto& channel : out)
        for (float v : channel)
            ASSERT_EQ(v, 0.0f);
}
