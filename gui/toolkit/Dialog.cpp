#include "gui/toolkit/Dialog.h"

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CDialog::CDialog(const SRect& rect, int32_t id, int32_t bitmapId) : CPane(rect, id)
{
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
    SetVisible(false);
}

CDialog::~CDialog() { Close(); }

void CDialog::Open(IWindow* window)
{
    if (!window || openIn_)
        return;
    openIn_ = window;
    SetVisible(true);
    window->AddOverlay(this);
}

void CDialog::Close()
{
    if (!openIn_)
        return;
    IWindow* window = openIn_;
    openIn_ = nullptr;
    window->RemoveOverlay(this);
    SetVisible(false);
}

bool CDialog::IsOpen() const { return openIn_ != nullptr; }

void CDialog::DrawBackground(IDrawContext& context)
{
    IBitmapResource* bitmap = GetBitmap();
    if (!bitmap)
        return;
    const SRect area = GetAbsoluteRect();
    bitmap->DrawFrame(context.GetPrimitives(), 0, 1, area.position, area);
}

// Whatever the children leave, nothing reaches the editor beneath.
bool CDialog::Mouse(EMouseEvent event, SPoint point)
{
    CPane::Mouse(event, point);
    return IsOpen();
}

bool CDialog::Wheel(SPoint point, float notches)
{
    CPane::Wheel(point, notches);
    return IsOpen();
}

bool CDialog::Key(int32_t keyCode)
{
    CPane::Key(keyCode);
    return IsOpen();
}

}  // namespace zt::ge
