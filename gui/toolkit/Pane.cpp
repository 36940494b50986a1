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
    for (IControl* child : m_children)
        child->Destroy();
}

void CPane::AddChild(IControl* child)
{
    if (!child)
        return;
    m_children.push_back(child);
    child->SetParent(this);
    child->Invalidate();
}

bool CPane::RemoveChild(IControl* child)
{
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end())
        return false;
    child->Invalidate();
    if (IWindow* window = GetWindow())
        ForgetTree(*window, child);
    m_children.erase(it);
    child->SetParent(nullptr);
    return true;
}

int32_t CPane::GetChildCount() const { return int32_t(m_children.size()); }

IControl* CPane::GetChild(int32_t index) const
{
    return index >= 0 && std::size_t(index) < m_children.size() ? m_children[std::size_t(index)] : nullptr;
}

IControl* CPane::FindControl(int32_t id) const
{
    for (IControl* child : m_children) {
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
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (m_children[i]->IsVisible())
            m_children[i]->Draw(context);
}

template <class F>
bool CPane::OfferTopmostFirst(F&& offer)
{
    if (!TakesInput())
        return false;
    // By index, so a handler that adds children does not pull the list from under us.
    for (std::size_t i = m_children.size(); i-- > 0;) {
        if (i >= m_children.size())
            continue;
        IControl* child = m_children[i];
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
    for (std::size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->Tick();
}

}  // namespace zt::ge
