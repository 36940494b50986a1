#include "host/vst3/Effect.h"

#include "host/vst3/Controller.h"

#include "framework/de/Converters.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace zt::vst3 {

namespace {

constexpr SpeakerArrangement kMono = 0x80000;  // kSpeakerM
constexpr SpeakerArrangement kStereo = 3;      // L | R

SpeakerArrangement ArrangementOf(int32_t channels) { return channels == 1 ? kMono : channels == 2 ? kStereo : 0; }

int32_t ChannelsOf(SpeakerArrangement arr) { return arr == kMono ? 1 : arr == kStereo ? 2 : 0; }

const char* NameOf(SpeakerArrangement arr) { return arr == kMono ? "Mono" : arr == kStereo ? "Stereo" : "Empty"; }

void BusName(String128 name, SpeakerArrangement arr, const char* suffix)
{
    const std::string text = std::string(NameOf(arr)) + suffix;
    UString(name, 128).fromAscii(text.c_str());
}

}  // namespace

CEffect::CEffect(const SProductInfo& product) : product_(product) { setControllerClass(product_.controllerUID); }

CEffect::~CEffect() = default;

FUnknown* CEffect::Create(void* context)
{
    if (!context)
        return nullptr;
    return static_cast<IAudioProcessor*>(new CEffect(*static_cast<const SProductInfo*>(context)));
}

CEffect::SChannelConfigs CEffect::ReadChannelConfigs() const
{
    SChannelConfigs c;
    const int32_t n = plugIn_->GetNumChannelConfigs();
    c.inputs.resize(static_cast<size_t>(n));
    c.outputs.resize(static_cast<size_t>(n));
    c.sidechains.resize(static_cast<size_t>(n));
    plugIn_->GetChannelConfigs(c.inputs.data(), c.outputs.data(), c.sidechains.data());
    return c;
}

void CEffect::AddBuses(SpeakerArrangement in, SpeakerArrangement out, SpeakerArrangement aux, bool withAux)
{
    String128 name;
    BusName(name, in, " In");
    addAudioInput(name, in, kMain, BusInfo::kDefaultActive);
    BusName(name, out, " Out");
    addAudioOutput(name, out, kMain, BusInfo::kDefaultActive);
    if (withAux) {
        BusName(name, aux, " Aux In");
        addAudioInput(name, aux, kAux, 0);
    }
}

tresult PLUGIN_API CEffect::initialize(FUnknown* context)
{
    int32_t version = 0;
    module_ = product_.moduleEntry(this, &version);
    if (!module_)
        return kInternalError;
    plugIn_ = module_->CreatePlugIn(0);
    if (!plugIn_)
        return kInternalError;
    plugIn_->Open();
    parameterCount_ = static_cast<uint32_t>(plugIn_->GetNumParameters());
    converters_.clear();
    for (uint32_t i = 0; i < parameterCount_; ++i) {
        zt::ztpi::SAutomationInfo info;
        plugIn_->GetAutomationInfo(static_cast<int32_t>(i), &info);
        converters_.push_back({info.converterType, info.minimum, info.maximum, info.curveBase ? *info.curveBase : 0});
    }
    initialized_ = true;

    const tresult result = Component::initialize(context);
    if (result != kResultOk)
        return result;

    const SChannelConfigs c = ReadChannelConfigs();
    const auto withSide = std::find_if(c.sidechains.begin(), c.sidechains.end(), [](int32_t s) { return s != 0; });
    hasSideChain_ = withSide != c.sidechains.end();
    const size_t k = hasSideChain_ ? static_cast<size_t>(withSide - c.sidechains.begin()) : 0;
    if (!c.inputs.empty())
        AddBuses(ArrangementOf(c.inputs[k]), ArrangementOf(c.outputs[k]), ArrangementOf(c.sidechains[k]),
                 hasSideChain_);

    // Until the host says otherwise, the plug-in runs as the first bus set describes.
    if (!c.inputs.empty()) {
        inputs_ = c.inputs[k];
        outputs_ = c.outputs[k];
        sidechains_ = 0;  // the aux bus starts inactive
        plugIn_->SetChannelConfig(inputs_, outputs_, sidechains_);
    }

    FUnknownPtr<IHostApplication> app(context);
    if (app) {
        String128 name = {};
        if (app->getName(name) == kResultOk) {
            char text[129] = {};
            UString(name, 128).toAscii(text, 128);
            hostName_ = text;  // kept for the editor; not printed, hosts own our stdout
        }
    }
    return kResultOk;
}

tresult PLUGIN_API CEffect::terminate()
{
    initialized_ = false;
    if (plugIn_) {
        plugIn_->Destroy();
        plugIn_ = nullptr;
    }
    if (module_) {
        module_->Destroy();
        module_ = nullptr;
    }
    return Component::terminate();
}

tresult PLUGIN_API CEffect::activateBus(MediaType type, BusDirection dir, int32 index, TBool state)
{
    const tresult result = Component::activateBus(type, dir, index, state);
    if (result == kResultTrue && type == kAudio && dir == kInput && index == 1)
        auxActive_.store(state != 0, std::memory_order_relaxed);
    return result;
}

tresult PLUGIN_API CEffect::setActive(TBool state)
{
    if (plugIn_) {
        plugIn_->Idle();
        if (state)
            plugIn_->Resume();
        else
            plugIn_->Suspend();
    }
    return Component::setActive(state);
}

void CEffect::ConnectOnce()
{
    if (connected_)
        return;
    if (IMessage* message = allocateMessage()) {
        message->setMessageID(kLinkMessage);
        message->getAttributes()->setInt(kLinkAttribute, reinterpret_cast<int64>(this));
        sendMessage(message);
        message->release();
    }
    connected_ = true;
}

tresult PLUGIN_API CEffect::notify(IMessage* message)
{
    if (!message || std::strcmp(message->getMessageID(), kLinkMessage) != 0)
        return kResultFalse;
    message->getAttributes()->setInt(kLinkAttribute, reinterpret_cast<int64>(this));
    return kResultOk;
}

tresult PLUGIN_API CEffect::setupProcessing(ProcessSetup& setup)
{
    // The rates the engine is made for; the rate arithmetic (twice the rate while
    // oversampling) stays far from overflow. Anything else changes nothing.
    if (!(setup.sampleRate >= kMinSampleRate && setup.sampleRate <= kMaxSampleRate) || setup.maxSamplesPerBlock < 1)
        return kResultFalse;
    ConnectOnce();
    if (plugIn_) {
        plugIn_->Idle();
        plugIn_->SetMaxBlockSize(setup.maxSamplesPerBlock);
        plugIn_->SetSampleRate(static_cast<int32_t>(setup.sampleRate));  // truncated, never rounded up
        plugIn_->Prepare();
    }
    silence_.assign(static_cast<size_t>(std::max(setup.maxSamplesPerBlock, 0)), 0.0f);
    return AudioEffect::setupProcessing(setup);
}

tresult PLUGIN_API CEffect::setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                               int32 numOuts)
{
    if (!plugIn_ || numIns < 1 || numOuts < 1)
        return kResultFalse;
    const SChannelConfigs c = ReadChannelConfigs();
    const SpeakerArrangement aux = numIns > 1 ? inputs[1] : 0;
    auto matches = [](int32_t channels, SpeakerArrangement arr) { return ArrangementOf(channels) == arr; };
    bool accepted = false;
    for (size_t i = 0; i < c.inputs.size() && !accepted; ++i)
        accepted = matches(c.inputs[i], inputs[0]) && matches(c.outputs[i], outputs[0]) && matches(c.sidechains[i], aux)
            && ChannelsOf(inputs[0]) != 0;
    if (!accepted)
        return kResultFalse;

    removeAudioBusses();
    AddBuses(inputs[0], outputs[0], aux, numIns >= 2);
    inputs_ = ChannelsOf(inputs[0]);
    outputs_ = ChannelsOf(outputs[0]);
    sidechains_ = ChannelsOf(aux);
    auxActive_.store(false, std::memory_order_relaxed);  // a new aux bus starts switched off
    plugIn_->SetChannelConfig(inputs_, outputs_, sidechains_);
    return kResultTrue;
}

uint32 PLUGIN_API CEffect::getLatencySamples() { return plugIn_ ? static_cast<uint32>(plugIn_->GetLatency()) : 0; }

void CEffect::QueueParameterChanges(IParameterChanges* changes)
{
    if (!changes)
        return;
    const int32 queues = changes->getParameterCount();
    for (int32 q = 0; q < queues; ++q) {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (!queue)
            continue;
        const ParamID id = queue->getParameterId();
        if (id >= converters_.size())
            continue;
        const SConverterInfo& c = converters_[id];
        for (int32 p = 0, points = queue->getPointCount(); p < points; ++p) {
            int32 offset = 0;
            ParamValue value = 0;
            if (queue->getPoint(p, offset, value) != kResultOk)
                continue;
            zt::ztpi::SEvent event;
            event.type = zt::ztpi::SEvent::kParameterChange;
            event.offset = std::max(offset, int32(0));
            event.data[0] = static_cast<int32_t>(id);
            const float plain
                = zt::de::PlainFromNormalized(c.kind, c.minimum, c.maximum, c.base, std::clamp(value, 0.0, 1.0));
            std::memcpy(&event.data[1], &plain, sizeof plain);
            plugIn_->AddEvents(&event, 1);
        }
    }
}

tresult PLUGIN_API CEffect::process(ProcessData& data)
{
    if (!plugIn_)
        return kResultOk;
    QueueParameterChanges(data.inputParameterChanges);
    // Every pointer is checked before it is read: a host may pass fewer channels than
    // arranged, or null buffers.
    bool hasBuffers = data.numInputs > 0 && data.numOutputs > 0 && data.inputs && data.outputs
        && data.inputs[0].channelBuffers32 && data.outputs[0].channelBuffers32 && data.inputs[0].numChannels > 0
        && data.outputs[0].numChannels >= outputs_ && outputs_ > 0;
    for (int32 c = 0; hasBuffers && c < outputs_; ++c)
        hasBuffers = data.outputs[0].channelBuffers32[c] != nullptr;
    if (data.numSamples <= 0 || !hasBuffers) {
        // A flush call: the queued changes take effect, no audio is touched.
        plugIn_->Process(nullptr, nullptr, 0);
        return kResultOk;
    }
    const int32 frames = data.numSamples;
    if (frames > static_cast<int32>(silence_.size())) {
        // More than the maximum block the host promised: silence rather than a guess.
        for (int32 c = 0; c < outputs_; ++c)
            std::fill(data.outputs[0].channelBuffers32[c], data.outputs[0].channelBuffers32[c] + frames, 0.0f);
        data.outputs[0].silenceFlags = (uint64(1) << outputs_) - 1;
        return kInvalidArgument;
    }
    // A main input with fewer channels than arranged (or a null channel) reads as its
    // first channel, or as silence when that is missing too.
    const int32 given = std::min(data.inputs[0].numChannels, int32(2));
    float* in[4] = {};
    for (int32 c = 0; c < inputs_; ++c) {
        float* buffer = c < given ? data.inputs[0].channelBuffers32[c] : nullptr;
        in[c] = buffer ? buffer : (c > 0 ? in[0] : silence_.data());
    }
    const int32 channels = inputs_;
    float** outBuffers = data.outputs[0].channelBuffers32;

    // A silent bus may hold anything; the plug-in sees zeros.
    if (data.inputs[0].silenceFlags != 0)
        for (int32 c = 0; c < channels; ++c)
            in[c] = silence_.data();

    if (sidechains_ < 1) {
        plugIn_->Process(outBuffers, in, frames);
    } else {
        // Main inputs, then the side-chain. The key is the side-chain only while the host
        // has switched its bus on and hands its buffers; otherwise it is the main input.
        // A mono side-chain keys both channels.
        const bool auxActive = hasSideChain_ && auxActive_.load(std::memory_order_relaxed) && data.numInputs > 1
            && data.inputs[1].channelBuffers32 && data.inputs[1].numChannels > 0 && data.inputs[1].channelBuffers32[0];
        for (int32 c = 0; c < sidechains_; ++c) {
            float* side = in[std::min(c, channels - 1)];
            if (auxActive) {
                float* given = c < data.inputs[1].numChannels ? data.inputs[1].channelBuffers32[c] : nullptr;
                side = data.inputs[1].silenceFlags != 0 ? silence_.data()
                    : given                             ? given
                                                        : data.inputs[1].channelBuffers32[0];
            }
            in[inputs_ + c] = side;
        }
        plugIn_->Process(outBuffers, in, frames);
    }
    // Tell the host which output channels are all zeros, so it can skip work after them.
    uint64 silent = 0;
    for (int32 c = 0; c < outputs_; ++c) {
        const float* out = outBuffers[c];
        bool zero = true;
        for (int32 i = 0; i < frames && zero; ++i)
            zero = out[i] == 0.0f;
        if (zero)
            silent |= uint64(1) << c;
    }
    data.outputs[0].silenceFlags = silent;
    return kResultOk;
}

// --- host state -------------------------------------------------------------

tresult PLUGIN_API CEffect::getState(IBStream* state)
{
    ConnectOnce();
    if (!plugIn_ || !state)
        return kResultFalse;
    plugIn_->Idle();
    const int32_t size = plugIn_->GetChunkSize();
    std::vector<char> buffer(static_cast<size_t>(std::max(size, 0)));
    if (size > 0)
        plugIn_->GetChunk(buffer.data());
    int32 written = 0;
    return state->write(buffer.data(), size, &written);
}

tresult PLUGIN_API CEffect::setState(IBStream* state)
{
    if (!plugIn_ || !state)
        return kResultFalse;
    int64 size = 0;
    state->seek(0, IBStream::kIBSeekEnd, &size);
    state->seek(0, IBStream::kIBSeekSet, nullptr);
    if (size <= 0)
        return kResultOk;
    if (size > (int64(1) << 30))
        return kResultFalse;  // no state of ours comes near this
    std::vector<char> buffer(static_cast<size_t>(size));
    int32 read = 0;
    if (state->read(buffer.data(), static_cast<int32>(size), &read) != kResultOk || read != size)
        return kResultFalse;
    // A state that is no whole chunk file changes nothing, and the host hears so.
    return plugIn_->SetChunk(buffer.data(), read) ? kResultOk : kResultFalse;
}

// --- zt::ztpi::IHost ----------------------------------------------------------

void CEffect::BeginEdit(int32_t index)
{
    if (!initialized_ || !plugIn_ || index < 0 || index >= plugIn_->GetNumParameters())
        return;
    if (gestures_.size() <= size_t(index))
        gestures_.resize(size_t(plugIn_->GetNumParameters()), false);
    if (gestures_[size_t(index)])
        return;
    gestures_[size_t(index)] = true;
    if (controller_)
        controller_->beginEdit(static_cast<ParamID>(index));
}

void CEffect::ParameterChanged(int32_t index)
{
    if (!initialized_ || !plugIn_)
        return;
    const float plain = plugIn_->GetParameter(index);
    zt::ztpi::SAutomationInfo info;
    plugIn_->GetAutomationInfo(index, &info);
    const auto converter
        = zt::de::MakeConverter(info.converterType, info.minimum, info.maximum, info.curveBase ? *info.curveBase : 0);
    const auto normalized = static_cast<float>(converter->ToNormalized(plain));
    if (!controller_)
        return;
    const bool inGesture = index >= 0 && size_t(index) < gestures_.size() && gestures_[size_t(index)];
    if (!inGesture)
        controller_->beginEdit(static_cast<ParamID>(index));
    controller_->performEdit(static_cast<ParamID>(index), normalized);
    if (!inGesture)
        controller_->endEdit(static_cast<ParamID>(index));
}

void CEffect::EndEdit(int32_t index)
{
    if (index < 0 || size_t(index) >= gestures_.size() || !gestures_[size_t(index)])
        return;
    gestures_[size_t(index)] = false;
    if (controller_)
        controller_->endEdit(static_cast<ParamID>(index));
}

void CEffect::GetHostName(char* text) { std::strcpy(text, "n/a"); }

void CEffect::GetHostVendor(char* text) { std::strcpy(text, "n/a"); }

void CEffect::LatencyChanged()
{
    if (controller_)
        controller_->RestartWithLatency();
}

}  // namespace zt::vst3
