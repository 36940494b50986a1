#include "product/plugin/QuillstripParameterTable.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace quillstrip {

const char* const kFilterTypeTexts
    = "Low Cut 12dB@Low Cut 18dB@Low Cut 36dB@Low Shelf@Bell@High Shelf@High Cut 12dB@High Cut 18dB@"
      "High Cut 36dB@Band Pass@Band Stop@Low Cut 48dB@High Cut 48dB";
const char* const kFilterTypeShortTexts = "LC12@LC18@LC36@LSlf@Bell@HSlf@HC12@HC18@HC36@BPss@BStp@LC48@HC48";

namespace {

const unsigned kBase500 = 500;
const unsigned kBase50 = 50;

const char* const kOffOn = "Off@On";
const char* const kDetection = "Peak@Power@C-165";
const char* const kDetectionShort = "Peak@Pwer@C165";
const char* const kKeySource = "Internal@External";
const char* const kKeySourceShort = "Int@Ext";

SParameterRow Hidden(int32_t set, int32_t number, float min, float max, float def, int32_t decimals)
{
    return {set, number, "", min, max, def, decimals, EScale::kNone, nullptr, 0, "", "", "", EDisplay::kPlain, -1};
}

SParameterRow Switch(int32_t number, const char* name, float def, int32_t index)
{
    return {0, number, name, 0, 1, def, 0, EScale::kList, nullptr, 0, "", kOffOn, kOffOn, EDisplay::kPlain, index};
}

SParameterRow List(int32_t number, const char* name, float max, float def, const char* texts, const char* shortTexts,
                   int32_t index)
{
    return {0, number, name, 0, max, def, 0, EScale::kList, nullptr, 0, "", texts, shortTexts, EDisplay::kPlain, index};
}

SParameterRow Linear(int32_t number, const char* name, float min, float max, float def, int32_t decimals,
                     int32_t displayDecimals, const char* unit, int32_t index)
{
    return {0,  number,           name, min, max, def, decimals, EScale::kLinear, nullptr, displayDecimals, unit, "",
            "", EDisplay::kPlain, index};
}

SParameterRow Log(int32_t number, const char* name, float min, float max, float def, int32_t decimals,
                  const unsigned* base, int32_t index)
{
    return {0, number, name, min, max, def, decimals, EScale::kLog, base, 1, "", "", "", EDisplay::kPlain, index};
}

SParameterRow TrueLog(int32_t number, const char* name, float def, int32_t decimals, const char* unit, EDisplay display,
                      int32_t index, float min = 16, float max = 20400)
{
    return {0,       number,   name, min, max, def,     decimals, EScale::kTrueLog,
            nullptr, decimals, unit, "",  "",  display, index};
}

std::vector<SParameterRow> MakeProcessingRows()
{
    struct SBandDefaults {
        float freq, q, type;
    };
    static const SBandDefaults kBandDefaults[6]
        = {{80, 0.5f, 1}, {140, 60, 3}, {800, 0.4f, 4}, {3000, 0.4f, 4}, {6000, 70, 5}, {16000, 1.07f, 7}};
    static std::string names[6][kBandStride];

    std::vector<SParameterRow> rows;
    for (int32_t b = 0; b < 6; ++b) {
        static const char* const kPatterns[kBandStride] = {"EQ Band %d Enable", "EQ Band %d Gain", "EQ Band %d Freq",
                                                           "EQ Band %d Q",      "EQ Band %d Type", "EQ Band %d Solo"};
        for (int32_t k = 0; k < kBandStride; ++k) {
            char name[64];
            std::snprintf(name, sizeof name, kPatterns[k], b + 1);
            names[b][k] = name;
        }
        const int32_t n = b * kBandStride;
        const int32_t index = 7 + b * kBandStride;
        const SBandDefaults& d = kBandDefaults[b];
        rows.push_back(Switch(n + kBandEnable, names[b][0].c_str(), 0, index));
        rows.push_back(Linear(n + kBandGain, names[b][1].c_str(), -24, 18, 0, 1, 1, "dB", index + 1));
        rows.push_back(TrueLog(n + kBandFreq, names[b][2].c_str(), d.freq, 1, "Hz", EDisplay::kFrequency1, index + 2));
        rows.push_back(TrueLog(n + kBandQ, names[b][3].c_str(), d.q, 2, "", EDisplay::kPlain, index + 3, 0.1f, 100));
        rows.push_back(
            List(n + kBandType, names[b][4].c_str(), 12, d.type, kFilterTypeTexts, kFilterTypeShortTexts, index + 4));
        rows.push_back(Switch(n + kBandSolo, names[b][5].c_str(), 0, index + 5));
    }

    const SParameterRow rest[] = {
        Hidden(0, kEqSection, 0, 1, 1, 0),
        Switch(kCompEnable, "Comp Enable", 0, 58),
        Linear(kCompThreshold, "Comp Threshold", -40, 0, -16, 1, 1, "dB", 61),
        Log(kCompRatio, "Comp Ratio", 1.01f, 30, 4.5f, 2, &kBase500, 62),
        Linear(kCompKnee, "Comp Knee", 0, 100, 60, 0, 0, "%", 63),
        Log(kCompAttack, "Comp Attack", 0.5f, 300, 45, 1, &kBase50, 64),
        Log(kCompRelease, "Comp Release", 10, 5000, 120, 1, &kBase500, 65),
        Linear(kCompOutput, "Comp Output", -12, 24, 0, 1, 1, "dB", 66),
        List(kCompMode, "Comp Mode", 2, 2, "Mono@Stereo@MS", "Mono@Ster@MS", 59),
        List(kCompDetection, "Comp Detection Mode", 2, 1, kDetection, kDetectionShort, 67),
        Switch(kGateEnable, "Gate Enable", 0, 43),
        Linear(kGateThreshold, "Gate Threshold", -80, 0, -50, 1, 1, "dB", 44),
        Log(kGateAttack, "Gate Attack", 0.5f, 300, 50, 1, &kBase50, 46),
        Log(kGateRelease, "Gate Release", 10, 300, 120, 1, &kBase500, 47),
        Log(kGateHold, "Gate Hold", 1, 1000, 10, 2, &kBase500, 45),
        List(kGateDetection, "Gate Detection Mode", 2, 1, kDetection, kDetectionShort, 49),
        List(kRouting, "Routing", 1, 1, "EQ To Dynamics@Dynamics To EQ", "EQ2D@D2EQ", 6),
        Switch(kInputPhase, "Input Phase", 0, 3),
        Switch(kLimiterEnable, "Limiter Enable", 0, 89),
        Linear(kLimiterThreshold, "Limiter Threshold", -24, 0, -0.3f, 1, 1, "dB", 91),
        Linear(kLimiterInput, "Limiter Input", 0, 24, 6, 1, 1, "dB", 90),
        Switch(kStereoEnable, "Stereo Enable", 0, 76),
        TrueLog(kStereoFreqLow, "Stereo Freq Low", 800, 0, "Hz", EDisplay::kFrequency0, 84),
        TrueLog(kStereoFreqHigh, "Stereo Freq High", 4000, 0, "Hz", EDisplay::kFrequency0, 85),
        Linear(kStereoLow, "Stereo Low", -100, 100, -40, 0, 0, "%", 79),
        Linear(kStereoMid, "Stereo Mid", -100, 100, 0, 0, 0, "%", 81),
        Linear(kStereoHigh, "Stereo High", -100, 100, 25, 0, 0, "%", 83),
        Switch(kGateScEnable, "Gate SC Enable", 0, 50),
        Switch(kGateScMonitor, "Gate SC Monitor", 0, 51),
        Linear(kGateScGain, "Gate SC Gain", -24, 18, 0, 1, 1, "dB", 56),
        TrueLog(kGateScFreq, "Gate SC Freq", 6000, 0, "Hz", EDisplay::kFrequency0, 54),
        TrueLog(kGateScQ, "Gate SC Q", 0.5f, 2, "", EDisplay::kPlain, 55, 0.1f, 100),
        Linear(kGateScOutput, "Gate SC Output", 0, 24, 12, 1, 1, "dB", 57),
        List(kGateScType, "Gate SC Type", 12, 2, kFilterTypeTexts, kFilterTypeShortTexts, 53),
        Switch(kCompScEnable, "Comp SC Enable", 0, 68),
        Switch(kCompScMonitor, "Comp SC Monitor", 0, 69),
        Linear(kCompScGain, "Comp SC Gain", -24, 18, 0, 1, 1, "dB", 74),
        TrueLog(kCompScFreq, "Comp SC Freq", 120, 0, "Hz", EDisplay::kFrequency0, 72),
        TrueLog(kCompScQ, "Comp SC Q", 0.5f, 2, "", EDisplay::kPlain, 73, 0.1f, 100),
        Linear(kCompScOutput, "Comp SC Output", 0, 24, 0, 1, 1, "dB", 75),
        List(kCompScType, "Comp SC Type", 12, 9, kFilterTypeTexts, kFilterTypeShortTexts, 71),
        Linear(kInputDelay, "Input Delay", 0, 19200, 0, 0, 0, "", 4),
        {0, kInputGain, "Input Gain", 0, 1.4142135f, 1, -1, EScale::kLinear, nullptr, 1, "", "", "", EDisplay::kGain,
         2},
        {0, kOutputGain, "Output Gain", 0, 1.4142135f, 1, -1, EScale::kLinear, nullptr, 1, "", "", "", EDisplay::kGain,
         5},
        List(kCompressorType, "Compressor Type", 1, 0, "1@2", "1@2", 60),
        Switch(kStereoLowSolo, "Stereo Low Solo", 0, 78),
        Switch(kStereoMidSolo, "Stereo Mid Solo", 0, 80),
        Switch(kStereoHighSolo, "Stereo High Solo", 0, 82),
        Switch(kStereoAutoGain, "Stereo Auto Gain", 0, 77),
        Log(kLimiterRelease, "Limiter Release", 100, 5000, 260, 1, &kBase500, 92),
        List(kGateScInput, "Gate SC Input", 1, 0, kKeySource, kKeySourceShort, 52),
        List(kCompScInput, "Comp SC Input", 1, 0, kKeySource, kKeySourceShort, 70),
        Hidden(0, kPanelLayout, 0, 2, 0, 0),
        Linear(kGateMix, "Gate Mix", 0, 100, 100, 1, 1, "", 48),
        Switch(kSaturationEnable, "Saturation Enable", 0, 86),
        List(kSaturationMode, "Saturation Mode", 2, 2, "Mode 1@Mode 2@Mode 3", "Mod1@Mod2@Mod3", 87),
        Linear(kSaturationMix, "Saturation Mix", 0, 100, 100, 1, 1, "", 88),
        Switch(kOversampleEnable, "Oversample Enable", 0, 1),
    };
    rows.insert(rows.end(), std::begin(rest), std::end(rest));
    return rows;
}

std::vector<SParameterRow> MakePlugInRows()
{
    return {
        {1, kBypass, "Bypass", 0, 1, 0, -1, EScale::kList, nullptr, 0, "", kOffOn, kOffOn, EDisplay::kPlain, 0},
        Hidden(1, kMeterHold, 0, 1, 0, -1),
        Hidden(1, kAnalyserSource, 0, 2, 1, -1),
        Hidden(1, kAnalyserDisplay, 0, 4, 1, 0),
        Hidden(1, kAnalyserSize, 0, 2, 1, -1),
    };
}

std::vector<SParameterRow> MakeEditorRows()
{
    return {
        Hidden(2, kKnobMode, 0, 1, 0, -1),       Hidden(2, kMeterMode, 0, 1, 0, -1),
        Hidden(2, kToolTipsEQ, 0, 1, 1, -1),     Hidden(2, kToolTipsControls, 0, 1, 1, -1),
        Hidden(2, kEyeCandy, 0, 1, 1, -1),       Hidden(2, kHue, -180, 180, 0, 1),
        Hidden(2, kBrightness, -100, 100, 0, 1), Hidden(2, kSaturation, -100, 100, 0, 1),
    };
}

}  // namespace

const std::vector<SParameterRow>& ParameterRows(int32_t set)
{
    static const std::vector<SParameterRow> kSets[kNumSets]
        = {MakeProcessingRows(), MakePlugInRows(), MakeEditorRows()};
    return kSets[set];
}

std::vector<const SParameterRow*> AutomationOrder()
{
    std::vector<const SParameterRow*> order;
    for (int32_t set = 0; set < kNumSets; ++set)
        for (const SParameterRow& row : ParameterRows(set))
            if (row.automationIndex >= 0)
                order.push_back(&row);
    std::sort(order.begin(), order.end(),
              [](const SParameterRow* a, const SParameterRow* b) { return a->automationIndex < b->automationIndex; });
    return order;
}

const std::vector<std::string>& ParameterGroups()
{
    static const std::vector<std::string> kGroups
        = {"Global",    "Input", "EQ Band 1",  "EQ Band 2",    "EQ Band 3",  "EQ Band 4", "EQ Band 5",
           "EQ Band 6", "Gate",  "Compressor", "Stereo Width", "Saturation", "Limiter",   "Output"};
    return kGroups;
}

int32_t GroupOf(const char* automationName)
{
    struct SPrefix {
        const char* prefix;
        const char* group;
    };
    static const SPrefix kPrefixes[]
        = {{"EQ Band 1 ", "EQ Band 1"}, {"EQ Band 2 ", "EQ Band 2"},   {"EQ Band 3 ", "EQ Band 3"},
           {"EQ Band 4 ", "EQ Band 4"}, {"EQ Band 5 ", "EQ Band 5"},   {"EQ Band 6 ", "EQ Band 6"},
           {"Gate ", "Gate"},           {"Comp ", "Compressor"},       {"Compressor ", "Compressor"},
           {"Stereo ", "Stereo Width"}, {"Saturation ", "Saturation"}, {"Limiter ", "Limiter"},
           {"Input ", "Input"},         {"Output ", "Output"}};
    const std::string name = automationName ? automationName : "";
    const char* group = "Global";
    for (const SPrefix& p : kPrefixes)
        if (name.rfind(p.prefix, 0) == 0) {
            group = p.group;
            break;
        }
    const std::vector<std::string>& groups = ParameterGroups();
    return static_cast<int32_t>(std::find(groups.begin(), groups.end(), group) - groups.begin());
}

}  // namespace quillstrip
