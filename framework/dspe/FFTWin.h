// Forward real FFT to a magnitude spectrum, for analyser displays.
#pragma once

#include <cstdint>

struct fftwf_plan_s;

namespace zt::dspe {

// Planned once in Init, so Transform neither allocates nor plans. Init and the
// destructor may run on any thread; Transform on one thread at a time per object.
class CFFTWin {
public:
    CFFTWin() = default;
    ~CFFTWin();
    CFFTWin(const CFFTWin&) = delete;
    CFFTWin& operator=(const CFFTWin&) = delete;

    // N = 2^order points (order 1..30). Returns false when FFTW could not plan it.
    bool Init(int32_t order);
    // x holds N samples. The forward transform X[k] = sum x[i] e^(-2 pi j i k / N),
    // scaled by 1/N, leaves x[k] = |X[k]| / N for k = 0..N/2; x[k] for k > N/2 keeps
    // the samples it held.
    void Transform(float* x);

    int32_t GetSize() const { return n_; }

private:
    void Release();

    int32_t n_ = 0;
    float* in_ = nullptr;   // N samples, aligned for FFTW
    float* out_ = nullptr;  // N/2 + 1 complex values, (re, im) pairs
    fftwf_plan_s* plan_ = nullptr;
};

}  // namespace zt::dspe
