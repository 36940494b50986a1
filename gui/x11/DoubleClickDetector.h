#pragma once

#include <cstdint>

#include "gui/native/Geometry.h"

namespace zt::ge::x11 {

// X reports single presses only; double-clicks are ours to find, by the
// desktop's rule: the same button pressed again soon enough and close enough
// to the previous press. The press after a double-click starts a new pair.
class CDoubleClickDetector {
public:
    static constexpr uint32_t kDefaultIntervalMs = 400;
    static constexpr int32_t kDefaultDistance = 4;  // pixels either way on each axis

    explicit CDoubleClickDetector(uint32_t intervalMs = kDefaultIntervalMs, int32_t distance = kDefaultDistance);

    void SetInterval(uint32_t intervalMs) { intervalMs_ = intervalMs; }
    uint32_t GetInterval() const { return intervalMs_; }

    // A press of button at timeMs (the server's clock; it wraps) and point.
    // True when it completes a double-click.
    bool Press(unsigned button, uint32_t timeMs, SPoint point);
    void Reset();

private:
    uint32_t intervalMs_;
    int32_t distance_;
    bool pending_ = false;  // a first press waits for its partner
    unsigned button_ = 0;
    uint32_t timeMs_ = 0;
    SPoint point_;
};

}  // namespace zt::ge::x11
