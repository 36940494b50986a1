// The parameters as a host and the editor see them: names, ranges, defaults,
// rounding, value texts, and which parameters are automated.
#include "tests/support/PlugInHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

using namespace quillstrip;
using Info = zt::ztpi::SAutomationInfo;

namespace {

struct Expected {
    const char* name;
    float min, max, def;
    int32_t steps;  // list entries - 1; 0 for continuous
    const char* unit;
};

// The automation list as the host sees it, in parameter-id order. EQ bands follow
// their own pattern and are checked separately.
const Expected kFixed[] = {
    {"Bypass", 0, 1, 0, 1, ""},      {"Oversample Enable", 0, 1, 0, 1, ""}, {"Input Gain", 0, 1.4142135f, 1, 0, ""},
    {"Input Phase", 0, 1, 0, 1, ""}, {"Input Delay", 0, 19200, 0, 0, ""},   {"Output Gain", 0, 1.4142135f, 1, 0, ""},
    {"Routing", 0, 1, 1, 1, ""},
};
const Expected kDynamicsAndAfter[] = {
    // ids 43..92
    {"Gate Enable", 0, 1, 0, 1, ""},
    {"Gate Threshold", -80, 0, -50, 0, "dB"},
    {"Gate Hold", 1, 1000, 10, 0, ""},
    {"Gate Attack", 0.5f, 300, 50, 0, ""},
    {"Gate Release", 10, 300, 120, 0, ""},
    {"Gate Mix", 0, 100, 100, 0, ""},
    {"Gate Detection Mode", 0, 2, 1, 2, ""},
    {"Gate SC Enable", 0, 1, 0, 1, ""},
    {"Gate SC Monitor", 0, 1, 0, 1, ""},
    {"Gate SC Input", 0, 1, 0, 1, ""},
    {"Gate SC Type", 0, 12, 2, 12, ""},
    {"Gate SC Freq", 16, 20400, 6000, 0, "Hz"},
    {"Gate SC Q", 0.1f, 100, 0.5f, 0, ""},
    {"Gate SC Gain", -24, 18, 0, 0, "dB"},
    {"Gate SC Output", 0, 24, 12, 0, "dB"},
    {"Comp Enable", 0, 1, 0, 1, ""},
    {"Comp Mode", 0, 2, 2, 2, ""},
    {"Compressor Type", 0, 1, 0, 1, ""},
    {"Comp Threshold", -40, 0, -16, 0, "dB"},
    {"Comp Ratio", 1.01f, 30, 4.5f, 0, ""},
    {"Comp Knee", 0, 100, 60, 0, "%"},
    {"Comp Attack", 0.5f, 300, 45, 0, ""},
    {"Comp Release", 10, 5000, 120, 0, ""},
    {"Comp Output", -12, 24, 0, 0, "dB"},
    {"Comp Detection Mode", 0, 2, 1, 2, ""},
    {"Comp SC Enable", 0, 1, 0, 1, ""},
    {"Comp SC Monitor", 0, 1, 0, 1, ""},
    {"Comp SC Input", 0, 1, 0, 1, ""},
    {"Comp SC Type", 0, 12, 9, 12, ""},
    {"Comp SC Freq", 16, 20400, 120, 0, "Hz"},
    {"Comp SC Q", 0.1f, 100, 0.5f, 0, ""},
    {"Comp SC Gain", -24, 18, 0, 0, "dB"},
    {"Comp SC Output", 0, 24, 0, 0, "dB"},
    {"Stereo Enable", 0, 1, 0, 1, ""},
    {"Stereo Auto Gain", 0, 1, 0, 1, ""},
    {"Stereo Low Solo", 0, 1, 0, 1, ""},
    {"Stereo Low", -100, 100, -40, 0, "%"},
    {"Stereo Mid Solo", 0, 1, 0, 1, ""},
    {"Stereo Mid", -100, 100, 0, 0, "%"},
    {"Stereo High Solo", 0, 1, 0, 1, ""},
    {"Stereo High", -100, 100, 25, 0, "%"},
    {"Stereo Freq Low", 16, 20400, 800, 0, "Hz"},
    {"Stereo Freq High", 16, 20400, 4000, 0, "Hz"},
    {"Saturation Enable", 0, 1, 0, 1, ""},
    {"Saturation Mode", 0, 2, 2, 2, ""},
    {"Saturation Mix", 0, 100, 100, 0, ""},
    {"Limiter Enable", 0, 1, 0, 1, ""},
    {"Limiter Input", 0, 24, 6, 0, "dB"},
    {"Limiter Threshold", -24, 0, -0.3f, 0, "dB"},
    {"Limiter Release", 100, 5000, 260, 0, ""},
};

void ExpectRow(const Info& info, const Expected& e, int32_t index)
{
    SCOPED_TRACE("automation index " + std::to_string(index));
    EXPECT_STREQ(info.name, e.name);
    EXPECT_FLOAT_EQ(info.minimum, e.min);
    EXPECT_FLOAT_EQ(info.maximum, e.max);
    EXPECT_FLOAT_EQ(info.defaultValue, e.def);
    EXPECT_EQ(info.kind == Info::kList ? static_cast<int32_t>(e.max - e.min) : 0, e.steps);
    EXPECT_STREQ(info.unit, e.unit);
}

std::string Text(zt::ztpi::IPlugIn& p, int32_t index, float value)
{
    char text[zt::ztpi::kTextSize];
    p.GetParameterText(index, value, text);
    return text;
}

}  // namespace

TEST(ParameterTable, AutomationListMatchesTheDesign)
{
    PlugInHarness h;
    zt::ztpi::IPlugIn& p = h.plugIn();
    ASSERT_EQ(p.GetNumParameters(), 93);
    Info info;
    for (int32_t i = 0; i < 7; ++i) {
        p.GetAutomationInfo(i, &info);
        ExpectRow(info, kFixed[i], i);
    }
    for (int32_t i = 43; i < 93; ++i) {
        p.GetAutomationInfo(i, &info);
        ExpectRow(info, kDynamicsAndAfter[i - 43], i);
    }

    const float freq[6] = {80, 140, 800, 3000, 6000, 16000};
    const float q[6] = {0.5f, 60, 0.4f, 0.4f, 70, 1.07f};
    const float type[6] = {1, 3, 4, 4, 5, 7};
    for (int32_t b = 0; b < 6; ++b) {
        const std::string n = "EQ Band " + std::to_string(b + 1);
        const int32_t base = 7 + 6 * b;
        const Expected rows[6]
            = {{"", 0, 1, 0, 1, ""},         {"", -24, 18, 0, 0, "dB"},    {"", 16, 20400, freq[b], 0, "Hz"},
               {"", 0.1f, 100, q[b], 0, ""}, {"", 0, 12, type[b], 12, ""}, {"", 0, 1, 0, 1, ""}};
        const char* suffix[6] = {" Enable", " Gain", " Freq", " Q", " Type", " Solo"};
        for (int32_t k = 0; k < 6; ++k) {
            p.GetAutomationInfo(base + k, &info);
            const std::string name = n + suffix[k];
            Expected e = rows[k];
            e.name = name.c_str();
            ExpectRow(info, e, base + k);
            EXPECT_EQ(info.set, 0);
            EXPECT_EQ(info.number, 6 * b + k);
        }
    }
}

TEST(ParameterTable, SetsAndWhatIsLeftOutOfAutomation)
{
    PlugInHarness h;
    auto& pm = h.parameters();
    EXPECT_EQ(pm.GetNumParameters(0), 94);
    EXPECT_EQ(pm.GetNumParameters(1), 5);
    EXPECT_EQ(pm.GetNumParameters(2), 8);

    std::set<std::pair<int32_t, int32_t>> automated;
    Info info;
    for (int32_t i = 0; i < h.plugIn().GetNumParameters(); ++i) {
        h.plugIn().GetAutomationInfo(i, &info);
        EXPECT_TRUE(automated.insert({info.set, info.number}).second) << "duplicate at " << i;
    }
    EXPECT_EQ(automated.size(), 93u);
    EXPECT_FALSE(automated.count({0, kEqSection}));
    EXPECT_FALSE(automated.count({0, kPanelLayout}));
    for (int32_t n = 1; n < 5; ++n)
        EXPECT_FALSE(automated.count({1, n}));
    for (int32_t n = 0; n < 8; ++n)
        EXPECT_FALSE(automated.count({2, n}));

    // Defaults of the parameters the host never sees.
    EXPECT_EQ(pm.GetValue(kEqSection, 0), 1.0f);
    EXPECT_EQ(pm.GetValue(kAnalyserSource, 1), 1.0f);
    EXPECT_EQ(pm.GetValue(kToolTipsEQ, 2), 1.0f);
    EXPECT_EQ(pm.GetParameter(kHue, 2)->GetMinimum(), -180.0f);
}

TEST(ParameterTable, StoredValuesAreClampedAndRounded)
{
    PlugInHarness h;
    auto& p = h.plugIn();
    auto& pm = h.parameters();
    p.SetParameter(10, 0.123456f);  // EQ Band 1 Q: two decimals
    EXPECT_FLOAT_EQ(pm.GetValue(3, 0), 0.12f);
    p.SetParameter(62, 4.567f);  // Comp Ratio
    EXPECT_FLOAT_EQ(pm.GetValue(kCompRatio, 0), 4.57f);
    p.SetParameter(kIdxInputGain, 1.23456f);  // no rounding
    EXPECT_FLOAT_EQ(pm.GetValue(kInputGain, 0), 1.23456f);
    p.SetParameter(kIdxCompThreshold, -50.0f);
    EXPECT_FLOAT_EQ(pm.GetValue(kCompThreshold, 0), -40.0f);
    p.SetParameter(11, 3.6f);  // a list takes the nearest entry
    EXPECT_FLOAT_EQ(pm.GetValue(4, 0), 4.0f);
    p.SetParameter(11, 3.4f);
    EXPECT_FLOAT_EQ(pm.GetValue(4, 0), 3.0f);
}

TEST(ParameterTable, NonFiniteValuesNeverReachTheStore)
{
    PlugInHarness h;
    auto& p = h.plugIn();
    const float inf = std::numeric_limits<float>::infinity();
    p.SetParameter(kIdxCompThreshold, -20.0f);
    p.SetParameter(kIdxCompThreshold, std::nanf(""));
    EXPECT_FLOAT_EQ(p.GetParameter(kIdxCompThreshold), -20.0f);
    p.SetParameter(kIdxCompThreshold, inf);
    EXPECT_FLOAT_EQ(p.GetParameter(kIdxCompThreshold), 0.0f);
    p.SetParameter(kIdxCompThreshold, -inf);
    EXPECT_FLOAT_EQ(p.GetParameter(kIdxCompThreshold), -40.0f);
    p.SetParameter(11, inf);  // list: clamped before rounding
    EXPECT_FLOAT_EQ(p.GetParameter(11), 12.0f);
    p.SetParameter(11, -inf);
    EXPECT_FLOAT_EQ(p.GetParameter(11), 0.0f);
    p.SetParameter(11, std::nanf(""));
    EXPECT_FLOAT_EQ(p.GetParameter(11), 0.0f);
}

TEST(ParameterTable, ValueTexts)
{
    PlugInHarness h;
    auto& p = h.plugIn();
    const int32_t band3Type = 7 + 12 + 4;
    EXPECT_EQ(Text(p, band3Type, 4), "Bell");
    EXPECT_EQ(Text(p, band3Type, 11), "Low Cut 48dB");
    EXPECT_EQ(Text(p, band3Type, 12), "High Cut 48dB");
    EXPECT_EQ(Text(p, band3Type, 0), "Low Cut 12dB");
    EXPECT_EQ(Text(p, kIdxRouting, 1), "Dynamics To EQ");
    EXPECT_EQ(Text(p, kIdxCompThreshold, -16), "-16.0");
    EXPECT_EQ(Text(p, 9, 2500), "2.5K");  // EQ Band 1 Freq
    EXPECT_EQ(Text(p, 9, 16000), "16K");
    EXPECT_EQ(Text(p, 9, 440), "440.0");
    EXPECT_EQ(Text(p, 54, 440), "440");  // Gate SC Freq: no decimals below 1 kHz
    EXPECT_EQ(Text(p, kIdxInputGain, 1.0f), "0.0dB");
    EXPECT_EQ(Text(p, kIdxInputGain, 0.7f), "-6.2dB");
    EXPECT_EQ(Text(p, kIdxInputGain, 0.5f), "-12dB");
    EXPECT_EQ(Text(p, kIdxInputGain, 1.4142135f), "12.0dB");
    EXPECT_EQ(Text(p, kIdxOutputGain, 0.0f), "-Inf");
    EXPECT_EQ(Text(p, 62, 4.5f), "4.5");    // Comp Ratio
    EXPECT_EQ(Text(p, 4, 19200), "19200");  // Input Delay

    // The short list carries short texts and no units.
    const auto& shortInfo = h.product().GetShortInfo(band3Type);
    EXPECT_STREQ(shortInfo.valueTexts, "LC12@LC18@LC36@LSlf@Bell@HSlf@HC12@HC18@HC36@BPss@BStp@LC48@HC48");
    EXPECT_STREQ(h.product().GetShortInfo(kIdxCompThreshold).unit, "");
}
