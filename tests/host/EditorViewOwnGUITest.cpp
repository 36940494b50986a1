// The view around GUIs of the test's own (a toolkit window each), for what the
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

// An editor that opens a file dialog as soon as its window is up.
class CDialogGUI final : public zt::ztpi::IGUI {
public:
    void Destroy() override { delete this; }
    void GetSize(int32_t* width, int32_t* height) override
    {
        *width = 200;
        *height = 100;
    }
    bool Open(void* parentWindow) override
    {
        window_ = zt::ge::CreateWindow(nullptr, reinterpret_cast<uintptr_t>(parentWindow), {0, 0, 200, 100});
        if (!window_)
            return false;
        window_->Show();
        dialog_ = new zt::ge::COpenDialog();
        dialog_->SetTitle("Load Preset");
        return dialog_->Show(window_, [](const std::string&) {});
    }
    void Redraw() override {}
    void Idle() override
    {
        if (window_)
            window_->OnTimerTick();
    }
    void Close() override
    {
        if (window_)
            window_->Destroy();  // tells the dialog its window is gone
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
    ~CDialogGUI() override { Close(); }

private:
    zt::ge::IWindow* window_ = nullptr;
    zt::ge::COpenDialog* dialog_ = nullptr;
};

zt::ztpi::IGUI* MakeDialogGUI(zt::ztpi::IPlugIn&) { return new CDialogGUI(); }

// An editor whose tick runs what the test gives it, and which knows whether it is
// being destroyed from inside its own tick.
class CHookGUI final : public zt::ztpi::IGUI {
public:
    static inline std::function<void()> onTick;
    static inline int alive = 0;
    static inline int destroyedInsideTick = 0;

    CHookGUI() { ++alive; }
    ~CHookGUI() override
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
        return window_ != nullptr;
    }
    void Redraw() override {}
    void Idle() override
    {
        if (!window_)
            return;
        inTick_ = true;
        window_->OnTimerTick();
        if (onTick)
            onTick();
        window_->OnTimerTick();  // still ours: the view has not destroyed it under us
        inTick_ = false;
    }
    void Close() override
    {
        if (window_)
            window_->Destroy();
        window_ = nullptr;
    }
    int GetEventFileDescriptor() override { return window_ ? window_->GetEventFileDescriptor() : -1; }
    void OnEventsReady() override
    {
        if (window_)
            window_->OnEventsReady();
    }

private:
    zt::ge::IWindow* window_ = nullptr;
    bool inTick_ = false;
};

zt::ztpi::IGUI* MakeHookGUI(zt::ztpi::IPlugIn&) { return new CHookGUI(); }

// Our child processes, running or ended and not yet reaped.
int CountChildren()
{
    int children = 0;
    const std::string self = std::to_string(getpid());
    if (DIR* dir = opendir("/proc")) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
                continue;
            std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
            std::string line;
            std::getline(stat, line);
            // pid (name) state ppid ...: the name may hold spaces, so read after the last ')'.
            const size_t close = line.rfind(')');
            if (close == std::string::npos)
                continue;
            char state = 0;
            int ppid = 0;
            if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && std::to_string(ppid) == self)
                ++children;
        }
        closedir(dir);
    }
    return children;
}

}  // namespace

TEST(EditorViewOwnGUI, ClosingTheEditorWithAFileDialogOpenEndsTheDialogProgram)
{
    Display* display = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        GTEST_SKIP() << "no X display";
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);

    // A stand-in for the desktop's dialog program that waits until it is ended,
    // found first on PATH.
    const std::filesystem::path bin = std::filesystem::path(std::getenv("HOME")) / "bin";
    std::filesystem::create_directories(bin);
    {
        std::ofstream script(bin / "zenity");
        script << "#!/bin/sh\nexec sleep 60\n";
    }
    chmod((bin / "zenity").c_str(), 0755);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    setenv("PATH", (bin.string() + ":" + path).c_str(), 1);

    zt::ztpi::SetGUIFactory(&MakeDialogGUI);
    ASSERT_EQ(CountChildren(), 0);
    {
        PlugInHarness harness;
        auto* view = new zt::vst3::AGainEditorView(harness.plugIn(), "test", nullptr);
        ASSERT_TRUE(view->HasGUI());
        CHostRunLoop loop;
        view->setFrame(&loop);
        ASSERT_EQ(view->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID), kResultOk);
        loop.Run(150);
        EXPECT_EQ(CountChildren(), 1);  // the dialog is up

        EXPECT_EQ(view->removed(), kResultOk);
        EXPECT_EQ(CountChildren(), 0);  // ended and reaped
        EXPECT_TRUE(loop.handlers.empty());
        EXPECT_TRUE(loop.timers.empty());

        // Attached again and released without removed, dialog up: the same.
        ASSERT_EQ(view->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID), kResultOk);
        loop.Run(100);
        EXPECT_EQ(CountChildren(), 1);
        view->setFrame(nullptr);
        EXPECT_EQ(view->release(), 2u);  // the loop still holds its two handlers
        loop.unregisterEventHandler(view);
        loop.unregisterTimer(view);  // the last reference: the view goes
        EXPECT_EQ(CountChildren(), 0);
    }
    zt::ztpi::SetGUIFactory(nullptr);
    setenv("PATH", path.c_str(), 1);
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
}

// A host that answers something the editor did by closing and releasing the view,
// from inside the editor's tick: the window goes once the tick is over, and the
// view with it.
TEST(EditorViewOwnGUI, RemovedAndReleasedFromInsideTheTick)
{
    Display* display = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        GTEST_SKIP() << "no X display";
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 64, 48, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);

    zt::ztpi::SetGUIFactory(&MakeHookGUI);
    {
        PlugInHarness harness;
        auto* view = new zt::vst3::AGainEditorView(harness.plugIn(), "test", nullptr);
        CHostRunLoop loop;
        view->setFrame(&loop);
        ASSERT_EQ(view->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID), kResultOk);
        tresult removed = kResultFalse;
        CHookGUI::onTick = [&] {
            CHookGUI::onTick = nullptr;
            removed = view->removed();
            view->release();
        };
        EXPECT_TRUE(loop.Run(2000, [&] { return CHookGUI::alive == 0; }));
        EXPECT_EQ(removed, kResultOk);
        EXPECT_EQ(CHookGUI::destroyedInsideTick, 0);
        EXPECT_TRUE(loop.handlers.empty());
        EXPECT_TRUE(loop.timers.empty());
        EXPECT_EQ(loop.references, 0);
    }
    zt::ztpi::SetGUIFactory(nullptr);
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
}
