#pragma once

#include "framework/ztpi/PlugInInterfaces.h"

// A host that hears nothing, for benchmarks of the plug-in object.
struct NullHost : zt::ztpi::IHost {
    void BeginEdit(int32_t) override {}
    void ParameterChanged(int32_t) override {}
    void EndEdit(int32_t) override {}
    float GetHostValue() override { return 0.0f; }
    int32_t GetHostState() override { return 1; }
    void GetHostName(char*) override {}
    void GetHostVendor(char*) override {}
    void LatencyChanged() override {}
};
