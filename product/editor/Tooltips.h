// The tooltip texts of the editor's controls, and the two preferences that switch
// them: one for the EQ display, one for every other control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zt::ge {
class IControl;
}

class CTooltips {
public:
    enum EGroup : int32_t { kControls = 0, kEqDisplay = 1 };

    // The text for a set-0 parameter's control; empty when there is none.
    static std::string ForParameter(int32_t number);

    // Remembers text for control and shows it while its group is switched on.
    void Add(zt::ge::IControl* control, const std::string& text, EGroup group = kControls);
    void AddForParameter(zt::ge::IControl* control, int32_t number);
    void SetEnabled(EGroup group, bool enabled);
    bool IsEnabled(EGroup group) const { return enabled_[group]; }
    void Clear() { entries_.clear(); }

private:
    struct SEntry {
        zt::ge::IControl* control;
        std::string text;
        EGroup group;
    };
    std::vector<SEntry> entries_;
    bool enabled_[2] = {true, true};
};
