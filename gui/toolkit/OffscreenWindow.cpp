#include "gui/toolkit/OffscreenWindow.h"

#include <algorithm>
#include <cstring>

namespace zt::ge {

COffscreenPopup::COffscreenPopup(INativePopupListener* listener, std::vector<COffscreenPopup*>& registry)
    : m_listener(listener), m_registry(registry)
{
    m_registry.push_back(this);
}

COffscreenPopup::~COffscreenPopup()
{
    m_registry.erase(std::remove(m_registry.begin(), m_registry.end(), this), m_registry.end());
}

SRect COffscreenPopup::Show(const SRect& rect)
{
    m_rect = rect;
    m_shown = true;
    m_surface.Resize(rect.size);
    return rect;
}

IDC& COffscreenPopup::GetSurface() { return m_surface; }
void COffscreenPopup::Present() { ++m_presentCount; }

bool COffscreenPopup::GrabInput()
{
    m_grabbed = true;
    return true;
}

COffscreenPort::COffscreenPort(SSize size) : m_size(size) {}

bool COffscreenPort::Open(INativeWindowListener*, uintptr_t, const SRect& rect)
{
    m_size = rect.size;
    return true;
}

uintptr_t COffscreenPort::GetNativeHandle() const { return 0; }
int COffscreenPort::GetFileDescriptor() const { return -1; }
void COffscreenPort::DispatchEvents() {}
bool COffscreenPort::HasPendingEvents() { return false; }
SSize COffscreenPort::GetClientSize() const { return m_size; }
IDC& COffscreenPort::GetSurface() { return m_surface; }
void COffscreenPort::Present(SSize) { ++m_presentCount; }
void COffscreenPort::Show() { m_shown = true; }
void COffscreenPort::GrabPointer() { m_grabbed = true; }
void COffscreenPort::UngrabPointer() { m_grabbed = false; }
void COffscreenPort::SetCursorShape(int32_t shape) { m_cursorShape = shape; }
void COffscreenPort::SetCursorVisible(bool visible) { m_cursorVisible = visible; }
void COffscreenPort::WarpPointer(SPoint point) { m_warpedTo = point; }
uint32_t COffscreenPort::GetModifiers() { return m_modifiers; }
uint32_t COffscreenPort::GetTimeMs() { return m_timeMs; }
void COffscreenPort::SetTakeFocusOnClick(bool take) { m_takeFocusOnClick = take; }
bool COffscreenPort::IsConnected() const { return true; }

INativePopup* COffscreenPort::CreatePopup(INativePopupListener* listener)
{
    return listener ? new COffscreenPopup(listener, m_popups) : nullptr;
}

uintptr_t COffscreenPort::GetTopLevelHandle() { return 0; }

COffscreenWindow::COffscreenWindow(SSize size, IContext* context, const SWindowOptions& options)
    : CWindow(std::make_unique<COffscreenPort>(size), context, options)
{
    Open(0, SRect({0, 0}, size));
}

COffscreenPort& COffscreenWindow::Port() { return static_cast<COffscreenPort&>(GetNative()); }
const COffscreenPort& COffscreenWindow::Port() const { return static_cast<const COffscreenPort&>(GetNative()); }

void COffscreenWindow::SetModifiers(uint32_t modifiers) { Port().m_modifiers = modifiers; }
void COffscreenWindow::SetTimeMs(uint32_t timeMs) { Port().m_timeMs = timeMs; }
void COffscreenWindow::AdvanceTimeMs(uint32_t milliseconds) { Port().m_timeMs += milliseconds; }

void COffscreenWindow::Resize(SSize size)
{
    Port().m_size = size;
    OnResize(size);
}

const IDC& COffscreenWindow::GetSurface() const { return Port().m_surface; }

SColour COffscreenWindow::GetPixel(SPoint point) const
{
    const IDC& dc = GetSurface();
    SColour c{0, 0, 0, 0};
    if (!SRect({0, 0}, dc.GetSize()).Contains(point))
        return c;
    std::memcpy(&c, dc.GetBits() + std::size_t(point.y) * std::size_t(dc.GetStride()) + std::size_t(point.x) * 4, 4);
    return c;
}

int COffscreenWindow::GetPresentCount() const { return Port().m_presentCount; }
bool COffscreenWindow::IsShownOnScreen() const { return Port().m_shown; }
bool COffscreenWindow::IsPointerGrabbed() const { return Port().m_grabbed; }
int32_t COffscreenWindow::GetShownCursorShape() const { return Port().m_cursorShape; }
bool COffscreenWindow::IsCursorVisible() const { return Port().m_cursorVisible; }
SPoint COffscreenWindow::GetWarpedPointer() const { return Port().m_warpedTo; }
bool COffscreenWindow::TakesFocusOnClick() const { return Port().m_takeFocusOnClick; }
const std::vector<COffscreenPopup*>& COffscreenWindow::GetPopups() const { return Port().m_popups; }

}  // namespace zt::ge
