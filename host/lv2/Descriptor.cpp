#include "host/lv2/Descriptor.h"

#include "host/lv2/Instance.h"

#include <cstring>

namespace zt::lv2 {

namespace {

// The host only ever sees the first member; the product rides along behind it.
struct SDescriptor {
    LV2_Descriptor lv2;
    const SProductInfo* product;
};

CInstance* InstanceOf(LV2_Handle handle) { return static_cast<CInstance*>(handle); }

LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double rate, const char*, const LV2_Feature* const* features)
{
    const auto* own = reinterpret_cast<const SDescriptor*>(descriptor);
    return CInstance::Create(*own->product, rate, features);
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data) { InstanceOf(handle)->ConnectPort(port, data); }
void Activate(LV2_Handle handle) { InstanceOf(handle)->Activate(); }
void Run(LV2_Handle handle, uint32_t frames) { InstanceOf(handle)->Run(frames); }
void Deactivate(LV2_Handle handle) { InstanceOf(handle)->Deactivate(); }
void Cleanup(LV2_Handle handle) { delete InstanceOf(handle); }

LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                      const LV2_Feature* const*)
{
    return InstanceOf(handle)->Save(store, state);
}

LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state, uint32_t,
                         const LV2_Feature* const*)
{
    return InstanceOf(handle)->Restore(retrieve, state);
}

LV2_Worker_Status Work(LV2_Handle handle, LV2_Worker_Respond_Function, LV2_Worker_Respond_Handle, uint32_t, const void*)
{
    return InstanceOf(handle)->Work();
}

LV2_Worker_Status WorkResponse(LV2_Handle, uint32_t, const void*) { return LV2_WORKER_SUCCESS; }

const void* ExtensionData(const char* uri)
{
    static const LV2_State_Interface kState = {&Save, &Restore};
    static const LV2_Worker_Interface kWorker = {&Work, &WorkResponse, nullptr};
    if (std::strcmp(uri, LV2_STATE__interface) == 0)
        return &kState;
    if (std::strcmp(uri, LV2_WORKER__interface) == 0)
        return &kWorker;
    return nullptr;
}

}  // namespace

const LV2_Descriptor* Descriptor(const SProductInfo& product)
{
    // One product per library.
    static const SDescriptor kDescriptor = {
        {product.uri, &Instantiate, &ConnectPort, &Activate, &Run, &Deactivate, &Cleanup, &ExtensionData},
        &product,
    };
    return &kDescriptor.lv2;
}

}  // namespace zt::lv2
