// The links between the editor's controls and the plug-in's parameters.
//
// A linked control shows its parameter's normalised value; what the user does with it
// goes to the plug-in object as an editor edit (begin, values, end), which tells the
// host. The other way round the links poll: on every tick each linked parameter's
// stored value (an atomic, whoever wrote it: the host, automation on the audio thread,
// a preset, the editor) is compared with what its controls show, and only a change
// reaches them, without notification. So nothing but the UI thread ever touches a
// control, and automation shows within one tick.
#pragma once

#include "gui/toolkit/EventReceiver.h"
#include "framework/de/ParameterInterfaces.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CQuillstripPlugIn;

namespace zt::ge {
class IControl;
class IText;
}  // namespace zt::ge

class CParameterLinks final : public zt::ge::CEventReceiver {
public:
    explicit CParameterLinks(CQuillstripPlugIn& plugIn);
    ~CParameterLinks() override;

    // control shows (set, number). With an order, the control is a list whose entry k
    // stands for the plain value order[k] (lists that sort their entries differently
    // from the parameter). Lists and switches get their steps from the parameter.
    void Link(zt::ge::IControl* control, int32_t set, int32_t number, std::vector<int32_t> order = {});
    // text shows label followed by the parameter's value text and unit.
    void LinkReadout(zt::ge::IText* text, const std::string& label, int32_t set, int32_t number);
    // Brings every control whose parameter changed (all with force) up to date.
    void Refresh(bool force);
    // The controls and read-outs go away (the window closes): forget them.
    void Clear();

    // The parameter's value as the editor shows it: number, then unit ("800 Hz",
    // "8 KHz", "-12.0 dB", list entries as they are).
    std::string ValueText(int32_t set, int32_t number) const;
    double ToNormalised(int32_t set, int32_t number, float plain) const;
    float FromNormalised(int32_t set, int32_t number, double normalised) const;
    float Plain(int32_t set, int32_t number) const;

    // Edits that come from elsewhere than a linked control (the EQ display's handles):
    // the same path to the plug-in, and every control of the parameter follows at once.
    void BeginEdit(int32_t set, int32_t number);
    void Edit(int32_t set, int32_t number, float plain);
    void EndEdit(int32_t set, int32_t number);

    // IEventReceiver: the user's edits.
    void OnValueChanged(zt::ge::IControl* control) override;
    void OnBeginEdit(zt::ge::IControl* control) override;
    void OnEndEdit(zt::ge::IControl* control) override;

    // Called after a user edit went to the plug-in (the editor updates its read-outs
    // and the EQ display at once instead of at the next tick).
    void SetEditListener(std::function<void(int32_t set, int32_t number)> listener);

private:
    struct SLink {
        zt::ge::IControl* control;
        zt::ge::IText* text;
        std::string label;
        int32_t set;
        int32_t number;
        std::vector<int32_t> order;
        bool indexed;  // the control's value is the entry number (multi-state buttons), not normalised
        float shown;  // the plain value the control shows; NaN before the first refresh
    };
    const zt::de::IConverter& ConverterOf(int32_t set, int32_t number) const;
    float ControlValue(const SLink& link, float plain) const;
    SLink* Find(zt::ge::IControl* control);
    void Edit(int32_t set, int32_t number, float plain, zt::ge::IControl* from);
    void Show(SLink& link, float plain);

    CQuillstripPlugIn& plugIn_;
    std::vector<SLink> links_;
    // One converter per parameter, [set][number].
    std::vector<std::vector<std::unique_ptr<zt::de::IConverter>>> converters_;
    std::function<void(int32_t, int32_t)> listener_;
};
