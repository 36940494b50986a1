#include "product/editor/SectionPanes.h"

#include "product/editor/ParameterLinks.h"
#include "product/editor/Tooltips.h"
#include "product/plugin/QuillstripParameterIds.h"
#include "product/plugin/QuillstripPlugIn.h"
#include "gui/toolkit/Bitmap.h"
#include "gui/toolkit/DropDownListBox.h"
#include "gui/toolkit/Knob.h"
#include "gui/toolkit/MultiStateButton.h"
#include "gui/toolkit/PeakMeter.h"
#include "gui/toolkit/TimedBitmap.h"
#include "resources/SkinIds.h"

using namespace zt::ge;
using namespace quillstrip;
using namespace quillstrip::skin;

// The panes share one grid: a row of large knobs under the title, a row of switches,
// the side-chain row, meters and preset buttons at the bottom right, the read-out strip
// along the bottom. Knob ids are their read-out's id less one.
namespace {

constexpr int32_t kRowKnobs = 32;     // large knobs (44) with labels under them
constexpr int32_t kRowSwitches = 94;  // 18-pixel switches and lists
constexpr int32_t kRowKeys = 120;     // side-chain switches
constexpr int32_t kRowSmall = 140;    // small knobs (30) with labels
constexpr int32_t kColumn = 56;       // large knob pitch
constexpr int32_t kPresetX = 284;     // LOAD, then RESET
constexpr int32_t kPresetY = 158;

// Section numbers of the plug-in's preset commands.
using ESection = CQuillstripPlugIn::ESection;

}  // namespace

CGatePane::CGatePane(const SRect& rect, CParameterLinks& links, CTooltips& tooltips, ISectionCommands& commands)
    : CBasePane(rect, links, tooltips)
{
    AddChild(new CBitmap({0, 0, kSectionPaneWidth, kSectionPaneHeight}, kPanelGate));
    IControl* c[5];
    c[0] = AddKnob({14, kRowKnobs, 44, 44}, 46, kGateThreshold, kKnobLarge, "THRESHOLD");
    c[1] = AddKnob({14 + kColumn, kRowKnobs, 44, 44}, 48, kGateAttack, kKnobLarge, "ATTACK");
    c[2] = AddKnob({14 + 2 * kColumn, kRowKnobs, 44, 44}, 50, kGateRelease, kKnobLarge, "RELEASE");
    c[3] = AddKnob({14 + 3 * kColumn, kRowKnobs, 44, 44}, 52, kGateHold, kKnobLarge, "HOLD");
    c[4] = AddKnob({14 + 4 * kColumn, kRowKnobs, 44, 44}, 55, kGateMix, kKnobLarge, "MIX");
    AddStates({300, kRowKnobs + 4, 64, 18}, 2000 + kGateDetection, kGateDetection, 3, kStateDetection);
    AddLabel({300, kRowKnobs + 24, 64, 12}, "DETECTION");

    // The key: its switches, filter type and knobs.
    AddLabel({14, kRowSwitches + 3, 60, 12}, "SIDE-CHAIN", false);
    AddStates({82, kRowSwitches, 40, 18}, 2000 + kGateScEnable, kGateScEnable, 2, kToggleKey);
    AddStates({126, kRowSwitches, 48, 18}, 2000 + kGateScMonitor, kGateScMonitor, 2, kToggleListen);
    AddStates({178, kRowSwitches, 40, 18}, 2000 + kGateScInput, kGateScInput, 2, kStateKeyInput);
    AddFilterList({248, kRowSwitches - 1, 116, 20}, 2000 + kGateScType, kGateScType, kListBox);
    IControl* k[4];
    k[0] = AddKnob({20, kRowSmall - 14, 30, 30}, 92, kGateScFreq, kKnobSmall, "FREQ");
    k[1] = AddKnob({66, kRowSmall - 14, 30, 30}, 94, kGateScQ, kKnobSmall, "Q");
    k[2] = AddKnob({112, kRowSmall - 14, 30, 30}, 90, kGateScGain, kKnobSmallBipolar, "GAIN");
    k[3] = AddKnob({158, kRowSmall - 14, 30, 30}, 96, kGateScOutput, kKnobSmallBipolar, "OUT");

    levelMeter = new CPeakMeter({204, 132, 140, 8}, 3, 0, 0, kMeterLevelSmall);
    reductionMeter = new CPeakMeter({204, 146, 140, 8}, 3, 0, 0, kMeterReduction);
    AddChild(levelMeter);
    AddChild(reductionMeter);
    AddLabel({346, 130, 34, 12}, "LEVEL", false);
    AddLabel({346, 144, 34, 12}, "GR", false);
    AddPresetButtons({kPresetX, kPresetY}, ESection::kSectionGate, "Press to load preset into gate only",
                     "Press to reset gate to default settings", commands);

    AddReadout(47, "Gate Threshold: ", kGateThreshold, c[0]);
    AddReadout(49, "Gate Attack: ", kGateAttack, c[1]);
    AddReadout(51, "Gate Release: ", kGateRelease, c[2]);
    AddReadout(53, "Gate Hold: ", kGateHold, c[3]);
    AddReadout(56, "Gate Mix: ", kGateMix, c[4]);
    AddReadout(93, "Gate SC Freq: ", kGateScFreq, k[0]);
    AddReadout(95, "Gate SC Q: ", kGateScQ, k[1]);
    AddReadout(91, "Gate SC Gain: ", kGateScGain, k[2]);
    AddReadout(97, "Gate SC Output: ", kGateScOutput, k[3]);
}

CCompPane::CCompPane(const SRect& rect, CParameterLinks& links, CTooltips& tooltips, ISectionCommands& commands)
    : CBasePane(rect, links, tooltips)
{
    AddChild(new CBitmap({0, 0, kSectionPaneWidth, kSectionPaneHeight}, kPanelCompressor));
    IControl* c[6];
    const int32_t pitch = 52;
    c[0] = AddKnob({14, kRowKnobs, 44, 44}, 58, kCompThreshold, kKnobLarge, "THRESHOLD");
    c[1] = AddKnob({14 + pitch, kRowKnobs, 44, 44}, 60, kCompRatio, kKnobLarge, "RATIO");
    c[2] = AddKnob({14 + 2 * pitch, kRowKnobs, 44, 44}, 62, kCompKnee, kKnobLarge, "KNEE");
    c[3] = AddKnob({14 + 3 * pitch, kRowKnobs, 44, 44}, 64, kCompAttack, kKnobLarge, "ATTACK");
    c[4] = AddKnob({14 + 4 * pitch, kRowKnobs, 44, 44}, 66, kCompRelease, kKnobLarge, "RELEASE");
    c[5] = AddKnob({14 + 5 * pitch, kRowKnobs, 44, 44}, 68, kCompOutput, kKnobLargeBipolar, "OUTPUT");
    // Type, stereo mode and detection stacked at the right.
    AddStates({316, 30, 64, 18}, 2000 + kCompressorType, kCompressorType, 2, kStateCompType);
    AddStates({316, 52, 64, 18}, 2000 + kCompMode, kCompMode, 3, kStateStereoMode);
    AddStates({316, 74, 64, 18}, 2000 + kCompDetection, kCompDetection, 3, kStateDetection);

    AddLabel({14, kRowSwitches + 3, 60, 12}, "SIDE-CHAIN", false);
    AddStates({82, kRowSwitches, 40, 18}, 2000 + kCompScEnable, kCompScEnable, 2, kToggleKey);
    AddStates({126, kRowSwitches, 48, 18}, 2000 + kCompScMonitor, kCompScMonitor, 2, kToggleListen);
    AddStates({178, kRowSwitches, 40, 18}, 2000 + kCompScInput, kCompScInput, 2, kStateKeyInput);
    AddFilterList({228, kRowSwitches - 1, 116, 20}, 2000 + kCompScType, kCompScType, kListBox);
    IControl* k[4];
    k[0] = AddKnob({20, kRowSmall - 14, 30, 30}, 104, kCompScFreq, kKnobSmall, "FREQ");
    k[1] = AddKnob({66, kRowSmall - 14, 30, 30}, 106, kCompScQ, kKnobSmall, "Q");
    k[2] = AddKnob({112, kRowSmall - 14, 30, 30}, 102, kCompScGain, kKnobSmallBipolar, "GAIN");
    k[3] = AddKnob({158, kRowSmall - 14, 30, 30}, 108, kCompScOutput, kKnobSmallBipolar, "OUT");

    levelMeter = new CPeakMeter({204, 132, 140, 8}, 3, 0, 0, kMeterLevelSmall);
    reductionMeter = new CPeakMeter({204, 146, 140, 8}, 3, 0, 0, kMeterReduction);
    AddChild(levelMeter);
    AddChild(reductionMeter);
    AddLabel({346, 130, 34, 12}, "LEVEL", false);
    AddLabel({346, 144, 34, 12}, "GR", false);
    AddPresetButtons({kPresetX, kPresetY}, ESection::kSectionCompressor, "Press to load preset into compressor only",
                     "Press to reset compressor to default settings", commands);

    AddReadout(59, "Comp Threshold: ", kCompThreshold, c[0]);
    AddReadout(61, "Comp Ratio: ", kCompRatio, c[1]);
    AddReadout(63, "Comp Knee: ", kCompKnee, c[2]);
    AddReadout(65, "Comp Attack: ", kCompAttack, c[3]);
    AddReadout(67, "Comp Release: ", kCompRelease, c[4]);
    AddReadout(69, "Comp Output Gain: ", kCompOutput, c[5]);
    AddReadout(105, "Comp SC Freq: ", kCompScFreq, k[0]);
    AddReadout(107, "Comp SC Q: ", kCompScQ, k[1]);
    AddReadout(103, "Comp SC Gain: ", kCompScGain, k[2]);
    AddReadout(109, "Comp SC Output: ", kCompScOutput, k[3]);
}

CStereoPane::CStereoPane(const SRect& rect, CParameterLinks& links, CTooltips& tooltips, ISectionCommands& commands)
    : CBasePane(rect, links, tooltips)
{
    AddChild(new CBitmap({0, 0, kSectionPaneWidth, kSectionPaneHeight}, kPanelStereo));
    IControl* c[5];
    c[0] = AddKnob({18, kRowKnobs, 44, 44}, 78, kStereoLow, kKnobLargeBipolar, "LOW");
    c[1] = AddKnob({18 + kColumn, kRowKnobs, 44, 44}, 80, kStereoMid, kKnobLargeBipolar, "MID");
    c[2] = AddKnob({18 + 2 * kColumn, kRowKnobs, 44, 44}, 82, kStereoHigh, kKnobLargeBipolar, "HIGH");
    AddStates({20, kRowSwitches, 40, 18}, 2000 + kStereoLowSolo, kStereoLowSolo, 2, kToggleSolo);
    AddStates({20 + kColumn, kRowSwitches, 40, 18}, 2000 + kStereoMidSolo, kStereoMidSolo, 2, kToggleSolo);
    AddStates({20 + 2 * kColumn, kRowSwitches, 40, 18}, 2000 + kStereoHighSolo, kStereoHighSolo, 2, kToggleSolo);
    c[3] = AddKnob({196, kRowKnobs, 44, 44}, 84, kStereoFreqLow, kKnobLarge, "LOW-MID");
    c[4] = AddKnob({256, kRowKnobs, 44, 44}, 86, kStereoFreqHigh, kKnobLarge, "MID-HIGH");
    AddLabel({188, kRowSwitches + 3, 120, 12}, "CROSSOVERS");
    AddStates({322, 42, 44, 18}, 2000 + kStereoAutoGain, kStereoAutoGain, 2, kToggleAuto);
    AddLabel({314, 62, 60, 12}, "AUTO GAIN");
    AddPresetButtons({kPresetX, kPresetY}, ESection::kSectionStereo, "Press to load preset into stereo section only",
                     "Press to reset stereo section to default settings", commands);

    AddReadout(79, "Stereo Width Low: ", kStereoLow, c[0]);
    AddReadout(81, "Stereo Width Mid: ", kStereoMid, c[1]);
    AddReadout(83, "Stereo Width High: ", kStereoHigh, c[2]);
    AddReadout(85, "Stereo Crossover 1: ", kStereoFreqLow, c[3]);
    AddReadout(87, "Stereo Crossover 2: ", kStereoFreqHigh, c[4]);
}

CSaturationPane::CSaturationPane(const SRect& rect, CParameterLinks& links, CTooltips& tooltips,
                                 ISectionCommands& commands)
    : CBasePane(rect, links, tooltips)
{
    AddChild(new CBitmap({0, 0, kSectionPaneWidth, kSectionPaneHeight}, kPanelSaturation));
    AddStates({14, kRowKnobs + 13, 64, 18}, 138, kSaturationMode, 3, kStateSatMode);
    AddLabel({14, kRowKnobs + 45, 64, 12}, "MODE");
    IControl* mix = AddKnob({100, kRowKnobs, 44, 44}, 139, kSaturationMix, kKnobLarge, "MIX");
    AddPresetButtons({kPresetX, kPresetY}, ESection::kSectionSaturation,
                     "Press to load preset into saturation section only",
                     "Press to reset saturation section to default settings", commands);
    AddReadout(140, "Saturation Mix: ", kSaturationMix, mix);
}

CLimiterPane::CLimiterPane(const SRect& rect, CParameterLinks& links, CTooltips& tooltips, ISectionCommands& commands)
    : CBasePane(rect, links, tooltips)
{
    AddChild(new CBitmap({0, 0, kSectionPaneWidth, kSectionPaneHeight}, kPanelLimiter));
    IControl* c[3];
    c[0] = AddKnob({14, kRowKnobs, 44, 44}, 73, kLimiterThreshold, kKnobLarge, "THRESHOLD");
    c[1] = AddKnob({14 + kColumn, kRowKnobs, 44, 44}, 75, kLimiterInput, kKnobLargeBipolar, "INPUT");
    c[2] = AddKnob({14 + 2 * kColumn, kRowKnobs, 44, 44}, 130, kLimiterRelease, kKnobLarge, "RELEASE");
    activityLight = new CTimedBitmap({200, 36, 32, 11}, 400, kLimitLight);
    tooltips.Add(activityLight, "Indicates whether limiter is changing the signal");
    AddChild(activityLight);
    reductionMeter = new CPeakMeter({200, 56, 140, 8}, 3, 0, 0, kMeterReduction);
    AddChild(reductionMeter);
    AddLabel({346, 54, 34, 12}, "GR", false);
    AddPresetButtons({kPresetX, kPresetY}, ESection::kSectionLimiter, "Press to load preset into limiter",
                     "Press to reset limiter to default settings", commands);
    AddReadout(74, "Limiter Thres: ", kLimiterThreshold, c[0]);
    AddReadout(76, "Limiter Gain: ", kLimiterInput, c[1]);
    AddReadout(131, "Limiter Release: ", kLimiterRelease, c[2]);
}
