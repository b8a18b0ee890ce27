#include "concurrency/Watchdog.h"
#include <cstdio>
#include <cstdlib>
#include <thread>

double StressSeconds(double dDefault) {
    const char* psz = std::getenv("PANDREL_STRESS_SECONDS");
    const double d = psz != nullptr ? std::atof(psz) : 0.0;
    return d > 0.0 ? d : dDefault;
}

void CWatchdog::Watch(const std::string& strName, const std::atomic<uint64_t>* pCounter) {
    m_entries.push_back({strName, pCounter, pCounter->load(), std::chrono::steady_clock::now()});
}

void CWatchdog::Check() {
    const auto now = std::chrono::steady_clock::now();
    for (Entry& e : m_entries) {
        const uint64_t n = e.pCounter->load();
        if (n != e.nLast) {
            e.nLast = n;
            e.moved = now;
        } else if (now - e.moved > m_stall) {
            std::fprintf(
                stderr,
                "watchdog: the %s thread made no progress for %lld ms (after %llu operations)\n",
                e.strName.c_str(), static_cast<long long>(m_stall.count()),
                static_cast<unsigned long long>(n));
            std::fflush(stderr);
            std::abort();
        }
    }
}
