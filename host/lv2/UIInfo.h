// What the generic LV2 UI knows of the product's editor. The UI library fills one in
// (static storage, alive as long as the library).
#pragma once

#include "framework/ztpi/PlugInInterfaces.h"

#include <cstdint>

namespace zt::lv2 {

struct SUIInfo {
    // The UI's URI, as the bundle's description declares it, and the plug-in's.
    const char* uri;
    const char* plugInUri;
    // Makes the editor of a plug-in object. The plug-in object lives in the plug-in
    // library, which links no editor and so has no factory registered; the UI library
    // brings its own.
    zt::ztpi::GUIFactory factory;
    // The editor's own X11 window while it is open: the widget a host embeds and resizes.
    uintptr_t (*windowOf)(zt::ztpi::IGUI& gui);
    // The product's framework module entry (SProductInfo::moduleEntry), for hosts that
    // share no instance: the editor then works on a plug-in object of its own.
    zt::ztpi::IModule* (*moduleEntry)(zt::ztpi::IHost* host, int32_t* interfaceVersion);
};

}  // namespace zt::lv2
