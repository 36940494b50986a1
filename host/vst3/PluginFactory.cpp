#include "host/vst3/PluginFactory.h"

#include <cstring>

using namespace Steinberg;

namespace zt::vst3 {

CPluginFactory::CPluginFactory(const PFactoryInfo& info)
    : factoryInfo_(info){FUNKNOWN_CTOR}

      IMPLEMENT_REFCOUNT(CPluginFactory)

          tresult PLUGIN_API CPluginFactory::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, FUnknown::iid, IPluginFactory2)
    QUERY_INTERFACE(iid, obj, IPluginFactory::iid, IPluginFactory2)
    QUERY_INTERFACE(iid, obj, IPluginFactory2::iid, IPluginFactory2)
    *obj = nullptr;
    return kNoInterface;
}

void CPluginFactory::RegisterClass(const PClassInfo2& info, CreateFunction create, void* context)
{
    classes_.push_back({info, create, context});
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info)
{
    if (!info)
        return kInvalidArgument;
    std::memcpy(info, &factoryInfo_, sizeof(PFactoryInfo));
    return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses() { return static_cast<int32>(classes_.size()); }

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
    if (!info || index < 0 || index >= countClasses())
        return kInvalidArgument;
    const PClassInfo2& c = classes_[static_cast<size_t>(index)].info;
    std::memcpy(info->cid, c.cid, sizeof(TUID));
    info->cardinality = c.cardinality;
    std::memcpy(info->category, c.category, sizeof info->category);
    std::memcpy(info->name, c.name, sizeof info->name);
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
    if (!info || index < 0 || index >= countClasses())
        return kInvalidArgument;
    std::memcpy(info, &classes_[static_cast<size_t>(index)].info, sizeof(PClassInfo2));
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid)
        return kInvalidArgument;
    for (const SEntry& entry : classes_) {
        if (std::memcmp(entry.info.cid, cid, sizeof(TUID)) != 0)
            continue;
        FUnknown* instance = nullptr;
        try {
            instance = entry.create(entry.context);
        } catch (...) {
            return kOutOfMemory;
        }
        if (!instance)
            return kOutOfMemory;
        const tresult result = instance->queryInterface(iid, obj);
        instance->release();
        return result == kResultOk ? kResultOk : kNoInterface;
    }
    return kNoInterface;
}

}  // namespace zt::vst3
