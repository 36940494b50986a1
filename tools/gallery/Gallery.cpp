#include "Gallery.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "gui/toolkit/2D.h"
#include "gui/toolkit/Bitmap.h"
#include "gui/toolkit/Button.h"
#include "gui/toolkit/DropDownListBox.h"
#include "gui/toolkit/Knob.h"
#include "gui/toolkit/MultiStateButton.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/PeakMeter.h"
#include "gui/toolkit/PopupMenu.h"
#include "gui/toolkit/RadioButtons.h"
#include "gui/toolkit/Rect.h"
#include "gui/toolkit/ScrollBar.h"
#include "gui/toolkit/Slider.h"
#include "gui/toolkit/Text.h"
#include "gui/toolkit/TimedBitmap.h"
#include "gui/toolkit/URL.h"
#include "gui/toolkit/WaitCursor.h"
#include "resources/EmbeddedSkin.h"
#include "resources/SkinIds.h"

namespace gallery {

using namespace zt::ge;
using namespace quillstrip::skin;

namespace {

constexpr SColour kText = SColour::FromRGB(218, 224, 233);
constexpr SColour kDim = SColour::FromRGB(138, 147, 163);
constexpr SColour kAccent = SColour::FromRGB(53, 180, 240);
constexpr SColour kCurve = SColour::FromRGB(120, 210, 255);

// Commands of the master menu.
enum ECommand { kPreferences = 0, kManual = 1, kAbout = 3, kLoad = 4, kSave = 5, kSaveAs = 6, kExampleA = 100 };

// Ids of the controls whose values the read-outs show.
enum EControl {
    kInputGain = 1,
    kOutputGain,
    kDelay,
    kThreshold,
    kAttack,
    kRelease,
    kHold,
    kMix,
    kScFreq,
    kScQ,
    kScGain,
    kScOutput,
    kBandBase = 50,
    kMenu = 114,
    kTypeList = 200,
    kSections = 201
};

const char* const kFilterNames[]
    = {"LowCut 12dB",  "LowCut 18dB",  "LowCut 36dB",  "LowCut 48dB",  "LowShelf", "Bell (Peak)", "HighShelf",
       "HighCut 12dB", "HighCut 18dB", "HighCut 36dB", "HighCut 48dB", "BandPass", "BandStop"};

// A made-up response for the display: a low shelf, a bell and a high cut.
float Curve(float x)
{
    const float shelf = 4.0f / (1.0f + std::exp((x - 0.2f) * 30.0f));
    const float bell = -5.0f * std::exp(-std::pow((x - 0.55f) / 0.06f, 2.0f));
    const float cut = -20.0f / (1.0f + std::exp(-(x - 0.93f) * 60.0f));
    return (shelf + bell + cut + 24.0f) / 42.0f;
}

void DestroyDialog(IFileDialog* dialog)
{
    if (dialog)
        dialog->Destroy();
}

}  // namespace

CGallery::CGallery(IWindow& window)
    : window_(window),
      resources_(std::make_unique<CResourceManager>(GetEmbeddedResourceFile(), GetEmbeddedResourceFileSize())),
      fileDialog_(nullptr, &DestroyDialog)
{
    window_.SetResourceManager(resources_.get());
    started_ = window_.GetTimeMs();
    Build();
}

CGallery::~CGallery()
{
    fileDialog_.reset();
    // The overlays are ours; the controls in the window's tree keep their own
    // references to what they draw, so only the manager's lookups must stop.
    if (settings_)
        settings_->Destroy();
    if (about_)
        about_->Destroy();
    window_.SetResourceManager(nullptr);
}

CText* CGallery::Label(IPane& pane, const SRect& rect, const char* text, int fontId, int align)
{
    auto* label = new CText(rect, text);
    label->SetFont(fontId, fontId == kFontLabel ? kDim : kText);
    label->SetAlignment(align);
    pane.AddChild(label);
    return label;
}

void CGallery::Build()
{
    IPane& root = *window_.GetRootPane();
    root.AddChild(new CBitmap({0, 0, 780, 700}, kBackgroundLarge));
    root.AddChild(new CBitmap({0, 0, 780, 500}, kBackground));
    BuildDisplay(root);
    BuildSides(root);
    BuildSection(root);
    BuildOverlays();
    if (IFontResource* tooltipFont = resources_->GetFont(kFontSmall, SColour::FromRGB(20, 20, 20))) {
        window_.SetTooltipTextRenderer(tooltipFont);
        tooltipFont->Release();  // the cache keeps it for as long as the manager lives
    }
}

void CGallery::BuildDisplay(IPane& root)
{
    root.AddChild(new CBitmap({0, 0, 780, 276}, kDisplayPanel));
    root.AddChild(new CBitmap({144, 35, 492, 141}, kEqDisplay));
    // The response curve, drawn by its owner through the primitives.
    root.AddChild(new C2D({144, 35, 492, 141}, -1, [](IDrawPrimitives& draw, const SRect& area) {
        SPoint previous{};
        for (int32_t column = 0; column < area.size.width; ++column) {
            const float y = Curve(float(column) / float(area.size.width - 1));
            const SPoint p{area.position.x + column,
                           area.position.y + int32_t(std::lround((area.size.height - 1) * (1 - y)))};
            if (column > 0)
                draw.DrawLineAA(previous, p, kCurve, area);
            previous = p;
        }
    }));
    const float handles[] = {0.12f, 0.3f, 0.55f, 0.7f, 0.82f, 0.93f};
    for (int band = 0; band < 6; ++band) {
        const float x = handles[band];
        auto* handle = new CBitmap({144 + int32_t(491 * x) - 7, 35 + int32_t(140 * (1 - Curve(x))) - 7, 14, 14},
                                   kEqHandle1 + band);
        handle->SetFrame(band == 2 ? 1 : 0, 2);
        root.AddChild(handle);
    }

    readout_ = Label(root, {98, 5, 150, 20}, "Input Gain: 0.0 dB", kFontSmall, kAlignLeft);
    Label(root, {320, 5, 180, 20}, "B 3 G: -5.0 dB F: 1.2 KHz Q: 0.71", kFontSmall, kAlignLeft);

    auto* routing = new CButton({24, 56, 22, 22}, -1, kButtonRouting);
    routing->SetTooltipText("Sets the processing order\nThe width and limiter sections are always last");
    root.AddChild(routing);
    root.AddChild(new CMultiStateButton({49, 57, 68, 20}, 2, -1, kStateRouting));
    auto* delay = new CKnob({52, 102, 36, 36}, kDelay, kKnobDelay);
    delay->SetDefaultValue(0.0f);
    delay->SetValue(0.25f, false);
    delay->SetTooltipText("Puts a delay on the input signal");
    delay->AddReceiver(this);
    root.AddChild(delay);
    root.AddChild(new CButton({11, 146, 36, 20}, -1, kButtonPhase));
    auto* oversample = new CButton({106, 146, 48, 20}, -1, kButtonOversample);
    oversample->SetValue(1.0f, false);
    root.AddChild(oversample);

    auto* source = new CRadioButtons({663, 56, 88, 20});
    source->AddChoice({0, 0, 28, 20}, kSourceIn);
    source->AddChoice({30, 0, 28, 20}, kSourceOut);
    source->AddChoice({60, 0, 28, 20}, kSourceOff);
    source->SetValue(0.5f, false);
    root.AddChild(source);
    auto* fftSize = new CMultiStateButton({662, 83, 56, 18}, 3, -1, kStateFftSize);
    fftSize->SetValue(1.0f, false);
    root.AddChild(fftSize);
    root.AddChild(new CButton({662, 118, 56, 18}, -1, kButtonFreeze));

    auto* menu = new CPopupMenu({688, 4, 88, 22}, kMenu, kMenuButton);
    SMenuItem& items = menu->GetItems();
    items.Add("Load Preset...", kLoad);
    items.Add("Save Preset", kSave);
    items.Add("Save Preset As...", kSaveAs);
    items.Add("Preferences", kPreferences);
    items.Add("Manual", kManual);
    SMenuItem& examples = items.AddSubMenu("Examples");
    examples.Add("Bright Vocal", kExampleA);
    examples.Add("Tight Drums", kExampleA + 1);
    examples.Add("Wide Master", kExampleA + 2);
    items.Add("About", kAbout);
    menu->SetFont(kFontMenu, kText);
    menu->SetTooltipText("Load and save presets, open the settings, show the about box");
    menu->AddReceiver(this);
    menu_ = menu;
    root.AddChild(menu);

    // One column of controls per EQ band under the display.
    for (int band = 0; band < 6; ++band) {
        auto* column = new CPane({145 + band * 82, 186, 80, 82});
        auto* enable = new CButton({4, 2, 18, 18}, -1, kToggleBand);
        enable->SetValue(band < 4 ? 1.0f : 0.0f, false);
        column->AddChild(enable);
        char name[16];
        std::snprintf(name, sizeof name, "BAND %d", band + 1);
        Label(*column, {26, 2, 52, 18}, name, kFontLabel, kAlignLeft);
        auto* gain = new CKnob({6, 22, 30, 30}, kBandBase + band * 3, kKnobSmallBipolar);
        gain->SetDefaultValue(0.5f);
        gain->SetValue(0.5f + 0.08f * float(band - 2), false);
        gain->AddReceiver(this);
        column->AddChild(gain);
        auto* frequency = new CKnob({44, 22, 30, 30}, kBandBase + band * 3 + 1, kKnobSmall);
        frequency->SetValue(float(band) / 5.0f * 0.8f + 0.1f, false);
        frequency->AddReceiver(this);
        column->AddChild(frequency);
        auto* type = new CDropDownListBox({0, 60, 80, 16}, band == 2 ? kTypeList : -1, kListBoxSmall);
        for (const char* filter : kFilterNames)
            type->AddEntry(filter);
        type->SetFont(kFontSmall, kText);
        type->SetValue(float(band == 0 ? 0 : band == 5 ? 7 : band == 1 ? 4 : 5) / 12.0f, false);
        if (band == 2)
            typeList_ = type;
        column->AddChild(type);
        root.AddChild(column);
    }
}

void CGallery::BuildSides(IPane& root)
{
    auto* input = new CSlider({17, 281}, {26, 14}, 219, kVertical, kInputGain, kFaderCap);
    input->SetDefaultValue(0.70711f);
    input->SetValue(0.70711f, false);
    input->SetTooltipText("Adjusts the input gain\nNote that this is applied after the input meter");
    input->AddReceiver(this);
    root.AddChild(input);
    auto* output = new CSlider({737, 281}, {26, 14}, 219, kVertical, kOutputGain, kFaderCap);
    output->SetDefaultValue(0.70711f);
    output->SetValue(0.62f, false);
    output->AddReceiver(this);
    root.AddChild(output);

    for (int32_t x : {64, 74, 704, 714}) {
        auto* meter = new CPeakMeter({x, 290, 8, 200}, 0, 0, 0, kMeterLevel);
        meters_.push_back(meter);
        root.AddChild(meter);
    }
    for (int32_t x : {2, 42, 706, 746}) {
        auto* light = new CTimedBitmap({x, 275, 32, 11}, 2000, kClipLight);
        lights_.push_back(light);
        root.AddChild(light);
    }

    auto* sections = new CRadioButtons({190, 302, 116, 138}, kSections);
    const int ids[] = {kSelectGate, kSelectCompressor, kSelectStereo, kSelectSaturation, kSelectLimiter};
    for (int i = 0; i < 5; ++i)
        sections->AddChoice({0, i * 28, 116, 26}, ids[i]);
    sections->SetTooltipText("Choose which section is currently visible");
    sections->AddReceiver(this);
    sections_ = sections;
    root.AddChild(sections);

    auto* link = new CURL({90, 438, 110, 16}, "example.org/quillstrip", "https://example.org/quillstrip");
    link->SetFont(kFontSmall, kAccent);
    root.AddChild(link);
    root.AddChild(new CBitmap({86, 462, 120, 24}, kLogo));
}

void CGallery::BuildSection(IPane& root)
{
    auto* pane = new CPane({310, 284, 384, 210});
    pane->AddChild(new CBitmap({0, 0, 384, 210}, kPanelGate));
    auto* onOff = new CButton({326, 4, 48, 26}, -1, kSectionOnOff);
    onOff->SetValue(1.0f, false);
    onOff->SetTooltipText("Turns the gate on or off");
    pane->AddChild(onOff);
    // The main knobs with their labels.
    const struct {
        int id;
        const char* label;
        float value;
        bool bipolar;
    } knobs[] = {{kThreshold, "THRESHOLD", 0.62f, false},
                 {kAttack, "ATTACK", 0.2f, false},
                 {kRelease, "RELEASE", 0.45f, false},
                 {kHold, "HOLD", 0.1f, false},
                 {kMix, "MIX", 1.0f, false}};
    int32_t x = 14;
    for (const auto& k : knobs) {
        auto* knob = new CKnob({x, 34, 44, 44}, k.id, k.bipolar ? kKnobLargeBipolar : kKnobLarge);
        knob->SetDefaultValue(0.5f);
        knob->SetValue(k.value, false);
        knob->AddReceiver(this);
        pane->AddChild(knob);
        Label(*pane, {x - 8, 80, 60, 14}, k.label, kFontLabel, kAlignCentre);
        x += 58;
    }
    // The side-chain's smaller knobs.
    pane->AddChild(new CLine({10, 124}, {290, 124}, SColour::FromRGB(60, 66, 77)));
    const struct {
        int id;
        const char* label;
        float value;
        bool bipolar;
    } keys[] = {{kScFreq, "FREQ", 0.4f, false},
                {kScQ, "Q", 0.3f, false},
                {kScGain, "GAIN", 0.6f, true},
                {kScOutput, "OUT", 0.5f, false}};
    x = 14;
    for (const auto& k : keys) {
        auto* knob = new CKnob({x, 128, 30, 30}, k.id, k.bipolar ? kKnobSmallBipolar : kKnobSmall);
        knob->SetValue(k.value, false);
        knob->SetDefaultValue(0.5f);
        knob->AddReceiver(this);
        pane->AddChild(knob);
        Label(*pane, {x - 6, 160, 42, 14}, k.label, kFontLabel, kAlignCentre);
        x += 40;
    }
    auto* scroll = new CScrollBar({366, 34, 12, 56}, kVertical, -1, kScrollTrack, kScrollThumb);
    scroll->SetValue(0.3f, false);
    pane->AddChild(scroll);

    auto* detection = new CMultiStateButton({294, 34, 64, 18}, 3, -1, kStateDetection);
    detection->SetValue(1.0f, false);
    pane->AddChild(detection);
    pane->AddChild(new CButton({14, 100, 48, 18}, -1, kToggleListen));
    auto* key = new CButton({68, 100, 40, 18}, -1, kToggleKey);
    key->SetValue(1.0f, false);
    pane->AddChild(key);
    pane->AddChild(new CMultiStateButton({114, 100, 40, 18}, 2, -1, kStateKeyInput));
    auto* scType = new CDropDownListBox({170, 99, 116, 20}, -1, kListBox);
    for (const char* filter : kFilterNames)
        scType->AddEntry(filter);
    scType->SetFont(kFontSmall, kText);
    scType->SetValue(7.0f / 12.0f, false);
    pane->AddChild(scType);
    pane->AddChild(new CButton({286, 160, 44, 18}, -1, kButtonLoad));
    pane->AddChild(new CButton({336, 160, 44, 18}, -1, kButtonReset));

    // Level and gain-reduction meters, and the activity light.
    auto* level = new CPeakMeter({190, 130, 140, 8}, 3, 0, 0, kMeterLevelSmall);
    auto* reduction = new CPeakMeter({190, 144, 140, 8}, 3, 0, 0, kMeterReduction);
    meters_.push_back(level);
    meters_.push_back(reduction);
    pane->AddChild(level);
    pane->AddChild(reduction);
    Label(*pane, {336, 127, 40, 14}, "LEVEL", kFontLabel, kAlignLeft);
    Label(*pane, {336, 141, 40, 14}, "GR", kFontLabel, kAlignLeft);
    auto* limit = new CTimedBitmap({190, 164, 32, 11}, 400, kLimitLight);
    lights_.push_back(limit);
    pane->AddChild(limit);
    auto* swatch = new CRect({228, 161, 52, 16}, SColour::FromRGB(28, 32, 38));
    swatch->SetOutline(SColour::FromRGB(53, 180, 240));
    pane->AddChild(swatch);
    Label(*pane, {228, 161, 52, 16}, "KEY", kFontLabel, kAlignCentre);

    paneReadout_ = Label(*pane, {16, 184, 352, 18}, "Gate Threshold: -32.0 dB", kFontSmall, kAlignLeft);
    root.AddChild(pane);
}

void CGallery::BuildOverlays()
{
    settings_ = new CDialog({0, 0, 780, 500}, -1, kSettingsBackdrop);
    const char* const lists[][3] = {{"Up/Down", "Rotate", nullptr},
                                    {"Peak", "Env. Follower", nullptr},
                                    {"Off", "On", nullptr},
                                    {"Off", "On", nullptr}};
    for (int i = 0; i < 4; ++i) {
        auto* list = new CDropDownListBox({328, 245 + 23 * i, 116, 20}, -1, kListBox);
        for (int k = 0; lists[i][k]; ++k)
            list->AddEntry(lists[i][k]);
        list->SetFont(kFontMenu, kText);
        list->SetValue(i >= 2 ? 1.0f : 0.0f, false);
        settings_->AddChild(list);
    }
    for (int i = 0; i < 3; ++i) {
        auto* slider = new CSlider({478, 243 + 35 * i}, {23, 18}, 130, kHorizontal, -1, kSliderHandle);
        slider->SetValue(0.5f, false);
        slider->SetDefaultValue(0.5f);
        settings_->AddChild(slider);
    }
    auto* close = new CButton({614, 211, 18, 18}, -1, kButtonClose);
    close->AddReceiver(this);
    close->SetId(900);
    settings_->AddChild(close);

    about_ = new CDialog({0, 0, 780, 500});
    about_->AddChild(new CRect({0, 0, 780, 500}, SColour::FromRGB(5, 6, 8, 170)));
    about_->AddChild(new CBitmap({210, 140, 360, 220}, kAboutBox));
    auto* closeAbout = new CButton({542, 148, 18, 18}, -1, kButtonClose);
    closeAbout->AddReceiver(this);
    closeAbout->SetId(901);
    about_->AddChild(closeAbout);
}

void CGallery::Describe(IControl* control)
{
    char text[96];
    const float v = control->GetValue();
    switch (control->GetId()) {
    case kInputGain:
    case kOutputGain: {
        // The faders' law: v squared below unity, v to the fourth above.
        const float g = v * 1.41421f;
        const float db = g <= 0 ? -INFINITY : g < 1 ? 40.0f * std::log10(g) : 80.0f * std::log10(g);
        std::snprintf(text, sizeof text, "%s Gain: %+.1f dB", control->GetId() == kInputGain ? "Input" : "Output", db);
        readout_->SetText(text);
        return;
    }
    case kDelay:
        std::snprintf(text, sizeof text, "Input Delay: %.1f ms", v * 100.0f);
        break;
    case kThreshold:
        std::snprintf(text, sizeof text, "Gate Threshold: %.1f dB", -80.0f + 80.0f * v);
        break;
    case kAttack:
        std::snprintf(text, sizeof text, "Gate Attack: %.2f ms", 0.1f + 99.9f * v * v);
        break;
    case kRelease:
        std::snprintf(text, sizeof text, "Gate Release: %.0f ms", 5.0f + 1995.0f * v * v);
        break;
    case kHold:
        std::snprintf(text, sizeof text, "Gate Hold: %.0f ms", 1.0f + 999.0f * v * v);
        break;
    case kMix:
        std::snprintf(text, sizeof text, "Gate Mix: %.0f %%", 100.0f * v);
        break;
    default:
        std::snprintf(text, sizeof text, "Control %d: %.4f", control->GetId(), v);
        break;
    }
    paneReadout_->SetText(text);
}

void CGallery::OnValueChanged(IControl* control)
{
    if (control->GetId() != kMenu) {
        Describe(control);
        return;
    }
    const auto command = int(control->GetValue());
    control->SetValue(-1.0f, false);
    switch (command) {
    case kPreferences:
        OpenSettings();
        break;
    case kAbout:
        OpenAbout();
        break;
    case kManual:
        window_.GetDesktop()->OpenUrl("https://example.org/quillstrip/manual.pdf");
        break;
    case kLoad:
    case kSaveAs: {
        if (fileDialog_ && fileDialog_->IsRunning())
            break;
        IFileDialog* dialog = command == kLoad ? static_cast<IFileDialog*>(new COpenDialog())
                                               : static_cast<IFileDialog*>(new CSaveAsDialog());
        if (command == kSaveAs)
            dynamic_cast<CSaveAsDialog*>(dialog)->SetFileName("My Preset.preset");
        dialog->SetFilter("Presets (*.preset)", "*.preset");
        dialog->SetDefaultExtension("preset");
        fileDialog_.reset(dialog);
        dialog->Show(&window_, [this](const std::string& path) {
            paneReadout_->SetText(path.empty() ? "(cancelled)" : path.c_str());
        });
        break;
    }
    case kSave: {
        // Something that takes a moment, under the wait cursor.
        CWaitCursor wait(&window_);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        paneReadout_->SetText("Saved (nothing: this is the gallery)");
        break;
    }
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "Menu command %d", command);
        paneReadout_->SetText(text);
        break;
    }
    }
}

void CGallery::OnClicked(IControl* control)
{
    if (control->GetId() == 900)
        settings_->Close();
    if (control->GetId() == 901)
        about_->Close();
}

void CGallery::OpenSettings() { settings_->Open(&window_); }
void CGallery::OpenAbout() { about_->Open(&window_); }
void CGallery::OpenTypeList() { typeList_->Open(); }

void CGallery::OpenMenu()
{
    const SRect r = menu_->GetAbsoluteRect();
    window_.GetRootPane()->Mouse(kMouseLeftDown, {r.position.x + 20, r.position.y + 12});
}

void CGallery::Tick(uint32_t nowMs)
{
    // A made-up programme: two slow swells with the odd peak over 0 dBFS.
    const float t = float(nowMs - started_) / 1000.0f;
    const float decay = 0.926f;
    for (std::size_t i = 0; i < meters_.size(); ++i) {
        const float phase = t * (1.3f + 0.17f * float(i)) + float(i);
        const float level = 0.45f + 0.3f * std::sin(phase) * std::sin(phase * 0.37f) + 0.05f * std::sin(phase * 7.0f);
        meters_[i]->Update(i == meters_.size() - 1 ? 0.25f + 0.2f * std::sin(phase) : level, decay);
        if (i < 4 && level > 0.72f)
            lights_[i]->SwitchOn();
    }
    if (std::sin(t * 0.9f) > 0.6f)
        lights_.back()->SwitchOn();
}

void CGallery::Freeze()
{
    const float levels[] = {0.58f, 0.64f, 0.52f, 0.73f, 0.66f, 0.31f};
    for (std::size_t i = 0; i < meters_.size(); ++i)
        meters_[i]->SetValue(levels[i % 6], false);
    lights_[3]->SwitchOn();
    lights_.back()->SwitchOn();
}

}  // namespace gallery
