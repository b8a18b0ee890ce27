// How long the streaming thread waits for the engine's lock while another
// thread loads a 30-second file into the Loop Bin and loads a large project
// (the demo with four 30-second entries). A measurement, printed, not judged:
// the numbers depend on the machine.
#include "apps/hostkit/InstrumentHost.h"
#include "concurrency/ScratchContent.h"
#include "interfaces/IVudivuVizezud.h"
#include "realtime/AudioThreadProbe.h"
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

TEST(LockWait, StreamingWhileLoadingLongFilesAndAProject) {
    std::string strError;
    CScratchContent content;
    ASSERT_TRUE(content.Create(30.0, &strError)) << strError;
    CInstrumentHost host;
    ASSERT_TRUE(host.Open(BuiltModule(), StreamingOptions(false), CTempoMap(), &strError))
        << strError;
    IVudivuVizezud* pControl = host.Control();
    ASSERT_EQ(content.BuildDemo(pControl, &strError), S_OK) << strError;
    LONG nIndex = -1, nStatus = 0;
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(pControl->LoadFileToBin("long", content.LongPath().c_str(), &nIndex, &nStatus),
                  S_OK);
    ASSERT_EQ(content.SaveProject(pControl), S_OK);
    ASSERT_EQ(content.BuildDemo(pControl, &strError), S_OK) << strError;

    std::vector<MidiNoteEvent> notes;
    for (uint8_t k = 36; k < 44; ++k) notes.push_back({0, true, 0, k, 100});
    std::atomic<bool> bStop{false};
    std::atomic<uint64_t> nChunks{0};
    std::thread stream([&] {
        audio_probe::CAudioThread mark;
        std::string strWhy;
        while (!bStop) {
            EXPECT_TRUE(host.Render(notes, 4800, nullptr, &strWhy)) << strWhy;
            ++nChunks;
        }
    });
    // Let the stream settle, then load on this thread.
    while (nChunks < 4) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Each operation three times; what the streaming thread waited meanwhile.
    auto measure = [&](const char* pszWhat, auto op) {
        audio_probe::Reset();
        double dLongestMs = 0.0;
        for (int i = 0; i < 3; ++i) {
            const auto start = Clock::now();
            EXPECT_EQ(op(), S_OK) << pszWhat;
            dLongestMs = std::max(dLongestMs, Ms(Clock::now() - start));
        }
        const audio_probe::Report r = audio_probe::Take();
        std::printf("%s: up to %.1f ms; the streaming thread waited for a held lock %llu times, "
                    "longest %.2f ms\n",
                    pszWhat, dLongestMs, static_cast<unsigned long long>(r.nContended),
                    r.nWorstWaitNs / 1e6);
    };
    measure("loading a 30 s file into the Loop Bin", [&] {
        return pControl->LoadFileToBin("long", content.LongPath().c_str(), &nIndex, &nStatus);
    });
    measure("loading the project (the demo and four 30 s entries)",
            [&] { return pControl->LoadProject("demo", content.ProjectPath().c_str()); });
    bStop = true;
    stream.join();
    EXPECT_GT(nChunks, 4u);
}
} // namespace
