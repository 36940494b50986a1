// The settings overlay: the editor preferences (knob mode, meter mode, tooltips, eye
// candy, the hue, brightness and saturation of the display panels), bound to their
// parameters like any control, and the background chooser.
#pragma once

#include "gui/toolkit/Dialog.h"

#include <functional>
#include <string>
#include <vector>

class CParameterLinks;
namespace zt::ge {
class IDropDownListBox;
}

class CSettingsDialog final : public zt::ge::CDialog {
public:
    static constexpr int32_t kBackgroundListId = 132;
    static constexpr const char* kBuiltInBackground = "BackgroundSmall";

    // backgrounds: the names offered (the built-in one first); chosen: called with the
    // name the user picks.
    CSettingsDialog(CParameterLinks& links, const std::vector<std::string>& backgrounds, const std::string& current,
                    std::function<void(const std::string&)> chosen);

    void OnClicked(zt::ge::IControl* control) override;
    void OnValueChanged(zt::ge::IControl* control) override;

private:
    zt::ge::IControl* close_ = nullptr;
    zt::ge::IDropDownListBox* backgrounds_ = nullptr;
    std::function<void(const std::string&)> chosen_;
};
