#include "host/lv2/UI.h"

#include "host/lv2/Instance.h"
#include "host/lv2/Ports.h"

#include "lv2/instance-access/instance-access.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace zt::lv2 {

namespace {

const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f && *f; ++f)
        if (std::strcmp((*f)->URI, uri) == 0)
            return (*f)->data;
    return nullptr;
}

}  // namespace

CUI* CUI::Create(const SUIInfo& ui, LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                 const LV2_Feature* const* features)
{
    void* parent = const_cast<void*>(FindFeature(features, LV2_UI__parent));
    // The handle is the adapter's own instance: the plug-in library and this one come
    // from the same build, in the same bundle.
    auto* instance = static_cast<CInstance*>(const_cast<void*>(FindFeature(features, LV2_INSTANCE_ACCESS_URI)));
    if (!parent || !ui.factory || !widget)
        return nullptr;
    CUI* self = new (std::nothrow) CUI();
    if (!self)
        return nullptr;
    self->write_ = write;
    self->controller_ = controller;
    if (instance && instance->GetPlugIn()) {
        self->instance_ = instance;
        self->plugIn_ = instance->GetPlugIn();
    } else if (!self->MakeOwnPlugIn(ui)) {
        delete self;
        return nullptr;
    }
    self->gui_ = ui.factory(*self->plugIn_);
    if (!self->gui_ || !self->gui_->Open(parent)) {
        delete self;
        return nullptr;
    }
    *widget = reinterpret_cast<LV2UI_Widget>(ui.windowOf ? ui.windowOf(*self->gui_) : 0);
    if (const auto* resize = static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize))) {
        int32_t width = 0, height = 0;
        self->gui_->GetSize(&width, &height);
        resize->ui_resize(resize->handle, width, height);
    }
    self->lastTick_ = std::chrono::steady_clock::now();
    return self;
}

bool CUI::MakeOwnPlugIn(const SUIInfo& ui)
{
    int32_t version = 0;
    ownModule_ = ui.moduleEntry ? ui.moduleEntry(this, &version) : nullptr;
    plugIn_ = ownModule_ ? ownModule_->CreatePlugIn(0) : nullptr;
    if (!plugIn_)
        return false;
    plugIn_->Open();
    // Set up as the plug-in library's instance is; it never processes, and the rate (the
    // UI is not told the host's) only shapes what the editor draws near the top octave.
    plugIn_->SetChannelConfig(2, 2, 2);
    plugIn_->SetMaxBlockSize(CInstance::kDefaultMaxBlock);
    plugIn_->SetSampleRate(48000);
    plugIn_->Prepare();
    // Only edits from now on are the host's to hear: what setting up did is no edit.
    ownEdits_ = std::make_unique<std::atomic<bool>[]>(static_cast<size_t>(plugIn_->GetNumParameters()));
    ownCount_.store(plugIn_->GetNumParameters(), std::memory_order_release);
    return true;
}

CUI::~CUI()
{
    if (gui_)
        gui_->Destroy();  // closes it first: its window, connection and descriptor go with it
    if (!instance_) {
        if (plugIn_)
            plugIn_->Destroy();
        if (ownModule_)
            ownModule_->Destroy();
    }
}

void CUI::ParameterChanged(int32_t index)
{
    if (index >= 0 && index < ownCount_.load(std::memory_order_acquire))
        ownEdits_[static_cast<size_t>(index)].store(true, std::memory_order_release);
}

void CUI::GetHostName(char* text) { std::strcpy(text, "n/a"); }

void CUI::GetHostVendor(char* text) { std::strcpy(text, "n/a"); }

bool CUI::TakeEdit(int32_t index)
{
    if (instance_)
        return instance_->TakeEdit(index);
    return index >= 0 && index < ownCount_.load(std::memory_order_acquire)
        && ownEdits_[static_cast<size_t>(index)].exchange(false, std::memory_order_acq_rel);
}

bool CUI::PendingEdit(int32_t index) const
{
    if (instance_)
        return instance_->PendingEdit(index);
    return index >= 0 && index < ownCount_.load(std::memory_order_acquire)
        && ownEdits_[static_cast<size_t>(index)].load(std::memory_order_acquire);
}

void CUI::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (format != 0 || size != sizeof(float) || !buffer || port < kFirstControl)
        return;
    const auto index = static_cast<int32_t>(port - kFirstControl);
    if (index >= plugIn_->GetNumParameters())
        return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    // An edit of the editor's that the host has not heard of yet wins over the port's
    // older value; NaN is ignored and the range clamped, as the plug-in's port reading does.
    if (std::isnan(value) || PendingEdit(index))
        return;
    zt::ztpi::SAutomationInfo info;
    plugIn_->GetAutomationInfo(index, &info);
    value = std::clamp(value, info.minimum, info.maximum);
    // The plug-in applies the same value again when its next run reads the port: no jump.
    if (plugIn_->GetParameter(index) != value)
        plugIn_->SetParameter(index, value);
}

void CUI::WriteEdits()
{
    if (!write_)
        return;
    const int32_t count = plugIn_->GetNumParameters();
    for (int32_t i = 0; i < count; ++i) {
        if (!TakeEdit(i))
            continue;
        const float value = plugIn_->GetParameter(i);
        write_(controller_, ControlPort(i), sizeof value, 0, &value);
    }
}

int CUI::Idle()
{
    // Safe with nothing waiting: the window reads only what its connection holds.
    gui_->OnEventsReady();
    const auto now = std::chrono::steady_clock::now();
    if (now - lastTick_ >= std::chrono::milliseconds(zt::ztpi::IGUI::kTickIntervalMs)) {
        lastTick_ = now;
        // Work the audio thread left for this thread first, so the tick shows its result.
        plugIn_->Idle();
        gui_->Idle();
    }
    WriteEdits();
    return 0;
}

}  // namespace zt::lv2
