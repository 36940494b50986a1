#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "gui/x11/ChildProcess.h"
#include "gui/x11/DesktopCommands.h"
#include "gui/x11/X11Desktop.h"

namespace zt::ge::x11 {
namespace {

TEST(DesktopCommandsTest, DialogProgramsGetTheRequest)
{
    SFileDialogRequest request;
    request.save = true;
    request.filterDescription = "Presets (*.preset)";
    request.filterPattern = "*.preset";
    request.initialFolder = "/home/me/Presets";
    request.fileName = "Vocal.preset";
    request.parentWindow = 77;
    const std::vector<std::string> zenity = ZenityFileArguments(request);
    EXPECT_EQ(zenity[0], "zenity");
    auto has = [](const std::vector<std::string>& args, const std::string& arg) {
        return std::find(args.begin(), args.end(), arg) != args.end();
    };
    EXPECT_TRUE(has(zenity, "--save"));
    EXPECT_TRUE(has(zenity, "--attach=77"));
    EXPECT_TRUE(has(zenity, "--filename=/home/me/Presets/Vocal.preset"));
    EXPECT_TRUE(has(zenity, "--file-filter=Presets (*.preset) | *.preset"));

    request.save = false;
    request.fileName.clear();
    const std::vector<std::string> kdialog = KdialogFileArguments(request);
    EXPECT_EQ(kdialog[0], "kdialog");
    EXPECT_TRUE(has(kdialog, "--getopenfilename"));
    EXPECT_TRUE(has(kdialog, "/home/me/Presets/"));  // a folder, opened rather than proposed as a name
    EXPECT_EQ(kdialog.back(), "Presets (*.preset)");
    EXPECT_FALSE(has(ZenityFileArguments(request), "--save"));

    EXPECT_EQ(PathFromOutput("/a/b c.preset\n"), "/a/b c.preset");
    EXPECT_EQ(PathFromOutput(""), "");
}

// A stand-in "zenity" on PATH: the real program runs it without a shell,
// hands the arguments through untouched and reads the chosen path.
class DesktopProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qs-desktop-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        const char* path = std::getenv("PATH");
        oldPath = path ? path : "";
        setenv("PATH", folder.c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", oldPath.c_str(), 1);
        std::remove((folder + "/zenity").c_str());
        std::remove((folder + "/args").c_str());
        rmdir(folder.c_str());
    }
    void Program(const std::string& body)
    {
        std::ofstream(folder + "/zenity") << "#!/bin/sh\n" << body << "\n";
        chmod((folder + "/zenity").c_str(), 0755);
    }
    // The path the job answers with, polled as a tick would; false if it never answers.
    static bool Answer(IFileDialogJob* job, std::string& path)
    {
        bool done = false;
        for (int i = 0; i < 500 && !(done = job->Poll(path)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        job->Destroy();
        return done;
    }
    std::string folder, oldPath;
};

TEST_F(DesktopProgramTest, FileDialogAnswersThroughItsOutput)
{
    CX11Desktop desktop;
    SFileDialogRequest request;
    request.title = "Load; $(not a shell)";
    EXPECT_EQ(desktop.StartFileDialog(request), nullptr);  // no program yet

    Program("printf '%s\\n' \"$@\" > " + folder + "/args; echo '/tmp/chosen file.preset'");
    IFileDialogJob* job = desktop.StartFileDialog(request);
    ASSERT_NE(job, nullptr);
    std::string path;
    ASSERT_TRUE(Answer(job, path));
    EXPECT_EQ(path, "/tmp/chosen file.preset");
    std::ifstream args(folder + "/args");
    std::string first, second;
    std::getline(args, first);
    std::getline(args, second);
    EXPECT_EQ(first, "--file-selection");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(args), {}).find("--title=Load; $(not a shell)"), 0u);

    // Cancelled: the program ends with status 1 and no path.
    Program("exit 1");
    job = desktop.StartFileDialog(request);
    ASSERT_NE(job, nullptr);
    EXPECT_TRUE(Answer(job, path));
    EXPECT_EQ(path, "");
}

TEST_F(DesktopProgramTest, AJobDestroyedEarlyEndsItsProgram)
{
    Program("exec /bin/sleep 30");
    CX11Desktop desktop;
    const auto start = std::chrono::steady_clock::now();
    IFileDialogJob* job = desktop.StartFileDialog({});
    ASSERT_NE(job, nullptr);
    std::string path;
    EXPECT_FALSE(job->Poll(path));
    job->Destroy();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
}  // namespace zt::ge::x11
