// The VST 3 bundle as a host meets it: loaded with dlopen, driven through the
// factory, processor and controller interfaces only.
#include "host/vst3/FactoryNames.h"
#include "QuillstripVersion.h"
#include "product/plugin/QuillstripParameterTable.h"
#include "framework/de/Converters.h"
#include "framework/de/TypedNumber.h"
#include "tools/hosting/ParameterChanges.h"
#include "tools/hosting/Vst3Host.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "public.sdk/source/common/memorystream.h"

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using qs::hosting::CVst3Host;
using quillstrip::AutomationOrder;
using quillstrip::EScale;
using quillstrip::SParameterRow;

namespace {

// Parameter ids (automation indices) used below.
enum : ParamID {
    kBypass = 0,
    kOversample = 1,
    kInputGain = 2,
    kInputPhase = 3,
    kInputDelay = 4,
    kBand1Type = 11,
    kGateScEnable = 50,
    kGateScMonitor = 51,
    kCompThreshold = 61,
    kCompScEnable = 68,
    kCompScMonitor = 69
};

std::string Ascii(const TChar* text)
{
    char out[129] = {};
    UString(const_cast<TChar*>(text), 128).toAscii(out, 128);
    return out;
}

// A little-endian walk over a chunk file image: id -> data.
std::map<uint32_t, std::vector<uint8_t>> Chunks(const std::vector<char>& image)
{
    std::map<uint32_t, std::vector<uint8_t>> chunks;
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<uint8_t>(image[at + static_cast<size_t>(i)]);
        return v;
    };
    EXPECT_GE(image.size(), 8u);
    EXPECT_EQ(std::string(image.data(), 4), "ZTCF");
    for (size_t at = 8; at + 8 <= image.size();) {
        const uint32_t id = u32(at), length = u32(at + 4);
        chunks.emplace(id,
                       std::vector<uint8_t>(image.begin() + static_cast<long>(at + 8),
                                            image.begin() + static_cast<long>(at + 8 + length)));
        at += 8 + length;
    }
    return chunks;
}

std::vector<float> SetValues(const std::vector<uint8_t>& chunk)
{
    std::vector<float> values((chunk.size() - 8) / 4);
    std::memcpy(values.data(), chunk.data() + 8, values.size() * 4);
    return values;
}

constexpr uint32_t kS000 = 0x30303053, kS001 = 0x31303053, kSnapshot = 0x62636B67, kPresetName = 0x70736E6D;

using Settings = std::vector<std::pair<ParamID, double>>;

// A loaded instance; with channels given, also set up and active, the settings made before
// activation as a host restoring a project makes them.
bool Open(CVst3Host& host, const Settings& settings = {}, int channels = 0, int side = 0, double rate = 48000,
          int block = 256)
{
    if (!host.Load(QS_BUNDLE) || !host.CreateInstance()) {
        ADD_FAILURE() << host.error();
        return false;
    }
    for (const auto& [id, value] : settings)
        host.SetNormalized(id, value);
    return channels == 0 || (host.SetBuses(channels, side) && host.Setup(rate, block) && host.SetActive(true));
}

std::vector<ParamValue> Values(IEditController* c)
{
    std::vector<ParamValue> values;
    for (int32 i = 0; i < c->getParameterCount() - 1; ++i)
        values.push_back(c->getParamNormalized(static_cast<ParamID>(i)));
    return values;
}

class Adapter : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Open(host)); }
    void Start(int channels = 2, int side = 0, double rate = 48000)
    {
        ASSERT_TRUE(host.SetBuses(channels, side));
        ASSERT_TRUE(host.Setup(rate, 256));
        ASSERT_TRUE(host.SetActive(true));
    }
    CVst3Host host;
};

}  // namespace

TEST(Factory, ClassesAndNames)
{
    CVst3Host host;
    ASSERT_TRUE(host.Load(QS_BUNDLE)) << host.error();
    IPluginFactory* factory = host.factory();
    PFactoryInfo info;
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Kelmora");
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 2);

    FUnknownPtr<IPluginFactory2> factory2(factory);
    ASSERT_TRUE(factory2);
    PClassInfo2 processor, controller;
    ASSERT_EQ(factory2->getClassInfo2(0, &processor), kResultOk);
    ASSERT_EQ(factory2->getClassInfo2(1, &controller), kResultOk);
    EXPECT_STREQ(processor.name, "Quillstrip Pro Small");
    EXPECT_STREQ(processor.category, "Audio Module Class");
    EXPECT_STREQ(processor.subCategories, "Fx");
    EXPECT_STREQ(processor.version, kQuillstripVersion);
    EXPECT_STREQ(processor.sdkVersion, kVstVersionString);
    EXPECT_EQ(processor.cardinality, PClassInfo::kManyInstances);
    EXPECT_STREQ(controller.name, "Quillstrip Pro SmallController");
    EXPECT_STREQ(controller.category, "Component Controller Class");
    EXPECT_EQ(factory2->getClassInfo2(2, &controller), kInvalidArgument);
}

TEST(Factory, SameFactoryOnEveryCall)
{
    void* library = dlopen(QS_BUNDLE "/Contents/x86_64-linux/Quillstrip Pro Small.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    using Get = IPluginFactory* (*)();
    auto get = reinterpret_cast<Get>(dlsym(library, "GetPluginFactory"));
    IPluginFactory* a = get();
    IPluginFactory* b = get();
    EXPECT_EQ(a, b);
    // The library keeps its own reference: releasing every host reference keeps it alive.
    a->release();
    b->release();
    IPluginFactory* c = get();
    EXPECT_EQ(c->countClasses(), 2);
    c->release();
    for (const char* name : {"ModuleEntry", "ModuleExit", "InitDll", "ExitDll", "ztpiMain"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    EXPECT_EQ(dlsym(library, "CopyNameField"), nullptr);
    // Unloading as hosts do lets the library's own reference go (a leak checker sees it).
    using Exit = bool (*)();
    reinterpret_cast<Exit>(dlsym(library, "ModuleExit"))();
    dlclose(library);
}

TEST(Factory, NameCopyKeepsBytesWhereTheNameAreaIsNotSevenBit)
{
    char area[60] = "Quillstrip Pro Small";
    area[3] = static_cast<char>(0xC3);
    char destination[64] = "n/a-----------------------------";
    zt::vst3::CopyNameField(destination, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", area);
    EXPECT_EQ(std::string(destination, 8), "ABC-EFGH");
}

TEST_F(Adapter, BusArrangements)
{
    IAudioProcessor* p = host.processor();
    SpeakerArrangement stereo = SpeakerArr::kStereo, mono = SpeakerArr::kMono;
    SpeakerArrangement ins[2] = {stereo, stereo}, outs[1] = {stereo};
    EXPECT_EQ(p->setBusArrangements(ins, 2, outs, 1), kResultTrue);
    SpeakerArrangement monoIn[1] = {mono};
    EXPECT_EQ(p->setBusArrangements(monoIn, 1, outs, 1), kResultFalse);  // mono in, stereo out
    SpeakerArrangement monoSide[2] = {stereo, mono};
    EXPECT_EQ(p->setBusArrangements(monoSide, 2, outs, 1), kResultFalse);  // stereo with a mono key
    SpeakerArrangement monoBoth[2] = {mono, mono}, monoOut[1] = {mono};
    EXPECT_EQ(p->setBusArrangements(monoBoth, 2, monoOut, 1), kResultTrue);

    BusInfo info;
    ASSERT_EQ(host.component()->getBusInfo(kAudio, kInput, 1, info), kResultOk);
    EXPECT_EQ(Ascii(info.name), "Mono Aux In");
    EXPECT_EQ(info.busType, kAux);
    EXPECT_EQ(info.flags & BusInfo::kDefaultActive, 0u);
    EXPECT_EQ(p->canProcessSampleSize(kSample64), kResultFalse);
}

// One unit per section, every automated parameter in one of them.
TEST_F(Adapter, UnitsGroupTheParametersBySection)
{
    auto* units = FUnknownPtr<IUnitInfo>(host.controller()).getInterface();
    ASSERT_NE(units, nullptr);
    std::map<int32, std::string> names;
    for (int32 u = 0; u < units->getUnitCount(); ++u) {
        UnitInfo info{};
        ASSERT_EQ(units->getUnitInfo(u, info), kResultOk);
        names[info.id] = Ascii(info.name);
        EXPECT_EQ(info.parentUnitId, u == 0 ? kNoParentUnitId : kRootUnitId);
    }
    EXPECT_EQ(names.size(), 15u);
    auto unitOf = [&](ParamID id) {
        ParameterInfo info{};
        host.controller()->getParameterInfo(static_cast<int32>(id), info);
        return names.count(info.unitId) ? names[info.unitId] : "?";
    };
    EXPECT_EQ(unitOf(kBypass), "Global");
    EXPECT_EQ(unitOf(kInputGain), "Input");
    EXPECT_EQ(unitOf(kBand1Type), "EQ Band 1");
    EXPECT_EQ(unitOf(kGateScMonitor), "Gate");
    EXPECT_EQ(unitOf(kCompThreshold), "Compressor");
    EXPECT_EQ(unitOf(60), "Compressor");  // "Compressor Type"
    EXPECT_EQ(unitOf(92), "Limiter");
}

// The host's preset menu lists every preset in the preset folder, and choosing one
// loads it as the file does, telling the host of each change.
TEST_F(Adapter, PresetsReachTheHostsPresetMenu)
{
    const std::string folder = std::string(std::getenv("HOME")) + "/.local/share/Kelmora/Quillstrip Pro/Presets/";
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    auto copy = [&](const std::string& from, const std::string& to) {
        std::ifstream in(from, std::ios::binary);
        std::ofstream(folder + to, std::ios::binary) << in.rdbuf();
    };
    copy(std::string(QS_PRESET_DIR) + "/Vocal.preset", "Vocal.preset");
    copy(std::string(QS_PRESET_DIR) + "/Kick.preset", "Kick.preset");

    IEditController* c = host.controller();
    auto* units = FUnknownPtr<IUnitInfo>(c).getInterface();
    ASSERT_NE(units, nullptr);
    ASSERT_EQ(units->getProgramListCount(), 1);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    ASSERT_EQ(list.programCount, 2);
    String128 name = {};
    ASSERT_EQ(units->getProgramName(list.id, 0, name), kResultOk);
    EXPECT_EQ(Ascii(name), "Kick");
    ASSERT_EQ(units->getProgramName(list.id, 1, name), kResultOk);
    EXPECT_EQ(Ascii(name), "Vocal");
    EXPECT_NE(units->getProgramName(list.id, 2, name), kResultOk);

    // The program-change parameter comes last.
    const int32 program = c->getParameterCount() - 1;
    ParameterInfo info{};
    ASSERT_EQ(c->getParameterInfo(program, info), kResultOk);
    EXPECT_NE(info.flags & ParameterInfo::kIsProgramChange, 0);
    EXPECT_EQ(info.stepCount, 1);

    const std::vector<ParamValue> before = Values(c);
    host.clearHandlerLog();
    ASSERT_EQ(c->setParamNormalized(info.id, 1.0), kResultOk);  // "Vocal"
    const auto log = host.handlerLog();
    EXPECT_GT(log.edits.size(), 3u);
    EXPECT_EQ(log.begins, static_cast<int>(log.edits.size()));
    const std::vector<ParamValue> after = Values(c);
    int changed = 0;
    for (size_t i = 0; i < after.size(); ++i)
        changed += after[i] != before[i];
    EXPECT_EQ(changed, static_cast<int>(log.edits.size()));

    // A preset added to the folder shows up the next time the host asks; one that is
    // damaged loads nothing and changes nothing.
    std::ofstream(folder + "Broken.preset") << "ZTCF not a preset";
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    EXPECT_EQ(list.programCount, 3);
    EXPECT_EQ(c->setParamNormalized(info.id, 0.0), kResultFalse);  // "Broken" sorts first
    EXPECT_EQ(Values(c), after);
}

// Every parameter's default, kind and steps as the table gives them, and what a host's
// generic editor shows.
TEST_F(Adapter, ParametersFollowTheParameterTable)
{
    IEditController* c = host.controller();
    const std::vector<const SParameterRow*> rows = AutomationOrder();
    ASSERT_EQ(rows.size(), 93u);
    ASSERT_EQ(c->getParameterCount(), 94);  // then the program change
    ParameterInfo info;
    for (int32 i = 0; i < c->getParameterCount() - 1; ++i) {
        const SParameterRow& row = *rows[static_cast<size_t>(i)];
        ASSERT_EQ(c->getParameterInfo(i, info), kResultOk);
        SCOPED_TRACE(row.name);
        const bool list = row.scale == EScale::kList;
        EXPECT_EQ((info.flags & ParameterInfo::kIsList) != 0, list);
        EXPECT_EQ(info.stepCount, list ? static_cast<int32>(row.maximum + 0.5) : 0);
        EXPECT_EQ((info.flags & ParameterInfo::kIsBypass) != 0, i == kBypass);
        // The reported default is the table's default, through the row's own converter.
        const int32_t kind = row.scale == EScale::kLog ? zt::de::IConverter::kLog
            : row.scale == EScale::kTrueLog            ? zt::de::IConverter::kTrueLog
                                                       : zt::de::IConverter::kLinear;
        const auto converter = zt::de::MakeConverter(kind, row.minimum, row.maximum, row.logBase ? *row.logBase : 0);
        EXPECT_NEAR(converter->FromNormalized(info.defaultNormalizedValue), row.defaultValue,
                    1e-5 * (row.maximum - row.minimum));
        // A host's reset to default sets it.
        ASSERT_EQ(c->setParamNormalized(static_cast<ParamID>(i), info.defaultNormalizedValue), kResultOk);
        EXPECT_NEAR(c->getParamNormalized(static_cast<ParamID>(i)), info.defaultNormalizedValue, 1e-6);
    }
    ASSERT_EQ(c->getParameterInfo(kBypass, info), kResultOk);
    EXPECT_EQ(Ascii(info.title), "Bypass");
    EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass);
    ASSERT_EQ(c->getParameterInfo(kCompThreshold, info), kResultOk);
    EXPECT_EQ(Ascii(info.units), "dB");
    EXPECT_NE(c->getParameterInfo(94, info), kResultOk);  // out of range is refused, not read
    EXPECT_EQ(host.ValueText(kCompThreshold, 0.5), "-20.0");
    EXPECT_EQ(host.ValueText(kBand1Type, 4.0 / 12.0), "Bell");
}

// What a host's generic editor prints, typed back, gives the same text: every list entry,
// and a sweep of every numeric range.
TEST_F(Adapter, TypedTextsRoundTrip)
{
    IEditController* c = host.controller();
    for (int32 i = 0; i < c->getParameterCount() - 1; ++i) {
        ParameterInfo info;
        ASSERT_EQ(c->getParameterInfo(i, info), kResultOk);
        const ParamID id = static_cast<ParamID>(i);
        const int points = info.stepCount > 0 ? info.stepCount : 40;
        for (int k = 0; k <= points; ++k) {
            const std::string text = host.ValueText(id, double(k) / points);
            TChar typed[128] = {};
            UString(typed, 128).fromAscii(text.c_str());
            ParamValue n = -1.0;
            ASSERT_EQ(c->getParamValueByString(id, typed, n), kResultOk) << Ascii(info.title) << " \"" << text << "\"";
            // Where the display changes its decimals ("10.0K" just below 10 kHz) the text
            // may change, never the number it means.
            const std::string again = host.ValueText(id, n);
            double meant = 0.0, meantAgain = 1.0;
            const char* units[] = {"dB", nullptr};
            if (again != text) {
                ASSERT_TRUE(zt::de::ParseTypedNumber(text.c_str(), units, meant)) << text;
                ASSERT_TRUE(zt::de::ParseTypedNumber(again.c_str(), units, meantAgain)) << again;
                EXPECT_EQ(meant, meantAgain) << Ascii(info.title) << " \"" << text << "\" became \"" << again << "\"";
            }
        }
    }
}

TEST_F(Adapter, TypedValuesMeanWhatAUserTypes)
{
    IEditController* c = host.controller();
    auto typed = [&](ParamID id, const char* text, ParamValue& n) {
        TChar wide[128] = {};
        UString(wide, 128).fromAscii(text);
        n = -1.0;
        return c->getParamValueByString(id, wide, n);
    };
    const ParamID band3Freq = 21, band3Type = 23, inputGain = kInputGain;
    ParamValue n;
    // A plain number is that number in the parameter's unit, with or without the unit or "K".
    for (const char* text : {"1000", "1000 Hz", "1.0K", "1k", " 1000hz "}) {
        ASSERT_EQ(typed(band3Freq, text, n), kResultOk) << text;
        ASSERT_EQ(c->setParamNormalized(band3Freq, n), kResultOk);
        EXPECT_EQ(host.ValueText(band3Freq, c->getParamNormalized(band3Freq)), "1.0K") << text;
    }
    ASSERT_EQ(typed(band3Type, "bell", n), kResultOk);
    EXPECT_EQ(host.ValueText(band3Type, n), "Bell");
    ASSERT_EQ(typed(kBypass, "On", n), kResultOk);
    EXPECT_EQ(n, 1.0);
    ASSERT_EQ(typed(inputGain, "-Inf", n), kResultOk);
    EXPECT_EQ(n, 0.0);
    ASSERT_EQ(typed(inputGain, "-6 dB", n), kResultOk);
    EXPECT_EQ(host.ValueText(inputGain, n), "-6.0dB");

    // Refused, and nothing changes.
    ASSERT_EQ(c->setParamNormalized(kCompThreshold, 0.5), kResultOk);
    for (const char* text : {"", "abc", "12abc", "nan", "inf", "1e3", "0x10", "-100", "5", "@"}) {
        EXPECT_EQ(typed(kCompThreshold, text, n), kResultFalse) << text;
        EXPECT_EQ(n, -1.0) << text;
    }
    EXPECT_EQ(typed(band3Type, "Shelf", n), kResultFalse);
    EXPECT_EQ(typed(band3Type, "13", n), kResultFalse);
    EXPECT_EQ(typed(9999, "1", n), kResultFalse);
    EXPECT_DOUBLE_EQ(c->getParamNormalized(kCompThreshold), 0.5);
}

TEST_F(Adapter, PlugInEditsAndLatencyReachTheHost)
{
    Start();
    IEditController* c = host.controller();
    host.clearHandlerLog();
    c->setParamNormalized(kGateScMonitor, 1.0);  // turns the gate key filter on for us
    auto log = host.handlerLog();
    ASSERT_EQ(log.edits.size(), 1u);
    EXPECT_EQ(log.edits[0].first, kGateScEnable);
    EXPECT_EQ(log.edits[0].second, 1.0);
    EXPECT_EQ(log.begins, 1);
    EXPECT_EQ(log.ends, 1);

    c->setParamNormalized(kOversample, 1.0);
    EXPECT_EQ(host.handlerLog().restarts, (std::vector<int32>{kLatencyChanged}));
    EXPECT_EQ(host.processor()->getLatencySamples(), 279u);
}

TEST_F(Adapter, SilentInputsReachThePlugInAsZerosAndSilentOutputIsFlagged)
{
    Start();
    std::vector<float> l(64, 0.5f), r(64, 0.5f), ol(64, 9.0f), or_(64, 9.0f);
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {ol.data(), or_.data()};
    EXPECT_TRUE(host.Process(in, 2, nullptr, 0, out, 2, 64, 0x3));
    EXPECT_EQ(ol, std::vector<float>(64, 0.0f));
    EXPECT_EQ(l, std::vector<float>(64, 0.5f));  // the host's buffers are left alone
    EXPECT_EQ(host.outputSilence(), 0x3u);
    EXPECT_TRUE(host.Process(in, 2, nullptr, 0, out, 2, 64));
    EXPECT_EQ(ol, l);
    EXPECT_EQ(host.outputSilence(), 0u);
    r.assign(64, 0.0f);  // one silent channel of two
    EXPECT_TRUE(host.Process(in, 2, nullptr, 0, out, 2, 64));
    EXPECT_EQ(host.outputSilence(), 0x2u);
}

TEST_F(Adapter, RatesOutsideEightTo384KHzAreRefused)
{
    Start(2, 0, 48000);
    ASSERT_TRUE(host.SetActive(false));
    for (const double rate : {0.0, 1.0, 7999.0, 384001.0, 2147483647.0, std::nan("")}) {
        ProcessSetup setup{kRealtime, kSample32, 256, rate};
        EXPECT_EQ(host.processor()->setupProcessing(setup), kResultFalse) << rate;
    }
    ProcessSetup setup{kRealtime, kSample32, 256, 384000.0};
    EXPECT_EQ(host.processor()->setupProcessing(setup), kResultOk);
    ASSERT_TRUE(host.SetActive(true));
    std::vector<float> l(256, 0.25f), ol(256), or_(256);
    float* in[2] = {l.data(), l.data()};
    float* out[2] = {ol.data(), or_.data()};
    EXPECT_TRUE(host.Process(in, 2, nullptr, 0, out, 2, 256));
    EXPECT_EQ(ol, l);
}

// Hosts that hand fewer channels than arranged, or null buffers, get no read through a
// null pointer: the missing main channel reads as the first, a missing output is a flush.
TEST_F(Adapter, MissingChannelsAndNullBuffersAreSurvived)
{
    Start(2, 2);
    std::vector<float> l(64, 0.25f), ol(64, 9.0f), or_(64, 9.0f);
    float* in[2] = {l.data(), nullptr};
    float* out[2] = {ol.data(), or_.data()};
    EXPECT_TRUE(host.Process(in, 1, nullptr, 0, out, 2, 64));  // stereo bus, one channel given
    EXPECT_EQ(or_, l);
    EXPECT_TRUE(host.Process(in, 2, nullptr, 0, out, 2, 64));  // a null channel
    EXPECT_EQ(or_, l);
    float* side[2] = {nullptr, nullptr};
    EXPECT_TRUE(host.Process(in, 1, side, 2, out, 2, 64));  // null side-chain buffers
    float* noOut[2] = {ol.data(), nullptr};
    ol.assign(64, 9.0f);
    EXPECT_TRUE(host.Process(in, 1, nullptr, 0, noOut, 2, 64));  // a null output: nothing written
    EXPECT_EQ(ol, std::vector<float>(64, 9.0f));
}

TEST_F(Adapter, OversamplingDelaysByTheReportedLatency)
{
    host.SetNormalized(kOversample, 1.0);
    Start(2, 0, 44100);
    const uint32 latency = host.processor()->getLatencySamples();
    ASSERT_EQ(latency, 279u);
    std::vector<float> l(1024, 0.0f), r(1024, 0.0f), ol(1024), or_(1024);
    l[0] = 1.0f;
    for (int at = 0; at < 1024; at += 256) {
        float* in[2] = {l.data() + at, r.data() + at};
        float* out[2] = {ol.data() + at, or_.data() + at};
        host.Process(in, 2, nullptr, 0, out, 2, 256);
    }
    size_t peak = 0;
    double sum = 0;
    for (size_t i = 0; i < ol.size(); ++i) {
        sum += ol[i];
        if (std::fabs(ol[i]) > std::fabs(ol[peak]))
            peak = i;
    }
    EXPECT_EQ(peak, latency);
    EXPECT_NEAR(sum, 1.0, 1e-4);
}

TEST_F(Adapter, FreshStateHoldsTheDefaults)
{
    Start();
    const auto chunks = Chunks(host.GetState());
    ASSERT_TRUE(chunks.count(kS000) && chunks.count(kS001) && chunks.count(kSnapshot));
    EXPECT_FALSE(chunks.count(kPresetName));
    const std::vector<float> set0 = SetValues(chunks.at(kS000));
    ASSERT_EQ(set0.size(), 94u);
    EXPECT_FLOAT_EQ(set0[2], 80.0f);    // EQ band 1 frequency
    EXPECT_FLOAT_EQ(set0[38], -16.0f);  // compressor threshold
    EXPECT_FLOAT_EQ(set0[55], -0.3f);   // limiter threshold
    EXPECT_EQ(SetValues(chunks.at(kS001)), (std::vector<float>{0, 0, 1, 1, 1}));
    // The snapshot is itself a chunk file holding set 0.
    const std::vector<uint8_t>& snapshot = chunks.at(kSnapshot);
    const auto inner = Chunks(std::vector<char>(snapshot.begin(), snapshot.end()));
    EXPECT_EQ(SetValues(inner.at(kS000)).size(), 94u);
}

TEST_F(Adapter, StateRoundTripAndOlderStates)
{
    Start();
    host.SetNormalized(kCompThreshold, 0.25);
    host.SetNormalized(kInputDelay, 0.5);
    host.SetNormalized(kBypass, 1.0);
    std::vector<char> state = host.GetState();

    CVst3Host other;
    ASSERT_TRUE(Open(other));
    ASSERT_EQ(other.SetState(state), kResultOk);
    EXPECT_DOUBLE_EQ(other.GetNormalized(kCompThreshold), 0.25);
    EXPECT_DOUBLE_EQ(other.GetNormalized(kInputDelay), 0.5);
    EXPECT_DOUBLE_EQ(other.GetNormalized(kBypass), 1.0);

    // A state from an older version with 90 set-0 values: 90..93 go to their defaults.
    other.SetNormalized(kOversample, 1.0);  // number 93
    const uint32_t s000 = kS000;
    for (size_t at = 8; at + 8 <= state.size();) {
        uint32_t id, length;
        std::memcpy(&id, &state[at], 4);
        std::memcpy(&length, &state[at + 4], 4);
        if (id == s000) {
            const uint32_t count = 90, shorter = length - 16;
            std::memcpy(&state[at + 4], &shorter, 4);
            std::memcpy(&state[at + 12], &count, 4);
            state.erase(state.begin() + static_cast<long>(at + 8 + shorter),
                        state.begin() + static_cast<long>(at + 8 + length));
            break;
        }
        at += 8 + length;
    }
    ASSERT_EQ(other.SetState(state), kResultOk);
    EXPECT_DOUBLE_EQ(other.GetNormalized(kOversample), 0.0);
    EXPECT_DOUBLE_EQ(other.GetNormalized(kCompThreshold), 0.25);
}

TEST_F(Adapter, DamagedOrEmptyStatesChangeNothing)
{
    Start();
    host.SetNormalized(kCompThreshold, 0.75);
    const std::vector<char> good = host.GetState();
    std::vector<std::vector<char>> bad = {
        {},                                                  // empty stream
        {'Z', 'T', 'C'},                                     // too short
        std::vector<char>(good.begin(), good.end()),         // wrong magic, below
        std::vector<char>(good.begin(), good.begin() + 30),  // set chunk cut short
    };
    bad[2][0] = 'X';
    // Random bytes, and a set chunk that claims more values than it holds.
    std::vector<char> random(300);
    uint32_t seed = 7;
    for (char& c : random)
        c = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
    bad.push_back(random);
    std::vector<char> lying = good;
    const uint32_t huge = 100000;
    std::memcpy(&lying[20], &huge, 4);  // S000's count
    bad.push_back(lying);

    host.SetNormalized(kCompThreshold, 0.5);
    for (size_t i = 0; i < bad.size(); ++i) {
        const tresult result = host.SetState(bad[i]);
        if (!bad[i].empty()) {
            EXPECT_EQ(result, kResultFalse) << "state " << i;
        }
        EXPECT_DOUBLE_EQ(host.GetNormalized(kCompThreshold), 0.5) << "state " << i;
    }
}

// A change that reaches only process() (an offline bounce, a host that does not also
// tell the controller) takes its whole audible effect where it lands, exactly as the
// same change made through the controller before that block.
TEST(AdapterAutomation, ChangesWithTheAudioApplyAsFullyAsControllerChanges)
{
    struct SCase {
        ParamID id;
        double value;
    };
    for (const SCase change : {SCase{kCompScMonitor, 1.0}, SCase{kGateScMonitor, 1.0}, SCase{kOversample, 1.0}}) {
        std::vector<std::vector<float>> rendered;
        for (const bool throughProcess : {true, false}) {
            // Compressor and limiter on; the key filters as they come (off).
            CVst3Host host;
            ASSERT_TRUE(Open(host, {{58, 1.0}, {61, 0.2}, {43, 1.0}, {89, 1.0}, {76, 1.0}, {86, 1.0}}, 2));
            std::vector<float> l(256), r(256), ol(256), or_(256), all;
            float* in[2] = {l.data(), r.data()};
            float* out[2] = {ol.data(), or_.data()};
            for (int block = 0; block < 40; ++block) {
                for (size_t i = 0; i < 256; ++i) {
                    const double t = double(block * 256 + int(i)) / 48000.0;
                    l[i] = static_cast<float>(0.6 * std::sin(2 * M_PI * 110 * t) + 0.2 * std::sin(2 * M_PI * 5000 * t));
                    r[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * 220 * t));
                }
                qs::hosting::CParameterChanges changes;
                if (block == 10) {
                    if (throughProcess)
                        changes.Add(change.id, 0, change.value);
                    else
                        host.SetNormalized(change.id, change.value);
                }
                ASSERT_TRUE(host.Process(in, 2, nullptr, 0, out, 2, 256, 0, changes.Empty() ? nullptr : &changes));
                if (block >= 10)
                    all.insert(all.end(), ol.begin(), ol.end());
            }
            rendered.push_back(all);
        }
        EXPECT_EQ(rendered[0], rendered[1]) << "parameter " << change.id;
    }
}

TEST_F(Adapter, AutomationWithTheAudioLandsAtItsSubBlock)
{
    Start();
    // Phase inverted at frame 70 of a 128-frame block: the sub-block holding frame 70
    // starts at 64, so frames 64.. are inverted and 0..63 are not.
    qs::hosting::CParameterChanges changes;
    changes.Add(kInputPhase, 70, 1.0);
    std::vector<float> l(128, 0.5f), r(128, 0.5f), ol(128), or_(128);
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {ol.data(), or_.data()};
    ASSERT_TRUE(host.Process(in, 2, nullptr, 0, out, 2, 128, 0, &changes));
    EXPECT_EQ(ol[63], 0.5f);
    EXPECT_EQ(ol[64], -0.5f);
    EXPECT_EQ(or_[127], -0.5f);
    EXPECT_DOUBLE_EQ(host.GetNormalized(kInputPhase), 1.0);  // the controller follows

    // A smoothed parameter starts its ramp there: the gain moves from the next sub-block.
    changes.Clear();
    changes.Add(kInputGain, 40, 0.0);
    ASSERT_TRUE(host.Process(in, 2, nullptr, 0, out, 2, 128, 0, &changes));
    EXPECT_EQ(ol[63], -0.5f);
    EXPECT_GT(ol[64], -0.5f);
    EXPECT_EQ(ol[64], ol[95]);

    // A flush call with no buffers still applies its changes.
    changes.Clear();
    changes.Add(kCompThreshold, 0, 0.25);
    EXPECT_TRUE(host.Flush(&changes));
    EXPECT_DOUBLE_EQ(host.GetNormalized(kCompThreshold), 0.25);

    // Changes whose follow-up belongs to the UI thread complete at its next call.
    changes.Clear();
    changes.Add(kOversample, 5, 1.0);
    host.clearHandlerLog();
    ASSERT_TRUE(host.Process(in, 2, nullptr, 0, out, 2, 128, 0, &changes));
    EXPECT_TRUE(host.handlerLog().restarts.empty());
    EXPECT_DOUBLE_EQ(host.GetNormalized(kOversample), 1.0);  // a UI-thread call
    EXPECT_EQ(host.handlerLog().restarts, (std::vector<int32>{kLatencyChanged}));
    EXPECT_EQ(host.processor()->getLatencySamples(), 279u);
}

TEST_F(Adapter, BlockSizesDoNotChangeTheOutput)
{
    // Settings made before activation (as a host restoring a project does) are in force
    // from the first frame, so the host's block size cannot change the sound.
    auto render = [](int block) {
        CVst3Host h;
        // EQ band 1 (7) on: a low cut at 80 Hz.
        EXPECT_TRUE(Open(h, {{kInputGain, 0.3}, {7, 1.0}, {kInputDelay, 0.001}}, 2, 0, 48000, 4097));
        const size_t total = 8192;
        std::vector<float> l(total), r(total), ol(total), or_(total);
        for (size_t i = 0; i < total; ++i)
            l[i] = r[i] = static_cast<float>(std::sin(0.01 * double(i)));
        for (size_t at = 0; at < total; at += static_cast<size_t>(block)) {
            const int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(block), total - at));
            float* in[2] = {l.data() + at, r.data() + at};
            float* out[2] = {ol.data() + at, or_.data() + at};
            h.Process(in, 2, nullptr, 0, out, 2, n);
        }
        return ol;
    };
    const std::vector<float> reference = render(512);
    EXPECT_EQ(render(1), reference);
    EXPECT_EQ(render(4097), reference);
}

TEST(AdapterChannels, AllOffChainIsBitExactInEveryLayout)
{
    struct SLayout {
        int channels, side;
    };
    for (const SLayout layout : {SLayout{1, 0}, SLayout{2, 0}, SLayout{1, 1}, SLayout{2, 2}}) {
        CVst3Host host;
        ASSERT_TRUE(Open(host, {}, layout.channels, layout.side, 44100, 1024));
        std::vector<std::vector<float>> in(2, std::vector<float>(1000)), side(2, std::vector<float>(1000, 0.25f)),
            out(2, std::vector<float>(1000));
        uint32_t seed = 1;
        for (auto& c : in)
            for (float& v : c)
                v = static_cast<float>(static_cast<int32_t>(seed = seed * 1664525u + 1013904223u) / 2147483648.0);
        float* inPtr[2] = {in[0].data(), in[1].data()};
        float* sidePtr[2] = {side[0].data(), side[1].data()};
        float* outPtr[2] = {out[0].data(), out[1].data()};
        for (int bypass : {0, 1}) {
            host.SetNormalized(kBypass, bypass);
            ASSERT_TRUE(host.Process(inPtr, layout.channels, layout.side ? sidePtr : nullptr, layout.side, outPtr,
                                     layout.channels, 1000));
            for (int c = 0; c < layout.channels; ++c)
                EXPECT_EQ(out[static_cast<size_t>(c)], in[static_cast<size_t>(c)])
                    << layout.channels << "/" << layout.side << " bypass " << bypass;
        }
    }
}

TEST(AdapterChannels, TheAuxBusKeysTheGate)
{
    // Gate on, keyed from the aux bus through a key filter that passes everything heard.
    CVst3Host host;
    ASSERT_TRUE(
        Open(host, {{43, 1.0}, {44, 0.75}, {50, 1.0}, {52, 1.0}, {53, 0.0}, {54, 0.0}, {57, 0.0}}, 2, 2, 48000, 512));
    std::vector<float> l(512), r(512), quiet(512, 0.0f), loud(512), ol(512), or_(512);
    for (size_t i = 0; i < 512; ++i)
        l[i] = r[i] = loud[i] = static_cast<float>(0.5 * std::sin(0.07 * double(i)));
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {ol.data(), or_.data()};
    float* silentKey[2] = {quiet.data(), quiet.data()};
    float* loudKey[2] = {loud.data(), loud.data()};
    // The loudest sample of the last of twenty blocks keyed by key.
    auto peakWith = [&](float** key) {
        for (int block = 0; block < 20; ++block)
            host.Process(in, 2, key, 2, out, 2, 512);
        float peak = 0;
        for (float v : ol)
            peak = std::max(peak, std::fabs(v));
        return peak;
    };
    EXPECT_LT(peakWith(silentKey), 1e-3f);  // no key: closed
    EXPECT_GT(peakWith(loudKey), 0.45f);    // key present: open

    // With its bus switched off the aux buffers are not the key: the main input is, and
    // it is loud, so the gate stays open on a silent aux.
    host.SetActive(false);
    host.component()->activateBus(kAudio, kInput, 1, false);
    host.SetActive(true);
    EXPECT_GT(peakWith(silentKey), 0.45f);
}

TEST_F(Adapter, ControllerStateIs257Bytes)
{
    IEditController* c = host.controller();
    Steinberg::MemoryStream stream;
    ASSERT_EQ(c->getState(&stream), kResultOk);
    EXPECT_EQ(stream.getSize(), 257);
    stream.seek(0, IBStream::kIBSeekSet, nullptr);
    EXPECT_EQ(c->setState(&stream), kResultOk);
    Steinberg::MemoryStream shortStream;
    int32 written;
    char bytes[100] = {};
    shortStream.write(bytes, 100, &written);
    shortStream.seek(0, IBStream::kIBSeekSet, nullptr);
    EXPECT_NE(c->setState(&shortStream), kResultOk);
}
