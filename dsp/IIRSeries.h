// CIIRSeries: several CIIR filters in series over one stereo block, run as one cascade.
//
// Each filter added takes its block step exactly as CIIR::ProcessStereo would (glide,
// identity pass, stage mode); its biquad stages are queued rather than run, and the
// queue runs through the biquad-series kernel when a filter needs the signal itself (an
// identity pass, the one-pole of the 18 dB types) or at Finish. The output bits are
// those of the filters run one after another; the stages of neighbouring filters just
// overlap in time.
//
// Audio thread only; nothing allocates.
#pragma once

#include "dsp/BiquadSeries.h"

#include <cstdint>

class CIIR;

class CIIRSeries {
public:
    // In place over left/right[0..n). The kernel is for tests and benchmarks; the
    // default runs the widest this CPU has.
    CIIRSeries(double* left, double* right, int32_t n, biquad::ESeriesKernel kernel = biquad::ESeriesKernel::kBest)
        : left_(left), right_(right), n_(n), kernel_(kernel)
    {}
    CIIRSeries(const CIIRSeries&) = delete;
    CIIRSeries& operator=(const CIIRSeries&) = delete;

    // The next filter in the series.
    void Add(CIIR& filter);
    // The next filter, resting at the identity, taken out of the signal's way
    // (CIIR::SkipResting) where the signal stands at its place in the series.
    void Skip(CIIR& filter);
    // Runs what is queued and finishes every filter's block (denormal guard). Call once
    // after the last Add.
    void Finish();

private:
    static constexpr int32_t kMaxQueued = 24;  // six 48 dB filters
    static constexpr int32_t kMaxFilters = 8;

    void RunQueued();

    double* left_;
    double* right_;
    int32_t n_;
    biquad::ESeriesKernel kernel_;
    SStereoBiquad queued_[kMaxQueued] = {};
    int32_t queuedCount_ = 0;
    CIIR* filters_[kMaxFilters] = {};
    // Whether the block as it stands is fit for identity passes: 1, 0, or -1 when the
    // signal changed since it was last looked at.
    int8_t ordinary_ = -1;
    int32_t filterCount_ = 0;
};
