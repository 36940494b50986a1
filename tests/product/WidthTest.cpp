// Width section: the width law on whole signals, solos and auto gain against the
// split's transfer function, and the guard that ends decaying tails.
#include "product/engine/Width.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <tuple>
#include <vector>

namespace {

const CWidth::EBand kBands[] = {CWidth::kLow, CWidth::kMid, CWidth::kHigh};

// In place, in uneven chunks of at most 32 frames.
void ProcessChunked(CWidth& width, std::vector<double>& l, std::vector<double>& r)
{
    for (size_t i = 0, n = 0; i < l.size(); i += n) {
        n = std::min<size_t>(i % 3 ? 32 : 7, l.size() - i);
        width.Process(&l[i], &r[i], int32_t(n));
    }
}

// Complex gain of y against sin(omega i): least squares after the first 4800 samples.
std::complex<double> SineGain(const std::vector<double>& y, double omega)
{
    double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
    for (size_t i = 4800; i < y.size(); ++i) {
        const double s = std::sin(omega * double(i)), c = std::cos(omega * double(i));
        ss += s * s, sc += s * c, cc += c * c, ys += y[i] * s, yc += y[i] * c;
    }
    const double det = ss * cc - sc * sc;
    return {(ys * cc - yc * sc) / det, (yc * ss - ys * sc) / det};
}

}  // namespace

TEST(Width, EqualWidthsScaleTheWholeSide)
{
    // With one width on every band the split drops out: out = M +- w S, w by the law.
    const std::pair<float, double> law[] = {{0, 1}, {-100, 0}, {-50, 0.5}, {1, 2.02}, {100, 4}};
    for (float lowHz : {800.0f, 6000.0f}) {  // also a low crossover above the high one
        CWidth width;                        // one object: each new width must be picked up between calls
        width.SetSampleRate(48000);
        width.SetCrossoverLow(lowHz);
        width.SetCrossoverHigh(4000);
        for (auto [percent, w] : law) {
            for (auto b : kBands)
                width.SetWidth(b, percent);
            std::vector<double> l(3000), r(3000);  // full-scale broadband
            for (size_t i = 0; i < l.size(); ++i)
                l[i] = std::sin(0.1 * double(i * i)), r[i] = std::cos(0.37 * double(i));
            const std::vector<double> inL = l, inR = r;
            ProcessChunked(width, l, r);
            for (size_t i = 0; i < l.size(); ++i) {
                const double m = (inL[i] + inR[i]) / 2, s = (inL[i] - inR[i]) / 2 * w;
                ASSERT_NEAR(l[i], m + s, 1e-12) << percent << "% at " << i;
                ASSERT_NEAR(r[i], m - s, 1e-12) << percent << "% at " << i;
            }
        }
    }
}

TEST(Width, SolosAndAutoGainFollowTheSplit)
{
    // The split in the z domain: H1, H2 one-poles c / (1 - (1 - c) z^-1) with
    // c = 1 - exp(-6.283 f / fs); low = H1, mid = (1 - H1) H2, high = (1 - H1)(1 - H2).
    // From a left-only input a soloed band gives (m + w) / 2 left and (m - w) / 2 right.
    // -100 %, +50 %, 0 % make w = 0, 3, 1; auto gain m = 1 / max(0.316..., w), else 1.
    const double w[] = {0, 3, 1}, m[] = {3.1622776601683795, 1.0 / 3, 1};
    CWidth width;  // starts at 44100 Hz: each new rate or crossover must be picked up
    width.SetWidth(CWidth::kLow, -100);
    width.SetWidth(CWidth::kMid, 50);
    for (auto [rate, lowHz, highHz] :
         {std::tuple{48000, 500.0, 5000.0}, std::tuple{96000, 500.0, 5000.0}, std::tuple{96000, 3000.0, 200.0}}) {
        width.SetSampleRate(rate);
        width.SetCrossoverLow(float(lowHz));
        width.SetCrossoverHigh(float(highHz));
        // Each solo with auto gain on and off; from step to step only one of them moves.
        for (int step = 0; step < 16; ++step) {
            const int solo = step / 2;  // bit b solos band b; 0 is no solo
            const bool autoGain = (step + 1) / 2 % 2 == 0;
            width.SetAutoGain(autoGain);
            for (int b = 0; b < 3; ++b)
                width.SetSolo(kBands[b], (solo >> b) & 1);
            for (double hz : {60.0, 1500.0, 12000.0}) {
                const double omega = 6.283185307179586 * hz / rate;
                auto lowPass = [&](double f) {
                    const double c = 1 - std::exp(-6.283 * f / rate);
                    return c / (1.0 - (1 - c) * std::polar(1.0, -omega));
                };
                const auto h1 = lowPass(lowHz), h2 = lowPass(highHz);
                const std::complex<double> part[] = {h1, (1.0 - h1) * h2, (1.0 - h1) * (1.0 - h2)};
                std::complex<double> left = 0, right = 0;
                for (int b = 0; b < 3; ++b)
                    if (solo == 0 || (solo >> b) & 1)
                        left += part[b] * ((autoGain ? m[b] : 1.0) + w[b]) / 2.0,
                            right += part[b] * ((autoGain ? m[b] : 1.0) - w[b]) / 2.0;

                width.Reset();
                std::vector<double> l(24000), r(24000, 0.0);
                for (size_t i = 0; i < l.size(); ++i)
                    l[i] = std::sin(omega * double(i));
                ProcessChunked(width, l, r);
                EXPECT_LT(std::abs(SineGain(l, omega) - left), 1e-7) << "step " << step << " at " << hz;
                EXPECT_LT(std::abs(SineGain(r, omega) - right), 1e-7) << "step " << step << " at " << hz;
            }
        }
    }
}

TEST(Width, DecayedTailsEndAtExactlyZero)
{
    CWidth width;
    width.SetSolo(CWidth::kLow, true);
    // The low band alone rings down by (1 - c) per sample; the guard must zero it long
    // before the plain decay (still about 1e-24 at sample 384) would.
    std::vector<double> l(416, 0.0), r(416, 0.0);
    l[0] = 1.0;
    ProcessChunked(width, l, r);
    for (size_t i = 384; i < l.size(); ++i)
        ASSERT_EQ(l[i], 0.0) << i;
}
