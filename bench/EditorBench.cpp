// The whole editor offscreen: one full repaint, and one 50 ms tick with the analyser at
// its largest size and every meter moving (the tick's share of the GUI thread).
#include <benchmark/benchmark.h>

#include "product/editor/QuillstripGUI.h"
#include "product/plugin/QuillstripParameterIds.h"
#include "product/plugin/QuillstripPlugIn.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/Pane.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct BenchHost : zt::ztpi::IHost {
    void BeginEdit(int32_t) override {}
    void ParameterChanged(int32_t) override {}
    void EndEdit(int32_t) override {}
    void GetHostName(char* text) override { std::strcpy(text, "bench"); }
    void GetHostVendor(char* text) override { std::strcpy(text, "bench"); }
    void LatencyChanged() override {}
};

struct Editor {
    BenchHost host;
    CQuillstripPlugIn* plugIn;
    zt::ge::COffscreenWindow window{{780, 500}};
    std::unique_ptr<CQuillstripGUI> gui;
    std::vector<float> left, right, outLeft, outRight;
    uint32_t seed = 1;

    Editor()
    {
        plugIn = new CQuillstripPlugIn(&host);
        plugIn->Open();
        plugIn->SetChannelConfig(2, 2, 0);
        plugIn->SetMaxBlockSize(512);
        plugIn->SetSampleRate(44100);
        plugIn->Resume();
        auto* parameters = plugIn->GetParameterManager();
        for (int32_t number : {quillstrip::kGateEnable, quillstrip::kCompEnable, quillstrip::kLimiterEnable,
                               quillstrip::kEqSection})
            parameters->SetValue(false, number, 1.0f, 0);
        parameters->SetValue(false, quillstrip::kAnalyserSize, 0.0f, quillstrip::kSetPlugIn);
        window.SetTimeMs(1000);
        gui = std::make_unique<CQuillstripGUI>(*plugIn);
        gui->Attach(window);
        for (auto* v : {&left, &right, &outLeft, &outRight})
            v->resize(2205);
    }
    ~Editor()
    {
        gui.reset();
        plugIn->Destroy();
    }
    // 50 ms of loud noise through the plug-in: meters move, the analyser gets blocks.
    void Audio()
    {
        for (size_t i = 0; i < left.size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            left[i] = right[i] = float(int32_t(seed)) / 2147483648.0f;
        }
        for (size_t at = 0; at < left.size(); at += 441) {
            float* in[] = {left.data() + at, right.data() + at};
            float* out[] = {outLeft.data() + at, outRight.data() + at};
            plugIn->Process(out, in, 441);
        }
    }
};

void BM_EditorFullRepaint(benchmark::State& state)
{
    Editor editor;
    for (auto _ : state) {
        editor.window.GetRootPane()->Invalidate();
        editor.window.Paint();
    }
}
BENCHMARK(BM_EditorFullRepaint)->Unit(benchmark::kMicrosecond);

void BM_EditorTick(benchmark::State& state)
{
    Editor editor;
    for (auto _ : state) {
        state.PauseTiming();
        editor.Audio();
        editor.window.AdvanceTimeMs(50);
        state.ResumeTiming();
        editor.gui->Idle();
        editor.window.Paint();
    }
}
BENCHMARK(BM_EditorTick)->Unit(benchmark::kMicrosecond);

}  // namespace
