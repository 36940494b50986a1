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
    if (session_)
        session_->Cancel();
}

SMenuItem& CPopupMenu::GetItems() { return items_; }
void CPopupMenu::SetFont(int32_t fontId, SColour colour) { font_.Set(fontId, colour); }
void CPopupMenu::SetFont(IFontResource* font) { font_.Set(font); }
bool CPopupMenu::IsMenuOpen() const { return session_ && !session_->IsFinished(); }
CMenuSession* CPopupMenu::GetSession() { return IsMenuOpen() ? session_.get() : nullptr; }

void CPopupMenu::CloseMenu()
{
    if (session_)
        session_->Cancel();
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
    session_ = std::make_unique<CMenuSession>(*window, items_, font_.Get(window),
                                              [this](bool chosen, int32_t command) { OnMenuDone(chosen, command); });
    if (!session_->Open(point))
        session_.reset();
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
    if (session_ && session_->IsFinished())
        session_.reset();
}

}  // namespace zt::ge
