#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/GuiTestSupport.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/TextRenderer.h"

namespace zt::ge {
namespace {

using test::CProbe;

// Seven pixels a character, ten a line; remembers what it was asked to write.
class CFakeFont : public ITextRenderer {
public:
    int32_t GetTextWidth(const char*, std::size_t length) override { return int32_t(length) * 7; }
    int32_t GetLineHeight() override { return 10; }
    void DrawText(IDrawContext&, SPoint at, const char* text, std::size_t length, const SRect&) override
    {
        written.push_back(std::to_string(at.x) + "," + std::to_string(at.y) + ":" + std::string(text, length));
    }
    std::vector<std::string> written;
};

class TooltipTest : public ::testing::Test {
protected:
    TooltipTest() : window({200, 100})
    {
        // A background, so what the tooltip leaves behind is drawn over again.
        window.GetRootPane()->AddChild(new CProbe({0, 0, 200, 100}, SColour::FromRGB(0, 0, 0), false));
        control = new CProbe({10, 50, 20, 20});
        control->SetTooltipText("Gain\nsecond line");
        window.GetRootPane()->AddChild(control);
        window.SetTooltipTextRenderer(&font);
    }

    // The pointer rests at point from now on; ticks every 50 ms for ms.
    void RestFor(SPoint point, uint32_t ms)
    {
        window.OnMouse(kMouseMove, point);
        for (uint32_t t = 0; t <= ms; t += 50) {
            window.OnTimerTick();
            window.AdvanceTimeMs(50);
        }
    }

    COffscreenWindow window;
    CFakeFont font;
    CProbe* control;
};

TEST_F(TooltipTest, ShowsAfterTheTextRestsOverTheControlForMoreThanASecond)
{
    RestFor({15, 55}, 1000);
    EXPECT_FALSE(window.GetTooltip().IsShowing());  // exactly a second is not enough
    window.OnTimerTick();
    ASSERT_TRUE(window.GetTooltip().IsShowing());

    // Bottom-left corner 5 right of and 5 above the pointer; 11 characters
    // wide, two lines, padding and border around.
    EXPECT_EQ(window.GetTooltip().GetBox(), SRect(20, 23, 77 + 8, 20 + 8));
    EXPECT_EQ(window.GetPixel({60, 40}), SColour::FromRGB(255, 255, 225));
    EXPECT_EQ(window.GetPixel({20, 23}), SColour::FromRGB(0, 0, 0));
    EXPECT_EQ(window.GetPixel({104, 50}), SColour::FromRGB(0, 0, 0));
    EXPECT_EQ(font.written, (std::vector<std::string>{"24,27:Gain", "24,37:second line"}));

    window.OnMouse(kMouseMove, {16, 55});
    window.OnTimerTick();
    EXPECT_FALSE(window.GetTooltip().IsShowing());
    EXPECT_NE(window.GetPixel({60, 40}), SColour::FromRGB(255, 255, 225));
}

TEST_F(TooltipTest, StaysAwayWhileThePointerIsElsewhere)
{
    RestFor({150, 20}, 3000);  // resting, but over no control with a tooltip
    EXPECT_FALSE(window.GetTooltip().IsShowing());

    window.OnMouse(kMouseMove, {15, 55});
    window.OnPointerLeft();  // the last point was inside, but the pointer is gone
    for (int i = 0; i < 40; ++i, window.AdvanceTimeMs(50))
        window.OnTimerTick();
    EXPECT_FALSE(window.GetTooltip().IsShowing());

    control->SetVisible(false);
    RestFor({15, 55}, 3000);
    EXPECT_FALSE(window.GetTooltip().IsShowing());
}

TEST_F(TooltipTest, TheBoxKeepsInsideTheWindowAndHoldsAtMostSixteenLines)
{
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += "line\r\n";
    control->SetPosition({180, 0});
    control->SetTooltipText(text.c_str());
    RestFor({195, 2}, 1100);
    ASSERT_TRUE(window.GetTooltip().IsShowing());
    EXPECT_EQ(window.GetTooltip().GetLines().size(), 16u);
    const SRect box = window.GetTooltip().GetBox();
    EXPECT_EQ(box.position.y, 0);
    EXPECT_EQ(box.Right(), 199);

    control->SetTooltipText("");  // switched off while showing
    EXPECT_FALSE(window.GetTooltip().IsShowing());
}

}  // namespace
}  // namespace zt::ge
