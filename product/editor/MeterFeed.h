// The editor's meters on its tick: the engine's peaks and gain reductions since the
// last tick, shown with a fall of 60 dB in 4.5 s whatever the tick rate, the clip
// lights and the limiter's activity light.
#pragma once

#include <array>
#include <cstdint>

namespace zt::dspe {
class CBaseDSPEngine;
}
namespace zt::ge {
class IPeakMeter;
class ITimedBitmap;
}  // namespace zt::ge

class CMeterFeed {
public:
    // What the feed drives; any may be null.
    struct STargets {
        std::array<zt::ge::IPeakMeter*, 4> io{};  // input left, right, output left, right
        zt::ge::IPeakMeter* gateLevel = nullptr;
        zt::ge::IPeakMeter* compLevel = nullptr;
        zt::ge::IPeakMeter* gateReduction = nullptr;
        zt::ge::IPeakMeter* compReduction = nullptr;
        zt::ge::IPeakMeter* limiterReduction = nullptr;
        std::array<zt::ge::ITimedBitmap*, 4> clip{};
        zt::ge::ITimedBitmap* limiterLight = nullptr;
    };

    CMeterFeed(const STargets& targets, uint32_t nowMs);

    // One tick at nowMs (the window's millisecond clock).
    void Tick(zt::dspe::CBaseDSPEngine& engine, uint32_t nowMs);

    // The fall per tick of dt milliseconds: 0.001^(dt / 4500).
    static float Decay(uint32_t dtMs);
    // An input or output meter's reading of a peak p: 0 dBFS at 0.707 of the meter,
    // +12 dBFS at the top.
    static float LevelReading(float peak);

private:
    STargets targets_;
    uint32_t lastMs_;
};
