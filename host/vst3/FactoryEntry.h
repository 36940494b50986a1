// The library's one factory, built on first use from the product's description.
#pragma once

#include "host/vst3/ProductInfo.h"

#include "pluginterfaces/base/ipluginbase.h"

namespace zt::vst3 {

// The factory with one reference added for the caller (GetPluginFactory hands it to
// the host); null when it cannot be built. product must outlive the library.
Steinberg::IPluginFactory* AcquireFactory(const SProductInfo& product);
// Drops the library's own reference (ModuleExit): the last host reference deletes
// the factory, and a later AcquireFactory builds a new one.
void ReleaseFactory();

}  // namespace zt::vst3
