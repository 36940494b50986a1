// Preset files: save and load, older files, section loads and resets, the default
// preset at start-up and damaged files.
#include "tests/support/PlugInHarness.h"

#include "framework/ztpi/FileDialogs.h"
#include "foundation/Paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace quillstrip;

namespace {

// Answers the dialogs with a fixed path and remembers what it was asked.
struct ScriptedDialogs : zt::ztpi::IFileDialogs {
    std::string answer, askedFolder, askedName;
    int asked = 0;
    bool ChooseFileToOpen(const std::string& folder, const char*, const char*, std::string& chosen) override
    {
        ++asked;
        askedFolder = folder;
        chosen = answer;
        return !answer.empty();
    }
    bool ChooseFileToSave(const std::string& folder, const std::string& name, const char*, const char*,
                          std::string& chosen) override
    {
        ++asked;
        askedFolder = folder;
        askedName = name;
        chosen = answer;
        return !answer.empty();
    }
};

std::string SystemPath(const std::string& framework)
{
    std::string system;
    zt::ConvertPath(zt::EPathDirection::kToSystem, framework.c_str(), system, true);
    return system;
}

// A preset file written byte by byte: "ZTCF", type 1, one S000 chunk.
void WritePresetFile(const std::string& framework, const std::vector<float>& values)
{
    std::vector<uint8_t> bytes = {'Z', 'T', 'C', 'F', 1, 0, 0, 0, 'S', '0', '0', '0'};
    auto put = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(static_cast<uint32_t>(8 + 4 * values.size()));
    put(0);
    put(static_cast<uint32_t>(values.size()));
    for (float f : values) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        put(bits);
    }
    const std::string path = SystemPath(framework);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

std::vector<float> Defaults(zt::de::IParameterManager& pm)
{
    std::vector<float> v;
    for (int32_t n = 0; n < pm.GetNumParameters(kSetProcessing); ++n)
        v.push_back(pm.GetParameter(n, kSetProcessing)->GetDefault());
    return v;
}

}  // namespace

TEST(Presets, SaveAsThenLoadRestoresEverySetting)
{
    ScriptedDialogs dialogs;
    PlugInHarness a;
    auto& p = a.product();
    p.SetFileDialogs(&dialogs);
    EXPECT_EQ(p.GetPresetPath(), p.GetPresetFolder() + "Default.preset");  // from start-up

    auto& pm = a.parameters();
    pm.SetValue(false, kCompThreshold, -31.5f, kSetProcessing);
    pm.SetValue(false, 4 * kBandStride + kBandFreq, 2345.6f, kSetProcessing);
    pm.SetValue(false, kOversampleEnable, 1, kSetProcessing);
    pm.SetValue(false, kBypass, 1, kSetPlugIn);
    dialogs.answer = p.GetPresetFolder() + "Mine.preset";
    ASSERT_TRUE(p.SavePresetAs());
    EXPECT_EQ(dialogs.askedName, "Default.preset");  // split from the current path

    PlugInHarness b;
    b.product().SetFileDialogs(&dialogs);
    ASSERT_TRUE(b.product().LoadPresetWithDialog());
    for (int32_t n = 0; n < kNumProcessing; ++n)
        EXPECT_EQ(b.parameters().GetValue(n, kSetProcessing), pm.GetValue(n, kSetProcessing)) << n;
    EXPECT_EQ(b.parameters().GetValue(kBypass, kSetPlugIn), 0.0f);  // presets never hold set 1
    EXPECT_EQ(b.product().GetPresetPath(), dialogs.answer);
}

TEST(Presets, SaveWithoutAPathAsksForOne)
{
    ScriptedDialogs dialogs;
    PlugInHarness h;
    h.product().SetFileDialogs(&dialogs);
    ASSERT_TRUE(h.product().LoadPreset("relative.preset") == false);
    EXPECT_FALSE(h.product().SavePreset());  // cancelled
    EXPECT_EQ(dialogs.asked, 1);
    // A path without a folder part suggests the preset folder and a new name.
    EXPECT_EQ(dialogs.askedFolder, h.product().GetPresetFolder());
    EXPECT_EQ(dialogs.askedName, "New Preset");
}

TEST(Presets, OlderPresetsAndDefaultPresetAtStartUp)
{
    // The default preset is written by an older version with 90 values.
    std::string folder;
    {
        PlugInHarness probe;
        folder = probe.product().GetPresetFolder();
        std::vector<float> values = Defaults(probe.parameters());
        values.resize(90);
        values[kCompThreshold] = -22.0f;
        WritePresetFile(folder + "Default.preset", values);
    }
    PlugInHarness h;
    auto& pm = h.parameters();
    pm.SetValue(false, kOversampleEnable, 1, kSetProcessing);
    EXPECT_EQ(pm.GetValue(kCompThreshold, kSetProcessing), -22.0f);  // loaded at start-up
    ASSERT_TRUE(h.product().LoadPreset(folder + "Default.preset"));
    EXPECT_EQ(pm.GetValue(kOversampleEnable, kSetProcessing), 0.0f);  // 90..93 back to defaults
    EXPECT_EQ(pm.GetValue(kSaturationMix, kSetProcessing), 100.0f);
    EXPECT_EQ(h.product().GetPresetNames(), (std::vector<std::string>{"Default.preset"}));
}

TEST(Presets, DamagedFilesChangeNothing)
{
    PlugInHarness h;
    auto& pm = h.parameters();
    const std::string folder = h.product().GetPresetFolder();
    pm.SetValue(false, kCompThreshold, -5.0f, kSetProcessing);
    std::vector<float> values = Defaults(pm);
    WritePresetFile(folder + "Cut.preset", values);
    const std::string path = SystemPath(folder + "Cut.preset");
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 7);  // last values cut off
    EXPECT_FALSE(h.product().LoadPreset(folder + "Cut.preset"));
    std::ofstream(SystemPath(folder + "Text.preset")) << "not a preset at all";
    EXPECT_FALSE(h.product().LoadPreset(folder + "Text.preset"));
    EXPECT_FALSE(h.product().LoadPreset(folder + "Missing.preset"));
    EXPECT_EQ(pm.GetValue(kCompThreshold, kSetProcessing), -5.0f);
    EXPECT_FALSE(h.product().LoadSectionPreset(folder + "Text.preset", CQuillstripPlugIn::kSectionCompressor));
}

TEST(Presets, SectionLoadAndResetTouchOnlyTheirSection)
{
    PlugInHarness h;
    auto& pm = h.parameters();
    const std::string folder = h.product().GetPresetFolder();
    std::vector<float> values = Defaults(pm);
    values[kCompThreshold] = -33.0f;
    values[kCompEnable] = 1.0f;
    values[kGateThreshold] = -20.0f;
    values[0 * kBandStride + kBandGain] = 6.0f;
    WritePresetFile(folder + "Section.preset", values);
    const std::string current = h.product().GetPresetPath();

    ASSERT_TRUE(h.product().LoadSectionPreset(folder + "Section.preset", CQuillstripPlugIn::kSectionCompressor));
    EXPECT_EQ(pm.GetValue(kCompThreshold, kSetProcessing), -33.0f);
    EXPECT_EQ(pm.GetValue(kCompEnable, kSetProcessing), 0.0f);       // the switch stays
    EXPECT_EQ(pm.GetValue(kGateThreshold, kSetProcessing), -50.0f);  // other sections stay
    EXPECT_EQ(pm.GetValue(kBandGain, kSetProcessing), 0.0f);
    EXPECT_EQ(h.product().GetPresetPath(), current);

    pm.SetValue(false, kLimiterEnable, 1, kSetProcessing);
    pm.SetValue(false, kLimiterThreshold, -6, kSetProcessing);
    pm.SetValue(false, kLimiterInput, 12, kSetProcessing);
    pm.SetValue(false, kLimiterRelease, 1000, kSetProcessing);
    h.product().ResetSection(CQuillstripPlugIn::kSectionLimiter);
    EXPECT_FLOAT_EQ(pm.GetValue(kLimiterThreshold, kSetProcessing), -0.3f);
    EXPECT_FLOAT_EQ(pm.GetValue(kLimiterInput, kSetProcessing), 6.0f);
    EXPECT_FLOAT_EQ(pm.GetValue(kLimiterRelease, kSetProcessing), 260.0f);
    EXPECT_EQ(pm.GetValue(kLimiterEnable, kSetProcessing), 1.0f);
}
