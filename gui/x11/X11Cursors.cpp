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
    m_display = display;
}

void CX11Cursors::Release(bool serverAlive)
{
    if (m_display && serverAlive) {
        for (Cursor& c : m_shapes)
            if (c)
                XFreeCursor(m_display, c);
        if (m_blank)
            XFreeCursor(m_display, m_blank);
    }
    m_shapes.fill(0);
    m_blank = 0;
    m_display = nullptr;
}

Cursor CX11Cursors::Blank()
{
    if (!m_blank) {
        const char bits[1] = {0};
        Pixmap pixmap = XCreateBitmapFromData(m_display, DefaultRootWindow(m_display), bits, 1, 1);
        XColor black{};
        m_blank = XCreatePixmapCursor(m_display, pixmap, pixmap, &black, &black, 0, 0);
        XFreePixmap(m_display, pixmap);
    }
    return m_blank;
}

void CX11Cursors::Apply(Window window, int32_t shape, bool visible)
{
    if (!m_display || !window)
        return;
    Cursor cursor;
    if (visible && shape >= kCursorArrow && shape < kShapeCount) {
        Cursor& slot = m_shapes[std::size_t(shape)];
        if (!slot)
            slot = XCreateFontCursor(m_display, kFontShapes[shape]);
        cursor = slot;
    } else {
        cursor = Blank();
    }
    XDefineCursor(m_display, window, cursor);
    XFlush(m_display);
}

}  // namespace zt::ge::x11
