#pragma once

#include <memory>

#include "gui/toolkit/Control.h"
#include "gui/toolkit/FontSlot.h"
#include "gui/toolkit/MenuSession.h"

namespace zt::ge {

// A button that opens a menu. A left press on it shows the menu (built
// afresh from the item tree each time) with its corner at the pointer; the
// chosen item's command, truncated to an integer, becomes the control's
// value and is sent with notification. Closing the menu without a choice
// sends nothing. The value is not limited to [0, 1].
class IPopupMenu : public virtual IControl {
public:
    virtual SMenuItem& GetItems() = 0;  // the root: add items and sub-menus to it
    virtual void SetFont(int32_t fontId, SColour colour) = 0;
    virtual void SetFont(IFontResource* font) = 0;
    virtual bool IsMenuOpen() const = 0;
    virtual CMenuSession* GetSession() = 0;  // the open menu, or null
    virtual void CloseMenu() = 0;
};

class CPopupMenu : public virtual IPopupMenu, public CControl {
public:
    CPopupMenu(const SRect& rect, int32_t id = -1, int32_t bitmapId = -1);

    SMenuItem& GetItems() override;
    void SetFont(int32_t fontId, SColour colour) override;
    void SetFont(IFontResource* font) override;
    bool IsMenuOpen() const override;
    CMenuSession* GetSession() override;
    void CloseMenu() override;

    void Draw(IDrawContext& context) override;
    bool Mouse(EMouseEvent event, SPoint point) override;
    void Tick() override;

protected:
    ~CPopupMenu() override;

private:
    void OnMenuDone(bool chosen, int32_t command);

    SMenuItem items_;
    CFontSlot font_;
    std::unique_ptr<CMenuSession> session_;
};

}  // namespace zt::ge
