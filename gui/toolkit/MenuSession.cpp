#include "gui/toolkit/MenuSession.h"

#include <algorithm>
#include <cmath>

#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/FontResource.h"
#include "gui/toolkit/SevereError.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

SMenuItem& SMenuItem::Add(const char* itemText, float itemCommand)
{
    SMenuItem item;
    item.text = std::string(itemText ? itemText : "").substr(0, kMaxText);
    item.command = itemCommand;
    items.push_back(std::move(item));
    return items.back();
}

const SMenuItem& SMenuItem::At(int32_t index) const { return *std::next(items.begin(), index); }

SMenuItem& SMenuItem::AddSubMenu(const char* itemText)
{
    SMenuItem& item = Add(itemText, 0.0f);
    item.subMenu = true;
    return item;
}

CMenuSession::CMenuSession(IWindow& window, SMenuItem root, IFontResource* font, FDone done)
    : window_(window), root_(std::move(root)), font_(font), done_(std::move(done))
{}

CMenuSession::~CMenuSession() { levels_.clear(); }

int32_t CMenuSession::ItemHeight() const { return font_ ? font_->GetLineHeight() + kItemPadding : kFallbackItemHeight; }

bool CMenuSession::Open(SPoint point)
{
    if (root_.items.empty() || !levels_.empty() || finished_)
        return false;
    openedAt_ = point;
    if (!OpenLevel(root_, point))
        return false;
    levels_.front().popup->GrabInput();
    return true;
}

bool CMenuSession::OpenLevel(const SMenuItem& menu, SPoint at)
{
    if (menu.items.empty())
        return false;
    int32_t width = kMinWidth;
    for (const SMenuItem& item : menu.items) {
        const int32_t text
            = font_ ? font_->GetTextWidth(item.text.data(), item.text.size()) : int32_t(item.text.size()) * 7;
        width = std::max(width, text + 2 * kTextIndent + kArrowRoom);
    }
    const int32_t height = menu.Count() * ItemHeight() + 2;
    std::unique_ptr<INativePopup> popup(window_.CreatePopup(this));
    if (!popup)
        return false;
    SLevel level;
    level.menu = &menu;
    level.rect = popup->Show(SRect(at, {width, height}));
    level.popup = std::move(popup);
    levels_.push_back(std::move(level));
    Draw(levels_.back());
    return true;
}

void CMenuSession::CloseLevelsAfter(std::size_t level)
{
    while (levels_.size() > level + 1)
        levels_.pop_back();
}

SRect CMenuSession::GetLevelRect(int32_t level) const
{
    return level >= 0 && level < GetLevelCount() ? levels_[std::size_t(level)].rect : SRect();
}

SRect CMenuSession::GetItemRect(int32_t level, int32_t item) const
{
    if (level < 0 || level >= GetLevelCount())
        return {};
    const SLevel& l = levels_[std::size_t(level)];
    if (item < 0 || item >= l.menu->Count())
        return {};
    return SRect(l.rect.position.x + 1, l.rect.position.y + 1 + item * ItemHeight(), l.rect.size.width - 2,
                 ItemHeight());
}

int32_t CMenuSession::GetHighlight(int32_t level) const
{
    return level >= 0 && level < GetLevelCount() ? levels_[std::size_t(level)].highlight : -1;
}

bool CMenuSession::Hit(SPoint point, std::size_t& level, int32_t& item) const
{
    // The deepest level first: sub-menus lie over their parents.
    for (std::size_t l = levels_.size(); l-- > 0;) {
        if (!levels_[l].rect.Contains(point))
            continue;
        level = l;
        item = -1;
        for (int32_t i = 0; i < levels_[l].menu->Count(); ++i)
            if (GetItemRect(int32_t(l), i).Contains(point))
                item = i;
        return true;
    }
    return false;
}

void CMenuSession::Highlight(std::size_t level, int32_t item, bool openSubMenu)
{
    CloseLevelsAfter(level);
    SLevel& l = levels_[level];
    if (l.highlight != item) {
        l.highlight = item;
        Draw(l);
    }
    if (openSubMenu)
        OpenSubMenu(level);
}

void CMenuSession::OpenSubMenu(std::size_t level)
{
    SLevel& l = levels_[level];
    if (l.highlight < 0 || levels_.size() > level + 1)
        return;
    const SMenuItem& item = l.menu->At(l.highlight);
    if (!item.subMenu || item.items.empty())
        return;
    const SRect row = GetItemRect(int32_t(level), l.highlight);
    OpenLevel(item, {l.rect.position.x + l.rect.size.width - 2, row.position.y - 1});
}

void CMenuSession::Choose(const SMenuItem& item)
{
    // Commands are whole numbers; the float only carries them.
    const double command = std::trunc(double(item.command));
    Finish(true, int32_t(std::clamp(command, double(INT32_MIN), double(INT32_MAX))));
}

void CMenuSession::Cancel()
{
    if (!finished_)
        Finish(false, 0);
}

void CMenuSession::Finish(bool chosen, int32_t command)
{
    finished_ = true;
    levels_.clear();  // closes the popups and gives the input back
    if (done_) {
        FDone done = std::move(done_);
        done_ = nullptr;
        done(chosen, command);
    }
}

void CMenuSession::OnPopupMouse(EMouseEvent event, SPoint point)
{
    if (finished_ || levels_.empty())
        return;
    RunGuarded([&] {
        std::size_t level = 0;
        int32_t item = -1;
        const bool inside = Hit(point, level, item);
        switch (event) {
        case kMouseMove:
            if (point != openedAt_)
                moved_ = true;
            if (inside && item >= 0)
                Highlight(level, item, true);
            break;
        case kMouseLeftDown:
        case kMouseRightDown:
        case kMouseLeftDoubleClick:
        case kMouseRightDoubleClick:
            moved_ = true;  // a fresh press: its release counts
            if (!inside)
                Cancel();
            break;
        case kMouseLeftUp:
        case kMouseRightUp: {
            if (!inside || item < 0 || !moved_)
                break;
            const SMenuItem& chosen = levels_[level].menu->At(item);
            if (chosen.subMenu)
                Highlight(level, item, true);
            else
                Choose(chosen);
            break;
        }
        default:
            break;
        }
    });
}

void CMenuSession::OnPopupKey(int32_t keyCode)
{
    if (finished_ || levels_.empty())
        return;
    RunGuarded([&] {
        const std::size_t deepest = levels_.size() - 1;
        SLevel& l = levels_[deepest];
        const int32_t count = l.menu->Count();
        switch (keyCode) {
        case kKeyDown:
            Highlight(deepest, l.highlight < 0 ? 0 : (l.highlight + 1) % count, false);
            break;
        case kKeyUp:
            Highlight(deepest, l.highlight <= 0 ? count - 1 : l.highlight - 1, false);
            break;
        case kKeyRight:
            if (l.highlight >= 0) {
                OpenSubMenu(deepest);
                if (levels_.size() > deepest + 1)
                    Highlight(deepest + 1, 0, false);
            }
            break;
        case kKeyLeft:
            if (deepest > 0)
                CloseLevelsAfter(deepest - 1);
            break;
        case kKeyEscape:
            if (deepest > 0)
                CloseLevelsAfter(deepest - 1);
            else
                Cancel();
            break;
        case kKeyEnter:
        case kKeySpace: {
            if (l.highlight < 0)
                break;
            const SMenuItem& item = l.menu->At(l.highlight);
            if (!item.subMenu) {
                Choose(item);
            } else {
                OpenSubMenu(deepest);
                if (levels_.size() > deepest + 1)
                    Highlight(deepest + 1, 0, false);
            }
            break;
        }
        default:
            break;
        }
    });
}

void CMenuSession::Draw(SLevel& level)
{
    IDC& surface = level.popup->GetSurface();
    if (!surface.GetBits())
        return;
    CDrawContext context(surface);
    IDrawPrimitives& draw = context.GetPrimitives();
    const SRect all({0, 0}, level.rect.size);
    draw.FillRect(all, kFill, all);
    draw.FrameRect(all, kBorder, all);
    const int32_t itemHeight = ItemHeight();
    int32_t i = 0;
    for (const SMenuItem& item : level.menu->items) {
        const SRect row(1, 1 + i * itemHeight, all.size.width - 2, itemHeight);
        if (i == level.highlight)
            draw.FillRect(row, kHighlight, row);
        if (font_) {
            const SPoint at{row.position.x + kTextIndent, row.position.y + (itemHeight - font_->GetHeight()) / 2};
            font_->DrawText(context, at, item.text.data(), item.text.size(), row);
        }
        if (item.subMenu) {
            // A small solid triangle pointing right.
            const int32_t cx = row.position.x + row.size.width - kArrowRoom / 2 - 2,
                          cy = row.position.y + itemHeight / 2;
            for (int32_t k = 0; k < 4; ++k)
                draw.DrawLine({cx + k, cy - 3 + k}, {cx + k, cy + 3 - k}, kArrow, row);
        }
        ++i;
    }
    level.popup->Present();
}

}  // namespace zt::ge
