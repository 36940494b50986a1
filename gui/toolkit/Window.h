#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/Interface.h"
#include "foundation/Mutex.h"
#include "gui/toolkit/Context.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/native/RunLoopClient.h"
#include "gui/native/Events.h"
#include "gui/native/Geometry.h"
#include "gui/toolkit/Invalidater.h"
#include "gui/native/NativeWindow.h"
#include "gui/toolkit/PerfMon.h"
#include "gui/toolkit/Tooltip.h"

namespace zt::ge {

class IControl;
class IDesktop;
class IPane;
class IResourceManager;  // the resources part of the toolkit defines it
class ITextRenderer;

// Something the window polls on its tick while input waits for it.
class IModalTask {
public:
    // True when the task is over; the window then forgets it.
    virtual bool PollModalTask() = 0;
    // The window is going away before the task ended.
    virtual void OnModalWindowGone() = 0;

protected:
    ~IModalTask() = default;
};

struct SWindowOptions {
    bool fineKeyIsShift = false;  // fine adjustment with Shift; otherwise with Control
    bool controlClickResets = false;
    bool altClickResets = false;
    bool doubleClickResets = true;
    bool wheelInput = true;
    bool keyboardInput = true;  // take the keyboard focus on a click and hear keys
    bool resizable = false;     // the root pane follows size changes made by the host
    int32_t knobMode = 0;       // how knobs follow a drag: 1 circular, anything else linear
};

// The editor window as controls and the product see it. It draws the whole
// editor into one pixel buffer and shows it with one image put per paint.
//
// It owns no thread and no loop. Whoever embeds it (the editor view, through
// the host's run loop; a tool, through a small poll loop) calls OnEventsReady
// when GetEventFileDescriptor() is readable and OnTimerTick every
// kTickIntervalMs, both on the window's thread. Never destroy the window
// from inside either call.
class IWindow : public virtual IDestructable, public virtual IRunLoopClient {
public:
    // OnEventsReady handles waiting events, then paints if due; OnTimerTick
    // ticks the pane tree, then does as OnEventsReady.
    virtual uintptr_t GetNativeHandle() const = 0;
    // False once the display connection is lost: the window stays harmless but
    // draws nothing, and its embedder should stop watching the descriptor
    // (from the next tick, not from inside a callback).
    virtual bool IsConnected() const = 0;

    virtual IPane* GetRootPane() const = 0;  // sized to the window; owned by it
    virtual IInvalidater* GetInvalidater() = 0;
    virtual SSize GetClientSize() const = 0;
    virtual const SWindowOptions& GetOptions() const = 0;
    virtual void SetOptions(const SWindowOptions& options) = 0;
    virtual void Show() = 0;
    // Draws the whole window and shows it, when the area to update (exposed or
    // invalidated) is not empty. Normally called by OnEventsReady.
    virtual void Paint() = 0;

    // Mouse capture: every mouse event goes to the control until released.
    virtual void CaptureMouse(IControl* control) = 0;
    virtual void ReleaseMouse(IControl* control) = 0;
    virtual IControl* GetCapture() const = 0;
    // Nesting pairs: the cursor shows again after as many ShowCursor as HideCursor.
    virtual void HideCursor() = 0;
    virtual void ShowCursor() = 0;
    virtual void SetCursorPosition(SPoint point) = 0;  // window coordinates
    virtual void SetCursorShape(int32_t shape) = 0;    // ECursor; others show no cursor
    virtual int32_t GetCursorShape() const = 0;
    virtual bool IsShiftDown() = 0;
    virtual bool IsControlDown() = 0;
    virtual bool IsAltDown() = 0;
    virtual bool IsFineKeyDown() = 0;              // Shift or Control, by the options
    virtual SPoint GetMousePosition() const = 0;   // where the last mouse event was
    virtual uint32_t GetMouseButtons() const = 0;  // EMouseButtonFlag bits
    virtual uint32_t GetTimeMs() = 0;
    // Asks for the current mouse event to be dispatched once more after this
    // round, because the handler changed what lies under the pointer.
    virtual void RequestRedispatch() = 0;

    virtual void ShowTooltip(IControl* owner, const char* text, SPoint anchor) = 0;
    virtual void HideTooltip(IControl* owner) = 0;                     // only if owner's tooltip is showing
    virtual void SetTooltipTextRenderer(ITextRenderer* renderer) = 0;  // not owned

    // Overlays (an open list, a dialog) are drawn over the pane tree and see
    // mouse, wheel and keys before it, the last added first. Not owned.
    virtual void AddOverlay(IControl* overlay) = 0;
    virtual void RemoveOverlay(IControl* overlay) = 0;
    // Keys go to this control alone while it is set; otherwise down the tree.
    virtual void SetKeyFocus(IControl* control) = 0;
    // A control going away: drops every reference the window holds to it.
    virtual void ForgetControl(IControl* control) = 0;

    virtual void ShowMessage(const char* text, const char* caption) = 0;
    virtual std::string GetModuleFolder() const = 0;

    // A popup window for menus (see INativePopup); null when there is none.
    virtual INativePopup* CreatePopup(INativePopupListener* listener) = 0;
    virtual uintptr_t GetTopLevelHandle() = 0;
    // The desktop's services: other programs' dialogs, opening addresses.
    virtual IDesktop* GetDesktop() const = 0;
    virtual void SetDesktop(IDesktop* desktop) = 0;  // not owned; null restores the system's
    // A task that runs beside the editor (a file dialog of another program):
    // while any runs, mouse, wheel and key input are refused, and every tick
    // polls it until it reports that it is done. Not owned; a task that goes
    // away early calls EndModalTask itself.
    virtual void BeginModalTask(IModalTask* task) = 0;
    virtual void EndModalTask(IModalTask* task) = 0;
    virtual bool IsModal() const = 0;
    virtual void SetResourceManager(IResourceManager* manager) = 0;  // not owned
    virtual IResourceManager* GetResourceManager() const = 0;
};

// The platform-neutral window. The platform's part comes in as an
// INativeWindow; the offscreen window uses one that lives in memory.
class CWindow : public virtual IWindow, public INativeWindowListener, public CSetContext {
public:
    static constexpr SSize kDefaultSize{640, 480};  // for callers that give no size
    static constexpr int kMaxDispatchRounds = 4;    // bounds handlers that keep asking for another round

    CWindow(std::unique_ptr<INativeWindow> native, IContext* context, const SWindowOptions& options);
    ~CWindow() override;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    // Opens the platform window; a size without width or height gets kDefaultSize.
    bool Open(uintptr_t parent, const SRect& rect);

    void Destroy() override;
    int GetEventFileDescriptor() const override;
    void OnEventsReady() override;
    void OnTimerTick() override;
    uintptr_t GetNativeHandle() const override;
    bool IsConnected() const override;

    IPane* GetRootPane() const override;
    IInvalidater* GetInvalidater() override;
    SSize GetClientSize() const override;
    const SWindowOptions& GetOptions() const override;
    void SetOptions(const SWindowOptions& options) override;
    void Show() override;
    void Paint() override;

    void CaptureMouse(IControl* control) override;
    void ReleaseMouse(IControl* control) override;
    IControl* GetCapture() const override;
    void HideCursor() override;
    void ShowCursor() override;
    void SetCursorPosition(SPoint point) override;
    void SetCursorShape(int32_t shape) override;
    int32_t GetCursorShape() const override;
    bool IsShiftDown() override;
    bool IsControlDown() override;
    bool IsAltDown() override;
    bool IsFineKeyDown() override;
    SPoint GetMousePosition() const override;
    uint32_t GetMouseButtons() const override;
    uint32_t GetTimeMs() override;
    void RequestRedispatch() override;

    void ShowTooltip(IControl* owner, const char* text, SPoint anchor) override;
    void HideTooltip(IControl* owner) override;
    void SetTooltipTextRenderer(ITextRenderer* renderer) override;
    void AddOverlay(IControl* overlay) override;
    void RemoveOverlay(IControl* overlay) override;
    void SetKeyFocus(IControl* control) override;
    void ForgetControl(IControl* control) override;

    void ShowMessage(const char* text, const char* caption) override;
    std::string GetModuleFolder() const override;
    INativePopup* CreatePopup(INativePopupListener* listener) override;
    uintptr_t GetTopLevelHandle() override;
    IDesktop* GetDesktop() const override;
    void SetDesktop(IDesktop* desktop) override;
    void BeginModalTask(IModalTask* task) override;
    void EndModalTask(IModalTask* task) override;
    bool IsModal() const override;
    void SetResourceManager(IResourceManager* manager) override;
    IResourceManager* GetResourceManager() const override;

    // What the platform reports (public so the offscreen window can be driven
    // exactly like a real one).
    bool OnMouse(EMouseEvent event, SPoint point) override;
    bool OnWheel(SPoint point, float notches) override;
    bool OnKey(int32_t keyCode) override;
    void OnFocusLost() override;
    void OnPointerLeft() override;
    void OnExpose(const SRect& area) override;
    void OnResize(SSize size) override;

    const CTooltip& GetTooltip() const { return tooltip_; }
    const CPerfMon& GetDrawPerfMon() const { return drawPerf_; }
    const CPerfMon& GetMousePerfMon() const { return mousePerf_; }
    CDrawPrimitives& GetDrawPrimitives() { return drawContext_.GetDrawPrimitives(); }

protected:
    INativeWindow& GetNative() { return *native_; }
    const INativeWindow& GetNative() const { return *native_; }

private:
    // Runs after every reported event: what controls invalidated becomes part
    // of the next paint.
    void AfterMessage();
    void PaintIfDue();
    bool DispatchMouseOnce(EMouseEvent event, SPoint point);
    // Offers an input to the overlays (topmost first), then to the root pane.
    template <class F>
    bool OfferToTree(F&& offer);

    std::unique_ptr<INativeWindow> native_;
    SWindowOptions options_;
    CMutex lock_;  // the pane tree, while a tick, an input or a paint runs through it
    CInvalidater invalidater_;
    CDrawContext drawContext_;
    IPane* root_ = nullptr;
    SRect update_;  // exposed or invalidated, waiting for the next paint

    IControl* capture_ = nullptr;
    IControl* keyFocus_ = nullptr;
    std::vector<IControl*> overlays_;
    CTooltip tooltip_;
    ITextRenderer* textRenderer_ = nullptr;
    IResourceManager* resources_ = nullptr;
    IDesktop* desktop_ = nullptr;  // null: the system's
    std::vector<IModalTask*> modalTasks_;

    SPoint mousePosition_{-1, -1};
    uint32_t mouseButtons_ = 0;
    int32_t cursorShape_ = kCursorArrow;
    int32_t cursorHideCount_ = 0;
    bool redispatch_ = false;

    CPerfMon drawPerf_{"Draw"};
    CPerfMon mousePerf_{"Mouse"};
};

// Opens an editor window inside parent (the host's window id; 0 for a
// top-level window, for tools). Null when the display or the parent is not
// usable; nothing is left behind then.
IWindow* CreateWindow(IContext* context, uintptr_t parent, const SRect& rect, const SWindowOptions& options = {});

}  // namespace zt::ge
