#pragma once

#include "framework/ztpi/BaseModule.h"

class CQuillstripModule final : public zt::ztpi::CBaseModule {
public:
    using CBaseModule::CBaseModule;
    // A new CQuillstripPlugIn for this module's host, or null when it cannot be made.
    zt::ztpi::IPlugIn* CreatePlugIn(int32_t index) override;
};
