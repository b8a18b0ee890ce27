// Clearing the project restores every default.
#include "ControlTestSupport.h"

using namespace fixture;

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
