#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "gui/toolkit/2D.h"
#include "gui/toolkit/HBS.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/Rect.h"

namespace zt::ge {
namespace {

constexpr SColour kOrange = SColour::FromRGB(200, 100, 50);  // hue 14, lightness 125, saturation 153

int32_t Distance(SColour a, SColour b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

TEST(HBSConversionTest, WorkedExamples)
{
    EXPECT_EQ(ToHLS(SColour::FromRGB(255, 0, 0)), (SHLS{0, 128, 255}));
    EXPECT_EQ(ToHLS(SColour::FromRGB(0, 255, 0)), (SHLS{85, 128, 255}));
    EXPECT_EQ(ToHLS(SColour::FromRGB(0, 0, 255)), (SHLS{170, 128, 255}));
    EXPECT_EQ(ToHLS(kOrange), (SHLS{14, 125, 153}));
    EXPECT_EQ(FromHLS({14, 125, 153}), kOrange);
    EXPECT_EQ(RecolourPixel(kOrange, 90.0f, 0.0f, 0.0f), SColour::FromRGB(200, 150, 50));  // hue doubled
    EXPECT_EQ(RecolourPixel(kOrange, 0.0f, 100.0f, 0.0f), SColour::FromRGB(253, 249, 247));
    EXPECT_EQ(RecolourPixel(kOrange, 0.0f, 0.0f, -100.0f), SColour::FromRGB(125, 125, 125));
    // Cyan-white: the falling edge at hue 127 overshoots full and stays at full.
    EXPECT_EQ(RecolourPixel(SColour::FromRGB(192, 255, 255), 0.0f, 0.0f, 0.0f), SColour::FromRGB(193, 255, 255));
    EXPECT_EQ(RecolourPixel(SColour::FromRGB(1, 2, 3, 77), 0.0f, 0.0f, 0.0f).a, 77);
}

TEST(HBSConversionTest, NoAdjustmentKeepsEveryColourWithinTheRounding)
{
    // 7 is this conversion's worst case over all 2^24 colours (hue steps of 1/255 of
    // the circle on a fully saturated colour); a wrong formula misses by far more.
    int32_t worst = 0;
    for (int32_t r = 0; r < 256; r += 5)
        for (int32_t g = 0; g < 256; g += 5)
            for (int32_t b = 0; b < 256; b += 5) {
                const SColour c = SColour::FromRGB(uint8_t(r), uint8_t(g), uint8_t(b));
                worst = std::max(worst, Distance(RecolourPixel(c, 0.0f, 0.0f, 0.0f), c));
            }
    EXPECT_LE(worst, 7);
}

TEST(HBSConversionTest, GreysStayGreyAndBrightnessHundredDoublesLightness)
{
    for (int32_t v = 0; v < 256; v += 3) {
        const SColour grey = SColour::FromRGB(uint8_t(v), uint8_t(v), uint8_t(v));
        for (float hue : {-180.0f, -90.0f, 0.0f, 45.0f, 180.0f})
            EXPECT_EQ(RecolourPixel(grey, hue, 0.0f, 60.0f), grey) << v << " " << hue;
        const uint8_t doubled = uint8_t(std::min(255, 2 * v));
        EXPECT_EQ(RecolourPixel(grey, 0.0f, 100.0f, 0.0f), SColour::FromRGB(doubled, doubled, doubled)) << v;
    }
}

// A panel of three stripes beneath a recolouring control of the same size.
class HBSPanelTest : public ::testing::Test {
protected:
    explicit HBSPanelTest(SSize windowSize = {120, 60}) : window(windowSize)
    {
        window.GetRootPane()->AddChild(new CRect({0, 0, windowSize.width, windowSize.height}, SColour{}));
        panel = new C2D({10, 10, 90, 40});
        SetPanel(kOrange);
        window.GetRootPane()->AddChild(panel);
        hbs = new CHBS({10, 10, 90, 40});
        window.GetRootPane()->AddChild(hbs);
        hbs->SetHue(90.0f);
        hbs->SetBrightness(0.0f);
        hbs->SetSaturation(0.0f);
    }
    void SetPanel(SColour first)
    {
        panel->SetDrawFunction([first](IDrawPrimitives& draw, const SRect& area) {
            const SColour colours[3] = {first, SColour::FromRGB(90, 90, 90), SColour::FromRGB(10, 200, 30)};
            for (int32_t i = 0; i < 3; ++i)
                draw.FillRect({area.position.x + 30 * i, area.position.y, 30, area.size.height}, colours[i], area);
        });
        panel->Invalidate();
    }

    COffscreenWindow window;
    C2D* panel = nullptr;
    CHBS* hbs = nullptr;
};

TEST_F(HBSPanelTest, RecoloursThePanelAndDrawsFromTheCacheUntilAnAdjustmentChanges)
{
    window.Paint();
    EXPECT_TRUE(hbs->IsCacheValid());
    EXPECT_EQ(window.GetPixel({20, 30}), SColour::FromRGB(200, 150, 50));
    EXPECT_EQ(window.GetPixel({50, 30}), SColour::FromRGB(90, 90, 90));
    EXPECT_EQ(window.GetPixel({80, 49}), RecolourPixel(SColour::FromRGB(10, 200, 30), 90.0f, 0.0f, 0.0f));
    EXPECT_EQ(window.GetPixel({5, 5}), SColour::FromRGB(0, 0, 0));  // outside: untouched

    SetPanel(SColour::FromRGB(255, 0, 0));  // the panel changes beneath: the cache stands
    window.Paint();
    EXPECT_EQ(window.GetPixel({20, 30}), SColour::FromRGB(200, 150, 50));

    hbs->SetBrightness(100.0f);
    EXPECT_FALSE(hbs->IsCacheValid());
    window.Paint();
    EXPECT_EQ(window.GetPixel({20, 30}), RecolourPixel(SColour::FromRGB(255, 0, 0), 90.0f, 100.0f, 0.0f));
    EXPECT_EQ(window.GetPixel({50, 30}), SColour::FromRGB(180, 180, 180));
}

class HBSPartlyOutsideTest : public HBSPanelTest {
protected:
    HBSPartlyOutsideTest() : HBSPanelTest({70, 60}) {}  // cuts the third stripe off
};

TEST_F(HBSPartlyOutsideTest, APartialPaintRecoloursWhatItCoversButLeavesTheCacheInvalid)
{
    for (int round = 0; round < 2; ++round) {
        window.GetRootPane()->Invalidate();
        window.Paint();
        EXPECT_FALSE(hbs->IsCacheValid());
        EXPECT_EQ(window.GetPixel({20, 30}), SColour::FromRGB(200, 150, 50)) << round;  // never recoloured twice
    }
}

}  // namespace
}  // namespace zt::ge
