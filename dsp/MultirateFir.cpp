#include "dsp/MultirateFir.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <numeric>

MultirateFir::MultirateFir(const double* taps, int32_t tapCount, int32_t upFactor, int32_t upPhase,
                           int32_t downFactor, int32_t downPhase, int32_t maxInput)
{
    assert(upFactor >= 1 && downFactor >= 1);
    assert(upPhase >= 0 && upPhase < upFactor && downPhase >= 0 && downPhase < downFactor);
    const int32_t g = std::gcd(upFactor, downFactor);
    outPerPeriod_ = upFactor / g;
    inPerPeriod_ = downFactor / g;
    assert(maxInput % inPerPeriod_ == 0);

    // Branch p holds the taps h[p], h[p + L], h[p + 2L], ... stored in reverse, so
    // that the sum runs from the oldest input sample to the newest.
    std::vector<int32_t> branchOffset(upFactor), branchLength(upFactor);
    for (int32_t p = 0; p < upFactor; ++p) {
        const int32_t length = p < tapCount ? (tapCount - p + upFactor - 1) / upFactor : 0;
        branchOffset[p] = static_cast<int32_t>(taps_.size());
        branchLength[p] = length;
        for (int32_t t = 0; t < length; ++t)
            taps_.push_back(static_cast<float>(taps[p + (length - 1 - t) * upFactor]));
    }

    // Output r of a period is v[j] with j = r*M + b. The non-zero u[j - k] are the
    // x[q] with q*L + a = j - k, i.e. k = p (mod L) for p = (j - a) mod L, and the
    // newest of them is x[q0] with q0 = (j - a - p) / L (q0 >= -1).
    std::vector<int32_t> newest(outPerPeriod_), branch(outPerPeriod_);
    int32_t reach = 0;  // how far before input 0 the oldest sample needed lies
    for (int32_t r = 0; r < outPerPeriod_; ++r) {
        const int32_t d = r * downFactor + downPhase - upPhase;
        branch[r] = ((d % upFactor) + upFactor) % upFactor;
        newest[r] = (d - branch[r]) / upFactor;
        reach = std::max(reach, branchLength[branch[r]] - 1 - newest[r]);
    }
    history_ = (reach + inPerPeriod_ - 1) / inPerPeriod_ * inPerPeriod_;
    for (int32_t r = 0; r < outPerPeriod_; ++r) {
        const int32_t length = branchLength[branch[r]];
        phases_.push_back({branchOffset[branch[r]], length, history_ + newest[r] - length + 1});
    }

    streamLength_ = (history_ + maxInput) / inPerPeriod_;
    streams_.assign(static_cast<size_t>(inPerPeriod_) * streamLength_, 0.0f);
}

void MultirateFir::Reset() { std::fill(streams_.begin(), streams_.end(), 0.0f); }

// W consecutive periods starting at firstPeriod, output r of each. The inner loop
// has a fixed length and is fully unrolled, so the compiler keeps the accumulators
// in vector registers; each acc[w] still receives its terms one by one, in tap
// order, exactly as the scalar sum would.
template <int W>
void MultirateFir::RunTile(const SPhase& phase, int32_t firstPeriod, int32_t r, float* output) const
{
    float acc[W] = {};
    const float* taps = taps_.data() + phase.tapOffset;
    int32_t stream = phase.firstInput % inPerPeriod_;
    int32_t offset = phase.firstInput / inPerPeriod_ + firstPeriod;
    for (int32_t t = 0; t < phase.tapCount; ++t) {
        const float* x = streams_.data() + static_cast<size_t>(stream) * streamLength_ + offset;
        const float c = taps[t];
#pragma GCC unroll 32
        for (int w = 0; w < W; ++w)
            acc[w] += c * x[w];
        if (++stream == inPerPeriod_) {
            stream = 0;
            ++offset;
        }
    }
    for (int w = 0; w < W; ++w)
        output[(firstPeriod + w) * outPerPeriod_ + r] = acc[w];
}

int32_t MultirateFir::Process(const float* input, float* output, int32_t n)
{
    assert(n % inPerPeriod_ == 0 && history_ + n <= streamLength_ * inPerPeriod_);

    // Append the new samples behind the history, dealt round the streams.
    int32_t stream = 0;  // history_ is a multiple of inPerPeriod_
    int32_t offset = history_ / inPerPeriod_;
    for (int32_t i = 0; i < n; ++i) {
        streams_[static_cast<size_t>(stream) * streamLength_ + offset] = input[i];
        if (++stream == inPerPeriod_) {
            stream = 0;
            ++offset;
        }
    }

    const int32_t periods = n / inPerPeriod_;
    for (int32_t r = 0; r < outPerPeriod_; ++r) {
        const SPhase& phase = phases_[r];
        int32_t p = 0;
        for (; p + 32 <= periods; p += 32)
            RunTile<32>(phase, p, r, output);
        for (; p + 4 <= periods; p += 4)
            RunTile<4>(phase, p, r, output);
        for (; p < periods; ++p)
            RunTile<1>(phase, p, r, output);
    }

    // The newest history_ samples become the history of the next call.
    const int32_t kept = history_ / inPerPeriod_;
    for (int32_t s = 0; s < inPerPeriod_; ++s) {
        float* base = streams_.data() + static_cast<size_t>(s) * streamLength_;
        std::memmove(base, base + periods, sizeof(float) * kept);
    }
    return periods * outPerPeriod_;
}
