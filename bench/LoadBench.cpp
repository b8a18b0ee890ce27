// Loading a 30-second stereo 44.1 kHz 16-bit loop (16 slices) into an engine
// running at 48 kHz: decoding, rate conversion, overview, slices and tails;
// from a file (reader included) and from memory (the engine's part alone).
#include "../tests/engine/FakeSynthContext.h"
#include "../tests/files/RiffBuilder.h"
#include "engine/LoopLoader.h"
#include "files/AcidWaveSource.h"
#include "files/BinLoader.h"
#include <benchmark/benchmark.h>
#include <memory>

namespace {
struct Engine : CVudivuVizezud {
    explicit Engine(CDXiSynthContext* c) : CDXi(c), CVudivuVizezud(c) {}
};

// 60 beats at 120 BPM, cut into 16 slices by markers.
riff::Bytes ThirtySecondLoop() {
    riff::RiffBuilder r = riff::Wave(30 * 44100, 2, 44100);
    std::vector<riff::Marker> markers;
    for (uint32_t i = 1; i < 16; ++i) markers.push_back({0, 30 * 44100 / 16 * i, 1});
    r.Chunk("acid", riff::AcidBody(0x2, 60, 60, 120.0f))
        .Chunk("strc", riff::StrcBody(15, 2, markers));
    return r.Form();
}

void BM_LoadFile(benchmark::State& state) {
    riff::TempFile file(ThirtySecondLoop(), "load-bench.wav");
    FakeSynthContext ctx(48000);
    for (auto _ : state) {
        state.PauseTiming();
        auto engine = std::make_unique<Engine>(&ctx);
        engine->SetOutputFormatRecord(MakeFloatFormat(2, 48000));
        LONG at = -1, status = 0;
        state.ResumeTiming();
        if (FAILED(LoadFileToBinEntry(engine.get(), file.c_str(), -1, &at, &status)) ||
            engine->BinCount() != 1)
            state.SkipWithError("load failed");
        state.PauseTiming();
        engine.reset();
        state.ResumeTiming();
    }
    state.counters["audio_s_per_s"] =
        benchmark::Counter(30.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond);

void BM_LoadFromMemory(benchmark::State& state) {
    riff::TempFile file(ThirtySecondLoop(), "load-bench-mem.wav");
    CAcidWaveSource src;
    if (FAILED(src.Load(file.c_str()))) {
        state.SkipWithError("read failed");
        return;
    }
    FakeSynthContext ctx(48000);
    CGrooveTrack entry(&ctx);
    for (auto _ : state) {
        if (FAILED(
                LoadLoopIntoEntry(&entry, src.Source(), MakeFloatFormat(2, 48000), 0, L"/x.wav")))
            state.SkipWithError("load failed");
    }
    state.counters["slices"] = entry.GetSize();
}
BENCHMARK(BM_LoadFromMemory)->Unit(benchmark::kMillisecond);
} // namespace
