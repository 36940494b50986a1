#pragma once

#include <cstdint>

#include "gui/toolkit/Colour.h"
#include "gui/toolkit/FontResource.h"
#include "gui/toolkit/ResourceRef.h"

namespace zt::ge {

class IWindow;

// A control's font: a resource id and colour looked up through the
// window's resource manager when first needed, or a font given directly.
class CFontSlot {
public:
    void Set(int32_t resourceId, SColour colour);
    void Set(IFontResource* font);  // takes a reference of its own
    // Null while there is no font (no id, no window, no manager, unknown id).
    IFontResource* Get(IWindow* window);
    SColour GetColour() const { return colour_; }

private:
    int32_t id_ = -1;
    SColour colour_;
    TResourceRef<IFontResource> font_;
};

}  // namespace zt::ge
