// A left click (press and release) sent straight to a window of a test's display, as an
// editor test's user would click it.
#pragma once

#include <X11/Xlib.h>

inline void SendClick(Display* display, Window w, int x, int y)
{
    for (int type : {ButtonPress, ButtonRelease}) {
        XEvent e{};
        e.xbutton.type = type;
        e.xbutton.display = display;
        e.xbutton.window = w;
        e.xbutton.button = Button1;
        e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
        e.xbutton.x = x;
        e.xbutton.y = y;
        e.xbutton.same_screen = True;
        XSendEvent(display, w, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
    }
    XSync(display, False);
}
