// A small audio-processor base on top of the SDK's Component: bus helpers, the
// process set-up and default answers for every IAudioProcessor call.
#pragma once

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vstcomponent.h"

namespace zt::vst3 {

class AudioEffect : public Steinberg::Vst::Component,
                    public Steinberg::Vst::IAudioProcessor,
                    public Steinberg::Vst::IProcessContextRequirements {
public:
    AudioEffect();

    Steinberg::Vst::AudioBus* addAudioInput(const Steinberg::Vst::TChar* name, Steinberg::Vst::SpeakerArrangement arr,
                                            Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                                            Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::Vst::AudioBus* addAudioOutput(const Steinberg::Vst::TChar* name, Steinberg::Vst::SpeakerArrangement arr,
                                             Steinberg::Vst::BusType busType = Steinberg::Vst::kMain,
                                             Steinberg::int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
    Steinberg::Vst::AudioBus* getAudioInput(Steinberg::int32 index);
    Steinberg::Vst::AudioBus* getAudioOutput(Steinberg::int32 index);

    // IAudioProcessor
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                                                    Steinberg::Vst::SpeakerArrangement& arr) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API getLatencySamples() SMTG_OVERRIDE { return 0; }
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool) SMTG_OVERRIDE { return Steinberg::kNotImplemented; }
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData&) SMTG_OVERRIDE
    {
        return Steinberg::kNotImplemented;
    }
    Steinberg::uint32 PLUGIN_API getTailSamples() SMTG_OVERRIDE { return 0; }

    // IProcessContextRequirements: nothing of the transport or tempo is needed.
    Steinberg::uint32 PLUGIN_API getProcessContextRequirements() SMTG_OVERRIDE { return 0; }

    OBJ_METHODS(AudioEffect, Component)
    DEFINE_INTERFACES
    DEF_INTERFACE(IAudioProcessor)
    DEF_INTERFACE(IProcessContextRequirements)
    END_DEFINE_INTERFACES(Component)
    REFCOUNT_METHODS(Component)

protected:
    Steinberg::Vst::ProcessSetup processSetup{};
};

}  // namespace zt::vst3
