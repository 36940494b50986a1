#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Interface.h"
#include "gui/toolkit/Context.h"
#include "gui/toolkit/EventReceiver.h"
#include "gui/native/Events.h"
#include "gui/native/Geometry.h"
#include "gui/toolkit/ResourceRef.h"
#include "gui/toolkit/ValueDrag.h"

namespace zt::ge {

class IBitmapResource;
class IDrawContext;
class IPane;
class IWindow;

// Every visible element of an editor: a rectangle in its parent pane with a
// value, a way to draw itself and ways to take input. Points handed to input
// operations are window coordinates; positions are relative to the parent.
class IControl : public virtual IDestructable {
public:
    // Where it lives.
    virtual IWindow* GetWindow() const = 0;  // null until it is in a window's tree
    virtual IPane* GetParent() const = 0;
    virtual void SetParent(IPane* parent) = 0;    // called by the pane that adopts it
    virtual void SetWindow(IWindow* window) = 0;  // only for controls outside panes: the root, overlays
    virtual SPoint GetPosition() const = 0;
    virtual void SetPosition(SPoint position) = 0;
    virtual SSize GetSize() const = 0;
    virtual void SetSize(SSize size) = 0;
    virtual SPoint GetAbsolutePosition() const = 0;  // own position plus the parents'
    virtual SRect GetAbsoluteRect() const = 0;
    virtual bool IsInside(SPoint point) const = 0;  // point in window coordinates
    virtual int32_t GetId() const = 0;              // -1 when none
    virtual void SetId(int32_t id) = 0;

    // Visibility. Input operations do nothing unless TakesInput().
    virtual bool IsVisible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsShown() const = 0;     // visible, and so is every pane above it
    virtual bool TakesInput() const = 0;  // shown and enabled

    // The value: a float in [0, 1] while the clamp flag is on (the default).
    // Stepped controls take only the values k / (steps - 1).
    virtual void SetValue(float value, bool notify) = 0;
    virtual float GetValue() const = 0;
    virtual void SetDefaultValue(float value) = 0;  // gives the control a default
    virtual float GetDefaultValue() const = 0;
    virtual bool HasDefaultValue() const = 0;
    virtual void ResetToDefault() = 0;  // SetValue(default, true); nothing without a default
    virtual void SetClamped(bool clamped) = 0;
    virtual bool IsClamped() const = 0;
    virtual void SetSteps(int32_t count) = 0;  // 2 or more makes the control stepped; less switches stepping off
    virtual int32_t GetSteps() const = 0;      // 0 when not stepped
    // A user gesture from press to release; receivers (the parameter link)
    // turn the pair into one automation gesture.
    virtual void BeginEdit() = 0;
    virtual void EndEdit() = 0;
    // Tells every receiver that the user changed the value; SetValue calls it
    // when notify is true.
    virtual void ValueChangedByUser() = 0;
    // Sends OnClicked to every receiver.
    virtual void Clicked() = 0;

    virtual void AddReceiver(IEventReceiver* receiver) = 0;  // not owned; added once
    virtual void RemoveReceiver(IEventReceiver* receiver) = 0;

    // Drawing and input.
    virtual void Draw(IDrawContext& context) = 0;
    virtual bool Mouse(EMouseEvent event, SPoint point) = 0;  // true when handled
    virtual bool Wheel(SPoint point, float notches) = 0;      // one notch = 1.0, negative towards the user
    virtual bool Key(int32_t keyCode) = 0;                    // codes of EKey
    virtual void Tick() = 0;                                  // every 50 ms, down the pane tree
    // Adds the absolute rectangle, one pixel wider and taller, to the window's
    // invalidater; nothing while the control is not shown.
    virtual void Invalidate() = 0;

    // Text shown after the pointer rests over the control for a second; may
    // hold line breaks. Empty switches the tooltip off.
    virtual void SetTooltipText(const char* text) = 0;
    virtual const std::string& GetTooltipText() const = 0;

    // The skin bitmap the control draws, by resource id (looked up through the
    // window's resource manager, at once or when first needed) or as a
    // resource the caller has (the control takes a reference of its own).
    // -1 or null: none; a control without its bitmap draws nothing.
    virtual void SetBitmapId(int32_t resourceId) = 0;
    virtual void SetBitmap(IBitmapResource* bitmap) = 0;
    virtual IBitmapResource* GetBitmap() = 0;
};

// The shared state and behaviour of all controls. Derived controls override
// Draw and the input operations; an override of Tick must call CControl::Tick
// (it runs the tooltip).
class CControl : public virtual IControl, public CEventReceiver, public CSetContext {
public:
    explicit CControl(const SRect& rect = {}, int32_t id = -1);
    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;

    void Destroy() override;

    IWindow* GetWindow() const override;
    IPane* GetParent() const override;
    void SetParent(IPane* parent) override;
    void SetWindow(IWindow* window) override;
    SPoint GetPosition() const override;
    void SetPosition(SPoint position) override;
    SSize GetSize() const override;
    void SetSize(SSize size) override;
    SPoint GetAbsolutePosition() const override;
    SRect GetAbsoluteRect() const override;
    bool IsInside(SPoint point) const override;
    int32_t GetId() const override;
    void SetId(int32_t id) override;

    bool IsVisible() const override;
    void SetVisible(bool visible) override;
    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override;
    bool IsShown() const override;
    bool TakesInput() const override;

    void SetValue(float value, bool notify) override;
    float GetValue() const override;
    void SetDefaultValue(float value) override;
    float GetDefaultValue() const override;
    bool HasDefaultValue() const override;
    void ResetToDefault() override;
    void SetClamped(bool clamped) override;
    bool IsClamped() const override;
    void SetSteps(int32_t count) override;
    int32_t GetSteps() const override;
    void BeginEdit() override;
    void EndEdit() override;
    void ValueChangedByUser() override;
    void Clicked() override;

    void AddReceiver(IEventReceiver* receiver) override;
    void RemoveReceiver(IEventReceiver* receiver) override;

    void Draw(IDrawContext& context) override;
    bool Mouse(EMouseEvent event, SPoint point) override;
    bool Wheel(SPoint point, float notches) override;
    bool Key(int32_t keyCode) override;
    void Tick() override;
    void Invalidate() override;

    void SetTooltipText(const char* text) override;
    const std::string& GetTooltipText() const override;
    bool IsTooltipShowing() const { return tooltipShowing_; }

    void SetBitmapId(int32_t resourceId) override;
    void SetBitmap(IBitmapResource* bitmap) override;
    IBitmapResource* GetBitmap() override;

    // The reset gestures value controls share: a left double-click while the
    // window's double-click-resets option is on, or a left press with Control
    // (Alt) down while Control-click (Alt-click) resets. When event at point
    // is one of them inside the control, resets to the default and returns true.
    bool ResetOnGesture(EMouseEvent event, SPoint point);

    // Press and release of a value drag, as knobs and sliders share them: a left press
    // inside starts the drag (unless it was a reset gesture), captures the mouse and
    // begins the edit; the release ends all three. Empty for any other event, else
    // whether the event was handled.
    std::optional<bool> DragPressOrRelease(EMouseEvent event, SPoint point, CValueDrag& drag);

    static constexpr uint32_t kTooltipDelayMs = 1000;
    static constexpr int32_t kTooltipOffset = 5;  // right of and above the pointer

protected:
    ~CControl() override;
    // The value rules of SetValue (clamp, steps) without telling anybody or
    // invalidating, for controls that decide themselves what to redraw.
    float LimitValue(float value) const;
    void StoreValue(float value) { value_ = LimitValue(value); }

private:
    template <class F>
    void NotifyReceivers(F&& f);

    IPane* parent_ = nullptr;
    IWindow* window_ = nullptr;
    SPoint position_;
    SSize size_;
    int32_t id_ = -1;
    float value_ = 0.0f;
    float defaultValue_ = 0.0f;
    bool hasDefault_ = false;
    bool clamped_ = true;
    int32_t steps_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string tooltip_;
    std::vector<IEventReceiver*> receivers_;
    int32_t bitmapId_ = -1;
    TResourceRef<IBitmapResource> bitmap_;

    // Tooltip timing, from one tick to the next.
    SPoint lastPointer_{INT32_MIN, INT32_MIN};
    uint32_t lastMoveMs_ = 0;
    bool tooltipShowing_ = false;
};

}  // namespace zt::ge
