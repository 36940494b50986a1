#pragma once

#include "foundation/Interface.h"
#include "gui/native/DC.h"
#include "gui/toolkit/DrawPrimitives.h"

namespace zt::ge {

// What a control gets to draw with: the window's surface for the current
// paint and the primitives that write into it. Controls draw in window
// coordinates and clip to their own absolute rectangle.
class IDrawContext : public virtual IInterface {
public:
    virtual IDC& GetDC() = 0;
    virtual IDrawPrimitives& GetPrimitives() = 0;
};

class CDrawContext : public virtual IDrawContext {
public:
    explicit CDrawContext(IDC& dc) : dc_(dc), primitives_(dc) {}

    IDC& GetDC() override { return dc_; }
    IDrawPrimitives& GetPrimitives() override { return primitives_; }
    CDrawPrimitives& GetDrawPrimitives() { return primitives_; }

private:
    IDC& dc_;
    CDrawPrimitives primitives_;
};

}  // namespace zt::ge
