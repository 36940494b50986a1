#include "product/editor/ParameterLinks.h"

#include "product/plugin/QuillstripParameterTable.h"
#include "product/plugin/QuillstripPlugIn.h"
#include "framework/de/Converters.h"
#include "framework/de/DisplayConverter.h"
#include "gui/toolkit/Control.h"
#include "gui/toolkit/MultiStateButton.h"
#include "gui/toolkit/Text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using quillstrip::EDisplay;
using quillstrip::EScale;
using quillstrip::ParameterRows;
using quillstrip::SParameterRow;

namespace {

const SParameterRow* RowOf(int32_t set, int32_t number)
{
    if (set < 0 || set >= quillstrip::kNumSets)
        return nullptr;
    const auto& rows = ParameterRows(set);
    return number >= 0 && size_t(number) < rows.size() ? &rows[size_t(number)] : nullptr;
}

int32_t ListCount(const SParameterRow& row)
{
    return row.scale == EScale::kList ? int32_t(std::lround(row.maximum - row.minimum)) + 1 : 0;
}

// Trailing zeros of a decimal fraction say nothing on a read-out ("8.0" -> "8").
std::string Trim(std::string number)
{
    if (number.find('.') == std::string::npos)
        return number;
    while (!number.empty() && number.back() == '0')
        number.pop_back();
    if (!number.empty() && number.back() == '.')
        number.pop_back();
    return number;
}

}  // namespace

CParameterLinks::CParameterLinks(CQuillstripPlugIn& plugIn)
    : plugIn_(plugIn)
{
    converters_.resize(quillstrip::kNumSets);
    for (int32_t set = 0; set < quillstrip::kNumSets; ++set) {
        for (const SParameterRow& row : ParameterRows(set)) {
            int32_t kind = zt::de::IConverter::kLinear;
            if (row.scale == EScale::kTrueLog)
                kind = zt::de::IConverter::kTrueLog;
            else if (row.scale == EScale::kLog)
                kind = zt::de::IConverter::kLog;
            converters_[size_t(set)].push_back(
                zt::de::MakeConverter(kind, row.minimum, row.maximum, row.logBase ? *row.logBase : 0));
        }
    }
}

CParameterLinks::~CParameterLinks() = default;

const zt::de::IConverter& CParameterLinks::ConverterOf(int32_t set, int32_t number) const
{
    return *converters_[size_t(set)][size_t(number)];
}

void CParameterLinks::Link(zt::ge::IControl* control, int32_t set, int32_t number, std::vector<int32_t> order)
{
    const SParameterRow* row = RowOf(set, number);
    if (!control || !row)
        return;
    const bool indexed = dynamic_cast<zt::ge::IMultiStateButton*>(control) != nullptr;
    if (!indexed) {
        if (!order.empty())
            control->SetSteps(int32_t(order.size()));
        else if (const int32_t count = ListCount(*row); count >= 2)
            control->SetSteps(count);
    }
    SLink link{control, nullptr, {}, set, number, std::move(order), indexed, NAN};
    control->SetDefaultValue(ControlValue(link, row->defaultValue));
    control->AddReceiver(this);
    links_.push_back(std::move(link));
}

void CParameterLinks::LinkReadout(zt::ge::IText* text, const std::string& label, int32_t set, int32_t number)
{
    if (text && RowOf(set, number))
        links_.push_back(SLink{nullptr, text, label, set, number, {}, false, NAN});
}

void CParameterLinks::Clear() { links_.clear(); }

float CParameterLinks::Plain(int32_t set, int32_t number) const
{
    const zt::de::IParameter* parameter = plugIn_.GetParameterManager()->GetParameter(number, set);
    return parameter ? parameter->GetValue() : 0.0f;
}

double CParameterLinks::ToNormalised(int32_t set, int32_t number, float plain) const
{
    return RowOf(set, number) ? ConverterOf(set, number).ToNormalized(plain) : 0.0;
}

float CParameterLinks::FromNormalised(int32_t set, int32_t number, double normalised) const
{
    return RowOf(set, number) ? ConverterOf(set, number).FromNormalized(normalised) : 0.0f;
}

float CParameterLinks::ControlValue(const SLink& link, float plain) const
{
    if (!link.order.empty()) {
        const auto at = std::find(link.order.begin(), link.order.end(), int32_t(std::lround(plain)));
        const auto k = at == link.order.end() ? 0 : at - link.order.begin();
        return link.order.size() > 1 ? float(k) / float(link.order.size() - 1) : 0.0f;
    }
    if (link.indexed)
        return float(std::lround(plain - RowOf(link.set, link.number)->minimum));
    return float(ToNormalised(link.set, link.number, plain));
}

std::string CParameterLinks::ValueText(int32_t set, int32_t number) const
{
    const SParameterRow* row = RowOf(set, number);
    if (!row)
        return {};
    const float plain = Plain(set, number);
    if (row->display == EDisplay::kFrequency0 || row->display == EDisplay::kFrequency1) {
        const int32_t below = row->display == EDisplay::kFrequency0 ? 0 : 1;
        if (plain < 1000.0f)
            return Trim(zt::de::CDisplayConverter::FormatNumber(plain, below, 32)) + " Hz";
        return Trim(zt::de::CDisplayConverter::FormatNumber(plain / 1000.0, plain < 10000.0f ? 2 : 1, 32)) + " KHz";
    }
    const int32_t index = row->automationIndex;
    char text[zt::ztpi::kTextSize] = {};
    if (index >= 0) {
        plugIn_.GetParameterText(index, plain, text);
    } else if (row->texts && *row->texts) {
        // Entry k of the "@"-separated list.
        const char* entry = row->texts;
        for (long k = std::lround(plain - row->minimum); k > 0 && entry; --k)
            if ((entry = std::strchr(entry, '@')))
                ++entry;
        if (entry)
            zt::de::CopyText(std::string(entry, strcspn(entry, "@")), text, sizeof text);
    } else {
        zt::de::CopyText(zt::de::CDisplayConverter::FormatNumber(plain, std::max(0, row->displayDecimals), 32), text,
                         sizeof text);
    }
    std::string shown = text;
    if (row->scale != EScale::kList && row->unit && *row->unit)
        shown += std::string(" ") + row->unit;
    return shown;
}

void CParameterLinks::Show(SLink& link, float plain)
{
    link.shown = plain;
    if (link.control)
        link.control->SetValue(ControlValue(link, plain), false);
    if (link.text)
        link.text->SetText((link.label + ValueText(link.set, link.number)).c_str());
}

void CParameterLinks::Refresh(bool force)
{
    for (SLink& link : links_) {
        const float plain = Plain(link.set, link.number);
        if (force || !(plain == link.shown))
            Show(link, plain);
    }
}

CParameterLinks::SLink* CParameterLinks::Find(zt::ge::IControl* control)
{
    for (SLink& link : links_)
        if (link.control == control)
            return &link;
    return nullptr;
}

void CParameterLinks::OnValueChanged(zt::ge::IControl* control)
{
    SLink* link = Find(control);
    if (!link)
        return;
    const float value = control->GetValue();
    float plain;
    if (link->indexed) {
        plain = RowOf(link->set, link->number)->minimum + std::round(value);
    } else if (!link->order.empty()) {
        const auto k = size_t(std::lround(value * float(link->order.size() - 1)));
        plain = float(link->order[std::min(k, link->order.size() - 1)]);
    } else {
        plain = FromNormalised(link->set, link->number, value);
    }
    Edit(link->set, link->number, plain, control);
}

void CParameterLinks::BeginEdit(int32_t set, int32_t number) { plugIn_.BeginEditorEdit(set, number); }

void CParameterLinks::EndEdit(int32_t set, int32_t number) { plugIn_.EndEditorEdit(set, number); }

void CParameterLinks::Edit(int32_t set, int32_t number, float plain) { Edit(set, number, plain, nullptr); }

void CParameterLinks::Edit(int32_t set, int32_t number, float plain, zt::ge::IControl* from)
{
    if (!RowOf(set, number))
        return;
    plugIn_.EditorEdit(set, number, plain);
    // Every control and read-out of the parameter follows now, not at the next tick;
    // the one the user moves keeps its own position unless the stored value differs
    // (rounding, steps).
    const float stored = Plain(set, number);
    for (SLink& other : links_) {
        if (other.set != set || other.number != number)
            continue;
        if (other.control != from || stored != plain)
            Show(other, stored);
        else
            other.shown = stored;
    }
    if (listener_)
        listener_(set, number);
}

void CParameterLinks::OnBeginEdit(zt::ge::IControl* control)
{
    if (SLink* link = Find(control))
        plugIn_.BeginEditorEdit(link->set, link->number);
}

void CParameterLinks::OnEndEdit(zt::ge::IControl* control)
{
    if (SLink* link = Find(control))
        plugIn_.EndEditorEdit(link->set, link->number);
}

void CParameterLinks::SetEditListener(std::function<void(int32_t, int32_t)> listener)
{
    listener_ = std::move(listener);
}
