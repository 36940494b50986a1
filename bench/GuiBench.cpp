// Full repaints of an editor-sized window built from the control model.
#include <benchmark/benchmark.h>

#include "gui/toolkit/2D.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"

namespace {

using namespace zt::ge;

// A knob stand-in: translucent face, frame, anti-aliased pointer at its value.
class CBenchKnob : public CControl {
public:
    explicit CBenchKnob(const SRect& rect) : CControl(rect) {}
    void Draw(IDrawContext& context) override
    {
        IDrawPrimitives& draw = context.GetPrimitives();
        const SRect r = GetAbsoluteRect();
        draw.FillRect(r, SColour::FromRGB(40, 44, 52, 200), r);
        draw.FrameRect(r, SColour::FromRGB(200, 200, 210), r);
        const SPoint centre{r.position.x + r.size.width / 2, r.position.y + r.size.height / 2};
        const SPoint tip{centre.x + int32_t(GetValue() * 18.0f) - 9, r.position.y + 4};
        draw.DrawLineAA(centre, tip, SColour::FromRGB(255, 190, 40), r);
    }
};

// A meter stand-in: vertical gradient over part of its height.
class CBenchMeter : public CControl {
public:
    explicit CBenchMeter(const SRect& rect) : CControl(rect) {}
    void Draw(IDrawContext& context) override
    {
        const SRect r = GetAbsoluteRect();
        const int32_t lit = int32_t(float(r.size.height) * GetValue());
        const SRect litPart(r.position.x, r.position.y + r.size.height - lit, r.size.width, lit);
        context.GetPrimitives().FillRect(r, SColour::FromRGB(10, 10, 10), r);
        context.GetPrimitives().DrawRectGradient(litPart, SColour::FromRGB(255, 60, 0), SColour::FromRGB(0, 200, 60),
                                                 r);
    }
};

void GuiFullRepaint780x500(benchmark::State& state)
{
    COffscreenWindow window({780, 500});
    IPane* root = window.GetRootPane();
    root->AddChild(new C2D({0, 0, 780, 500}, -1, [](IDrawPrimitives& draw, const SRect& area) {
        draw.DrawRectGradient(area, SColour::FromRGB(60, 64, 72), SColour::FromRGB(20, 22, 26), area);
    }));
    int controls = 0;
    for (int section = 0; section < 4; ++section) {
        auto* pane = new CPane({10 + section * 190, 40, 180, 440});
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 3; ++column, ++controls) {
                auto* knob = new CBenchKnob({10 + column * 56, 10 + row * 60, 48, 48});
                knob->SetValue(float(row * 3 + column) / 20.0f, false);
                pane->AddChild(knob);
            }
        root->AddChild(pane);
    }
    for (int i = 0; i < 16; ++i, ++controls) {
        auto* meter = new CBenchMeter({100 + i * 36, 6, 10, 30});
        meter->SetValue(float(i) / 15.0f, false);
        root->AddChild(meter);
    }
    window.Paint();
    for (auto _ : state) {
        root->Invalidate();
        window.Paint();
    }
    benchmark::DoNotOptimize(window.GetPixel({400, 250}));
    state.counters["controls"] = controls;
}
BENCHMARK(GuiFullRepaint780x500)->Unit(benchmark::kMicrosecond);

}  // namespace
