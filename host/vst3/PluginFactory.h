// A class factory for VST 3 hosts: factory information plus a fixed list of classes,
// each with its create function.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

#include <vector>

namespace zt::vst3 {

class CPluginFactory : public Steinberg::IPluginFactory2 {
public:
    using CreateFunction = Steinberg::FUnknown* (*)(void* context);

    explicit CPluginFactory(const Steinberg::PFactoryInfo& info);
    virtual ~CPluginFactory() = default;

    // create receives context on every call.
    void RegisterClass(const Steinberg::PClassInfo2& info, CreateFunction create, void* context = nullptr);

    // IPluginFactory
    Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) SMTG_OVERRIDE;
    Steinberg::int32 PLUGIN_API countClasses() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index, Steinberg::PClassInfo* info) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                                 void** obj) SMTG_OVERRIDE;
    // IPluginFactory2
    Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index, Steinberg::PClassInfo2* info) SMTG_OVERRIDE;

    DECLARE_FUNKNOWN_METHODS

private:
    struct SEntry {
        Steinberg::PClassInfo2 info;
        CreateFunction create;
        void* context;
    };
    Steinberg::PFactoryInfo factoryInfo_;
    std::vector<SEntry> classes_;
};

}  // namespace zt::vst3
