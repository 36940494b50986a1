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
    : m_window(window), m_root(std::move(root)), m_font(font), m_done(std::move(done))
{}

CMenuSession::~CMenuSession() { m_levels.clear(); }

int32_t CMenuSession::ItemHeight() const
{
    return m_font ? m_font->GetLineHeight() + kItemPadding : kFallbackItemHeight;
}

bool CMenuSession::Open(SPoint point)
{
    if (m_root.items.empty() || !m_levels.empty() || m_finished)
        return false;
    m_openedAt = point;
    if (!OpenLevel(m_root, point))
        return false;
    m_levels.front().popup->GrabInput();
    return true;
}

bool CMenuSession::OpenLevel(const SMenuItem& menu, SPoint at)
{
    if (menu.items.empty())
        return false;
    int32_t width = kMinWidth;
    for (const SMenuItem& item : menu.items) {
        const int32_t text
            = m_font ? m_font->GetTextWidth(item.text.data(), item.text.size()) : int32_t(item.text.size()) * 7;
        width = std::max(width, text + 2 * kTextIndent + kArrowRoom);
    }
    const int32_t height = menu.Count() * ItemHeight() + 2;
    std::unique_ptr<INativePopup> popup(m_window.CreatePopup(this));
    if (!popup)
        return false;
    SLevel level;
    level.menu = &menu;
    level.rect = popup->Show(SRect(at, {width, height}));
    level.popup = std::move(popup);
    m_levels.push_back(std::move(level));
    Draw(m_levels.back());
    return true;
}

void CMenuSession::CloseLevelsAfter(std::size_t level)
{
    while (m_levels.size() > level + 1)
        m_levels.pop_back();
}

SRect CMenuSession::GetLevelRect(int32_t level) const
{
    return level >= 0 && level < GetLevelCount() ? m_levels[std::size_t(level)].rect : SRect();
}

SRect CMenuSession::GetItemRect(int32_t level, int32_t item) const
{
    if (level < 0 || level >= GetLevelCount())
        return {};
    const SLevel& l = m_levels[std::size_t(level)];
    if (item < 0 || item >= l.menu->Count())
        return {};
    return SRect(l.rect.position.x + 1, l.rect.position.y + 1 + item * ItemHeight(), l.rect.size.width - 2,
                 ItemHeight());
}

int32_t CMenuSession::GetHighlight(int32_t level) const
{
    return level >= 0 && level < GetLevelCount() ? m_levels[std::size_t(level)].highlight : -1;
}

bool CMenuSession::Hit(SPoint point, std::size_t& level, int32_t& item) const
{
    // The deepest level first: sub-menus lie over their parents.
    for (std::size_t l = m_levels.size(); l-- > 0;) {
        if (!m_levels[l].rect.Contains(point))
            continue;
        level = l;
        item = -1;
        for (int32_t i = 0; i < m_levels[l].menu->Count(); ++i)
            if (GetItemRect(int32_t(l), i).Contains(point))
                item = i;
        return true;
    }
    return false;
}

void CMenuSession::Highlight(std::size_t level, int32_t item, bool openSubMenu)
{
    CloseLevelsAfter(level);
    SLevel& l = m_levels[level];
    if (l.highlight != item) {
        l.highlight = item;
        Draw(l);
    }
    if (openSubMenu)
        OpenSubMenu(level);
}

void CMenuSession::OpenSubMenu(std::size_t level)
{
    SLevel& l = m_levels[level];
    if (l.highlight < 0 || m_levels.size() > level + 1)
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
    if (!m_finished)
        Finish(false, 0);
}

void CMenuSession::Finish(bool chosen, int32_t command)
{
    m_finished = true;
    m_levels.clear();  // closes the popups and gives the input back
    if (m_done) {
        FDone done = std::move(m_done);
        m_done = nullptr;
        done(chosen, command);
    }
}

void CMenuSession::OnPopupMouse(EMouseEvent event, SPoint point)
{
    if (m_finished || m_levels.empty())
        return;
    RunGuarded([&] {
        std::size_t level = 0;
        int32_t item = -1;
        const bool inside = Hit(point, level, item);
        switch (event) {
        case kMouseMove:
            if (point != m_openedAt)
                m_moved = true;
            if (inside && item >= 0)
                Highlight(level, item, true);
            break;
        case kMouseLeftDown:
        case kMouseRightDown:
        case kMouseLeftDoubleClick:
        case kMouseRightDoubleClick:
            m_moved = true;  // a fresh press: its release counts
            if (!inside)
                Cancel();
            break;
        case kMouseLeftUp:
        case kMouseRightUp: {
            if (!inside || item < 0 || !m_moved)
                break;
            const SMenuItem& chosen = m_levels[level].menu->At(item);
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
    if (m_finished || m_levels.empty())
        return;
    RunGuarded([&] {
        const std::size_t deepest = m_levels.size() - 1;
        SLevel& l = m_levels[deepest];
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
                if (m_levels.size() > deepest + 1)
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
                if (m_levels.size() > deepest + 1)
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
        if (m_font) {
            const SPoint at{row.position.x + kTextIndent, row.position.y + (itemHeight - m_font->GetHeight()) / 2};
            m_font->DrawText(context, at, item.text.data(), item.text.size(), row);
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
