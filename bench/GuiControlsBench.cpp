// The standard controls on an editor-sized window: a full repaint with every
// kind of control, and a knob drag (the mouse event and the repaint after it).
// The skin is made here with the editor's image sizes, opaque where the
// editor's is and with a fourth byte where it blends.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gui/toolkit/2D.h"
#include "gui/toolkit/Bitmap.h"
#include "gui/toolkit/Button.h"
#include "gui/toolkit/DropDownListBox.h"
#include "gui/toolkit/Knob.h"
#include "gui/toolkit/MultiStateButton.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/PeakMeter.h"
#include "gui/toolkit/PopupMenu.h"
#include "gui/toolkit/RadioButtons.h"
#include "gui/toolkit/Rect.h"
#include "gui/toolkit/ResourceManager.h"
#include "gui/toolkit/ScrollBar.h"
#include "gui/toolkit/Slider.h"
#include "gui/toolkit/Text.h"
#include "gui/toolkit/Tga.h"
#include "gui/toolkit/TimedBitmap.h"

namespace {

using namespace zt::ge;

enum : int32_t {
    kBackground = 1,
    kPanel,
    kDisplay,
    kKnob,
    kSmallKnob,
    kButton,
    kMeter,
    kHandle,
    kFont,
    kList,
    kSection
};

std::vector<uint8_t> Image(int32_t width, int32_t height, bool alpha)
{
    std::vector<uint8_t> pixels(std::size_t(width) * std::size_t(height) * 4);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
            p[0] = uint8_t(x * 3);
            p[1] = uint8_t(y * 5);
            p[2] = uint8_t(x + y);
            // A round shape in every frame-sized square: opaque inside, clear outside, soft edge.
            const int32_t side = std::min(width, 64);
            const float dx = float(x % side) - side / 2.0f, dy = float(y % side) - side / 2.0f;
            const float edge = side / 2.0f - std::sqrt(dx * dx + dy * dy);
            p[3] = alpha ? uint8_t(std::clamp(edge * 128.0f, 0.0f, 255.0f)) : 255;
        }
    tga::SEncodeOptions options;
    options.bitsPerPixel = alpha ? 32 : 24;
    return tga::Encode(pixels.data(), width, height, options);
}

std::vector<uint8_t> FontStrip()
{
    const int32_t glyph = 6, count = 95, height = 13, width = glyph * count;
    std::vector<uint8_t> pixels(std::size_t(width) * height * 4, 255);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[(std::size_t(y) * width + x) * 4] = uint8_t(y == 0 ? 0 : (x * 37 + y * 11) % 256);
    for (int32_t i = 0; i < count; ++i)
        pixels[std::size_t(i * glyph + glyph - 1) * 4 + 3] = 128;
    return tga::Encode(pixels.data(), width, height, {});
}

std::vector<uint8_t> SkinFile()
{
    CResourceFileWriter writer;
    writer.Add(kBackground, kResourceBitmap, Image(780, 500, false));
    writer.Add(kPanel, kResourceBitmap, Image(780, 276, false));
    writer.Add(kDisplay, kResourceBitmap, Image(492, 141, false));
    writer.Add(kKnob, kResourceBitmap, Image(44, 44 * 127, true));
    writer.Add(kSmallKnob, kResourceBitmap, Image(30, 30 * 127, true));
    writer.Add(kButton, kResourceBitmap, Image(48, 52, true));
    writer.Add(kMeter, kResourceBitmap, Image(8, 200, false));
    writer.Add(kHandle, kResourceBitmap, Image(26, 14, true));
    writer.Add(kFont, kResourceFont, FontStrip());
    writer.Add(kList, kResourceBitmap, Image(80, 16, true));
    writer.Add(kSection, kResourceBitmap, Image(494, 210, true));
    return writer.Build();
}

// An editor's worth of every control kind; returns how many there are.
int BuildEditor(IPane& root, CKnob*& dragged)
{
    int controls = 0;
    auto add = [&](IPane& pane, IControl* c) {
        pane.AddChild(c);
        ++controls;
        return c;
    };
    const SColour text = SColour::FromRGB(220, 225, 232);
    add(root, new CBitmap({0, 0, 780, 500}, kBackground));
    add(root, new CBitmap({0, 0, 780, 276}, kPanel));
    add(root, new CBitmap({144, 35, 492, 141}, kDisplay));
    add(root, new C2D({144, 35, 492, 141}, -1, [](IDrawPrimitives& draw, const SRect& area) {
            SPoint previous{area.position.x, area.position.y + 70};
            for (int32_t x = 1; x < area.size.width; ++x) {
                const SPoint p{area.position.x + x, area.position.y + 70 + int32_t(30 * std::sin(x * 0.02))};
                draw.DrawLineAA(previous, p, SColour::FromRGB(120, 210, 255), area);
                previous = p;
            }
        }));
    for (int band = 0; band < 6; ++band) {
        auto* column = new CPane({145 + band * 82, 186, 80, 82});
        add(root, column);
        add(*column, new CButton({4, 2, 48, 26}, -1, kButton));
        add(*column, new CKnob({6, 22, 30, 30}, -1, kSmallKnob))->SetValue(0.3f, false);
        add(*column, new CKnob({44, 22, 30, 30}, -1, kSmallKnob))->SetValue(0.6f, false);
        auto* list = new CDropDownListBox({0, 60, 80, 16}, -1, kList);
        for (const char* entry : {"LowCut 12dB", "Bell (Peak)", "HighShelf"})
            list->AddEntry(entry);
        list->SetFont(kFont, text);
        add(*column, list);
    }
    auto* section = new CPane({206, 284, 494, 210});
    add(root, section);
    add(*section, new CBitmap({0, 0, 494, 210}, kSection));
    for (int i = 0; i < 9; ++i) {
        auto* knob = new CKnob({14 + (i % 5) * 58, 34 + (i / 5) * 70, 44, 44}, -1, kKnob);
        knob->SetValue(float(i) / 8.0f, false);
        add(*section, knob);
        auto* label = new CText({8 + (i % 5) * 58, 80 + (i / 5) * 70, 60, 14}, "Threshold");
        label->SetFont(kFont, text);
        add(*section, label);
        if (i == 0)
            dragged = knob;
    }
    add(*section, new CMultiStateButton({300, 104, 48, 26}, 2, -1, kButton));
    add(*section, new CScrollBar({474, 40, 12, 64}, kVertical, -1, kMeter, kHandle));
    add(*section, new CRect({250, 142, 52, 16}, SColour::FromRGB(28, 32, 38)));
    add(*section, new CLine({304, 36}, {304, 124}, SColour::FromRGB(60, 66, 77)));
    auto* readout = new CText({16, 184, 462, 18}, "Gate Threshold: -32.0 dB");
    readout->SetFont(kFont, text);
    add(*section, readout);
    auto* radio = new CRadioButtons({86, 290, 116, 138});
    for (int i = 0; i < 5; ++i)
        radio->AddChoice({0, i * 28, 48, 26}, kButton);
    add(root, radio);
    controls += 5;
    add(root, new CSlider({17, 281}, {26, 14}, 219, kVertical, -1, kHandle))->SetValue(0.7f, false);
    add(root, new CSlider({737, 281}, {26, 14}, 219, kVertical, -1, kHandle))->SetValue(0.6f, false);
    for (int32_t x : {64, 74, 704, 714})
        add(root, new CPeakMeter({x, 290, 8, 200}, 0, 0, 0, kMeter))->SetValue(0.6f, false);
    for (int32_t x : {2, 42, 722, 762})
        add(root, new CTimedBitmap({x, 275, 32, 11}, 2000, kButton));
    add(root, new CPopupMenu({688, 4, 88, 22}, -1, kButton));
    return controls;
}

struct SEditor {
    SEditor() : file(SkinFile()), resources(file.data(), file.size()), window({780, 500})
    {
        window.SetResourceManager(&resources);
        controls = BuildEditor(*window.GetRootPane(), knob);
        window.Paint();  // decodes everything once
    }
    std::vector<uint8_t> file;
    CResourceManager resources;
    COffscreenWindow window;
    CKnob* knob = nullptr;
    int controls = 0;
};

void GuiControlsFullRepaint780x500(benchmark::State& state)
{
    SEditor editor;
    for (auto _ : state) {
        editor.window.GetRootPane()->Invalidate();
        editor.window.Paint();
    }
    benchmark::DoNotOptimize(editor.window.GetPixel({400, 250}));
    state.counters["controls"] = editor.controls;
}
BENCHMARK(GuiControlsFullRepaint780x500)->Unit(benchmark::kMicrosecond);

void GuiKnobDragEventAndRedraw(benchmark::State& state)
{
    SEditor editor;
    const SRect r = editor.knob->GetAbsoluteRect();
    const SPoint centre{r.position.x + r.size.width / 2, r.position.y + r.size.height / 2};
    editor.window.OnMouse(kMouseLeftDown, centre);
    int32_t step = 0;
    for (auto _ : state) {
        // Up and down over a few pixels, so the value keeps changing.
        const int32_t offset = (step++ % 40) < 20 ? -(step % 20) : -(20 - step % 20);
        editor.window.OnMouse(kMouseMove, {centre.x, centre.y + offset});
        editor.window.OnEventsReady();
    }
    editor.window.OnMouse(kMouseLeftUp, centre);
    benchmark::DoNotOptimize(editor.knob->GetValue());
}
BENCHMARK(GuiKnobDragEventAndRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace
