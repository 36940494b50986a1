#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "gui/toolkit/Colour.h"
#include "gui/native/Geometry.h"
#include "gui/native/NativeWindow.h"

namespace zt::ge {

class IDrawContext;
class IFontResource;
class IWindow;

// One entry of a menu: a text (up to kMaxText characters) and the command
// it stands for, or a sub-menu of further items. A list, so the items a
// builder holds on to stay put while more are added.
struct SMenuItem {
    static constexpr std::size_t kMaxText = 64;

    std::string text;
    float command = 0.0f;
    std::list<SMenuItem> items;
    bool subMenu = false;

    SMenuItem& Add(const char* itemText, float itemCommand);
    SMenuItem& AddSubMenu(const char* itemText);  // fill it through the reference returned
    const SMenuItem& At(int32_t index) const;     // index within items
    int32_t Count() const { return int32_t(items.size()); }
};

// A menu while it is open: one popup per level (the menu and each open
// sub-menu), drawn by the toolkit. Moving over an item highlights it and
// opens its sub-menu; releasing the button on a command chooses it (the
// release of the press that opened the menu only after the pointer has
// moved); a press outside every level closes the menu. Up and Down move
// within the deepest level, Right opens a sub-menu, Left and Escape close
// one level (Escape on the last closes the menu), Enter chooses.
//
// When the menu closes, done is called once, with the command (truncated to
// an integer) or without one. The session must not be destroyed from
// inside done; its owner drops it later (IsFinished).
class CMenuSession final : public INativePopupListener {
public:
    using FDone = std::function<void(bool chosen, int32_t command)>;

    static constexpr int32_t kItemPadding = 6;
    static constexpr int32_t kTextIndent = 12;
    static constexpr int32_t kArrowRoom = 16;
    static constexpr int32_t kMinWidth = 120;
    static constexpr int32_t kFallbackItemHeight = 18;
    static constexpr SColour kFill = SColour::FromRGB(30, 33, 40);
    static constexpr SColour kBorder = SColour::FromRGB(96, 104, 118);
    static constexpr SColour kHighlight = SColour::FromRGB(32, 112, 160);
    static constexpr SColour kArrow = SColour::FromRGB(200, 206, 214);

    CMenuSession(IWindow& window, SMenuItem root, IFontResource* font, FDone done);
    ~CMenuSession();
    CMenuSession(const CMenuSession&) = delete;
    CMenuSession& operator=(const CMenuSession&) = delete;

    // Shows the menu with its top-left corner at point (window coordinates).
    // False, with done not called, when there is nothing to show or no popup.
    bool Open(SPoint point);
    bool IsFinished() const { return finished_; }
    void Cancel();

    void OnPopupMouse(EMouseEvent event, SPoint point) override;
    void OnPopupKey(int32_t keyCode) override;

    // The open levels, for drawing and tests.
    int32_t GetLevelCount() const { return int32_t(levels_.size()); }
    SRect GetLevelRect(int32_t level) const;
    SRect GetItemRect(int32_t level, int32_t item) const;
    int32_t GetHighlight(int32_t level) const;

private:
    struct SLevel {
        const SMenuItem* menu = nullptr;
        SRect rect;
        int32_t highlight = -1;
        std::unique_ptr<INativePopup> popup;
    };

    bool OpenLevel(const SMenuItem& menu, SPoint at);
    void CloseLevelsAfter(std::size_t level);
    void Highlight(std::size_t level, int32_t item, bool openSubMenu);
    void OpenSubMenu(std::size_t level);
    void Choose(const SMenuItem& item);
    void Finish(bool chosen, int32_t command);
    bool Hit(SPoint point, std::size_t& level, int32_t& item) const;
    int32_t ItemHeight() const;
    void Draw(SLevel& level);

    IWindow& window_;
    SMenuItem root_;
    IFontResource* font_;  // the owner keeps it alive
    FDone done_;
    std::vector<SLevel> levels_;
    SPoint openedAt_;
    bool moved_ = false;
    bool finished_ = false;
};

}  // namespace zt::ge
