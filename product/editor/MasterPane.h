// The editor's master pane: the top panel with the EQ display, analyser and global
// controls, the faders and meters at the sides, the section switches and selector, and
// the section panes, one shown at a time.
#pragma once

#include "product/editor/BasePane.h"
#include "product/editor/MeterFeed.h"

#include <array>

class CEQPane;
class CFFT;
class CGatePane;
class CCompPane;
class CLimiterPane;
namespace zt::ge {
class CBitmap;
class CHBS;
class CText;
class IEQDisplay;
class IPopupMenu;
class IRadioButtons;
}  // namespace zt::ge

class CMasterPane final : public CBasePane {
public:
    static constexpr int32_t kWidth = 780;
    static constexpr int32_t kHeight = 500;
    // Control ids of the design's table.
    enum EId : int32_t {
        kBackgroundId = 15,
        kMenuId = 114,
        kInputGainId = 117,
        kOutputGainId = 121,
        kDelayId = 119,
        kPhaseId = 123,
        kOversampleId = 141,
        kRoutingButtonId = 112,
        kRoutingStateId = 113,
        kAnalyserSourceId = 124,
        kAnalyserSizeId = 142,
        kAnalyserFreezeId = 136,
        kSectionSelectorId = 200,
        kEqEnableId = 201,
    };
    // The sections in the selector's order.
    enum ESectionPane : int32_t { kGate = 0, kCompressor, kStereo, kSaturation, kLimiter, kNumSectionPanes };

    CMasterPane(CParameterLinks& links, CTooltips& tooltips, ISectionCommands& commands,
                zt::ge::IEventReceiver& menuReceiver, int32_t engineRate);

    void ShowSection(int32_t section);
    int32_t GetShownSection() const { return shown_; }
    zt::ge::IControl* GetSectionPane(int32_t section) const { return sections_[size_t(section)]; }
    CEQPane& GetEQPane() const { return *eq_; }
    zt::ge::IEQDisplay& GetEQDisplay() const { return *display_; }
    CFFT* GetAnalyser(int32_t sizeOption) const { return analysers_[size_t(sizeOption)]; }
    zt::ge::IPopupMenu& GetMenu() const { return *menu_; }
    const CMeterFeed::STargets& GetMeterTargets() const { return meters_; }
    const std::array<zt::ge::CHBS*, 4>& GetTints() const { return tints_; }
    // The two background bitmaps (the tall one and the editor's), for the chooser.
    zt::ge::CBitmap* GetBackground(int32_t which) const { return backgrounds_[size_t(which)]; }
    bool IsAnalyserFrozen() const;

    void OnValueChanged(zt::ge::IControl* control) override;

private:
    void BuildDisplay(zt::ge::IEventReceiver& menuReceiver, int32_t engineRate);
    void BuildSides();
    void BuildSections(ISectionCommands& commands);

    std::array<zt::ge::CBitmap*, 2> backgrounds_{};
    std::array<zt::ge::CHBS*, 4> tints_{};
    zt::ge::IEQDisplay* display_ = nullptr;
    std::array<CFFT*, 3> analysers_{};
    CEQPane* eq_ = nullptr;
    zt::ge::IPopupMenu* menu_ = nullptr;
    zt::ge::IRadioButtons* selector_ = nullptr;
    zt::ge::IControl* freeze_ = nullptr;
    std::array<zt::ge::IControl*, kNumSectionPanes> sections_{};
    CMeterFeed::STargets meters_;
    int32_t shown_ = kGate;
};
