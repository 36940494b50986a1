// Fast natural log and exp for curves whose values end up rounded to float, and the test
// that says when such a fast value may stand in for the exact one.
//
// Why they exist: speed. A gain curve evaluated per sample with the library's std::log
// and std::pow is the slowest step of a compressor; these table-driven versions cost a
// fraction of that. The library path stays the reference every result must round the
// same as: a caller bounds the error of its fast value (kLogError, kExpError and its own
// arithmetic), uses it only through SafeFloat, which accepts it only where it rounds to
// the same float as the exact value, and takes the library path everywhere else.
//
// Needs the build's -ffp-contract=off: the bounds assume every product and sum rounds
// on its own. The tables are filled at load time; nothing allocates.
#pragma once

#include <cstdint>
#include <cstring>

namespace fastcurves {

constexpr int32_t kLogBits = 7;
constexpr int32_t kLogEntries = 1 << kLogBits;
constexpr int32_t kExpEntries = 128;

// Log is analysed for 1 < x <= kLogMax, so 0 <= ln x <= 11.1...
constexpr double kLogMax = 65536.0;
constexpr double kLogMaxLog = 11.090354888959125;  // ln 2^16
// ...where |Log(x) - ln x| is at most a few units in the last place of 11.1 (2^-49
// each), and so is the library's std::log for |ln x| up to that.
constexpr double kLogError = 1.2e-14;
// Exp is analysed for |y| <= kExpMax, where its relative error is well inside this.
constexpr double kExpMax = 80.0;
constexpr double kExpError = 1e-15;
// SafeFloat's band around a float midpoint, in units of the last place of the double:
// 2^14 of them are at least 2^-39 (1.8e-12) relative. A value within relative error
// kSafeFloatError of the exact one that SafeFloat accepts rounds as the exact one does.
constexpr uint64_t kMidpointBand = 1u << 14;
constexpr double kSafeFloatError = 0x1p-39;

// ln 2 split so that k * kLn2High is exact for |k| < 2^20 (fdlibm's split).
constexpr double kLn2High = 6.93147180369123816490e-01;
constexpr double kLn2Low = 1.90821492927058770002e-10;
// ln 2 / 128, split the same way, for the exp reduction.
constexpr double kLn2By128High = kLn2High / 128.0;
constexpr double kLn2By128Low = kLn2Low / 128.0;
constexpr double k128ByLn2 = 184.6649652337873;

struct STables {
    // For m in [1 + j/128, 1 + (j+1)/128): inverse of the interval's start and ln of it.
    double inverse[kLogEntries];
    double logStart[kLogEntries];
    // 2^(j/128).
    double exp2[kExpEntries];

    STables();
};
// Filled at load time, never on the audio thread.
extern const STables gTables;

inline uint64_t Bits(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

inline double FromBits(uint64_t b)
{
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

// ln x for 1 < x <= kLogMax, within kLogError. With x = 2^k m and c the table's inverse
// of m's interval start, ln x = k ln 2 - ln c + ln(m c); m c lies in [1, 1 + 2^-7], its
// rounding costs one unit and the series to r^7 leaves less than 2^-59.
inline double Log(double x)
{
    const uint64_t b = Bits(x);
    const int32_t k = int32_t(b >> 52) - 1023;
    const int32_t j = int32_t((b >> (52 - kLogBits)) & (kLogEntries - 1));
    const double m = FromBits((b & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
    const double r = m * gTables.inverse[j] - 1.0;
    // ln(1 + r) = r - r^2 P, P's terms paired (Estrin) for a short dependency chain.
    const double r2 = r * r;
    const double p = ((0.5 - r * (1.0 / 3.0)) + r2 * (0.25 - r * 0.2)) + (r2 * r2) * (1.0 / 6.0 - r * (1.0 / 7.0));
    const double kf = double(k);
    return (kf * kLn2High + gTables.logStart[j]) + ((r - r2 * p) + kf * kLn2Low);
}

// exp y for |y| <= kExpMax, within kExpError: y = n ln2/128 + t with |t| <= ln2/256, and
// exp t by its series to t^5 (the rest is below 2^-60).
inline __attribute__((always_inline)) double Exp(double y)
{
    // Adding and removing 1.5 * 2^52 rounds to the nearest integer, which lands in the
    // low bits of the sum.
    constexpr double kShifter = 0x1.8p52;
    const double shifted = y * k128ByLn2 + kShifter;
    const double nf = shifted - kShifter;
    const int32_t n = int32_t(uint32_t(Bits(shifted)));
    const double t = (y - nf * kLn2By128High) - nf * kLn2By128Low;
    const double t2 = t * t;
    const double p = 1.0 + (t + t2 * ((0.5 + t * (1.0 / 6.0)) + t2 * (1.0 / 24.0 + t * (1.0 / 120.0))));
    const int32_t whole = n >> 7;  // floor(n / 128)
    const double scale = FromBits(uint64_t(int64_t(whole) + 1023) << 52);
    return p * gTables.exp2[n & (kExpEntries - 1)] * scale;
}

// The float the value g rounds to, or a negative value when g lies too close to a
// rounding boundary or outside the normal float range for that to be decided.
inline double SafeFloat(double g)
{
    const uint64_t b = Bits(g);
    const uint64_t exponent = b >> 52;                   // sign clear: g > 0 or NaN
    const uint64_t low = b & ((uint64_t(1) << 29) - 1);  // the bits float rounding drops
    const bool inRange = exponent >= 1023 - 125 && exponent < 1023 + 127;
    const bool nearMidpoint = low - ((uint64_t(1) << 28) - kMidpointBand) <= 2 * kMidpointBand;
    return inRange && !nearMidpoint ? double(float(g)) : -1.0;
}

}  // namespace fastcurves
