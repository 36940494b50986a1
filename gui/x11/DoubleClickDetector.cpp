#include "gui/x11/DoubleClickDetector.h"

#include <cstdlib>

namespace zt::ge::x11 {

CDoubleClickDetector::CDoubleClickDetector(uint32_t intervalMs, int32_t distance)
    : m_intervalMs(intervalMs), m_distance(distance)
{}

bool CDoubleClickDetector::Press(unsigned button, uint32_t timeMs, SPoint point)
{
    const bool isDouble = m_pending && button == m_button && uint32_t(timeMs - m_timeMs) <= m_intervalMs
        && std::llabs(int64_t(point.x) - m_point.x) <= m_distance
        && std::llabs(int64_t(point.y) - m_point.y) <= m_distance;
    m_pending = !isDouble;
    m_button = button;
    m_timeMs = timeMs;
    m_point = point;
    return isDouble;
}

void CDoubleClickDetector::Reset() { m_pending = false; }

}  // namespace zt::ge::x11
