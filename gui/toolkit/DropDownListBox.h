#pragma once

#include <string>
#include <vector>

#include "gui/toolkit/Colour.h"
#include "gui/toolkit/Control.h"
#include "gui/toolkit/FontSlot.h"

namespace zt::ge {

// A closed box showing the current entry on its bitmap; a press opens the
// list of entries over everything else and takes the mouse. While open, a
// release on an entry chooses it; a release outside the list closes it
// (except the release of the very press that opened it, so a plain click
// leaves the list open to be clicked again). Up, Down, Enter and Escape
// work on the open list, and so does the wheel.
//
// A list longer than the window has room for shows one page and a last
// row "(More)...", which turns to the next page (after the last page, the
// first again).
//
// The value is the chosen index as a stepped value, index / (N - 1), sent
// with notification between begin and end edit.
class IDropDownListBox : public virtual IControl {
public:
    static constexpr const char* kMoreText = "(More)...";

    virtual void SetEntries(const std::vector<std::string>& entries) = 0;
    virtual void AddEntry(const char* text) = 0;
    virtual int32_t GetEntryCount() const = 0;
    virtual const std::string& GetEntry(int32_t index) const = 0;  // empty out of range
    virtual int32_t GetSelected() const = 0;
    virtual void SetFont(int32_t fontId, SColour colour) = 0;
    virtual void SetFont(IFontResource* font) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;
    // The open list: where it lies (window coordinates), its rows and the
    // entry each row stands for (-1 for "(More)...").
    virtual SRect GetListRect() const = 0;
    virtual int32_t GetRowCount() const = 0;
    virtual SRect GetRowRect(int32_t row) const = 0;
    virtual int32_t GetRowEntry(int32_t row) const = 0;
};

class CDropDownListBox : public virtual IDropDownListBox, public CControl {
public:
    static constexpr int32_t kTextIndent = 6;
    // The skin's arrow and its separator at the right end, in boxes of 18 pixels or more
    // and in smaller ones.
    static constexpr int32_t kArrowWidth = 20;
    static constexpr int32_t kSmallArrowWidth = 12;
    static constexpr int32_t kRowPadding = 4;
    static constexpr int32_t kFallbackRowHeight = 16;
    static constexpr SColour kListFill = SColour::FromRGB(24, 27, 33);
    static constexpr SColour kListBorder = SColour::FromRGB(96, 104, 118);
    static constexpr SColour kRowHighlight = SColour::FromRGB(32, 112, 160);
    static constexpr SColour kCurrentMark = SColour::FromRGB(255, 168, 48);

    CDropDownListBox(const SRect& rect, int32_t id = -1, int32_t bitmapId = -1);

    void SetEntries(const std::vector<std::string>& entries) override;
    void AddEntry(const char* text) override;
    int32_t GetEntryCount() const override;
    const std::string& GetEntry(int32_t index) const override;
    int32_t GetSelected() const override;
    void SetFont(int32_t fontId, SColour colour) override;
    void SetFont(IFontResource* font) override;
    bool IsOpen() const override;
    void Open() override;
    void Close() override;
    SRect GetListRect() const override;
    int32_t GetRowCount() const override;
    SRect GetRowRect(int32_t row) const override;
    int32_t GetRowEntry(int32_t row) const override;

    void Draw(IDrawContext& context) override;
    bool Mouse(EMouseEvent event, SPoint point) override;
    bool Wheel(SPoint point, float notches) override;
    bool Key(int32_t keyCode) override;

    // Draws the open list (called by its overlay).
    void DrawList(IDrawContext& context);

protected:
    ~CDropDownListBox() override;

private:
    class CList;

    int32_t RowHeight();
    void Layout();
    int32_t RowAt(SPoint point) const;
    void Activate(int32_t row);
    void Choose(int32_t entry);
    void Scroll(int32_t rows);

    std::vector<std::string> entries_;
    CFontSlot font_;
    CList* list_ = nullptr;  // the overlay while open
    bool openingPress_ = false;
    int32_t first_ = 0;       // the first entry on the page
    int32_t pageSize_ = 0;    // entries per page
    bool paged_ = false;      // the last row is "(More)..."
    int32_t highlight_ = -1;  // a row
    SRect listRect_;
    int32_t rowHeight_ = kFallbackRowHeight;
};

}  // namespace zt::ge
