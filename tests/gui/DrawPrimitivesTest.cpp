#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "gui/toolkit/DrawPrimitives.h"
#include "gui/toolkit/MemoryDC.h"

namespace zt::ge {
namespace {

class DrawPrimitivesTest : public ::testing::Test {
protected:
    DrawPrimitivesTest() : dc({8, 8}), draw(dc) { Clear(SColour::FromRGB(0, 0, 0)); }

    void Clear(SColour c) { draw.FillRect(all, SColour{c.b, c.g, c.r, 255}, all); }
    SColour At(int x, int y) const
    {
        SColour c;
        std::memcpy(&c, dc.GetBits() + y * dc.GetStride() + x * 4, 4);
        return c;
    }
    int CountNonBlack() const
    {
        int n = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                n += At(x, y).r != 0 || At(x, y).g != 0 || At(x, y).b != 0;
        return n;
    }

    CMemoryDC dc;
    CDrawPrimitives draw;
    const SRect all{0, 0, 8, 8};
    const SColour white = SColour::FromRGB(255, 255, 255);
};

TEST_F(DrawPrimitivesTest, BlendsTranslucentColoursWithTheShiftByEightFormula)
{
    Clear(SColour::FromRGB(100, 0, 255));
    draw.FillRect({0, 0, 1, 1}, SColour::FromRGB(200, 255, 0, 128), all);
    // (200*128 + 100*127) >> 8 = 38300 >> 8 = 149; (255*128) >> 8 = 127; (255*127) >> 8 = 126.
    EXPECT_EQ(At(0, 0).r, 149);
    EXPECT_EQ(At(0, 0).g, 127);
    EXPECT_EQ(At(0, 0).b, 126);
    // Alpha 0 is not "nothing": 100 * 255 >> 8 = 99.
    draw.FillRect({1, 0, 1, 1}, SColour::FromRGB(0, 0, 0, 0), all);
    EXPECT_EQ(At(1, 0).r, 99);
    // Alpha 255 writes the colour, fourth byte included.
    draw.FillRect({2, 0, 1, 1}, SColour::FromRGB(1, 2, 3), all);
    EXPECT_EQ(At(2, 0), SColour::FromRGB(1, 2, 3));
}

TEST_F(DrawPrimitivesTest, EveryPrimitiveStaysInsideClipAndSurface)
{
    const SRect clip{2, 2, 3, 3};
    draw.FillRect({-5, -5, 100, 100}, white, clip);
    draw.DrawLine({-10, 3}, {20, 3}, white, {0, 0, 0, 0});  // empty clip draws nothing
    draw.DrawLineAA({-3, -1}, {12, 9}, white, clip);
    draw.DrawRectGradient({-4, -4, 20, 20}, white, white, clip);
    EXPECT_EQ(CountNonBlack(), 9);
    EXPECT_EQ(At(1, 2).r, 0);
    EXPECT_EQ(At(5, 4).r, 0);
}

TEST_F(DrawPrimitivesTest, LineStepsTheLongerAxisAndRoundsTheOther)
{
    draw.DrawLine({0, 0}, {4, 2}, white, all);
    // y = 0, 0.5, 1, 1.5, 2 rounds to 0, 1, 1, 2, 2; both end points drawn.
    for (SPoint p : {SPoint{0, 0}, SPoint{1, 1}, SPoint{2, 1}, SPoint{3, 2}, SPoint{4, 2}})
        EXPECT_EQ(At(p.x, p.y), white);
    EXPECT_EQ(CountNonBlack(), 5);

    Clear(SColour::FromRGB(0, 0, 0));
    draw.DrawLine({6, 7}, {5, 1}, white, all);  // steep, drawn upwards
    EXPECT_EQ(CountNonBlack(), 7);
    EXPECT_EQ(At(6, 7), white);
    EXPECT_EQ(At(5, 1), white);
}

TEST_F(DrawPrimitivesTest, AntiAliasedLineSharesEachStepBetweenTwoPixels)
{
    draw.DrawLineAA({0, 0}, {4, 1}, white, all);
    // Slope 1/4 = 16384 in 16.16. Step 0 sits exactly on row 0: full colour
    // there, row 1 untouched.
    EXPECT_EQ(At(0, 0).r, 255);
    EXPECT_EQ(At(0, 1).r, 0);
    // Step 1: weight 64 keeps a quarter of the black below row 0's pixel:
    // d = -255*64, 255 + ((d + (d >> 8) + 128) >> 8) = 191; row 1 gets 64.
    EXPECT_EQ(At(1, 0).r, 191);
    EXPECT_EQ(At(1, 1).r, 64);
    // Step 2: halfway, 127 and 128; step 3 (weight 192) 63 and 192, the
    // rounding of the divide falling the other way.
    EXPECT_EQ(At(2, 0).r, 127);
    EXPECT_EQ(At(2, 1).r, 128);
    EXPECT_EQ(At(3, 0).r, 63);
    EXPECT_EQ(At(3, 1).r, 192);
    // A horizontal line is a plain line: full colour, nothing beside it.
    Clear(SColour::FromRGB(0, 0, 0));
    draw.DrawLineAA({1, 5}, {6, 5}, SColour::FromRGB(9, 9, 9, 10), all);
    EXPECT_EQ(CountNonBlack(), 6);
    EXPECT_EQ(At(3, 5).r, 9);
}

TEST_F(DrawPrimitivesTest, GradientsRunFromTheFirstColourAtTheTop)
{
    const SColour first = SColour::FromRGB(0, 40, 200), second = SColour::FromRGB(200, 40, 0);
    draw.DrawLineVertGradient({1, 2}, 4, first, second, all);
    EXPECT_EQ(At(1, 2), first);
    EXPECT_EQ(At(1, 3).r, 50);  // t = 1/4
    EXPECT_EQ(At(1, 4).r, 100);
    EXPECT_EQ(At(1, 5).r, 150);  // the last row stops a step short of the second colour
    EXPECT_EQ(At(1, 5).b, 50);
    EXPECT_EQ(At(1, 6).r, 0);
    EXPECT_EQ(At(0, 3).r, 0);

    draw.DrawRectGradient({4, 0, 3, 4}, first, second, all);
    for (int x = 4; x < 7; ++x)
        EXPECT_EQ(At(x, 2).r, 100);

    // Translucent: blended by alpha / 255 with rounding: 200*128/255 + 100*127/255 = 150.2.
    Clear(SColour::FromRGB(100, 100, 100));
    draw.DrawLineVertGradient({0, 0}, 2, SColour::FromRGB(200, 200, 200, 128), first, all);
    EXPECT_EQ(At(0, 0).r, 150);
    // The second variant runs the alpha too: row 1 of 2 has alpha 128 from 255 → 0.
    draw.DrawLineVertGradient2({1, 0}, 2, SColour::FromRGB(200, 0, 0, 255), SColour::FromRGB(200, 0, 0, 0), all);
    EXPECT_EQ(At(1, 0).r, 200);
    EXPECT_EQ(At(1, 1).r, 150);
}

TEST_F(DrawPrimitivesTest, PixelCopiesClipAndBlendByTheirOwnAlpha)
{
    // 2 x 2 source: opaque red, transparent green, half blue, opaque white.
    const uint8_t source[16] = {0, 0, 255, 255, 0, 255, 0, 0, 255, 0, 0, 128, 255, 255, 255, 255};
    const SPixelView view{source, {2, 2}, 8};
    Clear(SColour::FromRGB(0, 100, 0));
    draw.BlendPixels(view, {0, 0}, all);
    EXPECT_EQ(At(0, 0), SColour::FromRGB(255, 0, 0));
    EXPECT_EQ(At(1, 0), SColour::FromRGB(0, 100, 0));  // alpha 0 leaves it alone
    EXPECT_EQ(At(0, 1).b, 127);                        // 255*128 >> 8
    EXPECT_EQ(At(0, 1).g, 49);                         // 100*127 >> 8
    draw.CopyPixels(view, {-1, 6}, all);               // only the right column, top row lands
    EXPECT_EQ(At(0, 6), (SColour{0, 255, 0, 0}));
    EXPECT_EQ(At(0, 7), SColour::FromRGB(255, 255, 255));
    EXPECT_EQ(At(1, 6), SColour::FromRGB(0, 100, 0));
}

TEST_F(DrawPrimitivesTest, AbsurdInputCostsOnlyTheVisiblePart)
{
    draw.DrawLine({INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, white, all);  // four billion steps, none visible
    draw.DrawLineAA({INT32_MIN, 0}, {INT32_MAX, 1}, white, all);                // the slope rounds to 0: row 0
    draw.DrawLineVertGradient({3, -5}, INT32_MAX, white, white, all);
    draw.FillRect({INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}, white, all);
    EXPECT_EQ(At(7, 0), white);
    EXPECT_EQ(At(3, 7), white);
    EXPECT_EQ(CountNonBlack(), 8 + 7);

    CMemoryDC empty;
    CDrawPrimitives nothing(empty);
    nothing.FillRect({0, 0, 4, 4}, white, {0, 0, 4, 4});  // no surface yet: nothing to do, no crash
    nothing.DrawLineAA({0, 0}, {3, 1}, white, {0, 0, 4, 4});
}

TEST(MemoryDCTest, StorageOnlyGrowsAndThenExactlyToTheNeed)
{
    CMemoryDC dc({10, 10});
    EXPECT_EQ(dc.GetCapacity(), 400u);
    const uint8_t* bits = dc.GetBits();
    ASSERT_TRUE(dc.Resize({5, 4}));
    EXPECT_EQ(dc.GetCapacity(), 400u);
    EXPECT_EQ(dc.GetBits(), bits);
    EXPECT_EQ(dc.GetStride(), 20);
    ASSERT_TRUE(dc.Resize({11, 10}));
    EXPECT_EQ(dc.GetCapacity(), 440u);
    EXPECT_FALSE(dc.Resize({-3, 10}));
    EXPECT_EQ(dc.GetBits(), nullptr);
}

}  // namespace
}  // namespace zt::ge
