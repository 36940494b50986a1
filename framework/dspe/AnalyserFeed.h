// The data path of a spectrum analyser: the audio thread hands blocks of samples over,
// the GUI thread turns every complete block into a magnitude spectrum with peak hold
// and time decay.
//
// Samples collect in a ring of kRingBlocks blocks of N samples per channel. The audio
// thread never waits: when the GUI falls behind, the oldest complete block is dropped,
// so at most kRingBlocks - 1 complete blocks wait. Update windows (Hann) and transforms
// each waiting block, oldest first; the spectrum is the mean of the channels' magnitudes
// |X[k]| / N, and the peak of a bin is held for kHoldMs after it last rose, then falls.
//
// The hand-over takes no lock. The audio thread owns the count of complete blocks and
// publishes it with release; the GUI thread owns the read position, which the audio
// thread never touches, so there is nothing for the two to fight over: "dropping the
// oldest" is the GUI thread skipping to the newest kRingBlocks - 1 when it finds more.
// What remains is a block the audio thread starts to overwrite while the GUI thread
// copies it; the GUI thread reads the count again after the copy (a sequence lock) and
// drops such a block, as it would have been had the copy come a moment later.
#pragma once

#include "framework/dspe/FFTWin.h"
#include "framework/dspe/MillisecondClock.h"
#include "framework/dspe/Window.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace zt::dspe {

class CAnalyserFeed {
public:
    static constexpr int32_t kRingBlocks = 32;
    static constexpr int32_t kMaxChannels = 2;
    static constexpr int32_t kSizeOptions = 3;
    // Without a block for this long the source counts as silent and the display decays.
    static constexpr uint32_t kLiveMs = 2000;
    static constexpr uint32_t kHoldMs = 2000;
    // Per millisecond: the spectrum while decaying (about 13 dB/s), a peak after its hold
    // (about 4.3 dB/s).
    static constexpr double kSpectrumFall = 0.997;
    static constexpr double kPeakFall = 0.999;

    // clock: null for the system's steady clock; it must outlive the feed.
    explicit CAnalyserFeed(const IMillisecondClock* clock = nullptr);
    CAnalyserFeed(const CAnalyserFeed&) = delete;
    CAnalyserFeed& operator=(const CAnalyserFeed&) = delete;

    // The block size for a sample rate and size option (0 largest, 1, 2 smallest):
    // N0 is the smallest power of two >= 4 * floor(floor(rate/2) / 20), about a fifth of
    // a second; option 0 is 2 N0, option 1 N0, option 2 N0 / 4 (16384, 8192 and 2048 at
    // 44.1 and 48 kHz).
    static int32_t BlockSize(int32_t rate, int32_t sizeOption);

    // GUI thread, while no audio thread can reach the feed: allocates the ring and the
    // analysis for rate (that of the samples pushed), empties the ring, zeroes the
    // spectrum and the peaks. channels is 1 or 2. Returns false when the transform
    // could not be planned.
    bool Init(int32_t rate, int32_t channels, int32_t sizeOption);

    // Audio thread: appends n samples of each channel. Copies only; never waits.
    void PushAudio(const float* const* channels, int32_t n);

    // GUI thread, on each display tick. active: the host is running the plug-in's audio.
    void Update(bool active);

    // GUI thread: GetBins() values each, bin k at k * rate / N Hz.
    const float* GetSpectrum() const { return spectrum_.data(); }
    const float* GetPeak() const { return peak_.data(); }
    int32_t GetBins() const { return n_ / 2 + 1; }
    int32_t GetBlockSize() const { return n_; }
    int32_t GetNyquist() const { return nyquist_; }

private:
    // Where block number `block` of a channel lives.
    std::atomic<float>* Slot(int32_t channel, uint32_t block);
    // Windows and transforms the copied block in work_, then folds it into the
    // spectrum and the peaks.
    void Analyse();

    const IMillisecondClock* clock_;
    int32_t n_ = 0;
    int32_t nyquist_ = 0;
    int32_t channels_ = 0;

    // Ring: kRingBlocks slots of n_ samples per channel, channel-major. The samples are
    // relaxed atomics because the GUI thread may read a slot that the audio thread has
    // started to overwrite; such a copy is detected and discarded (see Update).
    std::unique_ptr<std::atomic<float>[]> ring_;
    // Complete blocks so far (monotonic, wraps at 2^32, a multiple of kRingBlocks):
    // written by the audio thread only. Block b lives in slot b % kRingBlocks.
    std::atomic<uint32_t> written_{0};
    uint32_t filling_ = 0;      // audio thread: number of the block being filled
    int32_t fillPosition_ = 0;  // audio thread: samples already in it
    uint32_t read_ = 0;         // GUI thread: the oldest block not yet analysed
    std::atomic<uint32_t> lastPushMs_{0};
    uint32_t lastUpdateMs_ = 0;

    std::vector<float> work_[kMaxChannels];
    std::vector<float> spectrum_;
    std::vector<float> peak_;
    std::vector<float> holdMs_;
    CWindow window_;
    CFFTWin transform_;
};

}  // namespace zt::dspe
