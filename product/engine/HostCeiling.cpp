#include "product/engine/HostCeiling.h"

#include "dsp/simd/Pair.h"

#include <algorithm>
#include <cstring>

namespace {

// Whether every |x[i]| is below the ceiling: on the bits of a float's magnitude, integer
// order is the order of the values, and infinity and NaN lie above every finite one. The
// magnitudes' bits fit a signed integer, so one signed comparison per lane tells a sample
// at or above the ceiling, and the lanes only gather those answers (no running maximum to
// wait on from one vector to the next).
bool AllBelow(const float* x, int32_t n, float ceiling)
{
    uint32_t limit;
    std::memcpy(&limit, &ceiling, sizeof limit);
    if (limit > 0x7fffffffu)  // a negative ceiling: its bits lie above every magnitude's
        return true;
    const int32_t highestBelow = static_cast<int32_t>(limit) - 1;
    typedef int32_t Lanes __attribute__((vector_size(16)));
    Lanes over{};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        Lanes v;
        std::memcpy(&v, x + i, sizeof v);
        over |= (v & 0x7fffffff) > highestBelow;
    }
    bool any = (over[0] | over[1] | over[2] | over[3]) != 0;
    for (; i < n; ++i) {
        int32_t v;
        std::memcpy(&v, x + i, sizeof v);
        any = any || (v & 0x7fffffff) > highestBelow;
    }
    return !any;
}

}  // namespace

void CHostCeiling::Setup(int32_t channels, float hostRate, int32_t span)
{
    limiter_.Setup(channels, hostRate, 100.0f);
    span_ = std::clamp(span, 0, kMaxSpan);
}

void CHostCeiling::Reset()
{
    limiter_.Reset();
    first_ = count_ = frames_ = 0;
}

float CHostCeiling::Process(float* left, float* right, int32_t n, float ceiling)
{
    if (n < 1)
        return 1.0f;
    // This block's ceiling joins the history; the oldest blocks leave while the rest
    // still cover the block and the span before it.
    if (count_ == kMaxBlocks) {
        frames_ -= blocks_[static_cast<size_t>(first_)].frames;
        first_ = Wrap(first_ + 1);
        --count_;
    }
    blocks_[static_cast<size_t>(Wrap(first_ + count_))] = {ceiling, n};
    ++count_;
    frames_ += n;
    while (count_ > 1 && frames_ - blocks_[static_cast<size_t>(first_)].frames >= n + span_) {
        frames_ -= blocks_[static_cast<size_t>(first_)].frames;
        first_ = Wrap(first_ + 1);
        --count_;
    }
    float highest = ceiling;
    for (int32_t k = 0; k < count_; ++k)
        highest = std::max(highest, blocks_[static_cast<size_t>(Wrap(first_ + k))].ceiling);

    limiter_.SetCeiling(highest);
    // Resting at unity, the limiter passes every sample under the ceiling as it is: most
    // blocks need neither the conversions nor the limiter.
    if (limiter_.RestsAtUnity() && AllBelow(left, n, highest) && (!right || AllBelow(right, n, highest)))
        return 1.0f;
    return Limit(left, right, n);
}

float CHostCeiling::Limit(float* left, float* right, int32_t n)
{
    float smallest = 1.0f;
    double l[kPiece], r[kPiece];
    for (int32_t done = 0; done < n; done += kPiece) {
        const int32_t m = std::min(kPiece, n - done);
        pairs::ScaleToDoubles(left + done, 1.0, l, m);
        if (right)
            pairs::ScaleToDoubles(right + done, 1.0, r, m);
        smallest = std::min(smallest, right ? limiter_.ProcessStereo(l, r, m) : limiter_.ProcessMono(l, m));
        pairs::ScaleToFloats(l, 1.0, left + done, m);
        if (right)
            pairs::ScaleToFloats(r, 1.0, right + done, m);
    }
    return smallest;
}
