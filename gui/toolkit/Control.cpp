#include "gui/toolkit/Control.h"

#include <algorithm>
#include <cmath>

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CControl::CControl(const SRect& rect, int32_t id) : position_(rect.position), size_(rect.size), id_(id) {}

CControl::~CControl()
{
    if (IWindow* window = GetWindow())
        window->ForgetControl(this);
}

void CControl::Destroy() { delete this; }

IWindow* CControl::GetWindow() const
{
    if (window_)
        return window_;
    return parent_ ? parent_->GetWindow() : nullptr;
}

IPane* CControl::GetParent() const { return parent_; }
void CControl::SetParent(IPane* parent) { parent_ = parent; }
void CControl::SetWindow(IWindow* window) { window_ = window; }
SPoint CControl::GetPosition() const { return position_; }
SSize CControl::GetSize() const { return size_; }
int32_t CControl::GetId() const { return id_; }
void CControl::SetId(int32_t id) { id_ = id; }

void CControl::SetPosition(SPoint position)
{
    if (position == position_)
        return;
    Invalidate();  // where it was
    position_ = position;
    Invalidate();
}

void CControl::SetSize(SSize size)
{
    if (size == size_)
        return;
    Invalidate();
    size_ = size;
    Invalidate();
}

SPoint CControl::GetAbsolutePosition() const
{
    return parent_ ? parent_->GetAbsolutePosition() + position_ : position_;
}

SRect CControl::GetAbsoluteRect() const { return SRect(GetAbsolutePosition(), size_); }

bool CControl::IsInside(SPoint point) const { return GetAbsoluteRect().Contains(point); }

bool CControl::IsVisible() const { return visible_; }
bool CControl::IsEnabled() const { return enabled_; }
void CControl::SetEnabled(bool enabled) { enabled_ = enabled; }

void CControl::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    // What lies beneath has to be drawn again, so invalidate while shown.
    if (!visible)
        Invalidate();
    visible_ = visible;
    if (visible)
        Invalidate();
}

bool CControl::IsShown() const { return visible_ && (parent_ == nullptr || parent_->IsShown()); }
bool CControl::TakesInput() const { return enabled_ && IsShown(); }

float CControl::LimitValue(float value) const
{
    if (std::isnan(value))
        value = 0.0f;
    if (clamped_) {
        if (value >= 1.0f)
            value = 1.0f;
        if (value <= 0.0f)
            value = 0.0f;
    }
    if (steps_ >= 2) {
        const float last = float(steps_ - 1);
        value = std::round(last * value) / last;  // std::round rounds halves away from zero
    }
    return value;
}

void CControl::SetValue(float value, bool notify)
{
    value_ = LimitValue(value);
    if (notify)
        ValueChangedByUser();
    Invalidate();
}

float CControl::GetValue() const { return value_; }

void CControl::SetDefaultValue(float value)
{
    defaultValue_ = value;
    hasDefault_ = true;
}

float CControl::GetDefaultValue() const { return defaultValue_; }
bool CControl::HasDefaultValue() const { return hasDefault_; }

void CControl::ResetToDefault()
{
    if (hasDefault_)
        SetValue(defaultValue_, true);
}

void CControl::SetClamped(bool clamped) { clamped_ = clamped; }
bool CControl::IsClamped() const { return clamped_; }
void CControl::SetSteps(int32_t count) { steps_ = count >= 2 ? count : 0; }
int32_t CControl::GetSteps() const { return steps_; }

template <class F>
void CControl::NotifyReceivers(F&& f)
{
    // A copy, so a receiver may unregister itself while it is told.
    const std::vector<IEventReceiver*> receivers = receivers_;
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
    if (receiver && std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end())
        receivers_.push_back(receiver);
}

void CControl::RemoveReceiver(IEventReceiver* receiver)
{
    receivers_.erase(std::remove(receivers_.begin(), receivers_.end(), receiver), receivers_.end());
}

void CControl::Draw(IDrawContext&) {}
bool CControl::Mouse(EMouseEvent, SPoint) { return false; }
bool CControl::Wheel(SPoint, float) { return false; }
bool CControl::Key(int32_t) { return false; }

void CControl::Tick()
{
    if (tooltip_.empty() || !IsShown())
        return;
    IWindow* window = GetWindow();
    if (!window)
        return;
    const uint32_t now = window->GetTimeMs();
    const SPoint pointer = window->GetMousePosition();
    if (pointer != lastPointer_) {
        lastPointer_ = pointer;
        lastMoveMs_ = now;
        if (tooltipShowing_) {
            window->HideTooltip(this);
            tooltipShowing_ = false;
        }
    } else if (uint32_t(now - lastMoveMs_) > kTooltipDelayMs && !tooltipShowing_ && IsInside(pointer)) {
        window->ShowTooltip(this, tooltip_.c_str(), {pointer.x + kTooltipOffset, pointer.y - kTooltipOffset});
        tooltipShowing_ = true;
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
    window->GetInvalidater()->AddRect(SRect(GetAbsolutePosition(), {size_.width + 1, size_.height + 1}));
}

void CControl::SetTooltipText(const char* text)
{
    tooltip_ = text ? text : "";
    if (tooltip_.empty() && tooltipShowing_) {
        if (IWindow* window = GetWindow())
            window->HideTooltip(this);
        tooltipShowing_ = false;
    }
}

const std::string& CControl::GetTooltipText() const { return tooltip_; }

void CControl::SetBitmapId(int32_t resourceId)
{
    bitmap_.Reset();
    bitmapId_ = resourceId;
    GetBitmap();  // now if the window is known, else when first drawn
    Invalidate();
}

void CControl::SetBitmap(IBitmapResource* bitmap)
{
    bitmap_ = TResourceRef<IBitmapResource>::Share(bitmap);
    bitmapId_ = -1;
    Invalidate();
}

IBitmapResource* CControl::GetBitmap()
{
    if (!bitmap_ && bitmapId_ >= 0) {
        IWindow* window = GetWindow();
        IResourceManager* resources = window ? window->GetResourceManager() : nullptr;
        if (resources) {
            bitmap_ = TResourceRef<IBitmapResource>::Adopt(resources->GetBitmap(bitmapId_));
            bitmapId_ = -1;  // asked once: an id the file does not list stays without a bitmap
        }
    }
    return bitmap_.Get();
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
