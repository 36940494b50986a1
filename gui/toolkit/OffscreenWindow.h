#pragma once

#include <vector>

#include "gui/toolkit/MemoryDC.h"
#include "gui/native/NativeWindow.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

// A popup of the offscreen window: pixels in memory. Tests send it the
// input a platform would (in the owning window's coordinates).
class COffscreenPopup : public INativePopup {
public:
    COffscreenPopup(INativePopupListener* listener, std::vector<COffscreenPopup*>& registry);
    ~COffscreenPopup() override;

    SRect Show(const SRect& rect) override;
    IDC& GetSurface() override;
    void Present() override;
    bool GrabInput() override;

    const SRect& GetRect() const { return rect_; }
    bool IsShown() const { return shown_; }
    bool HasGrab() const { return grabbed_; }
    int GetPresentCount() const { return presentCount_; }
    const IDC& GetPixels() const { return surface_; }
    // What the platform reports; the popup may be destroyed by either.
    void SendMouse(EMouseEvent event, SPoint point) { listener_->OnPopupMouse(event, point); }
    void SendKey(int32_t keyCode) { listener_->OnPopupKey(keyCode); }

private:
    INativePopupListener* listener_;
    std::vector<COffscreenPopup*>& registry_;
    CMemoryDC surface_;
    SRect rect_;
    bool shown_ = false;
    bool grabbed_ = false;
    int presentCount_ = 0;
};

// The platform half of an offscreen window: pixels in memory, and a record
// of what a real window would have done (cursor, grab, image puts).
class COffscreenPort : public INativeWindow {
public:
    explicit COffscreenPort(SSize size);

    bool Open(INativeWindowListener* listener, uintptr_t parent, const SRect& rect) override;
    uintptr_t GetNativeHandle() const override;
    int GetFileDescriptor() const override;
    void DispatchEvents() override;
    bool HasPendingEvents() override;
    SSize GetClientSize() const override;
    IDC& GetSurface() override;
    void Present(SSize size) override;
    void Show() override;
    void GrabPointer() override;
    void UngrabPointer() override;
    void SetCursorShape(int32_t shape) override;
    void SetCursorVisible(bool visible) override;
    void WarpPointer(SPoint point) override;
    uint32_t GetModifiers() override;
    uint32_t GetTimeMs() override;
    void SetTakeFocusOnClick(bool take) override;
    bool IsConnected() const override;
    INativePopup* CreatePopup(INativePopupListener* listener) override;
    uintptr_t GetTopLevelHandle() override;

private:
    friend class COffscreenWindow;

    std::vector<COffscreenPopup*> popups_;  // open ones, oldest first
    SSize size_;
    CMemoryDC surface_;
    int presentCount_ = 0;
    bool shown_ = false;
    bool grabbed_ = false;
    int32_t cursorShape_ = kCursorArrow;
    bool cursorVisible_ = true;
    SPoint warpedTo_{-1, -1};
    uint32_t modifiers_ = 0;
    uint32_t timeMs_ = 0;
    bool takeFocusOnClick_ = false;
};

// A window that draws into memory only, with the same interface as the real
// one. Tests and tools drive it with the events a platform would report
// (OnMouse, OnWheel, OnKey, ...), set the modifier keys and the clock, and
// read the pixels back.
class COffscreenWindow : public CWindow {
public:
    explicit COffscreenWindow(SSize size, IContext* context = nullptr, const SWindowOptions& options = {});

    void SetModifiers(uint32_t modifiers);  // EModifier bits
    void SetTimeMs(uint32_t timeMs);
    void AdvanceTimeMs(uint32_t milliseconds);
    // The host changing the window's size.
    void Resize(SSize size);

    const IDC& GetSurface() const;
    SColour GetPixel(SPoint point) const;  // black outside the surface
    int GetPresentCount() const;
    bool IsShownOnScreen() const;
    bool IsPointerGrabbed() const;
    int32_t GetShownCursorShape() const;
    bool IsCursorVisible() const;
    SPoint GetWarpedPointer() const;
    bool TakesFocusOnClick() const;
    // The popups that exist now, oldest first (a menu and its open sub-menus).
    const std::vector<COffscreenPopup*>& GetPopups() const;

private:
    COffscreenPort& Port();
    const COffscreenPort& Port() const;
};

}  // namespace zt::ge
