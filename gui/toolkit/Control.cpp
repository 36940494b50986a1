#include "gui/toolkit/Control.h"

#include <algorithm>
#include <cmath>

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CControl::CControl(const SRect& rect, int32_t id) : m_position(rect.position), m_size(rect.size), m_id(id) {}

CControl::~CControl()
{
    if (IWindow* window = GetWindow())
        window->ForgetControl(this);
}

void CControl::Destroy() { delete this; }

IWindow* CControl::GetWindow() const
{
    if (m_window)
        return m_window;
    return m_parent ? m_parent->GetWindow() : nullptr;
}

IPane* CControl::GetParent() const { return m_parent; }
void CControl::SetParent(IPane* parent) { m_parent = parent; }
void CControl::SetWindow(IWindow* window) { m_window = window; }
SPoint CControl::GetPosition() const { return m_position; }
SSize CControl::GetSize() const { return m_size; }
int32_t CControl::GetId() const { return m_id; }
void CControl::SetId(int32_t id) { m_id = id; }

void CControl::SetPosition(SPoint position)
{
    if (position == m_position)
        return;
    Invalidate();  // where it was
    m_position = position;
    Invalidate();
}

void CControl::SetSize(SSize size)
{
    if (size == m_size)
        return;
    Invalidate();
    m_size = size;
    Invalidate();
}

SPoint CControl::GetAbsolutePosition() const
{
    return m_parent ? m_parent->GetAbsolutePosition() + m_position : m_position;
}

SRect CControl::GetAbsoluteRect() const { return SRect(GetAbsolutePosition(), m_size); }

bool CControl::IsInside(SPoint point) const { return GetAbsoluteRect().Contains(point); }

bool CControl::IsVisible() const { return m_visible; }
bool CControl::IsEnabled() const { return m_enabled; }
void CControl::SetEnabled(bool enabled) { m_enabled = enabled; }

void CControl::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    // What lies beneath has to be drawn again, so invalidate while shown.
    if (!visible)
        Invalidate();
    m_visible = visible;
    if (visible)
        Invalidate();
}

bool CControl::IsShown() const { return m_visible && (m_parent == nullptr || m_parent->IsShown()); }
bool CControl::TakesInput() const { return m_enabled && IsShown(); }

float CControl::LimitValue(float value) const
{
    if (std::isnan(value))
        value = 0.0f;
    if (m_clamped) {
        if (value >= 1.0f)
            value = 1.0f;
        if (value <= 0.0f)
            value = 0.0f;
    }
    if (m_steps >= 2) {
        const float last = float(m_steps - 1);
        value = std::round(last * value) / last;  // std::round rounds halves away from zero
    }
    return value;
}

void CControl::SetValue(float value, bool notify)
{
    m_value = LimitValue(value);
    if (notify)
        ValueChangedByUser();
    Invalidate();
}

float CControl::GetValue() const { return m_value; }

void CControl::SetDefaultValue(float value)
{
    m_defaultValue = value;
    m_hasDefault = true;
}

float CControl::GetDefaultValue() const { return m_defaultValue; }
bool CControl::HasDefaultValue() const { return m_hasDefault; }

void CControl::ResetToDefault()
{
    if (m_hasDefault)
        SetValue(m_defaultValue, true);
}

void CControl::SetClamped(bool clamped) { m_clamped = clamped; }
bool CControl::IsClamped() const { return m_clamped; }
void CControl::SetSteps(int32_t count) { m_steps = count >= 2 ? count : 0; }
int32_t CControl::GetSteps() const { return m_steps; }

template <class F>
void CControl::NotifyReceivers(F&& f)
{
    // A copy, so a receiver may unregister itself while it is told.
    const std::vector<IEventReceiver*> receivers = m_receivers;
    for (IEventReceiver* receiver : receivers)
        f(receiver);
}

void CControl::BeginEdit()
{
    NotifyReceivers([this](IEventReceiver* r) { r->OnBeginEdit(this); });
}

void CControl::EndEdit()
{
    NotifyReceivers([this](IEventReceiver* r) { r->OnEndEdit(this); });
}

void CControl::ValueChangedByUser()
{
    NotifyReceivers([this](IEventReceiver* r) { r->OnValueChanged(this); });
}

void CControl::Clicked()
{
    NotifyReceivers([this](IEventReceiver* r) { r->OnClicked(this); });
}

void CControl::AddReceiver(IEventReceiver* receiver)
{
    if (receiver && std::find(m_receivers.begin(), m_receivers.end(), receiver) == m_receivers.end())
        m_receivers.push_back(receiver);
}

void CControl::RemoveReceiver(IEventReceiver* receiver)
{
    m_receivers.erase(std::remove(m_receivers.begin(), m_receivers.end(), receiver), m_receivers.end());
}

void CControl::Draw(IDrawContext&) {}
bool CControl::Mouse(EMouseEvent, SPoint) { return false; }
bool CControl::Wheel(SPoint, float) { return false; }
bool CControl::Key(int32_t) { return false; }

void CControl::Tick()
{
    if (m_tooltip.empty() || !IsShown())
        return;
    IWindow* window = GetWindow();
    if (!window)
        return;
    const uint32_t now = window->GetTimeMs();
    const SPoint pointer = window->GetMousePosition();
    if (pointer != m_lastPointer) {
        m_lastPointer = pointer;
        m_lastMoveMs = now;
        if (m_tooltipShowing) {
            window->HideTooltip(this);
            m_tooltipShowing = false;
        }
    } else if (uint32_t(now - m_lastMoveMs) > kTooltipDelayMs && !m_tooltipShowing && IsInside(pointer)) {
        window->ShowTooltip(this, m_tooltip.c_str(), {pointer.x + kTooltipOffset, pointer.y - kTooltipOffset});
        m_tooltipShowing = true;
    }
}

void CControl::Invalidate()
{
    if (!IsShown())
        return;
    IWindow* window = GetWindow();
    if (!window)
        return;
    // One pixel more to the right and down, for drawing that touches the far edges.
    window->GetInvalidater()->AddRect(SRect(GetAbsolutePosition(), {m_size.width + 1, m_size.height + 1}));
}

void CControl::SetTooltipText(const char* text)
{
    m_tooltip = text ? text : "";
    if (m_tooltip.empty() && m_tooltipShowing) {
        if (IWindow* window = GetWindow())
            window->HideTooltip(this);
        m_tooltipShowing = false;
    }
}

const std::string& CControl::GetTooltipText() const { return m_tooltip; }

void CControl::SetBitmapId(int32_t resourceId)
{
    m_bitmap.Reset();
    m_bitmapId = resourceId;
    GetBitmap();  // now if the window is known, else when first drawn
    Invalidate();
}

void CControl::SetBitmap(IBitmapResource* bitmap)
{
    m_bitmap = TResourceRef<IBitmapResource>::Share(bitmap);
    m_bitmapId = -1;
    Invalidate();
}

IBitmapResource* CControl::GetBitmap()
{
    if (!m_bitmap && m_bitmapId >= 0) {
        IWindow* window = GetWindow();
        IResourceManager* resources = window ? window->GetResourceManager() : nullptr;
        if (resources) {
            m_bitmap = TResourceRef<IBitmapResource>::Adopt(resources->GetBitmap(m_bitmapId));
            m_bitmapId = -1;  // asked once: an id the file does not list stays without a bitmap
        }
    }
    return m_bitmap.Get();
}

std::optional<bool> CControl::DragPressOrRelease(EMouseEvent event, SPoint point, CValueDrag& drag)
{
    IWindow* window = GetWindow();
    switch (event) {
    case kMouseLeftDoubleClick:
    case kMouseLeftDown:
        if (!window || !IsInside(point))
            return false;
        if (ResetOnGesture(event, point))
            return true;
        // Without a reset, the second press of a pair drags like the first.
        drag.Start(point, GetValue(), window->IsFineKeyDown());
        window->CaptureMouse(this);
        BeginEdit();
        return true;
    case kMouseLeftUp:
        if (!window || !drag.IsDragging())
            return false;
        drag.Stop();
        EndEdit();
        window->ReleaseMouse(this);
        return true;
    default:
        return std::nullopt;
    }
}

bool CControl::ResetOnGesture(EMouseEvent event, SPoint point)
{
    IWindow* window = GetWindow();
    if (!window || !IsInside(point))
        return false;
    const SWindowOptions& options = window->GetOptions();
    bool reset = false;
    if (event == kMouseLeftDoubleClick) {
        reset = options.doubleClickResets;
    } else if (event == kMouseLeftDown) {
        reset = (options.controlClickResets && window->IsControlDown())
            || (options.altClickResets && window->IsAltDown());
    }
    if (reset)
        ResetToDefault();
    return reset;
}

}  // namespace zt::ge
