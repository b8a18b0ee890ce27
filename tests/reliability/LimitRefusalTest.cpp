// One step beyond a declared limit is refused with the limit's code, and the
// value at the limit is accepted: loop and file lengths, beats, the fields a
// project form bounds, and pad growth, which must stay within what a project
// stores so that every save loads again.
#include "ReliabilitySupport.h"
#include "StateDump.h"
#include "files/ProjectScene.h"
#include <cmath>

using namespace fixture;

namespace {
constexpr uint32_t kLowRate = 11025;

riff::Bytes Loop(uint32_t frames, uint32_t beats) {
    std::vector<riff::Marker> markers;
    for (uint32_t i = 0; i < 4; ++i) markers.push_back({0, frames / 4 * i, 1});
    return riff::Wave(frames, 1, kLowRate)
        .Chunk("acid", riff::AcidBody(0, 60, beats, 120.0f))
        .Chunk("strc", riff::StrcBody(4, 2, markers))
        .Form();
}

HRESULT LoadResult(TestControl& c, const std::string& path) {
    LONG index = -1, status = 0;
    return c.LoadFileToBin(nullptr, path.c_str(), &index, &status);
}
} // namespace

TEST(LimitRefusal, LoopsAndFilesAtTheirLimitsLoadAndOneStepBeyondIsRefused) {
    TempDir dir;
    FakeSynthContext ctx(kLowRate);
    TestControl c(&ctx);
    const struct {
        const char* name;
        riff::Bytes bytes;
        HRESULT hr;
    } kFiles[] = {
        {"loop of 128 s", Loop(128 * kLowRate, 64), S_OK},
        {"loop one frame longer", Loop(128 * kLowRate + 1, 64), E_UNEXPECTED},
        {"loop of 65 beats", Loop(2 * kLowRate, 65), E_UNEXPECTED},
        {"plain file of 30 s", riff::Wave(30 * kLowRate, 1, kLowRate).Form(), S_OK},
        {"plain file one frame longer", riff::Wave(30 * kLowRate + 1, 1, kLowRate).Form(),
         E_UNEXPECTED},
    };
    int n = 0;
    for (const auto& f : kFiles) {
        SCOPED_TRACE(f.name);
        const std::string path = dir.File("f" + std::to_string(n++) + ".wav");
        WriteFile(path, f.bytes);
        const int nBefore = c.BinCount();
        EXPECT_EQ(LoadResult(c, path), f.hr);
        EXPECT_EQ(c.BinCount(), nBefore + (f.hr == S_OK ? 1 : 0));
    }
}

namespace {
// A saved scene and the engine a form patched from it loads into.
struct PatchedLoad {
    TempDir dir;
    riff::Bytes form;
    PatchedLoad() {
        FakeSynthContext ctx(44100);
        TestControl c(&ctx);
        BuildScene(c, dir);
        EXPECT_EQ(static_cast<IVudivuVizezud&>(c).SaveProject("s", dir.File("s.pnd").c_str()),
                  S_OK);
        form = ReadFile(dir.File("s.pnd"));
    }
    HRESULT Load(const riff::Bytes& bytes, DWORD nRate = 44100) {
        WriteFile(dir.File("p.pnd"), bytes);
        FakeSynthContext ctx(nRate);
        TestControl c(&ctx);
        return static_cast<IVudivuVizezud&>(c).LoadProject("p.pnd", dir.File("p.pnd").c_str());
    }
};
} // namespace

TEST(LimitRefusal, AProjectFieldBeyondItsBoundFailsTheLoadAndOneAtItLoads) {
    PatchedLoad p;
    const size_t comn = FindChunk(p.form, "comn"), keym = FindChunk(p.form, "keym");
    const size_t pdtr = FindChunk(p.form, "pdtr", 0) + 4,
                 fmt = FindChunk(p.form, "RIFF", 0) + 4 + 8;
    const struct {
        const char* name;
        size_t at;
        uint32_t value;
        HRESULT hr;
    } kCases[] = {
        {"17 Loop Bin entries", comn + 8, 17, E_FAIL},
        {"17 key-map records", keym, 17, E_FAIL},
        {"a pad of 12,288,001 samples", pdtr, 12288001, E_FAIL},
        {"a pad of 12,288,000 samples", pdtr, 12288000, S_OK},
        {"a wave at 96,001 Hz", fmt + 4, 96001, E_FAIL},
        {"a wave at 11,024 Hz", fmt + 4, 11024, E_FAIL},
        {"a wave at 96,000 Hz", fmt + 4, 96000, S_OK},
    };
    ASSERT_EQ(p.Load(p.form), S_OK);
    for (const auto& k : kCases) {
        SCOPED_TRACE(k.name);
        riff::Bytes b = p.form;
        Patch32(b, k.at, k.value);
        EXPECT_EQ(p.Load(b), k.hr);
    }
}

TEST(LimitRefusal, APadTooLongAtTheNewRateIsRefusedSinceItCouldNotBeSavedAgain) {
    // Lengths follow the waves to the engine's rate: a pad at the stored limit
    // doubles past it at twice the rate, where its next save would not load.
    PatchedLoad p;
    riff::Bytes b = p.form;
    Patch32(b, FindChunk(p.form, "pdtr", 0) + 4, 12288000);
    EXPECT_EQ(p.Load(b, 44100), S_OK);
    EXPECT_EQ(p.Load(b, 88200), E_FAIL);
    Patch32(b, FindChunk(p.form, "pdtr", 0) + 4, 6144000);
    EXPECT_EQ(p.Load(b, 88200), S_OK);
}

TEST(LimitRefusal, APadGrowsUpToTheLongestStoredTrackAndNoFurther) {
    TempDir dir;
    FakeSynthContext ctx(44100);
    TestControl c(&ctx);
    IVudivuVizezud& api = c;
    WriteFile(dir.File("loop.wav"), SlicedLoop(8000, 4, 44100));
    Load(c, dir.File("loop.wav"));
    ASSERT_EQ(api.AssignFileToPad(0, 0), S_OK);
    const CGrooveTrack& pad = *c.Pad(0);
    const double dTempo = pad.m_dTempo;
    // The most whole beats whose length in samples a project still stores.
    auto samples = [&](LONGLONG beats) {
        return std::floor(44100.0 * static_cast<double>(beats) / dTempo * 60.0 + 0.5);
    };
    LONGLONG nMax = static_cast<LONGLONG>(12288000.0 * dTempo / 44100.0 / 60.0);
    while (samples(nMax + 1) <= 12288000.0) ++nMax;
    while (samples(nMax) > 12288000.0) --nMax;
    const LONGLONG nSlice = pad.GetAt(0)->m_nLenTicks; // one beat
    ASSERT_EQ(nSlice, kTicksPerBeat);

    EXPECT_EQ(api.AddGrain(0, 0, 0, nMax * kTicksPerBeat), E_INVALIDARG);
    EXPECT_EQ(api.CopyGrain(0, 1, 0, nMax * kTicksPerBeat, nullptr), E_INVALIDARG);
    EXPECT_EQ(api.MoveGrain(0, 1, 1, nMax * kTicksPerBeat, nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(api.SetPadLength(1, 0, (nMax + 1) * kTicksPerBeat), E_INVALIDARG);
    EXPECT_EQ(api.SetPadLength(0, 0, kInfiniteTime + 1), E_INVALIDARG);
    EXPECT_EQ(pad.GetSize(), 4);
    EXPECT_EQ(c.Pad(1)->GetSize(), 0);

    ASSERT_EQ(api.AddGrain(0, 0, 0, (nMax - 1) * kTicksPerBeat), S_OK);
    EXPECT_EQ(pad.m_nLenTicks, nMax * kTicksPerBeat);
    EXPECT_LE(pad.m_nLenSamples, 12288000);
    ASSERT_EQ(api.SetPadLength(0, 0, kInfiniteTime), S_OK);
    const std::string saved = dump::Project(c);
    ASSERT_EQ(api.SaveProject("g", dir.File("g.pnd").c_str()), S_OK);
    FakeSynthContext ctx2(44100);
    TestControl reloaded(&ctx2);
    ASSERT_EQ(
        static_cast<IVudivuVizezud&>(reloaded).LoadProject("g.pnd", dir.File("g.pnd").c_str()),
        S_OK);
    EXPECT_EQ(saved, dump::Project(reloaded));
}
