// Automation through the plug-in's parameters, as hosts send it, with the engine's
// shortcuts and without: the same output bit for bit. This reaches the shortcuts the
// way users do (solos without a redesign, bands switched with the EQ section, gains
// as factors, blocks split into chunks, oversampling switched while playing).
#include "tests/support/PlugInHarness.h"

#include "product/engine/QuillstripDSP.h"
#include "product/plugin/QuillstripParameterIds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace quillstrip;

TEST(PlugInShortcuts, AutomationGivesWhatTheWholeChainGives)
{
    for (uint32_t seed : {11u, 12u}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        PlugInHarness fast, full;
        dynamic_cast<CQuillstripDSP*>(full.product().GetEngine())->SetShortcuts(false);
        auto next = [&](uint32_t range) {
            seed = seed * 1664525u + 1013904223u;
            return (seed >> 8) % range;
        };
        auto uniform = [&](float low, float high) { return low + (high - low) * float(next(1000)) / 1000.0f; };
        auto set = [&](int32_t number, float value, int32_t group = kSetProcessing) {
            for (PlugInHarness* h : {&fast, &full})
                h->parameters().SetValue(false, number, value, group);
        };
        int64_t t = 0;
        for (int32_t block = 0; block < 1500; ++block) {
            if (next(3) == 0) {
                const uint32_t what = next(30);
                if (what < 18) {
                    const auto band = static_cast<int32_t>(next(6)) * kBandStride;
                    switch (next(6)) {
                    case 0:
                        set(band + kBandEnable, float(next(3) == 0));
                        break;
                    case 1:
                        set(band + kBandGain, next(3) == 0 ? 0.0f : uniform(-12.0f, 12.0f));
                        break;
                    case 2:
                        set(band + kBandFreq, uniform(30.0f, 15000.0f));
                        break;
                    case 3:
                        set(band + kBandQ, uniform(0.3f, 4.0f));
                        break;
                    case 4:
                        set(band + kBandType, float(next(13)));
                        break;
                    default:
                        set(band + kBandSolo, float(next(4) == 0));
                        break;
                    }
                } else if (what < 20) {
                    set(kInputGain, next(2) ? 1.0f : uniform(0.5f, 1.4f));
                } else if (what < 22) {
                    set(kOutputGain, next(2) ? 1.0f : uniform(0.5f, 1.4f));
                } else if (what == 22) {
                    set(kInputPhase, float(next(2)));
                } else if (what == 23) {
                    set(kInputDelay, next(3) == 0 ? float(next(30)) : 0.0f);
                } else if (what == 24) {
                    const int32_t sections[]
                        = {kGateEnable, kCompEnable, kStereoEnable, kSaturationEnable, kLimiterEnable};
                    set(sections[next(5)], float(next(3) == 0));
                } else if (what == 25) {
                    set(kOversampleEnable, float(next(4) == 0));
                } else if (what == 26) {
                    set(kBypass, float(next(6) == 0), kSetPlugIn);
                }
            }
            const auto frames = static_cast<size_t>(next(4) == 0 ? 1 + next(3) : 1 + next(300));
            std::vector<float> l(frames), r(frames);
            for (size_t i = 0; i < frames; ++i, ++t) {
                l[i] = static_cast<float>(0.4 * std::sin(0.011 * double(t)) + 0.05);
                r[i] = static_cast<float>(0.3 * std::sin(0.007 * double(t) + 1.0) - 0.05);
                if (std::fabs(l[i]) < 1e-3f)
                    l[i] = 0.01f;
                if (std::fabs(r[i]) < 1e-3f)
                    r[i] = -0.01f;
            }
            // Hosts often hand the same buffers for input and output.
            const bool inPlace = next(2) != 0;
            std::vector<float> out[2][2] = {{l, r}, {l, r}};
            PlugInHarness* plugIns[2] = {&fast, &full};
            for (int k = 0; k < 2; ++k) {
                std::vector<float> in[2] = {l, r};
                float* ins[2] = {in[0].data(), in[1].data()};
                float* outs[2] = {out[k][0].data(), out[k][1].data()};
                plugIns[k]->plugIn().Process(inPlace ? ins : outs, ins, static_cast<int32_t>(frames));
                if (inPlace) {
                    out[k][0] = in[0];
                    out[k][1] = in[1];
                }
            }
            for (int c = 0; c < 2; ++c)
                ASSERT_EQ(std::memcmp(out[0][c].data(), out[1][c].data(), sizeof(float) * frames), 0)
                    << "block " << block << ", channel " << c;
        }
    }
}
