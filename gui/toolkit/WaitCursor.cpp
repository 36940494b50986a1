#include "gui/toolkit/WaitCursor.h"

#include "gui/toolkit/Window.h"

namespace zt::ge {

CWaitCursor::CWaitCursor(IWindow* window) : window_(window)
{
    if (!window_)
        return;
    previous_ = window_->GetCursorShape();
    window_->SetCursorShape(kCursorWait);
}

CWaitCursor::~CWaitCursor()
{
    if (window_)
        window_->SetCursorShape(previous_);
}

}  // namespace zt::ge
