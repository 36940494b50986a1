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
    if (display_ || !listener)
        return false;
    listener_ = listener;
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return false;
    CX11ErrorTrap::Attach(display_);
    if (!Create(parent, rect)) {
        Close();
        return false;
    }
    return true;
}

bool CX11Window::Create(uintptr_t parent, const SRect& rect)
{
    const unsigned long errorsBefore = CX11ErrorTrap::GetErrorCount(display_);
    parentIsRoot_ = parent == 0;
    parent_ = parentIsRoot_ ? DefaultRootWindow(display_) : Window(parent);
    // A window id that is not valid fails here, recorded by the trap.
    XWindowAttributes parentAttributes{};
    if (!XGetWindowAttributes(display_, parent_, &parentAttributes))
        return false;
    const int screen = XScreenNumberOfScreen(parentAttributes.screen);
    XVisualInfo info{};
    if (!FindVisual(display_, screen, info))
        return false;

    colormap_ = XCreateColormap(display_, RootWindow(display_, screen), info.visual, AllocNone);
    visual_ = info.visual;
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap_;
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;  // no erase: every paint covers every pixel
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = kEventMask;
    const unsigned width = unsigned(rect.size.width), height = unsigned(rect.size.height);
    window_ = XCreateWindow(display_, parent_, rect.position.x, rect.position.y, width, height, 0, 24, InputOutput,
                            info.visual, CWColormap | CWBorderPixel | CWBackPixmap | CWBitGravity | CWEventMask,
                            &attributes);
    if (!window_)
        return false;
    if (!parentIsRoot_) {
        // Hosts that embed by the XEmbed protocol read this from the window they are
        // given and give up without it: version 1, no flags (we map ourselves on Show).
        const Atom embedInfo = XInternAtom(display_, "_XEMBED_INFO", False);
        const long value[2] = {1, 0};
        XChangeProperty(display_, window_, embedInfo, embedInfo, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(value), 2);
    }
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    XSetGraphicsExposures(display_, gc_, False);
    cursors_.Attach(display_);
    cursors_.Apply(window_, cursorShape_, cursorVisible_);
    const bool shm = XShmQueryExtension(display_) && ImageByteOrder(display_) == LSBFirst;
    surface_.Attach(display_, info.visual, shm);
    clicks_.SetInterval(ConfiguredDoubleClickMs(display_, CDoubleClickDetector::kDefaultIntervalMs));
    size_ = rect.size;

    XSync(display_, False);
    return CX11ErrorTrap::GetErrorCount(display_) == errorsBefore && !CX11ErrorTrap::IsBroken(display_);
}

void CX11Window::Close()
{
    if (!display_)
        return;
    const bool alive = !CX11ErrorTrap::IsBroken(display_);
    surface_.Detach(alive);
    cursors_.Release(alive);
    // The GC is client memory as well, so it is freed even on a dead connection
    // (Xlib drops requests once the connection has failed).
    if (gc_)
        XFreeGC(display_, gc_);
    if (alive) {
        if (window_)
            XDestroyWindow(display_, window_);
        if (colormap_)
            XFreeColormap(display_, colormap_);
        XSync(display_, False);
    }
    Display* display = display_;
    display_ = nullptr;
    gc_ = nullptr;
    window_ = 0;
    colormap_ = 0;
    XCloseDisplay(display);
    CX11ErrorTrap::Detach(display);  // after closing, which may still report errors
}

bool CX11Window::IsConnected() const { return display_ && !CX11ErrorTrap::IsBroken(display_); }

uintptr_t CX11Window::GetNativeHandle() const { return uintptr_t(window_); }

int CX11Window::GetFileDescriptor() const { return display_ ? ConnectionNumber(display_) : -1; }

SSize CX11Window::GetClientSize() const { return size_; }

IDC& CX11Window::GetSurface() { return surface_; }

bool CX11Window::HasPendingEvents() { return IsConnected() && XEventsQueued(display_, QueuedAfterReading) > 0; }

void CX11Window::DispatchEvents()
{
    while (IsConnected() && window_ && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        Handle(event);
    }
}

void CX11Window::Handle(XEvent& event)
{
    for (CX11Popup* popup : popups_) {
        if (popup->GetWindow() == event.xany.window) {
            popup->Handle(event);  // may destroy the popup: nothing after this
            return;
        }
    }
    switch (event.type) {
    case Expose:
        if (event.xexpose.window == window_)
            listener_->OnExpose(SRect(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height));
        break;
    case ConfigureNotify:
        if (event.xconfigure.window == window_) {
            const SSize size{event.xconfigure.width, event.xconfigure.height};
            if (size != size_) {
                size_ = size;
                listener_->OnResize(size);
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
            listener_->OnFocusLost();
        break;
    case LeaveNotify:
        if (event.xcrossing.mode == NotifyNormal)
            listener_->OnPointerLeft();
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
        if (takeFocusOnClick_)
            XSetInputFocus(display_, window_, RevertToParent, event.time);
        const bool isDouble = clicks_.Press(event.button, uint32_t(event.time), point);
        if (event.button == Button1)
            listener_->OnMouse(isDouble ? kMouseLeftDoubleClick : kMouseLeftDown, point);
        else
            listener_->OnMouse(isDouble ? kMouseRightDoubleClick : kMouseRightDown, point);
        break;
    }
    // The wheel comes as buttons: 4 away from the user, 5 towards, and on
    // tilting wheels 6 left, 7 right (taken as down and up).
    case Button4:
        listener_->OnWheel(point, 1.0f);
        break;
    case Button5:
        listener_->OnWheel(point, -1.0f);
        break;
    case 6:
        listener_->OnWheel(point, -1.0f);
        break;
    case 7:
        listener_->OnWheel(point, 1.0f);
        break;
    default:
        break;
    }
}

void CX11Window::OnButtonRelease(const XButtonEvent& event)
{
    const SPoint point{event.x, event.y};
    if (event.button == Button1)
        listener_->OnMouse(kMouseLeftUp, point);
    if (event.button == Button3)
        listener_->OnMouse(kMouseRightUp, point);
}

void CX11Window::OnMotion(const XMotionEvent& event)
{
    // Only the newest of a run of motions matters; the rest would only cost draws.
    XMotionEvent latest = event;
    while (XEventsQueued(display_, QueuedAlready) > 0) {
        XEvent next;
        XPeekEvent(display_, &next);
        if (next.type != MotionNotify || next.xmotion.window != window_)
            break;
        XNextEvent(display_, &next);
        latest = next.xmotion;
    }
    listener_->OnMouse(kMouseMove, {latest.x, latest.y});
}

void CX11Window::OnKey(XKeyEvent& event, bool press)
{
    const unsigned keycode = event.keycode & 0xFF;
    if (!press) {
        if (keysKept_.test(keycode))
            keysKept_.reset(keycode);
        else
            PassKeyToHost(event, false);
        return;
    }
    KeySym translated = NoSymbol;
    char text[8];
    XLookupString(&event, text, sizeof text, &translated, nullptr);
    const KeySym base = XLookupKeysym(&event, 0);
    const int32_t code = MapKeySym(base, translated, (event.state & ShiftMask) != 0);
    if (code != kKeyNone && listener_->OnKey(code)) {
        keysKept_.set(keycode);
        return;
    }
    keysKept_.reset(keycode);
    PassKeyToHost(event, true);
}

// The editor took the focus from the host; keys it has no use for (the
// transport's space bar, the host's shortcuts) go back to the host's window.
void CX11Window::PassKeyToHost(const XKeyEvent& event, bool press)
{
    if (parentIsRoot_)
        return;
    XEvent copy;
    copy.xkey = event;
    copy.xkey.window = parent_;
    copy.xkey.subwindow = None;
    XSendEvent(display_, parent_, True, press ? KeyPressMask : KeyReleaseMask, &copy);
    XFlush(display_);
}

void CX11Window::Present(SSize size)
{
    if (!IsConnected() || !window_)
        return;
    surface_.Present(window_, gc_, size);
}

void CX11Window::Show()
{
    if (!IsConnected() || !window_)
        return;
    XMapWindow(display_, window_);
    XFlush(display_);
}

void CX11Window::GrabPointer()
{
    if (!IsConnected() || !window_)
        return;
    // Another client's grab makes this fail; the implicit grab of a held
    // button still keeps the drag with us.
    XGrabPointer(display_, window_, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XFlush(display_);
}

void CX11Window::UngrabPointer()
{
    if (!IsConnected())
        return;
    XUngrabPointer(display_, CurrentTime);
    XFlush(display_);
}

void CX11Window::SetCursorShape(int32_t shape)
{
    cursorShape_ = shape;
    if (IsConnected())
        cursors_.Apply(window_, cursorShape_, cursorVisible_);
}

void CX11Window::SetCursorVisible(bool visible)
{
    cursorVisible_ = visible;
    if (IsConnected())
        cursors_.Apply(window_, cursorShape_, cursorVisible_);
}

void CX11Window::WarpPointer(SPoint point)
{
    if (!IsConnected() || !window_)
        return;
    XWarpPointer(display_, None, window_, 0, 0, 0, 0, point.x, point.y);
    XFlush(display_);
}

uint32_t CX11Window::GetModifiers()
{
    if (!IsConnected() || !window_)
        return 0;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(display_, window_, &root, &child, &rootX, &rootY, &x, &y, &mask);
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

void CX11Window::SetTakeFocusOnClick(bool take) { takeFocusOnClick_ = take; }

INativePopup* CX11Window::CreatePopup(INativePopupListener* listener)
{
    if (!listener || !IsConnected() || !window_)
        return nullptr;
    return new (std::nothrow) CX11Popup(*this, listener);
}

void CX11Window::RegisterPopup(CX11Popup* popup) { popups_.push_back(popup); }

void CX11Window::UnregisterPopup(CX11Popup* popup)
{
    popups_.erase(std::remove(popups_.begin(), popups_.end(), popup), popups_.end());
}

uintptr_t CX11Window::GetTopLevelHandle()
{
    if (!IsConnected() || !window_)
        return 0;
    // Up the tree to the child of the root: the host's frame as the desktop sees it.
    constexpr int kMaxSteps = 500;
    Window current = window_;
    for (int step = 0; step < kMaxSteps; ++step) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display_, current, &root, &parent, &children, &count))
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
