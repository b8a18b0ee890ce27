// Watches the progress counters of a multi-threaded test from the thread that
// waits for it: a counter that stands still for too long is a deadlock (or a
// thread stuck on a lock), and the process is ended with a report rather than
// left hanging.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

// How long a stress run lasts: PANDREL_STRESS_SECONDS when set, else dDefault.
double StressSeconds(double dDefault);

class CWatchdog {
public:
    explicit CWatchdog(std::chrono::milliseconds stall) : m_stall(stall) {}

    // Before the threads start; the counter must outlive the watch.
    void Watch(const std::string& strName, const std::atomic<uint64_t>* pCounter);
    // Returns once bDone() holds, checking every counter meanwhile; a counter
    // that has not moved for the stall time (while bDone() is false) aborts.
    template <class F> void WaitUntil(F bDone) {
        while (!bDone()) {
            Check();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

private:
    struct Entry {
        std::string strName;
        const std::atomic<uint64_t>* pCounter;
        uint64_t nLast;
        std::chrono::steady_clock::time_point moved;
    };
    void Check();

    std::chrono::milliseconds m_stall;
    std::vector<Entry> m_entries;
};
