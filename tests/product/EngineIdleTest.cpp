// Resting bands step out of the signal's way (and while nothing is on, the whole chain
// does); a band switched on later must carry on exactly as if every chunk had run
// through it.
#include "dsp/FilterDesign.h"
#include "dsp/IIR.h"
#include "product/engine/QuillstripDSP.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kRate = 48000;

struct SRun {
    std::vector<float> out[2];
};

// Chunks of varying size (single frames among them) of two sines, with band 2 switched
// to a bell at chunk `switchAt`, and band 0 a working low shelf throughout or off.
// Through the engine, or through lone filters that run every chunk: the engine's other
// bands rest at the identity, so the two must agree bit for bit.
SRun RunChunks(int32_t channels, bool throughEngine, int32_t switchAt, bool shelf)
{
    const int32_t sizes[] = {32, 1, 7, 32, 2, 1, 1, 19};
    CQuillstripDSP engine;
    CIIR reference, referenceShelf;
    engine.Configure(channels, false);
    engine.SetSampleRate(kRate);
    if (shelf) {
        FilterSettings& band = engine.Filter(0);
        band.type = CIIR::kLowShelf;
        band.freq = 200.0f;
        band.gain = -5.0f;
        band.q = 1.0f;
        band.on = true;
        engine.UpdateFilter(0);
        referenceShelf.SetSampleRate(kRate);
        referenceShelf.Design(CIIR::kLowShelf, kRate, 200.0, -5.0, 1.0);
        referenceShelf.Reset();  // as the engine's reset below: no glide
    }
    engine.SetBypass(false);
    engine.Reset();
    reference.SetSampleRate(kRate);
    reference.DesignFlat(kRate);
    reference.Reset();

    SRun run;
    int64_t t = 0;
    for (int32_t chunk = 0; chunk < 400; ++chunk) {
        if (chunk == switchAt) {
            FilterSettings& band = engine.Filter(2);
            band.type = CIIR::kBell;
            band.freq = 700.0f;
            band.gain = 9.0f;
            band.q = 2.0f;
            band.on = true;
            engine.UpdateFilter(2);
            reference.Design(CIIR::kBell, kRate, 700.0, 9.0, 2.0);
        }
        const int32_t n = sizes[chunk % 8];
        float in[2][32], out[2][32];
        double x[2][32];
        for (int32_t i = 0; i < n; ++i, ++t) {
            in[0][i] = static_cast<float>(0.4 * std::sin(0.031 * double(t)));
            in[1][i] = static_cast<float>(0.3 * std::sin(0.017 * double(t) + 1.0));
            x[0][i] = in[0][i];
            x[1][i] = in[1][i];
        }
        if (throughEngine) {
            float* ins[2] = {in[0], in[1]};
            float* outs[2] = {out[0], out[1]};
            engine.Process(outs, ins, n);
        } else {
            for (CIIR* filter : {&referenceShelf, &reference}) {
                if (filter == &referenceShelf && !shelf)
                    continue;
                if (channels == 2)
                    filter->ProcessStereo(x[0], x[1], n);
                else
                    filter->ProcessMono(x[0], n);
            }
            for (int32_t c = 0; c < channels; ++c)
                for (int32_t i = 0; i < n; ++i)
                    out[c][i] = static_cast<float>(x[c][i]);
        }
        for (int32_t c = 0; c < channels; ++c)
            run.out[c].insert(run.out[c].end(), out[c], out[c] + n);
    }
    return run;
}

// Index of the first sample that differs, or -1.
int64_t FirstDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return int64_t(i);
    return a.size() == b.size() ? -1 : int64_t(std::min(a.size(), b.size()));
}

}  // namespace

TEST(EngineIdle, ABandSwitchedOnAfterRestingCarriesOnAsIfItHadRun)
{
    for (bool shelf : {false, true})
        for (int32_t channels : {1, 2})
            for (int32_t switchAt : {1, 57, 58, 61, 200}) {  // after chunks of 32, 32, 1, 1 and 1 frames
                const SRun engine = RunChunks(channels, true, switchAt, shelf);
                const SRun reference = RunChunks(channels, false, switchAt, shelf);
                for (int32_t c = 0; c < channels; ++c)
                    EXPECT_EQ(FirstDifference(engine.out[c], reference.out[c]), -1)
                        << channels << " channel(s), switched at " << switchAt << (shelf ? ", shelf on" : "");
            }
}
