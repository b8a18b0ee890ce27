// Pad settings: setters clamp or refuse, the lenient getters and setters
// ignore a pad outside the pads and still succeed, lengths follow the pad's
// tempo, and solo recomputes the any-solo flag.
#include "ControlTestSupport.h"

using namespace fixture;

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

TEST_F(Control, PadLengthInSamplesFollowsThePadTempo) {
    WriteFile(dir.File("a.wav"), SlicedLoop(44100, 4)); // 4 beats in one second: 240 BPM
    Load(c, dir.File("a.wav"));
    api.AssignFileToPad(0, 0);
    EXPECT_NEAR(c.Pad(0)->m_dTempo, 240.0, 1e-9);
    EXPECT_EQ(api.SetPadLength(kKindPad, 0, 2 * kTicksPerBeat), S_OK);
    EXPECT_EQ(c.Pad(0)->m_nLenSamples, 22050); // 2 beats at 240 BPM
    EXPECT_EQ(api.SetPadLength(kKindPad, 16, 1), E_INVALIDARG);
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
