#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "gui/native/Events.h"
#include "gui/x11/DoubleClickDetector.h"
#include "gui/x11/X11KeyMap.h"

namespace zt::ge::x11 {
namespace {

TEST(X11KeyMapTest, MapsKeysToTheToolkitCodes)
{
    EXPECT_EQ(MapKeySym(XK_a, XK_a, false), 0);
    EXPECT_EQ(MapKeySym(XK_z, XK_Z, true), 51);
    EXPECT_EQ(MapKeySym(XK_q, XK_Q, false), 16);  // Caps Lock alone is not Shift
    EXPECT_EQ(MapKeySym(XK_7, XK_ampersand, true), 59);
    EXPECT_EQ(MapKeySym(XK_KP_End, XK_KP_1, false), 53);  // Num Lock on
    EXPECT_EQ(MapKeySym(XK_KP_End, XK_KP_End, false), kKeyNone);
    EXPECT_EQ(MapKeySym(XK_KP_Left, XK_KP_Left, false), kKeyLeft);
    EXPECT_EQ(MapKeySym(XK_equal, XK_plus, true), kKeyPlus);
    EXPECT_EQ(MapKeySym(XK_KP_Add, XK_KP_Add, false), kKeyPlus);
    EXPECT_EQ(MapKeySym(XK_minus, XK_minus, false), kKeyMinus);
    EXPECT_EQ(MapKeySym(XK_KP_Delete, XK_KP_Decimal, false), kKeyDecimal);
    EXPECT_EQ(MapKeySym(XK_comma, XK_comma, false), kKeyPeriod);
    EXPECT_EQ(MapKeySym(XK_period, XK_period, false), kKeyPeriod);
    EXPECT_EQ(MapKeySym(XK_space, XK_space, false), kKeySpace);
    EXPECT_EQ(MapKeySym(XK_KP_Enter, XK_KP_Enter, false), kKeyEnter);
    EXPECT_EQ(MapKeySym(XK_Return, XK_Return, false), kKeyEnter);
    EXPECT_EQ(MapKeySym(XK_Escape, XK_Escape, false), kKeyEscape);
    EXPECT_EQ(MapKeySym(XK_BackSpace, XK_BackSpace, false), kKeyBackspace);
    EXPECT_EQ(MapKeySym(XK_Down, XK_Down, false), kKeyDown);
    EXPECT_EQ(MapKeySym(XK_F1, XK_F1, false), kKeyNone);
    EXPECT_EQ(MapKeySym(XK_Tab, XK_Tab, false), kKeyNone);
}

TEST(DoubleClickDetectorTest, PairsPressesByButtonTimeAndDistance)
{
    CDoubleClickDetector clicks(400, 4);
    EXPECT_FALSE(clicks.Press(1, 1000, {10, 10}));
    EXPECT_TRUE(clicks.Press(1, 1400, {14, 6}));   // at the limits
    EXPECT_FALSE(clicks.Press(1, 1500, {14, 6}));  // a third press starts a new pair
    EXPECT_TRUE(clicks.Press(1, 1600, {14, 6}));

    EXPECT_FALSE(clicks.Press(1, 2000, {10, 10}));
    EXPECT_FALSE(clicks.Press(1, 2401, {10, 10}));  // too late, but starts a pair itself
    EXPECT_TRUE(clicks.Press(1, 2500, {10, 10}));

    EXPECT_FALSE(clicks.Press(1, 3000, {10, 10}));
    EXPECT_FALSE(clicks.Press(1, 3100, {15, 10}));  // too far

    EXPECT_FALSE(clicks.Press(1, 4000, {10, 10}));
    EXPECT_FALSE(clicks.Press(3, 4100, {10, 10}));  // another button
    EXPECT_TRUE(clicks.Press(3, 4200, {10, 10}));

    EXPECT_FALSE(clicks.Press(1, 0xFFFFFF00u, {0, 0}));
    EXPECT_TRUE(clicks.Press(1, 0x40u, {0, 0}));  // the server's clock wrapped in between
}

}  // namespace
}  // namespace zt::ge::x11
