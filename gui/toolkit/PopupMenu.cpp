#include "gui/toolkit/PopupMenu.h"

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CPopupMenu::CPopupMenu(const SRect& rect, int32_t id, int32_t bitmapId) : CControl(rect, id)
{
    SetClamped(false);  // the value is a command number
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
}

CPopupMenu::~CPopupMenu()
{
    if (m_session)
        m_session->Cancel();
}

SMenuItem& CPopupMenu::GetItems() { return m_items; }
void CPopupMenu::SetFont(int32_t fontId, SColour colour) { m_font.Set(fontId, colour); }
void CPopupMenu::SetFont(IFontResource* font) { m_font.Set(font); }
bool CPopupMenu::IsMenuOpen() const { return m_session && !m_session->IsFinished(); }
CMenuSession* CPopupMenu::GetSession() { return IsMenuOpen() ? m_session.get() : nullptr; }

void CPopupMenu::CloseMenu()
{
    if (m_session)
        m_session->Cancel();
}

void CPopupMenu::Draw(IDrawContext& context)
{
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const SRect area = GetAbsoluteRect();
    // A two-frame bitmap shows its lower frame while the menu is open.
    const int32_t frames = bitmap->GetHeight() >= 2 * area.size.height ? 2 : 1;
    bitmap->DrawFrame(context.GetPrimitives(), IsMenuOpen() ? 1 : 0, frames, area.position, area);
}

bool CPopupMenu::Mouse(EMouseEvent event, SPoint point)
{
    if (!TakesInput() || (event != kMouseLeftDown && event != kMouseLeftDoubleClick) || !IsInside(point))
        return false;
    IWindow* window = GetWindow();
    if (!window || IsMenuOpen())
        return true;
    m_session = std::make_unique<CMenuSession>(*window, m_items, m_font.Get(window),
                                               [this](bool chosen, int32_t command) { OnMenuDone(chosen, command); });
    if (!m_session->Open(point))
        m_session.reset();
    Invalidate();
    return true;
}

void CPopupMenu::OnMenuDone(bool chosen, int32_t command)
{
    Invalidate();
    if (chosen)
        SetValue(float(command), true);
}

void CPopupMenu::Tick()
{
    CControl::Tick();
    // A finished menu cannot go away inside its own callback; it goes here.
    if (m_session && m_session->IsFinished())
        m_session.reset();
}

}  // namespace zt::ge
