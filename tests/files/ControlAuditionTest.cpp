// Auditions and previews check their indices; key ranges are kept within the
// MIDI range; the grain-audition switch and the refresh request.
#include "ControlTestSupport.h"

using namespace fixture;

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
