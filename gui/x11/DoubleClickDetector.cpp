#include "gui/x11/DoubleClickDetector.h"

#include <cstdlib>

namespace zt::ge::x11 {

CDoubleClickDetector::CDoubleClickDetector(uint32_t intervalMs, int32_t distance)
    : intervalMs_(intervalMs), distance_(distance)
{}

bool CDoubleClickDetector::Press(unsigned button, uint32_t timeMs, SPoint point)
{
    const bool isDouble = pending_ && button == button_ && uint32_t(timeMs - timeMs_) <= intervalMs_
        && std::llabs(int64_t(point.x) - point_.x) <= distance_ && std::llabs(int64_t(point.y) - point_.y) <= distance_;
    pending_ = !isDouble;
    button_ = button;
    timeMs_ = timeMs;
    point_ = point;
    return isDouble;
}

void CDoubleClickDetector::Reset() { pending_ = false; }

}  // namespace zt::ge::x11
