#pragma once

#include <cstdint>

namespace zt::ge {

class IWindow;

// Shows the wait cursor while it exists and the cursor that was there
// before once it goes: { CWaitCursor wait(window); ...long work... }
class IWaitCursor {
public:
    virtual ~IWaitCursor() = default;
};

class CWaitCursor : public IWaitCursor {
public:
    explicit CWaitCursor(IWindow* window);
    ~CWaitCursor() override;
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    IWindow* window_;
    int32_t previous_ = 0;
};

}  // namespace zt::ge
