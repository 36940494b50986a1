// The LV2 UI descriptor of a product's editor: an X11 UI inside the host's window that
// reaches the plug-in object through instance access.
#pragma once

#include "host/lv2/UIInfo.h"

#include "lv2/ui/ui.h"

namespace zt::lv2 {

// The descriptor for ui; the same object on every call with the same ui.
const LV2UI_Descriptor* UIDescriptor(const SUIInfo& ui);

}  // namespace zt::lv2
