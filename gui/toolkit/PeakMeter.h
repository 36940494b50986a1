#pragma once

#include "gui/toolkit/Control.h"

namespace zt::ge {

// A level meter: the bitmap shows the meter fully lit, and the lit part of
// it is copied for the current value over whatever lies beneath.
// Modes 0 and 1 are vertical, 2 and 3 horizontal; 0 and 2 grow from the
// bottom (right) end, 1 and 3 from the top (left). The margins at the start
// (top, left) and end (bottom, right) are never lit, so the lit length is
// the bitmap's height (width) less both.
class IPeakMeter : public virtual IControl {
public:
    // level = level * decay; a reading above the level replaces it at once.
    virtual void Update(float reading, float decay) = 0;
    virtual int32_t GetLitLength() const = 0;  // L, of the bitmap less its margins
    virtual int32_t GetLitPixels() const = 0;  // round(value * L)
    virtual SRect GetLitRect() = 0;            // window coordinates; empty when nothing is lit
};

class CPeakMeter : public virtual IPeakMeter, public CControl {
public:
    CPeakMeter(const SRect& rect, int32_t mode, int32_t startMargin, int32_t endMargin, int32_t bitmapId = -1,
               int32_t id = -1);

    void Update(float reading, float decay) override;
    int32_t GetLitLength() const override;
    int32_t GetLitPixels() const override;
    SRect GetLitRect() override;

    // Values within 1e-6 of the current one change nothing; otherwise the
    // meter redraws only when its lit part changed.
    void SetValue(float value, bool notify) override;
    void Draw(IDrawContext& context) override;

protected:
    ~CPeakMeter() override;

private:
    bool IsVertical() const { return mode_ == 0 || mode_ == 1; }
    int32_t BitmapLength();

    int32_t mode_;
    int32_t startMargin_;
    int32_t endMargin_;
    float level_ = 0.0f;
    int32_t length_ = 0;  // the bitmap's length along the meter, once known
};

}  // namespace zt::ge
