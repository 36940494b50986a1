// A pane of the editor with the operations every pane uses to add controls on the skin
// and link them to parameters, and a read-out strip that shows the value of the
// control last touched in the pane ("Gate Threshold: -32.0 dB").
#pragma once

#include "gui/toolkit/Pane.h"

#include <cstdint>
#include <string>
#include <vector>

class CParameterLinks;
class CTooltips;

namespace zt::ge {
class CKnob;
class CMultiStateButton;
class CDropDownListBox;
class CText;
}  // namespace zt::ge

// What a pane's section preset buttons ask of the editor.
class ISectionCommands {
public:
    virtual void LoadSectionPreset(int32_t section) = 0;
    virtual void ResetSection(int32_t section) = 0;

protected:
    ~ISectionCommands() = default;
};

class CBasePane : public zt::ge::CPane {
public:
    CBasePane(const zt::ge::SRect& rect, CParameterLinks& links, CTooltips& tooltips);

    // A film-strip knob for (set 0) number, with a label under it.
    zt::ge::CKnob* AddKnob(const zt::ge::SRect& rect, int32_t id, int32_t number, int32_t bitmapId,
                           const char* label);
    // A switch or a choice of a few states, one bitmap frame per state, clicked round.
    zt::ge::CMultiStateButton* AddStates(const zt::ge::SRect& rect, int32_t id, int32_t number, int32_t states,
                                         int32_t bitmapId, int32_t set = 0);
    // A drop-down list of filter types in the editor's order (see FilterTypeNames).
    zt::ge::CDropDownListBox* AddFilterList(const zt::ge::SRect& rect, int32_t id, int32_t number, int32_t bitmapId);
    zt::ge::CText* AddLabel(const zt::ge::SRect& rect, const char* text, bool centred = true);
    // A read-out of (set 0) number in the pane's strip, shown while its control was the
    // last one touched (or when it is the first read-out of the pane).
    zt::ge::CText* AddReadout(int32_t id, const char* label, int32_t number, zt::ge::IControl* control);
    // The LOAD and RESET buttons of a section (the plug-in's section numbers), with
    // their tooltips; what of the section they name ("gate", "EQ", ...).
    void AddPresetButtons(zt::ge::SPoint at, int32_t section, const char* loadTip, const char* resetTip,
                          ISectionCommands& commands);
    // Where the strip lies in the pane; set before the first read-out.
    void SetReadoutStrip(const zt::ge::SRect& rect) { strip_ = rect; }
    // Shows the read-out of control (if it has one) in the strip.
    void ShowReadoutOf(const zt::ge::IControl* control);

    // The pane hears its controls: a touched control's read-out comes up.
    void OnBeginEdit(zt::ge::IControl* control) override { ShowReadoutOf(control); }
    void OnValueChanged(zt::ge::IControl* control) override { ShowReadoutOf(control); }
    void OnClicked(zt::ge::IControl* control) override;

    // The names in the order of the editor's filter lists and the parameter value each
    // stands for.
    static const std::vector<std::string>& FilterTypeNames();
    static const std::vector<int32_t>& FilterTypeOrder();

protected:
    CParameterLinks& links_;
    CTooltips& tooltips_;

private:
    struct SReadout {
        const zt::ge::IControl* control;
        zt::ge::CText* text;
    };
    zt::ge::SRect strip_{16, 184, 352, 18};
    std::vector<SReadout> readouts_;
    struct SPresetButtons {
        zt::ge::IControl* load;
        zt::ge::IControl* reset;
        int32_t section;
        ISectionCommands* commands;
    };
    std::vector<SPresetButtons> presetButtons_;
};
