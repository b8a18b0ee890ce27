// Throughput of the engine's float kernels against a plain dst[i] += src[i]
// loop, in an L1-sized run (1024 destination floats) and in larger ones.
// "bytes" counts the source read plus the destination read and written.
#include "engine/MixKernels.h"
#include "engine/MixKernelsVector.h"
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(float* p) const { std::free(p); }
};
using Floats = std::unique_ptr<float[], FreeDeleter>;

Floats MakeFloats(std::size_t n, float value) {
    const std::size_t bytes = (n * sizeof(float) + 63) / 64 * 64;
    Floats p(static_cast<float*>(std::aligned_alloc(64, bytes)));
    for (std::size_t i = 0; i < n; ++i) p[i] = value * static_cast<float>(1 + i % 7);
    return p;
}

__attribute__((noinline)) void PlainAdd(float* dst, const float* src, long n) {
    for (long i = 0; i < n; ++i) dst[i] += src[i];
}

void Report(benchmark::State& state, long frames, long srcFloats, long dstFloats) {
    const auto it = static_cast<double>(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(it * frames, benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(it * 4.0 * (srcFloats + 2.0 * dstFloats)));
}

// Arg: destination floats.
void BM_PlainLoop(benchmark::State& state) {
    const long n = state.range(0);
    Floats src = MakeFloats(n, 1e-3f), dst = MakeFloats(n, 0.0f);
    for (auto _ : state) {
        PlainAdd(dst.get(), src.get(), n);
        benchmark::ClobberMemory();
    }
    Report(state, n, n, n);
}

// Arg: destination floats; frames follow from the channel counts.
void RunKernel(benchmark::State& state, MixKernel k, int sc, int dc, double dInc) {
    const long dstFloats = state.range(0), frames = dstFloats / dc, srcFloats = frames * sc;
    Floats src = MakeFloats(srcFloats, 1e-3f), dst = MakeFloats(dstFloats, 0.0f);
    MixJob job;
    for (auto _ : state) {
        job.pDst = dst.get();
        job.pSrc = src.get();
        job.nFrames = static_cast<LONG>(frames);
        job.dGainL = 0.5;
        job.dGainR = 0.75;
        job.dIncL = dInc;
        job.dIncR = -dInc;
        job.dInc2L = job.dInc2R = 0.0;
        k(&job);
        benchmark::ClobberMemory();
    }
    Report(state, frames, srcFloats, dstFloats);
}

void BM_Kernel4(benchmark::State& s) { RunKernel(s, SelectFloatMixKernel(1, 1, false), 1, 1, 0.0); }
void BM_Kernel6(benchmark::State& s) { RunKernel(s, SelectFloatMixKernel(1, 2, false), 1, 2, 0.0); }
void BM_Kernel14(benchmark::State& s) {
    RunKernel(s, SelectFloatMixKernel(2, 2, false), 2, 2, 0.0);
}
void BM_Kernel15Ramp(benchmark::State& s) {
    RunKernel(s, SelectFloatMixKernel(2, 2, true), 2, 2, 1e-7);
}
// Kernel 14 on each vector width (skipped where the processor lacks it).
void RunWidth(benchmark::State& s, MixKernel k) {
    if (k == nullptr) return s.SkipWithError("not on this processor");
    RunKernel(s, k, 2, 2, 0.0);
}
void BM_FourWide14(benchmark::State& s) { RunWidth(s, FourWideFloatMixKernel(14)); }
void BM_EightWide14(benchmark::State& s) { RunWidth(s, EightWideFloatMixKernel(14)); }
void BM_SixteenWide14(benchmark::State& s) { RunWidth(s, SixteenWideFloatMixKernel(14)); }
// The scalar double-precision rule of the same indices, for comparison.
void BM_Scalar4(benchmark::State& s) { RunKernel(s, ScalarFloatMixKernel(4), 1, 1, 0.0); }
void BM_Scalar6(benchmark::State& s) { RunKernel(s, ScalarFloatMixKernel(6), 1, 2, 0.0); }
void BM_Scalar14(benchmark::State& s) { RunKernel(s, ScalarFloatMixKernel(14), 2, 2, 0.0); }

// 1024 floats (L1), 64 Ki floats (L2), 4 Mi floats (beyond L2, 16 MiB per run).
#define PANDREL_SIZES ->Arg(1024)->Arg(64 << 10)->Arg(4 << 20)
BENCHMARK(BM_PlainLoop) PANDREL_SIZES;
BENCHMARK(BM_Kernel4) PANDREL_SIZES;
BENCHMARK(BM_Kernel6) PANDREL_SIZES;
BENCHMARK(BM_Kernel14) PANDREL_SIZES;
BENCHMARK(BM_Kernel15Ramp) PANDREL_SIZES;
BENCHMARK(BM_FourWide14) PANDREL_SIZES;
BENCHMARK(BM_EightWide14) PANDREL_SIZES;
BENCHMARK(BM_SixteenWide14) PANDREL_SIZES;
BENCHMARK(BM_Scalar4) PANDREL_SIZES;
BENCHMARK(BM_Scalar6) PANDREL_SIZES;
BENCHMARK(BM_Scalar14) PANDREL_SIZES;

} // namespace
