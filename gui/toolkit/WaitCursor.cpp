#include "gui/toolkit/WaitCursor.h"

#include "gui/toolkit/Window.h"

namespace zt::ge {

CWaitCursor::CWaitCursor(IWindow* window) : m_window(window)
{
    if (!m_window)
        return;
    m_previous = m_window->GetCursorShape();
    m_window->SetCursorShape(kCursorWait);
}

CWaitCursor::~CWaitCursor()
{
    if (m_window)
        m_window->SetCursorShape(m_previous);
}

}  // namespace zt::ge
