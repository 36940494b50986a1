#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace zt::ge {

// A named stopwatch that adds up how long and how often a phase ran
// (the window's "Draw" and "Mouse", each drawing primitive). Used on the
// window's thread only.
class CPerfMon {
public:
    explicit CPerfMon(std::string name);

    void Start();
    void Stop();  // ignored unless started
    void Reset();

    const std::string& GetName() const { return name_; }
    uint64_t GetCount() const { return count_; }
    uint64_t GetTotalNanoseconds() const { return totalNs_; }
    double GetAverageMicroseconds() const;

    // Times one scope: { CPerfMon::CScope timing(perfMon); ... }
    class CScope {
    public:
        explicit CScope(CPerfMon& perfMon) : perfMon_(perfMon) { perfMon_.Start(); }
        ~CScope() { perfMon_.Stop(); }
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;

    private:
        CPerfMon& perfMon_;
    };

private:
    std::string name_;
    std::chrono::steady_clock::time_point started_;
    bool running_ = false;
    uint64_t count_ = 0;
    uint64_t totalNs_ = 0;
};

}  // namespace zt::ge
