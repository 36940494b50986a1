// The factory presets as built by the project: each loads, sets what its description
// says and leaves "Bypass" alone; installing never overwrites a file the user changed.
#include "tests/support/PlugInHarness.h"

#include "foundation/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace quillstrip;

namespace {

std::string Framework(const fs::path& path)
{
    std::string framework;
    zt::ConvertPath(zt::EPathDirection::kToFramework, path.string().c_str(), framework, true);
    return framework;
}

}  // namespace

TEST(FactoryPresets, EachLoadsAndKeepsBypass)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(QS_PRESET_DIR)) {
        if (entry.path().extension() != ".preset")
            continue;
        ++count;
        PlugInHarness h;
        h.plugIn().SetParameter(0, 1.0f);  // "Bypass" on
        EXPECT_TRUE(h.product().LoadPreset(Framework(entry.path()))) << entry.path();
        EXPECT_EQ(h.plugIn().GetParameter(0), 1.0f) << entry.path();
    }
    EXPECT_GE(count, 10);
}

TEST(FactoryPresets, ValuesComeFromTheDescriptions)
{
    PlugInHarness h;
    auto& pm = h.parameters();
    ASSERT_TRUE(h.product().LoadPreset(Framework(fs::path(QS_PRESET_DIR) / "Vocal.preset")));
    EXPECT_EQ(pm.GetValue(kCompThreshold, kSetProcessing), -20.0f);
    EXPECT_EQ(pm.GetValue(kCompEnable, kSetProcessing), 1.0f);
    EXPECT_EQ(pm.GetValue(0 * kBandStride + kBandType, kSetProcessing), 1.0f);  // "Low Cut 18dB"
    EXPECT_EQ(pm.GetValue(kRouting, kSetProcessing), 0.0f);                     // "EQ To Dynamics"
    EXPECT_EQ(pm.GetValue(kGateEnable, kSetProcessing), 0.0f);                  // not named: default
    ASSERT_TRUE(h.product().LoadPreset(Framework(fs::path(QS_PRESET_DIR) / "Loud Master.preset")));
    EXPECT_EQ(pm.GetValue(kOversampleEnable, kSetProcessing), 1.0f);
    EXPECT_EQ(pm.GetValue(kCompMode, kSetProcessing), 2.0f);  // "MS"
    EXPECT_EQ(pm.GetValue(kCompThreshold, kSetProcessing), -16.0f);
}

TEST(FactoryPresets, InstallLeavesTheUsersChangesAlone)
{
    const fs::path folder = fs::path(std::getenv("HOME")) / "presets";
    const std::string install = std::string("\"") + QS_PRESET_TOOL + "\" install \"" + QS_PRESET_DIR + "\" \""
        + folder.string() + "\" > /dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0);
    ASSERT_TRUE(fs::exists(folder / "Kick.preset"));
    const auto size = fs::file_size(folder / "Kick.preset");

    std::ofstream(folder / "Kick.preset", std::ios::app) << "changed";  // the user's edit
    std::ofstream(folder / "Bass.preset", std::ios::trunc) << "mine";
    fs::remove(folder / "Snare.preset");
    ASSERT_EQ(std::system(install.c_str()), 0);
    EXPECT_GT(fs::file_size(folder / "Kick.preset"), size);
    EXPECT_EQ(fs::file_size(folder / "Bass.preset"), 4u);
    EXPECT_TRUE(fs::exists(folder / "Snare.preset"));  // missing ones come back

    // A factory file nobody touched is updated.
    const auto vocal = fs::file_size(folder / "Vocal.preset");
    ASSERT_EQ(std::system(install.c_str()), 0);
    EXPECT_EQ(fs::file_size(folder / "Vocal.preset"), vocal);
}

// Descriptions read values as the editor shows them; what means nothing is refused, and
// folders that are not there are reported, not thrown at the user.
TEST(FactoryPresets, DescriptionsTakeShownValuesAndRefuseNonsense)
{
    const fs::path home = std::getenv("HOME");
    const fs::path texts = home / "texts", built = home / "built";
    fs::create_directories(texts);
    auto build = [&](const std::string& description) {
        std::ofstream(texts / "Mine.txt", std::ios::trunc) << description;
        const std::string command = std::string("\"") + QS_PRESET_TOOL + "\" build \"" + texts.string() + "\" \""
            + built.string() + "\" > /dev/null 2>&1";
        return std::system(command.c_str());
    };
    ASSERT_EQ(build("Output Gain = 0 dB\nInput Gain = -6\nEQ Band 3 Freq = 1.5K\nEQ Band 3 Type = bell\n"), 0);
    PlugInHarness h;
    auto& pm = h.parameters();
    ASSERT_TRUE(h.product().LoadPreset(Framework(built / "Mine.preset")));
    EXPECT_FLOAT_EQ(pm.GetValue(kOutputGain, kSetProcessing), 1.0f);      // unity, not silence
    EXPECT_NEAR(pm.GetValue(kInputGain, kSetProcessing), 0.7079f, 1e-3);  // -6 dB on the fader law
    EXPECT_EQ(pm.GetValue(2 * kBandStride + kBandFreq, kSetProcessing), 1500.0f);
    EXPECT_EQ(pm.GetValue(2 * kBandStride + kBandType, kSetProcessing), 4.0f);

    for (const char* nonsense : {"Comp Threshold = nan\n", "Comp Threshold = inf\n", "Comp Threshold = 5\n",
                                 "Comp Threshold = -20abc\n", "EQ Band 3 Type = Shelf\n", "No Such = 1\n"})
        EXPECT_NE(build(nonsense), 0) << nonsense;

    for (const std::string& args : {"build \"" + (home / "missing").string() + "\" \"" + built.string() + "\"",
                                    "build \"" + (texts / "Mine.txt").string() + "\" \"" + built.string() + "\"",
                                    "install \"" + (home / "missing").string() + "\""}) {
        const int status
            = std::system((std::string("\"") + QS_PRESET_TOOL + "\" " + args + " > /dev/null 2>&1").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << args;
    }
}
