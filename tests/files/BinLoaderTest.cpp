// Wave files into the Loop Bin: what a user's file becomes, from the file's
// layout and the loader's rules.
#include "files/BinLoader.h"
#include "../engine/FakeSynthContext.h"
#include "RiffBuilder.h"
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

using namespace riff;

namespace {
struct Engine : CVudivuVizezud {
    explicit Engine(CDXiSynthContext* c) : CDXi(c), CVudivuVizezud(c) {}
};

struct BinLoaderTest : ::testing::Test {
    BinLoaderTest() { engine.SetOutputFormatRecord(MakeFloatFormat(2, 44100)); }
    HRESULT Load(const TempFile& f, LONG* at = nullptr, LONG index = -1) {
        LONG i = -1;
        const HRESULT hr = LoadFileToBinEntry(&engine, f.c_str(), index, &i, &status);
        if (at != nullptr) *at = i;
        return hr;
    }
    FakeSynthContext ctx{44100};
    Engine engine{&ctx};
    LONG status = -1;
};
} // namespace

TEST_F(BinLoaderTest, PlainWaveBecomesOneGrainWithTheDecodedSamples) {
    TempFile f(Wave(4410, 2).Form());
    LONG at = -1;
    ASSERT_EQ(Load(f, &at), S_OK);
    EXPECT_EQ(at, 0);
    EXPECT_EQ(status, 0);
    const CGrooveTrack* e = engine.BinEntry(0);
    ASSERT_EQ(e->GetSize(), 1);
    EXPECT_EQ(e->m_nLenTicks, kTicksPerBeat);
    EXPECT_FALSE(e->m_bSyncedPlayback);
    // Frame f, channel c of the fixture holds the 16-bit value f * 2 + c.
    for (LONGLONG fr : {0, 1, 777, 4409})
        for (int c = 0; c < 2; ++c)
            EXPECT_FLOAT_EQ(e->m_pWave->Frame(fr)[c], (fr * 2 + c) / 32768.0f);
}

TEST_F(BinLoaderTest, AcidBeforeDataMakesASyncedLoop) {
    RiffBuilder r;
    r.Chunk("fmt ", FmtBody(Fmt{}))
        .Chunk("acid", AcidBody(0x2, 60, 4, 120.0f))
        .Chunk("data", Pcm16(4410, 2));
    TempFile f(r.Form());
    ASSERT_EQ(Load(f), S_OK);
    EXPECT_EQ(engine.BinEntry(0)->GetSize(), 16);
    EXPECT_TRUE(engine.BinEntry(0)->m_bSyncedPlayback);
}

TEST_F(BinLoaderTest, AcidLoopWithoutMarkersIsCutIntoSixteenSyncedSlices) {
    RiffBuilder r = Wave(88200, 2);
    r.Chunk("acid", AcidBody(0x2, 60, 4, 120.0f));
    TempFile f(r.Form());
    ASSERT_EQ(Load(f), S_OK);
    const CGrooveTrack* e = engine.BinEntry(0);
    ASSERT_EQ(e->GetSize(), 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(e->GetAt(i)->m_nSrcStart, 88200LL * i / 16) << i;
        EXPECT_EQ(e->GetAt(i)->m_nStartTicks,
                  std::llround((88200LL * i / 16) / 88200.0 * 4 * kTicksPerBeat))
            << i;
    }
    EXPECT_TRUE(e->m_bSyncedPlayback);
    EXPECT_EQ(e->m_nKey, 3); // root 60 (valid): C, numbered from A as the Root list
    EXPECT_TRUE(e->m_bFollowKey);
    EXPECT_NEAR(e->m_dTempo, 120.0, 1e-9);
}

TEST_F(BinLoaderTest, ThirtySecondsLoadsAndLongerIsRefused) {
    TempFile ok(Wave(30 * 8000, 1, 8000).Form());
    TempFile tooLong(Wave(30 * 8000 + 1, 1, 8000).Form());
    ctx.m_rate = 8000;
    engine.SetOutputFormatRecord(MakeFloatFormat(1, 8000));
    EXPECT_EQ(Load(ok), S_OK);
    EXPECT_EQ(Load(tooLong), E_UNEXPECTED);
    EXPECT_EQ(engine.BinCount(), 1);
}

TEST_F(BinLoaderTest, UnreadableFilesAreInvalidArguments) {
    TempFile empty(Bytes{});
    TempFile noData(RiffBuilder().Chunk("fmt ", FmtBody(Fmt{})).Chunk("data", Bytes{}).Form());
    EXPECT_EQ(Load(empty), E_INVALIDARG);
    EXPECT_EQ(Load(noData), E_INVALIDARG);
    LONG at = 0;
    EXPECT_EQ(LoadFileToBinEntry(&engine, "/nonexistent/x.wav", -1, &at, &status), E_INVALIDARG);
    EXPECT_EQ(LoadFileToBinEntry(&engine, nullptr, -1, &at, &status), E_POINTER);
    EXPECT_EQ(engine.BinCount(), 0);
}

TEST_F(BinLoaderTest, APathAlreadyInTheBinIsNotReadAgain) {
    LONG at = -1;
    std::string path;
    {
        TempFile f(Wave(441, 2).Form(), "same.wav");
        path = f.path();
        ASSERT_EQ(Load(f, &at), S_OK);
    } // the file is gone now
    LONG again = -1;
    EXPECT_EQ(LoadFileToBinEntry(&engine, path.c_str(), 7, &again, &status), S_OK);
    EXPECT_EQ(again, at);
    EXPECT_EQ(engine.BinCount(), 1);
}

TEST_F(BinLoaderTest, CorrectedOutputFormatAndFullBinAreReported) {
    engine.SetOutputFormatRecord(WAVEFORMATEX{}); // not float: corrected on load
    TempFile f(Wave(441, 1).Form());
    ASSERT_EQ(Load(f), S_FALSE);
    EXPECT_EQ(status, kLoadStatusFormatChanged);
    EXPECT_EQ(Load(f), S_OK); // already there, format now right
    std::vector<std::unique_ptr<TempFile>> files;
    for (int i = 1; i < 16; ++i) {
        files.push_back(std::make_unique<TempFile>(Wave(441, 1).Form()));
        ASSERT_EQ(Load(*files.back()), S_OK);
    }
    TempFile extra(Wave(441, 1).Form());
    EXPECT_EQ(Load(extra), S_FALSE);
    EXPECT_EQ(status, kLoadStatusBinFull);
    EXPECT_EQ(engine.BinCount(), 16);
}

TEST(BinLoaderCorpus, EveryFuzzInputLoadsOrFailsCleanly) {
    const std::filesystem::path dir =
        std::filesystem::path(PANDREL_SOURCE_DIR) / "fuzz/corpus/binload";
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    FakeSynthContext ctx(48000);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        Engine engine(&ctx);
        engine.SetOutputFormatRecord(MakeFloatFormat(2, 48000));
        LONG at = -1, status = 0;
        const std::string path = entry.path().string();
        if (FAILED(LoadFileToBinEntry(&engine, path.c_str(), -1, &at, &status))) {
            EXPECT_EQ(engine.BinCount(), 0) << path;
            continue;
        }
        const CGrooveTrack* e = engine.BinEntry(at);
        ASSERT_NE(e, nullptr) << path;
        for (int i = 0; i < e->GetSize(); ++i) {
            const CGrooveEvent* g = e->GetAt(i);
            EXPECT_GT(g->m_nLenSamples, 0) << path;
            EXPECT_LE(g->m_nSrcStart + g->m_nLenSamples, e->m_pWave->m_nFrames) << path;
        }
        for (LONGLONG i = 0; i < e->m_pWave->m_nFrames * e->m_pWave->Channels(); ++i)
            ASSERT_TRUE(std::isfinite(e->m_pWave->m_pData[i])) << path;
    }
    EXPECT_GT(files, 0);
}
