#include "gui/toolkit/OffscreenWindow.h"

#include <algorithm>
#include <cstring>

namespace zt::ge {

COffscreenPopup::COffscreenPopup(INativePopupListener* listener, std::vector<COffscreenPopup*>& registry)
    : listener_(listener), registry_(registry)
{
    registry_.push_back(this);
}

COffscreenPopup::~COffscreenPopup()
{
    registry_.erase(std::remove(registry_.begin(), registry_.end(), this), registry_.end());
}

SRect COffscreenPopup::Show(const SRect& rect)
{
    rect_ = rect;
    shown_ = true;
    surface_.Resize(rect.size);
    return rect;
}

IDC& COffscreenPopup::GetSurface() { return surface_; }
void COffscreenPopup::Present() { ++presentCount_; }

bool COffscreenPopup::GrabInput()
{
    grabbed_ = true;
    return true;
}

COffscreenPort::COffscreenPort(SSize size) : size_(size) {}

bool COffscreenPort::Open(INativeWindowListener*, uintptr_t, const SRect& rect)
{
    size_ = rect.size;
    return true;
}

uintptr_t COffscreenPort::GetNativeHandle() const { return 0; }
int COffscreenPort::GetFileDescriptor() const { return -1; }
void COffscreenPort::DispatchEvents() {}
bool COffscreenPort::HasPendingEvents() { return false; }
SSize COffscreenPort::GetClientSize() const { return size_; }
IDC& COffscreenPort::GetSurface() { return surface_; }
void COffscreenPort::Present(SSize) { ++presentCount_; }
void COffscreenPort::Show() { shown_ = true; }
void COffscreenPort::GrabPointer() { grabbed_ = true; }
void COffscreenPort::UngrabPointer() { grabbed_ = false; }
void COffscreenPort::SetCursorShape(int32_t shape) { cursorShape_ = shape; }
void COffscreenPort::SetCursorVisible(bool visible) { cursorVisible_ = visible; }
void COffscreenPort::WarpPointer(SPoint point) { warpedTo_ = point; }
uint32_t COffscreenPort::GetModifiers() { return modifiers_; }
uint32_t COffscreenPort::GetTimeMs() { return timeMs_; }
void COffscreenPort::SetTakeFocusOnClick(bool take) { takeFocusOnClick_ = take; }
bool COffscreenPort::IsConnected() const { return true; }

INativePopup* COffscreenPort::CreatePopup(INativePopupListener* listener)
{
    return listener ? new COffscreenPopup(listener, popups_) : nullptr;
}

uintptr_t COffscreenPort::GetTopLevelHandle() { return 0; }

COffscreenWindow::COffscreenWindow(SSize size, IContext* context, const SWindowOptions& options)
    : CWindow(std::make_unique<COffscreenPort>(size), context, options)
{
    Open(0, SRect({0, 0}, size));
}

COffscreenPort& COffscreenWindow::Port() { return static_cast<COffscreenPort&>(GetNative()); }
const COffscreenPort& COffscreenWindow::Port() const { return static_cast<const COffscreenPort&>(GetNative()); }

void COffscreenWindow::SetModifiers(uint32_t modifiers) { Port().modifiers_ = modifiers; }
void COffscreenWindow::SetTimeMs(uint32_t timeMs) { Port().timeMs_ = timeMs; }
void COffscreenWindow::AdvanceTimeMs(uint32_t milliseconds) { Port().timeMs_ += milliseconds; }

void COffscreenWindow::Resize(SSize size)
{
    Port().size_ = size;
    OnResize(size);
}

const IDC& COffscreenWindow::GetSurface() const { return Port().surface_; }

SColour COffscreenWindow::GetPixel(SPoint point) const
{
    const IDC& dc = GetSurface();
    SColour c{0, 0, 0, 0};
    if (!SRect({0, 0}, dc.GetSize()).Contains(point))
        return c;
    std::memcpy(&c, dc.GetBits() + std::size_t(point.y) * std::size_t(dc.GetStride()) + std::size_t(point.x) * 4, 4);
    return c;
}

int COffscreenWindow::GetPresentCount() const { return Port().presentCount_; }
bool COffscreenWindow::IsShownOnScreen() const { return Port().shown_; }
bool COffscreenWindow::IsPointerGrabbed() const { return Port().grabbed_; }
int32_t COffscreenWindow::GetShownCursorShape() const { return Port().cursorShape_; }
bool COffscreenWindow::IsCursorVisible() const { return Port().cursorVisible_; }
SPoint COffscreenWindow::GetWarpedPointer() const { return Port().warpedTo_; }
bool COffscreenWindow::TakesFocusOnClick() const { return Port().takeFocusOnClick_; }
const std::vector<COffscreenPopup*>& COffscreenWindow::GetPopups() const { return Port().popups_; }

}  // namespace zt::ge
