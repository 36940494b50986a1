// The editor view a host embeds: opens the plug-in's GUI inside the host's window
// and drives it from the host's run loop. On Linux the GUI owns no thread and no
// loop, so while it is open the view watches the GUI's descriptor and ticks it
// every IGUI::kTickIntervalMs through the Linux::IRunLoop the host's frame offers.
#pragma once

#include "framework/ztpi/PlugInInterfaces.h"

#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <string>
#include <vector>

namespace zt::vst3 {

class CEffect;

// The view is its own run-loop handler (one object, one reference count), so a
// host that holds the handlers holds the view.
class AGainEditorView final : public Steinberg::IPlugView,
                              public Steinberg::Linux::IEventHandler,
                              public Steinberg::Linux::ITimerHandler {
public:
    // The name a host asks createView for, the one window type we embed in, and
    // the one host whose first paint needs a second redraw.
    static constexpr const char* kEditorName = "editor";
    static constexpr const char* kPlatformType = "X11EmbedWindowID";
    static constexpr const char* kPreSonusHostName = "PreSonus VST3 Host";

    // A closed view of plugIn's editor. processor, when given, owns plugIn and is
    // told of the view, so that it can take the GUI away before plugIn goes.
    // Reference count 1.
    AGainEditorView(zt::ztpi::IPlugIn& plugIn, std::string hostName, CEffect* processor);

    // False when the plug-in made no GUI (no editor registered): such a view is useless.
    bool HasGUI() const { return gui_ != nullptr; }
    // The processor is destroying plugIn: closes the editor and lets go of both.
    void ForgetPlugIn();

    // IPlugView
    Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API removed() SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API onWheel(float) SMTG_OVERRIDE { return Steinberg::kResultOk; }
    // Keys reach the editor through its own window.
    Steinberg::tresult PLUGIN_API onKeyDown(Steinberg::char16, Steinberg::int16, Steinberg::int16) SMTG_OVERRIDE
    {
        return Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API onKeyUp(Steinberg::char16, Steinberg::int16, Steinberg::int16) SMTG_OVERRIDE
    {
        return Steinberg::kResultFalse;
    }
    Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect*) SMTG_OVERRIDE { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API onFocus(Steinberg::TBool) SMTG_OVERRIDE { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API setFrame(Steinberg::IPlugFrame* frame) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API canResize() SMTG_OVERRIDE { return Steinberg::kResultFalse; }
    Steinberg::tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect*) SMTG_OVERRIDE
    {
        return Steinberg::kResultOk;
    }

    // Linux::IEventHandler: the GUI's descriptor is readable.
    void PLUGIN_API onFDIsSet(Steinberg::Linux::FileDescriptor fd) SMTG_OVERRIDE;
    // Linux::ITimerHandler: the editor's tick.
    void PLUGIN_API onTimer() SMTG_OVERRIDE;

    // FUnknown
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** object) SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API addRef() SMTG_OVERRIDE;
    Steinberg::uint32 PLUGIN_API release() SMTG_OVERRIDE;

private:
    ~AGainEditorView();
    AGainEditorView(const AGainEditorView&) = delete;
    AGainEditorView& operator=(const AGainEditorView&) = delete;

    // Stops watching the descriptor and the tick, and closes the GUI.
    void Detach();
    void StopWatchingDescriptor();
    // Lets go of the GUI: destroyed now, or when the GUI's call that we are inside returns.
    void RetireGUI();
    void EndDispatch();

    std::atomic<Steinberg::uint32> references_{1};
    zt::ztpi::IPlugIn* plugIn_;
    CEffect* processor_;
    zt::ztpi::IGUI* gui_ = nullptr;
    std::string hostName_;

    Steinberg::IPlugFrame* frame_ = nullptr;         // the host's, not counted (as the SDK's views do)
    Steinberg::Linux::IRunLoop* runLoop_ = nullptr;  // counted while attached
    bool attached_ = false;
    int watchedFd_ = -1;  // registered with runLoop_, -1 when not
    bool timerOn_ = false;
    int dispatching_ = 0;  // depth of the GUI's calls we are inside
    std::vector<zt::ztpi::IGUI*>
        retired_;  // GUIs to destroy when those calls return  // our timer is registered with runLoop_
};

}  // namespace zt::vst3
