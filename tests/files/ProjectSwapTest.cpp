// A load swaps a whole project in (nothing of the old one left reachable:
// pads, key map, audition pad, undo history) and a failed one swaps nothing;
// a save writes a copy of the project that leaves out grains marked for
// removal and leaves the engine's marks alone.
#include "ProjectScene.h"

using namespace fixture;

namespace {
HRESULT LoadFrom(IVudivuVizezud& api, const std::string& path) {
    return api.LoadProject("p.pnd", path.c_str());
}
} // namespace

TEST_F(Control, ALoadLeavesNothingOfTheOldProjectReachable) {
    BuildScene(c, dir);
    const std::string path = dir.File("scene.pnd");
    ASSERT_EQ(api.SaveProject("scene", path.c_str()), S_OK);
    ASSERT_EQ(api.SetClickAudition(1), S_OK);
    ASSERT_EQ(api.StartAudition(0, 1), S_OK);
    ASSERT_GT(c.AuditionPad().GetSize(), 0);
    ASSERT_EQ(api.Checkpoint(), S_OK);
    const CGrooveTrack* pOldPad = c.Pad(0);

    ASSERT_EQ(LoadFrom(api, path), S_OK);
    EXPECT_NE(c.Pad(0), pOldPad);
    EXPECT_EQ(c.AuditionPad().GetSize(), 0);
    EXPECT_EQ(api.Undo(), S_FALSE);
    // Every key-map entry plays the pad now in its slot.
    ASSERT_GT(c.KeyMap().GetCount(), 0);
    for (int i = 0; i < c.KeyMap().GetCount(); ++i) {
        const TrackKeyInfoImp& e = c.KeyMap().EntryAt(i);
        EXPECT_EQ(e.pTrack, c.Pad(static_cast<int>(e.nPad))) << "entry " << i;
    }
    TestControl direct(&ctx);
    ASSERT_EQ(LoadFrom(direct, path), S_OK);
    ExpectSameProject(direct, c);
}

TEST_F(Control, AFailedLoadKeepsTheUndoHistoryAndTheAudition) {
    BuildScene(c, dir);
    ASSERT_EQ(api.SetClickAudition(1), S_OK);
    ASSERT_EQ(api.StartAudition(0, 1), S_OK);
    const int nAuditioned = c.AuditionPad().GetSize();
    ASSERT_EQ(api.Checkpoint(), S_OK);
    WriteFile(dir.File("bad.pnd"), riff::Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'p', 'n', 'd', 'l'});
    EXPECT_EQ(LoadFrom(api, dir.File("bad.pnd")), E_FAIL);
    EXPECT_EQ(c.AuditionPad().GetSize(), nAuditioned);
    EXPECT_EQ(api.Undo(), S_OK);
}

TEST_F(Control, ASaveLeavesOutGrainsMarkedForRemovalAndKeepsTheMarks) {
    BuildScene(c, dir);
    const int nGrains = c.Pad(1)->GetSize();
    ASSERT_GE(nGrains, 2);
    ASSERT_EQ(api.RemoveGrain(1, 0, TRUE), S_OK);
    ASSERT_EQ(api.SaveProject("marked", dir.File("marked.pnd").c_str()), S_OK);
    EXPECT_EQ(c.Pad(1)->GetSize(), nGrains);
    EXPECT_TRUE(c.Pad(1)->GetAt(0)->m_bDeleteMark);
    // The save is what the project is once the removal is committed.
    ASSERT_EQ(api.CommitGrainEdits(), S_OK);
    ASSERT_EQ(api.SaveProject("committed", dir.File("committed.pnd").c_str()), S_OK);
    EXPECT_EQ(ReadFile(dir.File("marked.pnd")), ReadFile(dir.File("committed.pnd")));
}
