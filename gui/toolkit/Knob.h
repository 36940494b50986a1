#pragma once

#include "gui/toolkit/Control.h"
#include "gui/toolkit/ValueDrag.h"

namespace zt::ge {

// A rotary control drawn from a film strip: frameCount frames of the
// control's size, one below the other (or side by side), showing frame
// round((frames - 1) * value).
//
// Dragging follows the window's knob mode (SWindowOptions::knobMode): 1 is
// circular (the pointer's angle around the centre sets the value over a
// 270-degree arc), anything else linear (upward movement adds, about 1/300
// of the range per pixel, 1/3000 with the fine key). The wheel adds 4 % per
// notch, 0.04 % with Shift. The reset gestures of the window's options
// (double-click, Control- or Alt-click) reset to the default.
class IKnob : public virtual IControl {
public:
    virtual void SetFrameCount(int32_t frames) = 0;
    virtual int32_t GetFrameCount() const = 0;
    virtual void SetHorizontalStrip(bool horizontal) = 0;
    virtual int32_t GetFrameIndex() const = 0;  // the frame the value shows
    virtual bool IsDragging() const = 0;
};

class CKnob : public virtual IKnob, public CControl {
public:
    static constexpr int32_t kModeCircular = 1;
    static constexpr float kLinearSensitivity = 0.5f;
    static constexpr float kNotchesPerRange = 25.0f;
    static constexpr float kFineNotchesPerRange = 2500.0f;

    CKnob(const SRect& rect, int32_t id = -1, int32_t bitmapId = -1, int32_t frames = 127);

    void SetFrameCount(int32_t frames) override;
    int32_t GetFrameCount() const override;
    void SetHorizontalStrip(bool horizontal) override;
    int32_t GetFrameIndex() const override;
    bool IsDragging() const override;

    void Draw(IDrawContext& context) override;
    bool Mouse(EMouseEvent event, SPoint point) override;
    bool Wheel(SPoint point, float notches) override;

    // The circular mode's value for a pointer at point around centre.
    static float CircularValue(SPoint centre, SPoint point);

protected:
    ~CKnob() override;

private:
    int32_t frames_;
    bool horizontal_ = false;
    CValueDrag drag_;
};

}  // namespace zt::ge
