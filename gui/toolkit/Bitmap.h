#pragma once

#include "gui/toolkit/Control.h"

namespace zt::ge {

// A skin image, or one frame of an image that holds several one below the
// other. Takes no input.
class IBitmap : public virtual IControl {
public:
    virtual void SetFrame(int32_t index, int32_t frameCount) = 0;
    virtual int32_t GetFrame() const = 0;
};

class CBitmap : public virtual IBitmap, public CControl {
public:
    CBitmap(const SRect& rect, int32_t bitmapId = -1, int32_t id = -1);

    void SetFrame(int32_t index, int32_t frameCount) override;
    int32_t GetFrame() const override;
    void Draw(IDrawContext& context) override;

protected:
    ~CBitmap() override;

private:
    int32_t frame_ = 0;
    int32_t frames_ = 1;
};

}  // namespace zt::ge
