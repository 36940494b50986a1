#include "gui/toolkit/Text.h"

#include <algorithm>
#include <cstring>

#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {
namespace {

// Removes the last character of text found in set, never at index 0 when
// keepFirst. False when there is none.
bool RemoveLast(std::string& text, const char* set, bool keepFirst)
{
    for (std::size_t i = text.size(); i-- > (keepFirst ? 1u : 0u);) {
        if (std::strchr(set, text[i]) && text[i] != '\0') {
            text.erase(i, 1);
            return true;
        }
    }
    return false;
}

}  // namespace

std::string CText::FitText(const std::string& text, int32_t width, const FMeasure& measure)
{
    std::string fitted = text;
    if (measure(fitted) <= width)
        return fitted;
    while (measure(fitted) > width)
        if (!RemoveLast(fitted, "aeiouy", false))
            break;
    while (measure(fitted) > width)
        if (!RemoveLast(fitted, "AEIOUY", true))
            break;
    if (measure(fitted) <= width)
        return fitted;

    const int32_t room = width - measure("..");
    auto index = int32_t(fitted.size() / 2);
    for (int32_t removed = 1; !fitted.empty(); ++removed) {
        index = std::clamp(index, 0, int32_t(fitted.size()) - 1);
        fitted.erase(std::size_t(index), 1);
        if (removed % 2 == 0)
            --index;
        index = std::clamp(index, 0, int32_t(fitted.size()));
        if (measure(fitted) <= room) {
            fitted.insert(std::size_t(index), "..");
            return fitted;
        }
    }
    return "..";
}

CText::CText(const SRect& rect, const char* text, int32_t id) : CControl(rect, id), text_(text ? text : "") {}

CText::~CText() = default;

void CText::SetText(const char* text)
{
    const std::string next = text ? text : "";
    if (next == text_)
        return;
    text_ = next;
    Invalidate();
}

const std::string& CText::GetText() const { return text_; }

void CText::SetFont(int32_t fontId, SColour colour)
{
    font_.Set(fontId, colour);
    Invalidate();
}

void CText::SetFont(IFontResource* font)
{
    font_.Set(font);
    Invalidate();
}

void CText::SetAlignment(int32_t alignment)
{
    alignment_ = alignment;
    Invalidate();
}

std::string CText::GetShownText()
{
    IFontResource* font = font_.Get(GetWindow());
    if (!font)
        return text_;
    return FitText(text_, GetSize().width,
                   [font](const std::string& s) { return font->GetTextWidth(s.data(), s.size()); });
}

IFontResource* CText::GetFont() { return font_.Get(GetWindow()); }

void CText::Draw(IDrawContext& context) { DrawTextLine(context); }

SRect CText::DrawTextLine(IDrawContext& context)
{
    IFontResource* font = font_.Get(GetWindow());
    if (!font || text_.empty())
        return {};
    const std::string shown = GetShownText();
    const SRect area = GetAbsoluteRect();
    const int32_t width = font->GetTextWidth(shown.data(), shown.size());
    int32_t x = area.position.x;
    if (alignment_ == kAlignCentre)
        x += (area.size.width - width) / 2;
    if (alignment_ == kAlignRight)
        x += area.size.width - width;
    const int32_t y = area.position.y + (area.size.height - font->GetHeight()) / 2;
    font->DrawText(context, {x, y}, shown.data(), shown.size(), area);
    return SRect(x, y, width, font->GetHeight());
}

}  // namespace zt::ge
