#include "engine/GrooveTrack.h"
#include "FakeSynthContext.h"
#include <gtest/gtest.h>

namespace {
CGrooveEvent* Grain(LONGLONG startTicks, LONGLONG lenTicks, LONGLONG lenSamples = 100) {
    auto* g = new CGrooveEvent();
    g->m_nStartTicks = startTicks;
    g->m_nLenTicks = lenTicks;
    g->m_nLenSamples = lenSamples;
    return g;
}

struct GrooveTrackTest : ::testing::Test {
    FakeSynthContext ctx{48000};
    CGrooveTrack pad{&ctx};
};
} // namespace

TEST_F(GrooveTrackTest, EmptyPadHasNoLengthAndTempo100) {
    EXPECT_EQ(pad.GetLength(kUnitTicks), 0);
    EXPECT_EQ(pad.GetLength(kUnitSamples), 0);
    EXPECT_DOUBLE_EQ(pad.m_dTempo, 100.0);
    pad.RecomputeTempo();
    EXPECT_DOUBLE_EQ(pad.m_dTempo, 100.0);
}

TEST_F(GrooveTrackTest, TempoIsDerivedFromBothLengths) {
    pad.m_nLenTicks = 4 * kTicksPerBeat;
    pad.m_nLenSamples = 96000; // 4 beats in 2 s
    pad.RecomputeTempo();
    EXPECT_DOUBLE_EQ(pad.m_dTempo, 120.0);
}

TEST_F(GrooveTrackTest, SortedInsertionPutsTiesBeforeExistingGrains) {
    pad.InsertGrainSorted(Grain(100, 10), false);
    pad.InsertGrainSorted(Grain(300, 10), false);
    CGrooveEvent* tie = Grain(100, 10);
    EXPECT_EQ(pad.InsertGrainSorted(tie, false), 0);
    EXPECT_EQ(pad.GetAt(0), tie);
    EXPECT_EQ(pad.InsertGrainSorted(Grain(200, 10), false), 2);
    EXPECT_EQ(pad.InsertGrainSorted(Grain(900, 10), false), 4);
    EXPECT_EQ(pad.GetAt(5), nullptr);
    EXPECT_EQ(pad.GetAt(-1), nullptr);
}

TEST_F(GrooveTrackTest, InsertionTakesThePadsTailSetting) {
    pad.SetTail(1);
    pad.InsertGrainSorted(Grain(0, 10), false);
    pad.AppendGrain(Grain(50, 10), false);
    EXPECT_TRUE(pad.GetAt(0)->m_bUseTail);
    EXPECT_TRUE(pad.GetAt(1)->m_bUseTail);
    pad.SetTail(0);
    EXPECT_FALSE(pad.GetAt(0)->m_bUseTail);
}

TEST_F(GrooveTrackTest, GrowingRoundsUpToWholeBeatsAtThePadsTempo) {
    pad.m_dTempo = 120.0;
    CGrooveEvent* g = Grain(kTicksPerBeat, kTicksPerBeat + 1);
    pad.AppendGrain(g, true);
    EXPECT_EQ(pad.m_nLenTicks, 3 * kTicksPerBeat); // end 2 beats + 1 tick -> 3 beats
    EXPECT_EQ(pad.m_nLenSamples, 72000);           // 3 beats at 120 BPM, 48 kHz
    EXPECT_EQ(g->m_nStartSamples, 24000);          // 1 of 3 beats
    // A grain that ends exactly on a beat does not add one.
    CGrooveTrack pad2(&ctx);
    pad2.m_dTempo = 120.0;
    pad2.AppendGrain(Grain(0, 2 * kTicksPerBeat), true);
    EXPECT_EQ(pad2.m_nLenTicks, 2 * kTicksPerBeat);
}

TEST_F(GrooveTrackTest, GrowingAPadWithoutTempoStaysFinite) {
    pad.m_nLenSamples = 10; // no ticks: the derived tempo would be 0
    pad.m_nLenTicks = 0;
    pad.RecomputeTempo();
    pad.AppendGrain(Grain(0, kTicksPerBeat), true);
    EXPECT_EQ(pad.m_nLenTicks, kTicksPerBeat);
    EXPECT_EQ(pad.m_nLenSamples, 28800); // one beat at the default 100 BPM
}

TEST_F(GrooveTrackTest, RemovingTheLastGrainResetsLengthsAndTempo) {
    pad.AppendGrain(Grain(0, kTicksPerBeat), true);
    pad.RecomputeTempo();
    EXPECT_TRUE(pad.RemoveGrain(0));
    EXPECT_EQ(pad.m_nLenTicks, 0);
    EXPECT_EQ(pad.m_nLenSamples, 0);
    EXPECT_DOUBLE_EQ(pad.m_dTempo, 100.0);
    EXPECT_FALSE(pad.RemoveGrain(0));
}

TEST_F(GrooveTrackTest, PurgeDeletesMarkedGrainsAndSorts) {
    for (LONGLONG t : {500, 100, 400, 200, 300}) pad.AddGrainAtEnd(Grain(t, 1));
    EXPECT_TRUE(pad.MarkGrain(2)); // 400
    EXPECT_TRUE(pad.MarkGrain(0)); // 500
    EXPECT_FALSE(pad.MarkGrain(7));
    pad.Purge();
    ASSERT_EQ(pad.GetSize(), 3);
    EXPECT_EQ(pad.GetAt(0)->m_nStartTicks, 100);
    EXPECT_EQ(pad.GetAt(1)->m_nStartTicks, 200);
    EXPECT_EQ(pad.GetAt(2)->m_nStartTicks, 300);
    for (int i = 0; i < 3; ++i) pad.MarkGrain(i);
    pad.m_nLenTicks = 5;
    pad.Purge();
    EXPECT_TRUE(pad.IsEmpty());
    EXPECT_EQ(pad.m_nLenTicks, 0);
}

TEST_F(GrooveTrackTest, CopyingAnEntrySharesWavesAndTakesItsSettings) {
    CGrooveTrack entry(&ctx);
    auto* wave = new CWaveMem();
    ASSERT_EQ(wave->Allocate(1, 48000, 100), S_OK);
    CGrooveEvent* g = Grain(0, kTicksPerBeat, 100);
    g->SetWave(wave);
    entry.AddGrainAtEnd(g);
    entry.m_nLenTicks = kTicksPerBeat;
    entry.m_nLenSamples = 24000;
    entry.m_bSyncedPlayback = 1;
    entry.m_bLooping = 0;
    entry.m_bFollowKey = 1;
    entry.m_nKey = 3;               // C, as the loader sets it for a loop rooted at C
    pad.AddGrainAtEnd(Grain(5, 5)); // replaced
    pad.CopyEntry(entry);
    ASSERT_EQ(pad.GetSize(), 1);
    EXPECT_NE(pad.GetAt(0), g);
    EXPECT_EQ(pad.GetAt(0)->m_pWave, wave);
    EXPECT_EQ(wave->m_nRefs, 3u); // creator, entry grain, pad grain
    EXPECT_DOUBLE_EQ(pad.m_dTempo, 120.0);
    EXPECT_TRUE(pad.m_bLooping); // follows synced playback, not the entry's looping
    EXPECT_TRUE(pad.m_bSyncedPlayback);
    EXPECT_TRUE(pad.m_bFollowKey);
    EXPECT_EQ(pad.m_nKey, 3);
    pad.Clear();
    EXPECT_EQ(wave->m_nRefs, 2u);
    wave->Release();
}

TEST_F(GrooveTrackTest, SnapshotIsADeepCopy) {
    pad.AddGrainAtEnd(Grain(7, 9));
    pad.m_fVolume = 1.5f;
    pad.m_nMidiChannel = 3;
    pad.m_strName = L"loop.wav";
    CGrooveTrack* snap = pad.Snapshot();
    ASSERT_NE(snap, nullptr);
    EXPECT_EQ(snap->GetSize(), 1);
    EXPECT_NE(snap->GetAt(0), pad.GetAt(0));
    EXPECT_EQ(snap->GetAt(0)->m_nStartTicks, 7);
    EXPECT_FLOAT_EQ(snap->m_fVolume, 1.5f);
    EXPECT_EQ(snap->m_nMidiChannel, 3);
    EXPECT_EQ(snap->m_strName, L"loop.wav");
    pad.Clear();
    EXPECT_EQ(snap->GetSize(), 1);
    delete snap;
}

TEST_F(GrooveTrackTest, KeyLengthAndSourceIndexSetters) {
    pad.SetKey(11);
    pad.SetKey(128);
    pad.SetKey(-2);
    EXPECT_EQ(pad.m_nKey, 11);
    pad.SetKey(-1);
    EXPECT_EQ(pad.m_nKey, -1);
    pad.SetLength(kUnitTicks, 42);
    pad.SetLength(kUnitTicks, -1);
    pad.SetLength(2, 99);
    EXPECT_EQ(pad.GetLength(kUnitTicks), 42);
    EXPECT_EQ(pad.GetLength(2), 0);
    pad.AddGrainAtEnd(Grain(0, 1));
    pad.SetSourceIndex(4);
    EXPECT_EQ(pad.GetAt(0)->m_nSourceIndex, 4);
}

TEST(GrooveEvent, UnitCodedAccessors) {
    CGrooveEvent g;
    g.SetStart(kUnitTicks, 3 << 16);
    g.SetStart(kUnitSamples, 250);
    g.SetStart(kUnitTicks, -5); // never stored
    g.SetStart(2, 77);          // unknown unit: ignored
    g.SetLength(kUnitSamples, 100);
    g.m_nTailSamples = 200;
    EXPECT_EQ(g.GetStart(kUnitMidiTicks), 3);
    EXPECT_EQ(g.GetStart(kUnitTicks), 3 << 16);
    EXPECT_EQ(g.GetStart(kUnitSamples), 250);
    EXPECT_EQ(g.GetStart(2), 0);
    EXPECT_EQ(g.GetEnd(kUnitSamples), 350);
    EXPECT_EQ(g.GetEnd(kUnitSamples, true), 350);
    g.m_bUseTail = 1;
    EXPECT_EQ(g.GetEnd(kUnitSamples), 350);
    EXPECT_EQ(g.GetEnd(kUnitSamples, true), 450);
}

TEST(GrooveEvent, CopiesHoldTheirOwnReferencesAndSourceStartIsClamped) {
    auto* wave = new CWaveMem();
    auto* tail = new CWaveMem();
    ASSERT_EQ(wave->Allocate(2, 44100, 10), S_OK);
    {
        CGrooveEvent g;
        g.SetWave(wave);
        g.SetTail(tail);
        g.SetSrcStart(25);
        EXPECT_EQ(g.m_nSrcStart, 10);
        g.SetSrcStart(-3);
        EXPECT_EQ(g.m_nSrcStart, 0);
        EXPECT_EQ(+g.m_wfx.nChannels, 2);
        CGrooveEvent copy(g);
        EXPECT_EQ(wave->m_nRefs, 3u);
        EXPECT_EQ(tail->m_nRefs, 3u);
    }
    EXPECT_EQ(wave->m_nRefs, 1u);
    EXPECT_EQ(tail->m_nRefs, 1u);
    wave->Release();
    tail->Release();
}
