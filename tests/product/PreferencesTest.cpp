// Editor preferences in their XML file: defaults on first use, values read back,
// other content kept, and instances following each other's changes.
#include "tests/support/PlugInHarness.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

using namespace quillstrip;

namespace {

class Preferences : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.Valid());
        env.Set("HOME", home.Path());
        env.Clear("XDG_CONFIG_HOME");
        env.Clear("XDG_DATA_HOME");
        env.Clear("XDG_DOCUMENTS_DIR");
    }
    std::string File() const { return home.Sub("Documents/Kelmora/Quillstrip Small.xml"); }
    std::string Read() const
    {
        std::ifstream in(File());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const std::string& text) const
    {
        std::filesystem::create_directories(home.Sub("Documents/Kelmora"));
        std::ofstream(File()) << text;
    }
    zt::test::CTempDir home;
    zt::test::CEnvGuard env;
};

// Polls until condition holds or a second passes.
template <class F>
bool Eventually(F condition)
{
    for (int i = 0; i < 100; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

}  // namespace

TEST_F(Preferences, MissingFileIsWrittenWithEveryDefault)
{
    PlugInHarness h;
    const std::string text = Read();
    EXPECT_NE(text.find("<?xml version=\"1.0\" ?>"), std::string::npos) << text;
    EXPECT_NE(text.find("<PreferenceManager>"), std::string::npos);
    for (const char* element :
         {"<KnobMode>0.000000</KnobMode>", "<ToolTipsEQ>1.000000</ToolTipsEQ>", "<EyeCandy>1.000000</EyeCandy>",
          "<Hue>0.000000</Hue>", "<Saturation>0.000000</Saturation>"})
        EXPECT_NE(text.find(element), std::string::npos) << element;
}

TEST_F(Preferences, ValuesAreReadAndOtherContentKept)
{
    Write("<?xml version=\"1.0\" ?>\n<PreferenceManager><Hue>45</Hue><Brightness>abc</Brightness>"
          "<EyeCandy><Nested /></EyeCandy><Saturation>500</Saturation><Theirs>keep me</Theirs></PreferenceManager>");
    PlugInHarness h;
    auto& pm = h.parameters();
    EXPECT_FLOAT_EQ(pm.GetValue(kHue, kSetEditor), 45.0f);
    EXPECT_FLOAT_EQ(pm.GetValue(kBrightness, kSetEditor), 0.0f);    // no number: 0
    EXPECT_FLOAT_EQ(pm.GetValue(kSaturation, kSetEditor), 100.0f);  // clamped
    EXPECT_FLOAT_EQ(pm.GetValue(kEyeCandy, kSetEditor), 0.0f);      // no text at all reads as 0 too
    pm.SetValue(false, kMeterMode, 1, kSetEditor);
    const std::string text = Read();
    EXPECT_NE(text.find("<MeterMode>1.000000</MeterMode>"), std::string::npos) << text;
    EXPECT_NE(text.find("<Theirs>keep me</Theirs>"), std::string::npos) << text;
    EXPECT_NE(text.find("<EyeCandy>0.000000</EyeCandy>"), std::string::npos) << text;
    EXPECT_EQ(text.find("Nested"), std::string::npos) << text;
}

TEST_F(Preferences, BrokenFileIsKeptAsideAndReplacedByDefaults)
{
    const std::string broken = "<PreferenceManager><Hue>45</Hu><Theirs>keep me</Theirs></PreferenceManager>";
    Write(broken);
    PlugInHarness h;
    EXPECT_FLOAT_EQ(h.parameters().GetValue(kHue, kSetEditor), 0.0f);
    EXPECT_NE(Read().find("<Hue>0.000000</Hue>"), std::string::npos);
    // Nothing of the user's is lost for good: the damaged file is kept beside.
    std::ifstream bad(File() + ".bad");
    std::stringstream kept;
    kept << bad.rdbuf();
    EXPECT_EQ(kept.str(), broken);
}

// A file that ends inside a multi-byte character is damaged, and never read beyond.
TEST_F(Preferences, AFileCutInsideACharacterIsKeptAside)
{
    const std::string cut = "<PreferenceManager>\n    <Hue>45</Hue>\n \xe0\xdf\xc3\xdf";
    Write(cut);
    PlugInHarness h;
    EXPECT_FLOAT_EQ(h.parameters().GetValue(kHue, kSetEditor), 0.0f);
    EXPECT_TRUE(std::filesystem::exists(File() + ".bad"));
}

// The parser recurses once per level on the reload timer's small stack: deep nesting,
// written while the plug-in runs or there from the start, is refused, never parsed.
TEST_F(Preferences, DeeplyNestedFilesAreRefusedWithoutCrashing)
{
    auto nested = [](int levels) {
        std::string text = "<PreferenceManager><Hue>45</Hue>";
        for (int i = 0; i < levels; ++i)
            text += "<a>";
        for (int i = 0; i < levels; ++i)
            text += "</a>";
        return text + "</PreferenceManager>";
    };
    Write(nested(50000));
    PlugInHarness h;
    EXPECT_FLOAT_EQ(h.parameters().GetValue(kHue, kSetEditor), 0.0f);
    EXPECT_TRUE(std::filesystem::exists(File() + ".bad"));

    std::filesystem::remove(File() + ".bad");
    Write(nested(1000));  // while running: the timer thread reads it
    EXPECT_TRUE(Eventually([&] { return std::filesystem::exists(File() + ".bad"); }));
    EXPECT_TRUE(Eventually([&] { return Read().find("<Hue>0.000000</Hue>") != std::string::npos; }));

    Write(nested(3));  // shallow nesting of someone else's is fine
    EXPECT_TRUE(Eventually([&] { return h.parameters().GetValue(kHue, kSetEditor) == 45.0f; }));
}

TEST_F(Preferences, InstancesFollowEachOther)
{
    PlugInHarness a, b;
    a.parameters().SetValue(false, kHue, -30.5f, kSetEditor);
    EXPECT_TRUE(Eventually([&] { return b.parameters().GetValue(kHue, kSetEditor) == -30.5f; }));
    b.parameters().SetValue(false, kMeterMode, 1, kSetEditor);
    EXPECT_TRUE(Eventually([&] { return a.parameters().GetValue(kMeterMode, kSetEditor) == 1.0f; }));
    EXPECT_FLOAT_EQ(a.parameters().GetValue(kHue, kSetEditor), -30.5f);
}
