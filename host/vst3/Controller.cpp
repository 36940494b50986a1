#include "host/vst3/Controller.h"

#include "host/vst3/EditorView.h"
#include "host/vst3/Effect.h"
#include "host/vst3/ProductInfo.h"

#include "framework/de/Converters.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <strings.h>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace zt::vst3 {

namespace {

std::unique_ptr<zt::de::IConverter> ConverterOf(const zt::ztpi::SAutomationInfo& info)
{
    return zt::de::MakeConverter(info.converterType, info.minimum, info.maximum, info.curveBase ? *info.curveBase : 0);
}

}  // namespace

FUnknown* AGainController::Create(void*) { return static_cast<IEditController*>(new AGainController()); }

tresult PLUGIN_API AGainController::initialize(FUnknown* context)
{
    parameterCount_ = 0xFFFFFFFF;
    return EditController::initialize(context);
}

tresult PLUGIN_API AGainController::terminate()
{
    if (CEffect* processor = FetchProcessor())
        processor->SetController(nullptr);
    return EditController::terminate();
}

CEffect* AGainController::FetchProcessor()
{
    IMessage* message = allocateMessage();
    if (!message)
        return nullptr;
    message->setMessageID(kLinkMessage);
    message->getAttributes()->setInt(kLinkAttribute, 0);
    sendMessage(message);
    int64 address = 0;
    message->getAttributes()->getInt(kLinkAttribute, address);
    message->release();
    return reinterpret_cast<CEffect*>(address);
}

CEffect* AGainController::ProcessorFor(ParamID id)
{
    CEffect* processor = FetchProcessor();
    if (!processor || !processor->GetPlugIn() || id >= static_cast<ParamID>(processor->GetPlugIn()->GetNumParameters()))
        return nullptr;
    return processor;
}

tresult PLUGIN_API AGainController::notify(IMessage* message)
{
    if (!message || std::strcmp(message->getMessageID(), kLinkMessage) != 0)
        return kResultFalse;
    int64 address = 0;
    if (message->getAttributes()->getInt(kLinkAttribute, address) == kResultOk && address != 0)
        reinterpret_cast<CEffect*>(address)->SetController(this);
    return kResultOk;
}

tresult PLUGIN_API AGainController::setComponentState(IBStream* state)
{
    // Values live in the plug-in object, which the processor has already loaded.
    if (!state)
        return kResultOk;
    char scratch[4];
    int32 read = 0;
    return state->read(scratch, 4, &read) == kResultOk && read == 4 ? kResultOk : kResultFalse;
}

int32 PLUGIN_API AGainController::getParameterCount()
{
    if (parameterCount_ == 0xFFFFFFFF) {
        CEffect* processor = FetchProcessor();
        if (processor && processor->GetPlugIn()) {
            parameterCount_ = static_cast<uint32_t>(processor->GetPlugIn()->GetNumParameters());
            processor->SetController(this);
        } else {
            parameterCount_ = 0;
        }
    }
    return parameterCount_ > 0 ? static_cast<int32>(parameterCount_) + 1 : 0;
}

bool AGainController::IsProgramChange(ParamID id)
{
    getParameterCount();
    return parameterCount_ > 0 && parameterCount_ != 0xFFFFFFFF && id == static_cast<ParamID>(parameterCount_);
}

int32 AGainController::ProgramSteps()
{
    CEffect* processor = FetchProcessor();
    const int32 presets = processor && processor->GetPlugIn() ? processor->GetPlugIn()->GetNumPresets() : 0;
    return std::max(presets - 1, int32(0));
}

bool AGainController::SelectProgram(ParamValue normalized)
{
    CEffect* processor = FetchProcessor();
    if (!processor || !processor->GetPlugIn() || !(normalized >= 0.0 && normalized <= 1.0))
        return false;
    const int32 program = static_cast<int32>(normalized * ProgramSteps() + 0.5);
    if (!processor->GetPlugIn()->LoadPresetAt(program))
        return false;
    currentProgram_ = program;
    return true;
}

tresult PLUGIN_API AGainController::getParameterInfo(int32 index, ParameterInfo& info)
{
    if (index >= 0 && IsProgramChange(static_cast<ParamID>(index))) {
        std::memset(&info, 0, sizeof info);
        info.id = static_cast<ParamID>(index);
        UString(info.title, 128).fromAscii("Program");
        UString(info.shortTitle, 128).fromAscii("Program");
        info.stepCount = ProgramSteps();
        info.unitId = kRootUnitId;
        info.flags = ParameterInfo::kIsProgramChange | ParameterInfo::kIsList;
        return kResultOk;
    }
    CEffect* processor = index >= 0 ? ProcessorFor(static_cast<ParamID>(index)) : nullptr;
    if (!processor)
        return kInvalidArgument;
    zt::ztpi::SAutomationInfo record;
    processor->GetPlugIn()->GetAutomationInfo(index, &record);

    std::memset(&info, 0, sizeof info);
    info.id = static_cast<ParamID>(index);
    char name[256];
    std::memcpy(name, record.name, sizeof name);
    name[255] = '\0';
    if (char* at = std::strchr(name, '@'))
        *at = '\0';
    UString(info.title, 128).fromAscii(name);
    UString(info.shortTitle, 128).fromAscii(name);
    UString(info.units, 128).fromAscii(record.unit);
    const bool list = record.kind == zt::ztpi::SAutomationInfo::kList;
    info.stepCount = list ? static_cast<int32>(record.maximum + 0.5f) : 0;
    // The parameter's own default, so that a host's "reset to default" means it.
    info.defaultNormalizedValue = ConverterOf(record)->ToNormalized(record.defaultValue);
    info.unitId = record.group >= 0 ? record.group + 1 : kRootUnitId;
    info.flags = ParameterInfo::kCanAutomate;
    if (list)
        info.flags |= ParameterInfo::kIsList;
    if (record.isBypass)
        info.flags |= ParameterInfo::kIsBypass;
    return kResultOk;
}

tresult PLUGIN_API AGainController::getParamStringByValue(ParamID id, ParamValue normalized, String128 string)
{
    if (IsProgramChange(id)) {
        CEffect* processor = FetchProcessor();
        char name[zt::ztpi::kTextSize] = {};
        const int32 program = static_cast<int32>(std::clamp(normalized, 0.0, 1.0) * ProgramSteps() + 0.5);
        if (!processor || !processor->GetPlugIn()->GetPresetName(program, name))
            return kResultFalse;
        UString(string, 128).fromAscii(name);
        return kResultOk;
    }
    CEffect* processor = ProcessorFor(id);
    if (!processor)
        return kInvalidArgument;
    zt::ztpi::IPlugIn* plugIn = processor->GetPlugIn();
    zt::ztpi::SAutomationInfo record;
    plugIn->GetAutomationInfo(static_cast<int32_t>(id), &record);
    char text[zt::ztpi::kTextSize] = {};
    plugIn->GetParameterText(static_cast<int32_t>(id), ConverterOf(record)->FromNormalized(normalized), text);
    UString(string, 128).fromAscii(text);
    return kResultOk;
}

tresult PLUGIN_API AGainController::getParamValueByString(ParamID id, TChar* string, ParamValue& normalized)
{
    if (IsProgramChange(id) && string) {
        // A preset by its name.
        char typed[zt::ztpi::kTextSize] = {}, name[zt::ztpi::kTextSize] = {};
        UString(string, 128).toAscii(typed, zt::ztpi::kTextSize);
        CEffect* processor = FetchProcessor();
        const int32 steps = ProgramSteps();
        for (int32 k = 0; processor && processor->GetPlugIn()->GetPresetName(k, name); ++k)
            if (strcasecmp(name, typed) == 0) {
                normalized = steps > 0 ? double(k) / steps : 0.0;
                return kResultOk;
            }
        return kResultFalse;
    }
    CEffect* processor = ProcessorFor(id);
    if (!processor || !string)
        return kResultFalse;
    char text[zt::ztpi::kTextSize] = {};
    UString(string, 128).toAscii(text, zt::ztpi::kTextSize);
    zt::ztpi::IPlugIn* plugIn = processor->GetPlugIn();
    float plain = 0.0f;
    if (!plugIn->GetParameterFromText(static_cast<int32_t>(id), text, &plain))
        return kResultFalse;
    zt::ztpi::SAutomationInfo record;
    plugIn->GetAutomationInfo(static_cast<int32_t>(id), &record);
    normalized = ConverterOf(record)->ToNormalized(plain);
    return kResultOk;
}

ParamValue PLUGIN_API AGainController::getParamNormalized(ParamID id)
{
    if (IsProgramChange(id)) {
        const int32 steps = ProgramSteps();
        return steps > 0 ? std::min(1.0, double(currentProgram_) / steps) : 0.0;
    }
    CEffect* processor = ProcessorFor(id);
    if (!processor)
        return 0.0;
    zt::ztpi::IPlugIn* plugIn = processor->GetPlugIn();
    zt::ztpi::SAutomationInfo record;
    plugIn->GetAutomationInfo(static_cast<int32_t>(id), &record);
    return ConverterOf(record)->ToNormalized(plugIn->GetParameter(static_cast<int32_t>(id)));
}

tresult PLUGIN_API AGainController::setParamNormalized(ParamID id, ParamValue value)
{
    if (IsProgramChange(id))
        return SelectProgram(value) ? kResultOk : kResultFalse;
    CEffect* processor = ProcessorFor(id);
    if (!processor)
        return kInvalidArgument;
    zt::ztpi::IPlugIn* plugIn = processor->GetPlugIn();
    zt::ztpi::SAutomationInfo record;
    plugIn->GetAutomationInfo(static_cast<int32_t>(id), &record);
    plugIn->SetParameter(static_cast<int32_t>(id), ConverterOf(record)->FromNormalized(value));
    return kResultOk;
}

IPlugView* PLUGIN_API AGainController::createView(FIDString name)
{
    CEffect* processor = FetchProcessor();
    if (!processor)
        return nullptr;
    processor->SetController(this);
    // One editor per plug-in object: two would each drive the same parameters' controls.
    if (!name || std::strcmp(name, AGainEditorView::kEditorName) != 0 || !processor->GetPlugIn()
        || processor->GetEditorView())
        return nullptr;
    auto* view = new (std::nothrow) AGainEditorView(*processor->GetPlugIn(), processor->GetHostNameText(), processor);
    if (view && !view->HasGUI()) {
        // No editor registered: the host's generic editor serves better than an empty view.
        view->release();
        view = nullptr;
    }
    return view;
}

// --- units and the preset list -------------------------------------------------

int32 PLUGIN_API AGainController::getUnitCount()
{
    CEffect* processor = FetchProcessor();
    return 1 + (processor && processor->GetPlugIn() ? processor->GetPlugIn()->GetNumGroups() : 0);
}

tresult PLUGIN_API AGainController::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
    if (unitIndex < 0 || unitIndex >= getUnitCount())
        return kResultFalse;
    std::memset(&info, 0, sizeof info);
    info.id = unitIndex;  // unit k + 1 is group k; the root holds the preset list
    if (unitIndex == 0) {
        info.parentUnitId = kNoParentUnitId;
        UString(info.name, 128).fromAscii("Root");
        info.programListId = kPresetListId;
        return kResultOk;
    }
    char name[zt::ztpi::kTextSize] = {};
    FetchProcessor()->GetPlugIn()->GetGroupName(unitIndex - 1, name);
    info.parentUnitId = kRootUnitId;
    UString(info.name, 128).fromAscii(name);
    info.programListId = kNoProgramListId;
    return kResultOk;
}

int32 PLUGIN_API AGainController::getProgramListCount() { return FetchProcessor() ? 1 : 0; }

tresult PLUGIN_API AGainController::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
    CEffect* processor = FetchProcessor();
    if (listIndex != 0 || !processor || !processor->GetPlugIn())
        return kResultFalse;
    std::memset(&info, 0, sizeof info);
    info.id = kPresetListId;
    UString(info.name, 128).fromAscii("Presets");
    // Read the folder afresh: a preset saved or copied there since shows up now.
    info.programCount = processor->GetPlugIn()->RescanPresets();
    return kResultOk;
}

tresult PLUGIN_API AGainController::getProgramName(ProgramListID listId, int32 programIndex, String128 name)
{
    CEffect* processor = FetchProcessor();
    char text[zt::ztpi::kTextSize] = {};
    if (listId != kPresetListId || !processor || !processor->GetPlugIn()->GetPresetName(programIndex, text))
        return kResultFalse;
    UString(name, 128).fromAscii(text);
    return kResultOk;
}

void AGainController::RestartWithLatency()
{
    if (componentHandler)
        componentHandler->restartComponent(kLatencyChanged);
}

// --- controller state: one byte-order flag and a 128-unit text ----------------

tresult PLUGIN_API AGainController::getState(IBStream* state)
{
    if (!state)
        return kResultFalse;
    const char flag = 0;
    int32 written = 0;
    if (state->write(const_cast<char*>(&flag), 1, &written) != kResultOk || written != 1)
        return kResultFalse;
    return state->write(storedText_, sizeof storedText_, &written);
}

tresult PLUGIN_API AGainController::setState(IBStream* state)
{
    if (!state)
        return kResultFalse;
    char flag = 0;
    int32 read = 0;
    tresult result = state->read(&flag, 1, &read);
    if (result != kResultOk || read != 1)
        return result != kResultOk ? result : kResultFalse;
    char16_t text[128] = {};
    result = state->read(text, sizeof text, &read);
    if (result != kResultOk || read != static_cast<int32>(sizeof text))
        return result != kResultOk ? result : kResultFalse;
    if (flag != 0)
        for (char16_t& unit : text)
            unit = static_cast<char16_t>((unit >> 8) | (unit << 8));
    std::memcpy(storedText_, text, sizeof text);
    return kResultOk;
}

}  // namespace zt::vst3
