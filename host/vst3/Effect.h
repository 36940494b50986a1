// The VST 3 audio processor: owns the module and the framework plug-in object and
// maps every processor call onto it; reports the plug-in's edits and latency
// changes back to the host through the edit controller.
#pragma once

#include "framework/ztpi/PlugInInterfaces.h"
#include "host/vst3/AudioEffect.h"
#include "host/vst3/ProductInfo.h"

#include <atomic>
#include <string>
#include <vector>

namespace zt::vst3 {

class AGainController;

class CEffect : public AudioEffect, public virtual zt::ztpi::IHost {
public:
    // Sample rates setupProcessing accepts.
    static constexpr double kMinSampleRate = 8000.0, kMaxSampleRate = 384000.0;

    explicit CEffect(const SProductInfo& product);
    ~CEffect() override;

    // context: the SProductInfo the factory was built from.
    static Steinberg::FUnknown* Create(void* context);

    // IPluginBase
    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API terminate() SMTG_OVERRIDE;
    // IComponent
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir,
                                              Steinberg::int32 index, Steinberg::TBool state) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) SMTG_OVERRIDE;
    // IAudioProcessor
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) SMTG_OVERRIDE;
    // IConnectionPoint
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) SMTG_OVERRIDE;

    // zt::ztpi::IHost
    // A gesture from the editor: the host hears beginEdit once, the changes in between
    // as performEdit alone, then endEdit. A change outside a gesture is a whole edit.
    void BeginEdit(int32_t index) override;
    void ParameterChanged(int32_t index) override;
    void EndEdit(int32_t index) override;
    void GetHostName(char* text) override;
    void GetHostVendor(char* text) override;
    void LatencyChanged() override;

    // Used by the edit controller and its view.
    zt::ztpi::IPlugIn* GetPlugIn() const { return plugIn_; }
    void SetController(AGainController* controller) { controller_ = controller; }
    std::string GetHostNameText() const { return hostName_; }

    OBJ_METHODS(CEffect, AudioEffect)
    REFCOUNT_METHODS(AudioEffect)

private:
    struct SChannelConfigs {
        std::vector<int32_t> inputs, outputs, sidechains;
    };
    SChannelConfigs ReadChannelConfigs() const;
    void AddBuses(Steinberg::Vst::SpeakerArrangement in, Steinberg::Vst::SpeakerArrangement out,
                  Steinberg::Vst::SpeakerArrangement aux, bool withAux);
    // Sends our address to the controller once.
    void ConnectOnce();

    const SProductInfo& product_;
    zt::ztpi::IModule* module_ = nullptr;
    zt::ztpi::IPlugIn* plugIn_ = nullptr;
    uint32_t parameterCount_ = 0;
    bool initialized_ = false;
    AGainController* controller_ = nullptr;
    std::vector<bool> gestures_;  // UI thread: automation indices inside an editor gesture
    bool connected_ = false;
    std::string hostName_;
    int32_t inputs_ = 0, outputs_ = 0, sidechains_ = 0;
    bool hasSideChain_ = false;
    // The host switched the side-chain bus on (UI thread, read by process).
    std::atomic<bool> auxActive_{false};
    // Host automation arriving with the audio: converted to plain values and queued
    // as timed events for the plug-in object. Converter data per parameter is cached at
    // initialize, so nothing here allocates.
    void QueueParameterChanges(Steinberg::Vst::IParameterChanges* changes);
    struct SConverterInfo {
        int32_t kind;
        float minimum, maximum;
        unsigned base;
    };
    std::vector<SConverterInfo> converters_;

    // Stands in for input buses the host flags as silent, so their buffers (which
    // belong to the host) are never written.
    std::vector<float> silence_;
};

}  // namespace zt::vst3
