#include "gui/toolkit/Pane.h"

#include <algorithm>

#include "gui/toolkit/Window.h"

namespace zt::ge {
namespace {

void ForgetTree(IWindow& window, IControl* control)
{
    window.ForgetControl(control);
    if (auto* pane = dynamic_cast<IPane*>(control))
        for (int32_t i = 0; i < pane->GetChildCount(); ++i)
            ForgetTree(window, pane->GetChild(i));
}

}  // namespace

CPane::CPane(const SRect& rect, int32_t id) : CControl(rect, id) {}

CPane::~CPane()
{
    for (IControl* child : children_)
        child->Destroy();
}

void CPane::AddChild(IControl* child)
{
    if (!child)
        return;
    children_.push_back(child);
    child->SetParent(this);
    child->Invalidate();
}

bool CPane::RemoveChild(IControl* child)
{
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end())
        return false;
    child->Invalidate();
    if (IWindow* window = GetWindow())
        ForgetTree(*window, child);
    children_.erase(it);
    child->SetParent(nullptr);
    return true;
}

int32_t CPane::GetChildCount() const { return int32_t(children_.size()); }

IControl* CPane::GetChild(int32_t index) const
{
    return index >= 0 && std::size_t(index) < children_.size() ? children_[std::size_t(index)] : nullptr;
}

IControl* CPane::FindControl(int32_t id) const
{
    for (IControl* child : children_) {
        if (child->GetId() == id)
            return child;
        if (auto* pane = dynamic_cast<IPane*>(child))
            if (IControl* found = pane->FindControl(id))
                return found;
    }
    return nullptr;
}

void CPane::DrawBackground(IDrawContext&) {}

void CPane::Draw(IDrawContext& context)
{
    if (!IsVisible())
        return;
    DrawBackground(context);
    for (std::size_t i = 0; i < children_.size(); ++i)
        if (children_[i]->IsVisible())
            children_[i]->Draw(context);
}

template <class F>
bool CPane::OfferTopmostFirst(F&& offer)
{
    if (!TakesInput())
        return false;
    // By index, so a handler that adds children does not pull the list from under us.
    for (std::size_t i = children_.size(); i-- > 0;) {
        if (i >= children_.size())
            continue;
        IControl* child = children_[i];
        if (child->IsVisible() && child->IsEnabled() && offer(child))
            return true;
    }
    return false;
}

bool CPane::Mouse(EMouseEvent event, SPoint point)
{
    return OfferTopmostFirst([&](IControl* c) { return c->Mouse(event, point); });
}

bool CPane::Wheel(SPoint point, float notches)
{
    return OfferTopmostFirst([&](IControl* c) { return c->Wheel(point, notches); });
}

bool CPane::Key(int32_t keyCode)
{
    return OfferTopmostFirst([&](IControl* c) { return c->Key(keyCode); });
}

void CPane::Tick()
{
    CControl::Tick();
    for (std::size_t i = 0; i < children_.size(); ++i)
        children_[i]->Tick();
}

}  // namespace zt::ge
