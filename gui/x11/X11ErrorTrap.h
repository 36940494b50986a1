#pragma once

#include <X11/Xlib.h>

namespace zt::ge::x11 {

// Xlib's error handlers are process-wide and its default ones end the
// process. A plug-in lives in the host's process, so errors on our own
// connections are only counted (the caller checks after an XSync), a lost
// connection is marked broken instead of exiting, and errors on anybody
// else's connections go to the handlers that were there before us.
class CX11ErrorTrap {
public:
    // The first display attached installs the handlers; the last one detached
    // puts the previous ones back, so nothing of ours stays behind once the
    // library can be unloaded.
    static void Attach(Display* display);
    static void Detach(Display* display);

    // Protocol errors counted for display so far.
    static unsigned long GetErrorCount(Display* display);
    // True once the connection to the server is lost; the display must not be
    // used any more except to close it.
    static bool IsBroken(Display* display);
};

}  // namespace zt::ge::x11
