#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/GuiTestSupport.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"

namespace zt::ge {
namespace {

using test::CProbe;
using test::CRecorder;

class ControlTest : public ::testing::Test {
protected:
    ControlTest() : window({100, 100})
    {
        pane = new CPane({10, 20, 60, 60});
        control = new CProbe({5, 5, 10, 8});
        control->SetId(7);
        pane->AddChild(control);
        window.GetRootPane()->AddChild(pane);
        control->AddReceiver(&recorder);
        window.Paint();
    }

    COffscreenWindow window;
    CPane* pane;
    CProbe* control;
    CRecorder recorder;
};

TEST_F(ControlTest, ValuesAreClampedAndSnappedToTheirSteps)
{
    control->SetValue(1.5f, false);
    EXPECT_EQ(control->GetValue(), 1.0f);
    control->SetValue(-0.2f, false);
    EXPECT_EQ(control->GetValue(), 0.0f);
    control->SetValue(std::numeric_limits<float>::quiet_NaN(), false);
    EXPECT_EQ(control->GetValue(), 0.0f);

    control->SetSteps(3);
    control->SetValue(0.3f, false);
    EXPECT_EQ(control->GetValue(), 0.5f);
    control->SetValue(0.2f, false);
    EXPECT_EQ(control->GetValue(), 0.0f);
    control->SetValue(0.25f, false);  // exactly between two steps: away from zero
    EXPECT_EQ(control->GetValue(), 0.5f);
    control->SetSteps(1);  // one step cannot be divided by: stepping off
    EXPECT_EQ(control->GetSteps(), 0);
    control->SetValue(0.3f, false);
    EXPECT_FLOAT_EQ(control->GetValue(), 0.3f);

    // Unclamped controls (a multi-state button's index) keep what they get.
    control->SetClamped(false);
    control->SetValue(3.0f, false);
    EXPECT_EQ(control->GetValue(), 3.0f);
}

TEST_F(ControlTest, OnlyNotifiedValuesReachTheReceiversButBothRedraw)
{
    control->SetValue(0.5f, false);
    EXPECT_TRUE(recorder.log.empty());
    EXPECT_EQ(window.GetInvalidater()->GetBoundingRect(), SRect(15, 25, 11, 9));  // one pixel more each way

    control->BeginEdit();
    control->SetValue(0.6f, true);
    control->EndEdit();
    control->Clicked();
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"begin:7", "value:7", "end:7", "click:7"}));
}

TEST_F(ControlTest, ResetNeedsADefaultAndItsGesturesFollowTheWindowOptions)
{
    control->SetValue(0.8f, false);
    control->ResetToDefault();
    EXPECT_EQ(control->GetValue(), 0.8f);
    EXPECT_TRUE(recorder.log.empty());
    control->SetDefaultValue(0.25f);
    control->ResetToDefault();
    EXPECT_EQ(control->GetValue(), 0.25f);
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"value:7"}));

    control->SetDefaultValue(0.5f);
    const SPoint inside{20, 30}, outside{90, 90};

    control->SetValue(0.9f, false);
    EXPECT_FALSE(control->ResetOnGesture(kMouseLeftDoubleClick, outside));
    EXPECT_TRUE(control->ResetOnGesture(kMouseLeftDoubleClick, inside));  // on by default
    EXPECT_EQ(control->GetValue(), 0.5f);

    control->SetValue(0.9f, false);
    window.SetModifiers(kModifierControl | kModifierAlt);
    EXPECT_FALSE(control->ResetOnGesture(kMouseLeftDown, inside));  // Control- and Alt-click off by default

    SWindowOptions options;
    options.doubleClickResets = false;
    options.controlClickResets = true;
    window.SetOptions(options);
    EXPECT_FALSE(control->ResetOnGesture(kMouseLeftDoubleClick, inside));
    window.SetModifiers(kModifierAlt);
    EXPECT_FALSE(control->ResetOnGesture(kMouseLeftDown, inside));
    window.SetModifiers(kModifierControl);
    EXPECT_TRUE(control->ResetOnGesture(kMouseLeftDown, inside));
    EXPECT_EQ(control->GetValue(), 0.5f);
}

TEST_F(ControlTest, PositionsAddUpThroughThePanesAndHiddenControlsDoNotInvalidate)
{
    EXPECT_EQ(control->GetAbsoluteRect(), SRect(15, 25, 10, 8));
    EXPECT_TRUE(control->IsInside({15, 25}));
    EXPECT_TRUE(control->IsInside({24, 32}));
    EXPECT_FALSE(control->IsInside({25, 32}));
    EXPECT_EQ(pane->FindControl(7), control);

    pane->SetVisible(false);  // invalidates the pane's area once, while it still shows
    window.GetInvalidater()->Reset();
    EXPECT_FALSE(control->IsShown());
    control->SetValue(0.4f, false);
    EXPECT_FALSE(window.GetInvalidater()->HasDirtyArea());
    EXPECT_EQ(control->GetValue(), 0.4f);  // the value survives hiding

    pane->SetVisible(true);
    EXPECT_EQ(window.GetInvalidater()->GetBoundingRect(), SRect(10, 20, 61, 61));
}

TEST_F(ControlTest, AReceiverMayLeaveWhileBeingTold)
{
    struct CLeaving : CRecorder {
        void OnValueChanged(IControl* c) override
        {
            CRecorder::OnValueChanged(c);
            c->RemoveReceiver(this);
        }
    } leaving;
    control->AddReceiver(&leaving);
    control->AddReceiver(&leaving);  // added once only
    control->SetValue(0.1f, true);
    control->SetValue(0.2f, true);
    EXPECT_EQ(leaving.log.size(), 1u);
    EXPECT_EQ(recorder.log.size(), 2u);
}

}  // namespace
}  // namespace zt::ge
