#include "gui/x11/X11KeyMap.h"

#include <X11/keysym.h>

#include "gui/native/Events.h"

namespace zt::ge::x11 {

int32_t MapKeySym(unsigned long base, unsigned long translated, bool shift)
{
    if (base >= XK_a && base <= XK_z)
        return int32_t(base - XK_a) + (shift ? kKeyShiftA : kKeyA);
    if (base >= XK_0 && base <= XK_9)
        return kKey0 + int32_t(base - XK_0);
    // The numeric pad: what it types depends on Num Lock, so look at the translation.
    if (translated >= XK_KP_0 && translated <= XK_KP_9)
        return kKey0 + int32_t(translated - XK_KP_0);
    switch (translated) {
    case XK_KP_Add:
        return kKeyPlus;
    case XK_KP_Subtract:
        return kKeyMinus;
    case XK_KP_Decimal:
    case XK_KP_Separator:
        return kKeyDecimal;
    case XK_KP_Enter:
        return kKeyEnter;
    case XK_KP_Delete:
        return kKeyDelete;
    case XK_KP_Left:
        return kKeyLeft;
    case XK_KP_Right:
        return kKeyRight;
    case XK_KP_Up:
        return kKeyUp;
    case XK_KP_Down:
        return kKeyDown;
    default:
        break;
    }
    switch (base) {
    case XK_plus:
    case XK_equal:
        return kKeyPlus;  // the key that carries '+' on most layouts
    case XK_minus:
        return kKeyMinus;
    case XK_period:
    case XK_comma:
        return kKeyPeriod;
    case XK_space:
        return kKeySpace;
    case XK_Return:
        return kKeyEnter;
    case XK_Escape:
        return kKeyEscape;
    case XK_Delete:
        return kKeyDelete;
    case XK_BackSpace:
        return kKeyBackspace;
    case XK_Left:
        return kKeyLeft;
    case XK_Right:
        return kKeyRight;
    case XK_Up:
        return kKeyUp;
    case XK_Down:
        return kKeyDown;
    default:
        return kKeyNone;
    }
}

}  // namespace zt::ge::x11
