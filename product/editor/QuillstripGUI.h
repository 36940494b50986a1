// The product's editor: opens the skin and the toolkit window inside the host's
// window and keeps the controls in step with the plug-in object.
#pragma once

#include "framework/ztpi/PlugInInterfaces.h"

#include <memory>

class CQuillstripPlugIn;

namespace zt::ge {
class CContext;
class CResourceManager;
class IWindow;
}  // namespace zt::ge

class CQuillstripGUI final : public zt::ztpi::IGUI {
public:
    static constexpr int32_t kWidth = 780;
    static constexpr int32_t kHeight = 500;

    explicit CQuillstripGUI(CQuillstripPlugIn& plugIn);
    ~CQuillstripGUI() override;

    void Destroy() override { delete this; }
    void GetSize(int32_t* width, int32_t* height) override;
    bool Open(void* parentWindow) override;
    void Redraw() override;
    void Idle() override;
    void Close() override;
    int GetEventFileDescriptor() override;
    void OnEventsReady() override;

    bool IsOpen() const { return window_ != nullptr; }
    zt::ge::IWindow* GetWindow() const { return window_; }

private:
    CQuillstripPlugIn& plugIn_;
    std::unique_ptr<zt::ge::CContext> context_;
    std::unique_ptr<zt::ge::CResourceManager> resources_;
    zt::ge::IWindow* window_ = nullptr;
};

// The factory the bundle registers (zt::ztpi::SetGUIFactory): the editor of a
// Quillstrip plug-in object, null for any other.
zt::ztpi::IGUI* CreateQuillstripGUI(zt::ztpi::IPlugIn& plugIn);
