#include "gui/toolkit/Window.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <utility>

#include "foundation/Exception.h"
#include "gui/native/Desktop.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/SevereError.h"

namespace zt::ge {

CWindow::CWindow(std::unique_ptr<INativeWindow> native, IContext* context, const SWindowOptions& options)
    : native_(std::move(native)), options_(options), drawContext_(native_->GetSurface())
{
    SetContext(context);
    auto* root = new CPane();
    root->SetWindow(this);
    root_ = root;
}

CWindow::~CWindow()
{
    for (IModalTask* task : std::vector<IModalTask*>(modalTasks_))
        task->OnModalWindowGone();
    modalTasks_.clear();
    if (capture_)
        ReleaseMouse(capture_);
    root_->Destroy();  // while the window still answers the controls going away
    root_ = nullptr;
}

bool CWindow::Open(uintptr_t parent, const SRect& rect)
{
    SRect r = rect;
    if (r.IsEmpty())
        r.size = kDefaultSize;
    if (!native_->Open(this, parent, r))
        return false;
    native_->SetTakeFocusOnClick(options_.keyboardInput);
    const SSize client = native_->GetClientSize();
    root_->SetSize(client);
    update_ = SRect({0, 0}, client);
    return true;
}

void CWindow::Destroy() { delete this; }
int CWindow::GetEventFileDescriptor() const { return native_->GetFileDescriptor(); }
uintptr_t CWindow::GetNativeHandle() const { return native_->GetNativeHandle(); }
bool CWindow::IsConnected() const { return native_->IsConnected(); }
IPane* CWindow::GetRootPane() const { return root_; }
IInvalidater* CWindow::GetInvalidater() { return &invalidater_; }
SSize CWindow::GetClientSize() const { return native_->GetClientSize(); }
const SWindowOptions& CWindow::GetOptions() const { return options_; }

void CWindow::SetOptions(const SWindowOptions& options)
{
    options_ = options;
    native_->SetTakeFocusOnClick(options.keyboardInput);
}

void CWindow::Show() { native_->Show(); }

void CWindow::OnEventsReady()
{
    // Painting talks to the display and may leave fresh events in the client's
    // queue, which never wake the descriptor; so look again, a few times at most.
    for (int round = 0; round < kMaxDispatchRounds; ++round) {
        native_->DispatchEvents();
        PaintIfDue();
        if (!native_->HasPendingEvents())
            break;
    }
}

void CWindow::OnTimerTick()
{
    RunGuarded([this] {
        GetDesktop()->Poll();
        // A task may end itself (and leave the list) while it is polled.
        for (IModalTask* task : std::vector<IModalTask*>(modalTasks_))
            if (std::find(modalTasks_.begin(), modalTasks_.end(), task) != modalTasks_.end() && task->PollModalTask())
                EndModalTask(task);
        CAutoLock lock(lock_);
        root_->Tick();
        for (std::size_t i = 0; i < overlays_.size(); ++i)
            overlays_[i]->Tick();
    });
    AfterMessage();
    OnEventsReady();
}

void CWindow::AfterMessage()
{
    if (invalidater_.HasDirtyArea())
        update_ = Union(update_, invalidater_.GetBoundingRect());
}

void CWindow::PaintIfDue()
{
    AfterMessage();
    if (!update_.IsEmpty())
        Paint();
}

void CWindow::Paint()
{
    RunGuarded([this] {
        CPerfMon::CScope timing(drawPerf_);
        const SSize client = native_->GetClientSize();
        IDC& dc = native_->GetSurface();
        if (!dc.Resize(client))
            throw CreateException(kExceptionTypeStorageLimit, kExceptionReasonTooLarge,
                                  "The window's pixel buffer could not be allocated");
        // Taken before drawing: a rectangle another thread adds while we draw
        // leads to another paint instead of being lost.
        SRect invalidated;
        invalidater_.TakeBoundingRect(invalidated);
        const SRect update = Intersect(Union(update_, invalidated), SRect({0, 0}, client));
        update_ = {};
        if (update.IsEmpty())
            return;
        {
            CAutoLock lock(lock_);
            // The whole window, whatever the update area: it only decides when to paint.
            root_->Draw(drawContext_);
            for (std::size_t i = 0; i < overlays_.size(); ++i)
                if (overlays_[i]->IsVisible())
                    overlays_[i]->Draw(drawContext_);
            tooltip_.Draw(drawContext_, textRenderer_);
        }
        native_->Present(client);
    });
}

template <class F>
bool CWindow::OfferToTree(F&& offer)
{
    for (std::size_t i = overlays_.size(); i-- > 0;) {
        if (i >= overlays_.size())
            continue;
        IControl* overlay = overlays_[i];
        if (overlay->TakesInput() && offer(overlay))
            return true;
    }
    return offer(root_);
}

bool CWindow::DispatchMouseOnce(EMouseEvent event, SPoint point)
{
    CAutoLock lock(lock_);
    mousePosition_ = point;
    if (capture_)
        return capture_->Mouse(event, point);
    return OfferToTree([&](IControl* c) { return c->Mouse(event, point); });
}

bool CWindow::OnMouse(EMouseEvent event, SPoint point)
{
    bool handled = false;
    // Another program's dialog has the user's attention; only the release that
    // ends a gesture begun before it still reaches its control.
    const bool release = event == kMouseLeftUp || event == kMouseRightUp;
    if (IsModal() && !(release && capture_))
        return false;
    RunGuarded([&] {
        CPerfMon::CScope timing(mousePerf_);
        switch (event) {
        case kMouseLeftDown:
            mouseButtons_ |= kMouseFlagLeft;
            break;
        case kMouseLeftUp:
            mouseButtons_ &= ~uint32_t(kMouseFlagLeft);
            break;
        case kMouseRightDown:
            mouseButtons_ |= kMouseFlagRight;
            break;
        case kMouseRightUp:
            mouseButtons_ &= ~uint32_t(kMouseFlagRight);
            break;
        default:
            break;
        }
        for (int round = 0; round < kMaxDispatchRounds; ++round) {
            redispatch_ = false;
            handled = DispatchMouseOnce(event, point);
            if (!redispatch_)
                break;
        }
        redispatch_ = false;
    });
    AfterMessage();
    return handled;
}

bool CWindow::OnWheel(SPoint point, float notches)
{
    bool handled = false;
    if (options_.wheelInput && !IsModal()) {
        RunGuarded([&] {
            CAutoLock lock(lock_);
            if (capture_)
                handled = capture_->Wheel(point, notches);
            else
                handled = OfferToTree([&](IControl* c) { return c->Wheel(point, notches); });
        });
    }
    AfterMessage();
    return handled;
}

bool CWindow::OnKey(int32_t keyCode)
{
    bool handled = false;
    if (options_.keyboardInput && keyCode >= 0 && !IsModal()) {
        RunGuarded([&] {
            CAutoLock lock(lock_);
            if (keyFocus_)
                handled = keyFocus_->Key(keyCode);
            else
                handled = OfferToTree([&](IControl* c) { return c->Key(keyCode); });
        });
    }
    AfterMessage();
    return handled;
}

void CWindow::OnFocusLost()
{
    mouseButtons_ = 0;
    AfterMessage();
}

void CWindow::OnPointerLeft()
{
    // A pointer outside the window rests over no control, so no tooltip comes up.
    if (!capture_)
        mousePosition_ = {INT32_MIN / 2, INT32_MIN / 2};
}

void CWindow::OnExpose(const SRect& area) { update_ = Union(update_, area); }

void CWindow::OnResize(SSize size)
{
    if (options_.resizable) {
        RunGuarded([&] {
            CAutoLock lock(lock_);
            root_->SetSize(size);
        });
    }
    update_ = Union(update_, SRect({0, 0}, size));
    AfterMessage();
}

void CWindow::CaptureMouse(IControl* control)
{
    capture_ = control;
    native_->GrabPointer();
}

void CWindow::ReleaseMouse(IControl*)
{
    native_->UngrabPointer();
    capture_ = nullptr;
}

IControl* CWindow::GetCapture() const { return capture_; }

void CWindow::HideCursor()
{
    if (++cursorHideCount_ == 1)
        native_->SetCursorVisible(false);
}

void CWindow::ShowCursor()
{
    if (cursorHideCount_ > 0 && --cursorHideCount_ == 0)
        native_->SetCursorVisible(true);
}

void CWindow::SetCursorPosition(SPoint point) { native_->WarpPointer(point); }

void CWindow::SetCursorShape(int32_t shape)
{
    if (shape == cursorShape_)
        return;
    cursorShape_ = shape;
    native_->SetCursorShape(shape);
}

int32_t CWindow::GetCursorShape() const { return cursorShape_; }
bool CWindow::IsShiftDown() { return (native_->GetModifiers() & kModifierShift) != 0; }
bool CWindow::IsControlDown() { return (native_->GetModifiers() & kModifierControl) != 0; }
bool CWindow::IsAltDown() { return (native_->GetModifiers() & kModifierAlt) != 0; }
bool CWindow::IsFineKeyDown() { return options_.fineKeyIsShift ? IsShiftDown() : IsControlDown(); }
SPoint CWindow::GetMousePosition() const { return mousePosition_; }
uint32_t CWindow::GetMouseButtons() const { return mouseButtons_; }
uint32_t CWindow::GetTimeMs() { return native_->GetTimeMs(); }
void CWindow::RequestRedispatch() { redispatch_ = true; }

void CWindow::ShowTooltip(IControl* owner, const char* text, SPoint anchor)
{
    if (!owner)
        return;
    invalidater_.AddRect(tooltip_.Show(owner, text, anchor, textRenderer_, GetClientSize()));
}

void CWindow::HideTooltip(IControl* owner)
{
    if (owner && tooltip_.GetOwner() == owner)
        invalidater_.AddRect(tooltip_.Hide());
}

void CWindow::SetTooltipTextRenderer(ITextRenderer* renderer) { textRenderer_ = renderer; }

void CWindow::AddOverlay(IControl* overlay)
{
    if (!overlay || std::find(overlays_.begin(), overlays_.end(), overlay) != overlays_.end())
        return;
    if (!overlay->GetParent())
        overlay->SetWindow(this);
    overlays_.push_back(overlay);
    overlay->Invalidate();
}

void CWindow::RemoveOverlay(IControl* overlay)
{
    auto it = std::find(overlays_.begin(), overlays_.end(), overlay);
    if (it == overlays_.end())
        return;
    overlay->Invalidate();  // uncovers what lay beneath
    overlays_.erase(it);
}

void CWindow::SetKeyFocus(IControl* control) { keyFocus_ = control; }

void CWindow::ForgetControl(IControl* control)
{
    if (!control)
        return;
    if (capture_ == control)
        ReleaseMouse(control);
    if (keyFocus_ == control)
        keyFocus_ = nullptr;
    if (tooltip_.GetOwner() == control)
        invalidater_.AddRect(tooltip_.Hide());
    overlays_.erase(std::remove(overlays_.begin(), overlays_.end(), control), overlays_.end());
}

void CWindow::ShowMessage(const char* text, const char* caption)
{
    if (IContext* context = GetContext())
        context->ShowMessage(text, caption);
    else
        GetDesktop()->ShowMessage(text, caption, GetTopLevelHandle());
}

std::string CWindow::GetModuleFolder() const
{
    IContext* context = GetContext();
    return context ? context->GetModuleFolder() : std::string();
}

INativePopup* CWindow::CreatePopup(INativePopupListener* listener) { return native_->CreatePopup(listener); }
uintptr_t CWindow::GetTopLevelHandle() { return native_->GetTopLevelHandle(); }
IDesktop* CWindow::GetDesktop() const { return desktop_ ? desktop_ : &GetSystemDesktop(); }
void CWindow::SetDesktop(IDesktop* desktop) { desktop_ = desktop; }

void CWindow::BeginModalTask(IModalTask* task)
{
    if (!task || std::find(modalTasks_.begin(), modalTasks_.end(), task) != modalTasks_.end())
        return;
    modalTasks_.push_back(task);
}

void CWindow::EndModalTask(IModalTask* task)
{
    modalTasks_.erase(std::remove(modalTasks_.begin(), modalTasks_.end(), task), modalTasks_.end());
}

bool CWindow::IsModal() const { return !modalTasks_.empty(); }

void CWindow::SetResourceManager(IResourceManager* manager) { resources_ = manager; }
IResourceManager* CWindow::GetResourceManager() const { return resources_; }

IWindow* CreateWindow(IContext* context, uintptr_t parent, const SRect& rect, const SWindowOptions& options)
{
    std::unique_ptr<INativeWindow> native(CreateNativeWindow());
    if (!native)
        return nullptr;
    auto* window = new (std::nothrow) CWindow(std::move(native), context, options);
    if (!window)
        return nullptr;
    if (!window->Open(parent, rect)) {
        window->Destroy();
        return nullptr;
    }
    return window;
}

}  // namespace zt::ge
