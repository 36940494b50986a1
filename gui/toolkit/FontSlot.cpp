#include "gui/toolkit/FontSlot.h"

#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

void CFontSlot::Set(int32_t resourceId, SColour colour)
{
    font_.Reset();
    id_ = resourceId;
    colour_ = colour;
}

void CFontSlot::Set(IFontResource* font)
{
    font_ = TResourceRef<IFontResource>::Share(font);
    id_ = -1;
    if (font)
        colour_ = font->GetColour();
}

IFontResource* CFontSlot::Get(IWindow* window)
{
    if (!font_ && id_ >= 0 && window) {
        if (IResourceManager* resources = window->GetResourceManager()) {
            font_ = TResourceRef<IFontResource>::Adopt(resources->GetFont(id_, colour_));
            id_ = -1;
        }
    }
    return font_.Get();
}

}  // namespace zt::ge
