// Direct-form-I biquads in series over a stereo block, each stage with its own
// coefficients and its own memory per channel, run as one cascade.
//
// Every stage sees exactly the sequence of inputs, and performs exactly the arithmetic,
// that it would if the stages ran one after the other over the whole block; only the
// schedule differs. The output and the state left behind are therefore bit for bit
// those of that plain order, whichever kernel runs.
//
// Nothing allocates; any n.
#pragma once

#include <cstdint>

struct SStereoBiquad {
    const double* coefficients;  // b0 b1 b2 a1 a2 (a0 = 1)
    double* left;                // x[n−1] x[n−2] y[n−1] y[n−2] of the left channel
    double* right;               // the same for the right channel
};

namespace biquad {

enum class ESeriesKernel : int32_t {
    kBest = 0,  // the widest the CPU runs
    kPairs,     // both channels of a stage side by side (any x86-64)
    kOctets,    // four stages side by side, two samples apart (needs AVX-512F)
};

// True when this CPU runs the kernel.
bool CpuRuns(ESeriesKernel kernel);

// stages[0] first, in place over left/right[0..n).
void RunSeries(const SStereoBiquad* stages, int32_t count, double* left, double* right, int32_t n,
               ESeriesKernel kernel = ESeriesKernel::kBest);

// What RunSeriesThrough saw of its outputs: the largest |out| of each channel (NaNs
// passed over) and whether every one was finite.
struct SThroughScan {
    float peak[2];
    bool finite;
};

// One to four stages in series over a stereo block that arrives and leaves in single
// precision: x = inGain · double(in), the stages, out = float(outGain · y). Bit for bit
// the conversions and RunSeries one after the other, in one pass, so the conversions
// (and the scan of the outputs) run in the shadow of the stages' feedback chain instead
// of after it. in and out may be the same buffers.
SThroughScan RunSeriesThrough(const SStereoBiquad* stages, int32_t count, const float* const* in, double inGain,
                              float* const* out, double outGain, int32_t n);

}  // namespace biquad
