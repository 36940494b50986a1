#include "gui/toolkit/DropDownListBox.h"

#include <algorithm>
#include <cmath>

#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {
namespace {

const std::string kNoEntry;

}  // namespace

// The open list as the window sees it: drawn over everything, after the tree.
class CDropDownListBox::CList : public CControl {
public:
    explicit CList(CDropDownListBox& owner) : m_owner(owner) {}
    void Draw(IDrawContext& context) override { m_owner.DrawList(context); }
    // Input reaches the box through its capture; the wheel comes here first.
    bool Wheel(SPoint point, float notches) override { return m_owner.Wheel(point, notches); }

private:
    CDropDownListBox& m_owner;
};

CDropDownListBox::CDropDownListBox(const SRect& rect, int32_t id, int32_t bitmapId) : CControl(rect, id)
{
    if (bitmapId >= 0)
        SetBitmapId(bitmapId);
}

CDropDownListBox::~CDropDownListBox() { Close(); }

void CDropDownListBox::SetEntries(const std::vector<std::string>& entries)
{
    Close();
    m_entries = entries;
    SetSteps(int32_t(m_entries.size()));
    SetValue(GetValue(), false);
}

void CDropDownListBox::AddEntry(const char* text)
{
    std::vector<std::string> entries = m_entries;
    entries.emplace_back(text ? text : "");
    SetEntries(entries);
}

int32_t CDropDownListBox::GetEntryCount() const { return int32_t(m_entries.size()); }

const std::string& CDropDownListBox::GetEntry(int32_t index) const
{
    return index >= 0 && index < GetEntryCount() ? m_entries[std::size_t(index)] : kNoEntry;
}

int32_t CDropDownListBox::GetSelected() const
{
    const int32_t n = GetEntryCount();
    if (n < 2)
        return 0;
    return int32_t(std::lround(GetValue() * float(n - 1)));
}

void CDropDownListBox::SetFont(int32_t fontId, SColour colour)
{
    m_font.Set(fontId, colour);
    Invalidate();
}

void CDropDownListBox::SetFont(IFontResource* font)
{
    m_font.Set(font);
    Invalidate();
}

bool CDropDownListBox::IsOpen() const { return m_list != nullptr; }

int32_t CDropDownListBox::RowHeight()
{
    IFontResource* font = m_font.Get(GetWindow());
    return font ? font->GetLineHeight() + kRowPadding : kFallbackRowHeight;
}

void CDropDownListBox::Layout()
{
    IWindow* window = GetWindow();
    const SSize client = window ? window->GetClientSize() : SSize{};
    const SRect box = GetAbsoluteRect();
    m_rowHeight = std::max(1, RowHeight());
    const int32_t count = GetEntryCount();

    int32_t width = box.size.width;
    if (IFontResource* font = m_font.Get(window))
        for (const std::string& entry : m_entries)
            width = std::max(width, font->GetTextWidth(entry.data(), entry.size()) + 2 * kTextIndent + 2);

    // Below the box when it fits, else above, else wherever there is more room.
    const int32_t below = client.height - (box.position.y + box.size.height);
    const int32_t above = box.position.y;
    const int32_t wanted = count * m_rowHeight + 2;
    const bool downwards = wanted <= below || below >= above;
    const int32_t room = std::max(downwards ? below : above, 3 * m_rowHeight + 2);
    int32_t rows = std::min(count, (room - 2) / m_rowHeight);
    m_paged = rows < count;
    if (m_paged)
        rows = std::max(1, rows);
    m_pageSize = m_paged ? std::max(1, rows - 1) : count;
    if (m_first >= count)
        m_first = 0;
    const int32_t height = rows * m_rowHeight + 2;
    const int32_t x = std::max(0, std::min(box.position.x, client.width - width));
    const int32_t y = downwards ? box.position.y + box.size.height : box.position.y - height;
    m_listRect = SRect(x, y, width, height);
}

SRect CDropDownListBox::GetListRect() const { return IsOpen() ? m_listRect : SRect(); }

int32_t CDropDownListBox::GetRowCount() const
{
    if (!IsOpen())
        return 0;
    if (!m_paged)
        return GetEntryCount();
    return std::min(m_pageSize, GetEntryCount() - m_first) + 1;
}

SRect CDropDownListBox::GetRowRect(int32_t row) const
{
    if (row < 0 || row >= GetRowCount())
        return {};
    return SRect(m_listRect.position.x + 1, m_listRect.position.y + 1 + row * m_rowHeight, m_listRect.size.width - 2,
                 m_rowHeight);
}

int32_t CDropDownListBox::GetRowEntry(int32_t row) const
{
    if (row < 0 || row >= GetRowCount())
        return -1;
    if (m_paged && row == GetRowCount() - 1)
        return -1;
    return m_first + row;
}

int32_t CDropDownListBox::RowAt(SPoint point) const
{
    for (int32_t row = 0; row < GetRowCount(); ++row)
        if (GetRowRect(row).Contains(point))
            return row;
    return -1;
}

void CDropDownListBox::Open()
{
    IWindow* window = GetWindow();
    if (IsOpen() || !window || GetEntryCount() == 0)
        return;
    // Open on the page that holds the current entry.
    m_first = 0;
    Layout();
    if (m_paged)
        m_first = GetSelected() / m_pageSize * m_pageSize;
    m_list = new CList(*this);
    m_list->SetPosition(m_listRect.position);
    m_list->SetSize(m_listRect.size);
    m_highlight = GetSelected() - m_first;
    window->AddOverlay(m_list);
    window->CaptureMouse(this);
    window->SetKeyFocus(this);
}

void CDropDownListBox::Close()
{
    if (!m_list)
        return;
    CList* list = m_list;
    m_list = nullptr;
    m_openingPress = false;
    if (IWindow* window = list->GetWindow()) {
        window->RemoveOverlay(list);  // invalidates what the list covered
        if (window->GetCapture() == this)
            window->ReleaseMouse(this);
        window->SetKeyFocus(nullptr);
    }
    list->Destroy();
    Invalidate();
}

void CDropDownListBox::Choose(int32_t entry)
{
    Close();
    const int32_t n = GetEntryCount();
    if (entry < 0 || entry >= n)
        return;
    BeginEdit();
    SetValue(n < 2 ? 0.0f : float(entry) / float(n - 1), true);
    EndEdit();
}

void CDropDownListBox::Scroll(int32_t rows)
{
    if (!m_paged)
        return;
    const int32_t last = std::max(0, GetEntryCount() - m_pageSize);
    m_first = std::clamp(m_first + rows, 0, last);
    m_list->Invalidate();
}

void CDropDownListBox::Activate(int32_t row)
{
    const int32_t entry = GetRowEntry(row);
    if (entry >= 0) {
        Choose(entry);
        return;
    }
    // "(More)...": the next page, and after the last the first again.
    m_first += m_pageSize;
    if (m_first >= GetEntryCount())
        m_first = 0;
    m_highlight = 0;
    m_list->Invalidate();
}

void CDropDownListBox::Draw(IDrawContext& context)
{
    const SRect area = GetAbsoluteRect();
    if (IBitmapResource* bitmap = GetBitmap())
        bitmap->DrawFrame(context.GetPrimitives(), 0, 1, area.position, area);
    IFontResource* font = m_font.Get(GetWindow());
    const std::string& text = GetEntry(GetSelected());
    if (!font || text.empty())
        return;
    // Short of the right end, where the skin draws the arrow.
    const SRect textArea(area.position.x + kTextIndent, area.position.y,
                         std::max(0, area.size.width - 3 * kTextIndent - 8), area.size.height);
    const SPoint at{textArea.position.x, area.position.y + (area.size.height - font->GetHeight()) / 2};
    font->DrawText(context, at, text.data(), text.size(), textArea);
}

void CDropDownListBox::DrawList(IDrawContext& context)
{
    if (!IsOpen())
        return;
    IDrawPrimitives& draw = context.GetPrimitives();
    draw.FillRect(m_listRect, kListFill, m_listRect);
    draw.FrameRect(m_listRect, kListBorder, m_listRect);
    IFontResource* font = m_font.Get(GetWindow());
    const int32_t selected = GetSelected();
    for (int32_t row = 0; row < GetRowCount(); ++row) {
        const SRect r = GetRowRect(row);
        const int32_t entry = GetRowEntry(row);
        if (row == m_highlight)
            draw.FillRect(r, kRowHighlight, r);
        if (entry == selected)
            draw.FillRect(SRect(r.position.x, r.position.y + 2, 2, r.size.height - 4), kCurrentMark, r);
        if (!font)
            continue;
        const std::string& text = entry >= 0 ? GetEntry(entry) : std::string(kMoreText);
        const SPoint at{r.position.x + kTextIndent, r.position.y + (r.size.height - font->GetHeight()) / 2};
        font->DrawText(context, at, text.data(), text.size(), r);
    }
}

bool CDropDownListBox::Mouse(EMouseEvent event, SPoint point)
{
    IWindow* window = GetWindow();
    if (!window)
        return false;
    if (!IsOpen()) {
        if (!TakesInput() || (event != kMouseLeftDown && event != kMouseLeftDoubleClick) || !IsInside(point))
            return false;
        Open();
        m_openingPress = IsOpen();
        return true;
    }
    switch (event) {
    case kMouseMove: {
        const int32_t row = RowAt(point);
        if (row != m_highlight && row >= 0) {
            m_highlight = row;
            m_list->Invalidate();
        }
        return true;
    }
    case kMouseLeftDown:
    case kMouseLeftDoubleClick:
        if (RowAt(point) < 0)
            m_openingPress = false;  // the release that follows decides
        return true;
    case kMouseLeftUp: {
        const int32_t row = RowAt(point);
        if (row >= 0) {
            Activate(row);
        } else if (m_openingPress && IsInside(point)) {
            m_openingPress = false;  // a plain click on the box: stay open
        } else {
            Close();
        }
        return true;
    }
    default:
        return true;  // nothing else gets past an open list
    }
}

bool CDropDownListBox::Wheel(SPoint point, float notches)
{
    if (!IsOpen() || !m_listRect.Contains(point))
        return false;
    Scroll(notches > 0 ? -1 : 1);
    return true;
}

bool CDropDownListBox::Key(int32_t keyCode)
{
    if (!IsOpen())
        return false;
    const int32_t rows = GetRowCount();
    switch (keyCode) {
    case kKeyUp:
        m_highlight = std::max(0, m_highlight - 1);
        break;
    case kKeyDown:
        m_highlight = std::min(rows - 1, m_highlight + 1);
        break;
    case kKeyEnter:
        if (m_highlight >= 0 && m_highlight < rows)
            Activate(m_highlight);
        return true;
    case kKeyEscape:
        Close();
        return true;
    default:
        return false;
    }
    m_list->Invalidate();
    return true;
}

}  // namespace zt::ge
