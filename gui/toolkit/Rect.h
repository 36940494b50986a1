#pragma once

#include "gui/toolkit/Colour.h"
#include "gui/toolkit/Control.h"

namespace zt::ge {

// A filled rectangle with an optional one-pixel outline.
class IRect : public virtual IControl {
public:
    virtual void SetFill(SColour colour) = 0;
    virtual void SetOutline(SColour colour) = 0;
    virtual void ClearOutline() = 0;
};

class CRect : public virtual IRect, public CControl {
public:
    CRect(const SRect& rect, SColour fill, int32_t id = -1);

    void SetFill(SColour colour) override;
    void SetOutline(SColour colour) override;
    void ClearOutline() override;
    void Draw(IDrawContext& context) override;

protected:
    ~CRect() override;

private:
    SColour fill_;
    SColour outline_;
    bool hasOutline_ = false;
};

// A straight line between two points of the parent pane (the GDI-style
// line: one pixel per step along the longer axis, both ends included).
class ILine : public virtual IControl {
public:
    virtual void SetColour(SColour colour) = 0;
    virtual void SetEnd(SPoint end) = 0;  // relative to the parent, like the start
};

class CLine : public virtual ILine, public CControl {
public:
    CLine(SPoint start, SPoint end, SColour colour, int32_t id = -1);

    void SetColour(SColour colour) override;
    void SetEnd(SPoint end) override;
    void Draw(IDrawContext& context) override;

protected:
    ~CLine() override;

private:
    void Fit();

    SPoint start_;
    SPoint end_;
    SColour colour_;
};

}  // namespace zt::ge
