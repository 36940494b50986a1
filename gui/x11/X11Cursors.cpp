#include "gui/x11/X11Cursors.h"

#include <X11/cursorfont.h>

#include "gui/native/Events.h"

namespace zt::ge::x11 {
namespace {

// Arrow, wait, hand, west-east, north-south, "not allowed".
constexpr unsigned kFontShapes[CX11Cursors::kShapeCount]
    = {XC_left_ptr, XC_watch, XC_hand2, XC_sb_h_double_arrow, XC_sb_v_double_arrow, XC_X_cursor};

}  // namespace

void CX11Cursors::Attach(Display* display)
{
    Release(true);
    display_ = display;
}

void CX11Cursors::Release(bool serverAlive)
{
    if (display_ && serverAlive) {
        for (Cursor& c : shapes_)
            if (c)
                XFreeCursor(display_, c);
        if (blank_)
            XFreeCursor(display_, blank_);
    }
    shapes_.fill(0);
    blank_ = 0;
    display_ = nullptr;
}

Cursor CX11Cursors::Blank()
{
    if (!blank_) {
        const char bits[1] = {0};
        Pixmap pixmap = XCreateBitmapFromData(display_, DefaultRootWindow(display_), bits, 1, 1);
        XColor black{};
        blank_ = XCreatePixmapCursor(display_, pixmap, pixmap, &black, &black, 0, 0);
        XFreePixmap(display_, pixmap);
    }
    return blank_;
}

void CX11Cursors::Apply(Window window, int32_t shape, bool visible)
{
    if (!display_ || !window)
        return;
    Cursor cursor;
    if (visible && shape >= kCursorArrow && shape < kShapeCount) {
        Cursor& slot = shapes_[std::size_t(shape)];
        if (!slot)
            slot = XCreateFontCursor(display_, kFontShapes[shape]);
        cursor = slot;
    } else {
        cursor = Blank();
    }
    XDefineCursor(display_, window, cursor);
    XFlush(display_);
}

}  // namespace zt::ge::x11
