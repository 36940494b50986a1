// Parameter numbers of the three sets. The number is a parameter's position in its
// set, so this order is binding: it is stored in presets and in the host's projects.
#pragma once

#include <cstdint>

namespace quillstrip {

enum ESet : int32_t { kSetProcessing = 0, kSetPlugIn = 1, kSetEditor = 2, kNumSets = 3 };

// Set 0. EQ band b (0..5) parameter k is number b * kBandStride + k.
enum EBandParameter : int32_t { kBandEnable = 0, kBandGain, kBandFreq, kBandQ, kBandType, kBandSolo, kBandStride };

enum EProcessing : int32_t {
    kEqSection = 36,
    kCompEnable,
    kCompThreshold,
    kCompRatio,
    kCompKnee,
    kCompAttack,
    kCompRelease,
    kCompOutput,
    kCompMode,
    kCompDetection,
    kGateEnable,
    kGateThreshold,
    kGateAttack,
    kGateRelease,
    kGateHold,
    kGateDetection,
    kRouting,
    kInputPhase,
    kLimiterEnable,
    kLimiterThreshold,
    kLimiterInput,
    kStereoEnable,
    kStereoFreqLow,
    kStereoFreqHigh,
    kStereoLow,
    kStereoMid,
    kStereoHigh,
    kGateScEnable,
    kGateScMonitor,
    kGateScGain,
    kGateScFreq,
    kGateScQ,
    kGateScOutput,
    kGateScType,
    kCompScEnable,
    kCompScMonitor,
    kCompScGain,
    kCompScFreq,
    kCompScQ,
    kCompScOutput,
    kCompScType,
    kInputDelay,
    kInputGain,
    kOutputGain,
    kCompressorType,
    kStereoLowSolo,
    kStereoMidSolo,
    kStereoHighSolo,
    kStereoAutoGain,
    kLimiterRelease,
    kGateScInput,
    kCompScInput,
    kPanelLayout,  // three-way editor choice, kept in presets; no effect on the sound
    kGateMix,
    kSaturationEnable,
    kSaturationMode,
    kSaturationMix,
    kOversampleEnable,
    kNumProcessing
};
static_assert(kGateEnable == 46 && kRouting == 52 && kStereoEnable == 57 && kGateScEnable == 63 && kInputDelay == 77
                  && kLimiterRelease == 85 && kGateMix == 89 && kNumProcessing == 94,
              "set-0 numbers are fixed");

// Set 1.
enum EPlugIn : int32_t {
    kBypass = 0,
    kMeterHold,        // editor setting
    kAnalyserSource,   // 0 input, 1 output, 2 none
    kAnalyserDisplay,  // editor's analyser display selector
    kAnalyserSize,     // FFT size option 0..2
    kNumPlugIn
};

// Set 2: editor preferences, each bound to a key of the preference file.
enum EEditor : int32_t {
    kKnobMode = 0,
    kMeterMode,
    kToolTipsEQ,
    kToolTipsControls,
    kEyeCandy,
    kHue,
    kBrightness,
    kSaturation,
    kNumEditor
};

constexpr int32_t kNumAutomated = 93;

}  // namespace quillstrip
