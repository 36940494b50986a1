#include <gtest/gtest.h>

#include <thread>

#include "tests/support/GuiTestSupport.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/SevereError.h"

namespace zt::ge {
namespace {

using test::CProbe;

class WindowPaintTest : public ::testing::Test {
protected:
    WindowPaintTest() : window({40, 30})
    {
        a = new CProbe({2, 2, 5, 5}, SColour::FromRGB(255, 0, 0));
        b = new CProbe({20, 10, 5, 5}, SColour::FromRGB(0, 0, 255));
        window.GetRootPane()->AddChild(a);
        window.GetRootPane()->AddChild(b);
        window.Paint();  // the first paint covers the whole new window
    }

    COffscreenWindow window;
    CProbe* a;
    CProbe* b;
};

TEST_F(WindowPaintTest, PaintsOnlyWhenSomethingIsDueButThenTheWholeWindow)
{
    EXPECT_EQ(window.GetPresentCount(), 1);
    EXPECT_EQ(window.GetPixel({3, 3}), SColour::FromRGB(255, 0, 0));
    EXPECT_EQ(window.GetPixel({21, 11}), SColour::FromRGB(0, 0, 255));

    window.Paint();  // empty update area: nothing drawn, nothing shown
    window.OnEventsReady();
    window.OnTimerTick();
    EXPECT_EQ(window.GetPresentCount(), 1);
    EXPECT_EQ(a->draws, 1);

    a->Invalidate();
    window.OnTimerTick();
    EXPECT_EQ(window.GetPresentCount(), 2);
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 2);  // everything is drawn; the dirty area only decides when

    window.GetInvalidater()->AddRect({100, 100, 5, 5});  // outside the window
    window.OnEventsReady();
    EXPECT_EQ(window.GetPresentCount(), 2);

    window.OnExpose({0, 0, 4, 4});  // the server lost some pixels
    window.OnEventsReady();
    EXPECT_EQ(window.GetPresentCount(), 3);
}

TEST_F(WindowPaintTest, InvalidationFromAnotherThreadPaintsOnTheNextTick)
{
    std::thread([this] { b->Invalidate(); }).join();
    window.OnTimerTick();
    EXPECT_EQ(window.GetPresentCount(), 2);
}

TEST_F(WindowPaintTest, TheBufferGrowsWithTheWindowButNeverShrinks)
{
    EXPECT_EQ(window.GetSurface().GetCapacity(), 40u * 30u * 4u);
    window.Resize({20, 10});
    window.OnEventsReady();
    EXPECT_EQ(window.GetSurface().GetSize(), (SSize{20, 10}));
    EXPECT_EQ(window.GetSurface().GetCapacity(), 40u * 30u * 4u);
    window.Resize({50, 30});
    window.OnEventsReady();
    EXPECT_EQ(window.GetSurface().GetCapacity(), 50u * 30u * 4u);
    // Not resizable by default: the root pane keeps its size; a resizable window's follows.
    EXPECT_EQ(window.GetRootPane()->GetSize(), (SSize{40, 30}));
    SWindowOptions options;
    options.resizable = true;
    COffscreenWindow resizable({40, 30}, nullptr, options);
    resizable.Resize({60, 20});
    EXPECT_EQ(resizable.GetRootPane()->GetSize(), (SSize{60, 20}));
}

// An exception escaping message handling is reported once; the process
// would end there, so a replaced action that returns sees later ones swallowed.
class CThrowing : public CProbe {
public:
    using CProbe::CProbe;
    void Draw(IDrawContext&) override { throw CreateException(kExceptionTypeGeneric, kExceptionReasonGeneric, "x"); }
    bool Mouse(EMouseEvent, SPoint) override { throw 42; }
};

int g_reports = 0;
std::string g_caption;
void Record(const char* caption, const char*)
{
    ++g_reports;
    g_caption = caption;
}

TEST(SevereErrorTest, AnEscapingExceptionIsReportedOnceAndTheWindowLivesOn)
{
    const FSevereErrorAction previous = SetSevereErrorAction(&Record);
    COffscreenWindow window({10, 10});
    window.GetRootPane()->AddChild(new CThrowing({0, 0, 5, 5}));
    window.Paint();
    EXPECT_EQ(g_reports, 1);
    EXPECT_EQ(g_caption, kSevereErrorCaption);
    EXPECT_FALSE(window.OnMouse(kMouseLeftDown, {1, 1}));
    EXPECT_EQ(g_reports, 1);
    SetSevereErrorAction(previous);
}

}  // namespace
}  // namespace zt::ge
