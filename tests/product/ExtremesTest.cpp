// The plug-in object at the edges of what a host or a user can ask for: every parameter
// at its minimum and maximum, every pair of section switches, the rates and block sizes
// hosts use, and flush calls without audio. The output stays finite and the latency
// is what the plug-in reports.
#include "product/plugin/QuillstripParameterTable.h"
#include "tests/support/PlugInHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace quillstrip;

namespace {

std::vector<std::vector<float>> Program(size_t frames, int channels)
{
    std::vector<std::vector<float>> in(static_cast<size_t>(channels), std::vector<float>(frames));
    uint32_t seed = 3;
    for (size_t i = 0; i < frames; ++i)
        for (auto& c : in) {
            seed = seed * 1664525u + 1013904223u;
            c[i] = 0.9f * static_cast<float>(std::sin(0.05 * double(i)))
                + 0.1f * static_cast<float>(int32_t(seed)) / 2147483648.0f;
        }
    return in;
}

bool Finite(const std::vector<std::vector<float>>& out)
{
    for (const auto& c : out)
        for (float v : c)
            if (!std::isfinite(v))
                return false;
    return true;
}

// The switch of every section, and the oversampling and bypass switches.
const std::vector<int32_t>& Switches()
{
    static const std::vector<int32_t> kSwitches = {kIdxOversample,
                                                   kIdxBypass,
                                                   7,
                                                   13,
                                                   19,
                                                   25,
                                                   31,
                                                   37,
                                                   43 /* gate */,
                                                   58 /* comp */,
                                                   76 /* stereo */,
                                                   86 /* saturation */,
                                                   89 /* limiter */,
                                                   kIdxGateScMonitor,
                                                   kIdxCompScMonitor};
    return kSwitches;
}

}  // namespace

TEST(Extremes, EveryParameterAtEitherEnd)
{
    const std::vector<const SParameterRow*> rows = AutomationOrder();
    for (const bool top : {false, true}) {
        PlugInHarness h(48000, 2, 2);
        for (int32_t id : Switches())
            h.plugIn().SetParameter(id, id == kIdxBypass ? 0.0f : 1.0f);
        for (size_t i = 0; i < rows.size(); ++i) {
            const int32_t id = static_cast<int32_t>(i);
            if (id == kIdxBypass)
                continue;
            h.plugIn().SetParameter(id, top ? rows[i]->maximum : rows[i]->minimum);
            h.plugIn().Idle();
            const auto out = h.Run(Program(300, 4));
            ASSERT_TRUE(Finite(out)) << rows[i]->name << (top ? " at its maximum" : " at its minimum");
        }
    }
}

TEST(Extremes, EveryPairOfSectionSwitches)
{
    const std::vector<int32_t>& switches = Switches();
    for (size_t a = 0; a < switches.size(); ++a)
        for (size_t b = a + 1; b < switches.size(); ++b) {
            PlugInHarness h(44100, 2, 2);
            h.plugIn().SetParameter(switches[a], 1.0f);
            h.plugIn().SetParameter(switches[b], 1.0f);
            h.plugIn().Idle();
            ASSERT_TRUE(Finite(h.Run(Program(700, 4)))) << switches[a] << " and " << switches[b];
        }
}

TEST(Extremes, RatesBlocksAndFlushCalls)
{
    for (const int32_t rate : {8000, 22050, 44100, 96000, 192000, 384000}) {
        for (const bool oversample : {false, true}) {
            PlugInHarness h(rate, 2, 0);
            h.plugIn().Suspend();
            h.plugIn().SetMaxBlockSize(8192);
            h.plugIn().SetParameter(kIdxOversample, oversample ? 1.0f : 0.0f);
            for (int32_t id : {7, 43, 58, 76, 86, 89})
                h.plugIn().SetParameter(id, 1.0f);
            h.plugIn().Idle();
            h.plugIn().Resume();
            EXPECT_EQ(h.plugIn().GetLatency(), oversample ? CQuillstripPlugIn::kOversamplingLatency : 0);
            const std::string what = std::to_string(rate) + (oversample ? " Hz, oversampled" : " Hz");
            for (const size_t frames : {size_t(0), size_t(1), size_t(7), size_t(33), size_t(4097), size_t(8192)})
                ASSERT_TRUE(Finite(h.Run(Program(frames, 2)))) << what << ", " << frames << " frames";
            // A flush call: no audio, no buffers.
            h.plugIn().Process(nullptr, nullptr, 0);
            ASSERT_TRUE(Finite(h.Run(Program(64, 2)))) << what << " after a flush";
        }
    }
}
