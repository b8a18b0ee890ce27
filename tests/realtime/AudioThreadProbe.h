// Watches what one thread, marked as the audio thread, asks of the system: the
// C library's allocator, file and memory-mapping calls, sleeps and waits are
// interposed in the test executable and counted only on that thread, and
// every wait for a mutex another thread holds is counted and timed.
#pragma once
#include <cstdint>
#include <string>

namespace audio_probe {

struct Report {
    uint64_t nAllocator = 0;  // malloc, calloc, realloc, free and the aligned forms
    uint64_t nFileSystem = 0; // open, read, write, stat, fopen, close ...
    uint64_t nMemoryMap = 0;  // mmap, munmap, mremap, brk, sbrk
    uint64_t nSleep = 0;      // nanosleep, usleep, sleep, sched_yield, poll, select
    uint64_t nWaits = 0;      // condition variables and semaphores
    uint64_t nContended = 0;  // mutex locks that had to wait
    int64_t nWorstWaitNs = 0; // the longest of those waits
    int64_t nTotalWaitNs = 0;
    std::string strFirst; // the first call counted, for the failure message

    uint64_t Blocking() const { return nFileSystem + nMemoryMap + nSleep + nWaits + nContended; }
};

// Marks the calling thread as the audio thread for the object's lifetime.
class CAudioThread {
public:
    CAudioThread();
    ~CAudioThread();
    CAudioThread(const CAudioThread&) = delete;
    CAudioThread& operator=(const CAudioThread&) = delete;
};

// Clears the counts; Take() returns them (any thread, while no audio thread runs).
void Reset();
Report Take();
// Whether the allocator itself is interposed (not under a sanitizer, which owns it).
bool CountsAllocator();

} // namespace audio_probe
