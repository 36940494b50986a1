#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gui/native/Desktop.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "product/editor/Manual.h"

namespace {

namespace fs = std::filesystem;

// Records what the editor asks of the desktop; refuses to open anything when told to,
// as the system's desktop does without xdg-open.
class CFakeDesktop : public zt::ge::IDesktop {
public:
    bool OpenUrl(const char* target) override
    {
        if (!canOpen)
            return false;
        opened.push_back(target);
        return true;
    }
    zt::ge::IFileDialogJob* StartFileDialog(const zt::ge::SFileDialogRequest&) override { return nullptr; }
    void ShowMessage(const char* text, const char*, uintptr_t) override { messages.push_back(text); }
    void ShowMessageAndWait(const char* text, const char*) override { messages.push_back(text); }
    void Poll() override {}

    bool canOpen = true;
    std::vector<std::string> opened;
    std::vector<std::string> messages;
};

// Each test runs in a home folder of its own with the XDG variables cleared, so the
// per-installation folder is ~/.local/share.
class ManualTest : public ::testing::Test {
protected:
    ManualTest() : window({64, 48}) { window.SetDesktop(&desktop); }

    static fs::path ExpectedPath()
    {
        return fs::path(std::getenv("HOME")) / ".local/share/Kelmora/Quillstrip Pro/QuillstripPro_Manual.pdf";
    }
    static void Install(const fs::path& path)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "%PDF-1.4\n";
    }

    CFakeDesktop desktop;
    zt::ge::COffscreenWindow window;
};

TEST_F(ManualTest, MissingManualIsReportedNotOpened)
{
    EXPECT_FALSE(quillstrip::OpenManual(window));
    EXPECT_TRUE(desktop.opened.empty());
    ASSERT_EQ(1u, desktop.messages.size());
    EXPECT_NE(std::string::npos, desktop.messages[0].find(ExpectedPath().string()));

    // Neither a folder of that name nor the name in other letter case is the manual.
    fs::create_directories(ExpectedPath());
    EXPECT_FALSE(quillstrip::OpenManual(window));
    fs::remove(ExpectedPath());
    Install(ExpectedPath().parent_path() / "quillstrippro_manual.pdf");
    EXPECT_FALSE(quillstrip::OpenManual(window));
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_EQ(3u, desktop.messages.size());
}

// Opened from the plug-in's folder in the data home, once per command; without a viewer,
// reported.
TEST_F(ManualTest, InstalledManualOpensOncePerCommand)
{
    Install(ExpectedPath());
    EXPECT_TRUE(quillstrip::OpenManual(window));
    EXPECT_EQ(std::vector<std::string>{ExpectedPath().string()}, desktop.opened);
    EXPECT_TRUE(quillstrip::OpenManual(window));
    EXPECT_EQ((std::vector<std::string>{ExpectedPath().string(), ExpectedPath().string()}), desktop.opened);
    EXPECT_TRUE(desktop.messages.empty());

    desktop.canOpen = false;
    EXPECT_FALSE(quillstrip::OpenManual(window));
    ASSERT_EQ(1u, desktop.messages.size());
    EXPECT_NE(std::string::npos, desktop.messages[0].find("xdg-open"));
}

}  // namespace
