// One open LV2 UI: the product's editor inside the host's window, on the plug-in object
// the host shares through instance access. Edits reach the plug-in object directly and
// the host through its port writes; port changes the host sends are set on the object as
// the plug-in's own port reading sets them. A host that shares no instance gets the
// editor on a plug-in object of the UI's own that only mirrors the ports: the controls
// work, the meters and the analyser see no audio. Everything runs on the host's UI thread.
#pragma once

#include "host/lv2/UIInfo.h"

#include "framework/ztpi/PlugInInterfaces.h"

#include "lv2/ui/ui.h"

#include <chrono>
#include <atomic>
#include <cstdint>
#include <memory>

namespace zt::lv2 {

class CInstance;

class CUI final : public zt::ztpi::IHost {
public:
    // Null when the host gives no parent window or no instance, or the editor cannot
    // open in it; widget receives the editor's window.
    static CUI* Create(const SUIInfo& ui, LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                       const LV2_Feature* const* features);
    ~CUI() override;

    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // The host's idle call, at whatever rate it runs: handles waiting window events,
    // ticks the editor every kTickIntervalMs and tells the host of the editor's edits.
    int Idle();

    // zt::ztpi::IHost, for the UI's own plug-in object: its edits go to the ports.
    void BeginEdit(int32_t) override {}
    void ParameterChanged(int32_t index) override;
    void EndEdit(int32_t) override {}
    void GetHostName(char* text) override;
    void GetHostVendor(char* text) override;
    void LatencyChanged() override {}

private:
    CUI() = default;
    bool MakeOwnPlugIn(const SUIInfo& ui);
    bool TakeEdit(int32_t index);
    bool PendingEdit(int32_t index) const;
    void WriteEdits();

    CInstance* instance_ = nullptr;  // null when the plug-in object is the UI's own
    zt::ztpi::IModule* ownModule_ = nullptr;
    // One per parameter; the plug-in object reports some edits from a thread of its own.
    std::unique_ptr<std::atomic<bool>[]> ownEdits_;
    std::atomic<int32_t> ownCount_{0};  // set once the flags exist
    zt::ztpi::IPlugIn* plugIn_ = nullptr;
    zt::ztpi::IGUI* gui_ = nullptr;
    LV2UI_Write_Function write_ = nullptr;
    LV2UI_Controller controller_ = nullptr;
    std::chrono::steady_clock::time_point lastTick_{};
};

}  // namespace zt::lv2
