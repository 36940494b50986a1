#pragma once

#include "gui/toolkit/Control.h"
#include "gui/toolkit/Slider.h"
#include "gui/toolkit/ValueDrag.h"

namespace zt::ge {

// A track with a thumb: value 0 puts the thumb at the top (left), 1 at the
// bottom (right). Dragging the thumb moves it with the pointer (the
// slider's rule with the travel as its length); a press on the track beside
// the thumb moves one page towards the press; the wheel scrolls a tenth of
// a page per notch.
class IScrollBar : public virtual IControl {
public:
    virtual void SetThumbBitmapId(int32_t resourceId) = 0;
    virtual void SetThumbLength(int32_t pixels) = 0;
    virtual void SetPage(float page) = 0;    // the part of the range one page covers
    virtual SRect GetThumbRect() const = 0;  // window coordinates
    virtual bool IsDragging() const = 0;
};

class CScrollBar : public virtual IScrollBar, public CControl {
public:
    // The control's own bitmap is the track, drawn stretched by tiling its
    // middle row (or column) over the length.
    CScrollBar(const SRect& rect, int32_t orientation = kVertical, int32_t id = -1, int32_t trackBitmapId = -1,
               int32_t thumbBitmapId = -1);

    void SetThumbBitmapId(int32_t resourceId) override;
    void SetThumbLength(int32_t pixels) override;
    void SetPage(float page) override;
    SRect GetThumbRect() const override;
    bool IsDragging() const override;

    void Draw(IDrawContext& context) override;
    bool Mouse(EMouseEvent event, SPoint point) override;
    bool Wheel(SPoint point, float notches) override;

protected:
    ~CScrollBar() override;

private:
    int32_t Travel() const;
    IBitmapResource* Thumb();

    int32_t orientation_;
    int32_t thumbLength_ = 24;
    float page_ = 0.1f;
    int32_t thumbId_ = -1;
    TResourceRef<IBitmapResource> thumb_;
    CValueDrag drag_;
};

}  // namespace zt::ge
