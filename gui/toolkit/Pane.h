#pragma once

#include <vector>

#include "gui/toolkit/Control.h"

namespace zt::ge {

// A control that holds other controls. Children draw in the order they were
// added, so a later child lies on top and is offered input first.
class IPane : public virtual IControl {
public:
    // Takes ownership: the pane destroys its children. Null is ignored.
    virtual void AddChild(IControl* child) = 0;
    // Hands child back to the caller, who owns it from then on; its area is
    // invalidated and the window forgets it and everything inside it. False
    // when it is not a child of this pane.
    virtual bool RemoveChild(IControl* child) = 0;
    virtual int32_t GetChildCount() const = 0;
    virtual IControl* GetChild(int32_t index) const = 0;  // null out of range
    // The first control with that id, depth first, in the order added.
    virtual IControl* FindControl(int32_t id) const = 0;
};

class CPane : public virtual IPane, public CControl {
public:
    explicit CPane(const SRect& rect = {}, int32_t id = -1);

    void AddChild(IControl* child) override;
    bool RemoveChild(IControl* child) override;
    int32_t GetChildCount() const override;
    IControl* GetChild(int32_t index) const override;
    IControl* FindControl(int32_t id) const override;

    // Background, then the visible children in order.
    void Draw(IDrawContext& context) override;
    // Offered to the children that are visible and enabled, topmost first,
    // until one handles it.
    bool Mouse(EMouseEvent event, SPoint point) override;
    bool Wheel(SPoint point, float notches) override;
    bool Key(int32_t keyCode) override;
    // Own tooltip, then every child's tick, shown or not.
    void Tick() override;

protected:
    ~CPane() override;
    // What the pane draws under its children; nothing by default.
    virtual void DrawBackground(IDrawContext& context);

private:
    template <class F>
    bool OfferTopmostFirst(F&& offer);

    std::vector<IControl*> children_;
};

}  // namespace zt::ge
