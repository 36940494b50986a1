#include "gui/toolkit/URL.h"

#include "gui/native/Desktop.h"
#include "gui/toolkit/DrawContext.h"
#include "gui/toolkit/FontResource.h"
#include "gui/toolkit/Window.h"

namespace zt::ge {

CURL::CURL(const SRect& rect, const char* text, const char* target, int32_t id)
    : CText(rect, text, id), target_(target ? target : "")
{}

CURL::~CURL() = default;

void CURL::SetTarget(const char* target) { target_ = target ? target : ""; }
const std::string& CURL::GetTarget() const { return target_; }
void CURL::SetHandCursor(bool hand) { handCursor_ = hand; }

void CURL::Draw(IDrawContext& context)
{
    const SRect text = DrawTextLine(context);
    IFontResource* font = GetFont();
    if (text.IsEmpty() || !font)
        return;
    // The underline sits just below the baseline the font reports, in the text's colour.
    const int32_t baseline = font->GetMetric(0);
    const int32_t y
        = text.position.y + (baseline > 0 && baseline < text.size.height ? baseline + 1 : text.size.height - 1);
    SColour colour = font->GetColour();
    colour.a = 255;
    context.GetPrimitives().DrawLine({text.position.x, y}, {text.position.x + text.size.width - 1, y}, colour,
                                     GetAbsoluteRect());
}

bool CURL::Mouse(EMouseEvent event, SPoint point)
{
    if (!TakesInput())
        return false;
    IWindow* window = GetWindow();
    if (!window)
        return false;
    if (event == kMouseMove) {
        const bool inside = IsInside(point);
        if (handCursor_ && inside)
            window->SetCursorShape(kCursorHand);
        else if (hovering_ && !inside)
            window->SetCursorShape(kCursorArrow);
        hovering_ = inside;
        return false;
    }
    if (event != kMouseLeftDown || !IsInside(point))
        return false;
    if (!target_.empty())
        window->GetDesktop()->OpenUrl(target_.c_str());
    return true;
}

}  // namespace zt::ge
