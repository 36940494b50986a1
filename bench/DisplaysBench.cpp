// The EQ section's displays at the product's size (492 x 141): the EQ display with its
// curve and six handles, the panel recolouring from its cache and afresh, and the
// analyser at its largest size. Each iteration is one paint of a window of that size,
// so it includes the panel beneath (a gradient fill), measured alone for reference.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "framework/dspe/AnalyserFeed.h"
#include "gui/toolkit/2D.h"
#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/EQDisplay.h"
#include "gui/toolkit/HBS.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"
#include "gui/toolkit/Tga.h"
#include "product/editor/FFT.h"

namespace {

using namespace zt::ge;

constexpr SSize kSize{492, 141};

// A window of the display's size with a gradient panel in it.
struct SPanelWindow {
    COffscreenWindow window{kSize};
    SPanelWindow()
    {
        window.GetRootPane()->AddChild(
            new C2D({0, 0, kSize.width, kSize.height}, -1, [](IDrawPrimitives& d, const SRect& a) {
                d.DrawRectGradient(a, SColour::FromRGB(40, 60, 90), SColour::FromRGB(10, 14, 20), a);
            }));
    }
    void Repaint()
    {
        window.GetRootPane()->Invalidate();
        window.Paint();
    }
};

void DisplayPanelAlone(benchmark::State& state)
{
    SPanelWindow w;
    for (auto _ : state)
        w.Repaint();
    benchmark::DoNotOptimize(w.window.GetPixel({100, 100}));
}
BENCHMARK(DisplayPanelAlone)->Unit(benchmark::kMicrosecond);

void EQDisplayRepaint(benchmark::State& state, bool fill)
{
    SPanelWindow w;
    auto* display = new CEQDisplay({0, 0, kSize.width, kSize.height});
    w.window.GetRootPane()->AddChild(display);
    std::vector<uint8_t> pixels(std::size_t(15 * 15 * 4), 200);
    auto* bitmap = new CBitmapResource(1, tga::Encode(pixels.data(), 15, 15, {}));
    bitmap->Decode();
    std::vector<float> curve(std::size_t(kSize.width));
    for (std::size_t c = 0; c < curve.size(); ++c) {
        // A low cut, a narrow boost and a shelf: flat stretches and steep ones.
        const double x = double(c) / double(kSize.width - 1);
        curve[c] = float(24.0 / 42.0 - 0.5 * std::exp(-x * 30.0) + 0.3 * std::exp(-std::pow((x - 0.5) * 40.0, 2.0))
                         + 0.1 / (1.0 + std::exp(-(x - 0.8) * 50.0)));
    }
    display->SetCurve(curve.data(), int32_t(curve.size()));
    if (fill)
        display->SetFillColour(SColour::FromRGB(255, 200, 60, 60));
    for (int32_t band = 0; band < 6; ++band) {
        display->AddHandle(-1);
        display->GetHandle(band)->SetBitmap(bitmap);
        display->PlaceHandle(band, 0.1f + 0.15f * float(band), curve[std::size_t(50 + 75 * band)]);
    }
    bitmap->Release();
    for (auto _ : state)
        w.Repaint();
    benchmark::DoNotOptimize(w.window.GetPixel({100, 100}));
}
BENCHMARK_CAPTURE(EQDisplayRepaint, CurveAndSixHandles, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EQDisplayRepaint, CurveFillAndSixHandles, true)->Unit(benchmark::kMicrosecond);

// A panel of a different colour in every pixel, so no conversion can be reused.
struct SNoisePanel {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(std::size_t(kSize.width * kSize.height * 4));
    SNoisePanel()
    {
        uint32_t seed = 7;
        for (uint8_t& p : pixels) {
            seed = seed * 1664525u + 1013904223u;
            p = uint8_t(seed >> 24);
        }
    }
};

void HBSRepaint(benchmark::State& state, bool cached, bool noise)
{
    SPanelWindow w;
    SNoisePanel panel;
    if (noise)
        w.window.GetRootPane()->AddChild(
            new C2D({0, 0, kSize.width, kSize.height}, -1, [&panel](IDrawPrimitives& d, const SRect& a) {
                d.CopyPixels({panel.pixels.data(), kSize, kSize.width * 4}, a.position, a);
            }));
    auto* hbs = new CHBS({0, 0, kSize.width, kSize.height});
    w.window.GetRootPane()->AddChild(hbs);
    hbs->SetHue(30.0f);
    hbs->SetBrightness(10.0f);
    hbs->SetSaturation(-20.0f);
    w.Repaint();
    float hue = 30.0f;
    for (auto _ : state) {
        if (!cached)
            hbs->SetHue(hue = -hue);
        w.Repaint();
    }
    benchmark::DoNotOptimize(w.window.GetPixel({100, 100}));
}
BENCHMARK_CAPTURE(HBSRepaint, Cached, true, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(HBSRepaint, UncachedGradientPanel, false, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(HBSRepaint, UncachedNoisePanel, false, true)->Unit(benchmark::kMicrosecond);

// Largest size (16384 points at 44.1 kHz: 7600 bins on the axis) with noise in it, so
// every column moves.
void FFTRepaintLargestSize(benchmark::State& state)
{
    zt::dspe::CAnalyserFeed feed;
    if (!feed.Init(44100, 2, 0)) {
        state.SkipWithError("no transform");
        return;
    }
    std::vector<float> noise(16384);
    uint32_t seed = 1;
    for (float& v : noise) {
        seed = seed * 1664525u + 1013904223u;
        v = float(int32_t(seed >> 8) - (1 << 23)) / float(1 << 23);
    }
    const float* channels[2] = {noise.data(), noise.data()};
    feed.PushAudio(channels, 16384);
    feed.Update(true);

    SPanelWindow w;
    auto* fft = new CFFT({0, 0, kSize.width, kSize.height});
    w.window.GetRootPane()->AddChild(fft);
    fft->SetFeed(&feed, 44100);
    for (auto _ : state) {
        w.window.AdvanceTimeMs(50);
        w.Repaint();
    }
    benchmark::DoNotOptimize(w.window.GetPixel({100, 100}));
}
BENCHMARK(FFTRepaintLargestSize)->Unit(benchmark::kMicrosecond);

}  // namespace
