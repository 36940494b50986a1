#include <gtest/gtest.h>

#include "tests/support/GuiTestSupport.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"

namespace zt::ge {
namespace {

using test::CProbe;

class RoutingTest : public ::testing::Test {
protected:
    RoutingTest() : window({100, 100})
    {
        below = new CProbe({10, 10, 30, 30});
        above = new CProbe({20, 20, 30, 30});
        section = new CPane({50, 50, 40, 40});
        inner = new CProbe({5, 5, 10, 10});  // at (55, 55) in the window
        section->AddChild(inner);
        for (IControl* c :
             {static_cast<IControl*>(below), static_cast<IControl*>(above), static_cast<IControl*>(section)})
            window.GetRootPane()->AddChild(c);
    }

    COffscreenWindow window;
    CProbe* below;
    CProbe* above;
    CPane* section;
    CProbe* inner;
};

TEST_F(RoutingTest, TheControlAddedLaterGetsTheClickWhereTheyOverlap)
{
    EXPECT_TRUE(window.OnMouse(kMouseLeftDown, {25, 25}));
    EXPECT_EQ(above->events.size(), 1u);
    EXPECT_TRUE(below->events.empty());

    above->SetEnabled(false);
    EXPECT_TRUE(window.OnMouse(kMouseLeftDown, {25, 25}));
    EXPECT_EQ(below->events.size(), 1u);

    above->SetEnabled(true);
    above->SetVisible(false);
    window.OnMouse(kMouseLeftDown, {25, 25});
    EXPECT_EQ(below->events.size(), 2u);
    EXPECT_EQ(above->events.size(), 1u);
}

TEST_F(RoutingTest, PanesPassEventsToTheirChildrenOnlyWhileShown)
{
    EXPECT_TRUE(window.OnMouse(kMouseRightDown, {56, 56}));
    EXPECT_EQ(inner->events, std::vector<EMouseEvent>{kMouseRightDown});
    EXPECT_FALSE(window.OnMouse(kMouseMove, {80, 80}));  // inside the pane, over no control

    section->SetVisible(false);
    EXPECT_FALSE(window.OnMouse(kMouseRightDown, {56, 56}));
    EXPECT_EQ(inner->events.size(), 1u);
}

TEST_F(RoutingTest, TheCapturingControlGetsEverythingUntilItLetsGo)
{
    inner->onMouse = [this](EMouseEvent e) {
        if (e == kMouseLeftDown)
            window.CaptureMouse(inner);
        if (e == kMouseLeftUp)
            window.ReleaseMouse(inner);
    };
    window.OnMouse(kMouseLeftDown, {56, 56});
    EXPECT_TRUE(window.IsPointerGrabbed());
    EXPECT_EQ(window.GetMouseButtons(), uint32_t(kMouseFlagLeft));

    window.OnMouse(kMouseMove, {25, 25});      // over two other controls
    window.OnMouse(kMouseLeftUp, {-40, 300});  // outside the window
    EXPECT_EQ(inner->events, (std::vector<EMouseEvent>{kMouseLeftDown, kMouseMove, kMouseLeftUp}));
    EXPECT_EQ(inner->lastPoint, (SPoint{-40, 300}));
    EXPECT_TRUE(above->events.empty());
    EXPECT_FALSE(window.IsPointerGrabbed());
    EXPECT_EQ(window.GetCapture(), nullptr);
    EXPECT_EQ(window.GetMouseButtons(), 0u);
}

TEST_F(RoutingTest, AControlGoingAwayTakesItsCaptureAndFocusWithIt)
{
    auto* pane = new CPane({0, 0, 100, 100});
    auto* doomed = new CProbe({0, 0, 5, 5});
    pane->AddChild(doomed);
    window.GetRootPane()->AddChild(pane);
    window.CaptureMouse(doomed);
    window.SetKeyFocus(doomed);
    window.AddOverlay(doomed);
    // Taken out of the tree, the pane and its children are forgotten at once.
    ASSERT_TRUE(window.GetRootPane()->RemoveChild(pane));
    EXPECT_EQ(window.GetCapture(), nullptr);
    EXPECT_FALSE(window.IsPointerGrabbed());
    pane->Destroy();
    EXPECT_TRUE(window.OnKey(kKeyUp));  // to the tree again, not to the freed control
    EXPECT_EQ(inner->keys, std::vector<int32_t>{kKeyUp});
    EXPECT_FALSE(window.GetRootPane()->RemoveChild(inner));  // a grandchild, not a child

    auto* alone = new CProbe({0, 0, 5, 5});
    window.GetRootPane()->AddChild(alone);
    window.CaptureMouse(alone);
    alone->SetTooltipText("tip");
    window.ShowTooltip(alone, "tip", {1, 1});
    window.GetRootPane()->RemoveChild(alone);
    alone->Destroy();
    EXPECT_FALSE(window.GetTooltip().IsShowing());
}

TEST_F(RoutingTest, AHandlerThatChangesTheLayoutGetsTheEventDispatchedAgain)
{
    // Clicking `above` switches it off and shows `below` in its place.
    above->onMouse = [this](EMouseEvent) {
        above->SetVisible(false);
        window.RequestRedispatch();
    };
    window.OnMouse(kMouseLeftDown, {25, 25});
    EXPECT_EQ(above->events.size(), 1u);
    EXPECT_EQ(below->events.size(), 1u);

    // A handler that always asks again cannot keep the window busy forever.
    below->onMouse = [this](EMouseEvent) { window.RequestRedispatch(); };
    window.OnMouse(kMouseLeftDown, {15, 15});
    EXPECT_EQ(below->events.size(), 1u + CWindow::kMaxDispatchRounds);
}

TEST_F(RoutingTest, OverlaysSeeInputFirstAndDrawLast)
{
    CProbe overlay({0, 0, 30, 30}, SColour::FromRGB(0, 255, 0));
    window.AddOverlay(&overlay);
    window.Paint();
    EXPECT_EQ(window.GetPixel({25, 25}), SColour::FromRGB(0, 255, 0));
    EXPECT_TRUE(window.OnMouse(kMouseLeftDown, {25, 25}));
    EXPECT_TRUE(window.OnWheel({25, 25}, 1.0f));
    EXPECT_EQ(overlay.events.size(), 1u);
    EXPECT_EQ(overlay.notches, 1.0f);
    EXPECT_TRUE(above->events.empty());

    window.RemoveOverlay(&overlay);
    window.Paint();
    EXPECT_EQ(window.GetPixel({25, 25}), SColour::FromRGB(255, 0, 0));
}

TEST_F(RoutingTest, WheelAndKeysFollowTheOptions)
{
    EXPECT_TRUE(window.OnWheel({56, 56}, -2.0f));
    EXPECT_EQ(inner->notches, -2.0f);
    EXPECT_FALSE(window.OnWheel({95, 5}, 1.0f));

    EXPECT_TRUE(window.OnKey(kKeyEnter));  // topmost control that takes it
    EXPECT_EQ(inner->keys, std::vector<int32_t>{kKeyEnter});
    window.SetKeyFocus(below);
    EXPECT_TRUE(window.OnKey(kKey0 + 3));
    EXPECT_EQ(below->keys, std::vector<int32_t>{kKey0 + 3});

    SWindowOptions options;
    options.wheelInput = false;
    options.keyboardInput = false;
    window.SetOptions(options);
    EXPECT_FALSE(window.TakesFocusOnClick());
    EXPECT_FALSE(window.OnWheel({56, 56}, 1.0f));
    EXPECT_FALSE(window.OnKey(kKeyEnter));
    EXPECT_EQ(inner->notches, -2.0f);
    EXPECT_EQ(below->keys.size(), 1u);
}

TEST_F(RoutingTest, TheFineKeyFollowsItsOption)
{
    window.SetModifiers(kModifierControl);
    EXPECT_TRUE(window.IsFineKeyDown());  // Control by default
    window.SetModifiers(kModifierShift);
    EXPECT_FALSE(window.IsFineKeyDown());

    SWindowOptions options;
    options.fineKeyIsShift = true;
    window.SetOptions(options);
    EXPECT_TRUE(window.IsFineKeyDown());
    window.SetModifiers(kModifierControl | kModifierAlt);
    EXPECT_FALSE(window.IsFineKeyDown());
}

TEST_F(RoutingTest, CursorHidesNestAndButtonFlagsAreKeptForTheControls)
{
    window.HideCursor();
    window.HideCursor();
    window.ShowCursor();
    EXPECT_FALSE(window.IsCursorVisible());  // hides nest
    window.ShowCursor();
    window.ShowCursor();  // one too many changes nothing
    EXPECT_TRUE(window.IsCursorVisible());
    window.HideCursor();
    EXPECT_FALSE(window.IsCursorVisible());

    window.OnMouse(kMouseLeftDown, {1, 1});
    window.OnMouse(kMouseRightDown, {1, 1});
    EXPECT_EQ(window.GetMouseButtons(), uint32_t(kMouseFlagLeft | kMouseFlagRight));
    window.OnFocusLost();
    EXPECT_EQ(window.GetMouseButtons(), 0u);
}

}  // namespace
}  // namespace zt::ge
