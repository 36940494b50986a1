#include "gui/x11/X11Popup.h"

#include <X11/Xutil.h>

#include <algorithm>

#include "gui/x11/X11KeyMap.h"
#include "gui/x11/X11Window.h"

namespace zt::ge::x11 {

CX11Popup::CX11Popup(CX11Window& owner, INativePopupListener* listener) : m_owner(owner), m_listener(listener)
{
    m_owner.RegisterPopup(this);
}

CX11Popup::~CX11Popup()
{
    m_owner.UnregisterPopup(this);
    Display* display = m_owner.GetDisplay();
    if (!display || !m_owner.IsConnected()) {
        m_surface.Detach(false);
        if (m_gc && display)
            XFreeGC(display, m_gc);
        return;
    }
    if (m_grabbed) {
        XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
    }
    m_surface.Detach(true);
    if (m_gc)
        XFreeGC(display, m_gc);
    if (m_window)
        XDestroyWindow(display, m_window);
    XFlush(display);
}

SRect CX11Popup::Show(const SRect& rect)
{
    Display* display = m_owner.GetDisplay();
    if (!display || !m_owner.IsConnected() || rect.IsEmpty())
        return rect;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    // Where the editor's corner is on the screen; the popup is placed from there.
    int originX = 0, originY = 0;
    Window child = 0;
    XTranslateCoordinates(display, Window(m_owner.GetNativeHandle()), root, 0, 0, &originX, &originY, &child);
    const int screenWidth = DisplayWidth(display, screen), screenHeight = DisplayHeight(display, screen);
    int x = originX + rect.position.x, y = originY + rect.position.y;
    x = std::max(0, std::min(x, screenWidth - rect.size.width));
    y = std::max(0, std::min(y, screenHeight - rect.size.height));
    m_rect = SRect(x - originX, y - originY, rect.size.width, rect.size.height);

    if (!m_window) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.save_under = True;
        attributes.colormap = m_owner.GetColormap();
        attributes.border_pixel = 0;
        attributes.background_pixmap = None;
        attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
        m_window = XCreateWindow(
            display, root, x, y, unsigned(rect.size.width), unsigned(rect.size.height), 0, 24, InputOutput,
            m_owner.GetVisual(),
            CWOverrideRedirect | CWSaveUnder | CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
        m_gc = XCreateGC(display, m_window, 0, nullptr);
        XSetGraphicsExposures(display, m_gc, False);
        m_surface.Attach(display, m_owner.GetVisual(), m_owner.UsesSharedMemory());
    } else {
        XMoveResizeWindow(display, m_window, x, y, unsigned(rect.size.width), unsigned(rect.size.height));
    }
    m_surface.Resize(rect.size);
    XMapRaised(display, m_window);
    XFlush(display);
    return m_rect;
}

IDC& CX11Popup::GetSurface() { return m_surface; }

void CX11Popup::Present()
{
    Display* display = m_owner.GetDisplay();
    if (!display || !m_owner.IsConnected() || !m_window)
        return;
    m_surface.Present(m_window, m_gc, m_rect.size);
}

bool CX11Popup::GrabInput()
{
    Display* display = m_owner.GetDisplay();
    if (!display || !m_owner.IsConnected() || !m_window)
        return false;
    // The map must have reached the server before the window can be grabbed to.
    XSync(display, False);
    const int pointer = XGrabPointer(display, m_window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                     GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    const int keyboard = XGrabKeyboard(display, m_window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    m_grabbed = pointer == GrabSuccess || keyboard == GrabSuccess;
    XFlush(display);
    return pointer == GrabSuccess && keyboard == GrabSuccess;
}

void CX11Popup::Handle(XEvent& event)
{
    INativePopupListener* listener = m_listener;
    const SPoint origin = m_rect.position;
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
