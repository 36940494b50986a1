#pragma once

#include <cstdint>
#include <vector>

// Input delay of one channel: a power-of-two ring of doubles sized once for the
// largest delay, so changing the delay never allocates.
class DelayLine {
public:
    static constexpr int32_t kMaxDelay = 19200;

    DelayLine();

    // y = buffer[write - d]; buffer[write] = x. Reading before writing makes the delay
    // exactly d samples. d must be in 1..kMaxDelay.
    void Process(double* x, int32_t n, int32_t d)
    {
        for (int32_t i = 0; i < n; ++i) {
            const double y = buffer_[static_cast<uint32_t>(write_ - d) & mask_];
            buffer_[static_cast<uint32_t>(write_)] = x[i];
            write_ = static_cast<int32_t>(static_cast<uint32_t>(write_ + 1) & mask_);
            x[i] = y;
        }
    }

private:
    std::vector<double> buffer_;
    uint32_t mask_;
    int32_t write_ = 0;
};
