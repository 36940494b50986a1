// Analysis windows for short-time spectra, in the periodic form (the angle steps by
// 2*pi/N), so that overlapping frames sum to a constant.
#pragma once

#include <cstdint>
#include <vector>

namespace zt::dspe {

class CWindow {
public:
    enum EType : int32_t { kBlackmanHarris = 0, kHann = 1 };

    // n points of the window type; an unknown type gives a window of zeros. reserved
    // is unused.
    //   Blackman-Harris: w[i] = 0.35875 - 0.48829 cos(2 pi i/N) + 0.14128 cos(4 pi i/N) - 0.01168 cos(6 pi i/N)
    //   Hann:            w[i] = 0.5 (1 - cos(2 pi i/N))
    void Init(int32_t type, int32_t reserved, int32_t n);
    // x[i] *= w[i] for the window's n points.
    void Apply(float* x) const;

    int32_t GetSize() const { return static_cast<int32_t>(w_.size()); }
    const float* GetData() const { return w_.data(); }

private:
    std::vector<float> w_;
};

}  // namespace zt::dspe
