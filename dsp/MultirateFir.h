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
// Each output is computed polyphase, from the taps that meet non-zero u only, and
// summed in float from the oldest input sample to the newest. The implementation
// vectorises across outputs, never within one sum, so every output is bit for bit
// that scalar sum.
//
// The filter history persists across calls, so consecutive calls behave as one
// long call. Everything is allocated by the constructor; Process and Reset never
// allocate, lock or wait.
class MultirateFir {
public:
    // maxInput: the largest n that Process will be given. It and every n passed to
    // Process must be multiples of M / gcd(L, M), so that each call consumes whole
    // periods of the rate pattern. Requires L, M >= 1, 0 <= a < L, 0 <= b < M.
    MultirateFir(const double* taps, int32_t tapCount, int32_t upFactor, int32_t upPhase,
                 int32_t downFactor, int32_t downPhase, int32_t maxInput = 64);

    // Consumes n input samples and writes n * L / M outputs; returns that count.
    // The input is taken in before any output is written, so both may share a buffer.
    int32_t Process(const float* input, float* output, int32_t n);

    // Clears the history, as if the filter had only ever seen zeros.
    void Reset();

    int32_t OutputCount(int32_t n) const { return n / inPerPeriod_ * outPerPeriod_; }

private:
    // One output position inside a period: which polyphase branch produces it and
    // where its oldest input sample sits, counted from the start of the stored
    // history when the period begins at input 0.
    struct SPhase {
        int32_t tapOffset;  // branch taps in taps_, oldest-sample tap first
        int32_t tapCount;
        int32_t firstInput;
    };

    template <int W>
    void RunTile(const SPhase& phase, int32_t firstPeriod, int32_t r, float* output) const;

    int32_t outPerPeriod_;  // L / gcd(L, M)
    int32_t inPerPeriod_;   // M / gcd(L, M)
    int32_t history_;       // input samples kept between calls, a multiple of inPerPeriod_
    int32_t streamLength_;  // floats per deinterleaved input stream
    std::vector<SPhase> phases_;  // outPerPeriod_ entries
    std::vector<float> taps_;
    // The history and the current input, split into inPerPeriod_ streams
    // (stream s holds the samples whose index is s modulo inPerPeriod_), so that
    // for a fixed tap, consecutive outputs read consecutive floats.
    std::vector<float> streams_;
};
