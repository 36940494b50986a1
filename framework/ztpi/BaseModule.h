#pragma once

#include "framework/ztpi/PlugInInterfaces.h"

namespace zt::ztpi {

// The library-level object a host adapter creates first; it makes the plug-in objects.
// It keeps exactly the library handle and the host it was created for.
class CBaseModule : public IModule {
public:
    CBaseModule(IHost* host, void* instance) : host_(host), instance_(instance) {}
    void Destroy() override { delete this; }
    int32_t GetCount() override { return 1; }

    void* GetInstance() const { return instance_; }
    IHost* GetHost() const { return host_; }

private:
    IHost* host_;
    void* instance_;
};

}  // namespace zt::ztpi
