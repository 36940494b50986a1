#pragma once

#include <X11/Xlib.h>

#include "gui/native/NativeWindow.h"
#include "gui/x11/X11Surface.h"

namespace zt::ge::x11 {

class CX11Window;

// A menu's window: override-redirect (the window manager leaves it alone),
// on the editor's own connection, so its events come in through the
// editor's descriptor. While it holds the input, the pointer and keyboard
// are grabbed to it: every press, also outside it, is reported relative to
// this window and handed on in the editor's coordinates.
class CX11Popup : public INativePopup {
public:
    CX11Popup(CX11Window& owner, INativePopupListener* listener);
    ~CX11Popup() override;
    CX11Popup(const CX11Popup&) = delete;
    CX11Popup& operator=(const CX11Popup&) = delete;

    SRect Show(const SRect& rect) override;
    IDC& GetSurface() override;
    void Present() override;
    bool GrabInput() override;

    Window GetWindow() const { return window_; }
    // An event for this popup. The listener may destroy the popup, so
    // nothing of it is touched once the listener has been called.
    void Handle(XEvent& event);

private:
    CX11Window& owner_;
    INativePopupListener* listener_;
    Window window_ = 0;
    GC gc_ = nullptr;
    CX11Surface surface_;
    SRect rect_;  // in the editor's coordinates
    bool grabbed_ = false;
};

}  // namespace zt::ge::x11
