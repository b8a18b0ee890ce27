// The undo history: nothing to undo at start-up, checkpoint / edit / undo /
// redo, the ring of 129 slots keeping the last 128 states, and snapshots that
// follow Loop Bin changes.
#include "ControlTestSupport.h"

using namespace fixture;

namespace {
struct Undo : ::testing::Test {
    FakeSynthContext ctx{44100};
    TestControl c{&ctx};
    IVudivuVizezud& api = c;
    TempDir dir;
};
} // namespace

TEST_F(Undo, CheckpointEditUndoRedo) {
    EXPECT_EQ(api.Undo(), S_FALSE);
    EXPECT_EQ(api.Redo(), S_FALSE);
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    Load(c, dir.File("a.wav"));
    api.AssignFileToPad(0, 0);
    api.SetPadVolume(0, 0.5f);
    EXPECT_EQ(api.Checkpoint(), S_OK);
    api.RemoveGrain(0, 0, 0);
    api.SetPadVolume(0, 1.5f);
    api.SetPadSolo(0, 1);
    EXPECT_EQ(api.Undo(), S_OK);
    EXPECT_EQ(c.Pad(0)->GetSize(), 4);
    EXPECT_EQ(c.Pad(0)->m_fVolume, 0.5f);
    EXPECT_FALSE(c.m_bAnySolo);
    // The key map plays the restored pad object.
    TrackKeyInfoImp e;
    ASSERT_EQ(c.KeyMap().GetEntry(0, &e), 1);
    EXPECT_EQ(e.pTrack, c.Pad(0));
    EXPECT_EQ(api.Undo(), S_FALSE);
    EXPECT_EQ(api.Redo(), S_OK);
    EXPECT_EQ(c.Pad(0)->GetSize(), 3);
    EXPECT_EQ(c.Pad(0)->m_fVolume, 1.5f);
    EXPECT_TRUE(c.m_bAnySolo);
    ASSERT_EQ(c.KeyMap().GetEntry(0, &e), 1);
    EXPECT_EQ(e.pTrack, c.Pad(0));
    EXPECT_EQ(api.Redo(), S_FALSE);
}

TEST_F(Undo, OneHundredThirtyCheckpointsKeepTheLast128) {
    // Checkpoint k records pad 2 with length k ticks.
    for (int k = 1; k <= 130; ++k) {
        c.Pad(2)->m_nLenTicks = k;
        ASSERT_EQ(api.Checkpoint(), S_OK);
    }
    c.Pad(2)->m_nLenTicks = 131;
    for (int k = 130; k >= 3; --k) {
        ASSERT_EQ(api.Undo(), S_OK) << k;
        EXPECT_EQ(c.Pad(2)->m_nLenTicks, k);
    }
    EXPECT_EQ(api.Undo(), S_FALSE);
    EXPECT_EQ(c.Pad(2)->m_nLenTicks, 3);
    for (int k = 4; k <= 131; ++k) {
        ASSERT_EQ(api.Redo(), S_OK);
        EXPECT_EQ(c.Pad(2)->m_nLenTicks, k);
    }
    EXPECT_EQ(api.Redo(), S_FALSE);
}

TEST_F(Undo, ClearingTheProjectEmptiesTheHistory) {
    api.Checkpoint();
    api.Checkpoint();
    api.ClearProject();
    EXPECT_EQ(api.Undo(), S_FALSE);
    for (auto& slot : c.m_apUndo)
        for (CGrooveTrack* p : slot) EXPECT_EQ(p, nullptr);
}

TEST_F(Undo, SnapshotsFollowDeletedAndInsertedEntries) {
    WriteFile(dir.File("a.wav"), SlicedLoop(4000, 4));
    WriteFile(dir.File("b.wav"), SlicedLoop(2000, 2));
    WriteFile(dir.File("c.wav"), SlicedLoop(3000, 3));
    Load(c, dir.File("a.wav"));
    Load(c, dir.File("b.wav"));
    api.AddGrain(0, 0, 0, 0);
    api.AddGrain(1, 1, 0, kTicksPerBeat);
    api.Checkpoint(); // the snapshot holds a grain of each entry
    api.DeleteFile(0);
    LONG index = 0, status = 0;
    ASSERT_EQ(api.LoadFileToBin("c.wav", dir.File("c.wav").c_str(), &index, &status), S_OK); // c, b
    api.SetPadMute(0, 1);
    ASSERT_EQ(api.Undo(), S_OK);
    // The restored pad lost the deleted entry's grain; b's grain names b's new place.
    ASSERT_EQ(c.Pad(0)->GetSize(), 1);
    EXPECT_EQ(c.Pad(0)->GetAt(0)->m_nSourceIndex, 1);
    EXPECT_EQ(c.Pad(0)->GetAt(0)->m_pWave, c.BinEntry(1)->m_pWave);
}
