// What the generic LV2 adapter knows of the product it wraps. A bundle fills one in
// (static storage, alive as long as the library); the descriptor and the description
// writer both read it.
#pragma once

#include "framework/ztpi/PlugInInterfaces.h"

#include <cstdint>

namespace zt::lv2 {

// The unit a parameter really has where its display text shows none (times in ms,
// mixes in %), by automation name. unit is one of the texts UnitUri knows.
struct SUnitOf {
    const char* name;
    const char* unit;
};

struct SProductInfo {
    // The plug-in's URI; it never changes once hosts have stored it in sessions.
    const char* uri;
    const char* name;
    const char* vendor;
    const char* vendorUri;
    const char* license;  // a URI
    // lv2:minorVersion and lv2:microVersion, from the project's version.
    int32_t minorVersion;
    int32_t microVersion;
    const char* version;  // the full version text
    // The product's framework module entry: creates the module bound to host and
    // writes the interface version; null when the module cannot be created.
    zt::ztpi::IModule* (*moduleEntry)(zt::ztpi::IHost* host, int32_t* interfaceVersion);
    const SUnitOf* units;
    int32_t unitCount;
};

}  // namespace zt::lv2
