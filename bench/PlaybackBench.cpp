// A busy groove: 16 pads, each a sliced stereo two-bar loop, synced at a host
// tempo 20 % below the loops' own, half of them transposed, every pad on its
// own "Chan" output (all 17 outputs present), 128-frame buffers at 48 kHz.
// The "audio_s_per_cpu_s" counter is the real-time factor; the DSP load of one
// core is its inverse. 16 voices per pad is the 256-note limit of the engine.
#include "../tests/playback/PlaybackRig.h"
#include <benchmark/benchmark.h>

namespace {
constexpr DWORD kRate = 48000;
constexpr LONG kBuffer = 128;
constexpr LONGLONG kBeatFrames = kRate / 2; // 120 BPM
constexpr int kBeats = 8;
constexpr int kSlices = 16;

void BuildGroove(PlaybackRig& rig) {
    const LONGLONG nFrames = kBeats * kBeatFrames;
    CWaveMem* w = MakeWave(2, kRate, nFrames, [](LONGLONG i, int c) {
        return static_cast<float>(((i * 7919 + c * 104729) % 2001 - 1000) * 1e-3);
    });
    for (int p = 0; p < kPadCount; ++p) {
        CGrooveTrack* pad = rig.engine.Pad(p);
        for (int k = 0; k < kSlices; ++k) {
            const LONGLONG len = nFrames / kSlices;
            CGrooveEvent* g = AddGrain(pad, w, k * len, len, k * (kBeats * kTicksPerBeat / kSlices),
                                       kBeats * kTicksPerBeat / kSlices, k * len, 1);
            g->m_nTranspose = p >= 8 ? 3 : 0;
            g->m_dPan = 0.3 + 0.025 * p; // gains other than unity, as in a real mix
        }
        pad->m_nLenSamples = nFrames;
        pad->m_nLenTicks = kBeats * kTicksPerBeat;
        pad->m_bSyncedPlayback = 1;
        pad->m_bLooping = 1;
        pad->m_bLatch = 0; // gated: every held note is a voice
        pad->m_nOutput = p + 1;
        pad->RecomputeTempo();
    }
    w->Release();
}

// Arg: voices (held notes) per pad.
void BM_BusyGroove(benchmark::State& state) {
    PlaybackRig rig(kRate, 96.0);
    rig.collect = false;
    BuildGroove(rig);
    const int voices = static_cast<int>(state.range(0));
    for (int v = 0; v < voices; ++v)
        for (int p = 0; p < kPadCount; ++p) rig.NoteOn(static_cast<BYTE>(CKeyMap::DefaultKey(p)));
    rig.RenderFor(kRate); // past the fade-ins
    for (auto _ : state) rig.Render(kBuffer);
    state.counters["voices"] = static_cast<double>(kPadCount * voices);
    state.counters["audio_s_per_cpu_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kBuffer / kRate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BusyGroove)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond);
} // namespace
