#pragma once

#include <functional>

#include "gui/toolkit/Control.h"
#include "gui/toolkit/DrawContext.h"

namespace zt::ge {

// A plain drawing surface: its owner draws whatever it likes through the
// primitives, clipped to the control.
class I2D : public virtual IControl {
public:
    using FDraw = std::function<void(IDrawPrimitives& primitives, const SRect& area)>;
    // area is the control's absolute rectangle, also the clip.
    virtual void SetDrawFunction(FDraw draw) = 0;
};

class C2D : public virtual I2D, public CControl {
public:
    explicit C2D(const SRect& rect = {}, int32_t id = -1, FDraw draw = {});

    void SetDrawFunction(FDraw draw) override;
    void Draw(IDrawContext& context) override;

private:
    FDraw draw_;
};

}  // namespace zt::ge
