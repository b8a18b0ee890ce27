// Polyphony: DSP load of one core against the number of sounding voices, each
// a stretched (synced at 80 % of the loop's tempo) and transposed (+3
// semitones) stereo loop, at 48 kHz in 128-frame buffers with all 17 outputs.
#include "apps/cli/DemoLoop.h"
#include "bench/compare/Comparisons.h"
#include "bench/compare/CpuClock.h"
#include "tests/playback/PlaybackRig.h"
#include <cstdio>
#include <memory>

namespace {
constexpr DWORD kRate = 48000;
constexpr LONG kBuffer = 128;
constexpr double kHostTempo = CDemoLoop::kTempo * 0.8;
constexpr int kReps = 3;
constexpr LONGLONG kTimedFrames = 2 * kRate;

// 16 pads, each the demo's two-bar loop in its 16 slices, converted to 48 kHz
// as loading does; every pad on its own output.
std::unique_ptr<PlaybackRig> PolyRig(int nVoicesPerPad) {
    auto rig = std::make_unique<PlaybackRig>(kRate, kHostTempo);
    rig->collect = false;
    const CDemoLoop demo;
    const std::vector<float>& s = demo.Samples();
    CWaveMem* w = MakeWave(2, CDemoLoop::kRate, CDemoLoop::kFrames,
                           [&](LONGLONG i, int c) { return s[static_cast<size_t>(i * 2 + c)]; });
    w->ConvertSampleRate(kRate);
    const LONGLONG frames = w->m_nFrames, len = frames / CDemoLoop::kSlices;
    const LONGLONG ticks = CDemoLoop::kBeats * kTicksPerBeat / CDemoLoop::kSlices;
    for (int p = 0; p < kPadCount; ++p) {
        CGrooveTrack* pad = rig->engine.Pad(p);
        for (int k = 0; k < CDemoLoop::kSlices; ++k) {
            CGrooveEvent* g = AddGrain(pad, w, k * len, len, k * ticks, ticks, k * len, 1);
            g->m_nTranspose = 3;
            g->m_dPan = 0.3 + 0.025 * p;
        }
        pad->m_nLenSamples = frames;
        pad->m_nLenTicks = CDemoLoop::kBeats * kTicksPerBeat;
        pad->m_bSyncedPlayback = 1;
        pad->m_bLooping = 1;
        pad->m_bLatch = 0;
        pad->m_nOutput = p + 1;
        pad->RecomputeTempo();
    }
    w->Release();
    for (int v = 0; v < nVoicesPerPad; ++v)
        for (int p = 0; p < kPadCount; ++p) rig->NoteOn(static_cast<BYTE>(CKeyMap::DefaultKey(p)));
    rig->RenderFor(kRate / 2); // past the fade-ins
    return rig;
}

// The share of one core (1 = 100 %).
double Load(int nVoicesPerPad) {
    std::unique_ptr<PlaybackRig> rig;
    const double t = BestOf(
        kReps, [&] { rig = PolyRig(nVoicesPerPad); },
        [&] { rig->RenderFor(kTimedFrames, kBuffer); });
    if (rig->active.GetCount() != kPadCount * nVoicesPerPad)
        std::fprintf(stderr, "compare: %d voices asked, %d sounding\n", kPadCount * nVoicesPerPad,
                     static_cast<int>(rig->active.GetCount()));
    return t / (static_cast<double>(kTimedFrames) / kRate);
}
} // namespace

void ComparePolyphony(CCompareTable& table, const char* pszPlotData) {
    std::vector<std::pair<double, double>> points; // voices, load
    for (int perPad : {1, 2, 4, 8, 12, 16})
        points.emplace_back(static_cast<double>(kPadCount * perPad), Load(perPad));
    // Least-squares line through the points: load = a + b * voices.
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (auto [x, y] : points) {
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double n = static_cast<double>(points.size());
    const double b = (n * sxy - sx * sy) / (n * sxx - sx * sx), a = (sy - b * sx) / n;
    const double at256 = points.back().second, count = (0.5 - a) / b;
    if (FILE* f = std::fopen(pszPlotData, "w")) {
        for (auto [x, y] : points) std::fprintf(f, "%.0f %.4f\n", x, 100.0 * y);
        std::fclose(f);
    }
    table.Add({"polyphony at 48 kHz, 128 frames: voices under 50 % of a core",
               Format("%.1f %% at 256 voices; ~%.0f voices at 50 %%", 100.0 * at256, count), "",
               0.0, ">= 256", count >= 256.0 && at256 < 0.5});
}
