// The gate: 40 dB attack and release laws, hold, threshold, mix, stereo link, detectors,
// meter results and the extremes.
#include "product/engine/Gate.h"
#include "tests/support/CookbookLowPass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;
using Buffer = std::vector<double>;

void Configure(CGate& gate, int rate, float thresholdDb, float attackMs, float releaseMs, float holdMs,
               int detection = CGate::kPeak)
{
    gate.SetThresholdDb(thresholdDb);
    gate.SetAttackMs(attackMs);
    gate.SetReleaseMs(releaseMs);
    gate.SetHoldMs(holdMs);
    gate.SetDetectionMode(detection);
    gate.SetSampleRate(rate);
    gate.Reset();
}

// 32-frame calls over whole buffers; null keys detect on the signal.
void Drive(CGate& gate, Buffer& l, Buffer& r, const Buffer* keyL, const Buffer* keyR, double mix)
{
    for (size_t i = 0; i < l.size(); i += 32)
        gate.Process(&l[i], &r[i], keyL ? &(*keyL)[i] : nullptr, keyR ? &(*keyR)[i] : nullptr,
                     int(std::min<size_t>(32, l.size() - i)), mix);
}

using testref::CookbookLowPass;

}  // namespace

TEST(GateTiming, OpensAndClosesBy40dBInTheSetTimesAfterTheHold)
{
    for (int rate : {44100, 96000}) {
        SCOPED_TRACE(rate);
        CGate gate;
        Configure(gate, rate, -20, 10, 50, 1);
        const int attack = rate / 100, release = rate / 20, open = rate / 5;
        // Unit DC signal, so the output is the gain; the key is loud, then silent.
        Buffer l(2 * open, 1.0), r = l, key(2 * open, 0.0);
        std::fill(key.begin(), key.begin() + open, 0.5);
        Drive(gate, l, r, &key, &key, 1.0);
        EXPECT_EQ(gate.GetMinGain(), *std::min_element(l.end() - 32, l.end()));

        // Opening from closed: 1 - 10^(-2 t / attack), 99 % (40 dB) in the attack time.
        for (int t : {attack / 4, attack / 2, attack})
            EXPECT_NEAR(l[t - 1], 1.0 - std::pow(10.0, -2.0 * t / attack), 2e-5) << t;
        // Holding until the key has been below for the hold length (1 ms: 44 samples
        // at 44.1 kHz), then 10^(-2 t / release), 40 dB in the release time.
        const int hold = rate == 44100 ? 44 : 96;
        EXPECT_EQ(*std::min_element(l.begin() + open - 100, l.begin() + open + hold - 1), 1.0);
        EXPECT_LT(l[open + hold - 1], 1.0);
        for (int t : {release / 2, release})
            EXPECT_NEAR(l[open + hold - 2 + t] / std::pow(10.0, -2.0 * t / release), 1.0, 1e-3) << t;
    }
}

TEST(GateTiming, KeyAtThresholdIsBelowAndResetStartsAHoldPeriod)
{
    // A full-scale key against a 0 dB threshold is not above it: the gate opens during
    // the hold period after the reset, then closes fully (flushed to exactly 0).
    CGate gate;
    Configure(gate, 44100, 0, 0.5f, 10, 1);
    Buffer l(44100, 1.0), r = l;
    const Buffer key(44100, 1.0);
    Drive(gate, l, r, &key, &key, 1.0);
    EXPECT_GT(l[42], 0.99);
    EXPECT_LT(l[43], l[42]);
    EXPECT_EQ(l.back(), 0.0);

    // Just below the key it stays open (a setting changed between calls).
    gate.SetThresholdDb(-0.1f);
    gate.Reset();
    std::fill(l.begin(), l.end(), 1.0);
    Drive(gate, l, r, &key, &key, 1.0);
    EXPECT_EQ(*std::min_element(l.begin() + 100, l.end()), 1.0);
}

TEST(GateTiming, HoldEndsOnItsSampleWhateverTheCallSizes)
{
    // Instant attack and release: the gain is exactly 1 while the key has been above the
    // threshold within the hold length, else 0, however the stream is cut into calls.
    Buffer key(6000);
    for (size_t i = 0, run = 0; i < key.size(); ++run)
        for (size_t k = 0; k <= run % 71 && i < key.size(); ++k, ++i)
            key[i] = run % 2 ? 0.0 : 0.5;
    for (int hold : {0, 1, 5, 31, 32, 33, 64}) {
        Buffer expected(key.size());
        for (size_t i = 0, below = 0; i < key.size(); ++i) {
            below = key[i] > 0.1 ? 0 : below + 1;
            expected[i] = int(below) < hold ? 1.0 : 0.0;
        }
        for (int chunk : {1, 2, 3, 7, 31, 32, 45}) {
            CGate gate;
            Configure(gate, 48000, -20, 0, 0, (float(hold) + 0.5f) / 48.0f);
            Buffer l(key.size(), 1.0), r = l;
            for (size_t i = 0; i < l.size(); i += size_t(chunk))
                gate.Process(&l[i], &r[i], &key[i], &key[i], int(std::min<size_t>(size_t(chunk), l.size() - i)), 1.0);
            ASSERT_EQ(l, expected) << "hold " << hold << ", calls of " << chunk;
        }
    }
}

TEST(GateMixAndLink, MixBlendsDryAndOneGainServesBothChannels)
{
    CGate gate;
    Configure(gate, 48000, -20, 1, 10, 1);
    Buffer signal(48000);
    for (size_t i = 0; i < signal.size(); ++i)
        signal[i] = 0.7 * std::sin(kTwoPi * 440.0 * double(i) / 48000.0);
    const Buffer silent(signal.size(), 0.0);

    // Closed gate: mix 0 returns the dry signal bit for bit, mix 0.25 keeps 75 %.
    Buffer l = signal, r = signal;
    Drive(gate, l, r, &silent, &silent, 0.0);
    EXPECT_EQ(l, signal);
    Drive(gate, l, r, &silent, &silent, 0.25);
    EXPECT_NEAR(l.back() / signal.back(), 0.75, 1e-12);
    EXPECT_EQ(gate.GetMinGain(), 0.0);  // the envelope, not the mixed gain

    // The level is the mean of both keys: 0.15 on one side opens a 0.1 threshold, 0.075
    // would not; the other channel gets the same gain.
    for (double keyLevel : {0.3, 0.15}) {
        gate.Reset();
        const Buffer keyL(signal.size(), keyLevel);
        l = signal;
        r = signal;
        for (double& x : r)
            x *= 0.5;
        Drive(gate, l, r, &keyL, &silent, 1.0);
        for (size_t i = 0; i < l.size(); i += 97)
            ASSERT_DOUBLE_EQ(r[i], 0.5 * l[i]) << i;
        EXPECT_NEAR(l.back() / signal.back(), keyLevel > 0.2 ? 1.0 : 0.0, 1e-9);
    }
}

TEST(GateDetectors, LevelsFollowTheDetectorLowPassesAndSettleToZero)
{
    // Different keys on the two sides. Input level: largest mean of the rectified keys
    // per call; detected level: the same after the mode's low-pass.
    const int rate = 48000, frames = rate / 4;
    Buffer rectL(frames), rectR(frames);
    for (int i = 0; i < frames; ++i) {
        rectL[i] = std::fabs(0.5 * std::sin(kTwoPi * 1000.0 * i / rate));
        rectR[i] = std::fabs(0.3 * std::sin(kTwoPi * 1300.0 * i / rate));
    }
    for (int mode : {CGate::kPeak, CGate::kPower, CGate::kC165}) {
        SCOPED_TRACE(mode);
        const bool power = mode == CGate::kPower;
        Buffer fl = rectL, fr = rectR;
        if (mode != CGate::kPeak) {
            fl = CookbookLowPass(rectL, rate, power ? 100.0 : 2.1, power ? 1.0 : 1.24);
            fr = CookbookLowPass(rectR, rate, power ? 100.0 : 2.1, power ? 1.0 : 1.24);
        }
        CGate gate;
        Configure(gate, rate, -60, 0.5f, 10, 1, mode);
        for (int i = 0; i < frames; i += 32) {
            Buffer l(32, 1.0), r = l;
            gate.Process(l.data(), r.data(), &rectL[i], &rectR[i], 32, 1.0);
            double input = 0.0, detected = 0.0;
            for (int j = i; j < i + 32; ++j) {
                input = std::max(input, (rectL[j] + rectR[j]) / 2);
                detected = std::max(detected, (fl[j] + fr[j]) / 2);
            }
            ASSERT_EQ(gate.GetInputLevel(), input) << i;
            ASSERT_NEAR(gate.GetDetectedLevel(), detected, 1e-7 * detected) << i;
        }

        // A second of full-scale square, then eight of silence: nothing but finite values,
        // and the detector and envelope flushed to exactly 0 rather than decaying.
        Buffer l(rate * 9, 0.0);
        for (int i = 0; i < rate; ++i)
            l[i] = (i / 24) % 2 ? 1.0 : -1.0;
        Buffer r = l;
        Drive(gate, l, r, nullptr, nullptr, 1.0);
        EXPECT_TRUE(std::all_of(l.begin(), l.end(), [](double x) { return std::isfinite(x); }));
        EXPECT_EQ(gate.GetDetectedLevel(), 0.0);
        EXPECT_EQ(gate.GetMinGain(), 0.0);
    }
}
