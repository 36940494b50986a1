#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gui/toolkit/Dialog.h"
#include "gui/toolkit/EventReceiver.h"
#include "gui/toolkit/FileDialog.h"
#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {
class CKnob;
class CPeakMeter;
class CText;
class CTimedBitmap;
class IDropDownListBox;
class IPopupMenu;
class IRadioButtons;
}  // namespace zt::ge

namespace gallery {

// Every standard control of the toolkit on the generated skin, laid out
// like an editor and bound to dummy values: read-outs follow the knobs,
// meters move on the tick, the menu opens the settings and about overlays
// and the desktop's file dialogs.
class CGallery : public zt::ge::CEventReceiver {
public:
    explicit CGallery(zt::ge::IWindow& window);
    ~CGallery() override;

    // Called on every tick; moves the meters and lights.
    void Tick(uint32_t nowMs);
    // Fixed meter readings and lights, for pictures.
    void Freeze();

    void OpenSettings();
    void OpenAbout();
    void OpenTypeList();
    void OpenMenu();

    void OnValueChanged(zt::ge::IControl* control) override;
    void OnClicked(zt::ge::IControl* control) override;

private:
    void Build();
    void BuildDisplay(zt::ge::IPane& root);
    void BuildSection(zt::ge::IPane& root);
    void BuildSides(zt::ge::IPane& root);
    void BuildOverlays();
    zt::ge::CText* Label(zt::ge::IPane& pane, const zt::ge::SRect& rect, const char* text, int fontId, int align);
    void Describe(zt::ge::IControl* control);

    zt::ge::IWindow& window_;
    std::unique_ptr<zt::ge::CResourceManager> resources_;
    zt::ge::CDialog* settings_ = nullptr;
    zt::ge::CDialog* about_ = nullptr;
    zt::ge::IPopupMenu* menu_ = nullptr;
    zt::ge::IDropDownListBox* typeList_ = nullptr;
    zt::ge::IRadioButtons* sections_ = nullptr;
    zt::ge::CText* readout_ = nullptr;
    zt::ge::CText* paneReadout_ = nullptr;
    std::vector<zt::ge::CPeakMeter*> meters_;
    std::vector<zt::ge::CTimedBitmap*> lights_;
    std::unique_ptr<zt::ge::IFileDialog, void (*)(zt::ge::IFileDialog*)> fileDialog_;
    uint32_t started_ = 0;
};

}  // namespace gallery
