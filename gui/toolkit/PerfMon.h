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

    const std::string& GetName() const { return m_name; }
    uint64_t GetCount() const { return m_count; }
    uint64_t GetTotalNanoseconds() const { return m_totalNs; }
    double GetAverageMicroseconds() const;

    // Times one scope: { CPerfMon::CScope timing(perfMon); ... }
    class CScope {
    public:
        explicit CScope(CPerfMon& perfMon) : m_perfMon(perfMon) { m_perfMon.Start(); }
        ~CScope() { m_perfMon.Stop(); }
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;

    private:
        CPerfMon& m_perfMon;
    };

private:
    std::string m_name;
    std::chrono::steady_clock::time_point m_started;
    bool m_running = false;
    uint64_t m_count = 0;
    uint64_t m_totalNs = 0;
};

}  // namespace zt::ge
