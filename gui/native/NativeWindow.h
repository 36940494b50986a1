#pragma once

#include <cstdint>

#include "gui/native/DC.h"
#include "gui/native/Events.h"
#include "gui/native/Geometry.h"

namespace zt::ge {

// What a platform window reports to the window object, already in toolkit
// terms (double-clicks detected, keys mapped to EKey codes). Called on the
// window's thread from inside INativeWindow::DispatchEvents.
class INativeWindowListener {
public:
    virtual bool OnMouse(EMouseEvent event, SPoint point) = 0;  // true when a control handled it
    virtual bool OnWheel(SPoint point, float notches) = 0;
    virtual bool OnKey(int32_t keyCode) = 0;  // false lets the platform pass the key on to the host
    virtual void OnFocusLost() = 0;
    virtual void OnPointerLeft() = 0;
    virtual void OnExpose(const SRect& area) = 0;
    virtual void OnResize(SSize size) = 0;

protected:
    ~INativeWindowListener() = default;
};

// Hears what happens to a popup (an open menu). Points are in the owning
// window's coordinates, wherever on the screen the popup lies; while the
// popup holds the input, presses outside it arrive here too.
class INativePopupListener {
public:
    virtual void OnPopupMouse(EMouseEvent event, SPoint point) = 0;
    virtual void OnPopupKey(int32_t keyCode) = 0;

protected:
    ~INativePopupListener() = default;
};

// A borderless window of its own above everything else (a menu may be
// larger than the editor and reach beyond it), drawn like the editor: into
// its surface, shown with Present. Closed when destroyed.
class INativePopup {
public:
    virtual ~INativePopup() = default;
    // Shows the popup at rect (owning-window coordinates), moved onto the
    // screen where it would stick out; returns where it went. The surface
    // takes the size.
    virtual SRect Show(const SRect& rect) = 0;
    virtual IDC& GetSurface() = 0;
    virtual void Present() = 0;
    // Sends all pointer and key input to this popup's listener until it
    // closes. False when another program holds the input.
    virtual bool GrabInput() = 0;
};

// The platform's half of a window: the only place that talks to the
// display system. The toolkit's CWindow drives it and never sees the
// platform; the offscreen window implements it in memory.
class INativeWindow {
public:
    virtual ~INativeWindow() = default;  // closes the window

    // Opens inside parent (the platform's window id; 0 for a top-level window)
    // at rect. False, with nothing left behind, when it cannot be opened.
    virtual bool Open(INativeWindowListener* listener, uintptr_t parent, const SRect& rect) = 0;
    virtual uintptr_t GetNativeHandle() const = 0;
    // Readable when events wait; -1 when there is no such descriptor.
    virtual int GetFileDescriptor() const = 0;
    // Handles every event that is waiting, without blocking.
    virtual void DispatchEvents() = 0;
    virtual bool HasPendingEvents() = 0;

    virtual SSize GetClientSize() const = 0;
    // The window's one pixel buffer; CWindow sizes it before every paint.
    virtual IDC& GetSurface() = 0;
    // Shows the surface's top-left size pixels with one image put.
    virtual void Present(SSize size) = 0;
    virtual void Show() = 0;

    virtual void GrabPointer() = 0;
    virtual void UngrabPointer() = 0;
    virtual void SetCursorShape(int32_t shape) = 0;  // ECursor; other numbers show no cursor
    virtual void SetCursorVisible(bool visible) = 0;
    virtual void WarpPointer(SPoint point) = 0;  // window coordinates
    virtual uint32_t GetModifiers() = 0;         // EModifier bits, as they are now
    virtual uint32_t GetTimeMs() = 0;            // a millisecond clock
    virtual void SetTakeFocusOnClick(bool take) = 0;
    // False once the connection to the display is lost for good.
    virtual bool IsConnected() const = 0;
    // A popup whose events come in through this window's DispatchEvents.
    // Null when the platform cannot make one. The caller owns it and must
    // destroy it before the window.
    virtual INativePopup* CreatePopup(INativePopupListener* listener) = 0;
    // The window of the host's that holds this one (walking up to the
    // desktop), for dialogs of other programs to stay in front of; 0 when
    // there is none.
    virtual uintptr_t GetTopLevelHandle() = 0;
};

// Implemented by the platform folder: a window of this system, not yet open.
INativeWindow* CreateNativeWindow();

}  // namespace zt::ge
