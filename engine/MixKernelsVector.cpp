#include "engine/MixKernelsVector.h"
#include "engine/CpuFeatures.h"
#include "engine/MixKernelsWide.h"
#include <cstdint>
#include <xmmintrin.h>

namespace {

constexpr int kIndexMonoToMono = 4;
constexpr int kIndexMonoToStereo = 6;
constexpr int kIndexStereoToStereo = 14;
constexpr int kPrefetchBytes = 256; // ahead of the current pass, in both runs

inline bool Aligned16(const void* p) { return (reinterpret_cast<uintptr_t>(p) & 15u) == 0; }

// The vector path applies when SSE is present and both runs are 16-byte
// aligned, or, for a plain sum (bUnitySum), at any alignment: a sum of two
// floats rounded once is the same in single precision as in double, so both
// rules give the same floats and the path may follow the split points freely.
inline bool TakeVectorPath(const MixJob* job, bool bUnitySum = false) {
    return GetCpuFeatures().bSSE && (bUnitySum || (Aligned16(job->pDst) && Aligned16(job->pSrc)));
}

inline bool UnityGains(const MixJob* job) { return job->dGainL == 1.0 && job->dGainR == 1.0; }

// Flush-to-zero stays set for the thread: denormal results cost far more than
// they are worth in a mix.
inline void SetFlushToZero() {
    const unsigned csr = _mm_getcsr();
    if ((csr & _MM_FLUSH_ZERO_ON) == 0) _mm_setcsr(csr | _MM_FLUSH_ZERO_ON);
}

// dScale: destination bytes per source byte, so both prefetches run equally far ahead.
inline void Prefetch(const float* d, const float* s, int dScale = 1) {
    _mm_prefetch(reinterpret_cast<const char*>(s) + kPrefetchBytes, _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(d) + dScale * kPrefetchBytes, _MM_HINT_T0);
}

// d[i] += s[i] * g over n aligned floats; plain addition (at any alignment) when bUnity. g is
// (gA, gB, gA, gB), so the tail alternates gA, gB from an even start.
void AddRun(float* d, const float* s, long n, bool bUnity, float gA, float gB) {
    const __m128 g = _mm_setr_ps(gA, gB, gA, gB);
    long i = 0;
    if (bUnity) {
        for (; i + 8 <= n; i += 8) {
            Prefetch(d + i, s + i);
            _mm_storeu_ps(d + i, _mm_add_ps(_mm_loadu_ps(d + i), _mm_loadu_ps(s + i)));
            _mm_storeu_ps(d + i + 4, _mm_add_ps(_mm_loadu_ps(d + i + 4), _mm_loadu_ps(s + i + 4)));
        }
        if (i + 4 <= n) {
            _mm_storeu_ps(d + i, _mm_add_ps(_mm_loadu_ps(d + i), _mm_loadu_ps(s + i)));
            i += 4;
        }
        for (; i < n; ++i) d[i] += s[i];
        return;
    }
    for (; i + 8 <= n; i += 8) {
        Prefetch(d + i, s + i);
        const __m128 s0 = _mm_mul_ps(_mm_load_ps(s + i), g);
        const __m128 s1 = _mm_mul_ps(_mm_load_ps(s + i + 4), g);
        _mm_store_ps(d + i, _mm_add_ps(_mm_load_ps(d + i), s0));
        _mm_store_ps(d + i + 4, _mm_add_ps(_mm_load_ps(d + i + 4), s1));
    }
    if (i + 4 <= n) {
        _mm_store_ps(d + i, _mm_add_ps(_mm_load_ps(d + i), _mm_mul_ps(_mm_load_ps(s + i), g)));
        i += 4;
    }
    for (; i < n; ++i) d[i] += s[i] * ((i & 1) == 0 ? gA : gB);
}

// Four source floats make eight destination floats per step.
void SpreadRun(float* d, const float* s, long n, float gL, float gR) {
    const __m128 vL = _mm_set1_ps(gL), vR = _mm_set1_ps(gR);
    auto step = [&](long i) {
        const __m128 v = _mm_load_ps(s + i);
        const __m128 l = _mm_mul_ps(v, vL), r = _mm_mul_ps(v, vR);
        float* p = d + 2 * i;
        _mm_store_ps(p, _mm_add_ps(_mm_load_ps(p), _mm_unpacklo_ps(l, r)));
        _mm_store_ps(p + 4, _mm_add_ps(_mm_load_ps(p + 4), _mm_unpackhi_ps(l, r)));
    };
    long i = 0;
    for (; i + 8 <= n; i += 8) {
        Prefetch(d + 2 * i, s + i, 2);
        step(i);
        step(i + 4);
    }
    if (i + 4 <= n) {
        step(i);
        i += 4;
    }
    for (; i < n; ++i) {
        d[2 * i] += s[i] * gL;
        d[2 * i + 1] += s[i] * gR;
    }
}

using AddRunFn = void (*)(float*, const float*, long, bool, float, float);
using SpreadRunFn = void (*)(float*, const float*, long, float, float);

// Index 4: dst += src × gL.
template <AddRunFn Run> void MixMonoToMono(MixJob* job) {
    if (job->nFrames < 1) return;
    if (!TakeVectorPath(job, UnityGains(job))) return ScalarFloatMixKernel(kIndexMonoToMono)(job);
    SetFlushToZero();
    const float g = static_cast<float>(job->dGainL);
    Run(static_cast<float*>(job->pDst), static_cast<const float*>(job->pSrc), job->nFrames,
        UnityGains(job), g, g);
}

// Index 14: dstL += srcL × gL; dstR += srcR × gR, over 2 × count floats.
template <AddRunFn Run> void MixStereoToStereo(MixJob* job) {
    if (job->nFrames < 1) return;
    if (!TakeVectorPath(job, UnityGains(job)))
        return ScalarFloatMixKernel(kIndexStereoToStereo)(job);
    SetFlushToZero();
    Run(static_cast<float*>(job->pDst), static_cast<const float*>(job->pSrc), 2L * job->nFrames,
        UnityGains(job), static_cast<float>(job->dGainL), static_cast<float>(job->dGainR));
}

// Index 6: dstL += src × gL; dstR += src × gR.
template <SpreadRunFn Run> void MixMonoToStereo(MixJob* job) {
    if (job->nFrames < 1) return;
    if (!TakeVectorPath(job)) return ScalarFloatMixKernel(kIndexMonoToStereo)(job);
    SetFlushToZero();
    Run(static_cast<float*>(job->pDst), static_cast<const float*>(job->pSrc), job->nFrames,
        static_cast<float>(job->dGainL), static_cast<float>(job->dGainR));
}

template <AddRunFn Add, SpreadRunFn Spread> MixKernel Kernel(int nIndex) {
    switch (nIndex) {
    case kIndexMonoToMono: return &MixMonoToMono<Add>;
    case kIndexMonoToStereo: return &MixMonoToStereo<Spread>;
    case kIndexStereoToStereo: return &MixStereoToStereo<Add>;
    default: return nullptr;
    }
}

} // namespace

MixKernel FourWideFloatMixKernel(int nIndex) {
    return GetCpuFeatures().bSSE ? Kernel<&AddRun, &SpreadRun>(nIndex) : nullptr;
}

MixKernel EightWideFloatMixKernel(int nIndex) {
    return GetCpuFeatures().bAVX2 ? Kernel<&AddRunEightWide, &SpreadRunEightWide>(nIndex) : nullptr;
}

MixKernel SixteenWideFloatMixKernel(int nIndex) {
    return GetCpuFeatures().bAVX512F ? Kernel<&AddRunSixteenWide, &SpreadRunSixteenWide>(nIndex)
                                     : nullptr;
}

MixKernel VectorFloatMixKernel(int nIndex) {
    if (MixKernel k = SixteenWideFloatMixKernel(nIndex)) return k;
    if (MixKernel k = EightWideFloatMixKernel(nIndex)) return k;
    return FourWideFloatMixKernel(nIndex);
}
