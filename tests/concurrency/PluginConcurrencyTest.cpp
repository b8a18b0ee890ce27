// The LV2 plug-in under a host's two threads: the audio thread runs blocks
// with notes while the state thread saves and restores the instrument. No
// crash, no deadlock, finite audio, every saved state restores. It runs a
// quarter of PANDREL_STRESS_SECONDS (default 1 s).
#include "concurrency/ScratchContent.h"
#include "concurrency/Watchdog.h"
#include "fuzz/FuzzLv2Host.h"
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

#ifndef PANDREL_LV2_BUNDLE
#error "PANDREL_LV2_BUNDLE names the built bundle"
#endif

namespace {
using Clock = std::chrono::steady_clock;

TEST(PluginConcurrency, RunWhileTheStateThreadSavesAndRestores) {
    std::string strError;
    const std::vector<uint8_t> demo = DemoState(0.0, &strError);
    ASSERT_FALSE(demo.empty()) << strError;
    CFuzzLv2Host host(PANDREL_LV2_BUNDLE);
    ASSERT_EQ(host.Restore(demo.data(), demo.size()), LV2_STATE_SUCCESS);

    std::atomic<bool> bStop{false};
    std::atomic<uint64_t> nBlocks{0}, nStates{0}, nNonFinite{0}, nRefused{0};
    std::atomic<int> nFinished{0};
    std::thread audio([&] {
        for (uint64_t b = 0; !bStop; ++b) {
            const bool bNotes = b % 64 == 0;
            if (!host.Run(bNotes ? 36 : 0, bNotes ? 16 : 0)) ++nNonFinite;
            ++nBlocks;
        }
        ++nFinished;
    });
    std::thread state([&] {
        std::vector<uint8_t> saved;
        while (!bStop) {
            if (host.Save(&saved) != LV2_STATE_SUCCESS ||
                host.Restore(saved.data(), saved.size()) != LV2_STATE_SUCCESS)
                ++nRefused;
            if (nStates % 8 == 7 && host.Restore(demo.data(), demo.size()) != LV2_STATE_SUCCESS)
                ++nRefused;
            ++nStates;
        }
        ++nFinished;
    });
    CWatchdog watchdog(std::chrono::seconds(20));
    watchdog.Watch("audio", &nBlocks);
    watchdog.Watch("state", &nStates);
    const auto end = Clock::now() + std::chrono::duration<double>(StressSeconds(4.0) / 4);
    watchdog.WaitUntil([&] { return Clock::now() >= end; });
    bStop = true;
    watchdog.WaitUntil([&] { return nFinished == 2; });
    audio.join();
    state.join();
    std::printf("survived: %llu blocks run, %llu saves and restores\n",
                static_cast<unsigned long long>(nBlocks.load()),
                static_cast<unsigned long long>(nStates.load()));
    EXPECT_GT(nBlocks, 0u);
    EXPECT_GT(nStates, 0u);
    EXPECT_EQ(nNonFinite, 0u);
    EXPECT_EQ(nRefused, 0u);
}
} // namespace
