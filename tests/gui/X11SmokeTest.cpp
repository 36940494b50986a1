// Needs a display server: CTest runs it under xvfb-run. Without a display it skips.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/GuiTestSupport.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/Window.h"
#include "gui/x11/WindowDriver.h"
#include "gui/x11/X11Surface.h"

extern char** environ;

namespace zt::ge {
namespace {

using test::CProbe;

int g_foreignErrors = 0;
int CountForeignError(Display*, XErrorEvent*)
{
    ++g_foreignErrors;
    return 0;
}

// The test's own connection plays the host: it owns the parent window.
class X11SmokeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !(host = XOpenDisplay(nullptr)))
            GTEST_SKIP() << "no X display";
        parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 200, 120, 0, 0, 0);
        XSelectInput(host, parent, KeyPressMask);
        XMapWindow(host, parent);
        XSync(host, False);
    }
    void TearDown() override
    {
        if (!host)
            return;
        XDestroyWindow(host, parent);
        XCloseDisplay(host);
    }

    unsigned long PixelAt(Window w, int x, int y)
    {
        // Until the editor's own connection has mapped its window the server refuses to
        // read it (BadMatch, fatal to this connection): no pixel yet.
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(host, w, &attributes) || attributes.map_state != IsViewable)
            return ~0ul;
        XImage* image = XGetImage(host, w, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return ~0ul;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    void Send(Window to, XEvent event, long mask)
    {
        XSendEvent(host, to, False, mask, &event);
        XSync(host, False);
    }

    XEvent Button(Window to, unsigned button, int x, int y)
    {
        XEvent e{};
        e.xbutton.type = ButtonPress;
        e.xbutton.display = host;
        e.xbutton.window = to;
        e.xbutton.button = button;
        e.xbutton.x = x;
        e.xbutton.y = y;
        e.xbutton.same_screen = True;
        return e;
    }

    Display* host = nullptr;
    Window parent = 0;
};

TEST_F(X11SmokeTest, AnEditorInsideTheHostsWindowShowsWhatItDraws)
{
    IWindow* window = CreateWindow(nullptr, parent, {10, 20, 64, 48});
    ASSERT_NE(window, nullptr);
    EXPECT_GE(window->GetEventFileDescriptor(), 0);
    window->GetRootPane()->AddChild(new CProbe({0, 0, 64, 48}, SColour::FromRGB(0x20, 0x40, 0x60)));
    window->GetRootPane()->AddChild(new CProbe({8, 8, 4, 4}, SColour::FromRGB(0xFF, 0x80, 0x00)));
    window->Show();

    const Window child = Window(window->GetNativeHandle());
    Window root = 0, reportedParent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(host, child, &root, &reportedParent, &children, &count));
    if (children)
        XFree(children);
    EXPECT_EQ(reportedParent, parent);

    x11::CWindowDriver driver(*window);
    EXPECT_TRUE(driver.RunUntil([&] { return PixelAt(child, 9, 9) == 0xFF8000; }, 3000));
    EXPECT_EQ(PixelAt(child, 40, 30), 0x204060u);
    EXPECT_EQ(PixelAt(parent, 10 + 9, 20 + 9), 0xFF8000u);
    driver.RunFor(120);
    EXPECT_GE(driver.GetTickCount(), 2u);

    // Pointer services talk to the server without upsetting it.
    window->SetCursorShape(kCursorHand);
    window->HideCursor();
    window->ShowCursor();
    window->SetCursorShape(99);
    EXPECT_FALSE(window->IsControlDown());
    EXPECT_TRUE(window->IsConnected());
    window->Destroy();
}

TEST_F(X11SmokeTest, WheelAndKeysArriveAsToolkitEventsAndUnwantedKeysGoBackToTheHost)
{
    IWindow* first = CreateWindow(nullptr, parent, {0, 0, 50, 50});
    IWindow* second = CreateWindow(nullptr, parent, {60, 0, 50, 50});
    ASSERT_TRUE(first && second);
    auto* a = new CProbe({0, 0, 50, 50});
    auto* b = new CProbe({0, 0, 50, 50}, SColour::FromRGB(0, 0, 255), /*handles=*/false);
    first->GetRootPane()->AddChild(a);
    second->GetRootPane()->AddChild(b);
    first->Show();
    second->Show();
    const Window w1 = Window(first->GetNativeHandle()), w2 = Window(second->GetNativeHandle());

    // X hands a wheel press to the window it happened over: the second editor.
    Send(w2, Button(w2, Button4, 5, 5), ButtonPressMask);
    Send(w2, Button(w2, Button5, 5, 5), ButtonPressMask);
    Send(w2, Button(w2, Button5, 5, 5), ButtonPressMask);
    second->OnEventsReady();
    first->OnEventsReady();
    EXPECT_EQ(b->notches, -1.0f);
    EXPECT_EQ(a->notches, 0.0f);

    // Two quick presses in one place make a double-click.
    XEvent press = Button(w1, Button1, 5, 5);
    press.xbutton.time = 1000;
    Send(w1, press, ButtonPressMask);
    press.xbutton.time = 1100;
    Send(w1, press, ButtonPressMask);
    first->OnEventsReady();
    EXPECT_EQ(a->events, (std::vector<EMouseEvent>{kMouseLeftDown, kMouseLeftDoubleClick}));

    XEvent key{};
    key.xkey.type = KeyPress;
    key.xkey.display = host;
    key.xkey.same_screen = True;
    key.xkey.keycode = XKeysymToKeycode(host, XK_a);
    key.xkey.window = w1;
    Send(w1, key, KeyPressMask);
    first->OnEventsReady();
    EXPECT_EQ(a->keys, std::vector<int32_t>{kKeyA});
    key.xkey.window = w2;
    Send(w2, key, KeyPressMask);
    second->OnEventsReady();
    EXPECT_EQ(b->keys, std::vector<int32_t>{kKeyA});  // heard, not handled ...

    XSync(host, False);
    int forwarded = 0;  // ... so the host's window gets it; the handled one stays with the first editor
    for (XEvent e; XCheckTypedWindowEvent(host, parent, KeyPress, &e);)
        forwarded += e.xkey.send_event ? 1 : 0;
    EXPECT_EQ(forwarded, 1);
    second->Destroy();
    first->Destroy();
}

TEST_F(X11SmokeTest, SurfacesShowTheSamePixelsWithAndWithoutSharedMemory)
{
    XVisualInfo info{};
    ASSERT_TRUE(XMatchVisualInfo(host, DefaultScreen(host), 24, TrueColor, &info));
    for (bool shared : {true, false}) {
        x11::CX11Surface surface;
        surface.Attach(host, info.visual, shared);
        ASSERT_TRUE(surface.Resize({16, 8}));
        if (shared) {
            EXPECT_TRUE(surface.IsSharedMemory());
        }
        for (int i = 0; i < 16 * 8; ++i) {
            uint8_t* p = surface.GetBits() + i * 4;
            p[0] = uint8_t(i);  // blue
            p[1] = 0x11;
            p[2] = shared ? 0xAA : 0x55;
            p[3] = 0;
        }
        GC gc = XCreateGC(host, parent, 0, nullptr);
        surface.Present(parent, gc, {16, 8});
        XFreeGC(host, gc);
        XSync(host, False);
        EXPECT_EQ(PixelAt(parent, 3, 2), (shared ? 0xAA1100u : 0x551100u) + 2 * 16 + 3) << shared;
        surface.Detach(true);
    }
}

TEST_F(X11SmokeTest, ABadParentOrNoServerFailsCleanlyAndLeavesTheHostsHandlersAlone)
{
    const XErrorHandler hostHandler = XSetErrorHandler(&CountForeignError);
    EXPECT_EQ(CreateWindow(nullptr, 0x7FFFFFF0, {0, 0, 10, 10}), nullptr);

    IWindow* window = CreateWindow(nullptr, parent, {0, 0, 10, 10});
    ASSERT_NE(window, nullptr);
    XWindowAttributes ignored;
    XGetWindowAttributes(host, 0x7FFFFFF1, &ignored);  // an error on the host's own connection ...
    XSync(host, False);
    EXPECT_EQ(g_foreignErrors, 1);  // ... still reaches the host's handler
    window->Destroy();
    EXPECT_EQ(XSetErrorHandler(hostHandler), &CountForeignError);  // ours is gone again

    const std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", ":4093", 1);
    EXPECT_EQ(CreateWindow(nullptr, 0, {0, 0, 10, 10}), nullptr);
    setenv("DISPLAY", display.c_str(), 1);
}

// A server of our own, to pull away under a live window.
TEST_F(X11SmokeTest, AServerThatGoesAwayLeavesTheProcessRunning)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string fd = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "64x64x24", nullptr};
    pid_t server = 0;
    if (posix_spawnp(&server, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        close(fds[0]);
        close(fds[1]);
        GTEST_SKIP() << "no Xvfb to start";
    }
    close(fds[1]);
    pollfd ready{fds[0], POLLIN, 0};
    char number[16] = {};
    ASSERT_EQ(poll(&ready, 1, 10000), 1);
    ASSERT_GT(read(fds[0], number, sizeof number - 1), 0);
    close(fds[0]);

    const std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", (":" + std::string(number, std::strcspn(number, "\n"))).c_str(), 1);
    IWindow* window = CreateWindow(nullptr, 0, {0, 0, 32, 32});
    setenv("DISPLAY", display.c_str(), 1);
    ASSERT_NE(window, nullptr);
    window->GetRootPane()->AddChild(new CProbe({0, 0, 32, 32}));
    window->Show();
    window->OnEventsReady();

    kill(server, SIGKILL);
    waitpid(server, nullptr, 0);
    window->GetRootPane()->GetChild(0)->Invalidate();
    for (int i = 0; i < 3; ++i) {
        window->OnTimerTick();
        window->OnEventsReady();
        window->SetCursorShape(i);
    }
    EXPECT_FALSE(window->IsConnected());
    window->Destroy();

    IWindow* again = CreateWindow(nullptr, parent, {0, 0, 10, 10});  // the trap recovers too
    EXPECT_NE(again, nullptr);
    if (again)
        again->Destroy();
}

}  // namespace
}  // namespace zt::ge
