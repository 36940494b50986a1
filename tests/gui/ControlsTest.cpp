#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/support/GuiTestSupport.h"
#include "tests/support/ResourceTestSupport.h"
#include "gui/toolkit/Button.h"
#include "gui/toolkit/Knob.h"
#include "gui/toolkit/MultiStateButton.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/PeakMeter.h"
#include "gui/toolkit/RadioButtons.h"
#include "gui/toolkit/Slider.h"
#include "gui/toolkit/Text.h"
#include "gui/toolkit/TimedBitmap.h"

namespace zt::ge {
namespace {

using test::CRecorder;
using test::MakeResourceFile;
using test::MakeTga;

constexpr SColour kLit = SColour::FromRGB(0, 250, 0);

// A window with a resource file of its own: a 127-frame strip whose red
// byte tells the frame, a two-frame button, meter bitmaps.
class ControlsTest : public ::testing::Test {
protected:
    ControlsTest()
        : file(MakeResourceFile({
            {1, kResourceBitmap,
             MakeTga(4, 4 * 127, [](int32_t, int32_t y) { return SColour::FromRGB(uint8_t(y / 4), 0, 0); })},
            {2, kResourceBitmap,
             MakeTga(6, 12, [](int32_t, int32_t y) { return SColour::FromRGB(y < 6 ? 10 : 20, 0, 0); })},
            {3, kResourceBitmap, test::SolidTga(10, 100, kLit)},
            {4, kResourceBitmap, test::SolidTga(100, 10, kLit)},
        })),
          resources(file.data(), file.size()), window({400, 400})
    {
        window.SetResourceManager(&resources);
    }

    template <class T>
    T* Add(T* control)
    {
        window.GetRootPane()->AddChild(control);
        control->AddReceiver(&recorder);
        return control;
    }
    void Drag(SPoint from, SPoint to)
    {
        window.OnMouse(kMouseLeftDown, from);
        window.OnMouse(kMouseMove, to);
    }

    std::vector<uint8_t> file;
    CResourceManager resources;
    COffscreenWindow window;
    CRecorder recorder;
};

TEST_F(ControlsTest, LinearKnobMovesAThreeHundredthPerPixelAndATenthOfThatWithTheFineKey)
{
    CKnob* knob = Add(new CKnob({50, 50, 40, 40}, 9));
    Drag({70, 70}, {70, 40});
    EXPECT_NEAR(knob->GetValue(), 0.1f, 1e-6f);
    window.OnMouse(kMouseMove, {200, 40});  // sideways changes nothing
    EXPECT_NEAR(knob->GetValue(), 0.1f, 1e-6f);
    window.OnMouse(kMouseMove, {70, -230});  // 300 pixels: the whole range
    EXPECT_EQ(knob->GetValue(), 1.0f);
    window.OnMouse(kMouseLeftUp, {70, -230});
    EXPECT_EQ(recorder.log.front(), "begin:9");
    EXPECT_EQ(recorder.log.back(), "end:9");
    EXPECT_EQ(window.GetCapture(), nullptr);

    knob->SetValue(0.0f, false);
    window.SetModifiers(kModifierControl);  // the fine key, by default
    Drag({70, 70}, {70, -230});
    EXPECT_NEAR(knob->GetValue(), 0.1f, 1e-6f);
    window.OnMouse(kMouseMove, {70, 70 - 3000});
    EXPECT_EQ(knob->GetValue(), 1.0f);
    window.OnMouse(kMouseLeftUp, {70, 0});
}

TEST_F(ControlsTest, SwitchingTheFineKeyMidDragContinuesFromTheCurrentValue)
{
    CKnob* knob = Add(new CKnob({50, 50, 40, 40}));
    Drag({70, 70}, {70, 40});
    ASSERT_NEAR(knob->GetValue(), 0.1f, 1e-6f);
    window.SetModifiers(kModifierControl);
    window.OnMouse(kMouseMove, {70, 40});  // pressing the key alone moves nothing
    EXPECT_NEAR(knob->GetValue(), 0.1f, 1e-6f);
    window.OnMouse(kMouseMove, {70, 10});
    EXPECT_NEAR(knob->GetValue(), 0.11f, 1e-6f);
    // Letting go of the key re-anchors at this very move, which adds nothing.
    window.SetModifiers(0);
    window.OnMouse(kMouseMove, {70, 7});
    EXPECT_NEAR(knob->GetValue(), 0.11f, 1e-6f);
    window.OnMouse(kMouseMove, {70, 4});
    EXPECT_NEAR(knob->GetValue(), 0.12f, 1e-6f);
}

TEST_F(ControlsTest, KnobWheelDoubleClickAndCircularMode)
{
    CKnob* knob = Add(new CKnob({50, 50, 40, 40}));
    EXPECT_TRUE(window.OnWheel({60, 60}, 1.0f));
    EXPECT_NEAR(knob->GetValue(), 0.04f, 1e-6f);
    window.SetModifiers(kModifierShift);
    window.OnWheel({60, 60}, 1.0f);
    EXPECT_NEAR(knob->GetValue(), 0.0404f, 1e-6f);
    EXPECT_FALSE(window.OnWheel({10, 10}, 1.0f));  // outside

    knob->SetDefaultValue(0.3f);
    window.OnMouse(kMouseLeftDoubleClick, {60, 60});
    EXPECT_EQ(knob->GetValue(), 0.3f);
    EXPECT_EQ(window.GetCapture(), nullptr);  // a reset starts no drag

    SWindowOptions options = window.GetOptions();
    options.knobMode = CKnob::kModeCircular;
    window.SetOptions(options);
    Drag({70, 70}, {70, 20});  // straight above the centre
    EXPECT_NEAR(knob->GetValue(), 0.5f, 1e-3f);
    window.OnMouse(kMouseMove, {20, 70});  // left
    EXPECT_NEAR(knob->GetValue(), 0.1667f, 1e-3f);
    window.OnMouse(kMouseMove, {120, 70});  // right
    EXPECT_NEAR(knob->GetValue(), 0.8337f, 1e-3f);
    window.OnMouse(kMouseMove, {69, 150});  // the dead zone below, left of centre
    EXPECT_EQ(knob->GetValue(), 0.0f);
}

TEST_F(ControlsTest, KnobShowsTheFrameOfItsValue)
{
    CKnob* knob = Add(new CKnob({10, 10, 4, 4}, -1, 1, 127));
    knob->SetValue(0.5f, false);
    window.Paint();
    EXPECT_EQ(window.GetPixel({11, 11}).r, 63);
    knob->SetValue(1.0f, false);
    window.Paint();
    EXPECT_EQ(window.GetPixel({11, 11}).r, 126);
}

TEST_F(ControlsTest, SliderSensitivityRules)
{
    // Positive sensitivity: (1 - s) * 600 / 60001 pixels per step.
    CSlider* slider = Add(new CSlider({10, 10}, {10, 10}, 200));
    slider->SetSensitivity(0.9f);
    Drag({15, 100}, {15, 94});
    EXPECT_NEAR(slider->GetValue(), 0.1f, 1e-4f);  // 60 pixels per range
    window.OnMouse(kMouseLeftUp, {15, 94});

    // Negative: the handle follows the pointer over the travel.
    slider->SetValue(0.0f, false);
    slider->SetSensitivity(-1.0f);
    Drag({15, 200}, {15, 150});
    EXPECT_NEAR(slider->GetValue(), 0.25f, 1e-6f);
    window.OnMouse(kMouseLeftUp, {15, 150});

    CSlider* across = Add(new CSlider({50, 300}, {10, 10}, 100, kHorizontal));
    across->SetSensitivity(-1.0f);
    Drag({60, 305}, {85, 280});  // rightward adds, vertical movement does not count
    EXPECT_NEAR(across->GetValue(), 0.25f, 1e-6f);
    window.OnMouse(kMouseLeftUp, {85, 280});
    EXPECT_EQ(across->GetHandleRect().position.x, 50 + 23);  // a quarter of the 90 pixels it can move
}

TEST_F(ControlsTest, ButtonSendsItsValueAtPressOrReleaseAndClicksOnRelease)
{
    CButton* button = Add(new CButton({10, 10, 6, 6}, 5, 2));
    window.OnMouse(kMouseLeftDown, {12, 12});
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"begin:5", "value:5", "end:5"}));
    window.Paint();
    EXPECT_EQ(window.GetPixel({12, 12}).r, 20);  // down while pressed
    window.OnMouse(kMouseLeftUp, {13, 13});
    EXPECT_EQ(recorder.log.back(), "click:5");
    window.Paint();
    EXPECT_EQ(window.GetPixel({12, 12}).r, 10);

    recorder.log.clear();
    button->SetLatched(true);
    window.OnMouse(kMouseLeftDown, {12, 12});
    EXPECT_TRUE(recorder.log.empty());
    window.OnMouse(kMouseLeftUp, {100, 100});  // let go elsewhere: no click, no value
    EXPECT_TRUE(recorder.log.empty());
    window.OnMouse(kMouseLeftDown, {12, 12});
    window.OnMouse(kMouseLeftUp, {12, 12});
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"begin:5", "value:5", "end:5", "click:5"}));
}

TEST_F(ControlsTest, MultiStateButtonCyclesThroughItsStates)
{
    CMultiStateButton* button = Add(new CMultiStateButton({10, 10, 6, 6}, 3, 4));
    std::vector<float> seen;
    for (int i = 0; i < 4; ++i) {
        window.OnMouse(i == 1 ? kMouseLeftDoubleClick : kMouseLeftDown, {12, 12});
        window.OnMouse(kMouseLeftUp, {12, 12});
        seen.push_back(button->GetValue());
    }
    EXPECT_EQ(seen, (std::vector<float>{1, 2, 0, 1}));
    EXPECT_EQ(recorder.log.size(), 12u);  // begin, value, end each time
    button->SetValue(7.5f, false);        // from outside, beyond the states
    window.OnMouse(kMouseLeftDown, {12, 12});
    EXPECT_EQ(button->GetValue(), 0.0f);

    button->SetCaptureOnPress(true);
    window.OnMouse(kMouseLeftDown, {12, 12});
    EXPECT_EQ(window.GetCapture(), button);
    window.OnMouse(kMouseLeftUp, {300, 300});
    EXPECT_EQ(window.GetCapture(), nullptr);
}

TEST_F(ControlsTest, RadioButtonsChooseExactlyOne)
{
    auto* radio = Add(new CRadioButtons({10, 10, 100, 20}, 3));
    IButton* choices[]
        = {radio->AddChoice({0, 0, 20, 20}), radio->AddChoice({30, 0, 20, 20}), radio->AddChoice({60, 0, 20, 20})};
    window.OnMouse(kMouseLeftDown, {75, 15});
    EXPECT_EQ(radio->GetChosen(), 2);
    EXPECT_EQ(radio->GetValue(), 1.0f);
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"begin:3", "value:3", "end:3"}));
    window.OnMouse(kMouseLeftDown, {15, 15});
    EXPECT_EQ(radio->GetChosen(), 0);
    EXPECT_EQ(choices[0]->GetValue(), 1.0f);
    EXPECT_EQ(choices[1]->GetValue(), 0.0f);
    EXPECT_EQ(choices[2]->GetValue(), 0.0f);

    radio->SetValue(0.5f, false);  // from outside
    EXPECT_EQ(choices[1]->GetValue(), 1.0f);
    EXPECT_EQ(choices[0]->GetValue(), 0.0f);
    EXPECT_FALSE(window.OnMouse(kMouseLeftDown, {35, 15}));  // between the choices
}

// The lit part of a 100-pixel meter with margins 5 (start) and 10 (end):
// L = 85, so 0.5 lights round(42.5) = 43 pixels.
TEST_F(ControlsTest, PeakMeterLightsItsLengthInAllFourModes)
{
    window.GetRootPane()->AddChild(new test::CProbeFill({0, 0, 400, 400}));
    CPeakMeter* meters[4]
        = {Add(new CPeakMeter({10, 10, 10, 100}, 0, 5, 10, 3)), Add(new CPeakMeter({30, 10, 10, 100}, 1, 5, 10, 3)),
           Add(new CPeakMeter({50, 150, 100, 10}, 2, 5, 10, 4)), Add(new CPeakMeter({50, 200, 100, 10}, 3, 5, 10, 4))};
    for (CPeakMeter* meter : meters)
        meter->SetValue(0.5f, false);
    window.Paint();
    auto litRun = [&](SPoint start, SPoint step) {
        std::vector<int> lit;
        for (int i = 0; i < 100; ++i)
            if (window.GetPixel({start.x + step.x * i, start.y + step.y * i}) == SColour{0, 250, 0, 255})
                lit.push_back(i);
        return lit.empty() ? std::make_pair(-1, -1) : std::make_pair(lit.front(), int(lit.size()));
    };
    EXPECT_EQ(litRun({15, 10}, {0, 1}), std::make_pair(5 + 42, 43));   // from the bottom end
    EXPECT_EQ(litRun({35, 10}, {0, 1}), std::make_pair(5, 43));        // from the top
    EXPECT_EQ(litRun({50, 155}, {1, 0}), std::make_pair(5 + 42, 43));  // from the right end
    EXPECT_EQ(litRun({50, 205}, {1, 0}), std::make_pair(5, 43));       // from the left

    meters[0]->SetValue(0.0f, false);
    window.Paint();
    EXPECT_EQ(litRun({15, 10}, {0, 1}).first, -1);
}

TEST_F(ControlsTest, PeakMeterRisesAtOnceAndDecaysByTheFactor)
{
    CPeakMeter* meter = Add(new CPeakMeter({10, 10, 10, 100}, 0, 0, 0, 3));
    meter->Update(1.0f, 0.9f);
    EXPECT_EQ(meter->GetValue(), 1.0f);
    meter->Update(0.0f, 0.9f);
    EXPECT_NEAR(meter->GetValue(), 0.9f, 1e-6f);
    meter->Update(0.0f, 0.9f);
    EXPECT_NEAR(meter->GetValue(), 0.81f, 1e-6f);
    meter->Update(0.95f, 0.9f);
    EXPECT_NEAR(meter->GetValue(), 0.95f, 1e-6f);

    // Only a change of the lit part redraws.
    window.Paint();
    meter->SetValue(0.951f, false);  // 95 of 100 pixels either way
    EXPECT_FALSE(window.GetInvalidater()->HasDirtyArea());
    meter->SetValue(0.5f, false);
    EXPECT_TRUE(window.GetInvalidater()->HasDirtyArea());
}

TEST(TextFittingTest, VowelsGoFirstThenTheMiddle)
{
    // Every character six pixels wide.
    const CText::FMeasure measure = [](const std::string& s) { return int32_t(s.size()) * 6; };
    const std::string name = "Compressor Threshold";
    EXPECT_EQ(CText::FitText(name, 120, measure), name);
    EXPECT_EQ(CText::FitText(name, 96, measure), "Comprssr Thrshld");  // the last vowels go first
    EXPECT_EQ(CText::FitText(name, 90, measure), "Cmprssr Thrshld");
    EXPECT_EQ(CText::FitText(name, 84, measure), "Cmprss..hrshld");
    EXPECT_EQ(CText::FitText("EAbc", 18, measure), "Ebc");  // an upper-case vowel, but never the first letter
    EXPECT_EQ(CText::FitText("Abc", 12, measure), "..");
    EXPECT_EQ(CText::FitText("Abcdef", 1, measure), "..");
}

TEST_F(ControlsTest, TextShowsTheFittedStringInItsFont)
{
    const std::vector<uint8_t> fontFile
        = MakeResourceFile({{7, kResourceFont, test::MakeFontStrip(std::vector<int32_t>(95, 6))}});
    CResourceManager fonts(fontFile.data(), fontFile.size());
    window.SetResourceManager(&fonts);
    CText* text = Add(new CText({0, 0, 90, 12}, "Compressor Threshold"));
    text->SetFont(7, SColour::FromRGB(255, 255, 255));
    EXPECT_EQ(text->GetShownText(), "Cmprssr Thrshld");
    window.SetResourceManager(&resources);
}

TEST_F(ControlsTest, TimedLightStaysOnUntilTheDurationAfterTheLastTrigger)
{
    window.SetTimeMs(1000);
    CTimedBitmap* light = Add(new CTimedBitmap({10, 10, 6, 6}, 2000, 2));
    light->SwitchOn();
    window.AdvanceTimeMs(1500);
    light->SwitchOn();
    window.AdvanceTimeMs(1000);  // two seconds after the first
    window.OnTimerTick();
    EXPECT_TRUE(light->IsOn());
    window.AdvanceTimeMs(1000);  // two seconds after the second
    window.OnTimerTick();
    EXPECT_FALSE(light->IsOn());
    window.Paint();
    EXPECT_EQ(window.GetPixel({12, 12}).r, 10);
}

}  // namespace
}  // namespace zt::ge
