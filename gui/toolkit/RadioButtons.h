#pragma once

#include "gui/toolkit/Button.h"
#include "gui/toolkit/Pane.h"

namespace zt::ge {

// A group of buttons of which exactly one is chosen. The group is a pane
// whose children are the choices; a left press on a child chooses it. The
// group's value is the chosen index as a stepped value, index / (N - 1),
// sent with notification between begin and end edit; setting the value
// from outside moves the choice without a message.
class IRadioButtons : public virtual IPane {
public:
    // A choice at rect (relative to the group) drawn from a two-frame bitmap.
    virtual IButton* AddChoice(const SRect& rect, int32_t bitmapId = -1) = 0;
    virtual int32_t GetChoiceCount() const = 0;
    virtual int32_t GetChosen() const = 0;
};

class CRadioButtons : public virtual IRadioButtons, public CPane {
public:
    explicit CRadioButtons(const SRect& rect, int32_t id = -1);

    IButton* AddChoice(const SRect& rect, int32_t bitmapId = -1) override;
    int32_t GetChoiceCount() const override;
    int32_t GetChosen() const override;

    void SetValue(float value, bool notify) override;
    bool Mouse(EMouseEvent event, SPoint point) override;

protected:
    ~CRadioButtons() override;

private:
    void ShowChoice();
};

}  // namespace zt::ge
