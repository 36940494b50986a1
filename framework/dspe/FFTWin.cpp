#include "framework/dspe/FFTWin.h"

#include <fftw3.h>

#include <cmath>
#include <cstring>
#include <mutex>

namespace zt::dspe {

namespace {

// FFTW's planner keeps global state (its table of solvers and twiddles) and only the
// execute calls are thread-safe; every analyser in the process plans and destroys its
// plans under this one lock, since editors of several instances may build theirs on
// different threads. A host that uses the same FFTW library itself is outside its
// reach.
std::mutex& PlannerLock()
{
    static std::mutex lock;
    return lock;
}

}  // namespace

CFFTWin::~CFFTWin() { Release(); }

void CFFTWin::Release()
{
    std::lock_guard<std::mutex> guard(PlannerLock());
    if (plan_)
        fftwf_destroy_plan(plan_);
    fftwf_free(in_);
    fftwf_free(out_);
    plan_ = nullptr;
    in_ = out_ = nullptr;
    n_ = 0;
}

bool CFFTWin::Init(int32_t order)
{
    Release();
    if (order < 1 || order > 30)
        return false;
    const int32_t n = int32_t(1) << order;
    std::lock_guard<std::mutex> guard(PlannerLock());
    in_ = fftwf_alloc_real(static_cast<size_t>(n));
    out_ = reinterpret_cast<float*>(fftwf_alloc_complex(static_cast<size_t>(n / 2 + 1)));
    // Estimated rather than measured: planning stays quick and never runs trial
    // transforms over the buffers.
    if (in_ && out_)
        plan_ = fftwf_plan_dft_r2c_1d(n, in_, reinterpret_cast<fftwf_complex*>(out_), FFTW_ESTIMATE);
    if (!plan_) {
        fftwf_free(in_);
        fftwf_free(out_);
        in_ = out_ = nullptr;
        return false;
    }
    n_ = n;
    return true;
}

void CFFTWin::Transform(float* x)
{
    if (!plan_)
        return;
    std::memcpy(in_, x, sizeof(float) * static_cast<size_t>(n_));
    fftwf_execute(plan_);
    // FFTW returns the bins unscaled; each value is scaled before the magnitude, as
    // the display's levels assume (a full-scale sine at a bin centre reads 0.25 with
    // the Hann window).
    const float scale = 1.0f / static_cast<float>(n_);
    for (int32_t k = 0; k <= n_ / 2; ++k) {
        const float re = out_[2 * k] * scale;
        const float im = out_[2 * k + 1] * scale;
        x[k] = std::sqrt(re * re + im * im);
    }
}

}  // namespace zt::dspe
