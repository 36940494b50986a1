// CSaturator: waveshaping with three curves and a dry/wet mix.
//
//   mode 0: soft curve s(x)             - odd harmonics, no offset
//   mode 1: even curve e(x)             - second harmonic and a -0.25 offset
//   mode 2: (e(x) + s(x)) / 2
//
// Modes 1 and 2 shift the signal, so their wet path runs through a 10 Hz low cut
// (12 dB, Q 0.5). The dry path is never filtered.
//
// Threads: SetMode and SetSampleRate may run on any thread while audio runs; each
// stores one atomic that Process reads once per block. The low cut is redesigned on
// the audio thread at the start of the first block after a rate change (or by Reset),
// so its coefficients are only ever touched by one thread at a time. Nothing
// allocates, locks or waits.
#pragma once

#include "dsp/IIR.h"

#include <atomic>
#include <cstdint>

class CSaturator {
public:
    static constexpr int32_t kMaxFrames = 32;
    enum EMode : int32_t { kMode1 = 0, kMode2, kMode3 };

    CSaturator();
    virtual ~CSaturator() = default;

    // Engine rate in Hz; the low cut is redesigned for it.
    void SetSampleRate(int32_t rate) { rate_.store(rate, std::memory_order_relaxed); }
    // 0..2; takes effect on the next call, the low cut keeps its state.
    void SetMode(int32_t mode) { mode_.store(mode, std::memory_order_relaxed); }

    // Starts the low cut settled for silence in the current mode (call while audio is
    // stopped, or from the audio thread).
    virtual void Reset();

    // In place. mix is the wet fraction, 0..1: out = x * (1 - mix) + w * mix.
    // Blocks longer than kMaxFrames are taken kMaxFrames at a time.
    void Process(double* left, double* right, double mix, int32_t n);
    void ProcessMono(double* x, double mix, int32_t n);

private:
    // Audio thread: the low cut for the current rate.
    void ApplyRate();
    // One block of at most kMaxFrames per channel.
    void ProcessBlock(double* const* channels, int32_t channelCount, double mix, int32_t n);

    std::atomic<int32_t> mode_{kMode3};
    std::atomic<int32_t> rate_{44100};
    int32_t designedRate_ = 0;
    CIIR lowCut_;
};
