#pragma once

#include "framework/ztpi/PlugInInterfaces.h"

// A host that hears nothing, for benchmarks of the plug-in object.
struct NullHost : zt::ztpi::IHost {
    void BeginEdit(int32_t) override {}
    void ParameterChanged(int32_t) override {}
    void EndEdit(int32_t) override {}
    void GetHostName(char*) override {}
    void GetHostVendor(char*) override {}
    void LatencyChanged() override {}
};
