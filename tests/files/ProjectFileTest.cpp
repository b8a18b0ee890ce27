// Project files: the exact layout of an empty project, round trips equal in
// every field and byte for byte, the extension rule, the range checks of the
// reader, rescaling to another rate, and the mends (saves that fail keep the
// old file, loads that fail keep the old project, bounded grains).
#include "ProjectScene.h"
#include "engine/GrainRenderer.h"
#include "engine/KeyMap.h"
#include <algorithm>

using namespace fixture;
using riff::Bytes;

namespace {
struct Project : ::testing::Test {
    FakeSynthContext ctx{44100};
    TestControl c{&ctx};
    IVudivuVizezud& api = c;
    TempDir dir;

    Bytes Save(TestControl& who, const std::string& name) {
        const std::string path = dir.File(name);
        EXPECT_EQ(static_cast<IVudivuVizezud&>(who).SaveProject(name.c_str(), path.c_str()), S_OK);
        return ReadFile(path);
    }
    HRESULT LoadBytes(TestControl& who, const Bytes& bytes, const std::string& name = "p.pnd") {
        WriteFile(dir.File(name), bytes);
        return static_cast<IVudivuVizezud&>(who).LoadProject(name.c_str(), dir.File(name).c_str());
    }
};

// The empty project as the format describes it, built independently.
Bytes EmptyProjectBytes() {
    static const int32_t keys[16] = {60, 62, 64, 65, 67, 69, 71, 72,
                                     74, 76, 77, 79, 81, 83, 84, 86};
    Bytes comn, keym;
    for (uint32_t v : {1u, 0u, 0u, 16u}) riff::Put32(comn, v);
    riff::Put32(keym, 16);
    for (int i = 0; i < 16; ++i) {
        riff::Put32(keym, i);
        for (int k = 0; k < 12; ++k) keym.push_back(0);
        for (int32_t v : {keys[i], keys[i], keys[i], 0, 127})
            riff::Put32(keym, static_cast<uint32_t>(v));
        riff::Put32(keym, 0);
    }
    riff::RiffBuilder form;
    form.Chunk("comn", comn).Chunk("keym", keym);
    for (int i = 0; i < 16; ++i) {
        Bytes pdtr, pevt;
        riff::Put32(pdtr, i);
        for (int k = 0; k < 16; ++k) pdtr.push_back(0);                       // lengths
        for (uint32_t v : {0u, 0u, 0u, 0u, 1u, 0u, 0u}) riff::Put32(pdtr, v); // looping..follow key
        for (int32_t v : {-1, 0, -1}) riff::Put32(pdtr, static_cast<uint32_t>(v));
        riff::PutF32(pdtr, 1.0f);
        riff::PutF32(pdtr, 0.5f);
        riff::Put32(pevt, i);
        riff::Put32(pevt, 0);
        form.Chunk("pdtr", pdtr).Chunk("pevt", pevt);
    }
    return form.Form("pndl");
}

// Renders every grain of every pad on its own and concatenates the frames.
std::vector<float> RenderPads(TestControl& c) {
    CGrainRenderer r;
    EXPECT_EQ(r.Init(), S_OK);
    std::vector<float> out;
    const WAVEFORMATEX fmt = MakeFloatFormat(2, c.GetSynthContext()->GetSampleRate());
    for (int p = 0; p < kPadCount; ++p) {
        const CGrooveTrack& pad = *c.Pad(p);
        for (int g = 0; g < pad.GetSize(); ++g) {
            std::vector<float> buf(2 * 3000, 0.0f);
            r.RenderSegment(*pad.GetAt(g), 0, 0, 3000, 0, buf.data(), fmt, pad.m_fVolume,
                            pad.m_fPan, 2);
            out.insert(out.end(), buf.begin(), buf.end());
        }
    }
    return out;
}
} // namespace

TEST_F(Project, EmptyProjectHasTheExactLayoutAndReadsBack) {
    const Bytes bytes = Save(c, "empty.pnd");
    EXPECT_EQ(bytes, EmptyProjectBytes());
    TestControl other(&ctx);
    ASSERT_EQ(LoadBytes(other, bytes), S_OK);
    ExpectSameProject(c, other);
}

TEST_F(Project, SaveLoadSaveIsByteIdenticalAndSoundsTheSame) {
    BuildScene(c, dir);
    const Bytes first = Save(c, "a.pnd");
    TestControl other(&ctx);
    ASSERT_EQ(LoadBytes(other, first, "copy.pnd"), S_OK);
    ExpectSameProject(c, other);
    EXPECT_TRUE(other.m_bAnySolo);
    EXPECT_EQ(Save(other, "b.pnd"), first);
    const std::vector<float> a = RenderPads(c), b = RenderPads(other);
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(std::any_of(a.begin(), a.end(), [](float v) { return v != 0.0f; }));
    EXPECT_EQ(a, b);
    // The name with non-ASCII letters comes back whole.
    char name[260];
    static_cast<IVudivuVizezud&>(other).GetFileName(1, 0, name);
    EXPECT_STREQ(name, "Grüße.wav");
}

TEST_F(Project, TheExtensionIsAppendedUnlessPresent) {
    EXPECT_EQ(api.SaveProject("p", dir.File("plain").c_str()), S_OK);
    EXPECT_FALSE(ReadFile(dir.File("plain.pnd")).empty());
    EXPECT_EQ(api.SaveProject("P", dir.File("UPPER.PND").c_str()), S_OK);
    EXPECT_FALSE(ReadFile(dir.File("UPPER.PND")).empty());
    EXPECT_TRUE(ReadFile(dir.File("UPPER.PND.pnd")).empty());
    EXPECT_EQ(api.SaveProject("w", dir.File("take.wav").c_str()), S_OK);
    EXPECT_FALSE(ReadFile(dir.File("take.wav.pnd")).empty());
}

TEST_F(Project, CommonValuesAndTrackRecordsAreRangeChecked) {
    const Bytes good = EmptyProjectBytes();
    auto loads = [&](auto patch) {
        Bytes b = good;
        patch(b);
        TestControl other(&ctx);
        return LoadBytes(other, b);
    };
    EXPECT_EQ(loads([](Bytes& b) { Patch32(b, 32, 15); }), E_FAIL); // 15 pads
    EXPECT_EQ(loads([](Bytes& b) { Patch32(b, 20, 2); }), E_FAIL);  // version 2
    EXPECT_EQ(loads([](Bytes& b) { Patch32(b, 28, 17); }), E_FAIL); // 17 entries
    const size_t pdtr = FindChunk(good, "pdtr", 5);
    EXPECT_EQ(loads([&](Bytes& b) { Patch64(b, pdtr + 4, 12288001); }), E_FAIL);
    EXPECT_EQ(loads([&](Bytes& b) { Patch64(b, pdtr + 4, 12288000); }), S_OK);
    EXPECT_EQ(loads([&](Bytes& b) { Patch32(b, pdtr + 4 + 52, 16); }), E_FAIL);
    EXPECT_EQ(loads([&](Bytes& b) { Patch32(b, pdtr + 4 + 52, 0xFFFFFFFE); }), E_FAIL); // -2
    TestControl other(&ctx);
    Bytes b = good;
    Patch32(b, pdtr + 4 + 52, 15);
    ASSERT_EQ(LoadBytes(other, b), S_OK);
    EXPECT_EQ(other.Pad(5)->m_nMidiChannel, 15);
    EXPECT_EQ(other.Pad(4)->m_nMidiChannel, -1);
    const size_t keym = FindChunk(good, "keym");
    EXPECT_EQ(loads([&](Bytes& b) { Patch32(b, keym + 4 + 16, 0xFFFFFFFF); }),
              E_FAIL);                                                           // low key -1
    EXPECT_EQ(loads([&](Bytes& b) { Patch32(b, keym + 4 + 32, 128); }), E_FAIL); // high velocity
    EXPECT_EQ(loads([&](Bytes& b) { Patch32(b, keym + 4, 16); }), E_FAIL);       // pad 16
    EXPECT_EQ(loads([&](Bytes& b) { Patch32(b, keym, 17); }), E_FAIL);           // 17 records
    EXPECT_EQ(loads([&](Bytes& b) { b.resize(b.size() - 10); }), E_FAIL);        // cut short
    EXPECT_EQ(loads([&](Bytes& b) { b[8] = 'x'; }), E_FAIL);                     // not pndl
    // A low key above 127 would come back as the high key of an overwritten
    // entry, which no longer loads; a channel of 2^31 - 1 must not overflow.
    EXPECT_EQ(loads([&](Bytes& b) { Patch32(b, keym + 4 + 16, 200); }), E_FAIL);
    EXPECT_EQ(loads([&](Bytes& b) { Patch32(b, pdtr + 4 + 52, 0x7FFFFFFF); }), E_FAIL);
}

TEST_F(Project, AFileWithTheHostVersionTextLoadsWhenItsNameHasNoDot) {
    const Bytes form = Save(c, "e.pnd");
    Bytes raw;
    for (char ch : std::string("00000000000 ")) {
        raw.push_back(static_cast<uint8_t>(ch));
        raw.push_back(0);
    }
    raw.insert(raw.end(), form.begin(), form.end());
    TestControl other(&ctx);
    EXPECT_EQ(LoadBytes(other, raw, "hoststate"), S_OK);
    EXPECT_EQ(LoadBytes(other, form, "plainform"), S_OK);
    EXPECT_EQ(LoadBytes(other, raw, "dotted.state"), E_FAIL);
}

TEST_F(Project, OddNamesArePaddedAndTextIsStoredByByteLength) {
    BuildScene(c, dir);
    const Bytes b = Save(c, "odd.pnd");
    // Entry 1: "Grüße.wav" is 11 bytes in UTF-8 (9 characters).
    const size_t lbtr = FindChunk(b, "lbtr", 1);
    ASSERT_NE(lbtr, 0u);
    const uint32_t nameLen = b[lbtr + 68] | (b[lbtr + 69] << 8);
    EXPECT_EQ(nameLen, 11u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[lbtr + 72]), nameLen), "Grüße.wav");
    const std::string path = ScenePlainPath(dir);
    const uint32_t size = b[lbtr - 4] | (b[lbtr - 3] << 8);
    EXPECT_EQ(size, 4 + 64 + 4 + 11 + 4 + path.size());
    ASSERT_EQ(size % 2, 1u);
    EXPECT_EQ(b[lbtr + size], 0); // the pad byte
    EXPECT_EQ(std::memcmp(&b[lbtr + size + (size & 1)], "RIFF", 4), 0);
}

TEST_F(Project, LoadingAtTwiceTheRateDoublesSamplePositionsAndKeepsTicks) {
    BuildScene(c, dir);
    const Bytes saved = Save(c, "44k.pnd");
    FakeSynthContext fast(88200);
    TestControl other(&fast);
    ASSERT_EQ(LoadBytes(other, saved), S_OK);
    ASSERT_EQ(other.BinCount(), 2);
    EXPECT_EQ(other.BinEntry(0)->m_pWave->m_nFrames, 16000);
    EXPECT_EQ(other.BinEntry(0)->m_nLenSamples, 16000);
    EXPECT_DOUBLE_EQ(other.BinEntry(0)->m_dTempo, c.BinEntry(0)->m_dTempo);
    for (int p = 0; p < kPadCount; ++p) {
        const CGrooveTrack &a = *c.Pad(p), &b = *other.Pad(p);
        ASSERT_EQ(a.GetSize(), b.GetSize());
        EXPECT_EQ(b.m_nLenSamples, 2 * a.m_nLenSamples);
        EXPECT_EQ(b.m_nLenTicks, a.m_nLenTicks);
        for (int g = 0; g < a.GetSize(); ++g) {
            const CGrooveEvent &x = *a.GetAt(g), &y = *b.GetAt(g);
            EXPECT_EQ(y.m_nStartSamples, 2 * x.m_nStartSamples);
            EXPECT_EQ(y.m_nLenSamples, 2 * x.m_nLenSamples);
            EXPECT_EQ(y.m_nSrcStart, 2 * x.m_nSrcStart);
            EXPECT_EQ(y.m_nTailSamples, 4 * x.m_nLenSamples);
            EXPECT_EQ(y.m_nStartTicks, x.m_nStartTicks);
            EXPECT_EQ(y.m_nLenTicks, x.m_nLenTicks);
            EXPECT_EQ(y.m_wfx.nSamplesPerSec, 88200u);
        }
    }
    // What was loaded at the new rate saves and loads again.
    const Bytes resaved = Save(other, "88k.pnd");
    TestControl third(&fast);
    ASSERT_EQ(LoadBytes(third, resaved, "again.pnd"), S_OK);
    ExpectSameProject(other, third);
}

TEST_F(Project, LoadingAtHalfTheRateKeepsGrainsFromTheWholeWave) {
    FakeSynthContext fast(88200);
    TestControl hi(&fast);
    BuildScene(hi, dir, 88200);
    const Bytes saved = Save(hi, "88k.pnd");
    TestControl lo(&ctx);
    ASSERT_EQ(LoadBytes(lo, saved), S_OK);
    for (int p = 0; p < kPadCount; ++p) ASSERT_EQ(lo.Pad(p)->GetSize(), hi.Pad(p)->GetSize()) << p;
    const CGrooveEvent& last = *lo.Pad(0)->GetAt(3); // the loop's last slice
    EXPECT_EQ(last.m_nSrcStart, 3000);
    EXPECT_EQ(last.m_nLenSamples, 1000);
}

TEST_F(Project, GrainRecordsAreCheckedAgainstTheirWave) {
    BuildScene(c, dir);
    const Bytes good = Save(c, "g.pnd");
    const size_t lbte = FindChunk(good, "lbte", 0);
    const size_t pevt = FindChunk(good, "pevt", 1); // pad 1: a grain of each entry
    auto load = [&](auto patch, TestControl* pInto = nullptr) {
        Bytes b = good;
        patch(b);
        TestControl other(&ctx);
        const HRESULT hr = LoadBytes(pInto != nullptr ? *pInto : other, b);
        return hr;
    };
    const size_t slice0 = lbte + 8 + 4; // first grain record
    EXPECT_EQ(load([&](Bytes& b) { Patch64(b, slice0 + 96, 8000); }),
              E_FAIL); // source start at the end
    EXPECT_EQ(load([&](Bytes& b) { Patch64(b, slice0 + 32, 8001); }),
              E_FAIL);                                                      // longer than the wave
    EXPECT_EQ(load([&](Bytes& b) { Patch32(b, slice0 + 0, 16); }), E_FAIL); // source index 16
    EXPECT_EQ(load([&](Bytes& b) { Patch64(b, slice0 + 8, 1ull << 63); }),
              E_FAIL);                                                            // negative ticks
    EXPECT_EQ(load([&](Bytes& b) { Patch32(b, lbte + 4, 0x7FFFFFFF); }), E_FAIL); // grain count
    EXPECT_EQ(load([&](Bytes& b) { Patch32(b, pevt + 4, 1000000); }), E_FAIL);
    // Pad grains beyond their source, or of a missing slice, are dropped.
    TestControl other(&ctx);
    Bytes b = good;
    const size_t g0 = pevt + 8 + 4, g1 = g0 + 116;
    Patch64(b, g0 + 96, 3001);
    Patch32(b, g1 + 4, 9);
    ASSERT_EQ(LoadBytes(other, b), S_OK);
    EXPECT_EQ(other.Pad(1)->GetSize(), 0);
    EXPECT_EQ(other.Pad(0)->GetSize(), 4);
}

TEST_F(Project, AFailedSaveKeepsTheOldFile) {
    BuildScene(c, dir);
    const Bytes before = Save(c, "keep.pnd");
    // An entry without sample data makes the writer fail halfway.
    CWaveMem* wave = c.BinEntry(1)->m_pWave;
    wave->AddRef();
    c.BinEntry(1)->SetWave(nullptr);
    EXPECT_EQ(api.SaveProject("keep.pnd", dir.File("keep.pnd").c_str()), E_FAIL);
    EXPECT_EQ(ReadFile(dir.File("keep.pnd")), before);
    c.BinEntry(1)->SetWave(wave);
    wave->Release();
    for (const std::string& n : dir.Names()) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
    EXPECT_EQ(api.SaveProject("x", dir.File("no/such/folder/x.pnd").c_str()), E_FAIL);
}

TEST_F(Project, AFailedLoadKeepsTheProject) {
    BuildScene(c, dir);
    const Bytes good = Save(c, "s.pnd");
    TestControl copy(&ctx);
    ASSERT_EQ(LoadBytes(copy, good), S_OK);
    EXPECT_EQ(api.LoadProject("gone.pnd", dir.File("gone.pnd").c_str()), E_FAIL);
    Bytes cut = good;
    cut.resize(cut.size() - 200);
    EXPECT_EQ(LoadBytes(c, cut, "cut.pnd"), E_FAIL);
    ExpectSameProject(copy, c);
    EXPECT_TRUE(c.m_bAnySolo);
}

TEST_F(Project, LoadingReportsAnOutputFormatItHadToCorrect) {
    const Bytes bytes = Save(c, "e.pnd");
    struct Unformatted : TestControl {
        explicit Unformatted(CDXiSynthContext* p) : CDXi(p), TestControl(p) {
            SetOutputFormatRecord(WAVEFORMATEX{});
        }
    } fresh(&ctx);
    EXPECT_EQ(LoadBytes(fresh, bytes), S_FALSE);
    EXPECT_EQ(fresh.GetOutputFormat()->wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
    EXPECT_EQ(LoadBytes(fresh, bytes), S_OK);
}

TEST_F(Project, GrainTailsAreSharedAndBoundedBySampleData) {
    WriteFile(dir.File("p.wav"), PlainWave(3000));
    Load(c, dir.File("p.wav"));
    for (int i = 0; i < 60; ++i) api.AddGrain(0, 0, 2, i * kTicksPerBeat);
    for (int i = 0; i < 60; ++i) c.Pad(2)->GetAt(i)->m_nLenSamples = 1500;
    // Sixty grains of one source run share one tail.
    TestControl same(&ctx);
    ASSERT_EQ(LoadBytes(same, Save(c, "same.pnd")), S_OK);
    EXPECT_EQ(same.Pad(2)->GetAt(0)->m_pTail, same.Pad(2)->GetAt(59)->m_pTail);
    EXPECT_EQ(same.Pad(2)->GetAt(0)->m_nTailSamples, 3000);
    // Sixty different runs would need 60 x 3,000 tail frames from 3,000
    // frames of data: beyond what a file may ask for.
    for (int i = 0; i < 60; ++i) c.Pad(2)->GetAt(i)->m_nSrcStart = i;
    TestControl many(&ctx);
    EXPECT_EQ(LoadBytes(many, Save(c, "many.pnd")), E_FAIL);
}

TEST_F(Project, StoredSamplesAndLongPathsAreMadeSafe) {
    WriteFile(dir.File("p.wav"), PlainWave(3000));
    Load(c, dir.File("p.wav"));
    c.BinEntry(0)->m_strPath = std::wstring(200, L'\u00FC'); // 400 bytes of UTF-8
    Bytes b = Save(c, "long.pnd");
    const size_t lbtr = FindChunk(b, "lbtr");
    const uint32_t nameLen = b[lbtr + 68];
    const size_t pathAt = lbtr + 72 + nameLen;
    EXPECT_EQ(b[pathAt] | (b[pathAt + 1] << 8), 258); // cut before the character that does not fit
    const size_t wave = FindChunk(b, "RIFF");
    const size_t data = wave + 4 + 8 + 18 + 8;
    EXPECT_EQ(std::memcmp(&b[data - 8], "data", 4), 0);
    Patch32(b, data, 0x7FC00000);     // a NaN sample
    Patch32(b, data + 4, 0x7F7FFFFF); // the largest float: its conversion would overflow
    TestControl other(&ctx);
    ASSERT_EQ(LoadBytes(other, b), S_OK);
    EXPECT_EQ(other.BinEntry(0)->m_strPath, std::wstring(129, L'\u00FC'));
    EXPECT_EQ(other.BinEntry(0)->m_pWave->m_pData[0], 0.0f);
    EXPECT_EQ(other.BinEntry(0)->m_pWave->m_pData[1], 1.0e6f);
}

TEST_F(Project, ReplacingTheOnlyGrainKeepsThePadLength) {
    WriteFile(dir.File("a.wav"), SlicedLoop(44100, 4));
    Load(c, dir.File("a.wav"));
    api.AssignFileToPad(0, 0);
    for (int i = 0; i < 3; ++i) api.RemoveGrain(0, 1, 0);
    ASSERT_EQ(api.SetGrainSource(0, 0, 0, 2), S_OK);
    ASSERT_EQ(c.Pad(0)->GetSize(), 1);
    EXPECT_EQ(c.Pad(0)->GetAt(0)->m_nSliceIndex, 2);
    EXPECT_EQ(c.Pad(0)->GetAt(0)->m_nStartTicks, 0);
    EXPECT_EQ(c.Pad(0)->m_nLenSamples, 44100);
    EXPECT_EQ(api.SetGrainSource(0, 1, 0, 2), E_INVALIDARG);
    EXPECT_EQ(api.SetGrainSource(0, 0, 0, 4), E_INVALIDARG);
}

TEST_F(Project, AProjectLoadedAtAnUnevenRateSavesAndLoadsWhole) {
    BuildScene(c, dir);
    FakeSynthContext other48(48000);
    TestControl a(&other48), b(&other48);
    ASSERT_EQ(LoadBytes(a, Save(c, "44k.pnd")), S_OK);
    // Lengths rounded from the time line stay inside their source, so that
    // no grain is dropped when the copy is loaded again.
    for (int p = 0; p < kPadCount; ++p)
        for (int g = 0; g < a.Pad(p)->GetSize(); ++g) {
            const CGrooveEvent& x = *a.Pad(p)->GetAt(g);
            EXPECT_LE(x.m_nSrcStart + x.m_nLenSamples, x.m_pWave->m_nFrames);
        }
    ASSERT_EQ(LoadBytes(b, Save(a, "48k.pnd"), "again.pnd"), S_OK);
    ExpectSameProject(a, b);
}
