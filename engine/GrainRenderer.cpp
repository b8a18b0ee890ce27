#include "engine/GrainRenderer.h"
#include "engine/CpuFeatures.h"
#include "engine/GrainFit.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <immintrin.h>
#include <new>

namespace {

// Pitch steps outside six octaves either way are clamped: nothing musical
// lies beyond, and the bound keeps the work buffer's chunks non-empty.
constexpr double kMinStep = 1.0 / 64.0;
constexpr double kMaxStep = 64.0;
// Targets beyond about 290 days at 44.1 kHz are treated as that long, which
// keeps every fitted position exact in double precision.
constexpr LONGLONG kMaxTarget = LONGLONG(1) << 40;
// Gains beyond +60 dB are stored faults; clamped so that no sum overflows.
constexpr double kMaxGain = 1000.0;
// Margin of the pitched chunks for the frames around the interpolated span.
constexpr LONGLONG kChunkMargin = 8;

// The frames a grain plays, validated against the wave that holds them.
struct Source {
    const float* pData = nullptr; // frame 0 of the run
    int nChannels = 0;
    LONGLONG nLen = 0; // frames of the run; frame nLen is still readable
    LONGLONG nRate = 0;
};

// False when nothing can be read safely: no data, a channel count that does
// not match the data, or a start outside the wave. The length is clipped to
// the frames that exist, so the frame after the run (the next frame, or the
// guard frame) is always inside the data.
bool FindSource(const CWaveMem* pWave, LONGLONG nStart, LONGLONG nLen, const WAVEFORMATEX& wfx,
                Source* pSource) {
    if (pWave == nullptr || pWave->m_pData == nullptr) return false;
    const int c = wfx.nChannels;
    if ((c != 1 && c != 2) || c != pWave->m_wfx.nChannels) return false;
    const LONGLONG nFrames = pWave->m_nFrames;
    if (nFrames < 0 || pWave->m_nDataBytes < (nFrames + 1) * c * LONGLONG(sizeof(float)))
        return false;
    if (nStart < 0 || nStart > nFrames) return false;
    nLen = std::min(nLen, nFrames - nStart);
    if (nLen < 1) return false;
    pSource->pData = pWave->m_pData + nStart * c;
    pSource->nChannels = c;
    pSource->nLen = nLen;
    pSource->nRate = wfx.nSamplesPerSec;
    return true;
}

// Linear interpolation of output frames [k0, k1) at x = k × step from the
// fitted frames in pWork (fitted frame nBase first), accumulated with the
// gains. A stereo source into a mono output is the mean of the weighted sides.
template <int SC, int DC>
void Interpolate(const float* pWork, LONGLONG nBase, LONGLONG k0, LONGLONG k1, double dStep,
                 float* d, double gL, double gR) {
    for (LONGLONG k = k0; k < k1; ++k, d += DC) {
        const double x = static_cast<double>(k) * dStep;
        const LONGLONG i = static_cast<LONGLONG>(x);
        const double f = x - static_cast<double>(i);
        const float* s = pWork + (i - nBase) * SC;
        const double l = f * s[SC] + (1.0 - f) * s[0];
        if constexpr (SC == 1) {
            d[0] = static_cast<float>(d[0] + l * gL);
            if constexpr (DC == 2) d[1] = static_cast<float>(d[1] + l * gR);
        } else {
            const double r = f * s[SC + 1] + (1.0 - f) * s[1];
            if constexpr (DC == 1) {
                d[0] = static_cast<float>(d[0] + (l * gL + r * gR) * 0.5);
            } else {
                d[0] = static_cast<float>(d[0] + l * gL);
                d[1] = static_cast<float>(d[1] + r * gR);
            }
        }
    }
}

// Stereo into stereo, both channels in one SSE2 register: each lane does the
// rule's double-precision operations in the rule's order, so the floats are
// the rule's with half the instructions. k counts in double as well (exact,
// since k stays far below 2^53).
void InterpolateStereoSse2(const float* pWork, LONGLONG nBase, LONGLONG k0, LONGLONG k1,
                           double dStep, float* d, double gL, double gR) {
    const __m128d g = _mm_set_pd(gR, gL);
    const __m128d one = _mm_set1_pd(1.0);
    auto load = [](const float* p) {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    };
    double kd = static_cast<double>(k0);
    for (LONGLONG k = k0; k < k1; ++k, kd += 1.0, d += 2) {
        const double x = kd * dStep;
        const LONGLONG i = static_cast<LONGLONG>(x);
        const __m128d f = _mm_set1_pd(x - static_cast<double>(i));
        const float* s = pWork + (i - nBase) * 2;
        const __m128d v =
            _mm_add_pd(_mm_mul_pd(f, load(s + 2)), _mm_mul_pd(_mm_sub_pd(one, f), load(s)));
        const __m128d sum = _mm_add_pd(load(d), _mm_mul_pd(v, g));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_castps_si128(_mm_cvtpd_ps(sum)));
    }
}

// The frames at a and b (two floats each) as four doubles.
__attribute__((target("avx"))) inline __m256d FramePair(const float* a, const float* b) {
    return _mm256_cvtps_pd(
        _mm_loadh_pi(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a))),
                     reinterpret_cast<const __m64*>(b)));
}

// The same two frames at a time in four lanes (left and right of each); AVX
// without FMA, so every lane rounds as the SSE2 path does.
__attribute__((target("avx"))) void InterpolateStereoAvx(const float* pWork, LONGLONG nBase,
                                                         LONGLONG k0, LONGLONG k1, double dStep,
                                                         float* d, double gL, double gR) {
    const __m256d g = _mm256_set_pd(gR, gL, gR, gL);
    const __m256d one = _mm256_set1_pd(1.0);
    double kd = static_cast<double>(k0);
    LONGLONG k = k0;
    for (; k + 1 < k1; k += 2, kd += 2.0, d += 4) {
        const double x0 = kd * dStep, x1 = (kd + 1.0) * dStep;
        const LONGLONG i0 = static_cast<LONGLONG>(x0), i1 = static_cast<LONGLONG>(x1);
        const double f0 = x0 - static_cast<double>(i0), f1 = x1 - static_cast<double>(i1);
        const __m256d f = _mm256_set_pd(f1, f1, f0, f0);
        const float* s0 = pWork + (i0 - nBase) * 2;
        const float* s1 = pWork + (i1 - nBase) * 2;
        const __m256d v = _mm256_add_pd(_mm256_mul_pd(f, FramePair(s0 + 2, s1 + 2)),
                                        _mm256_mul_pd(_mm256_sub_pd(one, f), FramePair(s0, s1)));
        const __m256d sum = _mm256_add_pd(_mm256_cvtps_pd(_mm_loadu_ps(d)), _mm256_mul_pd(v, g));
        _mm_storeu_ps(d, _mm256_cvtpd_ps(sum));
    }
    if (k < k1) InterpolateStereoSse2(pWork, nBase, k, k1, dStep, d, gL, gR);
}

template <>
void Interpolate<2, 2>(const float* pWork, LONGLONG nBase, LONGLONG k0, LONGLONG k1, double dStep,
                       float* d, double gL, double gR) {
    static const bool s_bAvx = GetCpuFeatures().bAVX;
    if (s_bAvx)
        InterpolateStereoAvx(pWork, nBase, k0, k1, dStep, d, gL, gR);
    else
        InterpolateStereoSse2(pWork, nBase, k0, k1, dStep, d, gL, gR);
}

using InterpolateFn = void (*)(const float*, LONGLONG, LONGLONG, LONGLONG, double, float*, double,
                               double);

InterpolateFn SelectInterpolate(int nSrc, int nDst) {
    if (nSrc == 1) return nDst == 1 ? &Interpolate<1, 1> : &Interpolate<1, 2>;
    return nDst == 1 ? &Interpolate<2, 1> : &Interpolate<2, 2>;
}

double PitchStep(LONG nTranspose, double dRate) {
    if (!std::isfinite(dRate) || dRate <= 0.0) dRate = 1.0;
    const double dStep = std::exp2(static_cast<double>(nTranspose) / 12.0) * dRate;
    return std::clamp(dStep, kMinStep, kMaxStep);
}

double SafePan(double p) { return std::isnan(p) ? 0.5 : std::clamp(p, 0.0, 1.0); }
double SafeVolume(double v) { return std::isfinite(v) ? v : 0.0; }

} // namespace

void GrainGains(double dGrainPan, double dPadPan, double dGrainVolume, double dPadVolume,
                double* pLeft, double* pRight) {
    const double g = SafePan(dGrainPan), p = SafePan(dPadPan);
    const double v = SafeVolume(dGrainVolume), w = SafeVolume(dPadVolume);
    const double l = std::min(1.0, 2.0 * (1.0 - g)) * std::min(1.0, 2.0 * (1.0 - p)) * v * w;
    const double r = std::min(1.0, 2.0 * g) * std::min(1.0, 2.0 * p) * v * w;
    // Stored as floats, so every kernel path sees the same representable gain.
    *pLeft = static_cast<double>(static_cast<float>(std::clamp(l, -kMaxGain, kMaxGain)));
    *pRight = static_cast<double>(static_cast<float>(std::clamp(r, -kMaxGain, kMaxGain)));
}

CGrainRenderer::~CGrainRenderer() { ::operator delete[](m_pWork, std::align_val_t{16}); }

HRESULT CGrainRenderer::Init() {
    if (m_pWork != nullptr) return S_OK;
    // 16-byte aligned so that unity-gain copies into it can take the vector path.
    m_pWork = static_cast<float*>(
        ::operator new[](kWorkFrames * 2 * sizeof(float), std::align_val_t{16}, std::nothrow));
    return m_pWork != nullptr ? S_OK : E_OUTOFMEMORY;
}

void CGrainRenderer::RenderSegment(const CGrooveEvent& grain, LONGLONG nGrainOffset,
                                   LONGLONG nOutOffset, LONGLONG nCount, LONGLONG nTarget,
                                   float* pDst, const WAVEFORMATEX& dstFormat, float fPadVolume,
                                   float fPadPan, LONG nTranspose) {
    const int nDst = dstFormat.nChannels;
    if (pDst == nullptr || (nDst != 1 && nDst != 2) || nCount < 1) return;
    Source src;
    const bool bTail = grain.m_bUseTail != 0;
    if (!FindSource(bTail ? grain.m_pTail : grain.m_pWave, bTail ? 0 : grain.m_nSrcStart,
                    bTail ? grain.m_nTailSamples : grain.m_nLenSamples, grain.m_wfx, &src))
        return;
    const LONGLONG L = src.nLen;
    const LONGLONG T = nTarget < 1 ? L : std::min(nTarget, kMaxTarget);

    // Frames before the destination's start or before the grain's start are
    // dropped; the rest keep their positions. The count stops at the target.
    if (nOutOffset < -nCount || nGrainOffset < -nCount) return;
    const LONGLONG nSkip = std::max({LONGLONG(0), -nOutOffset, -nGrainOffset});
    nOutOffset += nSkip;
    nGrainOffset += nSkip;
    nCount -= nSkip;
    if (nCount < 1 || nGrainOffset >= T) return;
    nCount = std::min(nCount, T - nGrainOffset);

    double gL, gR;
    GrainGains(grain.m_dPan, fPadPan, grain.m_dVolume, fPadVolume, &gL, &gR);
    const bool bMonoOut = src.nChannels == 1 && nDst == 1;
    if (gL == 0.0 && (gR == 0.0 || bMonoOut)) return;

    float* pOut = pDst + nOutOffset * nDst;
    const LONGLONG k0 = nGrainOffset, k1 = nGrainOffset + nCount;
    CGrainFit fit;
    if (nTranspose == 0) {
        fit.Set(L, T, src.nRate);
        fit.Mix(src.pData, src.nChannels, k0, k1, pOut, nDst, gL, gR);
        return;
    }
    const double dStep = PitchStep(nTranspose, grain.m_dRate);
    const double dRatio = static_cast<double>(T) / static_cast<double>(L) * dStep;
    if (std::fabs(dRatio - 1.0) < 1e-9) {
        if (T == L) {
            // No audible change of pitch or length: mixed straight in.
            fit.Set(L, L, src.nRate);
            fit.Mix(src.pData, src.nChannels, k0, k1, pOut, nDst, gL, gR);
            return;
        }
        fit.Set(L, L, src.nRate); // the unfitted run, read at the step
    } else {
        const LONGLONG M = std::max<LONGLONG>(1, RoundHalfUp(static_cast<double>(T) * dStep));
        fit.Set(L, M, src.nRate);
    }
    MixPitched(fit, src.pData, src.nChannels, k0, k1, pOut, nDst, gL, gR, dStep);
}

void CGrainRenderer::MixPitched(const CGrainFit& fit, const float* pSrc, int nSrcChannels,
                                LONGLONG k0, LONGLONG k1, float* pDst, int nDstChannels,
                                double dGainL, double dGainR, double dStep) {
    if (m_pWork == nullptr) return;
    const int c = nSrcChannels;
    // Fitted frames from nEnd on repeat frame nEnd - 1, as a guard frame does.
    // An unfitted run reads its own next frame (the next source frame or the
    // wave's guard) before that.
    const LONGLONG nEnd = fit.m_mode == CGrainFit::Mode::Straight ? fit.m_nLen + 1 : fit.m_nTarget;
    const LONGLONG nChunk = std::max<LONGLONG>(
        1, static_cast<LONGLONG>(static_cast<double>(kWorkFrames - kChunkMargin) / dStep));
    const InterpolateFn interpolate = SelectInterpolate(c, nDstChannels);
    for (LONGLONG k = k0; k < k1;) {
        const LONGLONG ke = std::min(k1, k + nChunk);
        const LONGLONG i0 = static_cast<LONGLONG>(static_cast<double>(k) * dStep);
        const LONGLONG i1 = static_cast<LONGLONG>(static_cast<double>(ke - 1) * dStep) + 1;
        const LONGLONG nBase = std::min(i0, nEnd - 1);
        const LONGLONG nUsed = i1 - nBase + 1;
        if (nUsed > kWorkFrames) return; // cannot happen with the chunk size above
        std::memset(m_pWork, 0, static_cast<size_t>(nUsed * c) * sizeof(float));
        const LONGLONG nFitted = std::min(i1 + 1, nEnd);
        fit.Mix(pSrc, c, nBase, nFitted, m_pWork, c, 1.0, 1.0);
        const float* pLast = m_pWork + (nEnd - 1 - nBase) * c;
        for (LONGLONG i = nFitted; i <= i1; ++i)
            std::memcpy(m_pWork + (i - nBase) * c, pLast, static_cast<size_t>(c) * sizeof(float));
        interpolate(m_pWork, nBase, k, ke, dStep, pDst + (k - k0) * nDstChannels, dGainL, dGainR);
        k = ke;
    }
}

HRESULT CGrainRenderer::BuildTail(CGrooveEvent* pGrain) {
    if (pGrain == nullptr) return E_POINTER;
    Source src;
    if (!FindSource(pGrain->m_pWave, pGrain->m_nSrcStart, pGrain->m_nLenSamples, pGrain->m_wfx,
                    &src))
        return S_FALSE;
    const LONGLONG L = src.nLen, T = 2 * L;
    CWaveMem* pTail = new (std::nothrow) CWaveMem();
    if (pTail == nullptr) return E_OUTOFMEMORY;
    if (FAILED(
            pTail->Allocate(static_cast<WORD>(src.nChannels), static_cast<DWORD>(src.nRate), T))) {
        pTail->Release();
        return E_OUTOFMEMORY;
    }
    pTail->m_nDecayFrames = T;
    pTail->m_dDecay = std::pow(0.15, 1.0 / static_cast<double>(L));
    CGrainFit fit;
    fit.Set(L, T, src.nRate);
    fit.Mix(src.pData, src.nChannels, 0, T, pTail->m_pData, src.nChannels, 1.0, 1.0,
            pTail->m_dDecay);
    pTail->SetGuardFrame();
    pGrain->SetTail(pTail);
    pTail->Release();
    pGrain->m_nTailSamples = T;
    return S_OK;
}
