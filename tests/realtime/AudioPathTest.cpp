// The audio thread asks nothing of the system: while the busy groove renders
// (in the engine, and through the whole plug-in), no allocator call, no file
// or memory-mapping call, no sleep, no wait and no contended lock happens on
// it. And the plug-in's run() does not wait while the state thread restores.
#include "apps/hostkit/InstrumentHost.h"
#include "concurrency/ScratchContent.h"
#include "engine/KeyMap.h"
#include "fuzz/FuzzLv2Host.h"
#include "interfaces/IVudivuVizezud.h"
#include "realtime/AudioThreadProbe.h"
#include "realtime/BusyGroove.h"
#include "support/AllocCounter.h"
#include <atomic>
#include <ctime>
#include <gtest/gtest.h>
#include <thread>

#ifndef PANDREL_LV2_BUNDLE
#error "PANDREL_LV2_BUNDLE names the built bundle"
#endif

namespace {
std::string Describe(const audio_probe::Report& r) {
    return "allocator " + std::to_string(r.nAllocator) + ", file system " +
           std::to_string(r.nFileSystem) + ", memory maps " + std::to_string(r.nMemoryMap) +
           ", sleeps " + std::to_string(r.nSleep) + ", waits " + std::to_string(r.nWaits) +
           ", contended locks " + std::to_string(r.nContended) + " (first: " + r.strFirst + ")";
}

// Runs f on a thread of its own marked as the audio thread; returns what it asked for.
template <class F> audio_probe::Report OnAudioThread(F f, size_t* pnNews) {
    audio_probe::Reset();
    std::thread audio([&] {
        audio_probe::CAudioThread mark;
        ScopedAllocCount count;
        f();
        *pnNews = count.Stop();
    });
    audio.join();
    return audio_probe::Take();
}

TEST(AudioPath, BusyGrooveAsksNothingOfTheSystem) {
    PlaybackRig rig(busy_groove::kRate, busy_groove::kHostTempo);
    rig.collect = false;
    busy_groove::Build(rig);
    for (int v = 0; v < 4; ++v)
        for (int p = 0; p < kPadCount; ++p) rig.NoteOn(static_cast<BYTE>(CKeyMap::DefaultKey(p)));
    rig.RenderFor(busy_groove::kRate / 2); // past the fade-ins; lazy set-up done
    size_t nNews = 0;
    const audio_probe::Report r = OnAudioThread(
        [&] {
            // Two seconds of the groove; notes released and struck again on the way.
            for (int b = 0; b < 750; ++b) {
                if (b % 100 == 50)
                    for (int p = 0; p < kPadCount; p += 3) {
                        rig.NoteOff(static_cast<BYTE>(CKeyMap::DefaultKey(p)));
                        rig.NoteOn(static_cast<BYTE>(CKeyMap::DefaultKey(p)));
                    }
                rig.Render(busy_groove::kBuffer);
            }
        },
        &nNews);
    EXPECT_EQ(nNews, 0u) << "operator new on the audio thread";
    EXPECT_EQ(r.nAllocator, 0u) << Describe(r);
    EXPECT_EQ(r.Blocking(), 0u) << Describe(r);
    EXPECT_GT(rig.active.GetCount(), 0);
}

class PluginAudioPath : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string strError;
        s_state = DemoState(30.0, &strError);
        if (s_state.empty()) ADD_FAILURE() << strError;
    }
    static std::vector<uint8_t> s_state;
    CFuzzLv2Host m_host{PANDREL_LV2_BUNDLE};
};
std::vector<uint8_t> PluginAudioPath::s_state;

TEST_F(PluginAudioPath, RunAsksNothingOfTheSystem) {
    ASSERT_FALSE(s_state.empty());
    ASSERT_EQ(m_host.Restore(s_state.data(), s_state.size()), LV2_STATE_SUCCESS);
    ASSERT_TRUE(m_host.Run(36, 16)); // the demo's keys, then 60.. for the rest
    size_t nNews = 0;
    bool bFinite = true;
    const audio_probe::Report r = OnAudioThread(
        [&] {
            for (int b = 0; b < 1500; ++b)
                bFinite = m_host.Run(b % 200 == 0 ? 36 : 0, b % 200 == 0 ? 16 : 0) && bFinite;
        },
        &nNews);
    EXPECT_TRUE(bFinite);
    EXPECT_EQ(nNews, 0u) << "operator new on the audio thread";
    EXPECT_EQ(r.nAllocator, 0u) << Describe(r);
    EXPECT_EQ(r.Blocking(), 0u) << Describe(r);
}

// The state thread restores a state with 30 seconds of audio in it, again and
// again; the instrument reads it without its lock and takes the lock only to
// swap the project in, so run() never waits more than 1 ms for it.
TEST_F(PluginAudioPath, RunNeverWaitsForTheStateThread) {
    ASSERT_FALSE(s_state.empty());
    ASSERT_EQ(m_host.Restore(s_state.data(), s_state.size()), LV2_STATE_SUCCESS);
    m_host.Run(36, 16);
    std::atomic<bool> bStop{false};
    std::atomic<int> nRestores{0};
    std::thread state([&] {
        while (!bStop) {
            EXPECT_EQ(m_host.Restore(s_state.data(), s_state.size()), LV2_STATE_SUCCESS);
            ++nRestores;
        }
    });
    size_t nNews = 0;
    int64_t nWorstRunNs = 0, nWorstCpuNs = 0;
    auto cpuNow = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    const audio_probe::Report r = OnAudioThread(
        [&] {
            using Clock = std::chrono::steady_clock;
            for (int b = 0; nRestores < 4 || b < 200; ++b) {
                const auto start = Clock::now();
                const int64_t nCpu = cpuNow();
                m_host.Run();
                nWorstCpuNs = std::max(nWorstCpuNs, cpuNow() - nCpu);
                nWorstRunNs = std::max<int64_t>(nWorstRunNs, (Clock::now() - start).count());
            }
            bStop = true;
        },
        &nNews);
    state.join();
    // Wall time includes the scheduler's delays on a busy machine; thread time does not.
    std::printf("run() during %d restores: longest %.3f ms (%.3f ms of thread time); it waited "
                "for a lock %llu times, longest %.3f ms\n",
                nRestores.load(), nWorstRunNs / 1e6, nWorstCpuNs / 1e6,
                static_cast<unsigned long long>(r.nContended), r.nWorstWaitNs / 1e6);
    EXPECT_LE(r.nWorstWaitNs, 1000000) << Describe(r);
    EXPECT_EQ(r.nWaits, 0u) << Describe(r);
}
} // namespace
