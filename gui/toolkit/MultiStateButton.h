#pragma once

#include "gui/toolkit/Control.h"

namespace zt::ge {

// A button that steps through N states, one bitmap frame each (stacked top
// to bottom). Its value is the state index 0 .. N - 1, not normalised. A
// left press or double-click inside moves to the next state, wrapping to 0,
// with notification between begin and end edit. With capture on press the
// button keeps the mouse until the left button goes up.
class IMultiStateButton : public virtual IControl {
public:
    virtual int32_t GetStateCount() const = 0;
    virtual int32_t GetState() const = 0;
    virtual void SetCaptureOnPress(bool capture) = 0;
};

class CMultiStateButton : public virtual IMultiStateButton, public CControl {
public:
    CMultiStateButton(const SRect& rect, int32_t states, int32_t id = -1, int32_t bitmapId = -1);

    int32_t GetStateCount() const override;
    int32_t GetState() const override;
    void SetCaptureOnPress(bool capture) override;

    void Draw(IDrawContext& context) override;
    bool Mouse(EMouseEvent event, SPoint point) override;

protected:
    ~CMultiStateButton() override;

private:
    int32_t states_;
    bool captureOnPress_ = false;
    bool captured_ = false;
};

}  // namespace zt::ge
