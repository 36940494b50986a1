#include "host/lv2/UIDescriptor.h"

#include "host/lv2/UI.h"

#include <cstring>

namespace zt::lv2 {

namespace {

// The host only ever sees the first member; the product's editor rides along behind it.
struct SUIDescriptor {
    LV2UI_Descriptor lv2;
    const SUIInfo* ui;
};

CUI* UIOf(LV2UI_Handle handle) { return static_cast<CUI*>(handle); }

LV2UI_Handle Instantiate(const LV2UI_Descriptor* descriptor, const char* plugInUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features)
{
    const auto* own = reinterpret_cast<const SUIDescriptor*>(descriptor);
    // The instance a host shares is taken for the adapter's own: never for another plug-in.
    if (!plugInUri || std::strcmp(plugInUri, own->ui->plugInUri) != 0)
        return nullptr;
    return CUI::Create(*own->ui, write, controller, widget, features);
}

void Cleanup(LV2UI_Handle handle) { delete UIOf(handle); }

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    UIOf(handle)->PortEvent(port, size, format, buffer);
}

int Idle(LV2UI_Handle handle) { return UIOf(handle)->Idle(); }

const void* ExtensionData(const char* uri)
{
    static const LV2UI_Idle_Interface kIdle = {&Idle};
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &kIdle;
    return nullptr;
}

}  // namespace

const LV2UI_Descriptor* UIDescriptor(const SUIInfo& ui)
{
    // One editor per library.
    static const SUIDescriptor kDescriptor = {{ui.uri, &Instantiate, &Cleanup, &PortEvent, &ExtensionData}, &ui};
    return &kDescriptor.lv2;
}

}  // namespace zt::lv2
