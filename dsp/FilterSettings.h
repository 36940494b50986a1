#pragma once

#include <atomic>
#include <cstdint>

// The design inputs of one filter (an EQ band or a side-chain key filter). Written by
// the parameter-change path on the UI thread, read by the audio thread: single atomics.
struct FilterSettings {
    std::atomic<bool> on{false};
    std::atomic<float> freq{1000.0f};
    std::atomic<float> gain{0.0f};  // dB; shelves and bell
    std::atomic<float> q{1.0f};     // slope for shelves
    std::atomic<int32_t> type{4};   // 0..12 in the order of the filter-type texts; 4 = Bell
    std::atomic<uint32_t> solo{0};  // EQ bands only
};
