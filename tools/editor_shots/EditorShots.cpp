// The editor as a user sees it, drawn offscreen: a plug-in object with a vocal-chain
// setting runs a few seconds of a synthetic programme, so meters and analyser move,
// then every section pane (and the settings) is written to a PNG file.
//
//   quillstrip-editor-shots FOLDER
#include "product/editor/MasterPane.h"
#include "product/editor/QuillstripGUI.h"
#include "product/plugin/QuillstripParameterIds.h"
#include "product/plugin/QuillstripPlugIn.h"
#include "gui/toolkit/OffscreenWindow.h"
#include "gui/toolkit/PngWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace quillstrip;

namespace {

struct QuietHost : zt::ztpi::IHost {
    void BeginEdit(int32_t) override {}
    void ParameterChanged(int32_t) override {}
    void EndEdit(int32_t) override {}
    void GetHostName(char* text) override { std::strcpy(text, "shots"); }
    void GetHostVendor(char* text) override { std::strcpy(text, "shots"); }
    void LatencyChanged() override {}
};

void Setting(CQuillstripPlugIn& plugIn)
{
    auto set = [&](int32_t number, float value) { plugIn.GetParameterManager()->SetValue(false, number, value, 0); };
    const struct {
        int32_t type;
        float freq, gain, q;
    } bands[] = {{0, 80, 0, 0.7f}, {3, 180, 2.0f, 0.7f}, {4, 450, -3.5f, 1.4f},
                 {4, 3200, 2.5f, 1.0f}, {5, 9000, 3.0f, 0.7f}, {6, 18000, 0, 0.7f}};
    for (int32_t b = 0; b < 6; ++b) {
        set(b * kBandStride + kBandEnable, b < 5 ? 1.0f : 0.0f);
        set(b * kBandStride + kBandType, float(bands[b].type));
        set(b * kBandStride + kBandFreq, bands[b].freq);
        set(b * kBandStride + kBandGain, bands[b].gain);
        set(b * kBandStride + kBandQ, bands[b].q);
    }
    set(kEqSection, 1);
    set(kGateEnable, 1);
    set(kGateThreshold, -48);
    set(kCompEnable, 1);
    set(kCompThreshold, -22);
    set(kCompRatio, 3);
    set(kStereoEnable, 1);
    set(kSaturationEnable, 1);
    set(kLimiterEnable, 1);
    set(kLimiterThreshold, -3);
}

// A few seconds of something like a voice over a bass line, loud enough to move
// every meter.
void Programme(CQuillstripPlugIn& plugIn, zt::ge::COffscreenWindow& window, CQuillstripGUI& gui)
{
    const int32_t block = 512, rate = 48000;
    std::vector<float> l(block), r(block), ol(block), orr(block);
    uint32_t seed = 1;
    double phase = 0;
    for (int32_t n = 0; n < rate * 3 / block; ++n) {
        for (int32_t i = 0; i < block; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double noise = double(int32_t(seed)) / 2147483648.0;
            phase += 2 * M_PI * 110.0 / rate;
            const double v = 0.45 * std::sin(phase) + 0.25 * std::sin(3.01 * phase) + 0.08 * noise;
            l[size_t(i)] = float(v);
            r[size_t(i)] = float(0.9 * v + 0.05 * noise);
        }
        float* in[] = {l.data(), r.data()};
        float* out[] = {ol.data(), orr.data()};
        plugIn.Process(out, in, block);
        if (n % 2 == 0) {
            window.AdvanceTimeMs(21);
            gui.Idle();
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    QuietHost host;
    auto* plugIn = new CQuillstripPlugIn(&host);
    plugIn->Open();
    plugIn->SetChannelConfig(2, 2, 0);
    plugIn->SetMaxBlockSize(512);
    plugIn->SetSampleRate(48000);
    plugIn->Resume();
    Setting(*plugIn);
    int status = 0;
    {
        zt::ge::COffscreenWindow window({CQuillstripGUI::kWidth, CQuillstripGUI::kHeight});
        window.SetTimeMs(1000);
        CQuillstripGUI gui(*plugIn);
        if (!gui.Attach(window)) {
            std::fprintf(stderr, "the editor did not build\n");
            return 1;
        }
        Programme(*plugIn, window, gui);
        const char* names[] = {"gate", "compressor", "stereo", "saturation", "limiter"};
        for (int32_t s = 0; s < CMasterPane::kNumSectionPanes; ++s) {
            gui.GetMasterPane()->ShowSection(s);
            gui.Idle();
            window.GetRootPane()->Invalidate();
            window.Paint();
            const std::string path = folder + "editor-" + names[s] + ".png";
            if (!zt::ge::WritePng(window.GetSurface(), path)) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                status = 1;
            }
        }
        gui.RunCommand(CQuillstripGUI::kPreferences);
        window.GetRootPane()->Invalidate();
        window.Paint();
        if (!zt::ge::WritePng(window.GetSurface(), folder + "editor-settings.png"))
            status = 1;
        gui.Detach();
    }
    plugIn->Destroy();
    return status;
}
