#include "gui/toolkit/PerfMon.h"

#include <utility>

namespace zt::ge {

CPerfMon::CPerfMon(std::string name) : name_(std::move(name)) {}

void CPerfMon::Start()
{
    started_ = std::chrono::steady_clock::now();
    running_ = true;
}

void CPerfMon::Stop()
{
    if (!running_)
        return;
    running_ = false;
    const auto elapsed = std::chrono::steady_clock::now() - started_;
    totalNs_ += uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count());
    ++count_;
}

void CPerfMon::Reset()
{
    running_ = false;
    count_ = 0;
    totalNs_ = 0;
}

double CPerfMon::GetAverageMicroseconds() const
{
    return count_ == 0 ? 0.0 : double(totalNs_) / double(count_) / 1000.0;
}

}  // namespace zt::ge
