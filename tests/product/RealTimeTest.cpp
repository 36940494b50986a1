// Process must not allocate: this binary counts every allocation made while a block
// is processed, with every parameter changing between blocks.
#include "tests/support/AllocationCounter.h"
#include "tests/support/PlugInHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(RealTime, ProcessAllocatesNothing)
{
    for (int32_t sidechain : {0, 2}) {
        PlugInHarness h(48000, 2, sidechain);
        auto& p = h.plugIn();
        std::vector<std::vector<float>> in;
        for (int32_t c = 0; c < 2 + sidechain; ++c)
            in.push_back(Noise(700, static_cast<uint32_t>(c + 1)));
        std::vector<std::vector<float>> out(2, std::vector<float>(700));
        std::vector<float*> inPtr, outPtr;
        for (auto& c : in)
            inPtr.push_back(c.data());
        for (auto& c : out)
            outPtr.push_back(c.data());

        int total = 0;
        for (int block = 0; block < 40; ++block) {
            // Every automated parameter moves (oversampling stays as it is: switching
            // it reconfigures the engine, which is set-up work).
            for (int32_t i = 0; i < p.GetNumParameters(); ++i) {
                if (i == kIdxOversample)
                    continue;
                zt::ztpi::SAutomationInfo info;
                p.GetAutomationInfo(i, &info);
                const float t = static_cast<float>((block * 7 + i) % 11) / 10.0f;
                p.SetParameter(i, info.minimum + (info.maximum - info.minimum) * t);
            }
            const int32_t frames = block % 2 ? 700 : 1 + block;
            counting = true;
            p.Process(outPtr.data(), inPtr.data(), frames);
            counting = false;
            total += allocations.exchange(0);
        }
        EXPECT_EQ(total, 0) << "side-chain channels " << sidechain;
    }
}

TEST(RealTime, TheCounterSeesAllocations)
{
#ifdef QS_ASAN
    ASSERT_NE(hooksInstalled, 0);
#endif
    counting = true;
    auto* v = new std::vector<int>(100);
    void* volatile m = std::malloc(16);
    counting = false;
    std::free(m);
    delete v;
    EXPECT_GE(allocations.exchange(0), 3);
}
