// The product's editor: opens the skin and the toolkit window inside the host's window,
// builds the master pane with its section panes, and on every tick brings controls,
// meters and the analyser up to date. Everything runs on the host's UI thread; the audio
// thread only reaches the analyser feeds, through the plug-in's lock-free hand-over.
#pragma once

#include "product/editor/BasePane.h"
#include "product/editor/ParameterLinks.h"
#include "product/editor/Tooltips.h"
#include "product/plugin/QuillstripPlugIn.h"
#include "framework/dspe/AnalyserFeed.h"
#include "framework/ztpi/PlugInInterfaces.h"
#include "gui/toolkit/EventReceiver.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

class CMasterPane;
class CMeterFeed;
class CQuillstripPlugIn;
class CSettingsDialog;

namespace zt::ge {
class CContext;
class CDialog;
class CResourceManager;
class IBitmapResource;
class IFileDialog;
class IWindow;
}  // namespace zt::ge

class CQuillstripGUI final : public zt::ztpi::IGUI, public ISectionCommands, public zt::ge::CEventReceiver {
public:
    static constexpr int32_t kWidth = 780;
    static constexpr int32_t kHeight = 500;
    // The master menu's commands.
    enum ECommand : int32_t { kPreferences = 0, kManual = 1, kAbout = 3, kLoad = 4, kSave = 5, kSaveAs = 6 };
    // The background choice in the preference file.
    static constexpr const char* kBackgroundKey = "Background";

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

    // Builds the editor in a window made elsewhere (tests and tools: an offscreen
    // window); the window must outlive Detach, which undoes everything Attach did.
    bool Attach(zt::ge::IWindow& window);
    void Detach();

    // ISectionCommands
    void LoadSectionPreset(int32_t section) override;
    void ResetSection(int32_t section) override;
    // The master menu.
    void OnValueChanged(zt::ge::IControl* control) override;
    void OnClicked(zt::ge::IControl* control) override;
    void RunCommand(int32_t command);

    bool IsOpen() const { return window_ != nullptr; }
    zt::ge::IWindow* GetWindow() const { return window_; }
    CMasterPane* GetMasterPane() const { return master_; }
    CSettingsDialog* GetSettings() const { return settings_; }
    zt::ge::CDialog* GetAbout() const { return about_; }
    CParameterLinks& GetLinks() { return links_; }
    CTooltips& GetTooltips() { return tooltips_; }
    const std::string& GetBackgroundName() const { return background_; }
    // Chooses a background by name (a TGA in the backgrounds folder without ".tga", or
    // the built-in one); a file that cannot be drawn leaves the built-in background.
    // Returns whether the named background is the one shown.
    bool ChooseBackground(const std::string& name);
    // The framework path of the backgrounds folder.
    static std::string BackgroundFolder();

private:
    bool Build();
    void Tick();
    // The preferences that change how the editor looks and behaves.
    void ApplyPreferences(bool force);
    // (Re)builds the analyser feeds for the engine's rate and hands them to the plug-in.
    void AttachAnalysers();
    void ShowFileDialog(bool save, std::function<void(const std::string& frameworkPath)> done);

    CQuillstripPlugIn& plugIn_;
    CParameterLinks links_;
    CTooltips tooltips_;
    std::unique_ptr<zt::ge::CContext> context_;
    std::unique_ptr<zt::ge::CResourceManager> resources_;
    zt::ge::IWindow* window_ = nullptr;
    bool ownsWindow_ = false;
    CMasterPane* master_ = nullptr;  // in the window's tree
    CSettingsDialog* settings_ = nullptr;
    zt::ge::CDialog* about_ = nullptr;
    zt::ge::IControl* aboutClose_ = nullptr;
    std::unique_ptr<CMeterFeed> meters_;
    std::array<std::unique_ptr<zt::dspe::CAnalyserFeed>, zt::dspe::CAnalyserFeed::kSizeOptions> feeds_;
    CQuillstripPlugIn::AnalyserFeeds feedArray_{};
    int32_t feedRate_ = 0;
    std::unique_ptr<zt::ge::IFileDialog, void (*)(zt::ge::IFileDialog*)> fileDialog_;
    zt::ge::IBitmapResource* backgroundImage_ = nullptr;  // our reference to a loaded file
    std::string background_;
    std::array<float, 8> applied_{};  // the editor preferences last applied
    bool appliedOnce_ = false;
};

// The factory the bundle registers (zt::ztpi::SetGUIFactory): the editor of a
// Quillstrip plug-in object, null for any other.
zt::ztpi::IGUI* CreateQuillstripGUI(zt::ztpi::IPlugIn& plugIn);
