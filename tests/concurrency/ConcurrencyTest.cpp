// The instrument under three threads at once, as a host runs it: a streaming
// thread renders every output continuously, an editor thread hammers the
// control interface, and a state thread saves through IPersistStream (and now
// and then restores). Passing means no crash, no deadlock (a watchdog ends a
// stalled run), finite audio throughout, and every saved stream loads again.
// PANDREL_STRESS_SECONDS sets the run's length (default 4).
#include "apps/hostkit/InstrumentHost.h"
#include "concurrency/ControlHammer.h"
#include "concurrency/ScratchContent.h"
#include "concurrency/Watchdog.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;

IPersistStream* PersistOf(IVudivuVizezud* pControl) {
    void* pv = nullptr;
    return SUCCEEDED(pControl->QueryInterface(IID_IPersistStream, &pv))
               ? static_cast<IPersistStream*>(pv)
               : nullptr;
}

// Saves into a new memory stream, rewound; null on failure.
IStream* SaveToMemory(IPersistStream* pPersist) {
    IStream* pStream = nullptr;
    if (FAILED(CreateMemoryStream(&pStream))) return nullptr;
    if (FAILED(pPersist->Save(pStream, FALSE))) return pStream->Release(), nullptr;
    pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return pStream;
}

// The notes of each quarter-second chunk (480 ticks at 120 BPM): every pad's
// key (the demo's and the defaults) struck, struck again, then released.
std::vector<MidiNoteEvent> ChunkNotes() {
    std::vector<MidiNoteEvent> notes;
    const uint8_t keys[] = {36, 37, 38, 39, 40, 41, 42, 43, 60, 62, 64, 65,
                            67, 69, 71, 72, 74, 76, 77, 79, 81, 83, 84, 86};
    for (int64_t nTick : {int64_t{0}, int64_t{240}})
        for (uint8_t k : keys) notes.push_back({nTick, true, 0, k, 100});
    for (uint8_t k : keys) notes.push_back({360, false, 0, k, 0});
    return notes;
}

struct Counters {
    std::atomic<uint64_t> nRendered{0}, nSounding{0}, nEdits{0}, nSaves{0}, nRestores{0};
    std::atomic<uint64_t> nNonFinite{0}, nReadBackFaults{0}, nUnloadable{0};
    std::atomic<int> nFinished{0};
    std::atomic<bool> bStop{false};
};

TEST(Concurrency, RenderEditAndSaveAtOnce) {
    std::string strError;
    CScratchContent content;
    ASSERT_TRUE(content.Create(3.0, &strError)) << strError;
    const CInstrumentHost::Options options = StreamingOptions(true);
    CInstrumentHost live, verifier;
    ASSERT_TRUE(live.Open(BuiltModule(), options, CTempoMap(), &strError)) << strError;
    ASSERT_TRUE(verifier.Open(BuiltModule(), options, CTempoMap(), &strError)) << strError;
    ASSERT_EQ(content.BuildDemo(live.Control(), &strError), S_OK) << strError;
    ASSERT_EQ(content.SaveProject(live.Control()), S_OK);
    IPersistStream* pLivePersist = PersistOf(live.Control());
    IPersistStream* pVerifierPersist = PersistOf(verifier.Control());
    ASSERT_NE(pLivePersist, nullptr);
    ASSERT_NE(pVerifierPersist, nullptr);

    Counters c;
    const std::vector<MidiNoteEvent> notes = ChunkNotes();
    // The streaming thread: quarter-second chunks, every output captured and checked.
    std::thread stream([&] {
        std::string strWhy;
        while (!c.bStop) {
            if (!live.Render(notes, 12000, nullptr, &strWhy)) {
                ADD_FAILURE() << "rendering failed: " << strWhy;
                break;
            }
            for (int n = 0; n < CInstrumentHost::kOutputs; ++n)
                for (float f : live.Output(n))
                    if (!std::isfinite(f)) ++c.nNonFinite;
            if (live.HasSound(0)) ++c.nSounding;
            ++c.nRendered;
        }
        ++c.nFinished;
    });
    std::thread editor([&] {
        CControlHammer hammer(live.Control(),
                              {content.LoopPath(), content.LongPath(), content.ProjectPath()},
                              20261208);
        while (!c.bStop) {
            hammer.Step();
            ++c.nEdits;
        }
        if (!hammer.ReadBack()) ++c.nReadBackFaults;
        ++c.nFinished;
    });
    // The state thread: every saved stream must load into a fresh instrument;
    // every fourth is also restored into the playing one.
    std::thread state([&] {
        while (!c.bStop) {
            IStream* pStream = SaveToMemory(pLivePersist);
            if (pStream == nullptr) {
                ++c.nUnloadable;
            } else {
                if (FAILED(pVerifierPersist->Load(pStream))) ++c.nUnloadable;
                if (c.nSaves % 4 == 3) {
                    pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
                    if (FAILED(pLivePersist->Load(pStream))) ++c.nUnloadable;
                    ++c.nRestores;
                }
                pStream->Release();
            }
            ++c.nSaves;
        }
        ++c.nFinished;
    });

    // A thread that stands still for 20 s (sanitizers slow everything) is stuck.
    CWatchdog watchdog(std::chrono::seconds(20));
    watchdog.Watch("streaming", &c.nRendered);
    watchdog.Watch("editor", &c.nEdits);
    watchdog.Watch("state", &c.nSaves);
    const auto end = Clock::now() + std::chrono::duration<double>(StressSeconds(4.0));
    watchdog.WaitUntil([&] { return Clock::now() >= end; });
    c.bStop = true;
    watchdog.WaitUntil([&] { return c.nFinished == 3; });
    stream.join();
    editor.join();
    state.join();
    pLivePersist->Release();
    pVerifierPersist->Release();

    std::printf("survived: %llu chunks rendered (%.1f s of audio, %llu with sound), %llu control "
                "operations, %llu saves, %llu restores\n",
                static_cast<unsigned long long>(c.nRendered.load()), c.nRendered * 0.25,
                static_cast<unsigned long long>(c.nSounding.load()),
                static_cast<unsigned long long>(c.nEdits.load()),
                static_cast<unsigned long long>(c.nSaves.load()),
                static_cast<unsigned long long>(c.nRestores.load()));
    EXPECT_GT(c.nSounding, 0u) << "the instrument never played: the run tested nothing";
    EXPECT_GT(c.nEdits, 0u);
    EXPECT_GT(c.nSaves, 0u);
    EXPECT_EQ(c.nNonFinite, 0u);
    EXPECT_EQ(c.nReadBackFaults, 0u);
    EXPECT_EQ(c.nUnloadable, 0u) << "a saved stream did not load again";
}
} // namespace
