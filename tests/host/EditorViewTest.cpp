// The editor view as a Linux host meets it: the real bundle loaded with dlopen, a
// parent window of the test's own on the display, and the test's run loop behind
// the frame. Needs a display server: CTest runs it under xvfb-run; without a
// display the cases skip.
#include <gtest/gtest.h>

#include "HostRunLoop.h"
#include "tools/hosting/Vst3Host.h"

#include "pluginterfaces/gui/iplugview.h"

#include "tests/support/X11Click.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

using namespace Steinberg;
using qs::hosting::CVst3Host;
using qs::test::CHostRunLoop;

namespace {

constexpr int kWidth = 780, kHeight = 500;

// --- what the process holds ---------------------------------------------------

// The listing's own descriptor is among them, the same one every time.
std::vector<std::string> FdTargets()
{
    std::vector<std::string> targets;
    std::error_code gone;  // closed since the listing: an empty target
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        targets.push_back(std::filesystem::read_symlink(entry.path(), gone).string());
    return targets;
}

int CountFds() { return static_cast<int>(FdTargets().size()); }

// Every X connection is a socket; the test opens no other sockets.
int CountSockets()
{
    const std::vector<std::string> targets = FdTargets();
    return static_cast<int>(
        std::count_if(targets.begin(), targets.end(), [](const std::string& t) { return t.rfind("socket:", 0) == 0; }));
}

int CountThreads()
{
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<int>(std::distance(begin(tasks), end(tasks)));
}

// Bytes the allocator has handed out and not had back, large (mapped) blocks included.
size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// --- the host side --------------------------------------------------------------

class EditorViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Load(QS_BUNDLE)) << host.error();
        ASSERT_TRUE(host.CreateInstance()) << host.error();
        if (!(display = shared))
            GTEST_SKIP() << "no X display";
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    void TearDown() override
    {
        if (display)
            XDestroyWindow(display, parent);
    }
    // One connection for the whole process, never closed: a server that sees its
    // last client go resets, and refuses or drops the next case's connections
    // while it does.
    static void SetUpTestSuite()
    {
        if (!shared && std::getenv("DISPLAY"))
            shared = XOpenDisplay(nullptr);
    }
    static inline Display* shared = nullptr;

    IPlugView* CreateView() { return host.controller()->createView("editor"); }
    void* ParentId() const { return reinterpret_cast<void*>(parent); }

    // The windows the editor made inside the parent.
    std::vector<Window> EditorWindows()
    {
        XSync(display, False);
        Window root = 0, up = 0, *children = nullptr;
        unsigned count = 0;
        std::vector<Window> found;
        if (XQueryTree(display, parent, &root, &up, &children, &count) && children)
            found.assign(children, children + count);
        if (children)
            XFree(children);
        return found;
    }

    unsigned long PixelAt(Window w, int x, int y)
    {
        XImage* image = XGetImage(display, w, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return ~0ul;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    // The window's XEmbed version and flags, empty when it has none.
    std::vector<long> EmbedInfo(Window w)
    {
        const Atom name = XInternAtom(display, "_XEMBED_INFO", False);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<long> info;
        if (XGetWindowProperty(display, w, name, 0, 2, False, name, &type, &format, &count, &after, &data) == Success
            && data && format == 32)
            info.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
        if (data)
            XFree(data);
        return info;
    }

    void Click(Window w, int x, int y) { SendClick(display, w, x, y); }

    // Nothing of the editor left: no handler or timer in the loop, no window in the parent.
    void ExpectClosed(const CHostRunLoop& loop)
    {
        EXPECT_TRUE(loop.handlers.empty());
        EXPECT_TRUE(loop.timers.empty());
        EXPECT_TRUE(EditorWindows().empty());
    }

    CVst3Host host;
    Display* display = nullptr;
    Window parent = 0;
};

using EditorView = EditorViewTest;
using EditorViewSmoke = EditorViewTest;
using EditorViewLeak = EditorViewTest;

}  // namespace

TEST_F(EditorView, MadeByNameOnlyOnePerPlugInAndSizedForTheEditor)
{
    Vst::IEditController* controller = host.controller();
    for (FIDString name : {"Editor", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(controller->createView(name), nullptr) << (name ? name : "null");

    IPlugView* view = CreateView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(CreateView(), nullptr);  // while the first one lives
    ViewRect rect;
    ASSERT_EQ(view->getSize(&rect), kResultOk);
    EXPECT_EQ((std::vector<int32>{rect.left, rect.top, rect.right, rect.bottom}),
              (std::vector<int32>{0, 0, kWidth, kHeight}));
    EXPECT_EQ(view->getSize(nullptr), kInvalidArgument);
    EXPECT_EQ(view->canResize(), kResultFalse);

    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    for (FIDString other : {kPlatformTypeHWND, kPlatformTypeNSView, kPlatformTypeHIView, "X11", ""})
        EXPECT_EQ(view->isPlatformTypeSupported(other), kResultFalse) << other;
    EXPECT_EQ(view->isPlatformTypeSupported(nullptr), kResultFalse);

    EXPECT_TRUE(FUnknownPtr<Linux::ITimerHandler>(view));
    EXPECT_TRUE(FUnknownPtr<Linux::IEventHandler>(view));
    EXPECT_EQ(view->release(), 0u);
    view = CreateView();  // the plug-in object is free again
    ASSERT_NE(view, nullptr);
    view->release();
}

// One descriptor handler for the GUI's X connection and one 50 ms timer while
// attached; both gone, and the connection closed, once removed; and again on a
// second attach.
TEST_F(EditorView, AttachedRegistersDescriptorAndTickRemovedTakesThemBack)
{
    const int socketsBefore = CountSockets();
    CHostRunLoop loop;
    IPlugView* view = CreateView();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->setFrame(&loop), kResultOk);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(view->attached(ParentId(), kPlatformTypeX11EmbedWindowID), kResultOk);
        ASSERT_EQ(loop.handlers.size(), 1u);
        ASSERT_EQ(loop.timers.size(), 1u);
        EXPECT_EQ(loop.timers.begin()->second.interval, 50u);
        const int fd = loop.handlers.begin()->second;
        EXPECT_NE(fcntl(fd, F_GETFD), -1);
        EXPECT_EQ(CountSockets(), socketsBefore + 1);  // the GUI's own X connection

        const std::vector<Window> windows = EditorWindows();
        ASSERT_EQ(windows.size(), 1u);
        XWindowAttributes attributes{};
        ASSERT_TRUE(XGetWindowAttributes(display, windows[0], &attributes));
        EXPECT_EQ(attributes.width, kWidth);
        EXPECT_EQ(attributes.height, kHeight);
        EXPECT_EQ(EmbedInfo(windows[0]), (std::vector<long>{1, 0}));  // XEmbed hosts look for it

        // The loop drives the editor: the tick runs, and an event for the window
        // wakes the loop on the descriptor.
        EXPECT_TRUE(loop.Run(2000, [&] { return loop.timerDispatches >= 2; }));
        XEvent expose{};
        expose.xexpose.type = Expose;
        expose.xexpose.window = windows[0];
        expose.xexpose.width = kWidth;
        expose.xexpose.height = kHeight;
        XSendEvent(display, windows[0], False, ExposureMask, &expose);
        XSync(display, False);  // delivered before anything below can close the window
        EXPECT_TRUE(loop.Run(2000, [&] { return loop.fdDispatches > 0; }));

        ASSERT_EQ(view->removed(), kResultOk);
        ExpectClosed(loop);
        EXPECT_EQ(loop.handlerRemovals, round + 1);
        EXPECT_EQ(loop.timerRemovals, round + 1);
        EXPECT_EQ(CountSockets(), socketsBefore);
        loop.timerDispatches = loop.fdDispatches = 0;
    }
    EXPECT_EQ(loop.references, 0);  // the run loop was let go
    view->setFrame(nullptr);
    EXPECT_EQ(view->release(), 0u);
}

// Every wrong call is refused and leaves nothing open: no window, no handler, no
// connection; the process and the host's own connection carry on.
TEST_F(EditorView, MisuseIsRefusedCleanly)
{
    const int socketsBefore = CountSockets(), fdsBefore = CountFds();
    auto leftNothing = [&](const CHostRunLoop& loop) {
        ExpectClosed(loop);
        EXPECT_EQ(loop.references, 0);
        EXPECT_EQ(CountSockets(), socketsBefore);
        EXPECT_EQ(CountFds(), fdsBefore);
    };
    IPlugView* view = CreateView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->removed(), kResultFalse);  // never attached

    // No frame at all, then a frame without a run loop.
    EXPECT_EQ(view->attached(ParentId(), kPlatformTypeX11EmbedWindowID), kResultFalse);
    CHostRunLoop noLoop(/*offerRunLoop=*/false);
    view->setFrame(&noLoop);
    EXPECT_EQ(view->attached(ParentId(), kPlatformTypeX11EmbedWindowID), kResultFalse);
    leftNothing(noLoop);

    // A loop that refuses the timer: the descriptor handler it took is taken back.
    CHostRunLoop refusing(true, /*refuseTimers=*/true);
    view->setFrame(&refusing);
    EXPECT_EQ(view->attached(ParentId(), kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(refusing.handlerRegistrations, refusing.handlerRemovals);
    leftNothing(refusing);

    CHostRunLoop loop;
    view->setFrame(&loop);
    EXPECT_NE(view->attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultOk);
    EXPECT_EQ(view->attached(ParentId(), kPlatformTypeHWND), kResultFalse);
    // Ids that name no window: X errors are trapped, not fatal.
    for (uintptr_t bogus : {uintptr_t(0x7FFFFF0), uintptr_t(parent + 0x100000), uintptr_t(1)})
        EXPECT_EQ(view->attached(reinterpret_cast<void*>(bogus), kPlatformTypeX11EmbedWindowID), kResultFalse) << bogus;
    leftNothing(loop);
    EXPECT_EQ(view->removed(), kResultFalse);

    // Attached twice: the second is refused and changes nothing.
    ASSERT_EQ(view->attached(ParentId(), kPlatformTypeX11EmbedWindowID), kResultOk);
    EXPECT_EQ(view->attached(ParentId(), kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(loop.handlers.size(), 1u);
    EXPECT_EQ(loop.timers.size(), 1u);
    EXPECT_EQ(EditorWindows().size(), 1u);
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(view->removed(), kResultFalse);
    leftNothing(loop);

    // The host's connection is still in order.
    XSync(display, False);
    EXPECT_NE(PixelAt(parent, 0, 0), ~0ul);
    view->release();
}

// A host that ends the processor while the editor is open: the editor closes
// before the plug-in object goes, and the view stays harmless until released.
TEST_F(EditorView, ProcessorEndingWhileOpenClosesTheEditor)
{
    CHostRunLoop loop;
    IPlugView* view = CreateView();
    ASSERT_NE(view, nullptr);
    view->setFrame(&loop);
    ASSERT_EQ(view->attached(ParentId(), kPlatformTypeX11EmbedWindowID), kResultOk);
    loop.Run(100);

    ASSERT_EQ(host.component()->terminate(), kResultOk);
    ExpectClosed(loop);
    EXPECT_EQ(view->removed(), kResultFalse);
    ViewRect rect;
    EXPECT_EQ(view->getSize(&rect), kResultFalse);
    EXPECT_EQ(view->attached(ParentId(), kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_EQ(view->release(), 0u);
}

// The editor opened through the bundle's view, driven only by the host's loop:
// it paints, hears a click and closes.
TEST_F(EditorViewSmoke, OpensPaintsTakesAClickAndCloses)
{
    const int gateEnable = host.FindParameter("Gate Enable");
    ASSERT_GE(gateEnable, 0);
    CHostRunLoop loop;
    IPlugView* view = CreateView();
    ASSERT_NE(view, nullptr);
    view->setFrame(&loop);
    ASSERT_EQ(view->attached(ParentId(), kPlatformTypeX11EmbedWindowID), kResultOk);
    const std::vector<Window> windows = EditorWindows();
    ASSERT_EQ(windows.size(), 1u);
    const Window editor = windows[0];

    // The parent is black; the skin is not, once the loop has let the editor paint.
    EXPECT_TRUE(loop.Run(3000, [&] { return PixelAt(editor, kWidth / 2, kHeight / 2) != 0; }));

    // The gate section's on/off button: 48 x 26 at (139, 304).
    const double before = host.GetNormalized(static_cast<Vst::ParamID>(gateEnable));
    host.clearHandlerLog();
    Click(editor, 139 + 24, 304 + 13);
    const auto& log = host.handlerLog();
    loop.Run(3000, [&] { return log.ends > 0; });
    const auto edits = std::count_if(log.edits.begin(), log.edits.end(),
                                     [&](const auto& edit) { return edit.first == Vst::ParamID(gateEnable); });
    const char* hint = "needs the editor's gate on/off button";
    EXPECT_GE(log.begins, 1) << hint;
    EXPECT_EQ(edits, 1) << hint;
    EXPECT_GE(log.ends, 1) << hint;
    EXPECT_NE(host.GetNormalized(static_cast<Vst::ParamID>(gateEnable)), before) << hint;

    ASSERT_EQ(view->removed(), kResultOk);
    ExpectClosed(loop);
    EXPECT_EQ(view->release(), 0u);
}

// Opening and closing the editor many times leaves the process as it was.
TEST_F(EditorViewLeak, HundredOpenAndCloseCyclesLeaveNothingBehind)
{
    CHostRunLoop loop;
    auto cycle = [&] {
        IPlugView* view = CreateView();
        ASSERT_NE(view, nullptr);
        view->setFrame(&loop);
        ASSERT_EQ(view->attached(ParentId(), kPlatformTypeX11EmbedWindowID), kResultOk);
        loop.Run(2 * 50 + 10);  // two ticks, and whatever the window's events bring
        ASSERT_EQ(view->removed(), kResultOk);
        view->setFrame(nullptr);
        ASSERT_EQ(view->release(), 0u);
    };
    // The first opening fills process-wide caches (Xlib's, the fonts', the allocator's).
    cycle();
    const int fds = CountFds(), threads = CountThreads(), sockets = CountSockets();
    const size_t heap = HeapInUse();

    for (int i = 0; i < 100 && !HasFatalFailure(); ++i)
        cycle();

    EXPECT_EQ(CountFds(), fds);
    EXPECT_EQ(CountThreads(), threads);
    EXPECT_EQ(CountSockets(), sockets);
    ExpectClosed(loop);
    EXPECT_EQ(loop.references, 0);
    // One open editor holds over 1.5 MB (the 780 x 500 pixel buffer alone), so a
    // cycle that kept its window, buffer or GUI would pass this bound in its first
    // round. 64 KiB over 100 cycles also catches a small leak of 656 bytes or more
    // a cycle; what stays (some hundred bytes in all) is Xlib's and the
    // allocator's own bookkeeping.
    const size_t grown = HeapInUse() > heap ? HeapInUse() - heap : 0;
    EXPECT_LT(grown, size_t(64) * 1024) << grown << " bytes more in use after 100 cycles";
}
