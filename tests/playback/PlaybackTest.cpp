// Rendered output checked against what the playback rules predict: positions,
// fades, loops, one-shots, latching, gating, routing and transposition.
#include "PlaybackRig.h"
#include "support/AllocCounter.h"
#include <gtest/gtest.h>

namespace {
constexpr LONGLONG kBeat = 24000;  // samples per beat at 120 BPM, 48 kHz
constexpr LONGLONG kFadeIn = 48;   // 1 ms
constexpr LONGLONG kRelease = 960; // 20 ms

float Ramp(LONGLONG i, int c) { return static_cast<float>((i % 4801) / 4800.0 - 0.5 + 0.01 * c); }

struct PlaybackTest : ::testing::Test {
    // Pad `pad` as an unsynced pad of one DC grain of n samples.
    CGrooveTrack* DcPad(int pad, LONGLONG n, BOOL latch, BOOL looping, float value = 0.5f) {
        CWaveMem* w = MakeWave(2, 48000, n, [=](LONGLONG, int) { return value; });
        CGrooveTrack* p = rig.engine.Pad(pad);
        AddGrain(p, w, 0, n, 0, kTicksPerBeat, 0, 0);
        w->Release();
        p->m_nLenSamples = n;
        p->m_nLenTicks = kTicksPerBeat;
        p->m_bLatch = latch;
        p->m_bLooping = looping;
        return p;
    }
    // A synced one-bar loop of the Ramp wave, one slice per beat.
    CGrooveTrack* SyncedLoop(int pad) {
        CWaveMem* w = MakeWave(2, 48000, 4 * kBeat, Ramp);
        CGrooveTrack* p = rig.engine.Pad(pad);
        for (int k = 0; k < 4; ++k)
            AddGrain(p, w, k * kBeat, kBeat, k * kTicksPerBeat, kTicksPerBeat, k * kBeat, 1);
        w->Release();
        p->m_nLenSamples = 4 * kBeat;
        p->m_nLenTicks = 4 * kTicksPerBeat;
        p->m_bSyncedPlayback = 1;
        p->m_bLooping = 1;
        p->RecomputeTempo();
        return p;
    }
    PlaybackRig rig;
};
} // namespace

TEST_F(PlaybackTest, EveryTriggerStartsWithAOneMillisecondFadeIn) {
    DcPad(0, 48000, 1, 0);
    rig.NoteOn(60);
    rig.RenderFor(256);
    for (LONGLONG f = 0; f < 256; ++f) {
        const float expect = f < kFadeIn ? 0.5f * f / kFadeIn : 0.5f;
        EXPECT_NEAR(rig.At(0, f, 0), expect, 1e-6) << f;
        EXPECT_NEAR(rig.At(0, f, 1), expect, 1e-6) << f;
    }
}

TEST_F(PlaybackTest, DefaultKeyMapTriggersPadOneOnKey60Only) {
    DcPad(0, 4800, 1, 0);
    DcPad(1, 4800, 1, 0, 0.25f);
    rig.NoteOn(61);
    rig.RenderFor(512);
    for (LONGLONG f = 0; f < 512; ++f) ASSERT_EQ(rig.At(0, f), 0.0f);
    rig.NoteOn(60);
    rig.RenderFor(512);
    EXPECT_NEAR(rig.At(0, 700), 0.5f, 1e-6); // pad 1 only, not pad 2's 0.25 on top
}

TEST_F(PlaybackTest, SyncedLoopAtItsOwnTempoReproducesItsSlicesAndRepeats) {
    SyncedLoop(0);
    rig.NoteOn(60);
    rig.RenderFor(4 * kBeat + 5000);
    for (LONGLONG f = kFadeIn; f < 4 * kBeat + 5000; f += 7) {
        const LONGLONG src = f % (4 * kBeat);
        ASSERT_EQ(rig.At(0, f, 0), Ramp(src, 0)) << f;
        ASSERT_EQ(rig.At(0, f, 1), Ramp(src, 1)) << f;
    }
}

TEST_F(PlaybackTest, AtAnotherTempoEachSliceStartsAtItsConvertedTickPosition) {
    rig.ctx.m_tempo = 100.0; // one beat = 28,800 samples
    SyncedLoop(0);
    rig.NoteOn(60);
    rig.RenderFor(4 * 28800);
    // Stretching 24,000 frames to 28,800 keeps the first copy alone for the
    // first L - X = 12,000 frames of each slice.
    for (int k = 0; k < 4; ++k) {
        const LONGLONG at = rig.ctx.TicksToSamples(k * kTicksPerBeat);
        EXPECT_EQ(at, k * 28800);
        for (LONGLONG j = kFadeIn; j < 12000; j += 97)
            ASSERT_EQ(rig.At(0, at + j), Ramp(k * kBeat + j, 0)) << k;
    }
}

TEST_F(PlaybackTest, OneShotStopsAfterOnePassAndLoopRepeatsEveryPadLength) {
    DcPad(0, 1000, 1, 0);
    rig.NoteOn(60);
    rig.RenderFor(3000);
    EXPECT_NEAR(rig.At(0, 999), 0.5f, 1e-6);
    for (LONGLONG f = 1000; f < 3000; ++f) ASSERT_EQ(rig.At(0, f), 0.0f) << f;

    PlaybackRig loop;
    CWaveMem* w = MakeWave(2, 48000, 1000, [](LONGLONG i, int) { return i * 0.001f; });
    CGrooveTrack* p = loop.engine.Pad(0);
    AddGrain(p, w, 0, 1000, 0, kTicksPerBeat, 0, 0);
    w->Release();
    p->m_nLenSamples = 1000;
    p->m_bLooping = 1;
    loop.NoteOn(60);
    loop.RenderFor(3500);
    for (LONGLONG f = kFadeIn; f < 3500; f += 3)
        ASSERT_FLOAT_EQ(loop.At(0, f), (f % 1000) * 0.001f) << f;
}

TEST_F(PlaybackTest, SecondNoteStopsALatchedLoopWithATwentyMillisecondFade) {
    DcPad(0, 48000, 1, 1);
    rig.NoteOn(60);
    rig.RenderFor(1280);
    rig.NoteOff(60);
    rig.RenderFor(8960); // the pad keeps playing: it is latched
    EXPECT_NEAR(rig.At(0, 10000), 0.5f, 1e-6);
    const LONGLONG stopAt = rig.pos;
    rig.NoteOn(60);
    rig.RenderFor(128);
    rig.NoteOff(60);
    rig.RenderFor(4096);
    // The stop takes effect at the next buffer, then fades over 20 ms.
    const LONGLONG fadeStart = stopAt + 128;
    for (LONGLONG j = 0; j < kRelease; ++j)
        ASSERT_NEAR(rig.At(0, fadeStart + j), 0.5f * (kRelease - j) / kRelease, 1e-6) << j;
    for (LONGLONG f = fadeStart + kRelease; f < rig.Frames(); ++f)
        ASSERT_EQ(rig.At(0, f), 0.0f) << f;
    EXPECT_TRUE(rig.active.IsEmpty()); // both notes retired
}

TEST_F(PlaybackTest, GatedPadReleasedMidGrainFadesOverTwentyMilliseconds) {
    DcPad(0, 48000, 0, 0);
    rig.NoteOn(60);
    rig.RenderFor(1280);
    rig.NoteOff(60);
    rig.RenderFor(2048);
    for (LONGLONG j = 0; j < kRelease; ++j)
        ASSERT_NEAR(rig.At(0, 1280 + j), 0.5f * (kRelease - j) / kRelease, 1e-6) << j;
    for (LONGLONG f = 1280 + kRelease; f < rig.Frames(); ++f) ASSERT_EQ(rig.At(0, f), 0.0f) << f;
    EXPECT_TRUE(rig.active.IsEmpty());
}

TEST(PlaybackRelease, LastsTwentyMillisecondsAtTheOutputRate) {
    PlaybackRig rig(44100);
    CWaveMem* w = MakeWave(1, 44100, 44100, [](LONGLONG, int) { return 1.0f; });
    CGrooveTrack* p = rig.engine.Pad(0);
    AddGrain(p, w, 0, 44100, 0, kTicksPerBeat, 0, 0);
    w->Release();
    p->m_nLenSamples = 44100;
    p->m_bLatch = 0;
    rig.NoteOn(60);
    rig.RenderFor(1024, 256);
    rig.NoteOff(60);
    rig.RenderFor(1024, 256);
    EXPECT_GT(rig.At(0, 1024 + 881), 0.0f);
    EXPECT_EQ(rig.At(0, 1024 + 882), 0.0f);
    EXPECT_NEAR(rig.At(0, 1024 + 441), 0.5f, 1e-6); // mono into stereo, halfway down
}

TEST_F(PlaybackTest, ChannelOutputPlaysThereAndInTheMixOrInTheMixWhenAbsent) {
    CGrooveTrack* p = DcPad(0, 4800, 1, 0);
    p->m_nOutput = 3;
    rig.connected[3] = false;
    rig.NoteOn(60);
    rig.RenderFor(256);
    EXPECT_NEAR(rig.At(0, 200), 0.5f, 1e-6);

    PlaybackRig routed;
    CWaveMem* w = MakeWave(2, 48000, 4800, [](LONGLONG, int) { return 0.5f; });
    CGrooveTrack* q = routed.engine.Pad(0);
    AddGrain(q, w, 0, 4800, 0, kTicksPerBeat, 0, 0);
    w->Release();
    q->m_nLenSamples = 4800;
    q->m_nOutput = 3;
    routed.NoteOn(60);
    routed.RenderFor(256);
    EXPECT_NEAR(routed.At(3, 200), 0.5f, 1e-6);
    EXPECT_NEAR(routed.At(0, 200), 0.5f, 1e-6); // summed into the mix once
    EXPECT_EQ(routed.At(2, 200), 0.0f);
}

TEST_F(PlaybackTest, SyncedPadStartedWhileAnotherPlaysKeepsItsPhase) {
    SyncedLoop(0)->m_nOutput = 1;
    SyncedLoop(1)->m_nOutput = 2;
    rig.NoteOn(60);
    rig.RenderFor(10112);
    rig.NoteOn(62);
    const LONGLONG started = rig.pos;
    rig.RenderFor(3000);
    for (LONGLONG f = started + kFadeIn; f < started + 3000; f += 5)
        ASSERT_EQ(rig.At(2, f), rig.At(1, f)) << f; // both on the first pad's grid
    EXPECT_EQ(rig.At(2, started + 100), Ramp(started + 100, 0));
}

TEST_F(PlaybackTest, FollowKeyWrapsTheShiftIntoMinusSixToPlusFive) {
    CGrooveTrack* p = rig.engine.Pad(0);
    p->m_bFollowKey = 1;
    p->m_nKey = 0;
    const LONG expect[12] = {0, 1, 2, 3, 4, 5, -6, -5, -4, -3, -2, -1};
    for (DWORD k = 0; k < 12; ++k) {
        rig.engine.m_dwHostKey = k;
        EXPECT_EQ(rig.engine.KeyShift(*p), expect[k]) << k;
    }
    rig.engine.m_dwHostKey = 7 + 24;
    p->m_nKey = 24;
    EXPECT_EQ(rig.engine.KeyShift(*p), -5);
    rig.engine.m_dwHostKey = 0xFFFFFFFF;
    EXPECT_EQ(rig.engine.KeyShift(*p), 0);
    rig.engine.m_dwHostKey = 7;
    p->m_nKey = -1;
    EXPECT_EQ(rig.engine.KeyShift(*p), 0);
    p->m_nKey = 0;
    p->m_bFollowKey = 0;
    EXPECT_EQ(rig.engine.KeyShift(*p), 0);
}

TEST_F(PlaybackTest, MuteSilencesButKeepsThePadActiveAndSoloWins) {
    DcPad(0, 4800, 1, 0)->m_bMute = 1;
    DcPad(1, 4800, 1, 0, 0.25f);
    rig.NoteOn(60);
    rig.RenderFor(256);
    EXPECT_EQ(rig.At(0, 200), 0.0f);
    EXPECT_TRUE(rig.engine.IsPadActive(0));
    rig.engine.Pad(0)->m_bMute = 0;
    rig.engine.Pad(1)->m_bSolo = 1;
    rig.engine.UpdateAnySolo();
    rig.NoteOn(60);
    rig.NoteOn(62);
    rig.RenderFor(256);
    EXPECT_NEAR(rig.At(0, 500), 0.25f, 1e-6);
}

TEST_F(PlaybackTest, ExcessSegmentsInOneBufferAreDropped) {
    CWaveMem* w = MakeWave(2, 48000, 200, [](LONGLONG, int) { return 0.5f; });
    CGrooveTrack* p = rig.engine.Pad(0);
    for (int i = 0; i < 150; ++i) AddGrain(p, w, i, 1, 0, 1, i, 0);
    w->Release();
    p->m_nLenSamples = 150;
    rig.NoteOn(60);
    rig.Render(150);
    for (LONGLONG f = 1; f < 100; ++f) EXPECT_NE(rig.At(0, f), 0.0f) << f;
    for (LONGLONG f = 100; f < 150; ++f) EXPECT_EQ(rig.At(0, f), 0.0f) << f;
}

TEST_F(PlaybackTest, BufferLongerThanTheScratchBufferRendersCorrectly) {
    DcPad(0, 48000, 0, 1);
    rig.NoteOn(60);
    ASSERT_EQ(rig.Render(100000), S_OK);
    rig.NoteOff(60);
    ASSERT_EQ(rig.Render(100000), S_OK);
    for (LONGLONG f = kFadeIn; f < 100000; f += 11) ASSERT_NEAR(rig.At(0, f), 0.5f, 1e-6) << f;
    for (LONGLONG j = 0; j < kRelease; j += 7)
        ASSERT_NEAR(rig.At(0, 100000 + j), 0.5f * (kRelease - j) / kRelease, 1e-6) << j;
    EXPECT_EQ(rig.At(0, 100000 + kRelease + 5), 0.0f);
}

TEST_F(PlaybackTest, RenderingAllocatesNothing) {
    SyncedLoop(0);
    DcPad(1, 48000, 0, 1)->m_nOutput = 5;
    rig.engine.SetGrainAudition(1);
    rig.Reserve(40 * 128);
    rig.NoteOn(60);
    rig.NoteOn(62);
    rig.engine.StartAudition(0, -1);
    ScopedAllocCount count;
    rig.RenderFor(20 * 128);
    rig.NoteOff(62);
    rig.RenderFor(20 * 128);
    EXPECT_EQ(count.Stop(), 0u);
}

TEST_F(PlaybackTest, PadButtonStartsAndAGatedPadStopsOnRelease) {
    DcPad(3, 48000, 0, 1);
    EXPECT_EQ(rig.engine.StartAudition(3, -1), S_OK);
    rig.RenderFor(1024);
    EXPECT_NEAR(rig.At(0, 500), 0.5f, 1e-6);
    EXPECT_TRUE(rig.engine.IsPadActive(3));
    EXPECT_EQ(rig.engine.StopAudition(3), S_OK);
    rig.RenderFor(2048);
    EXPECT_NEAR(rig.At(0, 1024 + kRelease / 2), 0.25f, 1e-6);
    EXPECT_EQ(rig.At(0, 1024 + kRelease + 1), 0.0f);
    rig.RenderFor(128);
    EXPECT_FALSE(rig.engine.IsPadActive(3));
    EXPECT_EQ(rig.engine.StartAudition(16, -1), E_INVALIDARG);
    EXPECT_EQ(rig.engine.StopAudition(-2), E_INVALIDARG);
}

TEST_F(PlaybackTest, ButtonTogglesALatchedLoop) {
    DcPad(0, 48000, 1, 1);
    rig.engine.StartAudition(0, -1);
    rig.RenderFor(1024);
    rig.engine.StartAudition(0, -1); // sounding latched loop: this press stops it
    rig.RenderFor(2048);
    EXPECT_NEAR(rig.At(0, 900), 0.5f, 1e-6);
    EXPECT_EQ(rig.At(0, 1024 + kRelease + 1), 0.0f);
}

TEST_F(PlaybackTest, GrainAuditionPlaysOneGrainAndNeedsTheSwitch) {
    DcPad(2, 1000, 1, 1);
    EXPECT_EQ(rig.engine.StartAudition(2, 0), S_OK); // switch off: nothing
    rig.RenderFor(512);
    EXPECT_EQ(rig.At(0, 300), 0.0f);
    EXPECT_EQ(rig.engine.StartAudition(2, 5), E_INVALIDARG);
    rig.engine.SetGrainAudition(1);
    EXPECT_EQ(rig.engine.StartAudition(2, 0), S_OK);
    rig.RenderFor(6000);
    EXPECT_NEAR(rig.At(0, 512 + 300), 0.5f, 1e-6);
    EXPECT_EQ(rig.At(0, 512 + 1000), 0.0f); // one grain, no repeat
}

TEST_F(PlaybackTest, LoopBinPreviewPlaysUntilStopped) {
    LoopSourceBuilder b;
    b.Pcm16(1, 48000, 4800, [](DWORD, int) { return int16_t(16384); });
    LONG at = -1, status = 0;
    ASSERT_TRUE(SUCCEEDED(rig.engine.LoadSourceToBin(b.Get(), L"/dc.wav", -1, &at, &status)));
    EXPECT_EQ(rig.engine.StartFilePreview(at, -1), S_OK);
    rig.RenderFor(10000);
    EXPECT_TRUE(rig.engine.IsFilePreviewActive(at));
    EXPECT_NEAR(rig.At(0, 100), 0.5f, 1e-4);
    EXPECT_NEAR(rig.At(0, 4800 + 100), 0.5f, 1e-4); // previews loop
    EXPECT_EQ(rig.engine.StopFilePreview(at), S_OK);
    EXPECT_FALSE(rig.engine.IsFilePreviewActive(at));
    rig.RenderFor(256);
    EXPECT_EQ(rig.At(0, 10100), 0.0f);
    EXPECT_EQ(rig.engine.StartFilePreview(5, -1), E_INVALIDARG);
}

TEST_F(PlaybackTest, ResetVoicesSilencesEverything) {
    DcPad(0, 48000, 1, 1);
    rig.NoteOn(60);
    rig.RenderFor(512);
    rig.engine.ResetVoices();
    rig.active.Sweep([&](SynthEvent& ev) { return rig.engine.RetireNote(&ev, 1); });
    rig.RenderFor(512);
    EXPECT_EQ(rig.At(0, 800), 0.0f);
    EXPECT_FALSE(rig.engine.IsPadActive(0));
}

TEST_F(PlaybackTest, MissingInputRendersNothing) {
    EXPECT_EQ(rig.engine.Process(0, nullptr, nullptr, 0, 0, &rig.active), S_FALSE);
}

TEST_F(PlaybackTest, WhileTheTransportPlaysASyncedPadKeepsTheSongsPhase) {
    SyncedLoop(0);
    rig.ctx.m_playing = 1;
    rig.RenderFor(10112);
    rig.NoteOn(60);
    const LONGLONG started = rig.pos;
    rig.RenderFor(2000);
    // The loop is where the song is, not at its start.
    for (LONGLONG f = started + kFadeIn; f < started + 2000; f += 13)
        ASSERT_EQ(rig.At(0, f), Ramp(f, 0)) << f;
}

TEST_F(PlaybackTest, StopAllClosesLatchedNotes) {
    DcPad(0, 48000, 1, 1);
    rig.NoteOn(60);
    rig.RenderFor(512);
    rig.NoteOff(60);
    rig.RenderFor(512);
    EXPECT_NEAR(rig.At(0, 1000), 0.5f, 1e-6);
    EXPECT_EQ(rig.engine.StopAudition(-1), S_OK);
    rig.RenderFor(2048);
    EXPECT_EQ(rig.At(0, 1024 + 1200), 0.0f);
    EXPECT_TRUE(rig.active.IsEmpty());
}
