// The EQ section: six band columns under the display, and the link between the EQ
// display (curve and handles) and the band parameters.
#pragma once

#include "product/editor/BasePane.h"
#include "gui/toolkit/EQDisplay.h"

#include "dsp/IIR.h"

#include <array>

namespace zt::ge {
class CText;
}

// One band's column: enable, solo, gain, frequency, Q and the filter type.
class CEQBandPane final : public CBasePane {
public:
    static constexpr int32_t kWidth = 80;
    static constexpr int32_t kHeight = 82;
    // Control ids: base + 0 enable, + 1 .. + 3 the read-outs of gain, frequency and Q
    // (in the master pane's strip), + 4 .. + 6 their knobs, + 7 the type, + 8 solo.
    static int32_t BaseId(int32_t band) { return 300 + 10 * band; }

    CEQBandPane(const zt::ge::SRect& rect, int32_t band, CParameterLinks& links, CTooltips& tooltips);

    zt::ge::IControl* gain = nullptr;
    zt::ge::IControl* frequency = nullptr;
    zt::ge::IControl* q = nullptr;
    zt::ge::IControl* type = nullptr;
    zt::ge::IControl* enable = nullptr;
};

class CEQPane final : public CBasePane, public zt::ge::IEQDisplayCallback {
public:
    // The frequency range of the handles' x axis and the gain range of the y axis.
    static constexpr double kMinFreq = 16.0;
    static constexpr double kMaxFreq = 20400.0;
    static constexpr double kMinGain = -24.0;
    static constexpr double kGainRange = 42.0;

    // rect: the band strip under the display. display: the EQ display (a child of the
    // master pane); summary: the strip that shows "B n G: .. F: .. Q: ..".
    CEQPane(const zt::ge::SRect& rect, CParameterLinks& links, CTooltips& tooltips, zt::ge::IEQDisplay& display,
            zt::ge::CText& summary, int32_t engineRate);

    CEQBandPane* GetBand(int32_t band) const { return bands_[size_t(band)]; }
    // Redraws the curve and places the handles when a band parameter changed since the
    // last call (or always, with force).
    void Update(bool force);
    // Shows band's values in the summary strip.
    void ShowBand(int32_t band);

    // IEQDisplayCallback: handle drags become gestures on the band's parameters.
    void OnEQBegin(int32_t band) override;
    void OnEQEnd(int32_t band) override;
    void OnEQChange(const zt::ge::SEQDisplayEvent& event) override;

    void OnBeginEdit(zt::ge::IControl* control) override;
    void OnValueChanged(zt::ge::IControl* control) override;

    // The curve's y (0 bottom, 1 top) of a summed response in dB.
    static float CurveY(double db) { return float((db - kMinGain) / kGainRange); }
    // Resamples the display grid (in dB) onto count columns spread over the handles'
    // logarithmic axis.
    static void Resample(const float* grid, float* columns, int32_t count);

private:
    int32_t BandOf(const zt::ge::IControl* control) const;

    CParameterLinks& links_;
    zt::ge::IEQDisplay& display_;
    zt::ge::CText& summary_;
    int32_t rate_;
    std::array<CEQBandPane*, 6> bands_{};
    std::array<CIIR, 6> filters_;
    // The values the curve was drawn for: per band enable, gain, freq, Q, type; then the section.
    std::array<float, 6 * 5 + 1> drawn_{};
    bool drawnOnce_ = false;
    int32_t shownBand_ = 0;
};
