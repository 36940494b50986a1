// The whole editor on an offscreen window, against a real plug-in object and a host
// that records what it hears.
#include "product/editor/EQPane.h"
#include "product/editor/MasterPane.h"
#include "product/editor/QuillstripGUI.h"
#include "product/editor/SettingsDialog.h"
#include "product/plugin/QuillstripParameterIds.h"
#include "product/plugin/QuillstripParameterTable.h"
#include "product/plugin/QuillstripPlugIn.h"
#include "framework/de/Converters.h"
#include "foundation/Paths.h"
#include "gui/toolkit/DropDownListBox.h"
#include "gui/toolkit/EQDisplay.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/PopupMenu.h"
#include "gui/toolkit/Text.h"
#include "gui/toolkit/Tga.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace zt::ge;
using namespace quillstrip;

namespace {

// Everything the plug-in tells its host, in order: "b12", "c12", "e12".
struct GestureHost : zt::ztpi::IHost {
    std::vector<std::string> heard;
    void BeginEdit(int32_t index) override { heard.push_back("b" + std::to_string(index)); }
    void ParameterChanged(int32_t index) override { heard.push_back("c" + std::to_string(index)); }
    void EndEdit(int32_t index) override { heard.push_back("e" + std::to_string(index)); }
    void GetHostName(char* text) override { std::strcpy(text, "test"); }
    void GetHostVendor(char* text) override { std::strcpy(text, "test"); }
    void LatencyChanged() override {}
};

int32_t IndexOf(int32_t number) { return ParameterRows(0)[size_t(number)].automationIndex; }
int32_t Band(int32_t band, int32_t field) { return band * kBandStride + field; }

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugIn_ = new CQuillstripPlugIn(&host_);
        ASSERT_TRUE(plugIn_->Open());
        plugIn_->SetChannelConfig(2, 2, 0);
        plugIn_->SetMaxBlockSize(512);
        plugIn_->SetSampleRate(48000);
        window_ = std::make_unique<COffscreenWindow>(SSize{780, 500});
        window_->SetTimeMs(1000);
        gui_ = std::make_unique<CQuillstripGUI>(*plugIn_);
    }
    void TearDown() override
    {
        gui_.reset();
        window_.reset();
        plugIn_->Destroy();
    }
    void Set(int32_t number, float plain) { plugIn_->GetParameterManager()->SetValue(false, number, plain, 0); }
    float Get(int32_t number) const { return plugIn_->GetParameterManager()->GetValue(number, 0); }
    IControl* Control(int32_t id) const { return window_->GetRootPane()->FindControl(id); }
    std::string Text(int32_t id) const { return dynamic_cast<IText*>(Control(id))->GetText(); }
    void Tick()
    {
        window_->AdvanceTimeMs(50);
        gui_->Idle();
    }
    void Press(SPoint p) { window_->OnMouse(kMouseLeftDown, p), window_->OnMouse(kMouseLeftUp, p); }
    SPoint Centre(const IControl* c) const
    {
        const SRect r = c->GetAbsoluteRect();
        return {r.position.x + r.size.width / 2, r.position.y + r.size.height / 2};
    }

    GestureHost host_;
    CQuillstripPlugIn* plugIn_ = nullptr;
    std::unique_ptr<COffscreenWindow> window_;
    std::unique_ptr<CQuillstripGUI> gui_;
};

TEST_F(EditorTest, OpensAtTheCurrentValuesWithoutTellingTheHost)
{
    Set(kGateThreshold, -40.0f);
    Set(kCompRatio, 4.0f);
    Set(Band(2, kBandType), 11.0f);  // LowCut 48dB, fourth in the list
    Set(kCompMode, 2.0f);
    Set(kInputDelay, 25.0f);
    host_.heard.clear();
    ASSERT_TRUE(gui_->Attach(*window_));
    window_->Paint();
    EXPECT_TRUE(host_.heard.empty());

    const CParameterLinks& links = gui_->GetLinks();
    EXPECT_FLOAT_EQ(Control(46)->GetValue(), float(links.ToNormalised(0, kGateThreshold, -40.0f)));
    EXPECT_FLOAT_EQ(Control(60)->GetValue(), float(links.ToNormalised(0, kCompRatio, 4.0f)));
    auto* type = dynamic_cast<IDropDownListBox*>(Control(CEQBandPane::BaseId(2) + 7));
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->GetEntry(type->GetSelected()), "LowCut 48dB");
    EXPECT_FLOAT_EQ(Control(2000 + kCompMode)->GetValue(), 2.0f);  // a state button shows its state
    EXPECT_EQ(Text(120), "Input Delay: 25");                       // samples, without a unit
    EXPECT_EQ(Text(47).rfind("Gate Threshold: -40", 0), 0u) << Text(47);
}

TEST_F(EditorTest, HostAutomationReachesHiddenControlsWithinOneTick)
{
    ASSERT_TRUE(gui_->Attach(*window_));
    gui_->GetMasterPane()->ShowSection(CMasterPane::kCompressor);
    ASSERT_FALSE(Control(46)->IsShown());
    // As a host automates: through the audio thread's event queue.
    plugIn_->Resume();
    zt::ztpi::SEvent event;
    event.type = zt::ztpi::SEvent::kParameterChange;
    event.data[0] = IndexOf(kGateThreshold);
    const float plain = -20.0f;
    std::memcpy(&event.data[1], &plain, sizeof plain);
    plugIn_->AddEvents(&event, 1);
    std::vector<float> in(64, 0.0f), out0(64), out1(64);
    float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {out0.data(), out1.data()};
    plugIn_->Process(outputs, inputs, 64);
    Tick();
    EXPECT_FLOAT_EQ(Control(46)->GetValue(), float(gui_->GetLinks().ToNormalised(0, kGateThreshold, -20.0f)));
    EXPECT_EQ(Text(47), "Gate Threshold: -20.0 dB");
}

TEST_F(EditorTest, AKnobDragIsOneGestureAndTheHostHearsEveryValue)
{
    ASSERT_TRUE(gui_->Attach(*window_));
    host_.heard.clear();
    const SPoint p = Centre(Control(46));
    window_->OnMouse(kMouseLeftDown, p);
    window_->OnMouse(kMouseMove, {p.x, p.y - 10});
    window_->OnMouse(kMouseMove, {p.x, p.y - 20});
    window_->OnMouse(kMouseLeftUp, {p.x, p.y - 20});
    const std::string index = std::to_string(IndexOf(kGateThreshold));
    ASSERT_GE(host_.heard.size(), 3u);
    EXPECT_EQ(host_.heard.front(), "b" + index);
    EXPECT_EQ(host_.heard.back(), "e" + index);
    for (size_t i = 1; i + 1 < host_.heard.size(); ++i)
        EXPECT_EQ(host_.heard[i], "c" + index);
    EXPECT_GT(Get(kGateThreshold), ParameterRows(0)[kGateThreshold].defaultValue);
    EXPECT_EQ(Text(47), "Gate Threshold: " + gui_->GetLinks().ValueText(0, kGateThreshold));
}

TEST_F(EditorTest, DraggingAnEqHandleMovesItsBandsFrequencyAndGain)
{
    Set(kEqSection, 1.0f);
    Set(Band(1, kBandEnable), 1.0f);
    Set(Band(1, kBandFreq), 1000.0f);
    Set(Band(1, kBandGain), 0.0f);
    ASSERT_TRUE(gui_->Attach(*window_));
    IEQDisplay& display = gui_->GetMasterPane()->GetEQDisplay();
    IControl* handle = display.FindControl(IEQDisplay::kHandleIdBase + 1);
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(handle->IsShown());
    EXPECT_FALSE(display.FindControl(IEQDisplay::kHandleIdBase + 0)->IsShown());  // band 1 is off
    host_.heard.clear();
    const SPoint from = Centre(handle);
    window_->OnMouse(kMouseLeftDown, from);
    window_->OnMouse(kMouseMove, {from.x + 60, from.y - 30});
    window_->OnMouse(kMouseLeftUp, {from.x + 60, from.y - 30});

    const std::string f = std::to_string(IndexOf(Band(1, kBandFreq)));
    const std::string g = std::to_string(IndexOf(Band(1, kBandGain)));
    ASSERT_GE(host_.heard.size(), 4u);
    EXPECT_EQ(host_.heard[0], "b" + f);
    EXPECT_EQ(host_.heard[1], "b" + g);
    EXPECT_NE(std::find(host_.heard.begin(), host_.heard.end(), "c" + f), host_.heard.end());
    EXPECT_NE(std::find(host_.heard.begin(), host_.heard.end(), "c" + g), host_.heard.end());
    EXPECT_EQ(host_.heard[host_.heard.size() - 3], "e" + f);  // freq, gain and Q gestures close
    // The values are the display's axes at the handle's new pixel.
    const SPoint pixel = dynamic_cast<CEQHandle*>(handle)->GetPixel();
    const double x = double(pixel.x) / double(display.GetSize().width - 1);
    const double y = 1.0 - double(pixel.y) / double(display.GetSize().height - 1);
    const float freq = zt::de::CConverterTrueLog(16.0f, 20400.0f).FromNormalized(x);
    EXPECT_NEAR(Get(Band(1, kBandFreq)), freq, freq * 0.002);
    EXPECT_NEAR(Get(Band(1, kBandGain)), -24.0 + 42.0 * y, 0.051);
    EXPECT_GT(Get(Band(1, kBandFreq)), 1000.0f);
    EXPECT_GT(Get(Band(1, kBandGain)), 0.0f);
}

TEST_F(EditorTest, ReadoutsShowFrequenciesInHzAndKHz)
{
    ASSERT_TRUE(gui_->Attach(*window_));
    Set(kStereoFreqLow, 800.0f);
    Set(kStereoFreqHigh, 8000.0f);
    Tick();
    EXPECT_EQ(Text(85), "Stereo Crossover 1: 800 Hz");
    EXPECT_EQ(Text(87), "Stereo Crossover 2: 8 KHz");
}

TEST_F(EditorTest, TheSelectorShowsOneSectionAtATime)
{
    ASSERT_TRUE(gui_->Attach(*window_));
    CMasterPane& master = *gui_->GetMasterPane();
    // The fourth selector button (saturation).
    Press({190 + 58, 304 + 3 * 28 + 13});
    EXPECT_EQ(master.GetShownSection(), CMasterPane::kSaturation);
    for (int32_t s = 0; s < CMasterPane::kNumSectionPanes; ++s)
        EXPECT_EQ(master.GetSectionPane(s)->IsVisible(), s == CMasterPane::kSaturation);
    // The section switches stay where they are and drive their enables.
    const float before = Get(kLimiterEnable);
    Press({139 + 24, 304 + 4 * 28 + 13});
    EXPECT_NE(Get(kLimiterEnable), before);
}

TEST_F(EditorTest, MenuCommandsClearTheMenuAndOpenTheOverlays)
{
    ASSERT_TRUE(gui_->Attach(*window_));
    IControl& menu = gui_->GetMasterPane()->GetMenu();
    menu.SetValue(float(CQuillstripGUI::kAbout), true);
    EXPECT_EQ(menu.GetValue(), -1.0f);
    EXPECT_TRUE(gui_->GetAbout()->IsOpen());
    gui_->GetAbout()->Close();
    menu.SetValue(float(CQuillstripGUI::kPreferences), true);
    EXPECT_TRUE(gui_->GetSettings()->IsOpen());
    // The settings are parameters of their own: moving the hue writes it.
    IControl* hue = gui_->GetSettings()->FindControl(161);
    ASSERT_NE(hue, nullptr);
    hue->SetValue(1.0f, true);
    EXPECT_FLOAT_EQ(plugIn_->GetParameterManager()->GetValue(kHue, kSetEditor), 180.0f);
}

TEST_F(EditorTest, BackgroundsComeFromTheFolderAndADamagedOneFallsBackToTheBuiltInOne)
{
    const std::string folder = CQuillstripGUI::BackgroundFolder();
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(zt::CreateFolder(folder.c_str()));
    auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        std::string system;
        EXPECT_TRUE(zt::ConvertPath(zt::EPathDirection::kToSystem, (folder + name).c_str(), system, true));
        FILE* f = std::fopen(system.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return system;
    };
    // A whole picture in one colour, and a header that promises 780 x 500 and stops.
    const std::vector<uint8_t> pixels(size_t(780) * 500 * 4, 0x40);
    const std::string good = write("Plain.tga", zt::ge::tga::Encode(pixels.data(), 780, 500, {24, true, {}}));
    const std::vector<uint8_t> header = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0C, 0x03, 0xF4, 0x01, 32, 8};
    const std::string broken = write("Broken.tga", header);

    ASSERT_TRUE(gui_->Attach(*window_));
    EXPECT_TRUE(gui_->ChooseBackground("Plain"));
    window_->GetRootPane()->Invalidate();
    window_->Paint();
    auto grey = [&] {
        const SColour c = window_->GetPixel({100, 470});
        return c.r == 0x40 && c.g == 0x40 && c.b == 0x40;
    };
    EXPECT_TRUE(grey());
    EXPECT_FALSE(gui_->ChooseBackground("Broken"));
    EXPECT_EQ(gui_->GetBackgroundName(), CSettingsDialog::kBuiltInBackground);
    window_->GetRootPane()->Invalidate();
    window_->Paint();  // draws the built-in one, and does not crash
    EXPECT_FALSE(grey());
    std::remove(good.c_str());
    std::remove(broken.c_str());
}

TEST_F(EditorTest, DetachLeavesThePlugInAsItWas)
{
    ASSERT_TRUE(gui_->Attach(*window_));
    gui_->Detach();
    EXPECT_EQ(window_->GetRootPane()->GetChildCount(), 0);
    // Opening again builds it afresh.
    ASSERT_TRUE(gui_->Attach(*window_));
    EXPECT_NE(Control(46), nullptr);
}

}  // namespace
