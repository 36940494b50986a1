#pragma once

#include "core/ztpi/PlugInInterfaces.h"

#include <cstdint>

// The framework's module entry: creates the product module bound to host and writes
// the interface version (1); null when the module cannot be created.
extern "C" zt::ztpi::IModule* ztpiMain(zt::ztpi::IHost* host, int32_t* interfaceVersion);

namespace zt::vst3 {
// The library's own handle and folder (with a trailing "/"), recorded at load time.
void* LibraryHandle();
const char* LibraryFolder();
} // namespace zt::vst3
