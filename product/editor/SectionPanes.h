// The five section panes under the section selector: gate, compressor, stereo width,
// saturation and limiter. Each lays out its section's controls on its panel, links
// them, and offers the meters and lights the editor's tick feeds.
#pragma once

#include "product/editor/BasePane.h"

namespace zt::ge {
class CPeakMeter;
class CTimedBitmap;
}  // namespace zt::ge

// A section pane's size; the panel bitmaps are drawn for it.
constexpr int32_t kSectionPaneWidth = 384;
constexpr int32_t kSectionPaneHeight = 210;

class CGatePane final : public CBasePane {
public:
    CGatePane(const zt::ge::SRect& rect, CParameterLinks& links, CTooltips& tooltips, ISectionCommands& commands);
    zt::ge::CPeakMeter* levelMeter = nullptr;
    zt::ge::CPeakMeter* reductionMeter = nullptr;
};

class CCompPane final : public CBasePane {
public:
    CCompPane(const zt::ge::SRect& rect, CParameterLinks& links, CTooltips& tooltips, ISectionCommands& commands);
    zt::ge::CPeakMeter* levelMeter = nullptr;
    zt::ge::CPeakMeter* reductionMeter = nullptr;
};

class CStereoPane final : public CBasePane {
public:
    CStereoPane(const zt::ge::SRect& rect, CParameterLinks& links, CTooltips& tooltips, ISectionCommands& commands);
};

class CSaturationPane final : public CBasePane {
public:
    CSaturationPane(const zt::ge::SRect& rect, CParameterLinks& links, CTooltips& tooltips,
                    ISectionCommands& commands);
};

class CLimiterPane final : public CBasePane {
public:
    CLimiterPane(const zt::ge::SRect& rect, CParameterLinks& links, CTooltips& tooltips, ISectionCommands& commands);
    zt::ge::CPeakMeter* reductionMeter = nullptr;
    zt::ge::CTimedBitmap* activityLight = nullptr;
};
