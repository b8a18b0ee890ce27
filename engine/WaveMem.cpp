#include "engine/WaveMem.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
const double kSqrt2 = std::sqrt(2.0);

// The four weights of the cubic rule at fraction t.
struct CubicWeights {
    double w0, w1, w2, w3;
};

inline CubicWeights Weights(double t) {
    const double s = kSqrt2;
    const double t2 = t * t;
    const double w0 = s * t2 - t2 - s * t + t;
    return {w0, s / 2 - s * t2 + t2, 2 * s * t + t2 - s / 2 - 2 * t - s * t2 + 1, w0};
}

// Output frame from the four taps at a (C floats each), in double precision,
// the taps summed in order.
template <int C> inline void CubicFrame(const float* a, const CubicWeights& w, float* pOut) {
#if defined(__SSE2__)
    if constexpr (C == 2) {
        // Both channels in one register; each lane does the scalar rule.
        auto tap = [a](int j) {
            return _mm_cvtps_pd(
                _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + 2 * j))));
        };
        __m128d v = _mm_mul_pd(_mm_set1_pd(w.w0), tap(0));
        v = _mm_add_pd(v, _mm_mul_pd(_mm_set1_pd(w.w1), tap(1)));
        v = _mm_add_pd(v, _mm_mul_pd(_mm_set1_pd(w.w2), tap(2)));
        v = _mm_add_pd(v, _mm_mul_pd(_mm_set1_pd(w.w3), tap(3)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(pOut), _mm_castps_si128(_mm_cvtpd_ps(v)));
        return;
    }
#endif
    for (int ch = 0; ch < C; ++ch)
        pOut[ch] = static_cast<float>(w.w0 * a[ch] + w.w1 * a[C + ch] + w.w2 * a[2 * C + ch] +
                                      w.w3 * a[3 * C + ch]);
}

// Output frame from the input frames around k with weights w; taps reaching
// past either end read silence.
template <int C>
inline void CubicFrameAt(const float* pIn, LONGLONG nOld, LONGLONG k, const CubicWeights& w,
                         float* pOut) {
    // The taps are input frames k - 2 .. k + 1; k can pass nOld only
    // through rounding of the last frame.
    k = std::min(k, nOld);
    if (k >= 2 && k <= nOld - 2) {
        CubicFrame<C>(pIn + (k - 2) * C, w, pOut);
        return;
    }
    float edge[4 * C];
    for (int j = 0; j < 4; ++j)
        for (int ch = 0; ch < C; ++ch) {
            const LONGLONG f = k - 2 + j;
            edge[j * C + ch] = f >= 0 && f < nOld ? pIn[f * C + ch] : 0.0f;
        }
    CubicFrame<C>(edge, w, pOut);
}

// The 4-point cubic interpolation of output frames [0, nNew) at input
// position i / dRatio from the nOld frames at pIn, which are taken to have two
// silent frames before and after them. One instance per channel count, so the
// channel loop unrolls. Positions and weights are found two frames at a time
// (one division for both, each lane doing the scalar rule), so every float is
// the one the frame-by-frame rule gives.
template <int C>
void Interpolate(const float* pIn, LONGLONG nOld, LONGLONG nNew, double dRatio, float* pOut) {
    LONGLONG i = 0;
#if defined(__SSE2__)
    const __m128d ratio = _mm_set1_pd(dRatio);
    const __m128d s = _mm_set1_pd(kSqrt2), s2 = _mm_set1_pd(2 * kSqrt2);
    const __m128d half = _mm_set1_pd(kSqrt2 / 2), two = _mm_set1_pd(2.0), one = _mm_set1_pd(1.0);
    for (; i + 1 < nNew; i += 2) {
        const __m128d x =
            _mm_div_pd(_mm_set_pd(static_cast<double>(i + 1), static_cast<double>(i)), ratio);
        // x >= 0, so truncation is the floor.
        const LONGLONG k0 = _mm_cvttsd_si64(x), k1 = _mm_cvttsd_si64(_mm_unpackhi_pd(x, x));
        const __m128d t =
            _mm_sub_pd(x, _mm_set_pd(static_cast<double>(k1), static_cast<double>(k0)));
        const __m128d t2 = _mm_mul_pd(t, t);
        const __m128d st2 = _mm_mul_pd(s, t2);
        const __m128d w0 = _mm_add_pd(_mm_sub_pd(_mm_sub_pd(st2, t2), _mm_mul_pd(s, t)), t);
        const __m128d w1 = _mm_add_pd(_mm_sub_pd(half, st2), t2);
        const __m128d w2 =
            _mm_add_pd(_mm_sub_pd(_mm_sub_pd(_mm_sub_pd(_mm_add_pd(_mm_mul_pd(s2, t), t2), half),
                                             _mm_mul_pd(two, t)),
                                  st2),
                       one);
        alignas(16) double a0[2], a1[2], a2[2];
        _mm_store_pd(a0, w0);
        _mm_store_pd(a1, w1);
        _mm_store_pd(a2, w2);
        CubicFrameAt<C>(pIn, nOld, k0, {a0[0], a1[0], a2[0], a0[0]}, pOut + i * C);
        CubicFrameAt<C>(pIn, nOld, k1, {a0[1], a1[1], a2[1], a0[1]}, pOut + (i + 1) * C);
    }
#endif
    for (; i < nNew; ++i) {
        const double x = static_cast<double>(i) / dRatio;
        const LONGLONG k = static_cast<LONGLONG>(x);
        CubicFrameAt<C>(pIn, nOld, k, Weights(x - static_cast<double>(k)), pOut + i * C);
    }
}
} // namespace

CWaveMem::CWaveMem() = default;

CWaveMem::~CWaveMem() { Free(); }

ULONG CWaveMem::Release() {
    const ULONG n = --m_nRefs;
    if (n == 0) delete this;
    return n;
}

void CWaveMem::Free() {
    m_block.Free();
    m_pData = nullptr;
    delete[] m_pPeaks;
    m_pPeaks = nullptr;
    m_nFrames = 0;
    m_nDataBytes = 0;
    m_nPeakBlocks = 0;
    m_nPeakValues = 0;
}

HRESULT CWaveMem::Allocate(WORD nChannels, DWORD nRate, LONGLONG nFrames) {
    Free();
    if (nChannels < 1 || nChannels > 2 || nFrames < 0) return E_INVALIDARG;
    const LONGLONG nCapacity = WaveMemCapacity(nChannels, nFrames);
    if (!m_block.Allocate(nCapacity, true) || m_block.Data() == nullptr) return E_OUTOFMEMORY;
    m_pData = m_block.Data();
    m_wfx = MakeFloatFormat(nChannels, nRate);
    m_nFrames = nFrames;
    m_nDataBytes = nCapacity * static_cast<LONGLONG>(sizeof(float));
    return S_OK;
}

void CWaveMem::SetGuardFrame() {
    if (m_pData == nullptr) return;
    const int c = Channels();
    for (int ch = 0; ch < c; ++ch)
        m_pData[m_nFrames * c + ch] = m_nFrames > 0 ? m_pData[(m_nFrames - 1) * c + ch] : 0.0f;
}

HRESULT CWaveMem::ConvertSampleRate(DWORD nRate) {
    if (m_pData == nullptr || m_wfx.nSamplesPerSec == 0) return E_FAIL;
    if (nRate == m_wfx.nSamplesPerSec) return S_OK;
    const int c = Channels();
    const LONGLONG nOld = m_nFrames;
    const double dRatio = static_cast<double>(nRate) / static_cast<double>(m_wfx.nSamplesPerSec);
    const LONGLONG nNew =
        static_cast<LONGLONG>(std::floor(static_cast<double>(nOld) * dRatio + 0.5));
    // The new data replaces the old; the overview stays (it describes the
    // same sound in blocks, whatever the rate). Every frame is written by the
    // interpolation and the guard frame after; only the rest needs clearing
    // (a mapped block is clear already).
    const LONGLONG nCapacity = WaveMemCapacity(c, nNew);
    CWaveMemBlock block;
    if (!block.Allocate(nCapacity, false) || block.Data() == nullptr) {
        Free();
        return E_OUTOFMEMORY;
    }
    float* pNew = block.Data();
    if (!block.Mapped())
        std::memset(pNew + nNew * c, 0, static_cast<size_t>(nCapacity - nNew * c) * sizeof(float));
    if (c == 1)
        Interpolate<1>(m_pData, nOld, nNew, dRatio, pNew);
    else
        Interpolate<2>(m_pData, nOld, nNew, dRatio, pNew);
    m_block.Swap(block);
    m_pData = pNew;
    m_nFrames = nNew;
    m_nDataBytes = nCapacity * static_cast<LONGLONG>(sizeof(float));
    m_wfx = MakeFloatFormat(m_wfx.nChannels, nRate);
    m_dRateRatio = dRatio;
    SetGuardFrame();
    return S_OK;
}

HRESULT CWaveMem::BuildOverview(LONG nBlocks) {
    delete[] m_pPeaks;
    m_pPeaks = nullptr;
    m_nPeakBlocks = 0;
    m_nPeakValues = 0;
    if (nBlocks <= 0 || m_pData == nullptr || m_nFrames <= 0) return S_OK;
    const int c = Channels();
    const LONG nValues = c * nBlocks * 2;
    m_pPeaks = new (std::nothrow) float[static_cast<size_t>(nValues)]();
    if (m_pPeaks == nullptr) return E_OUTOFMEMORY;
    m_nPeakBlocks = nBlocks;
    m_nPeakValues = nValues;
    // Frame f lies in block f × nBlocks ÷ frames, so block b spans frames
    // ceil(b × frames ÷ nBlocks) up to the next block's first; a block without
    // frames (more blocks than frames) stays zero.
    const LONGLONG N = m_nFrames, B = nBlocks;
    LONGLONG f0 = 0;
    for (LONGLONG b = 0; b < B; ++b) {
        const LONGLONG f1 = ((b + 1) * N + B - 1) / B;
        if (f1 <= f0) continue;
        float lo[2] = {1.0f, 1.0f}, hi[2] = {-1.0f, -1.0f};
        for (LONGLONG f = f0; f < f1; ++f)
            for (int ch = 0; ch < c; ++ch) {
                const float v = m_pData[f * c + ch];
                lo[ch] = std::min(lo[ch], v);
                hi[ch] = std::max(hi[ch], v);
            }
        for (int ch = 0; ch < c; ++ch) {
            m_pPeaks[(b * c + ch) * 2] = lo[ch];
            m_pPeaks[(b * c + ch) * 2 + 1] = hi[ch];
        }
        f0 = f1;
    }
    return S_OK;
}
