// The VST 3 edit controller: shows the plug-in object's automation list to the host
// as parameters and carries host automation into it. It keeps no values of its own:
// every query goes to the one plug-in object the processor owns, reached through a
// pointer the two exchange over their connection (so both must share a process).
#pragma once

#include "public.sdk/source/vst/vsteditcontroller.h"

#include <cstdint>

namespace zt::vst3 {

class CEffect;

class AGainController : public Steinberg::Vst::EditController {
public:
    static Steinberg::FUnknown* Create(void*);

    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API terminate() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) SMTG_OVERRIDE;
    Steinberg::int32 PLUGIN_API getParameterCount() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getParameterInfo(Steinberg::int32 index,
                                                   Steinberg::Vst::ParameterInfo& info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID id,
                                                        Steinberg::Vst::ParamValue normalized,
                                                        Steinberg::Vst::String128 string) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getParamValueByString(Steinberg::Vst::ParamID id, Steinberg::Vst::TChar* string,
                                                        Steinberg::Vst::ParamValue& normalized) SMTG_OVERRIDE;
    Steinberg::Vst::ParamValue PLUGIN_API normalizedParamToPlain(Steinberg::Vst::ParamID,
                                                                 Steinberg::Vst::ParamValue normalized) SMTG_OVERRIDE
    {
        return normalized;
    }
    Steinberg::Vst::ParamValue PLUGIN_API plainParamToNormalized(Steinberg::Vst::ParamID,
                                                                 Steinberg::Vst::ParamValue plain) SMTG_OVERRIDE
    {
        return plain;
    }
    Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id,
                                                     Steinberg::Vst::ParamValue value) SMTG_OVERRIDE;
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) SMTG_OVERRIDE;

    // Asks the host to query the latency again.
    void RestartWithLatency();
    const char16_t* GetStoredText() const { return storedText_; }

    OBJ_METHODS(AGainController, EditController)
    REFCOUNT_METHODS(EditController)

private:
    // The processor in this process, or null when none is connected.
    CEffect* FetchProcessor();
    // The processor when id names one of its parameters.
    CEffect* ProcessorFor(Steinberg::Vst::ParamID id);

    uint32_t parameterCount_ = 0xFFFFFFFF;
    char16_t storedText_[128] = {};
};

}  // namespace zt::vst3
