#include "product/editor/BasePane.h"

#include "product/editor/EditorStyle.h"
#include "product/editor/ParameterLinks.h"
#include "product/editor/Tooltips.h"
#include "gui/toolkit/Button.h"
#include "gui/toolkit/DropDownListBox.h"
#include "gui/toolkit/Knob.h"
#include "gui/toolkit/MultiStateButton.h"
#include "gui/toolkit/Text.h"
#include "resources/SkinIds.h"

using namespace zt::ge;

CBasePane::CBasePane(const SRect& rect, CParameterLinks& links, CTooltips& tooltips)
    : CPane(rect),
      links_(links),
      tooltips_(tooltips)
{
}

const std::vector<std::string>& CBasePane::FilterTypeNames()
{
    static const std::vector<std::string> names
        = {"LowCut 12dB",  "LowCut 18dB",  "LowCut 36dB",  "LowCut 48dB",  "LowShelf", "Bell (Peak)", "HighShelf",
           "HighCut 12dB", "HighCut 18dB", "HighCut 36dB", "HighCut 48dB", "BandPass", "BandStop"};
    return names;
}

const std::vector<int32_t>& CBasePane::FilterTypeOrder()
{
    // The parameter's own order puts the 48 dB slopes last.
    static const std::vector<int32_t> order = {0, 1, 2, 11, 3, 4, 5, 6, 7, 8, 12, 9, 10};
    return order;
}

CKnob* CBasePane::AddKnob(const SRect& rect, int32_t id, int32_t number, int32_t bitmapId, const char* label)
{
    auto* knob = new CKnob(rect, id, bitmapId);
    links_.Link(knob, 0, number);
    knob->AddReceiver(this);
    tooltips_.AddForParameter(knob, number);
    AddChild(knob);
    if (label) {
        const int32_t width = rect.size.width + 24;
        AddLabel({rect.position.x - 12, rect.position.y + rect.size.height + 1, width, 12}, label);
    }
    return knob;
}

CMultiStateButton* CBasePane::AddStates(const SRect& rect, int32_t id, int32_t number, int32_t states,
                                        int32_t bitmapId, int32_t set)
{
    auto* button = new CMultiStateButton(rect, states, id, bitmapId);
    links_.Link(button, set, number);
    button->AddReceiver(this);
    if (set == 0)
        tooltips_.AddForParameter(button, number);
    AddChild(button);
    return button;
}

CDropDownListBox* CBasePane::AddFilterList(const SRect& rect, int32_t id, int32_t number, int32_t bitmapId)
{
    auto* list = new CDropDownListBox(rect, id, bitmapId);
    list->SetEntries(FilterTypeNames());
    list->SetFont(quillstrip::skin::kFontSmall, editor_style::kText);
    links_.Link(list, 0, number, FilterTypeOrder());
    list->AddReceiver(this);
    tooltips_.AddForParameter(list, number);
    AddChild(list);
    return list;
}

CText* CBasePane::AddLabel(const SRect& rect, const char* text, bool centred)
{
    auto* label = new CText(rect, text);
    label->SetFont(quillstrip::skin::kFontLabel, editor_style::kDim);
    label->SetAlignment(centred ? kAlignCentre : kAlignLeft);
    AddChild(label);
    return label;
}

CText* CBasePane::AddReadout(int32_t id, const char* label, int32_t number, IControl* control)
{
    auto* text = new CText(strip_, "", id);
    text->SetFont(quillstrip::skin::kFontSmall, editor_style::kText);
    text->SetAlignment(kAlignLeft);
    text->SetVisible(readouts_.empty());
    links_.LinkReadout(text, label, 0, number);
    readouts_.push_back({control, text});
    AddChild(text);
    return text;
}

void CBasePane::ShowReadoutOf(const IControl* control)
{
    bool found = false;
    for (const SReadout& r : readouts_)
        found = found || r.control == control;
    if (!found)
        return;
    for (const SReadout& r : readouts_)
        r.text->SetVisible(r.control == control);
}

void CBasePane::AddPresetButtons(SPoint at, int32_t section, const char* loadTip, const char* resetTip,
                                 ISectionCommands& commands)
{
    auto* load = new CButton({at.x, at.y, 44, 18}, -1, quillstrip::skin::kButtonLoad);
    auto* reset = new CButton({at.x + 48, at.y, 44, 18}, -1, quillstrip::skin::kButtonReset);
    for (CButton* button : {load, reset}) {
        button->AddReceiver(this);
        AddChild(button);
    }
    tooltips_.Add(load, loadTip);
    tooltips_.Add(reset, resetTip);
    presetButtons_.push_back({load, reset, section, &commands});
}

void CBasePane::OnClicked(IControl* control)
{
    for (const SPresetButtons& b : presetButtons_) {
        if (control == b.load)
            b.commands->LoadSectionPreset(b.section);
        else if (control == b.reset)
            b.commands->ResetSection(b.section);
    }
}
