// Resource bounds: a project at every declared limit (16 Loop Bin entries of
// 128 seconds at 96 kHz with 64 beats, 16 pads full of their slices, all 129
// undo slots in use) loads, renders and saves, with its peak memory reported;
// one step beyond a limit is refused with the limit's code. Heavy: release
// builds only, one process per test (CTest), so the peak is this test's own.
#include "ReliabilitySupport.h"
#include "StateDump.h"
#include <chrono>
#include <cmath>
#include <sys/resource.h>
#include <unistd.h>

using namespace fixture;

namespace {
constexpr uint32_t kRate = 96000;
constexpr uint32_t kFrames = 128 * kRate; // the longest loop: 12,288,000 frames
constexpr uint32_t kBeats = 64;
constexpr int kSlices = 256;

long PeakKilobytes() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A mono 16-bit loop of `frames` at kRate declaring kBeats beats, cut into
// kSlices equal slices.
riff::Bytes LongestLoop() {
    std::vector<riff::Marker> markers;
    for (int i = 0; i < kSlices; ++i)
        markers.push_back({0, static_cast<uint32_t>(uint64_t{kFrames} * i / kSlices), 1});
    return riff::Wave(kFrames, 1, kRate)
        .Chunk("acid", riff::AcidBody(0, 60, kBeats, 30.0f))
        .Chunk("strc", riff::StrcBody(kSlices, 4, markers))
        .Form();
}
} // namespace

TEST(Limits, AProjectAtEveryLimitLoadsRendersAndSaves) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "heavy: release builds only";
#endif
    const auto t0 = std::chrono::steady_clock::now();
    TempDir dir;
    // One file under 17 names (hard links): the Loop Bin tells entries apart
    // by path only.
    WriteFile(dir.File("loop0.wav"), LongestLoop());
    for (int i = 1; i <= kLoopBinCapacity; ++i)
        ASSERT_EQ(::link(dir.File("loop0.wav").c_str(),
                         dir.File("loop" + std::to_string(i) + ".wav").c_str()),
                  0);

    auto ctx = std::make_unique<FakeSynthContext>(kRate);
    auto engine = std::make_unique<TestControl>(ctx.get());
    IVudivuVizezud* api = engine.get();
    auto t = std::chrono::steady_clock::now();
    for (int i = 0; i < kLoopBinCapacity; ++i)
        ASSERT_EQ(Load(*engine, dir.File("loop" + std::to_string(i) + ".wav")), i);
    const double dLoad = Seconds(t);
    LONG index = -1, status = 0;
    EXPECT_EQ(api->LoadFileToBin(nullptr, dir.File("loop16.wav").c_str(), &index, &status),
              S_FALSE);
    EXPECT_EQ(status, kLoadStatusBinFull);
    EXPECT_EQ(engine->BinCount(), kLoopBinCapacity);

    for (int p = 0; p < kPadCount; ++p) {
        ASSERT_EQ(api->AssignFileToPad(p, p), S_OK);
        ASSERT_EQ(engine->Pad(p)->GetSize(), kSlices);
        ASSERT_EQ(engine->Pad(p)->m_nLenSamples, LONGLONG{kFrames});
    }
    // A pad at the longest length a project stores does not grow past it.
    EXPECT_EQ(api->AddGrain(0, 0, 0, engine->Pad(0)->m_nLenTicks), E_INVALIDARG);
    EXPECT_EQ(api->CopyGrain(1, 3, 0, engine->Pad(0)->m_nLenTicks, nullptr), E_INVALIDARG);
    EXPECT_EQ(api->SetPadLength(1, 0, engine->Pad(0)->m_nLenTicks + kTicksPerBeat), E_INVALIDARG);
    EXPECT_EQ(engine->Pad(0)->GetSize(), kSlices);

    // Every undo slot in use: 130 checkpoints keep 128 steps back.
    for (int i = 0; i < kUndoSlots + 1; ++i) {
        api->SetPadVolume(i % kPadCount, 0.01f * static_cast<float>(i % 100));
        ASSERT_EQ(api->Checkpoint(), S_OK);
    }
    const std::string atLimit = dump::Project(*engine);
    int nUndo = 0;
    while (api->Undo() == S_OK) ++nUndo;
    EXPECT_EQ(nUndo, kUndoSlots - 1);
    while (api->Redo() == S_OK) --nUndo;
    EXPECT_EQ(nUndo, 0);
    EXPECT_EQ(atLimit, dump::Project(*engine));

    t = std::chrono::steady_clock::now();
    long nSounding = 0, nBad = 0;
    rel::RenderPads(*engine, *ctx, 32, 1024, [&](const std::vector<float>& b) {
        for (float v : b) {
            nSounding += v != 0.0f;
            nBad += !std::isfinite(v);
        }
    });
    const double dRender = Seconds(t);
    EXPECT_GT(nSounding, 1000);
    EXPECT_EQ(nBad, 0);

    t = std::chrono::steady_clock::now();
    const std::string path = dir.File("limits.pnd");
    ASSERT_EQ(api->SaveProject("limits", path.c_str()), S_OK);
    const double dSave = Seconds(t);
    const auto nBytes = std::filesystem::file_size(path);
    const std::string saved = dump::Project(*engine, true);
    engine.reset(); // the peak is one engine's, not two
    const long nPeakOne = PeakKilobytes();

    t = std::chrono::steady_clock::now();
    auto reloaded = std::make_unique<TestControl>(ctx.get());
    ASSERT_EQ(static_cast<IVudivuVizezud*>(reloaded.get())->LoadProject("limits.pnd", path.c_str()),
              S_OK);
    const double dReload = Seconds(t);
    EXPECT_EQ(saved, dump::Project(*reloaded));
    ASSERT_EQ(static_cast<IVudivuVizezud*>(reloaded.get())->SaveProject("again", path.c_str()),
              S_OK);
    EXPECT_EQ(std::filesystem::file_size(path), nBytes);

    std::printf("16 x 128 s at 96 kHz, %d grains on pads, 129 undo slots: load %.1f s, render 32 "
                "buffers %.2f s, "
                "save %.1f s (%.0f MB), reload %.1f s, peak %.0f MB (%.0f MB before the reload), "
                "total %.1f s\n",
                kPadCount * kSlices, dLoad, dRender, dSave, static_cast<double>(nBytes) / 1e6,
                dReload, PeakKilobytes() / 1024.0, nPeakOne / 1024.0, Seconds(t0));
    RecordProperty("peak_kb", static_cast<int>(PeakKilobytes()));
}
