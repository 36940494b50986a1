#pragma once

#include <cstdint>
#include <vector>

// One channel of rational-rate FIR resampling in single precision.
//
// Definition, for input x, taps h[0..N-1], up factor L, up phase a, down factor M
// and down phase b:
//   u[q*L + a] = x[q], u = 0 elsewhere         (zero-stuffing)
//   v[j]       = sum over k of h[k] * u[j - k]  (filtering at L times the input rate)
//   y[m]       = v[m*M + b]                     (keeping one sample in M)
//
// Two ways of computing it:
// - The reference kernel runs any factors and taps. Each output is computed
//   polyphase, from the taps that meet non-zero u only, and summed in float from the
//   oldest input sample to the newest; it vectorises across outputs, never within
//   one sum, so every output is bit for bit that scalar sum.
// - The symmetric kernels run the two 2x converters only (L = 2, a = 0, M = 1,
//   b = 0 and L = 1, a = 0, M = 2, b = 1) with symmetric taps, N a multiple of 4.
//   Down-sampling adds the two input samples that meet equal taps before
//   multiplying; up-sampling, whose two output phases apply one branch's taps in
//   opposite orders, works on half sums and half differences of mirrored taps.
//   Either way half the multiplications. Sums run from the small outer taps
//   inwards, so outputs agree with the reference kernel to rounding (and come
//   closer to the exact result), not bit for bit. Within one kernel an output does
//   not depend on where a call boundary falls. The AVX2 and AVX-512 kernels fuse
//   multiply and add and give identical results; the baseline and AVX kernels do not,
//   and give identical results of their own.
//
// The filter history persists across calls, so consecutive calls behave as one
// long call. Everything is allocated by the constructor; Process and Reset never
// allocate, lock or wait.
class MultirateFir {
public:
    enum class EKernel : int32_t {
        kReference,
        kSymmetric,        // any x86-64
        kSymmetricAvx,     // needs AVX; the same bits as kSymmetric
        kSymmetricAvx2,    // needs AVX2 and FMA
        kSymmetricAvx512,  // needs AVX-512F
        kFastest,          // the widest symmetric kernel the CPU runs, if the filter allows one
    };

    // maxInput: the largest n that Process will be given. It and every n passed to
    // Process must be multiples of M / gcd(L, M), so that each call consumes whole
    // periods of the rate pattern. Requires L, M >= 1, 0 <= a < L, 0 <= b < M.
    // A symmetric kernel that the filter or the CPU does not allow falls back to the
    // reference kernel; GetKernel tells which one runs.
    MultirateFir(const double* taps, int32_t tapCount, int32_t upFactor, int32_t upPhase, int32_t downFactor,
                 int32_t downPhase, int32_t maxInput = 64, EKernel kernel = EKernel::kFastest);

    // Consumes n input samples and writes n * L / M outputs; returns that count.
    // The input is taken in before any output is written, so both may share a buffer.
    int32_t Process(const float* input, float* output, int32_t n);

    // a.Process(inA, outA, n), then b.Process(inB, outB, n), bit for bit; where the
    // kernel allows, both channels at once (their sums overlap in the vector units).
    // a and b must be distinct and built alike (taps, factors, phases, maxInput, kernel).
    static void ProcessPair(MultirateFir& a, const float* inA, float* outA, MultirateFir& b, const float* inB,
                            float* outB, int32_t n);

    // Takes n input samples into the history as Process would, without computing any
    // output: a later call gives exactly what it gives after Process.
    void Skip(const float* input, int32_t n);

    // Clears the history, as if the filter had only ever seen zeros.
    void Reset();

    int32_t OutputCount(int32_t n) const { return n / inPerPeriod_ * outPerPeriod_; }
    EKernel GetKernel() const { return kernel_; }

    // Whether this CPU can run a kernel (the reference and baseline always can).
    static bool CpuRuns(EKernel kernel);

private:
    // One output position inside a period: which polyphase branch produces it and
    // where its oldest input sample sits, counted from the start of the stored
    // history when the period begins at input 0.
    struct SPhase {
        int32_t tapOffset;  // branch taps in taps_, oldest-sample tap first
        int32_t tapCount;
        int32_t firstInput;
    };

    // The symmetric kernels' view of the filter: branch length K = N / 2, and the
    // input kept in linear streams (one for up-sampling; the even and the odd input
    // samples for down-sampling) that grow until the history is moved back to the
    // front, so most calls move nothing. Each stream is held as `copies` copies,
    // `stride` floats apart, copy k starting k samples later, so that the kernels can
    // read any run of samples from an aligned address; `at` is where the first new
    // sample sits.
    using FUp = void (*)(const float* sum, const float* diff, int32_t pairs, const float* x, int32_t stride, int32_t at,
                         float* out, int32_t n);
    using FDown
        = void (*)(const float* taps, int32_t count, const float* x, int32_t stride, int32_t at, float* out, int32_t n);
    // The same over two channels: x, at and out per channel (same stride and n).
    using FUpPair = void (*)(const float* sum, const float* diff, int32_t pairs, const float* const* x, int32_t stride,
                             const int32_t* at, float* const* out, int32_t n);
    using FDownPair = void (*)(const float* taps, int32_t count, const float* const* x, int32_t stride,
                               const int32_t* at, float* const* out, int32_t n);
    struct SSymmetric {
        FUp up = nullptr;
        FDown down = nullptr;
        FUpPair upPair = nullptr;  // null where the kernel has no two-channel form
        FDownPair downPair = nullptr;
        int32_t branch = 0;    // K
        int32_t copies = 1;    // of each stream
        int32_t capacity = 0;  // floats per copy
        int32_t next = 0;      // where the next input sample goes in each stream (copy 0)
        // Up-sampling: the half sums, then the half differences, of the branch
        // pairs (t, K-1-t). Down-sampling: the even taps.
        std::vector<float> taps;
        std::vector<float> streams;
    };

    template <int W>
    void RunTile(const SPhase& phase, int32_t firstPeriod, int32_t r, float* output) const;
    bool SetUpSymmetric(const double* taps, int32_t tapCount, int32_t upFactor, int32_t upPhase, int32_t downFactor,
                        int32_t downPhase, int32_t maxInput, EKernel kernel);
    int32_t ProcessSymmetric(const float* input, float* output, int32_t n);
    // The first half of a symmetric call: the new samples into the streams (moving the
    // history back first if the room is used up); returns where they start, which is
    // where the kernel starts.
    int32_t TakeIn(const float* input, int32_t n);
    // The reference kernel's history: the new samples dealt round the streams behind it,
    // and the newest samples kept as the next call's history.
    void Append(const float* input, int32_t n);
    void KeepNewest(int32_t periods);

    EKernel kernel_ = EKernel::kReference;
    int32_t outPerPeriod_;        // L / gcd(L, M)
    int32_t inPerPeriod_;         // M / gcd(L, M)
    int32_t history_;             // input samples kept between calls, a multiple of inPerPeriod_
    int32_t streamLength_;        // floats per deinterleaved input stream
    std::vector<SPhase> phases_;  // outPerPeriod_ entries
    std::vector<float> taps_;
    // The history and the current input, split into inPerPeriod_ streams
    // (stream s holds the samples whose index is s modulo inPerPeriod_), so that
    // for a fixed tap, consecutive outputs read consecutive floats.
    std::vector<float> streams_;
    SSymmetric symmetric_;
};
