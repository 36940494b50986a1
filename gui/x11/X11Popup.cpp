#include "gui/x11/X11Popup.h"

#include <X11/Xutil.h>

#include <algorithm>

#include "gui/x11/X11KeyMap.h"
#include "gui/x11/X11Window.h"

namespace zt::ge::x11 {

CX11Popup::CX11Popup(CX11Window& owner, INativePopupListener* listener) : owner_(owner), listener_(listener)
{
    owner_.RegisterPopup(this);
}

CX11Popup::~CX11Popup()
{
    owner_.UnregisterPopup(this);
    Display* display = owner_.GetDisplay();
    if (!display || !owner_.IsConnected()) {
        surface_.Detach(false);
        if (gc_ && display)
            XFreeGC(display, gc_);
        return;
    }
    if (grabbed_) {
        XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
    }
    surface_.Detach(true);
    if (gc_)
        XFreeGC(display, gc_);
    if (window_)
        XDestroyWindow(display, window_);
    XFlush(display);
}

SRect CX11Popup::Show(const SRect& rect)
{
    Display* display = owner_.GetDisplay();
    if (!display || !owner_.IsConnected() || rect.IsEmpty())
        return rect;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    // Where the editor's corner is on the screen; the popup is placed from there.
    int originX = 0, originY = 0;
    Window child = 0;
    XTranslateCoordinates(display, Window(owner_.GetNativeHandle()), root, 0, 0, &originX, &originY, &child);
    const int screenWidth = DisplayWidth(display, screen), screenHeight = DisplayHeight(display, screen);
    int x = originX + rect.position.x, y = originY + rect.position.y;
    x = std::max(0, std::min(x, screenWidth - rect.size.width));
    y = std::max(0, std::min(y, screenHeight - rect.size.height));
    rect_ = SRect(x - originX, y - originY, rect.size.width, rect.size.height);

    if (!window_) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.save_under = True;
        attributes.colormap = owner_.GetColormap();
        attributes.border_pixel = 0;
        attributes.background_pixmap = None;
        attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
        window_ = XCreateWindow(
            display, root, x, y, unsigned(rect.size.width), unsigned(rect.size.height), 0, 24, InputOutput,
            owner_.GetVisual(),
            CWOverrideRedirect | CWSaveUnder | CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
        gc_ = XCreateGC(display, window_, 0, nullptr);
        XSetGraphicsExposures(display, gc_, False);
        surface_.Attach(display, owner_.GetVisual(), owner_.UsesSharedMemory());
    } else {
        XMoveResizeWindow(display, window_, x, y, unsigned(rect.size.width), unsigned(rect.size.height));
    }
    surface_.Resize(rect.size);
    XMapRaised(display, window_);
    XFlush(display);
    return rect_;
}

IDC& CX11Popup::GetSurface() { return surface_; }

void CX11Popup::Present()
{
    Display* display = owner_.GetDisplay();
    if (!display || !owner_.IsConnected() || !window_)
        return;
    surface_.Present(window_, gc_, rect_.size);
}

bool CX11Popup::GrabInput()
{
    Display* display = owner_.GetDisplay();
    if (!display || !owner_.IsConnected() || !window_)
        return false;
    // The map must have reached the server before the window can be grabbed to.
    XSync(display, False);
    const int pointer = XGrabPointer(display, window_, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                     GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    const int keyboard = XGrabKeyboard(display, window_, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    grabbed_ = pointer == GrabSuccess || keyboard == GrabSuccess;
    XFlush(display);
    return pointer == GrabSuccess && keyboard == GrabSuccess;
}

void CX11Popup::Handle(XEvent& event)
{
    INativePopupListener* listener = listener_;
    const SPoint origin = rect_.position;
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            Present();
        break;
    case ButtonPress:
    case ButtonRelease: {
        const SPoint point{origin.x + event.xbutton.x, origin.y + event.xbutton.y};
        const bool press = event.type == ButtonPress;
        if (event.xbutton.button == Button1)
            listener->OnPopupMouse(press ? kMouseLeftDown : kMouseLeftUp, point);
        else if (event.xbutton.button == Button3)
            listener->OnPopupMouse(press ? kMouseRightDown : kMouseRightUp, point);
        break;
    }
    case MotionNotify:
        listener->OnPopupMouse(kMouseMove, {origin.x + event.xmotion.x, origin.y + event.xmotion.y});
        break;
    case KeyPress: {
        KeySym translated = NoSymbol;
        char text[8];
        XLookupString(&event.xkey, text, sizeof text, &translated, nullptr);
        const int32_t code = MapKeySym(XLookupKeysym(&event.xkey, 0), translated, (event.xkey.state & ShiftMask) != 0);
        if (code != kKeyNone)
            listener->OnPopupKey(code);
        break;
    }
    default:
        break;
    }
}

}  // namespace zt::ge::x11
