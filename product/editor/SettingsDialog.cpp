#include "product/editor/SettingsDialog.h"

#include "product/editor/EditorStyle.h"
#include "product/editor/ParameterLinks.h"
#include "product/plugin/QuillstripParameterIds.h"
#include "gui/toolkit/Button.h"
#include "gui/toolkit/DropDownListBox.h"
#include "gui/toolkit/Slider.h"
#include "resources/SkinIds.h"

#include <algorithm>

using namespace zt::ge;
using namespace quillstrip;
using namespace quillstrip::skin;

CSettingsDialog::CSettingsDialog(CParameterLinks& links, const std::vector<std::string>& backgrounds,
                                 const std::string& current, std::function<void(const std::string&)> chosen)
    : CDialog({0, 0, 780, 500}, -1, kSettingsBackdrop),
      chosen_(std::move(chosen))
{
    const struct {
        int32_t id;
        int32_t number;
        std::vector<std::string> entries;
    } lists[] = {{115, kKnobMode, {"Up/Down", "Rotate"}},
                 {116, kMeterMode, {"Peak", "Env. Follower"}},
                 {134, kToolTipsControls, {"Off", "On"}},
                 {135, kEyeCandy, {"Off", "On"}}};
    int32_t y = 245;
    for (const auto& l : lists) {
        auto* list = new CDropDownListBox({328, y, 116, 20}, l.id, kListBox);
        list->SetEntries(l.entries);
        list->SetFont(kFontMenu, editor_style::kText);
        links.Link(list, kSetEditor, l.number);
        AddChild(list);
        y += 23;
    }
    auto* list = new CDropDownListBox({328, y, 116, 20}, kBackgroundListId, kListBox);
    // The built-in background by what it is; the files by their names.
    std::vector<std::string> shown = backgrounds;
    if (!shown.empty() && shown[0] == kBuiltInBackground)
        shown[0] = "Built-in";
    list->SetEntries(shown);
    list->SetFont(kFontMenu, editor_style::kText);
    list->SetSteps(int32_t(backgrounds.size()));
    const auto at = std::find(backgrounds.begin(), backgrounds.end(), current);
    const size_t index = at == backgrounds.end() ? 0 : size_t(at - backgrounds.begin());
    list->SetValue(backgrounds.size() > 1 ? float(index) / float(backgrounds.size() - 1) : 0.0f, false);
    list->AddReceiver(this);
    backgrounds_ = list;
    AddChild(list);

    // Hue, saturation, brightness, top to bottom (ids 161 hue, 162 brightness, 163 saturation).
    const struct {
        int32_t id;
        int32_t number;
        int32_t y;
    } sliders[] = {{161, kHue, 243}, {163, kSaturation, 278}, {162, kBrightness, 313}};
    for (const auto& s : sliders) {
        auto* slider = new CSlider({478, s.y}, {23, 18}, 130, kHorizontal, s.id, kSliderHandle);
        links.Link(slider, kSetEditor, s.number);
        AddChild(slider);
    }
    auto* close = new CButton({614, 211, 18, 18}, -1, kButtonClose);
    close->AddReceiver(this);
    close_ = close;
    AddChild(close);
}

void CSettingsDialog::OnClicked(IControl* control)
{
    if (control == close_)
        Close();
}

void CSettingsDialog::OnValueChanged(IControl* control)
{
    if (control == backgrounds_ && chosen_) {
        const int32_t selected = backgrounds_->GetSelected();
        chosen_(selected == 0 ? std::string(kBuiltInBackground) : backgrounds_->GetEntry(selected));
    }
}
