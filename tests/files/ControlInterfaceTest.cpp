// The control interface's operations against what their rules predict: slot
// order, argument checks, clamping setters, lenient getters, the Loop Bin
// (existing paths, a full bin, deleting with renumbering), grain moves and
// copies, summaries, and the dispatch slots.
#include "ControlTestSupport.h"
#include <algorithm>
#include "platform/com/Stream.h"
#include "platform/com/TaskMem.h"
#include "platform/com/TypeLib.h"
#include "platform/kernel/TextConvert.h"
#include "support/AllocCounter.h"

using namespace fixture;

namespace {
struct Control : ::testing::Test {
    FakeSynthContext ctx{44100};
    TestControl c{&ctx};
    IVudivuVizezud& api = c;
    TempDir dir;
};

// Slot of a virtual member under the Itanium ABI: (pointer - 1) / word size.
template <typename F> std::ptrdiff_t Slot(F f) {
    std::ptrdiff_t raw;
    static_assert(sizeof(f) >= sizeof(raw));
    std::memcpy(&raw, &f, sizeof(raw));
    return (raw - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}
} // namespace

TEST(ControlSlots, OperationsSitInTheirSlots) {
    EXPECT_EQ(Slot(&IVudivuVizezud::QueryInterface), 0);
    EXPECT_EQ(Slot(&IVudivuVizezud::Invoke), 6);
    EXPECT_EQ(Slot(&IVudivuVizezud::Checkpoint), 7);
    EXPECT_EQ(Slot(&IVudivuVizezud::LoadFileToBin), 20);
    EXPECT_EQ(Slot(&IVudivuVizezud::StopFilePreview), 25);
    EXPECT_EQ(Slot(&IVudivuVizezud::GetPadGrains), 36);
    EXPECT_EQ(Slot(&IVudivuVizezud::SetPadKeyRange), 45);
    EXPECT_EQ(Slot(&IVudivuVizezud::GetPadContentEnd), 59);
    EXPECT_EQ(Slot(&IVudivuVizezud::SetPadLatch), 75);
}

TEST_F(Control, SettersClampAndCheckTheirPad) {
    float f = 0;
    EXPECT_EQ(api.SetPadVolume(3, 3.5f), S_OK);
    EXPECT_EQ(api.GetPadVolume(3, &f), S_OK);
    EXPECT_EQ(f, 2.0f);
    api.SetPadVolume(3, -1.0f);
    api.GetPadVolume(3, &f);
    EXPECT_EQ(f, 0.0f);
    api.SetPadPan(3, 1.5f);
    api.GetPadPan(3, &f);
    EXPECT_EQ(f, 1.0f);
    LONG n = 0;
    api.SetPadMidiChannel(2, 20);
    api.GetPadMidiChannel(2, &n);
    EXPECT_EQ(n, 15);
    api.SetPadMidiChannel(2, -5);
    api.GetPadMidiChannel(2, &n);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(api.SetPadOutput(1, 17), E_INVALIDARG);
    EXPECT_EQ(api.SetPadOutput(1, 16), S_OK);
    api.GetPadOutput(1, &n);
    EXPECT_EQ(n, 16);
    api.SetPadRoot(4, 60);
    api.SetPadRoot(4, 128); // ignored
    api.GetPadRoot(4, &n);
    EXPECT_EQ(n, 60);
    EXPECT_EQ(api.SetPadVolume(16, 1.0f), E_INVALIDARG);
    EXPECT_EQ(api.GetPadMute(-1, reinterpret_cast<BOOL*>(&n)), E_INVALIDARG);
    EXPECT_EQ(api.GetPadMute(0, nullptr), E_POINTER);
    EXPECT_EQ(api.GetPadLatch(20, nullptr), E_POINTER); // the pointer is checked first
}

TEST_F(Control, LooseGettersIgnoreABadPadButStillSucceed) {
    BOOL b = 7;
    EXPECT_EQ(api.GetPadLooping(20, &b), S_OK);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(api.SetPadSynced(-3, 1), S_OK);
    EXPECT_EQ(api.GetPadLatchMode(0, nullptr), E_POINTER);
    EXPECT_EQ(api.SetPadLatchMode(5, 0), S_OK);
    EXPECT_EQ(api.GetPadLatch(5, &b), S_OK);
    EXPECT_EQ(b, 0);
}

TEST_F(Control, RefreshRequestIsTakenOnce) {
    LONG v = -1;
    api.RequestRefresh(2);
    EXPECT_EQ(api.TakeRefreshRequest(&v), S_OK);
    EXPECT_EQ(v, 2);
    api.TakeRefreshRequest(&v);
    EXPECT_EQ(v, 0);
}

TEST_F(Control, KeyRangesAreStoredWithinTheMidiRange) {
    PadKeyRange r{3, -4, 200, 300, -1, 999};
    EXPECT_EQ(api.SetPadKeyRange(&r), S_OK);
    PadKeyRange out{3, 0, 0, 0, 0, 0};
    EXPECT_EQ(api.GetPadKeyRange(&out), S_OK);
    EXPECT_EQ(out.nLowKey, 0);
    EXPECT_EQ(out.nHighKey, 127);
    EXPECT_EQ(out.nRootKey, 127);
    EXPECT_EQ(out.nLowVelocity, 0);
    EXPECT_EQ(out.nHighVelocity, 127);
    PadKeyRange bad{16, 0, 0, 0, 0, 0};
    EXPECT_EQ(api.SetPadKeyRange(&bad), E_INVALIDARG);
    EXPECT_EQ(api.GetPadKeyRange(nullptr), E_POINTER);
}

TEST_F(Control, EmptyPadGrainsAllocateNothing) {
    auto* sentinel = reinterpret_cast<GrainSummary*>(0x1234);
    GrainSummary* p = sentinel;
    LONG n = -1;
    ScopedAllocCount count;
    EXPECT_EQ(api.GetPadGrains(0, &p, &n), S_OK);
    EXPECT_EQ(count.Stop(), 0u);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(p, sentinel);
    EXPECT_EQ(api.GetPadGrains(16, &p, &n), S_FALSE);
    EXPECT_EQ(api.GetFileSlices(0, &p, &n), S_FALSE);
}

TEST_F(Control, LoadingFilesFindsExistingPathsAndStopsAtSixteen) {
    const std::string path = dir.File("loop.wav");
    WriteFile(path, SlicedLoop());
    EXPECT_EQ(Load(c, path), 0);
    LONG count = 0;
    api.GetFileCount(&count);
    EXPECT_EQ(count, 1);
    // The same path again is found, not read: the file may be gone by now.
    std::remove(path.c_str());
    LONG index = 5, status = 9;
    EXPECT_EQ(api.LoadFileToBin("loop.wav", path.c_str(), &index, &status), S_OK);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(api.LoadFileToBin("x.wav", dir.File("missing.wav").c_str(), &index, &status),
              E_INVALIDARG);
    for (int i = 1; i < 16; ++i) {
        const std::string p = dir.File("f" + std::to_string(i) + ".wav");
        WriteFile(p, PlainWave(100 + i));
        EXPECT_EQ(Load(c, p), i);
    }
    const std::string extra = dir.File("extra.wav");
    WriteFile(extra, PlainWave(50));
    index = -1;
    EXPECT_EQ(api.LoadFileToBin("extra.wav", extra.c_str(), &index, &status), S_FALSE);
    EXPECT_EQ(status, kLoadStatusBinFull);
    api.GetFileCount(&count);
    EXPECT_EQ(count, 16);
    char name[260];
    api.GetFileName(15, 0, name);
    EXPECT_STREQ(name, "f15.wav");
    api.GetFileName(15, 1, name);
    EXPECT_EQ(name, dir.File("f15.wav"));
    std::strcpy(name, "untouched");
    EXPECT_EQ(api.GetFileName(16, 0, name), S_OK);
    EXPECT_STREQ(name, "untouched");
}

TEST_F(Control, FileToPadLaysTheSlicesOnThePad) {
    const std::string path = dir.File("loop.wav");
    WriteFile(path, SlicedLoop(4000, 4));
    LONG index = -1, status = 0;
    EXPECT_EQ(api.LoadFileToPad(16, "loop.wav", path.c_str(), &index, &status), E_INVALIDARG);
    EXPECT_EQ(api.LoadFileToPad(2, "loop.wav", path.c_str(), &index, &status), S_OK);
    LONG grains = 0;
    api.GetPadGrainCount(kKindPad, 2, &grains);
    EXPECT_EQ(grains, 4);
    BOOL b = 0;
    api.GetPadLooping(2, &b);
    EXPECT_TRUE(b);
    LONGLONG len = 0, entryLen = 0;
    api.GetPadLength(kKindPad, 2, &len);
    api.GetPadLength(kKindLoopBin, 0, &entryLen);
    EXPECT_EQ(len, 4 * kTicksPerBeat);
    EXPECT_EQ(len, entryLen);
    EXPECT_EQ(api.GetPadLength(kKindLoopBin, 1, &len), E_INVALIDARG);
    EXPECT_EQ(api.GetPadLength(2, 0, &len), E_INVALIDARG);
    LONGLONG end = 0;
    api.GetPadContentEnd(2, &end);
    EXPECT_EQ(end, 4 * kTicksPerBeat);
}

TEST_F(Control, PadLengthInSamplesFollowsThePadTempo) {
    WriteFile(dir.File("a.wav"), SlicedLoop(44100, 4)); // 4 beats in one second: 240 BPM
    Load(c, dir.File("a.wav"));
    api.AssignFileToPad(0, 0);
    EXPECT_NEAR(c.Pad(0)->m_dTempo, 240.0, 1e-9);
    EXPECT_EQ(api.SetPadLength(kKindPad, 0, 2 * kTicksPerBeat), S_OK);
    EXPECT_EQ(c.Pad(0)->m_nLenSamples, 22050); // 2 beats at 240 BPM
    EXPECT_EQ(api.SetPadLength(kKindPad, 16, 1), E_INVALIDARG);
}

TEST_F(Control, DeletingAnEntryRemovesItsGrainsAndRenumbersTheRest) {
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    WriteFile(dir.File("b.wav"), SlicedLoop(2000, 2));
    Load(c, dir.File("a.wav"));
    Load(c, dir.File("b.wav"));
    api.AddGrain(0, 0, 0, 0);
    api.AddGrain(1, 1, 0, kTicksPerBeat);
    api.AddGrain(0, 2, 0, 2 * kTicksPerBeat);
    EXPECT_EQ(api.DeleteFile(5), S_FALSE);
    EXPECT_EQ(api.DeleteFile(0), S_OK);
    ASSERT_EQ(c.Pad(0)->GetSize(), 1);
    LONG entry = -1, slice = -1;
    api.GetGrainSource(0, 0, &entry, &slice);
    EXPECT_EQ(entry, 0);
    EXPECT_EQ(slice, 1);
    EXPECT_EQ(c.BinEntry(0)->GetAt(0)->m_nSourceIndex, 0);
    EXPECT_EQ(api.GetGrainSource(0, 1, &entry, &slice), E_INVALIDARG);
}

TEST_F(Control, AGrainAddedWithoutAStartKeepsItsSliceStart) {
    // A negative start places the grain where the slice sits in its file; the
    // growth check and the stored start must agree on that place.
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    Load(c, dir.File("a.wav"));
    const LONGLONG sliceStart = c.BinEntry(0)->GetAt(2)->m_nStartTicks;
    ASSERT_GT(sliceStart, 0);
    EXPECT_EQ(api.AddGrain(0, 2, 0, -1), S_OK);
    ASSERT_EQ(c.Pad(0)->GetSize(), 1);
    EXPECT_EQ(c.Pad(0)->GetAt(0)->m_nStartTicks, sliceStart);
    EXPECT_GE(c.Pad(0)->m_nLenTicks, sliceStart + c.Pad(0)->GetAt(0)->m_nLenTicks);
}

TEST_F(Control, InsertingAnEntryKeepsPadsOnTheirFiles) {
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    WriteFile(dir.File("b.wav"), SlicedLoop(2000, 2));
    Load(c, dir.File("a.wav"));
    api.AddGrain(0, 1, 3, 0);
    const CWaveMem* wave = c.BinEntry(0)->m_pWave;
    LONG index = 0, status = 0; // insert before entry 0
    EXPECT_EQ(api.LoadFileToBin("b.wav", dir.File("b.wav").c_str(), &index, &status), S_OK);
    EXPECT_EQ(index, 0);
    const CGrooveEvent* g = c.Pad(3)->GetAt(0);
    EXPECT_EQ(g->m_nSourceIndex, 1);
    EXPECT_EQ(c.BinEntry(1)->m_pWave, wave);
    EXPECT_EQ(c.BinEntry(1)->GetAt(0)->m_nSourceIndex, 1);
    EXPECT_EQ(c.BinEntry(0)->GetAt(0)->m_nSourceIndex, 0);
}

TEST_F(Control, MovesAndCopiesAppendUntilCommitted) {
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    Load(c, dir.File("a.wav"));
    api.AssignFileToPad(0, 0); // slices at beats 0, 1, 2, 3
    LONG out = 5;
    // Deferred move of grain 0 to beat 3.5 on the same pad: appended, marked.
    EXPECT_EQ(api.MoveGrain(0, 0, 0, 3 * kTicksPerBeat + kTicksPerBeat / 2, &out, 1), S_OK);
    EXPECT_EQ(out, -1);
    EXPECT_EQ(c.Pad(0)->GetSize(), 5);
    EXPECT_TRUE(c.Pad(0)->GetAt(0)->m_bDeleteMark);
    EXPECT_FALSE(c.Pad(0)->GetAt(4)->m_bDeleteMark);
    // Copy grain 1 to the empty pad 5 at its own start: pad 5 takes pad 0's shape.
    EXPECT_EQ(api.CopyGrain(0, 1, 5, -1, nullptr), S_OK);
    EXPECT_EQ(c.Pad(5)->GetAt(0)->m_nStartTicks, kTicksPerBeat);
    EXPECT_EQ(c.Pad(5)->m_nLenTicks, c.Pad(0)->m_nLenTicks);
    EXPECT_EQ(c.Pad(5)->m_bSyncedPlayback, 1);
    EXPECT_EQ(api.CommitGrainEdits(), S_OK);
    ASSERT_EQ(c.Pad(0)->GetSize(), 4);
    const LONGLONG expected[4] = {kTicksPerBeat, 2 * kTicksPerBeat, 3 * kTicksPerBeat,
                                  3 * kTicksPerBeat + kTicksPerBeat / 2};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(c.Pad(0)->GetAt(i)->m_nStartTicks, expected[i]);
    EXPECT_EQ(api.MoveGrain(0, 4, 1, 0, nullptr, 0), E_INVALIDARG);
    // An undeferred move to another pad removes the source at once.
    EXPECT_EQ(api.MoveGrain(0, 0, 1, 0, nullptr, 0), S_OK);
    EXPECT_EQ(c.Pad(0)->GetSize(), 3);
    EXPECT_EQ(c.Pad(1)->GetSize(), 1);
}

TEST_F(Control, MovingTheOnlyGrainKeepsTheSourceShape) {
    WriteFile(dir.File("a.wav"), SlicedLoop(44100, 4));
    Load(c, dir.File("a.wav"));
    api.AssignFileToPad(0, 0); // 4 beats in 44,100 samples: 240 BPM
    for (int i = 0; i < 3; ++i)
        api.RemoveGrain(0, 1, 0);
    api.MoveGrain(0, 0, 1, -1, nullptr, 0);
    EXPECT_EQ(c.Pad(0)->GetSize(), 0);
    EXPECT_EQ(c.Pad(1)->m_nLenTicks, 4 * kTicksPerBeat);
    EXPECT_EQ(c.Pad(1)->m_nLenSamples, 44100);
    EXPECT_NEAR(c.Pad(1)->m_dTempo, 240.0, 1e-9);
}

TEST_F(Control, SummariesDescribeGrainsWithinTheOverview) {
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    Load(c, dir.File("a.wav"));
    api.AssignFileToPad(0, 0);
    api.SetPadTails(0, 1);
    api.SetGrainPitch(0, 1, -3);
    api.SetGrainGain(0, 1, 0.25f);
    // A stored overview position past the end is not handed to the editor.
    c.Pad(0)->GetAt(3)->m_nPeakCount = 10000;
    c.Pad(0)->GetAt(2)->m_nPeakFirst = 544;
    GrainSummary* p = nullptr;
    LONG n = 0;
    ASSERT_EQ(api.GetPadGrains(0, &p, &n), S_OK);
    ASSERT_EQ(n, 4);
    const CWaveMem* w = c.BinEntry(0)->m_pWave;
    EXPECT_EQ(p[1].nStartTicks, kTicksPerBeat);
    EXPECT_EQ(p[1].nEndTicks, 2 * kTicksPerBeat);
    EXPECT_EQ(p[1].nTranspose, -3);
    EXPECT_EQ(p[1].fVolume, 0.25f);
    EXPECT_EQ(p[1].nChannels, 2u);
    EXPECT_EQ(p[1].bUseTail, 1);
    // Slice 1 starts at block 544 / 4; its peaks are a copy inside the block
    // returned, so a wave replaced meanwhile by another thread cannot pull
    // them away from the editor.
    ASSERT_EQ(p[1].nPeakCount, 136u);
    const float* peaks = w->m_pPeaks + 2 * 136 * 2;
    EXPECT_TRUE(std::equal(peaks, peaks + 136 * 2 * 2, p[1].pPeaks));
    const auto* block = reinterpret_cast<const unsigned char*>(p);
    EXPECT_GE(reinterpret_cast<const unsigned char*>(p[1].pPeaks), block + 4 * sizeof(GrainSummary));
    EXPECT_EQ(p[2].pPeaks, nullptr);
    EXPECT_EQ(p[3].nPeakCount, static_cast<DWORD>(544 - 408));
    // Clipped to the overview: the copy holds exactly the blocks that exist.
    EXPECT_TRUE(std::equal(w->m_pPeaks + 2 * 408 * 2, w->m_pPeaks + 2 * 544 * 2, p[3].pPeaks));
    CoTaskMemFree(p);
    ASSERT_EQ(api.GetFileSlices(0, &p, &n), S_OK);
    EXPECT_EQ(p[0].bUseTail, 0);
    CoTaskMemFree(p);
}

TEST_F(Control, SoloRecomputesTheAnySoloFlag) {
    api.SetPadSolo(4, 1);
    EXPECT_TRUE(c.m_bAnySolo);
    api.SetPadSolo(4, 0);
    EXPECT_FALSE(c.m_bAnySolo);
    api.SetPadSolo(4, 1);
    api.ClearProject();
    EXPECT_FALSE(c.m_bAnySolo);
}

namespace {
struct FakeTypeInfo : ITypeInfo {
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetIDsOfNames(LPOLESTR*, UINT, MEMBERID* p) override {
        *p = 42;
        return S_OK;
    }
    HRESULT Invoke(void* pv, MEMBERID id, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        instance = pv;
        member = id;
        return S_OK;
    }
    ULONG refs = 1;
    void* instance = nullptr;
    MEMBERID member = 0;
};
struct FakeTypeLib : ITypeLib {
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetTypeInfoOfGuid(REFGUID g, ITypeInfo** pp) override {
        if (g != IID_IVudivuVizezud) return TYPE_E_ELEMENTNOTFOUND;
        info.AddRef();
        *pp = &info;
        return S_OK;
    }
    HRESULT GetLibAttr(TLIBATTR* a) override {
        *a = TLIBATTR{};
        a->guid = LIBID_Pandrel;
        a->wMajorVerNum = 1;
        return S_OK;
    }
    ULONG refs = 1;
    FakeTypeInfo info;
};
} // namespace

// One test, because the type information is kept once it has been found.
TEST_F(Control, DispatchAnswersFromTheRegisteredTypeLibraryOnly) {
    UINT n = 9;
    ITypeInfo* pInfo = nullptr;
    LPOLESTR names[1] = {nullptr};
    DISPID id = 0;
    EXPECT_EQ(api.GetTypeInfoCount(&n), S_OK);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(api.GetTypeInfo(0, 0, &pInfo), E_NOTIMPL);
    EXPECT_EQ(api.GetIDsOfNames(GUID_NULL, names, 1, 0, &id), E_NOTIMPL);
    EXPECT_EQ(api.Invoke(1, GUID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              E_NOTIMPL);
    EXPECT_EQ(api.Invoke(1, IID_IStream, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    static FakeTypeLib lib; // outlives the cached type information
    ASSERT_EQ(RegisterTypeLib(&lib, nullptr, nullptr), S_OK);
    EXPECT_EQ(api.GetTypeInfoCount(&n), S_OK);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(api.GetTypeInfo(1, 0, &pInfo), E_INVALIDARG);
    ASSERT_EQ(api.GetTypeInfo(0, 0, &pInfo), S_OK);
    EXPECT_EQ(pInfo, &lib.info);
    pInfo->Release();
    EXPECT_EQ(api.GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 42);
    EXPECT_EQ(api.Invoke(7, GUID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(lib.info.member, 7);
    EXPECT_EQ(lib.info.instance, static_cast<void*>(&api));
    EXPECT_EQ(UnRegisterTypeLib(LIBID_Pandrel, 1, 0, 0, SYS_WIN64), S_OK);
    EXPECT_EQ(UnRegisterTypeLib(LIBID_Pandrel, 1, 0, 0, SYS_WIN64), TYPE_E_LIBNOTREGISTERED);
}

TEST_F(Control, AuditionRequestsCheckTheirIndices) {
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    Load(c, dir.File("a.wav"));
    api.AssignFileToPad(0, 0);
    EXPECT_EQ(api.StartAudition(16, -1), E_INVALIDARG);
    EXPECT_EQ(api.StartAudition(0, -1), S_OK);
    EXPECT_EQ(api.StopAudition(-1), S_OK);
    EXPECT_EQ(api.StopAudition(17), E_INVALIDARG);
    EXPECT_EQ(api.StartFilePreview(16, -1), E_INVALIDARG);
    EXPECT_EQ(api.StartFilePreview(0, -1), S_OK);
    BOOL b = 5;
    EXPECT_EQ(api.GetFilePreviewActive(1, &b), E_INVALIDARG);
    EXPECT_EQ(api.GetFilePreviewActive(0, nullptr), E_POINTER);
    EXPECT_EQ(api.GetPadActive(16, &b), E_INVALIDARG);
    EXPECT_EQ(api.SetClickAudition(1), S_OK);
    EXPECT_EQ(api.GetClickAudition(&b), S_OK);
    EXPECT_EQ(b, 1);
}

TEST_F(Control, ClearProjectRestoresTheDefaults) {
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    Load(c, dir.File("a.wav"));
    api.AssignFileToPad(0, 0);
    api.SetPadMidiChannel(0, 3);
    PadKeyRange r{0, 1, 2, 3, 4, 5};
    api.SetPadKeyRange(&r);
    EXPECT_EQ(api.ClearProject(), S_OK);
    EXPECT_EQ(c.BinCount(), 0);
    EXPECT_EQ(c.Pad(0)->GetSize(), 0);
    EXPECT_EQ(c.Pad(0)->m_nMidiChannel, -1);
    EXPECT_FALSE(c.Pad(0)->m_bLooping);
    PadKeyRange out{0, 0, 0, 0, 0, 0};
    api.GetPadKeyRange(&out);
    EXPECT_EQ(out.nLowKey, 60);
    EXPECT_EQ(out.nHighVelocity, 127);
    EXPECT_EQ(c.KeyMap().GetCount(), 16);
}
