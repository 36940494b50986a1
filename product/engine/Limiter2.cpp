#include "product/engine/Limiter2.h"

#include "dsp/simd/Pair.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>

namespace {

// Two consecutive samples; each lane holds exactly the scalar result.
using pairs::Pair;
using PairMask = pairs::PairBits;

// While the gain rests (not below 1, so no recovery step) and no sample reaches the
// ceiling, every sample is just x * g. Takes pairs from x[i] on until a pair holds a
// sample at or above the ceiling; returns the first index not taken.
int32_t Resting(double* x, int32_t i, int32_t n, double g, double ceiling)
{
    for (; i + 2 <= n; i += 2) {
        Pair v;
        std::memcpy(&v, x + i, sizeof v);
        const Pair y = v * g;
        const PairMask reached = Pair(PairMask(y) & PairMask{INT64_MAX, INT64_MAX}) >= ceiling;
        if (reached[0] | reached[1])
            break;
        std::memcpy(x + i, &y, sizeof y);
    }
    return i;
}

// Resting on both channels at once: pairs of frames until either channel reaches the
// ceiling; returns the first index not taken.
int32_t RestingBoth(double* l, double* r, int32_t i, int32_t n, double gl, double gr, double ceiling)
{
    for (; i + 2 <= n; i += 2) {
        Pair a, b;
        std::memcpy(&a, l + i, sizeof a);
        std::memcpy(&b, r + i, sizeof b);
        const Pair yl = a * gl, yr = b * gr;
        const PairMask magnitude = {INT64_MAX, INT64_MAX};
        const PairMask reached
            = (Pair(PairMask(yl) & magnitude) >= ceiling) | (Pair(PairMask(yr) & magnitude) >= ceiling);
        if (reached[0] | reached[1])
            break;
        std::memcpy(l + i, &yl, sizeof yl);
        std::memcpy(r + i, &yr, sizeof yr);
    }
    return i;
}

}  // namespace

void CLimiter2::Setup(int32_t channels, float sampleRate, float recoveryTime)
{
    if (channels == channels_ && sampleRate == sampleRate_ && recoveryTime == recoveryTime_)
        return;
    channels_ = channels;
    sampleRate_ = sampleRate;
    recoveryTime_ = recoveryTime;
    recoveryStep_ = static_cast<float>((0.004 / recoveryTime) * 44100.0 / sampleRate);
}

void CLimiter2::SetThreshold(float dB)
{
    ceiling_.store(static_cast<float>(std::pow(10.0, dB / 20.0)), std::memory_order_relaxed);
}

void CLimiter2::Reset() { gainLeft_ = gainRight_ = 1.0f; }

namespace {

// One sample of one channel with gain g (the general case: recovering, or landing on
// the ceiling). With a resting gain and a sample under the ceiling it comes to x * g
// and leaves g and the smallest gain as they were, so it may take any sample.
inline void Sample(double& x, float& g, float& smallest, float ceiling, float recoveryStep)
{
    if (g < 1.0f)
        g = std::min(1.0f, g + recoveryStep);  // constant-rate recovery
    double y = x * g;
    if (std::fabs(y) >= ceiling) {
        g = std::min(g, static_cast<float>(std::fabs(ceiling / x)));  // land on the ceiling
        y = x * g;
        while (static_cast<float>(std::fabs(y)) > ceiling) {  // never above it
            g = std::nextafter(g, 0.0f);
            y = x * g;
        }
    }
    x = y;
    smallest = std::min(smallest, g);
}

}  // namespace

float CLimiter2::Run(double* x, int32_t n, float& gain, float ceiling) const
{
    // The output is compared with a float ceiling and stored as float by the engine, so
    // the landing gain is computed so that |x * g| never rounds above the ceiling.
    float smallest = 1.0f;
    float g = gain;
    int32_t i = 0;
    while (i < n) {
        if (!(g < 1.0f)) {
            // A gain not below 1 (or NaN) leaves the smallest gain where it is.
            i = Resting(x, i, n, g, ceiling);
            if (i == n)
                break;
        }
        // Sample by sample from a pair that reaches the ceiling, for as long as the gain
        // recovers.
        do
            Sample(x[i], g, smallest, ceiling, recoveryStep_);
        while (++i < n && g < 1.0f);
    }
    gain = g;
    return smallest;
}

namespace {

// Sample on both channels, frame by frame from i for as long as either gain recovers;
// returns the first frame not taken. For gains at most 1 and a step not below 0 (the
// caller checks; landing never raises a gain), recovering is min(g + step, 1) whether
// or not g was below 1, so both channels' gains step as one pair of float lanes, and
// their samples as one pair of double lanes, each lane doing exactly Sample's
// arithmetic. A frame where either channel reaches the ceiling goes through Sample.
int32_t Both(double* left, double* right, int32_t i, int32_t n, float& gl, float& gr, float& smallestL,
             float& smallestR, float ceiling, float recoveryStep)
{
    const __m128 one = _mm_set1_ps(1.0f), step = _mm_set1_ps(recoveryStep);
    const Pair limit = {double(ceiling), double(ceiling)};
    __m128 g = _mm_setr_ps(gl, gr, 1.0f, 1.0f), smallest = _mm_setr_ps(smallestL, smallestR, 1.0f, 1.0f);
    do {
        // minps gives its first operand where it is the smaller, as std::min(1.0f, v)
        // gives v where v < 1.
        const __m128 next = _mm_min_ps(_mm_add_ps(g, step), one);
        const Pair x = {left[i], right[i]};
        const Pair y = x * Pair(_mm_cvtps_pd(next));
        const PairMask reached = Pair(PairMask(y) & PairMask{INT64_MAX, INT64_MAX}) >= limit;
        if (reached[0] | reached[1]) {
            alignas(16) float lanes[4], least[4];
            _mm_store_ps(lanes, g);
            _mm_store_ps(least, smallest);
            Sample(left[i], lanes[0], least[0], ceiling, recoveryStep);
            Sample(right[i], lanes[1], least[1], ceiling, recoveryStep);
            g = _mm_load_ps(lanes);
            smallest = _mm_load_ps(least);
        } else {
            left[i] = y[0];
            right[i] = y[1];
            g = next;
            // std::min(smallest, g): g where g < smallest, as minps with g first.
            smallest = _mm_min_ps(next, smallest);
        }
    } while (++i < n && _mm_movemask_ps(_mm_cmplt_ps(g, one)) & 3);
    alignas(16) float lanes[4], least[4];
    _mm_store_ps(lanes, g);
    _mm_store_ps(least, smallest);
    gl = lanes[0];
    gr = lanes[1];
    smallestL = least[0];
    smallestR = least[1];
    return i;
}

}  // namespace

float CLimiter2::RunStereo(double* left, double* right, int32_t n, float ceiling)
{
    // Run on each channel, both in one loop: their gains are independent, so each
    // channel's work fills the other's waits. Both rest: pairs of both channels until
    // either reaches the ceiling; otherwise both sample by sample until both rest.
    float smallestL = 1.0f, smallestR = 1.0f;
    float gl = gainLeft_, gr = gainRight_;
    int32_t i = 0;
    while (i < n) {
        if (!(gl < 1.0f) && !(gr < 1.0f)) {
            i = RestingBoth(left, right, i, n, gl, gr, ceiling);
            if (i == n)
                break;
        }
        if (gl <= 1.0f && gr <= 1.0f && recoveryStep_ >= 0.0f) {
            i = Both(left, right, i, n, gl, gr, smallestL, smallestR, ceiling, recoveryStep_);
            continue;
        }
        do {
            Sample(left[i], gl, smallestL, ceiling, recoveryStep_);
            Sample(right[i], gr, smallestR, ceiling, recoveryStep_);
        } while (++i < n && (gl < 1.0f || gr < 1.0f));
    }
    gainLeft_ = gl;
    gainRight_ = gr;
    return std::min(smallestL, smallestR);
}

float CLimiter2::ProcessStereo(double* left, double* right, int32_t n)
{
    if (n < 1)
        return 1.0f;
    return RunStereo(left, right, n, ceiling_.load(std::memory_order_relaxed));
}

float CLimiter2::ProcessMono(double* x, int32_t n)
{
    if (n < 1)
        return 1.0f;
    return Run(x, n, gainLeft_, ceiling_.load(std::memory_order_relaxed));
}
