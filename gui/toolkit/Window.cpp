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
    : m_native(std::move(native)), m_options(options), m_drawContext(m_native->GetSurface())
{
    SetContext(context);
    auto* root = new CPane();
    root->SetWindow(this);
    m_root = root;
}

CWindow::~CWindow()
{
    for (IModalTask* task : std::vector<IModalTask*>(m_modalTasks))
        task->OnModalWindowGone();
    m_modalTasks.clear();
    if (m_capture)
        ReleaseMouse(m_capture);
    m_root->Destroy();  // while the window still answers the controls going away
    m_root = nullptr;
}

bool CWindow::Open(uintptr_t parent, const SRect& rect)
{
    SRect r = rect;
    if (r.IsEmpty())
        r.size = kDefaultSize;
    if (!m_native->Open(this, parent, r))
        return false;
    m_native->SetTakeFocusOnClick(m_options.keyboardInput);
    const SSize client = m_native->GetClientSize();
    m_root->SetSize(client);
    m_update = SRect({0, 0}, client);
    return true;
}

void CWindow::Destroy() { delete this; }
int CWindow::GetEventFileDescriptor() const { return m_native->GetFileDescriptor(); }
uintptr_t CWindow::GetNativeHandle() const { return m_native->GetNativeHandle(); }
bool CWindow::IsConnected() const { return m_native->IsConnected(); }
IPane* CWindow::GetRootPane() const { return m_root; }
IInvalidater* CWindow::GetInvalidater() { return &m_invalidater; }
SSize CWindow::GetClientSize() const { return m_native->GetClientSize(); }
const SWindowOptions& CWindow::GetOptions() const { return m_options; }

void CWindow::SetOptions(const SWindowOptions& options)
{
    m_options = options;
    m_native->SetTakeFocusOnClick(options.keyboardInput);
}

void CWindow::Show() { m_native->Show(); }

void CWindow::OnEventsReady()
{
    // Painting talks to the display and may leave fresh events in the client's
    // queue, which never wake the descriptor; so look again, a few times at most.
    for (int round = 0; round < kMaxDispatchRounds; ++round) {
        m_native->DispatchEvents();
        PaintIfDue();
        if (!m_native->HasPendingEvents())
            break;
    }
}

void CWindow::OnTimerTick()
{
    RunGuarded([this] {
        GetDesktop()->Poll();
        // A task may end itself (and leave the list) while it is polled.
        for (IModalTask* task : std::vector<IModalTask*>(m_modalTasks))
            if (std::find(m_modalTasks.begin(), m_modalTasks.end(), task) != m_modalTasks.end()
                && task->PollModalTask())
                EndModalTask(task);
        CAutoLock lock(m_lock);
        m_root->Tick();
        for (std::size_t i = 0; i < m_overlays.size(); ++i)
            m_overlays[i]->Tick();
    });
    AfterMessage();
    OnEventsReady();
}

void CWindow::AfterMessage()
{
    if (m_invalidater.HasDirtyArea())
        m_update = Union(m_update, m_invalidater.GetBoundingRect());
}

void CWindow::PaintIfDue()
{
    AfterMessage();
    if (!m_update.IsEmpty())
        Paint();
}

void CWindow::Paint()
{
    RunGuarded([this] {
        CPerfMon::CScope timing(m_drawPerf);
        const SSize client = m_native->GetClientSize();
        IDC& dc = m_native->GetSurface();
        if (!dc.Resize(client))
            throw CreateException(kExceptionTypeStorageLimit, kExceptionReasonTooLarge,
                                  "The window's pixel buffer could not be allocated");
        // Taken before drawing: a rectangle another thread adds while we draw
        // leads to another paint instead of being lost.
        SRect invalidated;
        m_invalidater.TakeBoundingRect(invalidated);
        const SRect update = Intersect(Union(m_update, invalidated), SRect({0, 0}, client));
        m_update = {};
        if (update.IsEmpty())
            return;
        {
            CAutoLock lock(m_lock);
            // The whole window, whatever the update area: it only decides when to paint.
            m_root->Draw(m_drawContext);
            for (std::size_t i = 0; i < m_overlays.size(); ++i)
                if (m_overlays[i]->IsVisible())
                    m_overlays[i]->Draw(m_drawContext);
            m_tooltip.Draw(m_drawContext, m_textRenderer);
        }
        m_native->Present(client);
    });
}

template <class F>
bool CWindow::OfferToTree(F&& offer)
{
    for (std::size_t i = m_overlays.size(); i-- > 0;) {
        if (i >= m_overlays.size())
            continue;
        IControl* overlay = m_overlays[i];
        if (overlay->TakesInput() && offer(overlay))
            return true;
    }
    return offer(m_root);
}

bool CWindow::DispatchMouseOnce(EMouseEvent event, SPoint point)
{
    CAutoLock lock(m_lock);
    m_mousePosition = point;
    if (m_capture)
        return m_capture->Mouse(event, point);
    return OfferToTree([&](IControl* c) { return c->Mouse(event, point); });
}

bool CWindow::OnMouse(EMouseEvent event, SPoint point)
{
    bool handled = false;
    // Another program's dialog has the user's attention; only the release that
    // ends a gesture begun before it still reaches its control.
    const bool release = event == kMouseLeftUp || event == kMouseRightUp;
    if (IsModal() && !(release && m_capture))
        return false;
    RunGuarded([&] {
        CPerfMon::CScope timing(m_mousePerf);
        switch (event) {
        case kMouseLeftDown:
            m_mouseButtons |= kMouseFlagLeft;
            break;
        case kMouseLeftUp:
            m_mouseButtons &= ~uint32_t(kMouseFlagLeft);
            break;
        case kMouseRightDown:
            m_mouseButtons |= kMouseFlagRight;
            break;
        case kMouseRightUp:
            m_mouseButtons &= ~uint32_t(kMouseFlagRight);
            break;
        default:
            break;
        }
        for (int round = 0; round < kMaxDispatchRounds; ++round) {
            m_redispatch = false;
            handled = DispatchMouseOnce(event, point);
            if (!m_redispatch)
                break;
        }
        m_redispatch = false;
    });
    AfterMessage();
    return handled;
}

bool CWindow::OnWheel(SPoint point, float notches)
{
    bool handled = false;
    if (m_options.wheelInput && !IsModal()) {
        RunGuarded([&] {
            CAutoLock lock(m_lock);
            if (m_capture)
                handled = m_capture->Wheel(point, notches);
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
    if (m_options.keyboardInput && keyCode >= 0 && !IsModal()) {
        RunGuarded([&] {
            CAutoLock lock(m_lock);
            if (m_keyFocus)
                handled = m_keyFocus->Key(keyCode);
            else
                handled = OfferToTree([&](IControl* c) { return c->Key(keyCode); });
        });
    }
    AfterMessage();
    return handled;
}

void CWindow::OnFocusLost()
{
    m_mouseButtons = 0;
    AfterMessage();
}

void CWindow::OnPointerLeft()
{
    // A pointer outside the window rests over no control, so no tooltip comes up.
    if (!m_capture)
        m_mousePosition = {INT32_MIN / 2, INT32_MIN / 2};
}

void CWindow::OnExpose(const SRect& area) { m_update = Union(m_update, area); }

void CWindow::OnResize(SSize size)
{
    if (m_options.resizable) {
        RunGuarded([&] {
            CAutoLock lock(m_lock);
            m_root->SetSize(size);
        });
    }
    m_update = Union(m_update, SRect({0, 0}, size));
    AfterMessage();
}

void CWindow::CaptureMouse(IControl* control)
{
    m_capture = control;
    m_native->GrabPointer();
}

void CWindow::ReleaseMouse(IControl*)
{
    m_native->UngrabPointer();
    m_capture = nullptr;
}

IControl* CWindow::GetCapture() const { return m_capture; }

void CWindow::HideCursor()
{
    if (++m_cursorHideCount == 1)
        m_native->SetCursorVisible(false);
}

void CWindow::ShowCursor()
{
    if (m_cursorHideCount > 0 && --m_cursorHideCount == 0)
        m_native->SetCursorVisible(true);
}

void CWindow::SetCursorPosition(SPoint point) { m_native->WarpPointer(point); }

void CWindow::SetCursorShape(int32_t shape)
{
    if (shape == m_cursorShape)
        return;
    m_cursorShape = shape;
    m_native->SetCursorShape(shape);
}

int32_t CWindow::GetCursorShape() const { return m_cursorShape; }
bool CWindow::IsShiftDown() { return (m_native->GetModifiers() & kModifierShift) != 0; }
bool CWindow::IsControlDown() { return (m_native->GetModifiers() & kModifierControl) != 0; }
bool CWindow::IsAltDown() { return (m_native->GetModifiers() & kModifierAlt) != 0; }
bool CWindow::IsFineKeyDown() { return m_options.fineKeyIsShift ? IsShiftDown() : IsControlDown(); }
SPoint CWindow::GetMousePosition() const { return m_mousePosition; }
uint32_t CWindow::GetMouseButtons() const { return m_mouseButtons; }
uint32_t CWindow::GetTimeMs() { return m_native->GetTimeMs(); }
void CWindow::RequestRedispatch() { m_redispatch = true; }

void CWindow::ShowTooltip(IControl* owner, const char* text, SPoint anchor)
{
    if (!owner)
        return;
    m_invalidater.AddRect(m_tooltip.Show(owner, text, anchor, m_textRenderer, GetClientSize()));
}

void CWindow::HideTooltip(IControl* owner)
{
    if (owner && m_tooltip.GetOwner() == owner)
        m_invalidater.AddRect(m_tooltip.Hide());
}

void CWindow::SetTooltipTextRenderer(ITextRenderer* renderer) { m_textRenderer = renderer; }

void CWindow::AddOverlay(IControl* overlay)
{
    if (!overlay || std::find(m_overlays.begin(), m_overlays.end(), overlay) != m_overlays.end())
        return;
    if (!overlay->GetParent())
        overlay->SetWindow(this);
    m_overlays.push_back(overlay);
    overlay->Invalidate();
}

void CWindow::RemoveOverlay(IControl* overlay)
{
    auto it = std::find(m_overlays.begin(), m_overlays.end(), overlay);
    if (it == m_overlays.end())
        return;
    overlay->Invalidate();  // uncovers what lay beneath
    m_overlays.erase(it);
}

void CWindow::SetKeyFocus(IControl* control) { m_keyFocus = control; }

void CWindow::ForgetControl(IControl* control)
{
    if (!control)
        return;
    if (m_capture == control)
        ReleaseMouse(control);
    if (m_keyFocus == control)
        m_keyFocus = nullptr;
    if (m_tooltip.GetOwner() == control)
        m_invalidater.AddRect(m_tooltip.Hide());
    m_overlays.erase(std::remove(m_overlays.begin(), m_overlays.end(), control), m_overlays.end());
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

INativePopup* CWindow::CreatePopup(INativePopupListener* listener) { return m_native->CreatePopup(listener); }
uintptr_t CWindow::GetTopLevelHandle() { return m_native->GetTopLevelHandle(); }
IDesktop* CWindow::GetDesktop() const { return m_desktop ? m_desktop : &GetSystemDesktop(); }
void CWindow::SetDesktop(IDesktop* desktop) { m_desktop = desktop; }

void CWindow::BeginModalTask(IModalTask* task)
{
    if (!task || std::find(m_modalTasks.begin(), m_modalTasks.end(), task) != m_modalTasks.end())
        return;
    m_modalTasks.push_back(task);
}

void CWindow::EndModalTask(IModalTask* task)
{
    m_modalTasks.erase(std::remove(m_modalTasks.begin(), m_modalTasks.end(), task), m_modalTasks.end());
}

bool CWindow::IsModal() const { return !m_modalTasks.empty(); }

void CWindow::SetResourceManager(IResourceManager* manager) { m_resources = manager; }
IResourceManager* CWindow::GetResourceManager() const { return m_resources; }

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
