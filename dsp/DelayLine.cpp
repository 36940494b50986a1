#include "dsp/DelayLine.h"

namespace {
// The smallest power of two reached by doubling from 2 while below kMaxDelay + 1.
uint32_t RingLength()
{
    uint32_t length = 2;
    while (length < DelayLine::kMaxDelay + 1)
        length *= 2;
    return length;
}
}  // namespace

DelayLine::DelayLine() : buffer_(RingLength(), 0.0), mask_(RingLength() - 1) {}
