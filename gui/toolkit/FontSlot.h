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
    SColour GetColour() const { return m_colour; }

private:
    int32_t m_id = -1;
    SColour m_colour;
    TResourceRef<IFontResource> m_font;
};

}  // namespace zt::ge
