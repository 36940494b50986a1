#include "tools/hosting/Vst3Host.h"

#include "pluginterfaces/base/ustring.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace qs::hosting {

namespace {

// Records what the plug-in tells its host.
class CHandler : public IComponentHandler {
public:
    SHandlerLog log;
    tresult PLUGIN_API beginEdit(ParamID) override
    {
        ++log.begins;
        return kResultOk;
    }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue value) override
    {
        log.edits.emplace_back(id, value);
        return kResultOk;
    }
    tresult PLUGIN_API endEdit(ParamID) override
    {
        ++log.ends;
        return kResultOk;
    }
    tresult PLUGIN_API restartComponent(int32 flags) override
    {
        log.restarts.push_back(flags);
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        QUERY_INTERFACE(iid, obj, FUnknown::iid, IComponentHandler)
        QUERY_INTERFACE(iid, obj, IComponentHandler::iid, IComponentHandler)
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

std::string ModulePath(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::string name = path;
        while (!name.empty() && name.back() == '/')
            name.pop_back();
        std::string stem = name.substr(name.find_last_of('/') + 1);
        if (stem.size() > 5 && stem.compare(stem.size() - 5, 5, ".vst3") == 0)
            stem.erase(stem.size() - 5);
        return name + "/Contents/x86_64-linux/" + stem + ".so";
    }
    return path;
}

}  // namespace

struct CVst3Host::SParts {
    HostApplication application;
    CHandler handler;
    std::vector<SpeakerArrangement> inputs{SpeakerArr::kStereo};
    std::vector<SpeakerArrangement> outputs{SpeakerArr::kStereo};
};

CVst3Host::CVst3Host() : parts_(std::make_unique<SParts>()) {}

CVst3Host::~CVst3Host()
{
    Release();
    if (factory_)
        factory_->release();
    if (library_) {
        using Exit = bool (*)();
        if (auto exit = reinterpret_cast<Exit>(dlsym(library_, "ModuleExit")))
            exit();
        dlclose(library_);
    }
}

const SHandlerLog& CVst3Host::handlerLog() const { return parts_->handler.log; }
void CVst3Host::clearHandlerLog() { parts_->handler.log = {}; }

bool CVst3Host::Load(const std::string& path)
{
    const std::string module = ModulePath(path);
    library_ = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
        error_ = dlerror();
        return false;
    }
    using Entry = bool (*)(void*);
    auto entry = reinterpret_cast<Entry>(dlsym(library_, "ModuleEntry"));
    if (!entry || !entry(library_)) {
        error_ = "ModuleEntry missing or failed";
        return false;
    }
    using GetFactory = IPluginFactory* (*)();
    auto get = reinterpret_cast<GetFactory>(dlsym(library_, "GetPluginFactory"));
    factory_ = get ? get() : nullptr;
    if (!factory_) {
        error_ = "GetPluginFactory missing or failed";
        return false;
    }
    return true;
}

bool CVst3Host::Use(IPluginFactory* factory)
{
    if (!factory) {
        error_ = "no factory";
        return false;
    }
    factory_ = factory;
    return true;
}

bool CVst3Host::CreateInstance()
{
    PClassInfo info;
    TUID processorId = {}, controllerId = {};
    bool found = false;
    for (int32 i = 0; i < factory_->countClasses(); ++i) {
        if (factory_->getClassInfo(i, &info) == kResultOk && std::strcmp(info.category, kVstAudioEffectClass) == 0) {
            std::memcpy(processorId, info.cid, sizeof(TUID));
            found = true;
            break;
        }
    }
    if (!found
        || factory_->createInstance(processorId, IComponent::iid, reinterpret_cast<void**>(&component_)) != kResultOk) {
        error_ = "no audio processor class";
        return false;
    }
    if (component_->initialize(&parts_->application) != kResultOk) {
        error_ = "processor initialize failed";
        return false;
    }
    component_->queryInterface(IAudioProcessor::iid, reinterpret_cast<void**>(&processor_));
    if (component_->getControllerClassId(controllerId) != kResultOk
        || factory_->createInstance(controllerId, IEditController::iid, reinterpret_cast<void**>(&controller_))
            != kResultOk) {
        error_ = "no edit controller";
        return false;
    }
    controller_->initialize(&parts_->application);
    controller_->setComponentHandler(&parts_->handler);
    component_->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&componentPoint_));
    controller_->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&controllerPoint_));
    if (componentPoint_ && controllerPoint_) {
        componentPoint_->connect(controllerPoint_);
        controllerPoint_->connect(componentPoint_);
    }
    return processor_ != nullptr;
}

bool CVst3Host::SetBuses(int mainChannels, int sideChannels)
{
    auto arr = [](int channels) { return channels == 1 ? SpeakerArr::kMono : channels == 2 ? SpeakerArr::kStereo : 0; };
    parts_->inputs = {arr(mainChannels)};
    if (sideChannels > 0)
        parts_->inputs.push_back(arr(sideChannels));
    parts_->outputs = {arr(mainChannels)};
    const tresult result = processor_->setBusArrangements(
        parts_->inputs.data(), static_cast<int32>(parts_->inputs.size()), parts_->outputs.data(), 1);
    if (result != kResultTrue)
        return false;
    component_->activateBus(kAudio, kInput, 0, true);
    component_->activateBus(kAudio, kOutput, 0, true);
    if (sideChannels > 0)
        component_->activateBus(kAudio, kInput, 1, true);
    return true;
}

bool CVst3Host::Setup(double sampleRate, int maxBlock)
{
    ProcessSetup setup{kRealtime, kSample32, maxBlock, sampleRate};
    return processor_->setupProcessing(setup) == kResultOk;
}

bool CVst3Host::SetActive(bool active)
{
    const bool ok = component_->setActive(active) == kResultOk;
    processor_->setProcessing(active);
    return ok;
}

bool CVst3Host::Flush(IParameterChanges* changes)
{
    ProcessData data;
    data.processMode = kOffline;
    data.symbolicSampleSize = kSample32;
    data.numSamples = 0;
    data.inputParameterChanges = changes;
    return processor_->process(data) == kResultOk;
}

bool CVst3Host::Process(float** in, int inChannels, float** side, int sideChannels, float** out, int outChannels,
                        int frames, uint64 silenceFlags, IParameterChanges* changes)
{
    AudioBusBuffers inputs[2] = {};
    inputs[0].numChannels = inChannels;
    inputs[0].channelBuffers32 = in;
    inputs[0].silenceFlags = silenceFlags;
    inputs[1].numChannels = sideChannels;
    inputs[1].channelBuffers32 = side;
    AudioBusBuffers outputs[1] = {};
    outputs[0].numChannels = outChannels;
    outputs[0].channelBuffers32 = out;
    outputs[0].silenceFlags = ~uint64(0);

    ProcessData data;
    data.processMode = kOffline;
    data.symbolicSampleSize = kSample32;
    data.numSamples = frames;
    data.numInputs = sideChannels > 0 ? 2 : 1;
    data.numOutputs = 1;
    data.inputs = inputs;
    data.outputs = outputs;
    data.inputParameterChanges = changes;
    const bool processed = processor_->process(data) == kResultOk;
    outputSilence_ = outputs[0].silenceFlags;
    return processed;
}

int CVst3Host::FindParameter(const std::string& name) const
{
    for (int32 i = 0; i < controller_->getParameterCount(); ++i) {
        ParameterInfo info{};
        if (controller_->getParameterInfo(i, info) != kResultOk)
            continue;
        char title[129] = {};
        UString(info.title, 128).toAscii(title, 128);
        if (name == title)
            return static_cast<int>(info.id);
    }
    return -1;
}

bool CVst3Host::SetNormalized(ParamID id, double normalized)
{
    return controller_->setParamNormalized(id, normalized) == kResultOk;
}

double CVst3Host::GetNormalized(ParamID id) const { return controller_->getParamNormalized(id); }

std::string CVst3Host::ValueText(ParamID id, double normalized) const
{
    String128 text = {};
    controller_->getParamStringByValue(id, normalized, text);
    char ascii[129] = {};
    UString(text, 128).toAscii(ascii, 128);
    return ascii;
}

std::vector<char> CVst3Host::GetState() const
{
    MemoryStream stream;
    if (component_->getState(&stream) != kResultOk)
        return {};
    return std::vector<char>(stream.getData(), stream.getData() + stream.getSize());
}

tresult CVst3Host::SetState(const std::vector<char>& bytes)
{
    MemoryStream stream;
    int32 written = 0;
    if (!bytes.empty())
        stream.write(const_cast<char*>(bytes.data()), static_cast<int32>(bytes.size()), &written);
    stream.seek(0, IBStream::kIBSeekSet, nullptr);
    const tresult result = component_->setState(&stream);
    stream.seek(0, IBStream::kIBSeekSet, nullptr);
    controller_->setComponentState(&stream);
    return result;
}

void CVst3Host::Release()
{
    if (componentPoint_ && controllerPoint_) {
        componentPoint_->disconnect(controllerPoint_);
        controllerPoint_->disconnect(componentPoint_);
    }
    if (componentPoint_)
        componentPoint_->release();
    if (controllerPoint_)
        controllerPoint_->release();
    componentPoint_ = controllerPoint_ = nullptr;
    if (processor_)
        processor_->release();
    processor_ = nullptr;
    if (controller_) {
        controller_->terminate();
        controller_->release();
        controller_ = nullptr;
    }
    if (component_) {
        component_->terminate();
        component_->release();
        component_ = nullptr;
    }
}

}  // namespace qs::hosting
