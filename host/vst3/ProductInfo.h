// What the generic adapter knows of the product it wraps. A bundle entry fills one
// in (static storage, alive as long as the library) and builds its factory from it;
// every processor the factory creates keeps a pointer to it.
#pragma once

#include "framework/ztpi/PlugInInterfaces.h"

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/vst/vsttypes.h"

#include <cstdint>

namespace zt::vst3 {

struct SProductInfo {
    // Class identifiers; they never change once hosts have stored them in projects.
    Steinberg::FUID processorUID;
    Steinberg::FUID controllerUID;
    // Fixed-width name areas (see CopyNameField): the name NUL-terminated, then spaces.
    const char* productNameArea;
    const char* vendorNameArea;
    const char* version;
    const char* url;
    const char* email;
    const char* subCategories;  // "Fx", "Fx|EQ", ...
    // The product's framework module entry: creates the module bound to host and
    // writes the interface version; null when the module cannot be created.
    zt::ztpi::IModule* (*moduleEntry)(zt::ztpi::IHost* host, int32_t* interfaceVersion);
};

// The SDK version the classes report: the one we build against.
constexpr const char* kSdkVersion = kVstVersionString;

// Id of the message with which processor and controller find each other, and the
// attribute that carries the processor's address.
constexpr const char* kLinkMessage = "plugin p";
constexpr const char* kLinkAttribute = "processor";

}  // namespace zt::vst3
