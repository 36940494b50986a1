#include "gui/x11/X11Window.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <new>

#include "gui/x11/X11ErrorTrap.h"
#include "gui/x11/X11KeyMap.h"
#include "gui/x11/X11Popup.h"

namespace zt::ge {

INativeWindow* CreateNativeWindow() { return new (std::nothrow) x11::CX11Window(); }

namespace x11 {
namespace {

constexpr long kEventMask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask
    | KeyPressMask | KeyReleaseMask | FocusChangeMask | LeaveWindowMask;

// Our pixels are 32 bits holding 8-bit blue, green, red: the server must
// offer a 24-bit TrueColor visual with exactly those masks in 32-bit pixels.
bool FindVisual(Display* display, int screen, XVisualInfo& info)
{
    if (!XMatchVisualInfo(display, screen, 24, TrueColor, &info))
        return false;
    if (info.red_mask != 0xFF0000 || info.green_mask != 0xFF00 || info.blue_mask != 0xFF)
        return false;
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    bool found = false;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == 24 && formats[i].bits_per_pixel == 32)
            found = true;
    if (formats)
        XFree(formats);
    return found;
}

// The double-click interval the user configured for X programs, if any.
uint32_t ConfiguredDoubleClickMs(Display* display, uint32_t fallback)
{
    const char* value = XGetDefault(display, "ztge", "multiClickTime");
    if (!value)
        return fallback;
    const long ms = std::strtol(value, nullptr, 10);
    return ms > 0 && ms < 5000 ? uint32_t(ms) : fallback;
}

}  // namespace

CX11Window::~CX11Window() { Close(); }

bool CX11Window::Open(INativeWindowListener* listener, uintptr_t parent, const SRect& rect)
{
    if (m_display || !listener)
        return false;
    m_listener = listener;
    m_display = XOpenDisplay(nullptr);
    if (!m_display)
        return false;
    CX11ErrorTrap::Attach(m_display);
    if (!Create(parent, rect)) {
        Close();
        return false;
    }
    return true;
}

bool CX11Window::Create(uintptr_t parent, const SRect& rect)
{
    const unsigned long errorsBefore = CX11ErrorTrap::GetErrorCount(m_display);
    m_parentIsRoot = parent == 0;
    m_parent = m_parentIsRoot ? DefaultRootWindow(m_display) : Window(parent);
    // A window id that is not valid fails here, recorded by the trap.
    XWindowAttributes parentAttributes{};
    if (!XGetWindowAttributes(m_display, m_parent, &parentAttributes))
        return false;
    const int screen = XScreenNumberOfScreen(parentAttributes.screen);
    XVisualInfo info{};
    if (!FindVisual(m_display, screen, info))
        return false;

    m_colormap = XCreateColormap(m_display, RootWindow(m_display, screen), info.visual, AllocNone);
    m_visual = info.visual;
    XSetWindowAttributes attributes{};
    attributes.colormap = m_colormap;
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;  // no erase: every paint covers every pixel
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = kEventMask;
    const unsigned width = unsigned(rect.size.width), height = unsigned(rect.size.height);
    m_window = XCreateWindow(m_display, m_parent, rect.position.x, rect.position.y, width, height, 0, 24, InputOutput,
                             info.visual, CWColormap | CWBorderPixel | CWBackPixmap | CWBitGravity | CWEventMask,
                             &attributes);
    if (!m_window)
        return false;
    m_gc = XCreateGC(m_display, m_window, 0, nullptr);
    XSetGraphicsExposures(m_display, m_gc, False);
    m_cursors.Attach(m_display);
    m_cursors.Apply(m_window, m_cursorShape, m_cursorVisible);
    const bool shm = XShmQueryExtension(m_display) && ImageByteOrder(m_display) == LSBFirst;
    m_surface.Attach(m_display, info.visual, shm);
    m_clicks.SetInterval(ConfiguredDoubleClickMs(m_display, CDoubleClickDetector::kDefaultIntervalMs));
    m_size = rect.size;

    XSync(m_display, False);
    return CX11ErrorTrap::GetErrorCount(m_display) == errorsBefore && !CX11ErrorTrap::IsBroken(m_display);
}

void CX11Window::Close()
{
    if (!m_display)
        return;
    const bool alive = !CX11ErrorTrap::IsBroken(m_display);
    m_surface.Detach(alive);
    m_cursors.Release(alive);
    // The GC is client memory as well, so it is freed even on a dead connection
    // (Xlib drops requests once the connection has failed).
    if (m_gc)
        XFreeGC(m_display, m_gc);
    if (alive) {
        if (m_window)
            XDestroyWindow(m_display, m_window);
        if (m_colormap)
            XFreeColormap(m_display, m_colormap);
        XSync(m_display, False);
    }
    Display* display = m_display;
    m_display = nullptr;
    m_gc = nullptr;
    m_window = 0;
    m_colormap = 0;
    XCloseDisplay(display);
    CX11ErrorTrap::Detach(display);  // after closing, which may still report errors
}

bool CX11Window::IsConnected() const { return m_display && !CX11ErrorTrap::IsBroken(m_display); }

uintptr_t CX11Window::GetNativeHandle() const { return uintptr_t(m_window); }

int CX11Window::GetFileDescriptor() const { return m_display ? ConnectionNumber(m_display) : -1; }

SSize CX11Window::GetClientSize() const { return m_size; }

IDC& CX11Window::GetSurface() { return m_surface; }

bool CX11Window::HasPendingEvents() { return IsConnected() && XEventsQueued(m_display, QueuedAfterReading) > 0; }

void CX11Window::DispatchEvents()
{
    while (IsConnected() && m_window && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        Handle(event);
    }
}

void CX11Window::Handle(XEvent& event)
{
    for (CX11Popup* popup : m_popups) {
        if (popup->GetWindow() == event.xany.window) {
            popup->Handle(event);  // may destroy the popup: nothing after this
            return;
        }
    }
    switch (event.type) {
    case Expose:
        if (event.xexpose.window == m_window)
            m_listener->OnExpose(SRect(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height));
        break;
    case ConfigureNotify:
        if (event.xconfigure.window == m_window) {
            const SSize size{event.xconfigure.width, event.xconfigure.height};
            if (size != m_size) {
                m_size = size;
                m_listener->OnResize(size);
            }
        }
        break;
    case ButtonPress:
        OnButtonPress(event.xbutton);
        break;
    case ButtonRelease:
        OnButtonRelease(event.xbutton);
        break;
    case MotionNotify:
        OnMotion(event.xmotion);
        break;
    case KeyPress:
        OnKey(event.xkey, true);
        break;
    case KeyRelease:
        OnKey(event.xkey, false);
        break;
    case FocusOut:
        // Focus moving to a child of ours is no loss; grabs come and go without it.
        if ((event.xfocus.mode == NotifyNormal || event.xfocus.mode == NotifyWhileGrabbed)
            && event.xfocus.detail != NotifyInferior)
            m_listener->OnFocusLost();
        break;
    case LeaveNotify:
        if (event.xcrossing.mode == NotifyNormal)
            m_listener->OnPointerLeft();
        break;
    case MappingNotify:
        XRefreshKeyboardMapping(&event.xmapping);
        break;
    default:
        break;
    }
}

void CX11Window::OnButtonPress(const XButtonEvent& event)
{
    const SPoint point{event.x, event.y};
    switch (event.button) {
    case Button1:
    case Button3: {
        // A child window inside a host gets keys only with the focus, and only
        // the editor that was clicked last should hear them.
        if (m_takeFocusOnClick)
            XSetInputFocus(m_display, m_window, RevertToParent, event.time);
        const bool isDouble = m_clicks.Press(event.button, uint32_t(event.time), point);
        if (event.button == Button1)
            m_listener->OnMouse(isDouble ? kMouseLeftDoubleClick : kMouseLeftDown, point);
        else
            m_listener->OnMouse(isDouble ? kMouseRightDoubleClick : kMouseRightDown, point);
        break;
    }
    // The wheel comes as buttons: 4 away from the user, 5 towards, and on
    // tilting wheels 6 left, 7 right (taken as down and up).
    case Button4:
        m_listener->OnWheel(point, 1.0f);
        break;
    case Button5:
        m_listener->OnWheel(point, -1.0f);
        break;
    case 6:
        m_listener->OnWheel(point, -1.0f);
        break;
    case 7:
        m_listener->OnWheel(point, 1.0f);
        break;
    default:
        break;
    }
}

void CX11Window::OnButtonRelease(const XButtonEvent& event)
{
    const SPoint point{event.x, event.y};
    if (event.button == Button1)
        m_listener->OnMouse(kMouseLeftUp, point);
    if (event.button == Button3)
        m_listener->OnMouse(kMouseRightUp, point);
}

void CX11Window::OnMotion(const XMotionEvent& event)
{
    // Only the newest of a run of motions matters; the rest would only cost draws.
    XMotionEvent latest = event;
    while (XEventsQueued(m_display, QueuedAlready) > 0) {
        XEvent next;
        XPeekEvent(m_display, &next);
        if (next.type != MotionNotify || next.xmotion.window != m_window)
            break;
        XNextEvent(m_display, &next);
        latest = next.xmotion;
    }
    m_listener->OnMouse(kMouseMove, {latest.x, latest.y});
}

void CX11Window::OnKey(XKeyEvent& event, bool press)
{
    const unsigned keycode = event.keycode & 0xFF;
    if (!press) {
        if (m_keysKept.test(keycode))
            m_keysKept.reset(keycode);
        else
            PassKeyToHost(event, false);
        return;
    }
    KeySym translated = NoSymbol;
    char text[8];
    XLookupString(&event, text, sizeof text, &translated, nullptr);
    const KeySym base = XLookupKeysym(&event, 0);
    const int32_t code = MapKeySym(base, translated, (event.state & ShiftMask) != 0);
    if (code != kKeyNone && m_listener->OnKey(code)) {
        m_keysKept.set(keycode);
        return;
    }
    m_keysKept.reset(keycode);
    PassKeyToHost(event, true);
}

// The editor took the focus from the host; keys it has no use for (the
// transport's space bar, the host's shortcuts) go back to the host's window.
void CX11Window::PassKeyToHost(const XKeyEvent& event, bool press)
{
    if (m_parentIsRoot)
        return;
    XEvent copy;
    copy.xkey = event;
    copy.xkey.window = m_parent;
    copy.xkey.subwindow = None;
    XSendEvent(m_display, m_parent, True, press ? KeyPressMask : KeyReleaseMask, &copy);
    XFlush(m_display);
}

void CX11Window::Present(SSize size)
{
    if (!IsConnected() || !m_window)
        return;
    m_surface.Present(m_window, m_gc, size);
}

void CX11Window::Show()
{
    if (!IsConnected() || !m_window)
        return;
    XMapWindow(m_display, m_window);
    XFlush(m_display);
}

void CX11Window::GrabPointer()
{
    if (!IsConnected() || !m_window)
        return;
    // Another client's grab makes this fail; the implicit grab of a held
    // button still keeps the drag with us.
    XGrabPointer(m_display, m_window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XFlush(m_display);
}

void CX11Window::UngrabPointer()
{
    if (!IsConnected())
        return;
    XUngrabPointer(m_display, CurrentTime);
    XFlush(m_display);
}

void CX11Window::SetCursorShape(int32_t shape)
{
    m_cursorShape = shape;
    if (IsConnected())
        m_cursors.Apply(m_window, m_cursorShape, m_cursorVisible);
}

void CX11Window::SetCursorVisible(bool visible)
{
    m_cursorVisible = visible;
    if (IsConnected())
        m_cursors.Apply(m_window, m_cursorShape, m_cursorVisible);
}

void CX11Window::WarpPointer(SPoint point)
{
    if (!IsConnected() || !m_window)
        return;
    XWarpPointer(m_display, None, m_window, 0, 0, 0, 0, point.x, point.y);
    XFlush(m_display);
}

uint32_t CX11Window::GetModifiers()
{
    if (!IsConnected() || !m_window)
        return 0;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(m_display, m_window, &root, &child, &rootX, &rootY, &x, &y, &mask);
    uint32_t modifiers = 0;
    if (mask & ShiftMask)
        modifiers |= kModifierShift;
    if (mask & ControlMask)
        modifiers |= kModifierControl;
    if (mask & Mod1Mask)
        modifiers |= kModifierAlt;
    return modifiers;
}

uint32_t CX11Window::GetTimeMs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void CX11Window::SetTakeFocusOnClick(bool take) { m_takeFocusOnClick = take; }

INativePopup* CX11Window::CreatePopup(INativePopupListener* listener)
{
    if (!listener || !IsConnected() || !m_window)
        return nullptr;
    return new (std::nothrow) CX11Popup(*this, listener);
}

void CX11Window::RegisterPopup(CX11Popup* popup) { m_popups.push_back(popup); }

void CX11Window::UnregisterPopup(CX11Popup* popup)
{
    m_popups.erase(std::remove(m_popups.begin(), m_popups.end(), popup), m_popups.end());
}

uintptr_t CX11Window::GetTopLevelHandle()
{
    if (!IsConnected() || !m_window)
        return 0;
    // Up the tree to the child of the root: the host's frame as the desktop sees it.
    constexpr int kMaxSteps = 500;
    Window current = m_window;
    for (int step = 0; step < kMaxSteps; ++step) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(m_display, current, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == 0 || parent == root)
            return uintptr_t(current);
        current = parent;
    }
    return 0;
}

}  // namespace x11
}  // namespace zt::ge
