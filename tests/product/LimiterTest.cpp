// The final ceiling: exact landing, constant-rate recovery, independent channels, and
// no output sample above the ceiling whatever comes in.
#include "product/engine/HostCeiling.h"
#include "product/engine/Limiter2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

TEST(Limiter2, FullScaleSampleLandsOnTheCeilingThenRecoversAtAConstantRate)
{
    for (float rate : {44100.0f, 96000.0f}) {
        CLimiter2 limiter;
        limiter.Setup(2, rate, 100.0f);
        limiter.SetThreshold(-0.3f);
        const float ceiling = static_cast<float>(std::pow(10.0, -0.3 / 20.0));

        std::vector<double> l(32, 0.1), r(32, 0.1);
        l[0] = 1.0;
        const float smallest = limiter.ProcessStereo(l.data(), r.data(), 32);
        EXPECT_EQ(static_cast<float>(l[0]), ceiling);
        EXPECT_FLOAT_EQ(smallest, ceiling);
        // The gain climbs by one step per sample from there.
        for (int i = 1; i < 32; ++i)
            EXPECT_NEAR(l[i], 0.1 * (ceiling + i * 1.764 / rate), 1e-7) << i;
        EXPECT_EQ(r, std::vector<double>(32, 0.1));  // the other side is untouched
    }
}

TEST(Limiter2, NothingEverPassesTheCeiling)
{
    // Mono, and stereo with the two sides landing and recovering at different times.
    for (int channels : {1, 2}) {
        CLimiter2 limiter;
        limiter.Setup(channels, 48000.0f, 100.0f);
        uint32_t seed = 99;
        auto next = [&] {
            seed = seed * 1664525u + 1013904223u;
            return (static_cast<int32_t>(seed) / 2147483648.0) * 8.0;  // up to +18 dB over full scale
        };
        for (float threshold : {-0.3f, -6.0f, -23.9f, 0.0f}) {
            limiter.SetThreshold(threshold);
            const float ceiling = limiter.GetCeiling();
            for (int block = 0; block < 200; ++block) {
                double l[32], r[32];
                for (int i = 0; i < 32; ++i) {
                    l[i] = next();
                    r[i] = (block + i) % 3 ? 0.1 * next() : next();
                }
                if (channels == 1)
                    limiter.ProcessMono(l, 32);
                else
                    limiter.ProcessStereo(l, r, 32);
                for (int i = 0; i < 32; ++i) {
                    ASSERT_LE(std::fabs(static_cast<float>(l[i])), ceiling) << threshold;
                    if (channels == 2) {
                        ASSERT_LE(std::fabs(static_cast<float>(r[i])), ceiling) << threshold;
                    }
                }
            }
        }
    }
}

TEST(Limiter2, QuietSignalsPassAndResetRestoresUnity)
{
    CLimiter2 limiter;
    limiter.Setup(2, 48000.0f, 100.0f);
    limiter.SetThreshold(-6.0f);
    std::vector<double> l(32, 0.4), r(32, -0.4);
    EXPECT_EQ(limiter.ProcessStereo(l.data(), r.data(), 32), 1.0f);
    EXPECT_EQ(l, std::vector<double>(32, 0.4));
    l.assign(32, 2.0);
    limiter.ProcessStereo(l.data(), r.data(), 32);
    limiter.Reset();
    l.assign(32, 0.4);
    EXPECT_EQ(limiter.ProcessStereo(l.data(), r.data(), 32), 1.0f);
    EXPECT_EQ(limiter.ProcessStereo(l.data(), r.data(), 0), 1.0f);
}

TEST(HostCeiling, ALoweredCeilingWaitsOutTheSpanARaisedOneActsAtOnce)
{
    // Blocks of 0.9 under a ceiling that drops from 1 to 0.5 and comes back, with a
    // span of 100 frames: the old ceiling holds while a block or the 100 frames before
    // it were limited at it, then the new one does.
    CHostCeiling ceiling;
    ceiling.Setup(1, 48000.0f, 100);
    auto block = [&](float limit, int32_t n = 20) {
        std::vector<float> x(static_cast<size_t>(n), 0.9f);
        ceiling.Process(x.data(), nullptr, n, limit);
        return x.back();
    };
    // First enough blocks that the ring of remembered blocks wraps round while the
    // blocks below are in it.
    for (int i = 0; i < 516; ++i)
        block(1.0f);
    EXPECT_EQ(block(1.0f), 0.9f);
    int32_t frames = 0;
    while (block(0.5f) == 0.9f)
        frames += 20;
    EXPECT_GE(frames, 100);
    EXPECT_LE(frames, 120);
    EXPECT_LE(block(0.5f), 0.5f);
    // Raised again: the gain recovers from now on (held at 0.5 it could not pass it),
    // back to unity within its 0.57 s.
    EXPECT_GT(block(1.0f, 100), 0.5f);
    EXPECT_EQ(block(1.0f, 28000), 0.9f);
}

TEST(HostCeiling, SkippingRestingBlocksChangesNothing)
{
    // Bursts over the ceiling between quiet stretches, so blocks alternate between
    // resting, landing and recovering, and a sample just over it while at rest: on the host's floats the stage must give exactly
    // what the limiter gives on the same samples in double precision, gain for gain.
    for (int channels : {1, 2}) {
        CHostCeiling stage;
        stage.Setup(channels, 48000.0f, 0);
        CLimiter2 plain;
        plain.Setup(channels, 48000.0f, 100.0f);
        const float ceiling = 0.5f;
        plain.SetCeiling(ceiling);
        uint32_t seed = 7;
        for (int block = 0; block < 1200; ++block) {
            const int32_t n = 1 + block % 32;
            const bool loud = block % 400 >= 200 && block % 400 < 203;  // recovered by the next
            float l[32], r[32];
            double dl[32], dr[32];
            for (int i = 0; i < n; ++i) {
                seed = seed * 1664525u + 1013904223u;
                const float v = static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
                l[i] = (loud ? 0.6f : 0.45f) * v;
                if (i == 0 && block % 400 == 100)
                    l[i] = 0.53f;                    // just over, while the gain rests
                r[i] = i == 3 ? ceiling : 0.3f * v;  // exactly at the ceiling too
                dl[i] = l[i];
                dr[i] = r[i];
            }
            const float expected = channels == 2 ? plain.ProcessStereo(dl, dr, n) : plain.ProcessMono(dl, n);
            ASSERT_EQ(stage.Process(l, channels == 2 ? r : nullptr, n, ceiling), expected) << block;
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(l[i], static_cast<float>(dl[i])) << block << " " << i;
                if (channels == 2) {
                    ASSERT_EQ(r[i], static_cast<float>(dr[i])) << block << " " << i;
                }
            }
        }
    }
}

TEST(Limiter2, StereoIsEachChannelOnItsOwn)
{
    // Both channels in one pass (resting pairs, recovering pairs, landing sample by
    // sample) against each channel through a mono limiter of its own: every sample and
    // the smallest gain bit for bit, with the two sides landing and recovering apart.
    CLimiter2 stereo, left, right;
    for (CLimiter2* l : {&stereo, &left, &right}) {
        l->Setup(2, 48000.0f, 100.0f);
        l->SetThreshold(-3.0f);
    }
    uint32_t seed = 5;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int32_t>(seed) / 2147483648.0;
    };
    for (int block = 0; block < 3000; ++block) {
        const int32_t n = 1 + block % 32;
        double l[32], r[32], ml[32], mr[32];
        for (int32_t i = 0; i < n; ++i) {
            // Each side now and then over the ceiling, at its own times.
            l[i] = ml[i] = (block % 97 < 2 ? 1.4 : 0.6) * next();
            r[i] = mr[i] = (block % 61 < 3 ? 1.2 : 0.5) * next();
        }
        const float both = stereo.ProcessStereo(l, r, n);
        const float one = left.ProcessMono(ml, n), other = right.ProcessMono(mr, n);
        ASSERT_EQ(both, std::min(one, other)) << block;
        for (int32_t i = 0; i < n; ++i) {
            ASSERT_EQ(l[i], ml[i]) << block << " " << i;
            ASSERT_EQ(r[i], mr[i]) << block << " " << i;
        }
    }
}
