// Grain operations: placing a slice, moves and copies (deferred until
// committed), and the summaries the editor draws from.
#include "ControlTestSupport.h"
#include "platform/com/TaskMem.h"
#include "support/AllocCounter.h"
#include <algorithm>

using namespace fixture;

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
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.Pad(0)->GetAt(i)->m_nStartTicks, expected[i]);
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
    for (int i = 0; i < 3; ++i) api.RemoveGrain(0, 1, 0);
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
    EXPECT_GE(reinterpret_cast<const unsigned char*>(p[1].pPeaks),
              block + 4 * sizeof(GrainSummary));
    EXPECT_EQ(p[2].pPeaks, nullptr);
    EXPECT_EQ(p[3].nPeakCount, static_cast<DWORD>(544 - 408));
    // Clipped to the overview: the copy holds exactly the blocks that exist.
    EXPECT_TRUE(std::equal(w->m_pPeaks + 2 * 408 * 2, w->m_pPeaks + 2 * 544 * 2, p[3].pPeaks));
    CoTaskMemFree(p);
    ASSERT_EQ(api.GetFileSlices(0, &p, &n), S_OK);
    EXPECT_EQ(p[0].bUseTail, 0);
    CoTaskMemFree(p);
}
