// What a load or a clear takes out of the engine stays alive until the
// retired project goes (after the lock), and the tracks it emptied look
// cleared at once.
#include "files/RetiredProject.h"
#include <gtest/gtest.h>

namespace {
CGrooveEvent* GrainOn(CWaveMem* pWave) {
    auto* g = new CGrooveEvent();
    g->SetWave(pWave);
    g->m_nLenSamples = 100;
    return g;
}

TEST(RetiredProject, HoldsGrainsAndTracksUntilItGoes) {
    auto* pWave = new CWaveMem();
    ASSERT_EQ(pWave->Allocate(2, 44100, 100), S_OK);
    CGrooveTrack live(nullptr);
    live.AddGrainAtEnd(GrainOn(pWave));
    live.AddGrainAtEnd(GrainOn(pWave));
    live.m_nLenSamples = 100;
    live.m_nLenTicks = kTicksPerBeat;
    live.RecomputeTempo();
    auto* pOld = new CGrooveTrack(nullptr);
    pOld->SetWave(pWave);
    pOld->AddGrainAtEnd(GrainOn(pWave));
    {
        CRetiredProject retired;
        retired.TakeGrains(live);
        retired.Keep(pOld);
        retired.Keep(nullptr);
        // Emptied as Clear empties, but nothing freed yet.
        EXPECT_EQ(live.GetSize(), 0);
        EXPECT_EQ(live.m_nLenSamples, 0);
        EXPECT_EQ(live.m_nLenTicks, 0);
        EXPECT_EQ(live.m_dTempo, 100.0);
        EXPECT_EQ(pWave->m_nRefs, 5u);
        // The track goes on as an empty one.
        live.AddGrainAtEnd(GrainOn(pWave));
    }
    EXPECT_EQ(pWave->m_nRefs, 2u); // the creator and the new grain
    live.Clear();
    pWave->Release();
}

// Every holder used (16 pads and the audition pad, then more): a track
// beyond them is still cleared, its grains freed at once.
TEST(RetiredProject, TakesGrainsBeyondItsHoldersByFreeingThem) {
    auto* pWave = new CWaveMem();
    ASSERT_EQ(pWave->Allocate(1, 44100, 10), S_OK);
    CRetiredProject retired;
    for (int i = 0; i < kPadCount + 1; ++i) {
        CGrooveTrack t(nullptr);
        t.AddGrainAtEnd(GrainOn(pWave));
        retired.TakeGrains(t);
    }
    EXPECT_EQ(pWave->m_nRefs, 1u + kPadCount + 1);
    CGrooveTrack extra(nullptr);
    extra.AddGrainAtEnd(GrainOn(pWave));
    retired.TakeGrains(extra);
    EXPECT_EQ(extra.GetSize(), 0);
    EXPECT_EQ(pWave->m_nRefs, 1u + kPadCount + 1);
    pWave->Release();
}
} // namespace
