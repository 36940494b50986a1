#include "gui/toolkit/FontSlot.h"

#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

void CFontSlot::Set(int32_t resourceId, SColour colour)
{
    m_font.Reset();
    m_id = resourceId;
    m_colour = colour;
}

void CFontSlot::Set(IFontResource* font)
{
    m_font = TResourceRef<IFontResource>::Share(font);
    m_id = -1;
    if (font)
        m_colour = font->GetColour();
}

IFontResource* CFontSlot::Get(IWindow* window)
{
    if (!m_font && m_id >= 0 && window) {
        if (IResourceManager* resources = window->GetResourceManager()) {
            m_font = TResourceRef<IFontResource>::Adopt(resources->GetFont(m_id, m_colour));
            m_id = -1;
        }
    }
    return m_font.Get();
}

}  // namespace zt::ge
