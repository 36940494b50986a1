#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/support/ResourceTestSupport.h"
#include "gui/toolkit/EQDisplay.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Rect.h"

namespace zt::ge {
namespace {

constexpr SColour kBlack = SColour::FromRGB(0, 0, 0);
constexpr SColour kCurve = SColour::FromRGB(255, 255, 255);
constexpr SColour kHandle = SColour::FromRGB(0, 0, 200);

class CEventLog : public IEQDisplayCallback {
public:
    void OnEQBegin(int32_t band) override { log.push_back("begin " + std::to_string(band)); }
    void OnEQEnd(int32_t band) override { log.push_back("end " + std::to_string(band)); }
    void OnEQChange(const SEQDisplayEvent& e) override
    {
        EXPECT_EQ(e.kind, kEQEventChange);
        log.push_back("change " + std::to_string(e.band) + " axis " + std::to_string(e.axis));
        values.push_back(e.value);
    }
    std::vector<std::string> log;
    std::vector<float> values;
};

// A display of w x h at (20, 30) over a black panel, with two 7 x 7 handles.
class EQDisplayTest : public ::testing::Test {
protected:
    explicit EQDisplayTest(SSize size = {101, 51})
        : file(test::MakeResourceFile({{7, kResourceBitmap, test::SolidTga(7, 7, kHandle)},
                                       {8, kResourceBitmap,
                                        test::MakeTga(7, 14,
                                                      [](int32_t, int32_t y) {
                                                          return y < 7
                                                              ? kHandle
                                                              : SColour::FromRGB(200, 0, 0);  // resting, dragged
                                                      })}})),
          resources(file.data(), file.size()), window({600, 240})
    {
        window.SetResourceManager(&resources);
        window.GetRootPane()->AddChild(new CRect({0, 0, 600, 240}, kBlack));
        display = new CEQDisplay({20, 30, size.width, size.height});
        window.GetRootPane()->AddChild(display);
        display->AddHandle(7);
        display->AddHandle(7);
        display->SetCallback(&events);
        display->SetCurveColour(kCurve);
    }
    SPoint At(SPoint pixel) const { return display->GetAbsolutePosition() + pixel; }
    SColour Pixel(int32_t column, int32_t row) const { return window.GetPixel(At({column, row})); }

    std::vector<uint8_t> file;
    CResourceManager resources;
    COffscreenWindow window;
    CEQDisplay* display = nullptr;
    CEventLog events;
};

TEST_F(EQDisplayTest, PlacementRoundsHalfAwayAndPacksThePixel)
{
    display->PlaceHandle(1, 0.125f, 0.75f);  // 100 * 0.125 = 12.5, 50 * 0.25 = 12.5
    CEQHandle* handle = display->GetHandle(1);
    EXPECT_EQ(handle->GetPixel(), (SPoint{13, 13}));
    EXPECT_EQ(handle->GetValue(), float((13 << 16) | 13));
    display->PlaceHandle(1, 1.0f, 0.0f);
    EXPECT_EQ(handle->GetPixel(), (SPoint{100, 50}));
    EXPECT_TRUE(events.log.empty());  // placing is not the user's doing
}

TEST_F(EQDisplayTest, DragSendsBeginChangesOnBothAxesAndEndAndStaysInside)
{
    display->PlaceHandle(0, 0.5f, 0.5f);  // pixel (50, 25)
    const SPoint press = At({51, 24});    // off the handle's centre: no jump
    window.OnMouse(kMouseLeftDown, press);
    window.OnMouse(kMouseMove, press);
    window.OnMouse(kMouseMove, {press.x + 10, press.y + 5});
    window.OnMouse(kMouseMove, {-500, -500});
    window.OnMouse(kMouseMove, {5000, 5000});
    window.OnMouse(kMouseLeftUp, {5000, 5000});
    EXPECT_EQ(events.log,
              (std::vector<std::string>{"begin 0", "change 0 axis 0", "change 0 axis 1", "change 0 axis 0",
                                        "change 0 axis 1", "change 0 axis 0", "change 0 axis 1", "end 0"}));
    const std::vector<float> expected{0.6f, 1.0f - 30.0f / 50.0f, 0.0f, 1.0f, 1.0f, 0.0f};
    ASSERT_EQ(events.values.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_FLOAT_EQ(events.values[i], expected[i]) << i;
    EXPECT_EQ(window.GetCapture(), nullptr);
}

TEST_F(EQDisplayTest, WheelOverAVisibleHandleSendsOneThirdAxisChange)
{
    display->PlaceHandle(0, 0.5f, 0.5f);
    EXPECT_TRUE(window.OnWheel(At({50, 25}), 2.0f));
    EXPECT_FALSE(window.OnWheel(At({80, 25}), 1.0f));  // not over a handle
    display->ShowHandle(0, false);
    EXPECT_FALSE(window.OnWheel(At({50, 25}), 1.0f));
    window.OnMouse(kMouseLeftDown, At({50, 25}));
    EXPECT_EQ(events.log, (std::vector<std::string>{"change 0 axis 2"}));
    EXPECT_EQ(events.values, (std::vector<float>{2.0f * CEQDisplay::kThirdValuePerNotch}));
}

TEST_F(EQDisplayTest, CurveIsAntiAliasedInQuarterStepsOverItsFillAndHandlesLieOverIt)
{
    std::vector<float> curve(101, 1.0f - 25.25f / 50.0f);  // row 25.25: 3/4 on row 25, 1/4 on row 26
    curve[30] = 1.0f - 10.0f / 50.0f;                      // a jump from row 10 to row 40 ...
    for (std::size_t c = 31; c < 60; ++c)
        curve[c] = 1.0f - 40.0f / 50.0f;
    curve[70] = std::nanf("");  // ... a hole ...
    curve[90] = INFINITY;       // ... and a spike off the top
    display->SetCurve(curve.data(), int32_t(curve.size()));
    display->PlaceHandle(1, 1.0f, 1.0f - 25.0f / 50.0f);
    display->SetFillColour(SColour::FromRGB(0, 0, 255, 128));  // at 128 / 51 per row below the top, from row 27 down
    window.Paint();

    EXPECT_EQ(Pixel(5, 25), SColour::FromRGB(191, 191, 191));  // (255 * 192 + 128) >> 8
    EXPECT_EQ(Pixel(5, 26), SColour::FromRGB(64, 64, 64));
    EXPECT_EQ(Pixel(5, 24), kBlack);
    EXPECT_EQ(Pixel(5, 27), SColour::FromRGB(0, 0, (255 * (128 * 24 / 51) + 127) / 255));
    EXPECT_GT(Pixel(5, 27).b, Pixel(5, 40).b);
    EXPECT_GT(Pixel(5, 40).b, Pixel(5, 50).b);
    // The jump leaves no row uncovered (red comes from the curve alone); half way up it
    // is shared half and half.
    for (int32_t row = 11; row < 40; ++row)
        EXPECT_TRUE(Pixel(30, row).r != 0 || Pixel(31, row).r != 0) << row;
    EXPECT_EQ(Pixel(30, 25).r, 128);  // blue beneath from the fill of the column at row 10
    EXPECT_EQ(Pixel(31, 25), SColour::FromRGB(128, 128, 128));
    for (int32_t row = 0; row < 51; ++row)
        EXPECT_EQ(Pixel(70, row), kBlack) << row;
    EXPECT_NE(Pixel(90, 0), kBlack);
    EXPECT_EQ(window.GetPixel(At({90, -1})), kBlack);  // nothing above the display
    EXPECT_EQ(Pixel(98, 25), kHandle);                 // handle centred on (100, 25), cut at the edge
    EXPECT_EQ(Pixel(100, 25), kHandle);
    EXPECT_EQ(window.GetPixel(At({101, 25})), kBlack);
}

TEST_F(EQDisplayTest, ATwoFrameHandleShowsItsSecondFrameFromPressToRelease)
{
    display->AddHandle(8, 2);
    display->PlaceHandle(2, 0.5f, 0.5f);
    window.Paint();
    EXPECT_EQ(Pixel(50, 25), kHandle);
    window.OnMouse(kMouseLeftDown, At({50, 25}));
    window.OnEventsReady();
    EXPECT_EQ(Pixel(50, 25), SColour::FromRGB(200, 0, 0));
    window.OnMouse(kMouseLeftUp, At({50, 25}));
    window.OnEventsReady();
    EXPECT_EQ(Pixel(50, 25), kHandle);
}

class EQDisplayProductSizeTest : public EQDisplayTest {
protected:
    EQDisplayProductSizeTest() : EQDisplayTest({492, 141}) {}
};

// Columns from 256 up no longer fit a float's packing exactly; the reports must still be.
TEST_F(EQDisplayProductSizeTest, FarRightColumnsReportExactly)
{
    display->PlaceHandle(0, 1.0f, 0.0f);
    EXPECT_EQ(display->GetHandle(0)->GetPixel(), (SPoint{491, 140}));
    window.OnMouse(kMouseLeftDown, At({491, 140}));
    window.OnMouse(kMouseMove, At({490, 139}));
    window.OnMouse(kMouseLeftUp, At({490, 139}));
    ASSERT_EQ(events.values.size(), 2u);
    EXPECT_EQ(events.values[0], 490.0f / 491.0f);
    EXPECT_EQ(events.values[1], 1.0f - 139.0f / 140.0f);
}

}  // namespace
}  // namespace zt::ge
