#pragma once

#include "gui/toolkit/Control.h"
#include "gui/toolkit/ValueDrag.h"

namespace zt::ge {

enum EOrientation : int32_t {
    kHorizontal = 0,
    kVertical = 1,
};

// A handle moving along a straight travel: the control is travel pixels
// long, and the handle bitmap moves over travel minus its own length (value
// 1 at the top of a vertical slider, at the right of a horizontal one).
// Dragging anywhere on it moves the value: sensitivity s >= 0 takes
// (1 - s) * 600 / 60001 pixels per 1/60000 of the range; a negative s lets
// the handle follow the pointer over the travel. Press, release, reset
// gestures and the fine key behave as for the knob.
class ISlider : public virtual IControl {
public:
    virtual void SetSensitivity(float sensitivity) = 0;
    virtual float GetSensitivity() const = 0;
    virtual int32_t GetTravel() const = 0;
    virtual int32_t GetOrientation() const = 0;
    virtual SRect GetHandleRect() const = 0;  // in window coordinates
    virtual bool IsDragging() const = 0;
};

class CSlider : public virtual ISlider, public CControl {
public:
    static constexpr float kDefaultSensitivity = 0.5f;

    // handle: the handle bitmap's size; the control is handle-wide and travel
    // long (or the other way round for a horizontal slider).
    CSlider(SPoint position, SSize handle, int32_t travel, int32_t orientation = kVertical, int32_t id = -1,
            int32_t bitmapId = -1);

    void SetSensitivity(float sensitivity) override;
    float GetSensitivity() const override;
    int32_t GetTravel() const override;
    int32_t GetOrientation() const override;
    SRect GetHandleRect() const override;
    bool IsDragging() const override;

    void Draw(IDrawContext& context) override;
    bool Mouse(EMouseEvent event, SPoint point) override;

protected:
    ~CSlider() override;

private:
    SSize handle_;
    int32_t travel_;
    int32_t orientation_;
    float sensitivity_ = kDefaultSensitivity;
    CValueDrag drag_;
};

}  // namespace zt::ge
