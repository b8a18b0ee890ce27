// What a listener hears at the edges of a grain: a release never lets a new
// grain start inside its fade, and a grain cut short by its pad's loop end is
// faded instead of jumping.
#include "PlaybackRig.h"
#include <cmath>
#include <gtest/gtest.h>

namespace {
constexpr LONGLONG kBeat = 24000;         // frames per beat of the loops below (120 BPM, 48 kHz)
constexpr double kSilence = 3.1622777e-5; // -90 dBFS
constexpr float kLoud = 0.84f;            // -1.5 dBFS

// A synced, looping, gated one-bar loop of four slices: a loud downbeat, the
// other three beats silent, so anything heard after the bar is a ghost.
CGrooveTrack* DownbeatLoop(PlaybackRig& rig) {
    CWaveMem* w =
        MakeWave(2, 48000, 4 * kBeat, [](LONGLONG i, int) { return i < kBeat ? kLoud : 0.0f; });
    CGrooveTrack* p = rig.engine.Pad(0);
    for (int k = 0; k < 4; ++k)
        AddGrain(p, w, k * kBeat, kBeat, k * kTicksPerBeat, kTicksPerBeat, k * kBeat, 1);
    w->Release();
    p->m_nLenSamples = 4 * kBeat;
    p->m_nLenTicks = 4 * kTicksPerBeat;
    p->m_bSyncedPlayback = p->m_bLooping = 1;
    p->m_bLatch = 0;
    p->RecomputeTempo();
    return p;
}

double PeakFrom(const PlaybackRig& rig, LONGLONG from, LONGLONG to) {
    double peak = 0;
    for (LONGLONG f = from; f < to; ++f)
        for (int c = 0; c < 2; ++c)
            peak = std::max(peak, std::fabs(static_cast<double>(rig.At(0, f, c))));
    return peak;
}

double LargestStep(const PlaybackRig& rig, LONGLONG from, LONGLONG to) {
    double step = 0;
    for (LONGLONG f = from + 1; f < to; ++f)
        step = std::max(step, std::fabs(static_cast<double>(rig.At(0, f) - rig.At(0, f - 1))));
    return step;
}
} // namespace

// A bar-long note on a bar-long loop, the most common note in a song: its
// note-off falls exactly on the loop boundary, where the downbeat would start
// again inside the 20 ms release.
TEST(ReleaseTest, ANoteOffOnTheLoopBoundaryStartsNoGhostOfTheDownbeat) {
    for (double tempo : {130.0, 80.0}) {
        for (LONG buffer : {128, 441}) {
            PlaybackRig rig(48000, tempo);
            DownbeatLoop(rig);
            const LONGLONG bar = rig.ctx.TicksToSamples(4 * kTicksPerBeat);
            rig.NoteOn(60);
            rig.RenderFor(bar, buffer); // the host ends its buffer at the note-off
            EXPECT_GT(PeakFrom(rig, 0, kBeat), 0.8) << tempo; // the downbeat sounded once
            rig.NoteOff(60);
            rig.RenderFor(4800, buffer);
            EXPECT_LT(PeakFrom(rig, bar, bar + 4800), kSilence)
                << tempo << " BPM, buffers of " << buffer;
            EXPECT_TRUE(rig.active.IsEmpty());
        }
    }
}

TEST(ReleaseTest, ANoteOffInsideTheBufferOfTheBoundaryStartsNoGhostEither) {
    // A host that does not split its buffers at events: the release starts
    // at the buffer that holds the note-off, 100 frames before the boundary.
    PlaybackRig rig(48000, 130.0);
    DownbeatLoop(rig);
    const LONGLONG bar = rig.ctx.TicksToSamples(4 * kTicksPerBeat);
    rig.NoteOn(60);
    rig.RenderFor(bar - 100);
    rig.NoteOff(60);
    rig.RenderFor(4800);
    EXPECT_LT(PeakFrom(rig, bar - 100, bar + 4800), kSilence);
}

TEST(ReleaseTest, WhatSoundsAtTheNoteOffStillFadesOverTwentyMilliseconds) {
    // The note-off in the middle of the downbeat: the downbeat fades out
    // linearly over 960 frames from the note-off, the next grain stays silent.
    PlaybackRig rig(48000, 120.0);
    DownbeatLoop(rig);
    rig.NoteOn(60);
    rig.RenderFor(12000);
    rig.NoteOff(60);
    rig.RenderFor(2000);
    EXPECT_NEAR(rig.At(0, 11999), kLoud, 1e-6);
    EXPECT_NEAR(rig.At(0, 12000 + 480), kLoud * 0.5f, 1e-3);
    EXPECT_LT(PeakFrom(rig, 12000 + 960, 14000), kSilence);
}

namespace {
// Pad 1 as a looping pad of one unsynced grain: a sustained sine longer than
// the pad, so the pad's loop end cuts it in the middle of a cycle.
void CutSine(PlaybackRig& rig, BOOL synced) {
    const LONGLONG n = 3 * kBeat / 2;
    CWaveMem* w = MakeWave(2, 48000, n, [](LONGLONG i, int) {
        return static_cast<float>(0.5 *
                                  std::sin(2 * M_PI * 101.3 * static_cast<double>(i) / 48000.0));
    });
    CGrooveTrack* p = rig.engine.Pad(0);
    AddGrain(p, w, 0, n, 0, 3 * kTicksPerBeat / 2, 0, 0);
    w->Release();
    p->m_nLenSamples = kBeat; // cut after two thirds of the grain
    p->m_nLenTicks = kTicksPerBeat;
    p->m_bSyncedPlayback = synced;
    p->m_bLooping = 1;
}
} // namespace

TEST(CutTest, AGrainCutByThePadsLoopEndFadesInsteadOfJumping) {
    for (BOOL synced : {0, 1}) {
        PlaybackRig rig(48000, synced ? 100.0 : 120.0);
        CutSine(rig, synced);
        rig.NoteOn(60);
        const LONGLONG loop = synced ? rig.ctx.TicksToSamples(kTicksPerBeat) : kBeat;
        rig.RenderFor(3 * loop + 1000);
        // Without a fade the cut jumps by about 0.4; the sine's own steps are 0.007.
        EXPECT_LT(LargestStep(rig, 48, 3 * loop + 1000), 0.05) << "synced " << synced;
        // The fade is 1 ms: 1 ms before the cut the sine plays at full level.
        const double before =
            0.5 * std::sin(2 * M_PI * 101.3 * static_cast<double>(loop - 49) / 48000.0);
        EXPECT_NEAR(rig.At(0, 2 * loop - 49), before, synced ? 0.02 : 1e-6);
        EXPECT_NEAR(rig.At(0, 2 * loop - 1), 0.0,
                    0.5 / 47); // the last frame of the fade: 1/48 of the level
    }
}

TEST(CutTest, AOneShotCutByItsPadEndFadesToo) {
    PlaybackRig rig(48000, 120.0);
    CutSine(rig, 0);
    rig.engine.Pad(0)->m_bLooping = 0;
    rig.NoteOn(60);
    rig.RenderFor(2 * kBeat);
    EXPECT_LT(LargestStep(rig, 48, 2 * kBeat), 0.05);
    EXPECT_LT(PeakFrom(rig, kBeat, 2 * kBeat), kSilence);
}
