// The busy groove on the engine's playback rig: 16 pads, each a sliced stereo
// two-bar loop, synced at a host tempo 20 % below the loops' own, half of
// them transposed, every pad on its own "Chan" output, 128-frame buffers.
#pragma once
#include "playback/PlaybackRig.h"

namespace busy_groove {
constexpr DWORD kRate = 48000;
constexpr double kHostTempo = 96.0; // the loops are at 120 BPM
constexpr LONG kBuffer = 128;

inline void Build(PlaybackRig& rig) {
    constexpr int kBeats = 8;
    constexpr int kSlices = 16;
    const LONGLONG nFrames = kBeats * (kRate / 2);
    CWaveMem* w = MakeWave(2, kRate, nFrames, [](LONGLONG i, int c) {
        return static_cast<float>(((i * 7919 + c * 104729) % 2001 - 1000) * 1e-3);
    });
    for (int p = 0; p < kPadCount; ++p) {
        CGrooveTrack* pad = rig.engine.Pad(p);
        const LONGLONG len = nFrames / kSlices;
        for (int k = 0; k < kSlices; ++k) {
            CGrooveEvent* g = AddGrain(pad, w, k * len, len, k * (kBeats * kTicksPerBeat / kSlices),
                                       kBeats * kTicksPerBeat / kSlices, k * len, 1);
            g->m_nTranspose = p >= 8 ? 3 : 0;
            g->m_dPan = 0.3 + 0.025 * p;
        }
        pad->m_nLenSamples = nFrames;
        pad->m_nLenTicks = kBeats * kTicksPerBeat;
        pad->m_bSyncedPlayback = 1;
        pad->m_bLooping = 1;
        pad->m_bLatch = 0;
        pad->m_nOutput = p + 1;
        pad->RecomputeTempo();
    }
    w->Release();
}
} // namespace busy_groove
