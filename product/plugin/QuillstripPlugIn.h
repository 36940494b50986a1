// The product's plug-in object: its parameters, their mapping onto the engine,
// oversampling and latency, and the channel configurations it accepts.
#pragma once

#include "product/plugin/GainDisplayConverter.h"
#include "framework/ztpi/BasePlugIn.h"
#include "product/engine/HostCeiling.h"
#include "dsp/Oversampler.h"
#include "framework/dspe/BaseDezipper.h"
#include "framework/dspe/AnalyserFeed.h"

#include <array>

class CQuillstripDSP;

class CQuillstripPlugIn final : public zt::ztpi::CBasePlugIn, public zt::dspe::IBaseDezipperCallback {
public:
    static constexpr int32_t kMaxSubBlock = 32;
    static constexpr int32_t kOversamplingLatency = COversampler::kLatency;
    static constexpr const char* kPreferenceFile = "Kelmora:Quillstrip Small.xml";

    explicit CQuillstripPlugIn(zt::ztpi::IHost* host);
    ~CQuillstripPlugIn() override;

    int32_t GetLatency() override;
    int32_t GetNumChannelConfigs() override { return 4; }
    void GetChannelConfigs(int32_t* inputs, int32_t* outputs, int32_t* sidechains) override;
    void Resume() override;
    void SetChannelConfig(int32_t inputs, int32_t outputs, int32_t sidechain) override;
    void SetSampleRate(int32_t rate) override;
    void Process(float** outputs, float** inputs, int32_t frames) override;

    void OnSmoothedValue(int32_t id, float value) override;

    // The sections a pane's preset buttons act on.
    enum ESection : int32_t {
        kSectionEq = 0,
        kSectionCompressor,
        kSectionGate,
        kSectionLimiter,
        kSectionStereo,
        kSectionSaturation,
        kNumSections
    };
    // The set-0 parameters of a section; its own enable switch is not among them.
    static const std::vector<int32_t>& SectionParameters(int32_t section);
    // Loads only the section's parameters from a preset file; the current preset stays.
    bool LoadSectionPreset(const std::string& path, int32_t section);
    // Every parameter of the section back to its default.
    void ResetSection(int32_t section);

    CQuillstripDSP& GetDSP() { return *dsp_; }

    // The editor's analyser, UI thread only. The editor builds one feed per size option
    // (CAnalyserFeed::Init with the engine rate, GetEngineRate(), and two channels),
    // keeps the array and the feeds alive while attached and calls each feed's Update on
    // its display tick with IsActive(). The audio thread reads the array once per block
    // without a lock and pushes the selected source into the feed of the selected size,
    // at the engine rate. Detach (or attach other feeds) before destroying them or
    // building them again: both return only once the audio thread can no longer hold the
    // old array (at most one block's wait), so the feeds may go right after.
    using AnalyserFeeds = std::array<zt::dspe::CAnalyserFeed*, zt::dspe::CAnalyserFeed::kSizeOptions>;
    void AttachAnalyser(const AnalyserFeeds* feeds);
    void DetachAnalyser() { AttachAnalyser(nullptr); }
    const zt::dspe::CBaseDezipper& GetDezipper() const { return dezipper_; }

protected:
    void DefineParameters() override;
    void DefineAutomation() override;
    void ApplyParameter(int32_t set, int32_t number, float value) override;
    // With oversampling: up-sample, run the engine twice at twice the rate, down-sample.
    void ProcessSubBlock(float** outputs, float** inputs, int32_t frames) override;
    bool ApplyRealTime(int32_t set, int32_t number, float value) override;
    void OnEngineRate(int32_t rate, int32_t factor) override;

private:
    void ApplyProcessing(int32_t number, float value);
    void ApplyBand(int32_t band, int32_t field, float value);
    void ApplyKeyFilter(int32_t filter, int32_t field, float value);
    // Turning one key monitor on turns the other off and its own key filter on.
    void InterlockMonitors(int32_t otherMonitor, int32_t ownFilterEnable);
    float Value(int32_t number) const;
    void ReportLatencyIfChanged();

    CQuillstripDSP* dsp_;
    std::atomic<int32_t> hostRate_{44100};  // read by the audio thread when automation switches oversampling
    bool inSetSampleRate_ = false;
    int32_t reportedLatency_ = 0;
    COversampler oversampler_;
    // The up-sampled inputs and the engine's outputs of one sub-block, kept here rather
    // than on the host thread's stack for the reason the engine keeps its chunk buffers.
    alignas(64) float up_[COversampler::kInputs][2 * kMaxSubBlock] = {};
    alignas(64) float down_[COversampler::kOutputs][2 * kMaxSubBlock] = {};
    // Down-sampling can ring a little above a limited peak; this keeps the ceiling at the
    // host rate too (audio thread only).
    CHostCeiling hostCeiling_;
    int32_t oversamplerFactor_ = 1;  // audio thread: the factor the converters' histories belong to

    CGainDisplayConverter gainDisplay_;
    CGainDisplayConverter gainDisplayShort_;
    zt::de::CDisplayConverter frequency0_{0, 32};
    zt::de::CDisplayConverter frequency1_{1, 32};
};
