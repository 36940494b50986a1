#include "gui/toolkit/PerfMon.h"

#include <utility>

namespace zt::ge {

CPerfMon::CPerfMon(std::string name) : m_name(std::move(name)) {}

void CPerfMon::Start()
{
    m_started = std::chrono::steady_clock::now();
    m_running = true;
}

void CPerfMon::Stop()
{
    if (!m_running)
        return;
    m_running = false;
    const auto elapsed = std::chrono::steady_clock::now() - m_started;
    m_totalNs += uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count());
    ++m_count;
}

void CPerfMon::Reset()
{
    m_running = false;
    m_count = 0;
    m_totalNs = 0;
}

double CPerfMon::GetAverageMicroseconds() const
{
    return m_count == 0 ? 0.0 : double(m_totalNs) / double(m_count) / 1000.0;
}

}  // namespace zt::ge
