// The host's saved state as the VST 3 classes receive it: one stream of bytes given to
// the processor's setState, then to the controller's setComponentState and setState, on
// the adapter built from the product's bundle identity through its factory. A refused state changes nothing, an accepted one reads back as itself,
// every parameter stays a normalized value, and the audio after it is finite.
#include "FuzzSupport.h"

#include "host/quillstrip/ProductIdentity.h"
#include "host/vst3/FactoryEntry.h"
#include "product/plugin/QuillstripModule.h"
#include "tools/hosting/Vst3Host.h"

#include "pluginterfaces/base/ibstream.h"
#include "public.sdk/source/common/memorystream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

// The bundle's module entry, less the editor's factory: the target opens no view.
extern "C" zt::ztpi::IModule* ztpiMain(zt::ztpi::IHost* host, int32_t* interfaceVersion)
{
    if (interfaceVersion)
        *interfaceVersion = 1;
    return new (std::nothrow) CQuillstripModule(host, nullptr);
}

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

using qs::fuzz::Require;

// A read-only stream over the input, as a host hands over a saved project's bytes:
// seeks stay inside it, writes are refused.
class CInputStream : public IBStream {
public:
    CInputStream(const uint8_t* data, size_t size) : data_(data), size_(static_cast<int64>(size)) {}
    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override
    {
        if (numBytes < 0)
            return kInvalidArgument;
        const int64 n = std::min<int64>(numBytes, size_ - at_);
        if (n > 0)
            std::memcpy(buffer, data_ + at_, static_cast<size_t>(n));
        at_ += n;
        if (numBytesRead)
            *numBytesRead = static_cast<int32>(n);
        return kResultOk;
    }
    tresult PLUGIN_API write(void*, int32, int32* numBytesWritten) override
    {
        if (numBytesWritten)
            *numBytesWritten = 0;
        return kResultFalse;
    }
    tresult PLUGIN_API seek(int64 pos, int32 mode, int64* result) override
    {
        const int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? at_ : mode == kIBSeekEnd ? size_ : -1;
        if (base < 0 || pos < -base || pos > size_ - base)
            return kInvalidArgument;
        at_ = base + pos;
        if (result)
            *result = at_;
        return kResultOk;
    }
    tresult PLUGIN_API tell(int64* pos) override
    {
        if (!pos)
            return kInvalidArgument;
        *pos = at_;
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
    {
        QUERY_INTERFACE(iid, obj, FUnknown::iid, IBStream)
        QUERY_INTERFACE(iid, obj, IBStream::iid, IBStream)
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

private:
    const uint8_t* data_;
    int64 size_, at_ = 0;
};

constexpr int kBlock = 256;

qs::hosting::CVst3Host& Host()
{
    qs::fuzz::Home();
    static qs::hosting::CVst3Host* host = [] {
        auto* h = new qs::hosting::CVst3Host();  // lives for the whole run
        Require(h->Use(zt::vst3::AcquireFactory(qs::vst3::kProduct)) && h->CreateInstance(), "the adapter is created from the factory");
        Require(h->SetBuses(2, 2) && h->Setup(48000, kBlock) && h->SetActive(true), "the adapter starts processing");
        return h;
    }();
    return *host;
}

std::vector<char> ControllerState()
{
    MemoryStream stream;
    Require(Host().controller()->getState(&stream) == kResultOk, "the controller saves its state");
    return std::vector<char>(stream.getData(), stream.getData() + stream.getSize());
}

tresult LoadController(const std::vector<char>& bytes)
{
    CInputStream stream(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return Host().controller()->setState(&stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qs::fuzz;
    auto& host = Host();
    // Every input starts from the same states, so its outcome depends on it alone.
    static const std::vector<char> initial = host.GetState(), initialController = ControllerState();
    Require(host.SetState(initial) == kResultOk && LoadController(initialController) == kResultOk,
            "the initial states load");
    host.clearHandlerLog();  // the recording handler would otherwise grow all run

    const std::vector<char> before = host.GetState();
    tresult processor, component, controller;
    {
        CAllocationBound bound(2 * size + 65536);
        CInputStream stream(data, size);
        processor = host.component()->setState(&stream);
        // As a host does next: the same bytes for the controller's view of the component.
        stream.seek(0, IBStream::kIBSeekSet, nullptr);
        component = host.controller()->setComponentState(&stream);
        CInputStream own(data, size);
        controller = host.controller()->setState(&own);
    }
    (void)component;  // either answer is fine; it must only not crash or read past the end

    const std::vector<char> after = host.GetState();
    if (processor != kResultOk)
        Require(after == before, "a refused processor state changes nothing");
    else
        Require(host.SetState(after) == kResultOk && host.GetState() == after,
                "an accepted processor state reads back as itself");

    const std::vector<char> controllerAfter = ControllerState();
    if (controller != kResultOk)
        Require(controllerAfter == initialController, "a refused controller state changes nothing");
    else
        Require(LoadController(controllerAfter) == kResultOk && ControllerState() == controllerAfter,
                "an accepted controller state reads back as itself");

    IEditController* c = host.controller();
    for (int32 i = 0; i < c->getParameterCount(); ++i) {
        ParameterInfo info{};
        Require(c->getParameterInfo(i, info) == kResultOk, "every parameter is described");
        const double v = c->getParamNormalized(info.id);
        Require(v >= 0.0 && v <= 1.0, "every parameter reads as a normalized value");
        String128 text = {};
        c->getParamStringByValue(info.id, v, text);
    }

    static std::vector<float> l(kBlock), r(kBlock), sl(kBlock), sr(kBlock), ol(kBlock), or_(kBlock);
    float* in[2] = {l.data(), r.data()};
    float* side[2] = {sl.data(), sr.data()};
    float* out[2] = {ol.data(), or_.data()};
    for (int block = 0; block < 2; ++block) {
        for (size_t i = 0; i < size_t(kBlock); ++i)
            l[i] = r[i] = sl[i] = sr[i] = 0.5f * std::sin(0.05f * float(i + size_t(block) * kBlock));
        Require(host.Process(in, 2, side, 2, out, 2, kBlock), "the block is processed");
        for (size_t i = 0; i < size_t(kBlock); ++i)
            Require(std::isfinite(ol[i]) && std::isfinite(or_[i]), "finite output");
    }
    return 0;
}
