// The probe itself: it sees the calls it watches on the marked thread, from
// this executable and from a loaded library alike, and none on other threads.
#include "realtime/AudioThreadProbe.h"
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {
// Calls made through a pointer, so the compiler cannot drop or fold them.
void* (*volatile g_pMalloc)(size_t) = std::malloc;

TEST(AudioThreadProbe, CountsWhatTheMarkedThreadAsksFor) {
    std::mutex held;
    audio_probe::Reset();
    std::thread audio([&] {
        audio_probe::CAudioThread mark;
        std::free(g_pMalloc(24));
        if (FILE* f = std::fopen("/proc/self/stat", "r")) std::fclose(f);
        usleep(1);
        held.lock(); // free: not a wait
        held.unlock();
    });
    audio.join();
    audio_probe::Report r = audio_probe::Take();
    if (audio_probe::CountsAllocator()) {
        EXPECT_GE(r.nAllocator, 2u);
    }
    EXPECT_GE(r.nFileSystem, 1u); // fopen (fclose closes inside the C library)
    EXPECT_GE(r.nSleep, 1u);
    EXPECT_EQ(r.nContended, 0u);

    // A lock another thread holds is a timed wait.
    audio_probe::Reset();
    held.lock();
    std::thread waiter([&] {
        audio_probe::CAudioThread mark;
        held.lock();
        held.unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    held.unlock();
    waiter.join();
    r = audio_probe::Take();
    EXPECT_EQ(r.nContended, 1u);
    EXPECT_GE(r.nWorstWaitNs, 10'000'000);
}

TEST(AudioThreadProbe, IsWhatLoadedLibrariesFind) {
    // A loaded library's calls resolve through the global scope, which finds
    // the executable's exported definitions first: the probe's.
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "pthread_mutex_lock"),
              reinterpret_cast<void*>(&pthread_mutex_lock));
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "read"), reinterpret_cast<void*>(&read));
    EXPECT_NE(dlsym(RTLD_NEXT, "read"), reinterpret_cast<void*>(&read));
}

TEST(AudioThreadProbe, IgnoresOtherThreads) {
    audio_probe::Reset();
    std::free(g_pMalloc(24));
    usleep(1);
    const audio_probe::Report r = audio_probe::Take();
    EXPECT_EQ(r.nAllocator + r.Blocking(), 0u);
}
} // namespace
