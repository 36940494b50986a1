#pragma once

#include "foundation/Interface.h"

namespace zt::ge {

class IControl;

// Hears what a control does. Panes and the product's GUI register receivers
// with the controls they care about; the parameter link is one of them.
class IEventReceiver : public virtual IInterface {
public:
    // A button was clicked (sent on release).
    virtual void OnClicked(IControl* control) = 0;
    // A value control's value was set with notification.
    virtual void OnValueChanged(IControl* control) = 0;
    // A user gesture starts and ends (press to release), so the host sees one
    // automation gesture per drag.
    virtual void OnBeginEdit(IControl* control) = 0;
    virtual void OnEndEdit(IControl* control) = 0;
};

// Ignores everything; derive and override what you need.
class CEventReceiver : public virtual IEventReceiver {
public:
    void OnClicked(IControl*) override {}
    void OnValueChanged(IControl*) override {}
    void OnBeginEdit(IControl*) override {}
    void OnEndEdit(IControl*) override {}
};

}  // namespace zt::ge
