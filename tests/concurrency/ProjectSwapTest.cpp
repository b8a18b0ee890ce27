// Two threads load two projects over each other while a third saves (as a
// file and as the host's state) and the instrument plays: every save is one
// whole project byte for byte, never a mix of the two or a half-installed one.
// PANDREL_STRESS_SECONDS sets the run's length (default 2).
#include "apps/hostkit/InstrumentHost.h"
#include "concurrency/ScratchContent.h"
#include "concurrency/Watchdog.h"
#include "interfaces/IVudivuVizezud.h"
#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;

std::vector<uint8_t> FileBytes(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The project at strFrom as this instrument saves it after loading it.
std::vector<uint8_t> Resaved(IVudivuVizezud* pControl, const std::string& strFrom,
                             const std::string& strTo) {
    if (pControl->LoadProject("from", strFrom.c_str()) != S_OK ||
        pControl->SaveProject("to", strTo.c_str()) != S_OK)
        return {};
    return FileBytes(strTo);
}

TEST(Concurrency, LoadsAndSavesAtOnceSeeWholeProjects) {
    std::string strError;
    CScratchContent content;
    ASSERT_TRUE(content.Create(3.0, &strError)) << strError;
    CInstrumentHost live;
    ASSERT_TRUE(live.Open(BuiltModule(), StreamingOptions(false), CTempoMap(), &strError))
        << strError;
    IVudivuVizezud* pControl = live.Control();
    // A: the demo; B: the demo and the long wave on pad 9.
    const std::string strA = content.ProjectPath(), strB = strA + ".b.pnd";
    const std::string strSaved = strA + ".saved.pnd";
    ASSERT_EQ(content.BuildDemo(pControl, &strError), S_OK) << strError;
    ASSERT_EQ(content.SaveProject(pControl), S_OK);
    LONG nIndex = -1, nStatus = 0;
    ASSERT_EQ(pControl->LoadFileToBin("long", content.LongPath().c_str(), &nIndex, &nStatus), S_OK);
    ASSERT_EQ(pControl->AssignFileToPad(8, nIndex), S_OK);
    ASSERT_EQ(pControl->SaveProject("b", strB.c_str()), S_OK);
    const std::vector<uint8_t> a = Resaved(pControl, strA, strSaved);
    const std::vector<uint8_t> b = Resaved(pControl, strB, strSaved);
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    ASSERT_NE(a, b);
    auto isWhole = [&](const std::vector<uint8_t>& form) { return form == a || form == b; };

    std::atomic<bool> bStop{false};
    std::atomic<uint64_t> nChunks{0}, nLoads{0}, nSaves{0}, nTorn{0}, nFailed{0};
    std::atomic<int> nFinished{0};
    std::thread stream([&] {
        const std::vector<MidiNoteEvent> notes = {{0, true, 0, 36, 100}, {0, true, 0, 76, 100}};
        std::string strWhy;
        while (!bStop && live.Render(notes, 4800, nullptr, &strWhy)) ++nChunks;
        ++nFinished;
    });
    auto loader = [&](const std::string& strPath) {
        while (!bStop) {
            if (pControl->LoadProject("p", strPath.c_str()) != S_OK) ++nFailed;
            ++nLoads;
        }
        ++nFinished;
    };
    std::thread loadA(loader, strA), loadB(loader, strB);
    std::thread saver([&] {
        while (!bStop) {
            if (pControl->SaveProject("s", strSaved.c_str()) != S_OK) ++nFailed;
            if (!isWhole(FileBytes(strSaved))) ++nTorn;
            // The state is the version text, then the form a project file holds.
            const std::vector<uint8_t> state = SavedState(pControl);
            if (state.size() < 24 || !isWhole({state.begin() + 24, state.end()})) ++nTorn;
            ++nSaves;
        }
        ++nFinished;
    });

    CWatchdog watchdog(std::chrono::seconds(20));
    watchdog.Watch("streaming", &nChunks);
    watchdog.Watch("loads", &nLoads);
    watchdog.Watch("saves", &nSaves);
    const auto end = Clock::now() + std::chrono::duration<double>(StressSeconds(2.0));
    watchdog.WaitUntil([&] { return Clock::now() >= end; });
    bStop = true;
    watchdog.WaitUntil([&] { return nFinished == 4; });
    stream.join();
    loadA.join();
    loadB.join();
    saver.join();

    std::printf("%llu loads, %llu saves, %llu chunks rendered\n",
                static_cast<unsigned long long>(nLoads.load()),
                static_cast<unsigned long long>(nSaves.load()),
                static_cast<unsigned long long>(nChunks.load()));
    EXPECT_GT(nLoads, 0u);
    EXPECT_GT(nSaves, 0u);
    EXPECT_EQ(nFailed, 0u);
    EXPECT_EQ(nTorn, 0u) << "a save held parts of two projects";
}

// The file is decoded outside the lock by both threads at once; the second
// to finish finds the first one's entry and inserts nothing.
TEST(Concurrency, OneFileLoadedByTwoThreadsAtOnceIsOneEntry) {
    std::string strError;
    CScratchContent content;
    ASSERT_TRUE(content.Create(3.0, &strError)) << strError;
    CInstrumentHost live;
    ASSERT_TRUE(live.Open(BuiltModule(), StreamingOptions(false), CTempoMap(), &strError))
        << strError;
    IVudivuVizezud* pControl = live.Control();
    for (int nRound = 0; nRound < 8; ++nRound) {
        ASSERT_EQ(pControl->ClearProject(), S_OK);
        std::atomic<int> nReady{0};
        LONG anIndex[2] = {-1, -1}, anStatus[2] = {0, 0};
        HRESULT ahr[2] = {E_FAIL, E_FAIL};
        auto load = [&](int i) {
            ++nReady;
            while (nReady < 2) std::this_thread::yield();
            ahr[i] = pControl->LoadFileToBin("long", content.LongPath().c_str(), &anIndex[i],
                                             &anStatus[i]);
        };
        std::thread first(load, 0), second(load, 1);
        first.join();
        second.join();
        LONG nFiles = 0;
        ASSERT_EQ(pControl->GetFileCount(&nFiles), S_OK);
        EXPECT_EQ(nFiles, 1) << "round " << nRound;
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(ahr[i], S_OK);
            EXPECT_EQ(anIndex[i], 0);
        }
    }
}
} // namespace
