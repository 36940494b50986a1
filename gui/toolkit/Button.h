#pragma once

#include "gui/toolkit/Control.h"

namespace zt::ge {

// A push button drawn from a two-frame bitmap (up above, down below; a
// one-frame bitmap shows the same image in both states). It shows the down
// image while pressed or while its value is on (above 0.5). A left press
// or double-click presses it; the release sends the click to the receivers
// when it comes inside. Once per click it also sends the value 0 with
// notification, framed by begin and end edit: at the press, or at the
// release for a latched button.
class IButton : public virtual IControl {
public:
    virtual void SetLatched(bool latched) = 0;
    virtual bool IsLatched() const = 0;
    virtual void SetHandCursor(bool hand) = 0;  // the hand shows while the pointer is over it
    virtual bool IsPressed() const = 0;
    virtual void SetFrameCount(int32_t frames) = 0;  // 1 or 2 (the default)
};

class CButton : public virtual IButton, public CControl {
public:
    CButton(const SRect& rect, int32_t id = -1, int32_t bitmapId = -1);

    void SetLatched(bool latched) override;
    bool IsLatched() const override;
    void SetHandCursor(bool hand) override;
    bool IsPressed() const override;
    void SetFrameCount(int32_t frames) override;

    void Draw(IDrawContext& context) override;
    bool Mouse(EMouseEvent event, SPoint point) override;

protected:
    ~CButton() override;

private:
    void SendValue();

    bool pressed_ = false;
    bool latched_ = false;
    bool handCursor_ = false;
    bool hovering_ = false;
    int32_t frames_ = 2;
};

}  // namespace zt::ge
