#include "product/editor/Tooltips.h"

#include "product/plugin/QuillstripParameterIds.h"
#include "gui/toolkit/Control.h"

using namespace quillstrip;

namespace {

const char* const kBandTypeText = "Selects the filter\nLow Cut: Removes the low-end.\nLow Shelf: Cuts or boosts the low end\n"
                              "Bell (Peak): Classic EQ curve\nHigh Shelf: Cuts or boosts the high end\n"
                              "High Cut: Removes the high end\nBand Pass: Only allows certain frequencies\n"
                              "Band Stop: Cuts certain frequencies";
// The type texts of the key filters: their own first line, then the band type's lines.
const char* const kTypeLines = "\nLow Cut: Removes the low-end.\nLow Shelf: Cuts or boosts the low end\n"
                               "Bell (Peak): Classic EQ curve\nHigh Shelf: Cuts or boosts the high end\n"
                               "High Cut: Removes the high end\nBand Pass: Only allows certain frequencies\n"
                               "Band Stop: Cuts certain frequencies";
const char* const kWidth = "Changes the width for the band\nBelow 0 it remove the stereo image\n"
                           "Above 0 it enhances the stereo image\nFor mono signals there's no change";
const char* const kDetection = "Changes the level detections mode\nPeak: Uses the peaks of the samples\n"
                               "Power: Uses a proprietary algorithm, which detects the power of the signal\n"
                               "C-165: Uses the ANSI C-165 specifications";

std::string KeyText(const char* what, int32_t field)
{
    const std::string w = what;
    switch (field) {
    case 0:
        return "Allows you to preview the " + w + " side-chain";
    case 1:
        return "Turns the " + w + " side-chain on or off";
    case 2:
        return "Adjusts the boost or cut for the " + w
               + " side-chain filter\nDepending on the filter chosen, this control may not do anything";
    case 3:
        return "Adjusts the frequency for the " + w + " side-chain filter";
    case 4:
        return "Adjusts bandwidth for the " + w
               + " side-chain filter\nIn the case of low- or highcuts, sets the resonance\nIn the case of shelf "
                 "filters, sets the slope";
    case 5:
        return "Adjusts the volume on the " + w + " side-chain";
    default:
        return "Selects the " + w + " side-chain filter" + kTypeLines;
    }
}

}  // namespace

std::string CTooltips::ForParameter(int32_t number)
{
    if (number >= 0 && number < kEqSection) {
        switch (number % kBandStride) {
        case kBandEnable:
            return "Turns the single band on or off";
        case kBandGain:
            return "Adjusts the boost or cut for the band\nDepending on the filter chosen, this control may not do "
                   "anything";
        case kBandFreq:
            return "Adjusts the frequency for the band";
        case kBandQ:
            return "Adjusts bandwidth for the band\nIn the case of low- or highcuts, sets the resonance\nIn the case "
                   "of shelf filters, sets the slope";
        case kBandType:
            return kBandTypeText;
        default:
            return {};  // band solo: the design gives it none
        }
    }
    switch (number) {
    case kStereoLow:
    case kStereoMid:
    case kStereoHigh:
        return kWidth;
    case kGateEnable:
        return "Turns the gate on or off";
    case kGateThreshold:
        return "Adjusts the level beneath which the gate starts closing";
    case kGateAttack:
        return "Adjusts the amount of time it takes for the gate to open";
    case kGateRelease:
        return "Adjusts the amount of time it takes for the gate to close";
    case kGateHold:
        return "Adjusts the amount of time the gate will stay open, once opened";
    case kGateMix:
        return "Sets how much of the gated signal is mixed in";
    case kGateDetection:
    case kCompDetection:
        return kDetection;
    case kCompEnable:
        return "Turns the compressor on or off";
    case kCompThreshold:
        return "Adjusts the level above which the compressor starts compressing";
    case kCompRatio:
        return "Adjusts the amount of the compression";
    case kCompKnee:
        return "Adjusts the curve of the compression\nFor type \"2\" compression, this doesn't change anything";
    case kCompAttack:
        return "Adjusts the time it takes before compression starts, once the threshold has been reached";
    case kCompRelease:
        return "Adjusts the time it takes before compression stops, once the signal is below the threshold";
    case kCompOutput:
        return "Adjusts the signal level after compression";
    case kCompMode:
        return "Changes the detection mode\nFor mono signals, this has no effect\nMono: Both channels are combined "
               "before volume detection\nStereo: Compression is done independently on both channels\nM/S: The mono "
               "and stereo parts are processed individually";
    case kCompressorType:
        return "Switches between 2 compression modes\nMode \"1\" is a precise, very transparent compressor\nMode \"2\" "
               "is a more soft compressor, which may colour the signal";
    case kLimiterEnable:
        return "Turns the limiter on or off";
    case kLimiterThreshold:
        return "Adjusts the level above which the limiter starts compressing";
    case kLimiterInput:
        return "Adjusts the input level of the limiter";
    case kStereoEnable:
        return "Turns the width section on or off";
    case kStereoLowSolo:
        return "Allows you to listen to band 1";
    case kStereoMidSolo:
        return "Allows you to listen to band 2";
    case kStereoHighSolo:
        return "Allows you to listen to band 3";
    case kStereoAutoGain:
        return "If enabled, will compensate the mono part of the signal,\ndepending on the width settings";
    case kStereoFreqLow:
        return "Adjusts the cutoff frequency between band 1 and 2";
    case kStereoFreqHigh:
        return "Adjusts the cutoff frequency between band 2 and 3";
    case kGateScMonitor:
        return KeyText("gate", 0);
    case kGateScEnable:
        return KeyText("gate", 1);
    case kGateScGain:
        return KeyText("gate", 2);
    case kGateScFreq:
        return KeyText("gate", 3);
    case kGateScQ:
        return KeyText("gate", 4);
    case kGateScOutput:
        return KeyText("gate", 5);
    case kGateScType:
        return KeyText("gate", 6);
    case kCompScMonitor:
        return KeyText("compressor", 0);
    case kCompScEnable:
        return KeyText("compressor", 1);
    case kCompScGain:
        return KeyText("compressor", 2);
    case kCompScFreq:
        return KeyText("compressor", 3);
    case kCompScQ:
        return KeyText("compressor", 4);
    case kCompScOutput:
        return KeyText("compressor", 5);
    case kCompScType:
        return KeyText("compressor", 6);
    case kRouting:
        return "Sets the processing order\nThe width and limiter sections are always last";
    case kInputGain:
        return "Adjusts the input gain\nNote that this is applied after the input meter";
    case kInputDelay:
        return "Puts a delay on the input signal";
    case kOutputGain:
        return "Adjusts the output gain";
    case kInputPhase:
        return "Enables a 180 degree phase shift on the input signal";
    case kOversampleEnable:
        return "Enable or disable oversampling. Oversampling gives higher quality at the expense of higher CPU usage "
               "and latency";
    case kSaturationEnable:
        return "Turns the saturation section on or off";
    case kSaturationMix:
        return "Sets how much of the saturated signal is mixed in";
    case kSaturationMode:
        return "Choose between 3 different saturation modes";
    default:
        return {};
    }
}

void CTooltips::Add(zt::ge::IControl* control, const std::string& text, EGroup group)
{
    if (!control || text.empty())
        return;
    entries_.push_back({control, text, group});
    control->SetTooltipText(enabled_[group] ? text.c_str() : "");
}

void CTooltips::AddForParameter(zt::ge::IControl* control, int32_t number) { Add(control, ForParameter(number)); }

void CTooltips::SetEnabled(EGroup group, bool enabled)
{
    if (enabled_[group] == enabled)
        return;
    enabled_[group] = enabled;
    for (const SEntry& entry : entries_)
        if (entry.group == group)
            entry.control->SetTooltipText(enabled ? entry.text.c_str() : "");
}
