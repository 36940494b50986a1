#pragma once

#include <X11/Xlib.h>

#include <bitset>
#include <vector>

#include "gui/native/NativeWindow.h"
#include "gui/x11/DoubleClickDetector.h"
#include "gui/x11/X11Cursors.h"
#include "gui/x11/X11Surface.h"

namespace zt::ge::x11 {

class CX11Popup;

// The editor window on X11, written against Xlib: libX11 is what the system
// offers for the protocol, and MIT-SHM (the one-copy path for our pixels) is
// an Xlib extension. The window is a child of the window id the host passes
// and talks to the server over a connection of its own, never the host's,
// so neither can disturb the other; the host's run loop watches that
// connection's descriptor.
//
// Input: X delivers pointer and wheel events to the window under the pointer
// (so a second editor gets its own wheel), and keys to the window with the
// keyboard focus, which this window takes on a click. Keys the toolkit does
// not handle are passed on to the host's window.
class CX11Window : public INativeWindow {
public:
    CX11Window() = default;
    ~CX11Window() override;
    CX11Window(const CX11Window&) = delete;
    CX11Window& operator=(const CX11Window&) = delete;

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

    bool UsesSharedMemory() const { return surface_.IsSharedMemory(); }

    // For the popups, which share the connection, visual and colour map.
    Display* GetDisplay() const { return display_; }
    Visual* GetVisual() const { return visual_; }
    Colormap GetColormap() const { return colormap_; }
    void RegisterPopup(CX11Popup* popup);
    void UnregisterPopup(CX11Popup* popup);

private:
    bool Create(uintptr_t parent, const SRect& rect);
    void Close();
    void Handle(XEvent& event);
    void OnButtonPress(const XButtonEvent& event);
    void OnButtonRelease(const XButtonEvent& event);
    void OnMotion(const XMotionEvent& event);
    void OnKey(XKeyEvent& event, bool press);
    void PassKeyToHost(const XKeyEvent& event, bool press);

    INativeWindowListener* listener_ = nullptr;
    Display* display_ = nullptr;
    Window window_ = 0;
    Window parent_ = 0;
    bool parentIsRoot_ = false;
    Colormap colormap_ = 0;
    Visual* visual_ = nullptr;
    GC gc_ = nullptr;
    std::vector<CX11Popup*> popups_;
    SSize size_;
    CX11Surface surface_;
    CX11Cursors cursors_;
    CDoubleClickDetector clicks_;
    int32_t cursorShape_ = 0;
    bool cursorVisible_ = true;
    bool takeFocusOnClick_ = true;
    std::bitset<256> keysKept_;  // presses the toolkit handled: their releases stay here too
};

}  // namespace zt::ge::x11
