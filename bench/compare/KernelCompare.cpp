// The stereo accumulate with gains (kernel 14) in L1-sized runs against a
// plain loop that the compiler vectorized for this processor.
#include "bench/compare/Comparisons.h"
#include "bench/compare/CpuClock.h"
#include "bench/compare/PlainMixLoop.h"
#include "engine/CpuFeatures.h"
#include "engine/MixKernelsVector.h"
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <xmmintrin.h>

namespace {
constexpr long kFloats = 1024; // 512 stereo frames: source and destination fit L1 together
constexpr int kCalls = 200000;
constexpr int kReps = 7;

struct Runs {
    float* pSrc = static_cast<float*>(std::aligned_alloc(64, kFloats * sizeof(float)));
    float* pDst = static_cast<float*>(std::aligned_alloc(64, kFloats * sizeof(float)));
    Runs() {
        for (long i = 0; i < kFloats; ++i) pSrc[i] = 1e-3f * static_cast<float>(1 + i % 7);
    }
    ~Runs() {
        std::free(pSrc);
        std::free(pDst);
    }
    void Clear() { std::memset(pDst, 0, kFloats * sizeof(float)); }
};

// Stereo frames per second of the kernel and of the plain loop, their
// repetitions interleaved so that both see the same state of the machine.
std::pair<double, double> Rates(MixKernel k, Runs& r) {
    double best[2] = {std::numeric_limits<double>::infinity(),
                      std::numeric_limits<double>::infinity()};
    for (int rep = 0; rep < kReps; ++rep) {
        best[0] = std::min(best[0], BestOf(
                                        1, [&] { r.Clear(); },
                                        [&] {
                                            for (int c = 0; c < kCalls; ++c) {
                                                MixJob job;
                                                job.pDst = r.pDst;
                                                job.pSrc = r.pSrc;
                                                job.nFrames = kFloats / 2;
                                                job.dGainL = 0.5;
                                                job.dGainR = 0.75;
                                                k(&job);
                                            }
                                        }));
        best[1] = std::min(best[1], BestOf(
                                        1, [&] { r.Clear(); },
                                        [&] {
                                            for (int c = 0; c < kCalls; ++c)
                                                PlainMixLoop(r.pDst, r.pSrc, kFloats, 0.5f);
                                        }));
    }
    const double frames = static_cast<double>(kCalls) * (kFloats / 2);
    return {frames / best[0], frames / best[1]};
}
} // namespace

void CompareKernels(CCompareTable& table) {
    const unsigned csr = _mm_getcsr();
    Runs r;
    const CpuFeatures& f = GetCpuFeatures();
    const char* pszPath = f.bAVX512F ? "sixteen-wide (AVX-512F)"
                          : f.bAVX2  ? "eight-wide (AVX2)"
                                     : "four-wide (SSE)";
    auto rate = [](double x) { return Format("%.2f G frames/s", x * 1e-9); };
    auto add = [&](const std::string& what, MixKernel k, const char* pszGoal) {
        const auto [kernel, plain] = Rates(k, r);
        const bool goal = pszGoal[0] != '\0';
        table.Add({what, rate(kernel), "plain loop -O3 -march=native " + rate(plain),
                   kernel / plain, pszGoal, !goal || kernel / plain >= 0.9});
    };
    add(Format("stereo accumulate with gains, 512 frames (L1), %s", pszPath),
        VectorFloatMixKernel(14), ">= 0.9x");
    // The narrower paths, for processors without the wider instruction sets.
    if (f.bAVX512F && f.bAVX2)
        add("the same, eight-wide (AVX2) path", EightWideFloatMixKernel(14), "");
    add("the same, four-wide (SSE) path", FourWideFloatMixKernel(14), "");
    _mm_setcsr(csr); // the kernels set flush-to-zero for the thread
}
