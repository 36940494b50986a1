// A minimal VST 3 host for our tools and tests: loads a bundle as a host does
// (dlopen, ModuleEntry, GetPluginFactory), creates the processor and controller,
// connects them and drives processing, parameters and state.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <memory>
#include <string>
#include <vector>

namespace qs::hosting {

// What the plug-in reported through the component handler.
struct SHandlerLog {
    std::vector<std::pair<Steinberg::Vst::ParamID, double>> edits;  // performEdit
    int begins = 0, ends = 0;
    std::vector<Steinberg::int32> restarts;  // restartComponent flags
};

class CVst3Host {
public:
    CVst3Host();
    ~CVst3Host();

    // path: the .vst3 bundle folder or the .so itself. False with error() set on failure.
    bool Load(const std::string& path);
    // Or a factory already in this process (a bundle's code linked into the program); the
    // host takes over the reference GetPluginFactory gave.
    bool Use(Steinberg::IPluginFactory* factory);
    // Creates and initialises the processor and controller and connects them.
    bool CreateInstance();
    const std::string& error() const { return error_; }

    Steinberg::IPluginFactory* factory() const { return factory_; }
    Steinberg::Vst::IComponent* component() const { return component_; }
    Steinberg::Vst::IAudioProcessor* processor() const { return processor_; }
    Steinberg::Vst::IEditController* controller() const { return controller_; }
    const SHandlerLog& handlerLog() const;
    void clearHandlerLog();

    // Bus set-up: channels per bus; sideChannels 0 leaves the aux bus out.
    bool SetBuses(int mainChannels, int sideChannels);
    bool Setup(double sampleRate, int maxBlock);
    bool SetActive(bool active);

    // One block: in[c] main inputs, side[c] side-chain inputs, out[c] outputs, with the
    // parameter changes that arrive with it (may be null).
    bool Process(float** in, int inChannels, float** side, int sideChannels, float** out, int outChannels, int frames,
                 Steinberg::uint64 silenceFlags = 0, Steinberg::Vst::IParameterChanges* changes = nullptr);
    // The output silence flags the last Process call returned.
    Steinberg::uint64 outputSilence() const { return outputSilence_; }
    // A call with no audio that only delivers parameter changes.
    bool Flush(Steinberg::Vst::IParameterChanges* changes);

    // Parameter access; FindParameter gives the id of a title, or -1.
    int FindParameter(const std::string& name) const;
    bool SetNormalized(Steinberg::Vst::ParamID id, double normalized);
    double GetNormalized(Steinberg::Vst::ParamID id) const;
    std::string ValueText(Steinberg::Vst::ParamID id, double normalized) const;

    // Component state through a memory stream; SetState gives the processor's result.
    std::vector<char> GetState() const;
    Steinberg::tresult SetState(const std::vector<char>& bytes);

    void Release();

private:
    Steinberg::uint64 outputSilence_ = 0;
    std::string error_;
    void* library_ = nullptr;
    Steinberg::IPluginFactory* factory_ = nullptr;
    Steinberg::Vst::IComponent* component_ = nullptr;
    Steinberg::Vst::IAudioProcessor* processor_ = nullptr;
    Steinberg::Vst::IEditController* controller_ = nullptr;
    Steinberg::Vst::IConnectionPoint* componentPoint_ = nullptr;
    Steinberg::Vst::IConnectionPoint* controllerPoint_ = nullptr;
    struct SParts;
    std::unique_ptr<SParts> parts_;
};

}  // namespace qs::hosting
