#include "gui/toolkit/RadioButtons.h"

#include <cmath>

namespace zt::ge {

CRadioButtons::CRadioButtons(const SRect& rect, int32_t id) : CPane(rect, id) {}

CRadioButtons::~CRadioButtons() = default;

IButton* CRadioButtons::AddChoice(const SRect& rect, int32_t bitmapId)
{
    auto* button = new CButton(rect, -1, bitmapId);
    AddChild(button);
    SetSteps(GetChildCount());
    ShowChoice();
    return button;
}

int32_t CRadioButtons::GetChoiceCount() const { return GetChildCount(); }

int32_t CRadioButtons::GetChosen() const
{
    const int32_t n = GetChildCount();
    if (n < 2)
        return 0;
    return int32_t(std::lround(GetValue() * float(n - 1)));
}

void CRadioButtons::ShowChoice()
{
    const int32_t chosen = GetChosen();
    for (int32_t i = 0; i < GetChildCount(); ++i)
        GetChild(i)->SetValue(i == chosen ? 1.0f : 0.0f, false);
}

void CRadioButtons::SetValue(float value, bool notify)
{
    CPane::SetValue(value, notify);
    ShowChoice();
}

bool CRadioButtons::Mouse(EMouseEvent event, SPoint point)
{
    if (!TakesInput())
        return false;
    if (event != kMouseLeftDown && event != kMouseLeftDoubleClick)
        return false;
    // Topmost first, as the pane would offer it.
    for (int32_t i = GetChildCount(); i-- > 0;) {
        IControl* child = GetChild(i);
        if (!child->TakesInput() || !child->IsInside(point))
            continue;
        const int32_t n = GetChildCount();
        BeginEdit();
        SetValue(n < 2 ? 0.0f : float(i) / float(n - 1), true);
        EndEdit();
        return true;
    }
    return false;
}

}  // namespace zt::ge
