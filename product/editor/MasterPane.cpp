#include "product/editor/MasterPane.h"

#include "product/editor/EQPane.h"
#include "product/editor/EditorStyle.h"
#include "product/editor/FFT.h"
#include "product/editor/ParameterLinks.h"
#include "product/editor/SectionPanes.h"
#include "product/editor/Tooltips.h"
#include "product/plugin/QuillstripParameterIds.h"
#include "gui/toolkit/Bitmap.h"
#include "gui/toolkit/EQDisplay.h"
#include "gui/toolkit/HBS.h"
#include "gui/toolkit/Knob.h"
#include "gui/toolkit/MultiStateButton.h"
#include "gui/toolkit/PeakMeter.h"
#include "gui/toolkit/PopupMenu.h"
#include "gui/toolkit/RadioButtons.h"
#include "gui/toolkit/Slider.h"
#include "gui/toolkit/Text.h"
#include "gui/toolkit/TimedBitmap.h"
#include "resources/SkinIds.h"

#include <cstdio>

using namespace zt::ge;
using namespace quillstrip;
using namespace quillstrip::skin;

namespace {

// Where the display sits and the panes go.
const SRect kDisplay{144, 35, 492, 141};
const SRect kBandStrip{144, 184, 492, 86};
constexpr int32_t kSwitchX = 139;  // the section on/off column
constexpr int32_t kSwitchY = 304;
constexpr int32_t kSelectorX = 190;
const SRect kSectionArea{310, 284, kSectionPaneWidth, kSectionPaneHeight};

}  // namespace

CMasterPane::CMasterPane(CParameterLinks& links, CTooltips& tooltips, ISectionCommands& commands,
                         IEventReceiver& menuReceiver, int32_t engineRate)
    : CBasePane({0, 0, kWidth, kHeight}, links, tooltips)
{
    // The tall background first, the editor's over it; the chooser replaces both.
    backgrounds_[0] = new CBitmap({0, 0, 780, 700}, kBackgroundLarge, kBackgroundId);
    backgrounds_[1] = new CBitmap({0, 0, kWidth, kHeight}, kBackground, kBackgroundId);
    AddChild(backgrounds_[0]);
    AddChild(backgrounds_[1]);
    SetReadoutStrip({98, 7, 150, 16});
    BuildDisplay(menuReceiver, engineRate);
    BuildSides();
    BuildSections(commands);
}

void CMasterPane::BuildDisplay(IEventReceiver& menuReceiver, int32_t engineRate)
{
    AddChild(new CBitmap({0, 0, 780, 276}, kDisplayPanel));
    // The tints recolour the panel's static parts, so they come right after them and
    // before anything that moves.
    const SRect strips[] = {{92, 5, 160, 20}, {314, 5, 190, 20}, {49, 57, 68, 20}};
    for (size_t i = 0; i < 3; ++i) {
        tints_[i + 1] = new CHBS(strips[i]);
        AddChild(tints_[i + 1]);
    }
    AddChild(new CBitmap(kDisplay, kEqDisplay));
    tints_[0] = new CHBS(kDisplay);
    AddChild(tints_[0]);
    for (int32_t size = 0; size < 3; ++size) {
        analysers_[size_t(size)] = new CFFT(kDisplay);
        AddChild(analysers_[size_t(size)]);
    }
    auto* display = new CEQDisplay(kDisplay);
    display_ = display;
    tooltips_.Add(display, "Drag a band's handle to set its frequency and gain\nThe wheel over a handle sets its Q",
                  CTooltips::kEqDisplay);
    AddChild(display);

    auto* summary = new CText({320, 7, 180, 16}, "");
    summary->SetFont(kFontSmall, editor_style::kText);
    AddChild(summary);

    // Routing: the swap button and the order it shows, both on "Routing".
    auto* routing = AddStates({24, 56, 22, 22}, kRoutingButtonId, kRouting, 2, kButtonRouting);
    (void)routing;
    AddStates({49, 57, 68, 20}, kRoutingStateId, kRouting, 2, kStateRouting);

    IControl* delay = AddKnob({52, 102, 36, 36}, kDelayId, kInputDelay, kKnobDelay, nullptr);
    AddStates({11, 146, 36, 20}, kPhaseId, kInputPhase, 2, kButtonPhase);
    AddStates({106, 146, 48, 20}, kOversampleId, kOversampleEnable, 2, kButtonOversample);

    auto* source = new CRadioButtons({663, 56, 88, 20}, kAnalyserSourceId);
    source->AddChoice({0, 0, 28, 20}, kSourceIn);
    source->AddChoice({30, 0, 28, 20}, kSourceOut);
    source->AddChoice({60, 0, 28, 20}, kSourceOff);
    links_.Link(source, kSetPlugIn, kAnalyserSource);
    tooltips_.Add(source, "Sets whether the FFT analyzer should show the input signal, the output signal, or be "
                          "turned off");
    AddChild(source);
    IControl* size = AddStates({662, 83, 56, 18}, kAnalyserSizeId, kAnalyserSize, 3, kStateFftSize, kSetPlugIn);
    tooltips_.Add(size, "Changes the buffer size of the FFT display, thus changing the responsiveness and resolution");
    auto* freeze = new CMultiStateButton({662, 118, 56, 18}, 2, kAnalyserFreezeId, kButtonFreeze);
    tooltips_.Add(freeze, "Holds the analyser's picture");
    freeze_ = freeze;
    AddChild(freeze);

    auto* menu = new CPopupMenu({688, 4, 88, 22}, kMenuId, kMenuButton);
    SMenuItem& items = menu->GetItems();
    items.Add("Load Preset...", 4);
    items.Add("Save Preset", 5);
    items.Add("Save Preset As...", 6);
    items.Add("Preferences", 0);
    items.Add("Manual", 1);
    items.Add("About", 3);
    menu->SetFont(kFontMenu, editor_style::kText);
    menu->SetValue(-1.0f, false);
    tooltips_.Add(menu, "Load and save presets, open the settings, show the about box");
    menu->AddReceiver(&menuReceiver);
    menu_ = menu;
    AddChild(menu);

    // The EQ: its switch left of the band strip, the bands under the display.
    AddStates({72, 214, 48, 26}, kEqEnableId, kEqSection, 2, kSectionOnOff);
    AddLabel({72, 198, 48, 12}, "EQ");
    eq_ = new CEQPane(kBandStrip, links_, tooltips_, *display_, *summary, engineRate);
    AddChild(eq_);

    AddReadout(kDelayId + 1, "Input Delay: ", kInputDelay, delay);
    for (int32_t band = 0; band < 6; ++band) {
        CEQBandPane* pane = eq_->GetBand(band);
        const int32_t base = CEQBandPane::BaseId(band);
        char label[40];
        std::snprintf(label, sizeof label, "EQ Band %d Gain: ", band + 1);
        AddReadout(base + 1, label, band * kBandStride + kBandGain, pane->gain);
        std::snprintf(label, sizeof label, "EQ Band %d Freq: ", band + 1);
        AddReadout(base + 2, label, band * kBandStride + kBandFreq, pane->frequency);
        std::snprintf(label, sizeof label, "EQ Band %d Q: ", band + 1);
        AddReadout(base + 3, label, band * kBandStride + kBandQ, pane->q);
        for (IControl* c : {pane->gain, pane->frequency, pane->q})
            c->AddReceiver(this);
    }
}

void CMasterPane::BuildSides()
{
    auto* input = new CSlider({17, 281}, {26, 14}, 219, kVertical, kInputGainId, kFaderCap);
    auto* output = new CSlider({737, 281}, {26, 14}, 219, kVertical, kOutputGainId, kFaderCap);
    links_.Link(input, 0, kInputGain);
    links_.Link(output, 0, kOutputGain);
    for (CSlider* fader : {input, output}) {
        fader->AddReceiver(this);
        AddChild(fader);
    }
    tooltips_.AddForParameter(input, kInputGain);
    tooltips_.AddForParameter(output, kOutputGain);
    AddReadout(kInputGainId + 1, "Input Gain: ", kInputGain, input);
    AddReadout(kOutputGainId + 1, "Output Gain: ", kOutputGain, output);

    const int32_t meterX[] = {64, 74, 704, 714};
    // Over the meters; the right pair ends at the window's edge.
    const int32_t clipX[] = {2, 42, 706, 746};
    for (size_t i = 0; i < 4; ++i) {
        auto* meter = new CPeakMeter({meterX[i], 290, 8, 200}, 0, 0, 0, kMeterLevel);
        meters_.io[i] = meter;
        AddChild(meter);
        auto* clip = new CTimedBitmap({clipX[i], 275, 32, 11}, 2000, kClipLight);
        meters_.clip[i] = clip;
        AddChild(clip);
    }
}

void CMasterPane::BuildSections(ISectionCommands& commands)
{
    // On/off switches in the selector's order, each beside its selector button.
    const int32_t enables[] = {kGateEnable, kCompEnable, kStereoEnable, kSaturationEnable, kLimiterEnable};
    const int32_t ids[] = {45, 57, 77, 137, 72};
    for (int32_t i = 0; i < kNumSectionPanes; ++i)
        AddStates({kSwitchX, kSwitchY + 28 * i, 48, 26}, ids[i], enables[i], 2, kSectionOnOff);

    auto* selector = new CRadioButtons({kSelectorX, kSwitchY, 116, 138}, kSectionSelectorId);
    const int32_t bitmaps[] = {kSelectGate, kSelectCompressor, kSelectStereo, kSelectSaturation, kSelectLimiter};
    for (int32_t i = 0; i < kNumSectionPanes; ++i)
        selector->AddChoice({0, 28 * i, 116, 26}, bitmaps[i]);
    selector->AddReceiver(this);
    tooltips_.Add(selector, "Choose which section is currently visible");
    selector_ = selector;
    AddChild(selector);
    AddChild(new CBitmap({176, 458, 120, 24}, kLogo));

    auto* gate = new CGatePane(kSectionArea, links_, tooltips_, commands);
    auto* comp = new CCompPane(kSectionArea, links_, tooltips_, commands);
    auto* limiter = new CLimiterPane(kSectionArea, links_, tooltips_, commands);
    sections_ = {gate, comp, new CStereoPane(kSectionArea, links_, tooltips_, commands),
                 new CSaturationPane(kSectionArea, links_, tooltips_, commands), limiter};
    for (IControl* pane : sections_)
        AddChild(pane);
    meters_.gateLevel = gate->levelMeter;
    meters_.gateReduction = gate->reductionMeter;
    meters_.compLevel = comp->levelMeter;
    meters_.compReduction = comp->reductionMeter;
    meters_.limiterReduction = limiter->reductionMeter;
    meters_.limiterLight = limiter->activityLight;
    ShowSection(kGate);
}

void CMasterPane::ShowSection(int32_t section)
{
    if (section < 0 || section >= kNumSectionPanes)
        return;
    shown_ = section;
    for (int32_t i = 0; i < kNumSectionPanes; ++i)
        sections_[size_t(i)]->SetVisible(i == section);
    selector_->SetValue(float(section) / float(kNumSectionPanes - 1), false);
    sections_[size_t(section)]->Invalidate();
}

bool CMasterPane::IsAnalyserFrozen() const { return freeze_->GetValue() > 0.5f; }

void CMasterPane::OnValueChanged(IControl* control)
{
    if (control == selector_) {
        ShowSection(selector_->GetChosen());
        return;
    }
    CBasePane::OnValueChanged(control);
}
