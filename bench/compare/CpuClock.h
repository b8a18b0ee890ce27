// CPU time of the calling thread, and the best of several timed repetitions,
// each after an untimed preparation: the figures every comparison reports.
#pragma once
#include <algorithm>
#include <ctime>
#include <limits>

inline double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Runs prepare() untimed and then job() timed, nReps times; the least CPU
// seconds job() took on this thread.
template <typename Prepare, typename Job> double BestOf(int nReps, Prepare prepare, Job job) {
    double best = std::numeric_limits<double>::infinity();
    for (int r = 0; r < nReps; ++r) {
        prepare();
        const double t0 = ThreadCpuSeconds();
        job();
        best = std::min(best, ThreadCpuSeconds() - t0);
    }
    return best;
}

template <typename Job> double BestOf(int nReps, Job job) {
    return BestOf(
        nReps, [] {}, job);
}
