#include "host/vst3/EditorView.h"

#include "host/vst3/Effect.h"

#include <cstring>
#include <utility>
#include <vector>

using namespace Steinberg;

namespace zt::vst3 {

AGainEditorView::AGainEditorView(zt::ztpi::IPlugIn& plugIn, std::string hostName, CEffect* processor)
    : plugIn_(&plugIn), processor_(processor), gui_(plugIn.CreateGUI()), hostName_(std::move(hostName))
{
    if (processor_)
        processor_->SetEditorView(this);
}

AGainEditorView::~AGainEditorView()
{
    // A host that releases the view without removing it first still gets every
    // handler back and the window closed.
    Detach();
    RetireGUI();
    for (zt::ztpi::IGUI* gui : retired_)
        gui->Destroy();
    if (processor_)
        processor_->SetEditorView(nullptr);
}

void AGainEditorView::ForgetPlugIn()
{
    addRef();  // the run loop may hold the last other references to us
    Detach();
    RetireGUI();
    plugIn_ = nullptr;
    processor_ = nullptr;
    release();
}

tresult PLUGIN_API AGainEditorView::isPlatformTypeSupported(FIDString type)
{
    return type && std::strcmp(type, kPlatformType) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API AGainEditorView::attached(void* parent, FIDString type)
{
    if (!parent)
        return kInvalidArgument;
    if (attached_ || !gui_ || isPlatformTypeSupported(type) != kResultTrue)
        return kResultFalse;
    // Without the host's loop nothing would ever paint or hear the mouse: refuse
    // before anything is opened.
    Linux::IRunLoop* loop = nullptr;
    if (!frame_ || frame_->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&loop)) != kResultOk || !loop)
        return kResultFalse;
    // The GUI traps the X errors of a window id that names no window and refuses.
    if (!gui_->Open(parent)) {
        loop->release();
        return kResultFalse;
    }
    runLoop_ = loop;
    attached_ = true;

    bool watching = true;
    if (const int fd = gui_->GetEventFileDescriptor(); fd >= 0) {
        watching = runLoop_->registerEventHandler(this, fd) == kResultOk;
        if (watching)
            watchedFd_ = fd;
    }
    if (watching) {
        timerOn_ = runLoop_->registerTimer(this, zt::ztpi::IGUI::kTickIntervalMs) == kResultOk;
        watching = timerOn_;
    }
    if (!watching) {
        addRef();
        Detach();
        release();
        return kResultFalse;
    }

    gui_->Redraw();
    // That host shows the first paint late; a second request makes it appear.
    if (hostName_ == kPreSonusHostName)
        gui_->Redraw();
    return kResultOk;
}

tresult PLUGIN_API AGainEditorView::removed()
{
    if (!attached_)
        return kResultFalse;
    addRef();
    Detach();
    // A fresh closed GUI, so that the host can attach the view again.
    if (gui_) {
        RetireGUI();
        gui_ = plugIn_ ? plugIn_->CreateGUI() : nullptr;
    }
    release();
    return kResultOk;
}

void AGainEditorView::StopWatchingDescriptor()
{
    if (watchedFd_ < 0)
        return;
    watchedFd_ = -1;
    runLoop_->unregisterEventHandler(this);
}

void AGainEditorView::Detach()
{
    StopWatchingDescriptor();
    if (timerOn_) {
        timerOn_ = false;
        runLoop_->unregisterTimer(this);
    }
    if (runLoop_) {
        runLoop_->release();
        runLoop_ = nullptr;
    }
    // After the loop lets go of the descriptor: closing the GUI closes it. From
    // inside the GUI's own call the window must not go yet; RetireGUI or the end
    // of that call closes it.
    if (gui_ && dispatching_ == 0)
        gui_->Close();
    attached_ = false;
}

void AGainEditorView::RetireGUI()
{
    if (gui_ && dispatching_ > 0)
        retired_.push_back(gui_);
    else if (gui_)
        gui_->Destroy();
    gui_ = nullptr;
}

void AGainEditorView::EndDispatch()
{
    if (--dispatching_ > 0)
        return;
    std::vector<zt::ztpi::IGUI*> retired;
    retired.swap(retired_);
    for (zt::ztpi::IGUI* gui : retired)
        gui->Destroy();
    // Removed from inside the call and kept (attached failed or the host asked
    // twice): closed now that the call is over.
    if (gui_ && !attached_)
        gui_->Close();
}

tresult PLUGIN_API AGainEditorView::getSize(ViewRect* size)
{
    if (!size)
        return kInvalidArgument;
    if (!gui_)
        return kResultFalse;
    int32_t width = 0, height = 0;
    gui_->GetSize(&width, &height);
    *size = ViewRect(0, 0, width, height);
    return kResultOk;
}

tresult PLUGIN_API AGainEditorView::setFrame(IPlugFrame* frame)
{
    // Hosts set the frame before attached and may clear it after removed; the
    // run loop we watch with is the one taken at attached.
    frame_ = frame;
    return kResultOk;
}

// Both callbacks hold a reference and count themselves: a host may remove or
// release the view from inside them (answering an edit the editor reported).
void PLUGIN_API AGainEditorView::onFDIsSet(Linux::FileDescriptor fd)
{
    if (!attached_ || !gui_ || fd != watchedFd_)
        return;
    addRef();
    ++dispatching_;
    gui_->OnEventsReady();
    EndDispatch();
    release();
}

void PLUGIN_API AGainEditorView::onTimer()
{
    if (!attached_ || !gui_)
        return;
    addRef();
    ++dispatching_;
    // Work the audio thread left for this thread first, so the tick shows its result.
    if (plugIn_)
        plugIn_->Idle();
    if (attached_ && gui_)
        gui_->Idle();
    EndDispatch();
    // A GUI that lost its descriptor (its display went away) is no longer watched,
    // or the loop would wake for it forever.
    if (attached_ && gui_ && watchedFd_ >= 0 && gui_->GetEventFileDescriptor() != watchedFd_)
        StopWatchingDescriptor();
    release();
}

tresult PLUGIN_API AGainEditorView::queryInterface(const TUID iid, void** object)
{
    QUERY_INTERFACE(iid, object, FUnknown::iid, IPlugView)
    QUERY_INTERFACE(iid, object, IPlugView::iid, IPlugView)
    QUERY_INTERFACE(iid, object, Linux::IEventHandler::iid, Linux::IEventHandler)
    QUERY_INTERFACE(iid, object, Linux::ITimerHandler::iid, Linux::ITimerHandler)
    *object = nullptr;
    return kNoInterface;
}

uint32 PLUGIN_API AGainEditorView::addRef() { return ++references_; }

uint32 PLUGIN_API AGainEditorView::release()
{
    const uint32 left = --references_;
    if (left == 0)
        delete this;
    return left;
}

}  // namespace zt::vst3
