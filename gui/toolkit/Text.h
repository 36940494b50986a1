#pragma once

#include <functional>
#include <string>

#include "gui/toolkit/Control.h"
#include "gui/toolkit/FontSlot.h"

namespace zt::ge {

enum EAlignment : int32_t {
    kAlignLeft = 0,
    kAlignCentre = 1,
    kAlignRight = 2,
};

// One line of text in a skin font, centred vertically and aligned within
// the control. Text wider than the control is fitted (FitText) first.
class IText : public virtual IControl {
public:
    virtual void SetText(const char* text) = 0;
    virtual const std::string& GetText() const = 0;
    virtual std::string GetShownText() = 0;  // after fitting
    virtual void SetFont(int32_t fontId, SColour colour) = 0;
    virtual void SetFont(IFontResource* font) = 0;
    virtual void SetAlignment(int32_t alignment) = 0;
};

class CText : public virtual IText, public CControl {
public:
    using FMeasure = std::function<int32_t(const std::string&)>;

    CText(const SRect& rect, const char* text = "", int32_t id = -1);

    void SetText(const char* text) override;
    const std::string& GetText() const override;
    std::string GetShownText() override;
    void SetFont(int32_t fontId, SColour colour) override;
    void SetFont(IFontResource* font) override;
    void SetAlignment(int32_t alignment) override;

    void Draw(IDrawContext& context) override;

    // Makes text fit width as measured: first the lower-case vowels go, the
    // last one first; then the upper-case vowels except the first character;
    // then characters from the middle, where ".." takes their place.
    static std::string FitText(const std::string& text, int32_t width, const FMeasure& measure);

protected:
    ~CText() override;
    // Draws the shown text and returns where it went (empty when nothing was drawn).
    SRect DrawTextLine(IDrawContext& context);
    IFontResource* GetFont();

private:
    std::string text_;
    CFontSlot font_;
    int32_t alignment_ = kAlignLeft;
};

}  // namespace zt::ge
