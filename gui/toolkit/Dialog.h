#pragma once

#include "gui/toolkit/Pane.h"

namespace zt::ge {

// A pane shown as a modal overlay inside the editor: while open it lies
// over everything else and takes all mouse, wheel and key input, whether
// its children handle it or not. Its bitmap, when it has one, is drawn
// under the children (with its fourth byte, so a dimming backdrop works).
class IDialog : public virtual IPane {
public:
    virtual void Open(IWindow* window) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
};

class CDialog : public virtual IDialog, public CPane {
public:
    explicit CDialog(const SRect& rect, int32_t id = -1, int32_t bitmapId = -1);

    void Open(IWindow* window) override;
    void Close() override;
    bool IsOpen() const override;

    bool Mouse(EMouseEvent event, SPoint point) override;
    bool Wheel(SPoint point, float notches) override;
    bool Key(int32_t keyCode) override;

protected:
    ~CDialog() override;
    void DrawBackground(IDrawContext& context) override;

private:
    IWindow* openIn_ = nullptr;
};

}  // namespace zt::ge
