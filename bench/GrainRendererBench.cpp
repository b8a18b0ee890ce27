// Throughput of grain segment rendering, one output buffer per iteration,
// walking through a 2-second grain as the render path does: straight (at unity
// and at a pad gain of 0.8), stretched 1.25x, and pitched +3 semitones, from a
// mono or stereo source into a stereo output.
#include "engine/GrainRenderer.h"
#include <benchmark/benchmark.h>
#include <vector>

namespace {

enum Mode { kStraightUnity, kStraightGain, kStretch, kPitch };
const char* const kModeNames[] = {"straight", "straight gain 0.8", "stretch 1.25x", "pitch +3"};

constexpr DWORD kRate = 44100;
constexpr LONGLONG kGrainFrames = 2 * kRate;

// Args: buffer frames, source channels, mode.
void BM_RenderSegment(benchmark::State& state) {
    const LONGLONG nBuffer = state.range(0);
    const int nSrc = static_cast<int>(state.range(1));
    const auto mode = static_cast<Mode>(state.range(2));

    auto* pWave = new CWaveMem();
    if (FAILED(pWave->Allocate(static_cast<WORD>(nSrc), kRate, kGrainFrames))) {
        state.SkipWithError("allocation failed");
        return;
    }
    for (LONGLONG i = 0; i < kGrainFrames * nSrc; ++i)
        pWave->m_pData[i] = static_cast<float>((i * 7919) % 2001 - 1000) * 1e-3f;
    pWave->SetGuardFrame();
    CGrooveEvent grain;
    grain.SetWave(pWave);
    pWave->Release();
    grain.m_nLenSamples = kGrainFrames;

    CGrainRenderer renderer;
    if (FAILED(renderer.Init())) {
        state.SkipWithError("init failed");
        return;
    }
    const LONGLONG T = mode == kStretch ? kGrainFrames * 5 / 4 : kGrainFrames;
    const LONG nTranspose = mode == kPitch ? 3 : 0;
    const float fVolume = mode == kStraightGain ? 0.8f : 1.0f;
    const WAVEFORMATEX out = MakeFloatFormat(2, kRate);
    std::vector<float> buffer(static_cast<size_t>(nBuffer * 2), 0.0f);
    LONGLONG pos = 0;
    for (auto _ : state) {
        renderer.RenderSegment(grain, pos, 0, nBuffer, T, buffer.data(), out, fVolume, 0.5f,
                               nTranspose);
        benchmark::ClobberMemory();
        pos += nBuffer;
        if (pos + nBuffer > T) pos = 0;
    }
    state.SetLabel(kModeNames[mode]);
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(nBuffer),
                           benchmark::Counter::kIsRate);
}

BENCHMARK(BM_RenderSegment)
    ->ArgNames({"buffer", "channels", "mode"})
    ->ArgsProduct({{128, 1024}, {1, 2}, {kStraightUnity, kStraightGain, kStretch, kPitch}});

} // namespace
