#include "framework/dspe/AnalyserFeed.h"

#include <algorithm>
#include <cmath>

namespace zt::dspe {

CAnalyserFeed::CAnalyserFeed(const IMillisecondClock* clock)
    : clock_(clock ? clock : &CSteadyMillisecondClock::Instance())
{}

int32_t CAnalyserFeed::BlockSize(int32_t rate, int32_t sizeOption)
{
    const int32_t b = 4 * ((std::max(rate, 0) / 2) / 20);
    int32_t n0 = 2;
    while (n0 < b)
        n0 *= 2;
    switch (std::clamp(sizeOption, 0, kSizeOptions - 1)) {
    case 0:
        return 2 * n0;
    case 1:
        return n0;
    default:
        return std::max(n0 / 4, 2);
    }
}

bool CAnalyserFeed::Init(int32_t rate, int32_t channels, int32_t sizeOption)
{
    n_ = 0;
    const int32_t n = BlockSize(rate, sizeOption);
    int32_t order = 0;
    while ((int32_t(1) << order) < n)
        ++order;
    if (!transform_.Init(order))
        return false;
    window_.Init(CWindow::kHann, 0, n);

    nyquist_ = rate / 2;
    channels_ = std::clamp(channels, 1, kMaxChannels);
    const size_t samples = static_cast<size_t>(n);
    ring_.reset(new std::atomic<float>[samples * kRingBlocks * static_cast<size_t>(channels_)]());
    for (int32_t c = 0; c < channels_; ++c)
        work_[c].assign(samples, 0.0f);
    const size_t bins = samples / 2 + 1;
    spectrum_.assign(bins, 0.0f);
    peak_.assign(bins, 0.0f);
    holdMs_.assign(bins, 0.0f);

    written_.store(0, std::memory_order_relaxed);
    filling_ = 0;
    fillPosition_ = 0;
    read_ = 0;
    const uint32_t now = clock_->NowMs();
    lastPushMs_.store(now, std::memory_order_relaxed);
    lastUpdateMs_ = now;
    n_ = n;
    return true;
}

std::atomic<float>* CAnalyserFeed::Slot(int32_t channel, uint32_t block)
{
    const size_t slot = size_t(channel) * kRingBlocks + block % kRingBlocks;
    return ring_.get() + slot * static_cast<size_t>(n_);
}

void CAnalyserFeed::PushAudio(const float* const* channels, int32_t n)
{
    lastPushMs_.store(clock_->NowMs(), std::memory_order_relaxed);
    int32_t offset = 0;
    while (n > 0 && n_ > 0) {
        const int32_t count = std::min(n_ - fillPosition_, n);
        for (int32_t c = 0; c < channels_; ++c) {
            std::atomic<float>* to = Slot(c, filling_) + fillPosition_;
            const float* from = channels[c] + offset;
            for (int32_t i = 0; i < count; ++i)
                to[i].store(from[i], std::memory_order_relaxed);
        }
        fillPosition_ += count;
        offset += count;
        n -= count;
        if (fillPosition_ == n_) {
            fillPosition_ = 0;
            ++filling_;
            // Publishes the complete block to the GUI thread.
            written_.store(filling_, std::memory_order_release);
            // The next block's slot may hold an old block the GUI thread is copying
            // right now. Its new samples must not become visible before the count that
            // tells the GUI thread the slot is being overwritten: pairs with the fence
            // after the copy in Update.
            std::atomic_thread_fence(std::memory_order_release);
        }
    }
}

void CAnalyserFeed::Update(bool active)
{
    if (n_ == 0)
        return;
    const int32_t bins = GetBins();
    // The push time first: a push after it only makes the source look more live.
    const uint32_t lastPush = lastPushMs_.load(std::memory_order_relaxed);
    const uint32_t now = clock_->NowMs();
    const bool live = active && static_cast<int32_t>(now - lastPush) <= static_cast<int32_t>(kLiveMs);
    const bool decaying = written_.load(std::memory_order_acquire) != read_ || !live;

    // While the source is live but no block is new, the display stands still and the
    // time adds up; the next update that decays accounts for all of it at once, so the
    // laws hold per millisecond however often this is called.
    if (decaying) {
        const uint32_t elapsed = now - lastUpdateMs_;
        lastUpdateMs_ = now;
        const float fall = static_cast<float>(std::pow(kSpectrumFall, double(elapsed)));
        const float peakFall = static_cast<float>(std::pow(kPeakFall, double(elapsed)));
        for (int32_t k = 0; k < bins; ++k) {
            spectrum_[k] *= fall;
            holdMs_[k] += static_cast<float>(elapsed);
            if (holdMs_[k] >= static_cast<float>(kHoldMs)) {
                holdMs_[k] = static_cast<float>(kHoldMs);
                peak_[k] *= peakFall;
            }
        }
    }

    // Every complete block, oldest first. The audio thread never touches read_; when more
    // than kRingBlocks - 1 wait, the older ones are skipped here, as the audio thread has
    // begun to overwrite the oldest.
    for (;;) {
        const uint32_t written = written_.load(std::memory_order_acquire);
        if (written == read_)
            break;
        if (written - read_ > uint32_t(kRingBlocks - 1))
            read_ = written - uint32_t(kRingBlocks - 1);
        const uint32_t block = read_++;
        for (int32_t c = 0; c < channels_; ++c) {
            const std::atomic<float>* from = Slot(c, block);
            float* to = work_[c].data();
            for (int32_t i = 0; i < n_; ++i)
                to[i] = from[i].load(std::memory_order_relaxed);
        }
        // The audio thread starts on this slot again once block + kRingBlocks - 1 is
        // complete. If that count is visible now, part of the copy may be of the newer
        // samples: the block counts as dropped, as it would have been had the copy come
        // a moment later.
        std::atomic_thread_fence(std::memory_order_acquire);
        if (written_.load(std::memory_order_relaxed) - block >= uint32_t(kRingBlocks))
            continue;
        Analyse();
    }
}

void CAnalyserFeed::Analyse()
{
    for (int32_t c = 0; c < channels_; ++c) {
        window_.Apply(work_[c].data());
        transform_.Transform(work_[c].data());
    }
    const float* left = work_[0].data();
    const float* right = work_[channels_ - 1].data();
    const int32_t bins = GetBins();
    for (int32_t k = 0; k < bins; ++k) {
        float s = channels_ == 2 ? (left[k] + right[k]) / 2.0f : left[k];
        // A non-finite sample (possible on the input) would otherwise hold a peak for ever.
        if (!std::isfinite(s))
            s = 0.0f;
        spectrum_[k] = s;
        if (s >= peak_[k]) {
            peak_[k] = s;
            holdMs_[k] = 0.0f;
        }
    }
}

}  // namespace zt::dspe
