// The view around a GUI of the test's own (a toolkit window), for what the
// product's editor cannot be made to do on demand: a file dialog open when the
// editor closes, and a host that closes the editor from inside the editor's tick.
#include <gtest/gtest.h>

#include "HostRunLoop.h"
#include "tests/support/PlugInHarness.h"

#include "host/vst3/EditorView.h"

#include "gui/toolkit/FileDialog.h"
#include "gui/toolkit/Window.h"

#include <X11/Xlib.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

using namespace Steinberg;
using qs::test::CHostRunLoop;

namespace {

// Opens a file dialog with its window when asked to; runs onTick inside its tick,
// and counts being destroyed from inside that tick.
class CTestGUI final : public zt::ztpi::IGUI {
public:
    static inline bool withDialog = false;
    static inline std::function<void()> onTick;
    static inline int alive = 0, destroyedInsideTick = 0;

    CTestGUI() { ++alive; }
    ~CTestGUI() override
    {
        destroyedInsideTick += inTick_;
        Close();
        --alive;
    }
    void Destroy() override { delete this; }
    void GetSize(int32_t* width, int32_t* height) override
    {
        *width = 64;
        *height = 48;
    }
    bool Open(void* parentWindow) override
    {
        window_ = zt::ge::CreateWindow(nullptr, reinterpret_cast<uintptr_t>(parentWindow), {0, 0, 64, 48});
        if (!window_ || !withDialog)
            return window_ != nullptr;
        dialog_ = new zt::ge::COpenDialog();
        return dialog_->Show(window_, [](const std::string&) {});
    }
    void Redraw() override {}
    void Idle() override
    {
        if (!window_)
            return;
        inTick_ = true;
        window_->OnTimerTick();
        if (auto hook = std::move(onTick))
            hook();
        window_->OnTimerTick();  // still ours: the view has not destroyed it under us
        inTick_ = false;
    }
    void Close() override
    {
        if (window_)
            window_->Destroy();  // tells an open dialog its window is gone
        window_ = nullptr;
        if (dialog_)
            dialog_->Destroy();
        dialog_ = nullptr;
    }
    int GetEventFileDescriptor() override { return window_ ? window_->GetEventFileDescriptor() : -1; }
    void OnEventsReady() override
    {
        if (window_)
            window_->OnEventsReady();
    }

private:
    zt::ge::IWindow* window_ = nullptr;
    zt::ge::COpenDialog* dialog_ = nullptr;
    bool inTick_ = false;
};

zt::ztpi::IGUI* MakeTestGUI(zt::ztpi::IPlugIn&) { return new CTestGUI(); }

// Our child processes, running or ended and not yet reaped.
int CountChildren()
{
    int children = 0;
    if (DIR* dir = opendir("/proc")) {
        while (dirent* entry = readdir(dir)) {
            std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
            std::string line;
            std::getline(stat, line);
            // pid (name) state ppid: the name may hold spaces, so read after the last ')'.
            const size_t close = line.rfind(')');
            char state = 0;
            int ppid = 0;
            if (close != std::string::npos && std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) == 2)
                children += ppid == getpid();
        }
        closedir(dir);
    }
    return children;
}

class EditorViewOwnGUI : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!(display = shared))
            GTEST_SKIP() << "no X display";
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 64, 48, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
        zt::ztpi::SetGUIFactory(&MakeTestGUI);
        view = new zt::vst3::AGainEditorView(harness.plugIn(), "test", nullptr);
        view->setFrame(&loop);
    }
    void TearDown() override
    {
        zt::ztpi::SetGUIFactory(nullptr);
        CTestGUI::withDialog = false;
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
    tresult Attach() { return view->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID); }

    Display* display = nullptr;
    Window parent = 0;
    PlugInHarness harness;
    CHostRunLoop loop;
    zt::vst3::AGainEditorView* view = nullptr;
};

}  // namespace

TEST_F(EditorViewOwnGUI, ClosingTheEditorWithAFileDialogOpenEndsTheDialogProgram)
{
    // A stand-in for the desktop's dialog program that waits until it is ended.
    const std::filesystem::path bin = std::filesystem::path(std::getenv("HOME")) / "bin";
    std::filesystem::create_directories(bin);
    std::ofstream(bin / "zenity") << "#!/bin/sh\nexec sleep 60\n";
    chmod((bin / "zenity").c_str(), 0755);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    setenv("PATH", (bin.string() + ":" + path).c_str(), 1);
    CTestGUI::withDialog = true;
    ASSERT_EQ(CountChildren(), 0);

    ASSERT_EQ(Attach(), kResultOk);
    loop.Run(150);
    EXPECT_EQ(CountChildren(), 1);  // the dialog is up
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(CountChildren(), 0);  // ended and reaped

    // Attached again and released without removed while the loop holds its two
    // handlers: the view goes with the last of them, and the dialog with it.
    ASSERT_EQ(Attach(), kResultOk);
    loop.Run(100);
    EXPECT_EQ(CountChildren(), 1);
    view->setFrame(nullptr);
    EXPECT_EQ(view->release(), 2u);
    loop.unregisterEventHandler(view);
    loop.unregisterTimer(view);
    EXPECT_EQ(CTestGUI::alive, 0);
    EXPECT_EQ(CountChildren(), 0);
    setenv("PATH", path.c_str(), 1);
}

// A host that answers something the editor did by closing and releasing the view,
// from inside the editor's tick: the window goes once the tick is over.
TEST_F(EditorViewOwnGUI, RemovedAndReleasedFromInsideTheTick)
{
    ASSERT_EQ(Attach(), kResultOk);
    tresult removed = kResultFalse;
    CTestGUI::onTick = [&] {
        removed = view->removed();
        view->release();
    };
    EXPECT_TRUE(loop.Run(2000, [&] { return CTestGUI::alive == 0; }));
    EXPECT_EQ(removed, kResultOk);
    EXPECT_EQ(CTestGUI::destroyedInsideTick, 0);
    EXPECT_TRUE(loop.handlers.empty());
    EXPECT_TRUE(loop.timers.empty());
    EXPECT_EQ(loop.references, 0);
}
