#include "product/plugin/QuillstripPlugIn.h"

#include "product/plugin/Parm.h"
#include "product/plugin/QuillstripParameterTable.h"
#include "product/engine/QuillstripDSP.h"
#include "dsp/simd/Finite.h"

#include <algorithm>
#include <cmath>

using namespace quillstrip;

namespace {

// dB -> linear factor.
float DbToGain(float db) { return static_cast<float>(std::pow(10.0, db / 20.0)); }

int32_t Rounded(float value) { return static_cast<int32_t>(std::lround(value)); }

// The smoothed parameters: every change becomes a linear ramp crossing min..max in rampMs.
struct SSmoothed {
    int32_t id;
    float min, max, initial;
    double rampMs;
};
const SSmoothed kSmoothed[] = {
    {kInputGain, 0, 1, 1, 500},      {kOutputGain, 0, 1, 1, 500},         {kStereoLow, -100, 100, 0, 500},
    {kStereoMid, -100, 100, 0, 500}, {kStereoHigh, -100, 100, 0, 500},    {kGateMix, 0, 1, 1, 500},
    {kSaturationMix, 0, 1, 1, 500},  {kCompRatio, 1.01f, 30, 4.5f, 1000}, {kCompThreshold, -40, 0, -16, 500},
    {kCompOutput, -12, 24, 0, 500},
};

}  // namespace

CQuillstripPlugIn::CQuillstripPlugIn(zt::ztpi::IHost* host)
    : CBasePlugIn(host, "Kelmora", "Quillstrip Pro", kMaxSubBlock)
{
    auto engine = std::make_unique<CQuillstripDSP>();
    dsp_ = engine.get();
    engine_ = std::move(engine);
    dezipper_.SetCallback(this);
    SetChannelConfig(2, 2, 0);

    gainDisplay_.SetUnit("dB");
    frequency0_.SetRanges(zt::de::CDisplayConverter::FrequencyRanges(0));
    frequency1_.SetRanges(zt::de::CDisplayConverter::FrequencyRanges(1));
}

CQuillstripPlugIn::~CQuillstripPlugIn() { StopPreferences(); }

void CQuillstripPlugIn::DefineParameters()
{
    parameters_->SetNumberOfSets(kNumSets);
    for (int32_t set = 0; set < kNumSets; ++set)
        for (const SParameterRow& row : ParameterRows(set))
            parameters_->AddParameter(
                new CParm(this, set, row.number, row.defaultValue, row.minimum, row.maximum, row.decimals), set);
    for (const SSmoothed& s : kSmoothed)
        dezipper_.AddParameter(s.id, s.min, s.max, s.initial, s.rampMs);
    SetStateSets({kSetProcessing, kSetPlugIn});
    SetPresetSets({kSetProcessing});
    BindPreferences(kPreferenceFile,
                    {{"KnobMode", kKnobMode},
                     {"MeterMode", kMeterMode},
                     {"ToolTipsEQ", kToolTipsEQ},
                     {"ToolTipsControls", kToolTipsControls},
                     {"EyeCandy", kEyeCandy},
                     {"Hue", kHue},
                     {"Brightness", kBrightness},
                     {"Saturation", kSaturation}},
                    kSetEditor);
}

void CQuillstripPlugIn::DefineAutomation()
{
    const std::vector<const SParameterRow*> order = AutomationOrder();
    auto displayOf = [this](const SParameterRow& row, bool shortList) -> const zt::de::IDisplayConverter* {
        switch (row.display) {
        case EDisplay::kFrequency0:
            return &frequency0_;
        case EDisplay::kFrequency1:
            return &frequency1_;
        case EDisplay::kGain:
            return shortList ? &gainDisplayShort_ : &gainDisplay_;
        default:
            return nullptr;
        }
    };
    for (const SParameterRow* row : order) {
        switch (row->scale) {
        case EScale::kList:
            AddAutomationList(row->set, row->number, row->name, row->texts, row->unit);
            break;
        case EScale::kTrueLog:
            AddAutomationTrueLog(row->set, row->number, row->name, row->displayDecimals, row->unit);
            break;
        case EScale::kLog:
            AddAutomationLog(row->set, row->number, row->logBase, row->name, row->displayDecimals, row->unit);
            break;
        default:
            AddAutomationParameter(row->set, row->number, row->name, row->displayDecimals, row->unit);
            break;
        }
        SetDisplayConverter(displayOf(*row, false), nullptr);
    }
    for (const SParameterRow* row : order) {
        switch (row->scale) {
        case EScale::kList:
            AddShortList(row->set, row->number, row->name, row->shortTexts);
            break;
        case EScale::kTrueLog:
            AddShortTrueLog(row->set, row->number, row->name, row->displayDecimals);
            break;
        case EScale::kLog:
            AddShortLog(row->set, row->number, row->logBase, row->name, row->displayDecimals);
            break;
        default:
            AddShortParameter(row->set, row->number, row->name, row->displayDecimals);
            break;
        }
        SetDisplayConverter(nullptr, displayOf(*row, true));
    }
    MarkBypass(kSetPlugIn, kBypass);
    SetGroups(ParameterGroups());
    for (const SParameterRow* row : order)
        AssignGroup(row->set, row->number, GroupOf(row->name));
}

float CQuillstripPlugIn::Value(int32_t number) const { return parameters_->GetValue(number, kSetProcessing); }

int32_t CQuillstripPlugIn::GetLatency()
{
    if (!parameters_)
        return 0;
    return Rounded(Value(kOversampleEnable)) != 0 ? kOversamplingLatency : 0;
}

void CQuillstripPlugIn::GetChannelConfigs(int32_t* inputs, int32_t* outputs, int32_t* sidechains)
{
    static const int32_t kConfigs[4][3] = {{2, 2, 0}, {1, 1, 0}, {2, 2, 2}, {1, 1, 1}};
    for (int32_t i = 0; i < 4; ++i) {
        inputs[i] = kConfigs[i][0];
        outputs[i] = kConfigs[i][1];
        sidechains[i] = kConfigs[i][2];
    }
}

void CQuillstripPlugIn::SetChannelConfig(int32_t inputs, int32_t outputs, int32_t sidechain)
{
    CBasePlugIn::SetChannelConfig(inputs, outputs, sidechain);
    dsp_->Configure(outputs_, sidechains_ != 0);
}

void CQuillstripPlugIn::SetSampleRate(int32_t rate)
{
    // Applying "Oversample Enable" while the values are re-sent would come back here.
    if (inSetSampleRate_)
        return;
    inSetSampleRate_ = true;
    hostRate_.store(rate, std::memory_order_relaxed);
    const int32_t factor = (parameters_ && Rounded(Value(kOversampleEnable)) != 0) ? 2 : 1;
    SetEngineRate(rate * factor, factor);
    inSetSampleRate_ = false;
}

void CQuillstripPlugIn::Process(float** outputs, float** inputs, int32_t frames)
{
    if (!active_) {
        // Not resumed: silence the first sample of each output and produce nothing else;
        // parameter changes that came with the block still count.
        ApplyQueuedEvents();
        if (frames > 0 && outputs) {
            outputs[0][0] = 0.0f;
            if (outputs_ == 2)
                outputs[1][0] = 0.0f;
        }
        return;
    }
    CBasePlugIn::Process(outputs, inputs, frames);
}

void CQuillstripPlugIn::Resume()
{
    CBasePlugIn::Resume();
    // Everything that runs at the host rate around the engine starts afresh with it.
    oversampler_.Reset();
    hostCeiling_.Reset();
}

void CQuillstripPlugIn::AttachAnalyser(const AnalyserFeeds* feeds) { dsp_->PublishAnalyserFeeds(feeds); }

void CQuillstripPlugIn::OnEngineRate(int32_t rate, int32_t factor)
{
    hostCeiling_.Setup(std::max(outputs_, 1), static_cast<float>(rate / factor), COversampler::kDownSpan);
    // A history from the other rate must not play out when the converters start again.
    if (factor != oversamplerFactor_) {
        oversampler_.Reset();
        oversamplerFactor_ = factor;
    }
}

void CQuillstripPlugIn::ProcessSubBlock(float** outputs, float** inputs, int32_t frames)
{
    if (ActiveFactor() != 2) {
        CBasePlugIn::ProcessSubBlock(outputs, inputs, frames);
        return;
    }

    // Main channels use converters 0 and 1, side-chain channels 2 and 3.
    float(*const up)[2 * kMaxSubBlock] = up_;
    float(*const down)[2 * kMaxSubBlock] = down_;
    // A stereo pair of channels is converted in one call.
    const int32_t channels = inputs_ + sidechains_;
    const bool keyed = dsp_->ReadsSideChain();
    for (int32_t first = 0; first < channels;) {
        const bool side = first >= inputs_;
        const int32_t group = side ? sidechains_ : inputs_;
        const int32_t converter = side ? 2 + (first - inputs_) : first;
        const int32_t count = group == 2 ? 2 : 1;
        if (side && !keyed) {
            // Nothing listens to the side-chain: its converters only keep their history,
            // so that a key chosen later starts without a seam. The engine gets silence
            // there (should a key be chosen while this chunk runs).
            for (int32_t k = 0; k < count; ++k) {
                oversampler_.SkipUp(converter + k, inputs[first + k], frames);
                std::fill(up[first + k], up[first + k] + 2 * frames, 0.0f);
            }
            first += count;
            continue;
        }
        if (count == 2) {
            float* pair[2] = {up[first], up[first + 1]};
            oversampler_.UpPair(converter, inputs + first, pair, frames);
        } else {
            oversampler_.Up(converter, inputs[first], up[first], frames);
        }
        // A non-finite input, or a finite one so large that the filter overflows, comes
        // out non-finite for as long as the converter holds it: those samples reach the
        // engine as silence, and the converter starts afresh.
        for (int32_t k = 0; k < count; ++k)
            if (!finiteness::AllFinite(up[first + k], 2 * frames)) {
                finiteness::ZeroNonFinite(up[first + k], 2 * frames);
                oversampler_.ResetUp(converter + k);
            }
        first += count;
    }

    // The engine sees 2n samples per host chunk, in two calls of n.
    float* in[COversampler::kInputs];
    float* out[COversampler::kOutputs];
    for (int32_t half = 0; half < 2; ++half) {
        for (int32_t c = 0; c < channels; ++c)
            in[c] = up[c] + half * frames;
        for (int32_t c = 0; c < outputs_; ++c)
            out[c] = down[c] + half * frames;
        RunEngine(out, in, frames);
    }
    if (outputs_ == 2) {
        const float* pair[2] = {down[0], down[1]};
        oversampler_.DownPair(0, pair, outputs, frames);
    } else {
        for (int32_t c = 0; c < outputs_; ++c)
            oversampler_.Down(c, down[c], outputs[c], frames);
    }

    if (dsp_->IsLimiterOn()) {
        // What this stage takes off is part of the limiter's reduction as the meter shows it.
        dsp_->HoldLimiterReduction(
            hostCeiling_.Process(outputs[0], outputs_ == 2 ? outputs[1] : nullptr, frames, dsp_->GetOutputCeiling()));
    }

    // The engine's output may still overflow the down-sampler (huge samples with every
    // section off): nothing non-finite leaves, and what held it starts afresh.
    bool finiteOut = true;
    for (int32_t c = 0; c < outputs_; ++c)
        finiteOut = finiteOut && finiteness::AllFinite(outputs[c], frames);
    if (!finiteOut) {
        for (int32_t c = 0; c < outputs_; ++c) {
            std::fill(outputs[c], outputs[c] + frames, 0.0f);
            oversampler_.ResetDown(c);
        }
        hostCeiling_.Reset();
    }
}

bool CQuillstripPlugIn::ApplyRealTime(int32_t set, int32_t number, float value)
{
    if (set == kSetProcessing) {
        // The engine changes rate at this block boundary, so that an offline bounce (no
        // UI-thread call until it ends) hears it; telling the host of the new latency
        // and storing the rate follow on the UI thread.
        if (number == kOversampleEnable) {
            const int32_t factor = value != 0.0f ? 2 : 1;
            const int32_t hostRate = hostRate_.load(std::memory_order_relaxed);
            if (active_ && hostRate > 0)
                SwitchEngineRateNow(hostRate * factor, factor);
            return false;
        }
        // Listening, the other key falling silent and this key's filter switching on all
        // take effect now in the engine; the parameter store (and so host and editor)
        // follows on the UI thread.
        if (number == kGateScMonitor || number == kCompScMonitor) {
            const bool gate = number == kGateScMonitor, on = value != 0.0f;
            if (gate)
                dsp_->SetGateKeyListen(on);
            else
                dsp_->SetCompKeyListen(on);
            if (!on)
                return true;
            if (gate)
                dsp_->SetCompKeyListen(false);
            else
                dsp_->SetGateKeyListen(false);
            ApplyKeyFilter(gate ? CQuillstripDSP::kGateKeyFilter : CQuillstripDSP::kCompKeyFilter, kBandEnable, 1.0f);
            return false;
        }
    }
    ApplyParameter(set, number, value);
    return true;
}

void CQuillstripPlugIn::ReportLatencyIfChanged()
{
    const int32_t latency = GetLatency();
    if (latency != reportedLatency_) {
        reportedLatency_ = latency;
        if (host_)
            host_->LatencyChanged();
    }
}

// --- section presets -----------------------------------------------------------

const std::vector<int32_t>& CQuillstripPlugIn::SectionParameters(int32_t section)
{
    auto range = [](int32_t first, int32_t last, std::vector<int32_t> more = {}) {
        std::vector<int32_t> numbers;
        for (int32_t n = first; n <= last; ++n)
            numbers.push_back(n);
        numbers.insert(numbers.end(), more.begin(), more.end());
        return numbers;
    };
    static const std::vector<int32_t> kSections[kNumSections] = {
        range(0, 35),
        range(kCompThreshold, kCompDetection,
              {kCompScEnable, kCompScMonitor, kCompScGain, kCompScFreq, kCompScQ, kCompScOutput, kCompScType,
               kCompressorType, kCompScInput}),
        range(kGateThreshold, kGateDetection,
              {kGateScEnable, kGateScMonitor, kGateScGain, kGateScFreq, kGateScQ, kGateScOutput, kGateScType,
               kGateScInput, kGateMix}),
        {kLimiterThreshold, kLimiterInput, kLimiterRelease},
        range(kStereoFreqLow, kStereoHigh, {kStereoLowSolo, kStereoMidSolo, kStereoHighSolo, kStereoAutoGain}),
        {kSaturationMode, kSaturationMix},
    };
    return kSections[section];
}

bool CQuillstripPlugIn::LoadSectionPreset(const std::string& path, int32_t section)
{
    std::vector<std::pair<int32_t, zt::ztpi::SSetValues>> sets;
    if (section < 0 || section >= kNumSections || !ReadPresetSets(path, sets, nullptr))
        return false;
    const std::vector<int32_t>& numbers = SectionParameters(section);
    zt::CAutoLock lock(lock_);
    for (const auto& [set, stored] : sets) {
        for (size_t i = 0; i < stored.values.size(); ++i) {
            const int64_t number = int64_t(stored.first) + int64_t(i);
            if (std::find(numbers.begin(), numbers.end(), number) != numbers.end())
                parameters_->SetValue(true, static_cast<int32_t>(number), stored.values[i], set);
        }
    }
    return true;
}

void CQuillstripPlugIn::ResetSection(int32_t section)
{
    if (section < 0 || section >= kNumSections)
        return;
    zt::CAutoLock lock(lock_);
    for (int32_t number : SectionParameters(section))
        parameters_->SetValue(true, number, parameters_->GetParameter(number, kSetProcessing)->GetDefault(),
                              kSetProcessing);
}

// --- parameter values onto the engine ----------------------------------------

void CQuillstripPlugIn::ApplyParameter(int32_t set, int32_t number, float value)
{
    switch (set) {
    case kSetProcessing:
        ApplyProcessing(number, value);
        break;
    case kSetPlugIn:
        if (number == kBypass)
            dsp_->SetBypass(value != 0.0f);
        else if (number == kAnalyserSource)
            dsp_->SetAnalyserSource(Rounded(value));
        else if (number == kAnalyserSize)
            dsp_->SetAnalyserSize(Rounded(value));
        break;
    case kSetEditor:
        if (number == kMeterMode)
            dsp_->SetMeterSource(Rounded(value));
        break;
    default:
        break;
    }
}

namespace {

// Gain, frequency, Q or type of an EQ band or key filter: what its design is made of.
// False for any other field.
bool StoreDesignField(FilterSettings& f, int32_t field, float value)
{
    switch (field) {
    case kBandGain:
        f.gain = value;
        return true;
    case kBandFreq:
        f.freq = value;
        return true;
    case kBandQ:
        f.q = value;
        return true;
    case kBandType:
        f.type = Rounded(value);
        return true;
    default:
        return false;
    }
}

}  // namespace

void CQuillstripPlugIn::ApplyBand(int32_t band, int32_t field, float value)
{
    FilterSettings& f = dsp_->Filter(band);
    if (field == kBandSolo) {
        f.solo = static_cast<uint32_t>(Rounded(value));
        return;  // no redesign
    }
    if (field == kBandEnable)
        f.on = value != 0.0f && Value(kEqSection) != 0.0f;
    else if (!StoreDesignField(f, field, value))
        return;
    dsp_->UpdateFilter(band);
}

void CQuillstripPlugIn::ApplyKeyFilter(int32_t filter, int32_t field, float value)
{
    FilterSettings& f = dsp_->Filter(filter);
    if (field == kBandEnable)
        f.on = value != 0.0f;
    else if (!StoreDesignField(f, field, value))
        return;
    dsp_->UpdateFilter(filter);
}

void CQuillstripPlugIn::InterlockMonitors(int32_t otherMonitor, int32_t ownFilterEnable)
{
    // Through the parameter manager, so that host and editor follow.
    parameters_->SetValue(true, otherMonitor, 0.0f, kSetProcessing);
    parameters_->SetValue(true, ownFilterEnable, 1.0f, kSetProcessing);
}

void CQuillstripPlugIn::ApplyProcessing(int32_t number, float value)
{
    if (number < kEqSection) {
        ApplyBand(number / kBandStride, number % kBandStride, value);
        return;
    }
    const bool on = value != 0.0f;
    switch (number) {
    case kEqSection:
        for (int32_t b = 0; b < CQuillstripDSP::kBands; ++b) {
            dsp_->Filter(b).on = on && Value(b * kBandStride + kBandEnable) != 0.0f;
            dsp_->UpdateFilter(b);
        }
        break;

    // Smoothed: the ramp's callback writes the engine.
    case kInputGain:
    case kOutputGain:
    case kStereoLow:
    case kStereoMid:
    case kStereoHigh:
    case kCompRatio:
    case kCompThreshold:
    case kCompOutput:
        dezipper_.SetTarget(number, value);
        break;
    case kGateMix:
    case kSaturationMix:
        dezipper_.SetTarget(number, value * 0.01f);
        break;

    case kInputPhase:
        dsp_->SetPhaseInverted(on);
        break;
    case kInputDelay:
        dsp_->SetInputDelay(Rounded(value));
        break;
    case kRouting:
        dsp_->SetRouting(static_cast<uint32_t>(Rounded(value)));
        break;
    case kGateEnable:
        dsp_->SetGateOn(on);
        break;
    case kCompEnable:
        dsp_->SetCompOn(on);
        break;
    case kStereoEnable:
        dsp_->SetWidthOn(on);
        break;
    case kSaturationEnable:
        dsp_->SetSaturationOn(on);
        break;
    case kLimiterEnable:
        dsp_->SetLimiterOn(on);
        break;
    case kCompressorType:
        dsp_->SetCompressorType(Rounded(value));
        break;

    case kGateScMonitor:
        dsp_->SetGateKeyListen(on);
        if (on)
            InterlockMonitors(kCompScMonitor, kGateScEnable);
        break;
    case kCompScMonitor:
        dsp_->SetCompKeyListen(on);
        if (on)
            InterlockMonitors(kGateScMonitor, kCompScEnable);
        break;
    case kGateScInput:
        dsp_->SetGateExternalKey(on);
        break;
    case kCompScInput:
        dsp_->SetCompExternalKey(on);
        break;
    case kGateScOutput:
        dsp_->SetGateKeyOutputGain(DbToGain(value));
        break;
    case kCompScOutput:
        dsp_->SetCompKeyOutputGain(DbToGain(value));
        break;
    case kGateScEnable:
        ApplyKeyFilter(CQuillstripDSP::kGateKeyFilter, kBandEnable, value);
        break;
    case kGateScType:
        ApplyKeyFilter(CQuillstripDSP::kGateKeyFilter, kBandType, value);
        break;
    case kGateScFreq:
        ApplyKeyFilter(CQuillstripDSP::kGateKeyFilter, kBandFreq, value);
        break;
    case kGateScQ:
        ApplyKeyFilter(CQuillstripDSP::kGateKeyFilter, kBandQ, value);
        break;
    case kGateScGain:
        ApplyKeyFilter(CQuillstripDSP::kGateKeyFilter, kBandGain, value);
        break;
    case kCompScEnable:
        ApplyKeyFilter(CQuillstripDSP::kCompKeyFilter, kBandEnable, value);
        break;
    case kCompScType:
        ApplyKeyFilter(CQuillstripDSP::kCompKeyFilter, kBandType, value);
        break;
    case kCompScFreq:
        ApplyKeyFilter(CQuillstripDSP::kCompKeyFilter, kBandFreq, value);
        break;
    case kCompScQ:
        ApplyKeyFilter(CQuillstripDSP::kCompKeyFilter, kBandQ, value);
        break;
    case kCompScGain:
        ApplyKeyFilter(CQuillstripDSP::kCompKeyFilter, kBandGain, value);
        break;

    case kStereoFreqLow:
        dsp_->Width().SetCrossoverLow(value);
        break;
    case kStereoFreqHigh:
        dsp_->Width().SetCrossoverHigh(value);
        break;
    case kStereoLowSolo:
        dsp_->Width().SetSolo(CWidth::kLow, on);
        break;
    case kStereoMidSolo:
        dsp_->Width().SetSolo(CWidth::kMid, on);
        break;
    case kStereoHighSolo:
        dsp_->Width().SetSolo(CWidth::kHigh, on);
        break;
    case kStereoAutoGain:
        dsp_->Width().SetAutoGain(on);
        break;
    case kSaturationMode:
        dsp_->Saturator().SetMode(Rounded(value));
        break;

    case kGateThreshold:
        dsp_->Gate().SetThresholdDb(value);
        break;
    case kGateAttack:
        dsp_->Gate().SetAttackMs(value);
        break;
    case kGateRelease:
        dsp_->Gate().SetReleaseMs(value);
        break;
    case kGateHold:
        dsp_->Gate().SetHoldMs(value);
        break;
    case kGateDetection:
        dsp_->Gate().SetDetectionMode(Rounded(value));
        break;

    case kCompKnee:
        dsp_->SetCompressors([&](auto& c) { c.SetKneePercent(value); });
        break;
    case kCompAttack:
        dsp_->SetCompressors([&](auto& c) { c.SetAttackMs(value); });
        break;
    case kCompRelease:
        dsp_->SetCompressors([&](auto& c) { c.SetReleaseMs(value); });
        break;
    case kCompMode:
        dsp_->SetCompressors([&](auto& c) { c.SetStereoMode(Rounded(value)); });
        break;
    case kCompDetection:
        dsp_->SetCompressors([&](auto& c) { c.SetDetectionMode(Rounded(value)); });
        break;

    case kLimiterInput:
    case kLimiterThreshold:
        dsp_->SetLimiter(Value(kLimiterInput), Value(kLimiterThreshold));
        break;
    case kLimiterRelease:
        dsp_->SetLimiterRelease(value);
        break;

    case kOversampleEnable:
        ReportLatencyIfChanged();
        SetSampleRate(hostRate_.load(std::memory_order_relaxed));
        break;
    default:
        break;  // the remaining section parameters reach their sections
    }
}

void CQuillstripPlugIn::OnSmoothedValue(int32_t id, float value)
{
    switch (id) {
    case kInputGain:
        dsp_->SetInputGain(static_cast<float>(CGainDisplayConverter::GainOf(value)));
        break;
    case kOutputGain:
        dsp_->SetOutputGain(static_cast<float>(CGainDisplayConverter::GainOf(value)));
        break;
    case kGateMix:
        dsp_->SetGateMix(value);
        break;
    case kSaturationMix:
        dsp_->SetSaturationMix(value);
        break;
    case kStereoLow:
        dsp_->Width().SetWidth(CWidth::kLow, value);
        break;
    case kStereoMid:
        dsp_->Width().SetWidth(CWidth::kMid, value);
        break;
    case kStereoHigh:
        dsp_->Width().SetWidth(CWidth::kHigh, value);
        break;
    case kCompThreshold:
        dsp_->SetCompressors([&](auto& c) { c.SetThresholdDb(value); });
        break;
    case kCompRatio:
        dsp_->SetCompressors([&](auto& c) { c.SetRatio(value); });
        break;
    case kCompOutput:
        dsp_->SetCompressors([&](auto& c) { c.SetOutputGainDb(value); });
        break;
    default:
        break;
    }
}
