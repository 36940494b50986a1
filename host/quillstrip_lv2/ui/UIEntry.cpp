// The UI library's one export: the LV2 UI descriptor of the Quillstrip Pro Small editor.
// Every other symbol stays hidden (see the version script).
#include "host/lv2/UIDescriptor.h"
#include "host/quillstrip_lv2/ProductIdentity.h"

#include "gui/toolkit/Window.h"
#include "product/editor/QuillstripGUI.h"

namespace {

uintptr_t WindowOf(zt::ztpi::IGUI& gui)
{
    auto* editor = dynamic_cast<CQuillstripGUI*>(&gui);
    return editor && editor->GetWindow() ? editor->GetWindow()->GetNativeHandle() : 0;
}

const zt::lv2::SUIInfo kUI
    = {qs::lv2::kUIUri, qs::lv2::kProduct.uri, &CreateQuillstripGUI, &WindowOf, qs::lv2::kProduct.moduleEntry};

}  // namespace

extern "C" {

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? zt::lv2::UIDescriptor(kUI) : nullptr;
}

}  // extern "C"
