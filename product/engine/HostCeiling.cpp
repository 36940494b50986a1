#include "product/engine/HostCeiling.h"

#include <algorithm>

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

float CHostCeiling::Process(double* left, double* right, int32_t n, float ceiling)
{
    if (n < 1)
        return 1.0f;
    // This block's ceiling joins the history; the oldest blocks leave while the rest
    // still cover the block and the span before it.
    if (count_ == kMaxBlocks) {
        frames_ -= blocks_[static_cast<size_t>(first_)].frames;
        first_ = (first_ + 1) % kMaxBlocks;
        --count_;
    }
    blocks_[static_cast<size_t>((first_ + count_) % kMaxBlocks)] = {ceiling, n};
    ++count_;
    frames_ += n;
    while (count_ > 1 && frames_ - blocks_[static_cast<size_t>(first_)].frames >= n + span_) {
        frames_ -= blocks_[static_cast<size_t>(first_)].frames;
        first_ = (first_ + 1) % kMaxBlocks;
        --count_;
    }
    float highest = ceiling;
    for (int32_t k = 0; k < count_; ++k)
        highest = std::max(highest, blocks_[static_cast<size_t>((first_ + k) % kMaxBlocks)].ceiling);

    limiter_.SetCeiling(highest);
    return right ? limiter_.ProcessStereo(left, right, n) : limiter_.ProcessMono(left, n);
}
