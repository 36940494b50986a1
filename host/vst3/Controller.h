// The VST 3 edit controller: shows the plug-in object's automation list to the host
// as parameters and carries host automation into it. It keeps no values of its own:
// every query goes to the one plug-in object the processor owns, reached through a
// pointer the two exchange over their connection (so both must share a process).
#pragma once

#include "pluginterfaces/vst/ivstunits.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <cstdint>

namespace zt::vst3 {

class CEffect;

// Besides the plug-in's automated parameters it shows one more, last: the program
// change of the preset list (every preset file in the plug-in's preset folder), which
// IUnitInfo names for the host's own preset menu. IUnitInfo also groups the parameters
// into one unit per section.
class AGainController : public Steinberg::Vst::EditController, public Steinberg::Vst::IUnitInfo {
public:
    static constexpr Steinberg::Vst::ProgramListID kPresetListId = 1;

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

    // IUnitInfo
    Steinberg::int32 PLUGIN_API getUnitCount() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex, Steinberg::Vst::UnitInfo& info) SMTG_OVERRIDE;
    Steinberg::int32 PLUGIN_API getProgramListCount() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getProgramListInfo(Steinberg::int32 listIndex,
                                                     Steinberg::Vst::ProgramListInfo& info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId, Steinberg::int32 programIndex,
                                                 Steinberg::Vst::String128 name) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID, Steinberg::int32,
                                                 Steinberg::Vst::CString, Steinberg::Vst::String128) SMTG_OVERRIDE
    {
        return Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API hasProgramPitchNames(Steinberg::Vst::ProgramListID, Steinberg::int32) SMTG_OVERRIDE
    {
        return Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID, Steinberg::int32, Steinberg::int16,
                                                      Steinberg::Vst::String128) SMTG_OVERRIDE
    {
        return Steinberg::kResultFalse;
    }
    Steinberg::Vst::UnitID PLUGIN_API getSelectedUnit() SMTG_OVERRIDE { return Steinberg::Vst::kRootUnitId; }
    Steinberg::tresult PLUGIN_API selectUnit(Steinberg::Vst::UnitID) SMTG_OVERRIDE { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API getUnitByBus(Steinberg::Vst::MediaType, Steinberg::Vst::BusDirection,
                                               Steinberg::int32, Steinberg::int32,
                                               Steinberg::Vst::UnitID&) SMTG_OVERRIDE
    {
        return Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API setUnitProgramData(Steinberg::int32, Steinberg::int32,
                                                     Steinberg::IBStream*) SMTG_OVERRIDE
    {
        return Steinberg::kResultFalse;
    }

    OBJ_METHODS(AGainController, EditController)
    DEFINE_INTERFACES
    DEF_INTERFACE(IUnitInfo)
    END_DEFINE_INTERFACES(EditController)
    REFCOUNT_METHODS(EditController)

private:
    // The processor in this process, or null when none is connected.
    CEffect* FetchProcessor();
    // The processor when id names one of its parameters.
    CEffect* ProcessorFor(Steinberg::Vst::ParamID id);

    // The program-change parameter: its id is the number of automated parameters.
    bool IsProgramChange(Steinberg::Vst::ParamID id);
    // Loads the preset a program-change value selects; false when none does.
    bool SelectProgram(Steinberg::Vst::ParamValue normalized);
    Steinberg::int32 ProgramSteps();

    uint32_t parameterCount_ = 0xFFFFFFFF;  // automated parameters, without the program change
    Steinberg::int32 currentProgram_ = 0;
    char16_t storedText_[128] = {};
};

}  // namespace zt::vst3
