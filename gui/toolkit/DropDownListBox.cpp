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
    explicit CList(CDropDownListBox& owner) : owner_(owner) {}
    void Draw(IDrawContext& context) override { owner_.DrawList(context); }
    // Input reaches the box through its capture; the wheel comes here first.
    bool Wheel(SPoint point, float notches) override { return owner_.Wheel(point, notches); }

private:
    CDropDownListBox& owner_;
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
    entries_ = entries;
    SetSteps(int32_t(entries_.size()));
    SetValue(GetValue(), false);
}

void CDropDownListBox::AddEntry(const char* text)
{
    std::vector<std::string> entries = entries_;
    entries.emplace_back(text ? text : "");
    SetEntries(entries);
}

int32_t CDropDownListBox::GetEntryCount() const { return int32_t(entries_.size()); }

const std::string& CDropDownListBox::GetEntry(int32_t index) const
{
    return index >= 0 && index < GetEntryCount() ? entries_[std::size_t(index)] : kNoEntry;
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
    font_.Set(fontId, colour);
    Invalidate();
}

void CDropDownListBox::SetFont(IFontResource* font)
{
    font_.Set(font);
    Invalidate();
}

bool CDropDownListBox::IsOpen() const { return list_ != nullptr; }

int32_t CDropDownListBox::RowHeight()
{
    IFontResource* font = font_.Get(GetWindow());
    return font ? font->GetLineHeight() + kRowPadding : kFallbackRowHeight;
}

void CDropDownListBox::Layout()
{
    IWindow* window = GetWindow();
    const SSize client = window ? window->GetClientSize() : SSize{};
    const SRect box = GetAbsoluteRect();
    rowHeight_ = std::max(1, RowHeight());
    const int32_t count = GetEntryCount();

    int32_t width = box.size.width;
    if (IFontResource* font = font_.Get(window))
        for (const std::string& entry : entries_)
            width = std::max(width, font->GetTextWidth(entry.data(), entry.size()) + 2 * kTextIndent + 2);

    // Below the box when it fits, else above, else wherever there is more room.
    const int32_t below = client.height - (box.position.y + box.size.height);
    const int32_t above = box.position.y;
    const int32_t wanted = count * rowHeight_ + 2;
    const bool downwards = wanted <= below || below >= above;
    const int32_t room = std::max(downwards ? below : above, 3 * rowHeight_ + 2);
    int32_t rows = std::min(count, (room - 2) / rowHeight_);
    paged_ = rows < count;
    if (paged_)
        rows = std::max(1, rows);
    pageSize_ = paged_ ? std::max(1, rows - 1) : count;
    if (first_ >= count)
        first_ = 0;
    const int32_t height = rows * rowHeight_ + 2;
    const int32_t x = std::max(0, std::min(box.position.x, client.width - width));
    const int32_t y = downwards ? box.position.y + box.size.height : box.position.y - height;
    listRect_ = SRect(x, y, width, height);
}

SRect CDropDownListBox::GetListRect() const { return IsOpen() ? listRect_ : SRect(); }

int32_t CDropDownListBox::GetRowCount() const
{
    if (!IsOpen())
        return 0;
    if (!paged_)
        return GetEntryCount();
    return std::min(pageSize_, GetEntryCount() - first_) + 1;
}

SRect CDropDownListBox::GetRowRect(int32_t row) const
{
    if (row < 0 || row >= GetRowCount())
        return {};
    return SRect(listRect_.position.x + 1, listRect_.position.y + 1 + row * rowHeight_, listRect_.size.width - 2,
                 rowHeight_);
}

int32_t CDropDownListBox::GetRowEntry(int32_t row) const
{
    if (row < 0 || row >= GetRowCount())
        return -1;
    if (paged_ && row == GetRowCount() - 1)
        return -1;
    return first_ + row;
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
    first_ = 0;
    Layout();
    if (paged_)
        first_ = GetSelected() / pageSize_ * pageSize_;
    list_ = new CList(*this);
    list_->SetPosition(listRect_.position);
    list_->SetSize(listRect_.size);
    highlight_ = GetSelected() - first_;
    window->AddOverlay(list_);
    window->CaptureMouse(this);
    window->SetKeyFocus(this);
}

void CDropDownListBox::Close()
{
    if (!list_)
        return;
    CList* list = list_;
    list_ = nullptr;
    openingPress_ = false;
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
    if (!paged_)
        return;
    const int32_t last = std::max(0, GetEntryCount() - pageSize_);
    first_ = std::clamp(first_ + rows, 0, last);
    list_->Invalidate();
}

void CDropDownListBox::Activate(int32_t row)
{
    const int32_t entry = GetRowEntry(row);
    if (entry >= 0) {
        Choose(entry);
        return;
    }
    // "(More)...": the next page, and after the last the first again.
    first_ += pageSize_;
    if (first_ >= GetEntryCount())
        first_ = 0;
    highlight_ = 0;
    list_->Invalidate();
}

void CDropDownListBox::Draw(IDrawContext& context)
{
    const SRect area = GetAbsoluteRect();
    if (IBitmapResource* bitmap = GetBitmap())
        bitmap->DrawFrame(context.GetPrimitives(), 0, 1, area.position, area);
    IFontResource* font = font_.Get(GetWindow());
    const std::string& text = GetEntry(GetSelected());
    if (!font || text.empty())
        return;
    // Short of the right end, where the skin draws the arrow behind a separator; small
    // boxes indent less, so that the longest filter names fit 80 pixels.
    const bool small = area.size.height < 18;
    const int32_t indent = small ? kTextIndent / 3 : kTextIndent;
    const SRect textArea(area.position.x + indent, area.position.y,
                         std::max(0, area.size.width - indent - (small ? kSmallArrowWidth : kArrowWidth)),
                         area.size.height);
    const SPoint at{textArea.position.x, area.position.y + (area.size.height - font->GetHeight()) / 2};
    font->DrawText(context, at, text.data(), text.size(), textArea);
}

void CDropDownListBox::DrawList(IDrawContext& context)
{
    if (!IsOpen())
        return;
    IDrawPrimitives& draw = context.GetPrimitives();
    draw.FillRect(listRect_, kListFill, listRect_);
    draw.FrameRect(listRect_, kListBorder, listRect_);
    IFontResource* font = font_.Get(GetWindow());
    const int32_t selected = GetSelected();
    for (int32_t row = 0; row < GetRowCount(); ++row) {
        const SRect r = GetRowRect(row);
        const int32_t entry = GetRowEntry(row);
        if (row == highlight_)
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
        openingPress_ = IsOpen();
        return true;
    }
    switch (event) {
    case kMouseMove: {
        const int32_t row = RowAt(point);
        if (row != highlight_ && row >= 0) {
            highlight_ = row;
            list_->Invalidate();
        }
        return true;
    }
    case kMouseLeftDown:
    case kMouseLeftDoubleClick:
        if (RowAt(point) < 0)
            openingPress_ = false;  // the release that follows decides
        return true;
    case kMouseLeftUp: {
        const int32_t row = RowAt(point);
        if (row >= 0) {
            Activate(row);
        } else if (openingPress_ && IsInside(point)) {
            openingPress_ = false;  // a plain click on the box: stay open
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
    if (!IsOpen() || !listRect_.Contains(point))
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
        highlight_ = std::max(0, highlight_ - 1);
        break;
    case kKeyDown:
        highlight_ = std::min(rows - 1, highlight_ + 1);
        break;
    case kKeyEnter:
        if (highlight_ >= 0 && highlight_ < rows)
            Activate(highlight_);
        return true;
    case kKeyEscape:
        Close();
        return true;
    default:
        return false;
    }
    list_->Invalidate();
    return true;
}

}  // namespace zt::ge
