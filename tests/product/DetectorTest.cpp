// The dynamics' detector front end on its own: rectified buffers and input levels at
// every length (pairs and the odd tail), M/S with keys that alias the signal, NaN keys,
// the mode low-passes across calls of any length, and how chunked calls fold.
#include "product/engine/Detector.h"
#include "tests/support/CookbookLowPass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

using Buffer = std::vector<double>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Equal, or both NaN.
bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// Largest value, passing over NaNs; 0 when there is none.
double MaxOf(const Buffer& v)
{
    double m = 0.0;
    for (double x : v)
        m = x > m ? x : m;
    return m;
}

Buffer Noise(int n, std::mt19937& rng)
{
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Buffer b(size_t(n) + 1);  // one spare value: data() is a real buffer even for n = 0
    for (double& x : b)
        x = u(rng);
    return b;
}

}  // namespace

TEST(DetectorRectify, BuffersAndInputLevelAtEveryLengthWithNaNsAndAliasedKeys)
{
    std::mt19937 rng(7);
    for (int n = 0; n <= 67; ++n) {
        SCOPED_TRACE(n);
        Buffer l = Noise(n, rng), r = Noise(n, rng), kl = Noise(n, rng), kr = Noise(n, rng);
        // NaNs in the pair loop and, for odd lengths, in the tail.
        if (n >= 3) {
            kl[1] = kNaN;
            l[n - 1] = kNaN;
        }
        Buffer dL(n + 1), dR(n + 1), mean(n);

        // Separate keys, linked: the key rectified, the signal untouched.
        const Buffer l0 = l, r0 = r;
        for (int i = 0; i < n; ++i)
            mean[i] = (std::fabs(kl[i]) + std::fabs(kr[i])) / 2.0;
        EXPECT_EQ(CDetector::RectifyStereo(l.data(), r.data(), kl.data(), kr.data(), n, dynamics::kLinked, dL.data(),
                                           dR.data()),
                  MaxOf(mean));
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(Same(dL[i], std::fabs(kl[i])) && dR[i] == std::fabs(kr[i]) && Same(l[i], l0[i])) << i;

        // M/S with the key being the signal itself: the detector sees |M| and |S| of the
        // original samples, which the signal then becomes; the level is taken before.
        for (int i = 0; i < n; ++i)
            mean[i] = (std::fabs(l0[i]) + std::fabs(r0[i])) / 2.0;
        EXPECT_EQ(CDetector::RectifyStereo(l.data(), r.data(), l.data(), r.data(), n, dynamics::kMidSide, dL.data(),
                                           dR.data()),
                  MaxOf(mean));
        for (int i = 0; i < n; ++i) {
            const double m = (l0[i] + r0[i]) / 2.0, s = (l0[i] - r0[i]) / 2.0;
            ASSERT_TRUE(Same(l[i], m) && Same(r[i], s) && Same(dL[i], std::fabs(m)) && Same(dR[i], std::fabs(s))) << i;
        }

        // Mono on a key, and without one on the signal.
        const Buffer* keys[] = {&kr, nullptr};
        for (const Buffer* key : keys) {
            const Buffer& source = key ? *key : l0;
            for (int i = 0; i < n; ++i)
                mean[i] = std::fabs(source[i]);
            EXPECT_EQ(CDetector::RectifyMono(l0.data(), key ? key->data() : nullptr, n, dL.data()), MaxOf(mean));
            for (int i = 0; i < n; ++i)
                ASSERT_TRUE(Same(dL[i], mean[i])) << i;
        }
    }
}

TEST(DetectorFilter, ModesRunTheirLowPassAcrossCallsOfAnyLength)
{
    const int rate = 48000, frames = 4000;
    Buffer rectL(frames), rectR(frames);
    for (int i = 0; i < frames; ++i) {
        rectL[i] = std::fabs(0.5 * std::sin(6.283185307179586 * 1000.0 * i / rate));
        rectR[i] = std::fabs(0.3 * std::sin(6.283185307179586 * 130.0 * i / rate));
    }
    for (int mode : {int(dynamics::kPeak), int(dynamics::kPower), int(dynamics::kC165), 7}) {
        SCOPED_TRACE(mode);
        const bool filtered = mode == dynamics::kPower || mode == dynamics::kC165;
        const double freq = mode == dynamics::kPower ? 100.0 : 2.1, div = mode == dynamics::kPower ? 1.0 : 1.24;
        const Buffer wantL = filtered ? testref::CookbookLowPass(rectL, rate, freq, div) : rectL;
        const Buffer wantR = filtered ? testref::CookbookLowPass(rectR, rate, freq, div) : rectR;
        // Mono runs the left state alone.
        for (bool mono : {false, true}) {
            CDetector detector;
            detector.SetSampleRate(rate);
            Buffer dL = rectL, dR = rectR;
            const int lengths[] = {1, 7, 64, 33, 2, 50, 19};
            for (int i = 0, k = 0; i < frames; ++k) {
                const int n = std::min(lengths[k % 7], frames - i);
                const double level = detector.Detect(mode, &dL[i], mono ? nullptr : &dR[i], n);
                double want = 0.0;
                for (int j = i; j < i + n; ++j) {
                    // Peak and unknown modes pass the rectified key through untouched.
                    if (!filtered) {
                        ASSERT_TRUE(dL[j] == rectL[j] && dR[j] == rectR[j]) << j;
                    }
                    ASSERT_NEAR(dL[j], wantL[j], 1e-9) << j;
                    ASSERT_NEAR(dR[j], mono ? rectR[j] : wantR[j], 1e-9) << j;
                    want = std::max(want, mono ? dL[j] : (dL[j] + dR[j]) / 2.0);
                }
                ASSERT_EQ(level, want) << i;
                i += n;
            }
        }
    }
}

TEST(DetectorChunks, PiecesCoverTheCallInOrderAndTheMetersFold)
{
    for (int n : {0, 1, 63, 64, 65, 200}) {
        SCOPED_TRACE(n);
        double input = -1.0, detected = -1.0, minGain = -1.0;
        std::vector<std::pair<int, int>> pieces;
        CDetector::RunInChunks(n, 64, input, detected, minGain, [&](int32_t offset, int32_t count) {
            pieces.emplace_back(offset, count);
            // Each piece overwrites the section's results; the first piece's gain is NaN.
            input = 0.1 * offset;
            detected = 1.0 / (1.0 + offset);
            minGain = pieces.size() == 1 ? kNaN : 1.0 / (1.0 + count);
        });
        int end = 0;
        double wantInput = 0.0, wantDetected = 0.0, wantGain = n > 0 ? std::numeric_limits<double>::infinity() : 1.0;
        for (size_t p = 0; p < pieces.size(); ++p) {
            EXPECT_EQ(pieces[p].first, end);
            EXPECT_TRUE(pieces[p].second > 0 && pieces[p].second <= 64);
            wantInput = std::max(wantInput, 0.1 * end);
            wantDetected = std::max(wantDetected, 1.0 / (1.0 + end));
            if (p != 0)
                wantGain = std::min(wantGain, 1.0 / (1.0 + pieces[p].second));
            end += pieces[p].second;
        }
        EXPECT_EQ(end, n);
        EXPECT_EQ(pieces.size(), size_t((n + 63) / 64));
        EXPECT_EQ(input, wantInput);
        EXPECT_EQ(detected, wantDetected);
        // A NaN gain never wins: a call of one piece reports infinity, an empty one 1.
        EXPECT_EQ(minGain, wantGain);
    }
}
