#include "engine/WaveMem.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {
// Sample storage is 16-byte aligned so that the vector kernels can take it.
constexpr std::align_val_t kDataAlign{16};

float* AllocateFloats(LONGLONG nCount) {
    if (nCount <= 0) return nullptr;
    auto* p = static_cast<float*>(::operator new[](static_cast<size_t>(nCount) * sizeof(float), kDataAlign,
                                                   std::nothrow));
    if (p != nullptr) std::memset(p, 0, static_cast<size_t>(nCount) * sizeof(float));
    return p;
}

void FreeFloats(float* p) {
    if (p != nullptr) ::operator delete[](p, kDataAlign);
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
    FreeFloats(m_pData);
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
    m_pData = AllocateFloats(nCapacity);
    if (m_pData == nullptr) return E_OUTOFMEMORY;
    m_wfx = MakeFloatFormat(nChannels, nRate);
    m_nFrames = nFrames;
    m_nDataBytes = nCapacity * static_cast<LONGLONG>(sizeof(float));
    return S_OK;
}

void CWaveMem::SetGuardFrame() {
    if (m_pData == nullptr) return;
    const int c = Channels();
    for (int ch = 0; ch < c; ++ch) m_pData[m_nFrames * c + ch] = m_nFrames > 0 ? m_pData[(m_nFrames - 1) * c + ch] : 0.0f;
}

HRESULT CWaveMem::ConvertSampleRate(DWORD nRate) {
    if (m_pData == nullptr || m_wfx.nSamplesPerSec == 0) return E_FAIL;
    if (nRate == m_wfx.nSamplesPerSec) return S_OK;
    const int c = Channels();
    const LONGLONG nOld = m_nFrames;
    // Two silent frames before and after the input, so that the four taps
    // never leave the work buffer.
    float* pWork = AllocateFloats((nOld + 4) * c);
    if (pWork == nullptr) {
        Free();
        return E_OUTOFMEMORY;
    }
    std::memcpy(pWork + 2 * c, m_pData, static_cast<size_t>(nOld * c) * sizeof(float));
    const double dRatio = static_cast<double>(nRate) / static_cast<double>(m_wfx.nSamplesPerSec);
    const LONGLONG nNew = static_cast<LONGLONG>(std::floor(static_cast<double>(nOld) * dRatio + 0.5));
    // The new data replaces the old in place; the overview stays (it describes
    // the same sound in blocks, whatever the rate).
    const LONGLONG nCapacity = WaveMemCapacity(c, nNew);
    float* pNew = AllocateFloats(nCapacity);
    FreeFloats(m_pData);
    m_pData = pNew;
    if (pNew == nullptr) {
        FreeFloats(pWork);
        Free();
        return E_OUTOFMEMORY;
    }
    m_nFrames = nNew;
    m_nDataBytes = nCapacity * static_cast<LONGLONG>(sizeof(float));
    m_wfx = MakeFloatFormat(m_wfx.nChannels, nRate);
    const double s = std::sqrt(2.0);
    for (LONGLONG i = 0; i < nNew; ++i) {
        const double x = static_cast<double>(i) / dRatio;
        LONGLONG k = static_cast<LONGLONG>(std::floor(x));
        const double t = x - static_cast<double>(k);
        const double t2 = t * t;
        const double w0 = s * t2 - t2 - s * t + t;
        const double w1 = s / 2 - s * t2 + t2;
        const double w2 = 2 * s * t + t2 - s / 2 - 2 * t - s * t2 + 1;
        const double w3 = w0;
        // k + 3 can reach nOld + 3 only through rounding of the last frame.
        k = std::min(k, nOld);
        const float* a = pWork + k * c;
        for (int ch = 0; ch < c; ++ch)
            m_pData[i * c + ch] =
                static_cast<float>(w0 * a[ch] + w1 * a[c + ch] + w2 * a[2 * c + ch] + w3 * a[3 * c + ch]);
    }
    FreeFloats(pWork);
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
    float lo[2] = {1.0f, 1.0f}, hi[2] = {-1.0f, -1.0f};
    LONGLONG nBlock = -1;
    for (LONGLONG f = 0; f < m_nFrames; ++f) {
        const LONGLONG b = f * nBlocks / m_nFrames;
        if ((b + 1) * c * 2 > nValues) break;
        if (b != nBlock) {
            nBlock = b;
            lo[0] = lo[1] = 1.0f;
            hi[0] = hi[1] = -1.0f;
        }
        for (int ch = 0; ch < c; ++ch) {
            const float v = m_pData[f * c + ch];
            lo[ch] = std::min(lo[ch], v);
            hi[ch] = std::max(hi[ch], v);
            m_pPeaks[(b * c + ch) * 2] = lo[ch];
            m_pPeaks[(b * c + ch) * 2 + 1] = hi[ch];
        }
    }
    return S_OK;
}
