#include "product/editor/EQPane.h"

#include "product/editor/EditorStyle.h"
#include "product/editor/ParameterLinks.h"
#include "product/editor/Tooltips.h"
#include "product/plugin/QuillstripParameterIds.h"
#include "framework/de/Converters.h"
#include "gui/toolkit/Bitmap.h"
#include "gui/toolkit/DropDownListBox.h"
#include "gui/toolkit/Knob.h"
#include "gui/toolkit/MultiStateButton.h"
#include "gui/toolkit/Text.h"
#include "resources/SkinIds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

using namespace zt::ge;
using namespace quillstrip;
using namespace quillstrip::skin;

namespace {

int32_t Number(int32_t band, int32_t field) { return band * kBandStride + field; }

// The Q range the wheel over a handle walks, on its logarithmic scale.
constexpr float kMinQ = 0.1f;
constexpr float kMaxQ = 100.0f;

}  // namespace

CEQBandPane::CEQBandPane(const SRect& rect, int32_t band, CParameterLinks& links, CTooltips& tooltips)
    : CBasePane(rect, links, tooltips)
{
    const int32_t base = BaseId(band);
    AddChild(new CBitmap({0, 0, kWidth, kHeight}, kPanelEqBand));
    enable = AddStates({3, 3, 18, 18}, base, Number(band, kBandEnable), 2, kToggleBand);
    AddLabel({23, 6, 38, 12}, ("BAND " + std::to_string(band + 1)).c_str(), false);
    AddStates({61, 3, 18, 18}, base + 8, Number(band, kBandSolo), 2, kToggleSoloSmall);
    gain = AddKnob({3, 24, 24, 24}, base + 4, Number(band, kBandGain), kKnobTinyBipolar, nullptr);
    frequency = AddKnob({28, 24, 24, 24}, base + 5, Number(band, kBandFreq), kKnobTiny, nullptr);
    q = AddKnob({53, 24, 24, 24}, base + 6, Number(band, kBandQ), kKnobTiny, nullptr);
    // Centred under their knobs, in the lighter face: the bold words would touch.
    const char* const names[] = {"GAIN", "FREQ", "Q"};
    for (int32_t i = 0; i < 3; ++i)
        AddLabel({i * 25, 48, 30, 12}, names[i])->SetFont(kFontSmall, editor_style::kDim);
    type = AddFilterList({0, 63, 80, 16}, base + 7, Number(band, kBandType), kListBoxSmall);
}

CEQPane::CEQPane(const SRect& rect, CParameterLinks& links, CTooltips& tooltips, IEQDisplay& display, CText& summary,
                 int32_t engineRate)
    : CBasePane(rect, links, tooltips),
      links_(links),
      display_(display),
      summary_(summary),
      rate_(engineRate)
{
    for (int32_t band = 0; band < 6; ++band) {
        auto* pane = new CEQBandPane({1 + band * 82, 2, CEQBandPane::kWidth, CEQBandPane::kHeight}, band, links,
                                     tooltips);
        for (IControl* c : {pane->gain, pane->frequency, pane->q, pane->type, pane->enable})
            c->AddReceiver(this);
        bands_[size_t(band)] = pane;
        AddChild(pane);
        display_.AddHandle(kEqHandle1 + band, 2);
    }
    display_.SetCurveColour(editor_style::kCurve);
    display_.SetCallback(this);
}

void CEQPane::Resample(const float* grid, float* columns, int32_t count)
{
    const double span = std::log(kMaxFreq / kMinFreq);
    int32_t i = 0;
    for (int32_t c = 0; c < count; ++c) {
        const double x = count > 1 ? double(c) / double(count - 1) : 0.0;
        const double f = kMinFreq * std::exp(x * span);
        while (i + 2 < CIIR::kDisplayPoints && CIIR::DisplayFrequency(i + 1) <= f)
            ++i;
        const double f0 = CIIR::DisplayFrequency(i), f1 = CIIR::DisplayFrequency(i + 1);
        const double t = std::clamp(std::log(f / f0) / std::log(f1 / f0), 0.0, 1.0);
        columns[c] = float(grid[i] + (grid[i + 1] - grid[i]) * t);
    }
}

void CEQPane::Update(bool force)
{
    std::array<float, 6 * 5 + 1> now{};
    for (int32_t band = 0; band < 6; ++band)
        for (int32_t field = 0; field < 5; ++field)
            now[size_t(band * 5 + field)] = links_.Plain(0, Number(band, field));
    now.back() = links_.Plain(0, kEqSection);
    if (!force && drawnOnce_ && now == drawn_)
        return;
    drawn_ = now;
    drawnOnce_ = true;

    const bool section = now.back() != 0.0f;
    float sum[CIIR::kDisplayPoints] = {};
    float one[CIIR::kDisplayPoints];
    for (int32_t band = 0; band < 6; ++band) {
        const float* v = &now[size_t(band * 5)];
        const bool on = v[kBandEnable] != 0.0f;
        const float x = float(zt::de::CConverterTrueLog(float(kMinFreq), float(kMaxFreq)).ToNormalized(v[kBandFreq]));
        display_.PlaceHandle(band, x, CurveY(v[kBandGain]));
        display_.ShowHandle(band, on && section);
        if (!on || !section)
            continue;
        CIIR& filter = filters_[size_t(band)];
        filter.DesignDisplay(int32_t(v[kBandType]), rate_, std::min<double>(v[kBandFreq], filter::kDisplayMaxFreq),
                             v[kBandGain], v[kBandQ]);
        filter.GetDisplayResponse(one, CIIR::kDisplayPoints);
        for (int32_t i = 0; i < CIIR::kDisplayPoints; ++i)
            sum[i] += one[i];
    }
    const int32_t width = display_.GetSize().width;
    std::vector<float> columns(size_t(std::max(width, 1)));
    Resample(sum, columns.data(), width);
    for (float& y : columns)
        y = CurveY(y);
    display_.SetCurve(columns.data(), width);
    ShowBand(shownBand_);
}

void CEQPane::ShowBand(int32_t band)
{
    shownBand_ = band;
    char text[160];
    std::snprintf(text, sizeof text, "B %d G: %s F: %s Q: %s", band + 1,
                  links_.ValueText(0, Number(band, kBandGain)).c_str(),
                  links_.ValueText(0, Number(band, kBandFreq)).c_str(),
                  links_.ValueText(0, Number(band, kBandQ)).c_str());
    summary_.SetText(text);
}

int32_t CEQPane::BandOf(const IControl* control) const
{
    for (int32_t band = 0; band < 6; ++band) {
        const CEQBandPane* p = bands_[size_t(band)];
        if (control == p->gain || control == p->frequency || control == p->q || control == p->type
            || control == p->enable)
            return band;
    }
    return -1;
}

void CEQPane::OnBeginEdit(IControl* control)
{
    if (const int32_t band = BandOf(control); band >= 0)
        ShowBand(band);
}

void CEQPane::OnValueChanged(IControl* control)
{
    if (const int32_t band = BandOf(control); band >= 0) {
        Update(false);
        ShowBand(band);
    }
}

void CEQPane::OnEQBegin(int32_t band)
{
    if (band < 0 || band >= 6)
        return;
    ShowBand(band);
    for (int32_t field : {kBandFreq, kBandGain, kBandQ})
        links_.BeginEdit(0, Number(band, field));
}

void CEQPane::OnEQEnd(int32_t band)
{
    if (band < 0 || band >= 6)
        return;
    for (int32_t field : {kBandFreq, kBandGain, kBandQ})
        links_.EndEdit(0, Number(band, field));
}

void CEQPane::OnEQChange(const SEQDisplayEvent& event)
{
    const int32_t band = event.band;
    if (band < 0 || band >= 6 || !std::isfinite(event.value))
        return;
    switch (event.axis) {
    case 0: {
        const float f = zt::de::CConverterTrueLog(float(kMinFreq), float(kMaxFreq)).FromNormalized(event.value);
        links_.Edit(0, Number(band, kBandFreq), f);
        break;
    }
    case 1:
        links_.Edit(0, Number(band, kBandGain), float(kMinGain + kGainRange * event.value));
        break;
    case 2: {
        const zt::de::CConverterTrueLog scale(kMinQ, kMaxQ);
        const double n = scale.ToNormalized(links_.Plain(0, Number(band, kBandQ))) - double(event.value) / 200.0;
        links_.Edit(0, Number(band, kBandQ), scale.FromNormalized(std::clamp(n, 0.0, 1.0)));
        break;
    }
    default:
        return;
    }
    Update(false);
    ShowBand(band);
}
