#pragma once

#include <cstdint>

namespace zt::ge {

// Mouse event codes that the window hands to controls.
enum EMouseEvent : int32_t {
    kMouseLeftDown = 0,
    kMouseLeftUp = 1,
    kMouseLeftDoubleClick = 2,
    kMouseRightDown = 3,
    kMouseRightUp = 4,
    kMouseRightDoubleClick = 5,
    kMouseMove = 6,
};

// Key codes that reach controls. Letters come in two ranges: kKeyA + i
// without Shift and kKeyShiftA + i with it.
enum EKey : int32_t {
    kKeyNone = -1,
    kKeyA = 0,
    kKeyShiftA = 26,
    kKey0 = 52,  // digits of the main block and the numeric pad: kKey0 + digit
    kKeySpace = 62,
    kKeyPlus = 63,
    kKeyMinus = 64,
    kKeyDecimal = 65,  // the numeric pad's decimal key
    kKeyPeriod = 66,   // '.' and ','
    kKeyEnter = 67,
    kKeyEscape = 68,
    kKeyDelete = 69,
    kKeyBackspace = 70,
    kKeyLeft = 71,
    kKeyRight = 72,
    kKeyUp = 73,
    kKeyDown = 74,
};

// Cursor shapes by number; any other number shows no cursor at all.
enum ECursor : int32_t {
    kCursorArrow = 0,
    kCursorWait = 1,
    kCursorHand = 2,
    kCursorSizeWE = 3,
    kCursorSizeNS = 4,
    kCursorNo = 5,
};

// Modifier keys as the platform reports them, one bit each.
enum EModifier : uint32_t {
    kModifierShift = 1u << 0,
    kModifierControl = 1u << 1,
    kModifierAlt = 1u << 2,
};

// Mouse-button state bits the window keeps.
enum EMouseButtonFlag : uint32_t {
    kMouseFlagLeft = 1u << 0,
    kMouseFlagRight = 1u << 1,
};

}  // namespace zt::ge
